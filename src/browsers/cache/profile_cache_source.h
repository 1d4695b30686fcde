// The disk caches of every browser profile of the user, as a source of the
// cache area: every Firefox-family profile's cache2 entries (doomed ones too)
// and every Chromium-family profile's Simple Cache, one entry per file, by
// its http(s) URL and its browser and profile. A running browser's entries
// are listed but not deleted; when asked, an entry's files are overwritten
// once before their names are removed.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "browsers/cache/cache_snapshot.h"
#include "browsers/cache/entry_removal.h"
#include "browsers/profiles/browser_profiles.h"
#include "core/cache_area.h"
#include "platform/file_layer.h"

namespace browsers {

class ProfileCacheSource : public core::CacheSource {
 public:
  using ProfileProvider = std::function<ProfileSearch()>;
  using RunningCheck = std::function<bool(const BrowserProfile&)>;

  // The user's profiles, searched anew at every listing. files gives the
  // overwrite sessions.
  explicit ProfileCacheSource(platform::FileLayer& files);
  ProfileCacheSource(platform::FileLayer& files, std::vector<BrowserProfile> profiles,
                     RunningCheck running = browserRunning);
  ProfileCacheSource(platform::FileLayer& files, ProfileProvider profiles, RunningCheck running);
  ~ProfileCacheSource() override;

  void list(core::CachePlan& plan, std::size_t self) override;
  void remove(const std::vector<const core::CacheEntry*>& entries,
              const core::CacheOptions& options, const core::Progress& progress,
              platform::ClearOutcome& outcome, std::vector<bool>& gone) override;
  platform::ClearOutcome removeDamaged(const core::CacheOptions& options) override;
  platform::ClearOutcome previewDamaged(const core::CacheOptions& options) override;

 private:
  enum class Deleted { Removed, NotFound, InUse, Failed };

  std::shared_ptr<CacheSnapshot> newSnapshot();
  std::vector<EntryRef>* lookUp(const std::string& url);
  Deleted deleteEntry(const core::CacheEntry& entry, const BeforeRemove& destroy,
                      std::string& runningName);
  // The overwrite before removal, while a session is open; none otherwise.
  static BeforeRemove destroyWith(platform::OverwriteSession* session);
  void addRefused(platform::ClearOutcome& outcome) const;

  platform::FileLayer& files_;
  ProfileProvider profiles_;
  RunningCheck running_;
  // The profile folders of the latest search that were found but refused (a
  // link of another user's, a link into a system folder): a cache that exists
  // and is not reached is told with every clearing and preview.
  std::vector<platform::ClearFailure> refused_;
  // The latest listing, by which a URL is found when it is deleted.
  std::shared_ptr<CacheSnapshot> latest_;
};

}  // namespace browsers
