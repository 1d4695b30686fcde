#include "browsers/history/firefox_session.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "browsers/history/profile_files.h"
#include "platform/paths.h"

namespace browsers::history {

namespace {

using Json = nlohmann::ordered_json;

class Pruner {
 public:
  Pruner(const KeepUrl& keep, bool clearing) : keep_(keep), clearing_(clearing) {}

  // False when the session's shape is not the one this code knows.
  bool session(Json& root) {
    if (!root.is_object()) return false;
    if (root.contains("windows") && !windows(root["windows"], false)) return false;
    if (root.contains("_closedWindows") && !windows(root["_closedWindows"], true)) return false;
    if (root.contains("savedGroups") && !closedTabList(root["savedGroups"], "tabs")) return false;
    if (root.contains("selectedWindow") && root.contains("windows"))
      clampIndex(root["selectedWindow"], root["windows"].size());
    return true;
  }

  bool changed() const { return changed_; }
  std::vector<std::string>& removed() { return removed_; }

  // Every entry URL of what is left.
  std::vector<std::string> urlsOf(const Json& value) {
    std::vector<std::string> saved = std::move(removed_);
    removed_.clear();
    collectUrls(value);
    std::swap(saved, removed_);
    return saved;
  }

 private:
  bool windows(Json& list, bool closed) {
    if (!list.is_array()) return false;
    if (closed && clearing_ && !list.empty()) {
      collectUrls(list);
      list = Json::array();
      changed_ = true;
      return true;
    }
    for (std::size_t i = list.size(); i-- > 0;) {
      Json& window = list[i];
      if (!window.is_object()) return false;
      if (!window.contains("tabs")) continue;
      if (!tabs(window["tabs"])) return false;
      for (const char* key : {"_closedTabs", "closedGroups"}) {
        if (!window.contains(key)) continue;
        if (!closedTabList(window[key], key == std::string("closedGroups") ? "tabs" : nullptr))
          return false;
      }
      if (window["tabs"].empty()) {
        collectUrls(window);
        list.erase(i);
        changed_ = true;
        continue;
      }
      if (window.contains("selected")) clampIndex(window["selected"], window["tabs"].size());
    }
    return true;
  }

  // Open tabs: {entries, index, pinned, ...}.
  bool tabs(Json& list) {
    if (!list.is_array()) return false;
    for (std::size_t i = list.size(); i-- > 0;) {
      Json& tab = list[i];
      if (!tab.is_object() || !tab.contains("entries")) return false;
      Json& entries = tab["entries"];
      if (!entries.is_array()) return false;
      const std::size_t before = entries.size();
      std::size_t current = currentIndex(tab, before);
      const bool pinned = tab.value("pinned", false) == true;
      if (!pruneEntries(entries, pinned ? current : before, current)) return false;
      if (entries.empty()) {
        collectUrls(tab);
        list.erase(i);
        changed_ = true;
        continue;
      }
      if (entries.size() != before) {
        tab["index"] = std::min<std::size_t>(current + 1, entries.size());
        forgetTabData(tab);
      } else if (clearing_ && tab.contains("userTypedValue")) {
        tab.erase("userTypedValue");
        changed_ = true;
      }
    }
    return true;
  }

  // Closed tabs ({state: {entries...}}) or groups of them (tabsKey set).
  // A closed tab that loses any page goes as a whole; a clearing forgets
  // every closed tab.
  bool closedTabList(Json& list, const char* tabsKey) {
    if (!list.is_array()) return false;
    for (std::size_t i = list.size(); i-- > 0;) {
      Json& item = list[i];
      if (!item.is_object()) return false;
      if (tabsKey) {
        if (!item.contains(tabsKey)) continue;
        if (!closedTabList(item[tabsKey], nullptr)) return false;
        if (item[tabsKey].empty()) {
          collectUrls(item);
          list.erase(i);
          changed_ = true;
        }
        continue;
      }
      bool drop = clearing_;
      if (!drop) {
        const Json* entries = nullptr;
        if (item.contains("state") && item["state"].is_object() &&
            item["state"].contains("entries"))
          entries = &item["state"]["entries"];
        if (!entries || !entries->is_array()) return false;
        drop = anyGoes(*entries);
      }
      if (drop) {
        collectUrls(item);
        list.erase(i);
        changed_ = true;
      }
    }
    return true;
  }

