#include "platform/linux/common/mountinfo.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/linux/common/file_system_kinds.h"

namespace platform::linux_os {

namespace {

bool hasOption(std::string_view options, std::string_view wanted) {
  while (!options.empty()) {
    std::size_t comma = options.find(',');
    std::string_view option = options.substr(0, comma);
    if (option == wanted) return true;
    if (comma == std::string_view::npos) break;
    options.remove_prefix(comma + 1);
  }
  return false;
}

// "major:minor"; false when the field is not that.
bool parseDevice(std::string_view field, unsigned& major, unsigned& minor) {
  const std::size_t colon = field.find(':');
  if (colon == std::string_view::npos) return false;
  const char* end = field.data() + field.size();
  auto first = std::from_chars(field.data(), field.data() + colon, major);
  auto second = std::from_chars(field.data() + colon + 1, end, minor);
  return first.ec == std::errc() && first.ptr == field.data() + colon && second.ec == std::errc() &&
         second.ptr == end;
}

bool isOctal(char c) {
  return c >= '0' && c <= '7';
}

// Fields are separated by single blanks (blanks inside a field are escaped);
// an empty field, such as an empty mount source, stays a field.
std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    std::size_t blank = line.find(' ');
    fields.push_back(line.substr(0, blank));
    if (blank == std::string_view::npos) break;
    line.remove_prefix(blank + 1);
  }
  return fields;
}

// id parent major:minor root mountpoint options [optional...] - type source superoptions
bool parseLine(std::string_view line, MountEntry& entry) {
  std::vector<std::string_view> fields = splitFields(line);
  constexpr std::size_t kFixedBefore = 6;
  if (fields.size() < kFixedBefore + 4) return false;
  std::size_t separator = kFixedBefore;
  while (separator < fields.size() && fields[separator] != "-") ++separator;
  if (separator + 2 >= fields.size()) return false;  // no type and source after "-"
  if (!parseDevice(fields[2], entry.deviceMajor, entry.deviceMinor)) return false;
  entry.mountPoint = UnescapeMountField(fields[4]);
  entry.mountOptions = std::string(fields[5]);
  entry.fsType = UnescapeMountField(fields[separator + 1]);
  entry.source = UnescapeMountField(fields[separator + 2]);
  entry.superOptions = separator + 3 < fields.size() ? std::string(fields[separator + 3]) : "";
  return !entry.mountPoint.empty() && entry.mountPoint[0] == '/';
}

}  // namespace

bool MountEntry::readOnly() const {
  return hasOption(mountOptions, "ro") || hasOption(superOptions, "ro");
}

std::string UnescapeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
        isOctal(field[i + 2]) && isOctal(field[i + 3])) {
      int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      if (value > 0 && value < 256) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> entries;
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    MountEntry entry;
    if (parseLine(line, entry)) entries.push_back(std::move(entry));
    if (newline == std::string_view::npos) break;
    text.remove_prefix(newline + 1);
  }
  return entries;
}

std::vector<MountEntry> ReadMountInfo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseMountInfo(text.str());
}

bool MountEntry::hasSuperOption(std::string_view option) const {
  return hasOption(superOptions, option);
}

bool IsPseudoFileSystem(const std::string& fsType) {
  return fileSystemNamed(fsType).kind == FileSystemKind::HoldsNoFiles;
}

}  // namespace platform::linux_os
