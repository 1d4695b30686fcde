// Hosts written as addresses, in the one form the browsers store them in, by
// the URL Standard's host parser (which they follow): an IPv4 address in
// dotted decimal whatever its parts were written in ("192.168.1.010" is
// 192.168.1.8, "3232235786" and "0xC0.0xA8.1.10" are 192.168.1.10), an IPv6
// address compressed, in lower case, in brackets ("[0:0::0:1]" is "[::1]").
#pragma once

#include <string>
#include <string_view>

namespace core {

struct HostAddress {
  enum class Kind {
    Name,     // not written as an address: a domain name
    Address,  // an address; text is its canonical form
    Invalid,  // written as an address but none ("1.2.3.256", "[::g]")
  };
  Kind kind = Kind::Name;
  std::string text;
};

// host: lower-case ASCII, without a trailing dot; an IPv6 address in brackets.
HostAddress addressOfHost(std::string_view host);

}  // namespace core
