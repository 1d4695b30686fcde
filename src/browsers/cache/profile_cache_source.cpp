#include "browsers/cache/profile_cache_source.h"

#include "browsers/cache/cache_enumeration.h"
#include "browsers/cache/damaged_entries.h"
#include "browsers/cache/overwrite_once.h"

namespace browsers {

ProfileCacheSource::ProfileCacheSource(platform::FileLayer& files)
    : ProfileCacheSource(files, ProfileProvider(searchBrowserProfiles), browserRunning) {}

ProfileCacheSource::ProfileCacheSource(platform::FileLayer& files,
                                       std::vector<BrowserProfile> profiles, RunningCheck running)
    : ProfileCacheSource(files, ProfileProvider([p = std::move(profiles)] {
                           return ProfileSearch{p, {}};
                         }),
                         std::move(running)) {}

ProfileCacheSource::ProfileCacheSource(platform::FileLayer& files, ProfileProvider profiles,
                                       RunningCheck running)
    : files_(files), profiles_(std::move(profiles)), running_(std::move(running)) {}

ProfileCacheSource::~ProfileCacheSource() = default;

std::shared_ptr<CacheSnapshot> ProfileCacheSource::newSnapshot() {
  ProfileSearch search = profiles_();
  refused_ = std::move(search.refused);
  auto snapshot = std::make_shared<CacheSnapshot>();
  snapshot->profiles = std::move(search.profiles);
  snapshot->folders = cacheFoldersOf(snapshot->profiles);
  return snapshot;
}

void ProfileCacheSource::list(core::CachePlan& plan, std::size_t self) {
  latest_ = newSnapshot();
  CacheEnumeration walk(latest_);
  while (const FoundEntry* entry = walk.peek()) {
    const CacheFolder& folder = latest_->folders[entry->folder];
    plan.entries.push_back({entry->info.url, displayName(latest_->profiles[folder.profile]), self});
    walk.pop();
  }
}

std::vector<EntryRef>* ProfileCacheSource::lookUp(const std::string& url) {
  auto find = [&]() -> std::vector<EntryRef>* {
    if (!latest_) return nullptr;
    auto it = latest_->byUrl.find(url);
    return it == latest_->byUrl.end() ? nullptr : &it->second;
  };
  if (auto* refs = find()) return refs;
  // A URL the last full listing did not hold is not in the cache; otherwise
  // walk the whole cache once to learn where it is.
  if (latest_ && (latest_->complete || latest_->rescanned)) return nullptr;
  latest_ = newSnapshot();
  latest_->rescanned = true;
  CacheEnumeration walk(latest_);
  while (walk.peek()) walk.pop();
  return find();
}

// Removes the entry's files of its browser and profile (of every one when
// the entry names none); runningName is the first running browser that kept
// one.
ProfileCacheSource::Deleted ProfileCacheSource::deleteEntry(const core::CacheEntry& entry,
                                                            const BeforeRemove& destroy,
                                                            std::string& runningName) {
  std::vector<EntryRef>* found = lookUp(entry.url);
  if (!found || found->empty()) return Deleted::NotFound;
  std::vector<int> running(latest_->profiles.size(), -1);  // -1 not yet asked
  bool inUse = false, failed = false, removed = false, mine = false;
  std::vector<EntryRef> kept;
  for (EntryRef& ref : *found) {
    const std::size_t profile = latest_->folders[ref.folder].profile;
    const BrowserProfile& owner = latest_->profiles[profile];
    if (!entry.browser.empty() && displayName(owner) != entry.browser) {
      kept.push_back(std::move(ref));
      continue;
    }
    mine = true;
    if (running[profile] < 0) running[profile] = running_(owner) ? 1 : 0;
    if (running[profile] == 1) {
      if (!inUse) runningName = displayName(owner);
      inUse = true;
      kept.push_back(std::move(ref));
      continue;
    }
    switch (removeCacheEntry(*latest_, ref, entry.url, destroy)) {
      case RemoveResult::Removed:
        removed = true;
        break;
      case RemoveResult::Stale:
        break;
      case RemoveResult::Failed:
        failed = true;
        kept.push_back(std::move(ref));
        break;
    }
  }
  *found = std::move(kept);  // an emptied URL stays known, so it is never looked for again
  if (!mine) return Deleted::NotFound;
  if (inUse) return Deleted::InUse;
  if (failed) return Deleted::Failed;
  return removed ? Deleted::Removed : Deleted::NotFound;
}

BeforeRemove ProfileCacheSource::destroyWith(platform::OverwriteSession* session) {
  if (!session) return {};
  return [session](const std::string& path) { overwriteOnce(*session, path); };
}

void ProfileCacheSource::remove(const std::vector<const core::CacheEntry*>& entries,
                                const core::CacheOptions& options, const core::Progress& progress,
                                platform::ClearOutcome& outcome, std::vector<bool>& gone) {
  // One session for the whole batch: what other programs hold open is read
  // once.
  std::unique_ptr<platform::OverwriteSession> session;
  if (options.overwrite) session = files_.beginOverwrite(platform::OverwriteOptions{});
  const BeforeRemove destroy = destroyWith(session.get());
  const auto total = static_cast<std::int64_t>(entries.size());
  for (std::size_t k = 0; k < entries.size(); ++k) {
    if (progress) progress(static_cast<std::int64_t>(k) + 1, total);
    std::string runningName;
    switch (deleteEntry(*entries[k], destroy, runningName)) {
      case Deleted::Removed:
        gone[k] = true;
        break;
      case Deleted::NotFound:
        break;
      case Deleted::InUse:
        outcome.fail(entries[k]->lineText(), runningName + " is running");
        break;
      case Deleted::Failed:
        outcome.fail(entries[k]->lineText(), "it could not be removed");
        break;
    }
  }
}

void ProfileCacheSource::addRefused(platform::ClearOutcome& outcome) const {
  outcome.failures.insert(outcome.failures.end(), refused_.begin(), refused_.end());
}

platform::ClearOutcome ProfileCacheSource::removeDamaged(const core::CacheOptions& options) {
  std::unique_ptr<platform::OverwriteSession> session;
  if (options.overwrite) session = files_.beginOverwrite(platform::OverwriteOptions{});
  const std::shared_ptr<CacheSnapshot> snapshot = newSnapshot();
  platform::ClearOutcome outcome = removeDamagedEntries(
      *snapshot, running_, !options.deleteCookieEntries, destroyWith(session.get()));
  addRefused(outcome);
  return outcome;
}

platform::ClearOutcome ProfileCacheSource::previewDamaged(const core::CacheOptions& options) {
  platform::ClearOutcome outcome =
      previewDamagedEntries(*newSnapshot(), running_, !options.deleteCookieEntries);
  addRefused(outcome);
  return outcome;
}

}  // namespace browsers
