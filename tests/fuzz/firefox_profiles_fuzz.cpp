// profiles.ini, prefs.js and user.js as hostile input (three parts split at
// NUL bytes), read by the real profile search in a temporary home.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "browsers/profiles/browser_profiles.h"
#include "fuzz_home.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto root = fuzzing::fuzzHome() / ".mozilla/firefox";
  fuzzing::writeFile(root / "profiles.ini", fuzzing::nextPart(input));
  // A profile that profiles.ini need not name: its history makes it one.
  fuzzing::writeFile(root / "p1.default/places.sqlite", "");
  fuzzing::writeFile(root / "p1.default/prefs.js", fuzzing::nextPart(input));
  fuzzing::writeFile(root / "p1.default/user.js", fuzzing::nextPart(input));
  for (const auto& profile : browsers::findBrowserProfiles()) {
    if (profile.profileDir.empty() || profile.cacheDir.empty()) __builtin_trap();
    browsers::displayName(profile);
  }
  return 0;
}
