// Whole-file reads and replacements of the small files a profile keeps
// beside its databases (session files, Preferences). No link is followed.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace browsers::history {

enum class FileRead { Read, Missing, Failed };

// Reads a regular file of at most maxBytes into content.
FileRead readProfileFile(const std::string& path, std::string& content,
                         std::size_t maxBytes = 256u << 20);

// Replaced: the new content is in place and on the storage. Kept: it could
// not be written, and the old file is exactly as it was. NotFlushed: the new
// content is in place, but the folder could not be flushed after the rename.
enum class ReplaceResult { Replaced, Kept, NotFlushed };

// Replaces a file's content atomically: a new file beside it (a hidden name
// only this program uses) with the old one's permissions, written and synced,
// then renamed over it, and the folder synced. Unless Replaced, error says
// why in plain words ("the disk is full", "read-only file system" ...).
ReplaceResult replaceProfileFile(const std::string& path, const std::string& content,
                                 std::string& error);

// Removes the temporaries that a rewrite cut short (a kill, a crash) left in
// folder, those older than runStart.
void removeStaleProfileTemporaries(const std::string& folder, const timespec& runStart);

// Removes a file (a link itself, never its target); true when it is gone,
// else error says why in plain words.
bool removeProfileFile(const std::string& path, std::string& error);

// The names of the regular files directly inside a folder, sorted; none when
// the folder is missing or a link.
std::vector<std::string> filesIn(const std::string& folder);

// Whether the bytes hold the text as UTF-8 or as UTF-16 (little-endian).
bool holdsText(const std::string& bytes, const std::string& text);

}  // namespace browsers::history
