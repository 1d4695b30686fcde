// Entry files of the cache folders whose record cannot be read: cut short
// mid-record, empty, or not of the folder's format. They are never listed,
// so clearing the listed entries would leave them, with the addresses they
// may still hold; clearing the cache removes them too.
#pragma once

#include <functional>

#include "browsers/cache/cache_snapshot.h"
#include "browsers/cache/entry_removal.h"
#include "platform/clear_outcome.h"
#include "platform/file_access.h"

namespace browsers {

// Removes the damaged entry files of every folder of the snapshot (a
// Chromium entry with every file of its hash), sparing those whose bytes
// hold "Cookie" when spareCookies is set. Each entry removed is named
// "damaged cache entry <path> (<browser>)"; a running browser's entries are
// left and named as failures, so is an entry that cannot be removed.
// beforeRemove (when set) runs on every file just before it is removed.
platform::ClearOutcome removeDamagedEntries(
    const CacheSnapshot& snapshot, const std::function<bool(const BrowserProfile&)>& running,
    bool spareCookies, const BeforeRemove& beforeRemove = {});
// What removeDamagedEntries would remove and leave, by the same walk, each
// named "damaged cache entry <path> (<browser>)"; removes nothing.
platform::ClearOutcome previewDamagedEntries(
    const CacheSnapshot& snapshot, const std::function<bool(const BrowserProfile&)>& running,
    bool spareCookies);

// Whether the file's bytes hold the text anywhere.
bool fileHoldsText(const platform::files::OpenFolder& folder, const std::string& name,
                   std::string_view text);

}  // namespace browsers
