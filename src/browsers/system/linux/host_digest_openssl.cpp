// MD5 from OpenSSL's libcrypto (Debian's libssl-dev).
#include <openssl/evp.h>

#include "browsers/cookies/host_digest.h"

namespace browsers {

std::optional<std::string> md5Hex(std::string_view text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr) != 1)
    return std::nullopt;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < length; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 15];
  }
  return out;
}

}  // namespace browsers
