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

bool listedPublicSuffix(const std::string& host) {
  const psl_ctx_t* list = suffixList();
  return list && psl_is_public_suffix2(list, host.c_str(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE);
}

}  // namespace browsers
