#include "browsers/cookies/chromium_stores.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "browsers/cookies/chromium_site_data.h"
#include "browsers/cookies/host_digest.h"
#include "browsers/cookies/proto_fields.h"
#include "browsers/cookies/site_data.h"

namespace browsers {

namespace {

// The host of the first http(s) origin in a key; "" for none.
std::string hostInKey(std::string_view key) {
  const std::size_t at = std::min(key.find("http://"), key.find("https://"));
  return at == std::string_view::npos ? std::string() : hostOfOrigin(key.substr(at));
}

// The part of key between prefix and the first NUL, and the rest after it.
bool splitAtNul(std::string_view key, std::string_view prefix, std::string_view& first,
                std::string_view& rest) {
  if (!key.starts_with(prefix)) return false;
  key.remove_prefix(prefix.size());
  const std::size_t nul = key.find('\0');
  if (nul == std::string_view::npos) return false;
  first = key.substr(0, nul);
  rest = key.substr(nul + 1);
  return true;
}

// The version a registration's record names (field 4 of its data).
std::string versionOfRegistration(std::string_view value) {
  if (const auto fields = protoFields(value))
    for (const ProtoField& field : *fields)
      if (field.number == 4 && !field.isBytes) return std::to_string(field.varint);
  return {};
}

void ownServiceWorkerRecords(const std::vector<LevelDbRecord>& records, RecordOwners& out) {
  std::map<std::string, std::string> siteOfRegistration;  // registration number -> site
  std::map<std::string, std::string> siteOfVersion;       // version number -> site
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& [key, value] = records[i];
    std::string_view first, rest;
    if (splitAtNul(key, "REG:", first, rest)) {
      out.sites[i] = siteOfStorageKey(first);
      if (out.sites[i].empty()) continue;
      siteOfRegistration.emplace(rest, out.sites[i]);
      if (std::string version = versionOfRegistration(value); !version.empty())
        siteOfVersion.emplace(std::move(version), out.sites[i]);
    } else if (key.starts_with("REGID_TO_ORIGIN:")) {
      out.sites[i] = siteOfStorageKey(value);
      if (!out.sites[i].empty()) siteOfRegistration.emplace(key.substr(16), out.sites[i]);
    } else if (key.starts_with("PRES:") || key.starts_with("URES:")) {
      out.resourceIds[i] = key.substr(5);
      out.spare[i] = true;
    } else if (!key.starts_with("INITDATA_") || key.starts_with("INITDATA_UNIQUE_ORIGIN:")) {
      out.sites[i] = siteOfStorageKey(key);
    }
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& [key, value] = records[i];
    std::string_view first, rest;
    if (splitAtNul(key, "RES:", first, rest)) {
      // A script belongs to the registration whose version it is (an
      // imported script may come from another site); a version no
      // registration names, to the site of its own URL.
      out.resourceIds[i] = std::string(rest);
      const auto it = siteOfVersion.find(std::string(first));
      out.sites[i] = it != siteOfVersion.end() ? it->second : siteOfStorageKey(value);
    } else if (splitAtNul(key, "REG_USER_DATA:", first, rest)) {
      const auto it = siteOfRegistration.find(std::string(first));
      if (it != siteOfRegistration.end()) out.sites[i] = it->second;
    } else if (splitAtNul(key, "REG_HAS_USER_DATA:", first, rest)) {
      const auto it = siteOfRegistration.find(std::string(rest));
      if (it != siteOfRegistration.end()) out.sites[i] = it->second;
    }
  }
}

void ownSessionStorageRecords(const std::vector<LevelDbRecord>& records, RecordOwners& out) {
  std::map<std::string, std::string> siteOfMap;  // "map-<number>-" -> site
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& [key, value] = records[i];
    if (!key.starts_with("namespace-")) continue;
    out.sites[i] = siteOfStorageKey(key);
    if (!out.sites[i].empty()) siteOfMap.emplace("map-" + value + "-", out.sites[i]);
  }
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& key = records[i].first;
    if (!key.starts_with("map-")) continue;
    const std::size_t dash = key.find('-', 4);
    if (dash == std::string::npos) continue;
    const auto it = siteOfMap.find(key.substr(0, dash + 1));
    if (it != siteOfMap.end()) out.sites[i] = it->second;
  }
}

}  // namespace

RecordOwners ownersOfRecords(SharedStore store, const std::vector<LevelDbRecord>& records) {
  RecordOwners out;
  out.sites.resize(records.size());
  out.resourceIds.resize(records.size());
  out.spare.resize(records.size(), false);
  switch (store) {
    case SharedStore::ServiceWorkers:
      ownServiceWorkerRecords(records, out);
      break;
    case SharedStore::SessionStorage:
      ownSessionStorageRecords(records, out);
      break;
    case SharedStore::LocalStorage:
      for (std::size_t i = 0; i < records.size(); ++i)
        out.sites[i] = siteOfStorageKey(records[i].first);
      break;
  }
  return out;
}

std::map<std::string, std::int64_t> originsPerSite(const std::vector<LevelDbRecord>& records,
                                                   const std::vector<std::string>& sites,
                                                   const std::set<std::string>& of) {
  std::map<std::string, std::set<std::string>> hosts;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (sites[i].empty() || !of.contains(sites[i])) continue;
    std::set<std::string>& mine = hosts[sites[i]];
    if (std::string host = hostInKey(records[i].first); !host.empty()) mine.insert(std::move(host));
  }
  std::map<std::string, std::int64_t> out;
  // A site whose records carry no origin in their keys still had one item.
  for (const auto& [site, names] : hosts)
    out[site] = std::max<std::int64_t>(1, static_cast<std::int64_t>(names.size()));
  return out;
}

std::vector<std::string> ownersOfDigestKeys(const std::vector<LevelDbRecord>& records,
                                            const std::map<std::string, std::string>& hostSites) {
  std::map<std::string, std::string> siteOfDigest;
  for (const auto& [host, site] : hostSites)
    if (const std::optional<std::string> digest = md5Hex(host)) siteOfDigest.emplace(*digest, site);
  std::vector<std::string> out(records.size());
  for (std::size_t i = 0; i < records.size(); ++i)
    if (const auto it = siteOfDigest.find(records[i].first); it != siteOfDigest.end())
      out[i] = it->second;
  return out;
}

void hostsOfRecords(const std::vector<LevelDbRecord>& records, std::set<std::string>& hosts) {
  for (const auto& [key, value] : records)
    for (const std::string* text : {&key, &value})
      if (std::string host = hostInKey(*text); !host.empty()) hosts.insert(std::move(host));
}

}  // namespace browsers
