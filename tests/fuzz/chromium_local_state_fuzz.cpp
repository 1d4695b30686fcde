// Chromium's Local State as hostile input, read by the real profile search in
// a temporary home. A profile it names never lies outside the user-data folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "browsers/profiles/browser_profiles.h"
#include "fuzz_home.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto root = fuzzing::fuzzHome() / ".config/chromium";
  fuzzing::writeFile(root / "Local State", input);
  fuzzing::writeFile(root / "Default/Preferences", "{}");
  for (const auto& profile : browsers::findBrowserProfiles()) {
    if (profile.family != browsers::BrowserFamily::Chromium) continue;
    const std::string inside = profile.userDataDir + "/";
    std::string_view rest(profile.profileDir);
    if (!rest.starts_with(inside)) __builtin_trap();
    rest.remove_prefix(inside.size());
    if (rest.empty() || rest == "." || rest == ".." || rest.find('/') != std::string_view::npos)
      __builtin_trap();
  }
  return 0;
}
