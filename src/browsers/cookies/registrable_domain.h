// The registrable domain of a host by the Public Suffix List (its "eTLD+1"):
// the public suffix the list's longest rule gives, and one label more. Each
// system supplies it from where the list is kept there (libpsl on Linux, the
// list embedded in the program on Windows).
#pragma once

#include <string>

namespace browsers {

// "www.example.co.uk" -> "example.co.uk". "" when the host has none: a public
// suffix itself ("co.uk"), a single label ("localhost"). The host as the
// browsers store it: lower case, no leading or trailing dot, an
// internationalised name in its ASCII (punycode) form.
std::string registrableDomain(const std::string& host);

// Whether a rule of the list makes the host itself a public suffix ("co.uk",
// "github.io", a name under a wildcard rule); a name the list does not know
// ("localhost", "router") is not, though the implicit "*" rule would make it
// one. The host as registrableDomain takes it.
bool listedPublicSuffix(const std::string& host);

}  // namespace browsers
