// The registrable domain on Linux: libpsl, with the distribution's list when
// it is installed and newer than the one built into libpsl.
#include <libpsl.h>

#include "browsers/cookies/registrable_domain.h"

namespace browsers {

namespace {

// Loaded once, kept for the process.
const psl_ctx_t* suffixList() {
  static const psl_ctx_t* list = [] {
    const psl_ctx_t* latest = psl_latest(nullptr);
    return latest ? latest : psl_builtin();
  }();
  return list;
}

}  // namespace

std::string registrableDomain(const std::string& host) {
  const psl_ctx_t* list = suffixList();
  const char* registrable = list ? psl_registrable_domain(list, host.c_str()) : nullptr;
  return registrable ? std::string(registrable) : std::string();
}

}  // namespace browsers
