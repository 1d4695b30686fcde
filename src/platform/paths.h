// Paths as the system writes them, for the layers above the platform: joined
// with the system's separator, and taken apart at either separator where the
// system accepts both (Windows takes "/" as well as "\"; Linux only "/").
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The separator the system writes ("/" on Linux, "\" on Windows), as the
// build chose the system.
extern const char kPathSeparator;

// True for a character the system reads as a separator.
bool isPathSeparator(char c);

// folder and name with one separator between them; name alone when folder
// is empty. A separator that ends folder or starts name is not doubled.
std::string joinPath(std::string_view folder, std::string_view name);

// What follows the last separator ("b" of "a/b"); the whole path when it
// has none.
std::string fileNameOf(std::string_view path);

// What precedes the last separator ("a" of "a/b"); "" when it has none,
// the root itself for a file in the root ("/" of "/b", "C:\" of "C:\b").
std::string folderOf(std::string_view path);

// True for a path that names its place from a root: "/…" and, where "\" is
// the separator, "\…" and a drive's "C:\…".
bool isAbsolutePath(std::string_view path);

// path without the separators that end it, a root kept whole ("/", "C:\").
std::string withoutTrailingSeparators(std::string_view path);

// Every separator of path written as the system writes it.
std::string nativePath(std::string_view path);

// A path relative to folder, "/"-separated as the file walks give it, as
// the system writes it below folder; relative alone when folder is empty.
std::string pathBelow(std::string_view folder, std::string_view relative);

}  // namespace platform