  // Drops the entries whose URL goes, except the one at index `pinned`
  // (out of range for none); sub-frames are pruned the same way. `current`
  // follows the entry it pointed at.
  bool pruneEntries(Json& entries, std::size_t pinned, std::size_t& current) {
    for (std::size_t i = entries.size(); i-- > 0;) {
      Json& entry = entries[i];
      if (!entry.is_object()) return false;
      const bool goes = i != pinned && entry.contains("url") && entry["url"].is_string() &&
                        !keep_(entry["url"].get<std::string>());
      if (goes) {
        collectUrls(entry);
        entries.erase(i);
        changed_ = true;
        if (current > i || (current == i && current > 0)) --current;
        continue;
      }
      if (clearing_ && entry.contains("referrerInfo")) {
        entry.erase("referrerInfo");
        changed_ = true;
      }
      if (entry.contains("children")) {
        std::size_t none = 0;
        if (!entry["children"].is_array() ||
            !pruneEntries(entry["children"], entry["children"].size(), none))
          return false;
      }
    }
    return true;
  }

  bool anyGoes(const Json& entries) const {
    for (const Json& entry : entries) {
      if (!entry.is_object()) return true;
      if (entry.contains("url") && entry["url"].is_string() &&
          !keep_(entry["url"].get<std::string>()))
        return true;
      if (entry.contains("children") && entry["children"].is_array() && anyGoes(entry["children"]))
        return true;
    }
    return false;
  }

  // The 0-based current entry of a tab ("index" is 1-based).
  static std::size_t currentIndex(const Json& tab, std::size_t count) {
    if (count == 0) return 0;
    std::int64_t index = 1;
    if (tab.contains("index") && tab["index"].is_number_integer()) index = tab["index"];
    return static_cast<std::size_t>(
               std::clamp<std::int64_t>(index, 1, static_cast<std::int64_t>(count))) -
           1;
  }

  void clampIndex(Json& index, std::size_t count) {
    if (!index.is_number_integer()) return;
    const std::int64_t was = index;
    const std::int64_t now =
        count == 0 ? 0 : std::clamp<std::int64_t>(was, 1, static_cast<std::int64_t>(count));
    if (now != was) {
      index = now;
      changed_ = true;
    }
  }

  void forgetTabData(Json& tab) {
    for (const char* key : {"image", "iconLoadingPrincipal", "userTypedValue", "userTypedClear",
                            "formdata", "scroll", "storage", "searchMode"})
      tab.erase(key);
  }

  void collectUrls(const Json& value) {
    if (value.is_object()) {
      for (auto it = value.begin(); it != value.end(); ++it) {
        if (it.key() == "url" && it->is_string()) removed_.push_back(it->get<std::string>());
        collectUrls(*it);
      }
    } else if (value.is_array()) {
      for (const Json& item : value) collectUrls(item);
    }
  }

  const KeepUrl& keep_;
  bool clearing_;
  bool changed_ = false;
  std::vector<std::string> removed_;
};

}  // namespace

SessionPrune pruneFirefoxSession(std::string_view json, const KeepUrl& keep, bool clearing) {
  SessionPrune out;
  try {
    Json root = Json::parse(json);
    Pruner pruner(keep, clearing);
    if (!pruner.session(root)) {
      out.result = SessionPrune::Result::Unreadable;
      return out;
    }
    out.removed = std::move(pruner.removed());
    // Pinned pages and bookmarks stay even when they were also in a dropped place.
    const std::vector<std::string> left = pruner.urlsOf(root);
    const std::unordered_set<std::string> stays(left.begin(), left.end());
    std::erase_if(out.removed,
                  [&](const std::string& url) { return keep(url) || stays.count(url) > 0; });
    if (!pruner.changed()) return out;
    out.json = root.dump(-1, ' ', false, Json::error_handler_t::replace);
    out.result = SessionPrune::Result::Changed;
    for (const std::string& url : out.removed)
      if (!url.empty() && out.json.find(url) != std::string::npos)
        out.result = SessionPrune::Result::Unreadable;
  } catch (const std::exception&) {
    out.result = SessionPrune::Result::Unreadable;
  }
  if (out.result == SessionPrune::Result::Unreadable) out.json.clear();
  return out;
}

std::vector<std::string> firefoxSessionFiles(const std::string& profileDir) {
  std::vector<std::string> paths;
  for (const std::string& name : filesIn(profileDir))
    if (name == "sessionstore.jsonlz4") paths.push_back(platform::pathBelow(profileDir, name));
  const std::string backups = platform::pathBelow(profileDir, "sessionstore-backups");
  for (const std::string& name : filesIn(backups))
    paths.push_back(platform::pathBelow(backups, name));
  return paths;
}

}  // namespace browsers::history
