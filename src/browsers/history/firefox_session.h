// Taking visited pages out of a Firefox-family session (the JSON inside
// sessionstore.jsonlz4 and sessionstore-backups/*).
//
// A session holds windows; a window its open tabs and recently closed tabs;
// a tab its back/forward entries (each with a url and sub-frame children).
// Entries whose URL goes are dropped; a tab left without entries is dropped,
// a window left without tabs too, and the indexes that point into them are
// brought back in range. A pinned tab keeps its current page. A clearing
// also forgets every closed tab and window, as the browser's own history
// clearing does. The tab data tied to the dropped pages (its icon, typed
// text, form data, scroll positions, session storage) goes with them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace browsers::history {

using KeepUrl = std::function<bool(const std::string& url)>;

struct SessionPrune {
  enum class Result {
    Unchanged,   // nothing of the session was to go
    Changed,     // json holds the new session
    Unreadable,  // not a session this code understands, or a dropped URL
                 // would still be in it: the file must go as a whole
  };
  Result result = Result::Unchanged;
  std::string json;
  std::vector<std::string> removed;  // the URLs taken out
};

// keep decides for every entry URL; clearing forgets closed tabs and windows.
SessionPrune pruneFirefoxSession(std::string_view json, const KeepUrl& keep, bool clearing);

// Every session file of a Firefox-family profile: sessionstore.jsonlz4 and
// the files of sessionstore-backups/.
std::vector<std::string> firefoxSessionFiles(const std::string& profileDir);

}  // namespace browsers::history
