#include "platform/linux/registry/desktop_entry.h"

#include <cctype>

namespace platform::linux_os {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string doublePercent(std::string_view text) {
  std::string out;
  for (char c : text) {
    out.push_back(c);
    if (c == '%') out.push_back('%');
  }
  return out;
}

std::string singlePercent(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out.push_back(text[i]);
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
  }
  return out;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

std::string quoteExecProgram(std::string_view program) {
  if (!program.empty() && program.find_first_of(kReserved) == std::string_view::npos)
    return doublePercent(program);
  std::string out = "\"";
  for (char c : program) {
    if (kEscapedInQuotes.find(c) != std::string_view::npos) out.push_back('\\');
    out.push_back(c);
    if (c == '%') out.push_back('%');
  }
  out.push_back('"');
  return out;
}

std::string unquoteExec(std::string_view exec) {
  if (exec.size() >= 2 && exec.front() == '"') {
    std::string out;
    std::size_t i = 1;
    for (; i < exec.size() && exec[i] != '"'; ++i) {
      if (exec[i] == '\\' && i + 1 < exec.size() &&
          kEscapedInQuotes.find(exec[i + 1]) != std::string_view::npos)
        ++i;
      out.push_back(exec[i]);
    }
    if (i == exec.size() - 1) return singlePercent(out);
  }
  return singlePercent(exec);
}

std::string escapeKeyFileValue(std::string_view value) {
  std::size_t first = value.find_first_not_of(' ');
  std::size_t last = value.find_last_not_of(' ');
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else if (c == ' ' && (first == std::string_view::npos || i < first || i > last))
      out += "\\s";
    else
      out.push_back(c);
  }
  return out;
}

std::string unescapeKeyFileValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    switch (value[++i]) {
      case 's':
        out.push_back(' ');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case '\\':
        out.push_back('\\');
        break;
      default:  // not an escape of the type: kept as written
        out.push_back('\\');
        out.push_back(value[i]);
    }
  }
  return out;
}

std::string autostartFileStem(std::string_view valueName) {
  std::string stem;
  for (char c : valueName) {
    auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) && u < 0x80) {
      stem.push_back(static_cast<char>(std::tolower(u)));
    } else if (!stem.empty() && stem.back() != '-') {
      stem.push_back('-');
    }
    if (stem.size() >= 40) break;
  }
  while (!stem.empty() && stem.back() == '-') stem.pop_back();
  return kAutostartFilePrefix + (stem.empty() ? std::string("entry") : stem);
}

std::string autostartFileText(std::string_view valueName, std::string_view program) {
  std::string_view shown = trimBlanks(valueName);
  std::string text = "[Desktop Entry]\nType=Application\n";
  text += "Name=" + escapeKeyFileValue(shown.empty() ? "Autostart entry" : shown) + "\n";
  text += "Exec=" + escapeKeyFileValue(quoteExecProgram(program)) + "\n";
  text += "Terminal=false\n";
  text += std::string(kValueNameKey) + "=" + escapeKeyFileValue(valueName) + "\n";
  return text;
}

AutostartFileFields readAutostartFile(std::string_view text) {
  AutostartFileFields fields;
  bool inMainGroup = false;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = trimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    std::size_t equals = line.find('=');
    if (!inMainGroup || equals == std::string_view::npos) continue;
    std::string_view key = trimBlanks(line.substr(0, equals));
    std::string value = unescapeKeyFileValue(trimBlanks(line.substr(equals + 1)));
    if (key == kValueNameKey) {
      fields.ours = true;
      fields.valueName = value;
    } else if (key == "Exec") {
      fields.data = unquoteExec(value);
    } else if (key == "Hidden") {
      fields.hidden = value == "true";
    }
  }
  return fields;
}

}  // namespace platform::linux_os
