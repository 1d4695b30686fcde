#include <optional>

#include "platform/linux/registry/reg_file_format.h"
#include "platform/linux/registry/reg_text.h"

namespace platform::linux_os {

namespace {

constexpr std::size_t kKeptProblems = 20;

struct LogicalLine {
  std::size_t number = 0;  // first physical line, 1-based
  std::string text;
  std::string problem;  // set when the line could not even be assembled
};

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The file as UTF-8 text without a byte-order mark.
std::string decodeFile(std::string_view file) {
  if (file.size() >= 3 && file.substr(0, 3) == "\xEF\xBB\xBF") return std::string(file.substr(3));
  if (file.size() >= 2 && file.substr(0, 2) == "\xFF\xFE") {
    Bytes utf16(file.begin() + 2, file.end());
    Bytes text = utf16leToBytes(utf16);
    return std::string(text.begin(), text.end());
  }
  return std::string(file);
}

// Splits into lines and joins those continued by a trailing backslash.
std::vector<LogicalLine> logicalLines(std::string_view text) {
  std::vector<LogicalLine> lines;
  bool continuing = false;
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = trim(text.substr(start, end - start));
    start = end + 1;
    ++number;
    if (!continuing) lines.push_back({number, {}, {}});
    LogicalLine& current = lines.back();
    bool comment = !continuing && !line.empty() && line.front() == ';';
    continuing = !comment && !line.empty() && line.back() == '\\';
    if (continuing) line.remove_suffix(1);
    if (!current.problem.empty()) continue;
    if (current.text.size() + line.size() > kMaxRegLine) {
      current.problem = "line too long";
      current.text.clear();
      current.text.shrink_to_fit();
      continue;
    }
    current.text.append(line);
  }
  if (continuing && lines.back().problem.empty()) lines.back().problem = "continued past the end";
  return lines;
}

// A quoted name or string with the escapes \\ and \"; pos ends after the quote.
std::optional<std::string> readQuoted(std::string_view line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (++pos >= line.size() || (line[pos] != '\\' && line[pos] != '"')) return std::nullopt;
      c = line[pos];
    } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
      return std::nullopt;
    }
    out.push_back(c);
  }
  return std::nullopt;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hex digits, nothing else.
std::optional<std::uint32_t> readHexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  return value;
}

