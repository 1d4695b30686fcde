// A Firefox-family session file (mozLz4, or the JSON inside it) as hostile
// input: decompressed, pruned for a clearing and for one URL, and the result
// never holds a URL that was taken out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "browsers/formats/moz_lz4.h"
#include "browsers/history/firefox_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace browsers::history;
  using browsers::compressMozLz4;
  using browsers::decompressMozLz4;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto plain = decompressMozLz4(bytes);
  const std::string json = plain ? *plain : std::string(bytes);
  const KeepUrl keepSome = [](const std::string& url) { return url.size() % 2 == 0; };
  for (bool clearing : {true, false}) {
    const SessionPrune prune = pruneFirefoxSession(json, keepSome, clearing);
    if (prune.result != SessionPrune::Result::Changed) continue;
    for (const std::string& url : prune.removed)
      if (!url.empty() && prune.json.find(url) != std::string::npos) __builtin_trap();
    const auto again = compressMozLz4(prune.json);
    if (!again || decompressMozLz4(*again) != prune.json) __builtin_trap();
  }
  return 0;
}
