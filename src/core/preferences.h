// How the eleven preferences are stored: "0"/"1" for a box, "True"/"False"
// for the shredding level, under the application title and "Settings".
#pragma once

#include <optional>
#include <string>

namespace core::prefs {

inline constexpr const char* kSection = "Settings";

// A stored box value as a whole number; 0 when it cannot be converted.
int parseBoxValue(const std::string& text);
// A stored truth value; nullopt when it cannot be converted.
std::optional<bool> parseTruth(const std::string& text);
std::string truthText(bool value);

}  // namespace core::prefs