// "xx,xx,..." with exactly two digits a byte; blanks around bytes allowed.
std::optional<Bytes> readHexList(std::string_view list) {
  Bytes out;
  list = trim(list);
  if (list.empty()) return out;
  out.reserve(list.size() / 3 + 1);
  for (std::size_t start = 0;;) {
    std::size_t comma = list.find(',', start);
    std::string_view item = trim(list.substr(start, comma - start));
    if (item.size() != 2) return std::nullopt;
    int hi = hexDigit(item[0]), lo = hexDigit(item[1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && asciiLower(s.substr(0, prefix.size())) == prefix;
}

// The data after "=": a string, dword:, hex: or hex(N):. Version 5 files hold
// the string types' hex data as UTF-16LE, REGEDIT4 files as bytes.
std::optional<RegValue> readData(std::string_view data, bool utf16Strings) {
  if (!data.empty() && data.front() == '"') {
    std::size_t pos = 0;
    auto text = readQuoted(data, pos);
    if (!text || pos != data.size()) return std::nullopt;
    RegValue value{REG_SZ, Bytes(text->begin(), text->end())};
    value.data.push_back(0);
    return value;
  }
  if (startsWithNoCase(data, "dword:")) {
    auto number = readHexNumber(data.substr(6));
    if (!number) return std::nullopt;
    Bytes bytes(4);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(*number >> (8 * i));
    return RegValue{REG_DWORD, bytes};
  }
  if (startsWithNoCase(data, "hex:")) {
    auto bytes = readHexList(data.substr(4));
    if (!bytes) return std::nullopt;
    return RegValue{REG_BINARY, std::move(*bytes)};
  }
  if (startsWithNoCase(data, "hex(")) {
    std::size_t close = data.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    auto type = readHexNumber(data.substr(4, close - 4));
    auto bytes = readHexList(data.substr(close + 2));
    if (!type || !bytes) return std::nullopt;
    bool text = *type == REG_SZ || *type == REG_EXPAND_SZ || *type == REG_MULTI_SZ;
    if (text && utf16Strings && bytes->size() % 2 == 0) *bytes = utf16leToBytes(*bytes);
    return RegValue{*type, std::move(*bytes)};
  }
  return std::nullopt;
}

class Parser {
 public:
  RegParseResult run(std::string_view file) {
    std::string text = decodeFile(file);
    bool headerSeen = false;
    for (LogicalLine& line : logicalLines(text)) {
      if (!line.problem.empty()) {
        problem(line.number, line.problem);
        continue;
      }
      std::string_view body = trim(line.text);
      if (body.empty() || body.front() == ';') continue;
      if (!headerSeen) {
        headerSeen = true;
        if (body == "Windows Registry Editor Version 5.00") continue;
        if (body == "REGEDIT4") {
          utf16Strings_ = false;
          continue;
        }
        problem(line.number, "missing header");
      }
      if (body.front() == '[')
        keyLine(line.number, body);
      else if (body.front() == '"' || body.front() == '@')
        valueLine(line.number, body);
      else
        problem(line.number, "unrecognised line");
    }
    if (!headerSeen) problem(0, "empty file");
    return std::move(result_);
  }

 private:
  void problem(std::size_t number, const std::string& reason) {
    if (result_.problemCount++ < kKeptProblems)
      result_.problems.push_back("line " + std::to_string(number) + ": " + reason);
  }

  void keyLine(std::size_t number, std::string_view body) {
    current_.reset();
    keyLineSeen_ = true;
    if (body.back() != ']') return problem(number, "key line without ]");
    std::string_view path = body.substr(1, body.size() - 2);
    if (!path.empty() && path.front() == '-') return;  // a key deletion: nothing to hold
    std::size_t slash = path.find('\\');
    std::string root = asciiLower(path.substr(0, slash));
    if (root != "hkey_current_user" && root != "hkcu") return problem(number, "foreign root key");
    std::string_view sub = slash == std::string_view::npos ? "" : path.substr(slash + 1);
    if (!isWritableRegName(sub)) return problem(number, "control character in key");
    current_ = addRegKey(result_.keys, sub);
  }

  void valueLine(std::size_t number, std::string_view body) {
    if (!current_) {
      // Values of a skipped key were reported with their key line.
      if (!keyLineSeen_) problem(number, "value outside a key");
      return;
    }
    std::size_t pos = 1;
    std::string name;
    if (body.front() == '"') {
      pos = 0;
      auto quoted = readQuoted(body, pos);
      if (!quoted) return problem(number, "bad value name");
      name = std::move(*quoted);
    }
    std::string_view rest = trim(body.substr(pos));
    if (rest.empty() || rest.front() != '=') return problem(number, "missing =");
    rest = trim(rest.substr(1));
    if (rest == "-") return;  // a value deletion
    auto value = readData(rest, utf16Strings_);
    if (!value) return problem(number, "unreadable data");
    RegKeyData& key = result_.keys[*current_];
    std::string lowered = asciiLower(name);
    key.values[lowered] = std::move(*value);
    key.names[lowered] = name;
  }

  RegParseResult result_;
  std::optional<std::string> current_;  // the key the value lines belong to
  bool keyLineSeen_ = false;
  bool utf16Strings_ = true;
};

}  // namespace

bool isWritableRegName(std::string_view name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

std::string addRegKey(RegKeys& keys, std::string_view subKey) {
  std::string spelled;
  std::string path;
  for (std::size_t start = 0; start <= subKey.size();) {
    std::size_t end = subKey.find('\\', start);
    if (end == std::string_view::npos) end = subKey.size();
    std::string_view part = subKey.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    spelled += (spelled.empty() ? "" : "\\") + std::string(part);
    path = RegistryTree::normalise(spelled);
    RegKeyData& data = keys[path];
    if (data.path.empty()) data.path = spelled;
  }
  return path;
}

RegParseResult parseRegFile(std::string_view file) {
  return Parser().run(file);
}

}  // namespace platform::linux_os
