// Random characters for the names of the program's own temporaries, which
// are then created only when the name is new (CREATE_NEW, CreateDirectoryW),
// so a guessed or repeated name is never opened.
#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace platform::windows_os {

inline std::string randomCharacters(std::size_t count) {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += kAlphabet[pick(generator)];
  return text;
}

}  // namespace platform::windows_os
