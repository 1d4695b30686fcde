// Whose records Chromium's shared LevelDB stores hold: Local Storage
// ("_<origin>\0<key>", "META:<origin>"), Session Storage (an origin's values
// under the map number that its "namespace-<id>-<origin>" record names) and
// the service-worker database (registrations "REG:<storage key>\0<id>",
// their scripts "RES:<version>\0<resource id>" of the version a registration
// names, records by registration number, and the resource ids kept for no
// registration, "PRES:" and "URES:", which the browser purges at its start);
// and the site characteristics database, which keys what the browser learnt
// of each visited host by the MD5 of the host in lower-case hex, so that no
// host is named in the clear there.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "browsers/cookies/leveldb_store.h"

namespace browsers {

enum class SharedStore { LocalStorage, SessionStorage, ServiceWorkers };

struct RecordOwners {
  std::vector<std::string> sites;        // per record: its site, "" for the store's own
  std::vector<std::string> resourceIds;  // per record: the script it names, "" for none
  std::vector<bool> spare;               // per record: a resource of no registration
};
RecordOwners ownersOfRecords(SharedStore store, const std::vector<LevelDbRecord>& records);

// The origins (not the records) of each of these sites in a store: its items.
std::map<std::string, std::int64_t> originsPerSite(const std::vector<LevelDbRecord>& records,
                                                   const std::vector<std::string>& sites,
                                                   const std::set<std::string>& of);

// Per record of the site characteristics database: the site of the host
// (of hostSites, host -> site) whose digest its key is; "" for the others.
std::vector<std::string> ownersOfDigestKeys(const std::vector<LevelDbRecord>& records,
                                            const std::map<std::string, std::string>& hostSites);

// The hosts that the records name (the first origin of each key and value).
void hostsOfRecords(const std::vector<LevelDbRecord>& records, std::set<std::string>& hosts);

}  // namespace browsers
