#include <algorithm>
#include <optional>

#include "platform/linux/registry/reg_file_format.h"
#include "platform/linux/registry/reg_text.h"

namespace platform::linux_os {

namespace {

constexpr std::size_t kKeptProblems = 20;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
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

// Reads one logical line at a time into the keys.
class Parser {
 public:
  void line(std::size_t number, std::string_view text, const std::string& lineProblem) {
    if (!lineProblem.empty()) return problem(number, lineProblem);
    std::string_view body = trim(text);
    if (body.empty() || body.front() == ';') return;
    if (!headerSeen_) {
      headerSeen_ = true;
      if (body == "Windows Registry Editor Version 5.00") return;
      if (body == "REGEDIT4") {
        utf16Strings_ = false;
        return;
      }
      problem(number, "missing header");
    }
    if (body.front() == '[')
      keyLine(number, body);
    else if (body.front() == '"' || body.front() == '@')
      valueLine(number, body);
    else
      problem(number, "unrecognised line");
  }

  RegParseResult finish() {
    if (!headerSeen_) problem(0, "empty file");
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
    // Only spellings other than the lower-case one are held: a hive of many
    // small values would otherwise need half its memory again for them.
    if (name != lowered)
      key.names[lowered] = name;
    else
      key.names.erase(lowered);
  }

  RegParseResult result_;
  std::optional<std::string> current_;  // the key the value lines belong to
  bool keyLineSeen_ = false;
  bool headerSeen_ = false;
  bool utf16Strings_ = true;
};

// Splits text into physical lines and joins those continued by a trailing
// backslash into logical lines, each handed to the parser when complete. A
// logical line longer than kMaxRegLine is reported, not held.
class LineJoiner {
 public:
  explicit LineJoiner(Parser& parser) : parser_(parser) {}

  void feed(std::string_view text) {
    for (;;) {
      std::size_t end = text.find('\n');
      take(text.substr(0, end));
      if (end == std::string_view::npos) return;
      text.remove_prefix(end + 1);
      endPhysicalLine();
    }
  }

  void finish() {
    if (pending_) endPhysicalLine();
    if (continuing_) {
      if (problem_.empty()) problem_ = "continued past the end";
      emit();
    }
  }

 private:
  static constexpr std::size_t kKeptCapacity = 64u << 10;

  // Part of a physical line; leading blanks are never held.
  void take(std::string_view part) {
    if (part.empty()) return;
    pending_ = true;
    if (!overflow_ && physical_.empty()) {
      while (!part.empty() && isBlank(part.front())) part.remove_prefix(1);
      if (part.empty()) return;
      front_ = part.front();
    }
    noteLastSignificant(part);
    if (overflow_) return;
    physical_.append(part);
    if (physical_.size() > kMaxRegLine + 2) {  // room for a trailing "\\\r"
      overflow_ = true;
      release(physical_);
    }
  }

  void noteLastSignificant(std::string_view part) {
    std::string_view t = trim(part);
    if (!t.empty()) last_ = t.back();
  }

  void endPhysicalLine() {
    std::string_view line = overflow_ ? std::string_view() : trim(physical_);
    bool empty = !overflow_ && line.empty();
    ++number_;
    if (!continuing_) {
      first_ = number_;
      logical_.clear();
      problem_.clear();
    }
    bool comment = !continuing_ && !empty && front_ == ';';
    continuing_ = !comment && !empty && last_ == '\\';
    if (continuing_ && !overflow_) line.remove_suffix(1);
    if (problem_.empty()) {
      if (overflow_ || logical_.size() + line.size() > kMaxRegLine) {
        problem_ = "line too long";
        release(logical_);
      } else {
        logical_.append(line);
      }
    }
    physical_.clear();
    if (physical_.capacity() > kKeptCapacity) release(physical_);
    overflow_ = pending_ = false;
    front_ = last_ = 0;
    if (!continuing_) emit();
  }

  void emit() {
    parser_.line(first_, logical_, problem_);
    logical_.clear();
    if (logical_.capacity() > kKeptCapacity) release(logical_);
  }

  static void release(std::string& s) {
    s.clear();
    s.shrink_to_fit();
  }

  Parser& parser_;
  std::string physical_;       // the current physical line, from its first non-blank
  bool pending_ = false;       // bytes of a physical line not yet ended
  bool overflow_ = false;      // the physical line outgrew the limit and is not held
  char front_ = 0, last_ = 0;  // its first and last characters that trim keeps
  std::size_t number_ = 0;     // physical lines ended so far
  std::size_t first_ = 0;      // the first physical line of the logical one
  std::string logical_;
  std::string problem_;
  bool continuing_ = false;
};

}  // namespace

// Finds the encoding from the byte-order mark and hands UTF-8 text on.
class RegFileReader::Impl {
 public:
  void feed(std::string_view bytes) {
    if (encoding_ == Encoding::Unknown) {
      std::size_t take = std::min(bytes.size(), 3 - head_.size());
      head_.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
      if (head_.size() < 3) return;
      decide();
    }
    pass(bytes);
  }

  RegParseResult finish() {
    if (encoding_ == Encoding::Unknown) decide();
    if (encoding_ == Encoding::Utf16 && !carry_.empty())
      lines_.feed(asText(utf16leToBytes(carry_)));
    lines_.finish();
    return parser_.finish();
  }

 private:
  enum class Encoding { Unknown, Utf8, Utf16 };

  static std::string_view asText(const Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
  }

  void decide() {
    std::string_view head = head_;
    encoding_ = Encoding::Utf8;
    if (head.starts_with("\xEF\xBB\xBF")) {
      head.remove_prefix(3);
    } else if (head.starts_with("\xFF\xFE")) {
      encoding_ = Encoding::Utf16;
      head.remove_prefix(2);
    }
    std::string rest(head);
    head_.clear();
    pass(rest);
  }

  void pass(std::string_view bytes) {
    if (encoding_ == Encoding::Utf8) return lines_.feed(bytes);
    carry_.insert(carry_.end(), bytes.begin(), bytes.end());
    // A high surrogate at the end may pair with the next piece's first unit.
    std::size_t whole = carry_.size() & ~std::size_t{1};
    if (whole >= 2 && carry_[whole - 1] >= 0xD8 && carry_[whole - 1] <= 0xDB) whole -= 2;
    Bytes units(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(whole));
    carry_.erase(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(whole));
    lines_.feed(asText(utf16leToBytes(units)));
  }

  Encoding encoding_ = Encoding::Unknown;
  std::string head_;  // the first bytes, until the encoding is known
  Bytes carry_;       // UTF-16 bytes that wait for the next piece
  Parser parser_;
  LineJoiner lines_{parser_};
};

RegFileReader::RegFileReader() : impl_(std::make_unique<Impl>()) {}
RegFileReader::~RegFileReader() = default;

void RegFileReader::feed(std::string_view bytes) {
  impl_->feed(bytes);
}

RegParseResult RegFileReader::finish() {
  return impl_->finish();
}

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
  constexpr std::size_t kPiece = 64u << 10;
  RegFileReader reader;
  for (std::size_t at = 0; at < file.size(); at += kPiece) reader.feed(file.substr(at, kPiece));
  return reader.finish();
}

}  // namespace platform::linux_os
