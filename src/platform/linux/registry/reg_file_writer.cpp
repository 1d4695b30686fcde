#include <cstdio>

#include "platform/linux/registry/reg_file_format.h"
#include "platform/linux/registry/reg_text.h"

namespace platform::linux_os {

namespace {

constexpr std::size_t kWrapColumn = 76;  // regedit wraps hex data near here

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// A REG_SZ that the quoted form holds exactly: one NUL at the end, no other,
// valid UTF-8 and no line-breaking characters.
bool isPlainString(const RegValue& value) {
  const Bytes& d = value.data;
  if (value.type != REG_SZ || d.empty() || d.back() != 0) return false;
  std::string_view text(reinterpret_cast<const char*>(d.data()), d.size() - 1);
  for (char c : text)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) return false;
  return isValidUtf8(text);
}

// "prefix" followed by the bytes as hex, continued with "\" past the wrap column.
void appendHex(std::string& out, std::string line, const Bytes& bytes) {
  static const char* digits = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    line.push_back(digits[bytes[i] >> 4]);
    line.push_back(digits[bytes[i] & 0x0F]);
    if (i + 1 == bytes.size()) break;
    line.push_back(',');
    if (line.size() >= kWrapColumn) {
      out += line + "\\\n";
      line = "  ";
    }
  }
  out += line + "\n";
}

void appendValue(std::string& out, const std::string& name, const RegValue& value) {
  std::string line = (name.empty() ? std::string("@") : quoted(name)) + "=";
  if (isPlainString(value)) {
    const Bytes& d = value.data;
    out += line + quoted(std::string_view(reinterpret_cast<const char*>(d.data()), d.size() - 1)) +
           "\n";
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | value.data[i];
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
    out += line + text + "\n";
  } else if (value.type == REG_BINARY) {
    appendHex(out, line + "hex:", value.data);
  } else {
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
    bool text = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    appendHex(out, line + type, text ? bytesToUtf16le(value.data) : value.data);
  }
}

}  // namespace

std::string formatRegFile(const RegKeys& keys) {
  std::string out = "Windows Registry Editor Version 5.00\n";
  for (const auto& [path, key] : keys) {
    out += "\n[HKEY_CURRENT_USER";
    if (!path.empty()) out += "\\" + (key.path.empty() ? path : key.path);
    out += "]\n";
    for (const auto& [lowered, value] : key.values) {
      auto spelled = key.names.find(lowered);
      appendValue(out, spelled == key.names.end() ? lowered : spelled->second, value);
    }
  }
  return out;
}

}  // namespace platform::linux_os
