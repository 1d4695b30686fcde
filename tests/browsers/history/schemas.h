// The CREATE statements of the browsers' history databases.
#pragma once

namespace historytest {

extern const char* const kFirefoxSchema;   // places.sqlite, user_version 86
extern const char* const kChromiumSchema;  // History, meta version 70

}  // namespace historytest
