#include "platform/linux/registry/reg_file_format.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/linux/registry/reg_text.h"

namespace platform::linux_os {
namespace {

Bytes bytes(std::string_view s) {
  return Bytes(s.begin(), s.end());
}
Bytes text(std::string_view s) {
  Bytes b = bytes(s);
  b.push_back(0);
  return b;
}

void put(RegKeys& keys, const std::string& key, const std::string& name, std::uint32_t type,
         Bytes data) {
  std::string path = addRegKey(keys, key);
  keys[path].values[asciiLower(name)] = RegValue{type, std::move(data)};
  keys[path].names[asciiLower(name)] = name;
}

const RegValue* find(const RegKeys& keys, const std::string& key, const std::string& name) {
  auto k = keys.find(RegistryTree::normalise(key));
  if (k == keys.end()) return nullptr;
  auto v = k->second.values.find(asciiLower(name));
  return v == k->second.values.end() ? nullptr : &v->second;
}

RegKeys everyType() {
  RegKeys keys;
  const std::string k = "Software\\ Norrick Tracesweep\\Settings";
  put(keys, k, "autostart", REG_SZ, text("1"));
  put(keys, k, "", REG_SZ, text("default value"));
  put(keys, k, "quote\"and\\slash", REG_SZ, text("C:\\Program Files\\\"x\".exe"));
  put(keys, k, "umlaut", REG_SZ,
      text("Gr\xC3\xBC\xC3\x9F"
           "e \xF0\x9F\x98\x80"));
  put(keys, k, "empty", REG_SZ, text(""));
  put(keys, k, "no nul", REG_SZ, bytes("abc"));
  put(keys, k, "inner nul", REG_SZ, bytes(std::string_view("a\0b\0", 4)));
  put(keys, k, "line break", REG_SZ, text("one\r\ntwo"));
  put(keys, k, "not utf8", REG_SZ, text("\xFF\xFE\xC0\x80\xED\xA0\x80 x"));
  put(keys, k, "expand", REG_EXPAND_SZ, text("%USERPROFILE%\\Cookies \xC3\xA9"));
  put(keys, k, "multi", REG_MULTI_SZ, bytes(std::string_view("one\0two\0\0", 9)));
  put(keys, k, "dword", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF});
  put(keys, k, "short dword", REG_DWORD, {0x01, 0x02});
  put(keys, k, "qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
  put(keys, k, "none", REG_NONE, {});
  put(keys, k, "odd type", 0x12345678u, {0xAB});
  Bytes big(300);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i);
  put(keys, k, "binary", REG_BINARY, big);
  put(keys, "Software\\Odd [key]] name\\Sub", "x", REG_SZ, text("y"));
  addRegKey(keys, "Software\\Empty key");
  return keys;
}

TEST(RegFileFormat, EveryTypeSurvivesTheRoundTrip) {
  RegKeys keys = everyType();
  std::string file = formatRegFile(keys);
  RegParseResult parsed = parseRegFile(file);
  ASSERT_FALSE(parsed.damaged()) << parsed.problems.front();
  ASSERT_EQ(parsed.keys.size(), keys.size());
  for (const auto& [path, key] : keys) {
    const RegKeyData& got = parsed.keys.at(path);
    EXPECT_EQ(got.path, key.path);
    for (const auto& [name, value] : key.values) {
      ASSERT_TRUE(got.values.contains(name)) << name;
      EXPECT_EQ(got.names.contains(name) ? got.names.at(name) : name, key.names.at(name));
      EXPECT_EQ(got.values.at(name).type, value.type) << name;
      EXPECT_EQ(got.values.at(name).data, value.data) << name;
    }
  }
  EXPECT_EQ(formatRegFile(parsed.keys), file);  // stable once written
}

TEST(RegFileFormat, WritesTheWindowsForms) {
  std::string file = formatRegFile(everyType());
  EXPECT_TRUE(file.starts_with("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\"));
  EXPECT_EQ(file.find('\r'), std::string::npos);
  EXPECT_NE(file.find("\n\"autostart\"=\"1\"\n"), std::string::npos);
  EXPECT_NE(file.find("\n@=\"default value\"\n"), std::string::npos);
  EXPECT_NE(file.find("\n\"quote\\\"and\\\\slash\"=\"C:\\\\Program Files\\\\\\\"x\\\".exe\"\n"),
            std::string::npos);
  EXPECT_NE(file.find("\n\"dword\"=dword:ffffffff\n"), std::string::npos);
  EXPECT_NE(file.find("\n\"multi\"=hex(7):6f,00,6e,00,65,00,00,00,74,00"), std::string::npos);
  EXPECT_NE(file.find("\n\"qword\"=hex(b):01,02,03,04,05,06,07,08\n"), std::string::npos);
  EXPECT_NE(file.find("\n\"binary\"=hex:00,01,02,"), std::string::npos);
  EXPECT_NE(file.find(",\\\n  "), std::string::npos);  // long data is continued
}

TEST(RegFileFormat, ReadsWindowsExportsWithBomCrlfAndUtf16) {
  std::string windows =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
      "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
      "\"Count\"=dword:0000002a\r\n"
      "\"Blob\"=hex:01,02,\\\r\n  03\r\n"
      "\"Gone\"=-\r\n"
      "; a comment\r\n"
      "@=\"dflt\"\r\n";
  auto check = [](const RegParseResult& parsed) {
    ASSERT_FALSE(parsed.damaged()) << parsed.problems.front();
    EXPECT_EQ(find(parsed.keys, "software\\test", "path")->data, text("%TEMP%"));
    EXPECT_EQ(find(parsed.keys, "software\\test", "path")->type, REG_EXPAND_SZ);
    EXPECT_EQ(find(parsed.keys, "software\\test", "count")->data, Bytes({42, 0, 0, 0}));
    EXPECT_EQ(find(parsed.keys, "software\\test", "blob")->data, Bytes({1, 2, 3}));
    EXPECT_EQ(find(parsed.keys, "software\\test", "")->data, text("dflt"));
    EXPECT_EQ(find(parsed.keys, "software\\test", "gone"), nullptr);
    EXPECT_TRUE(parsed.keys.contains("software"));
  };
  check(parseRegFile(windows));
  check(parseRegFile("\xEF\xBB\xBF" + windows));
  std::string utf16 = "\xFF\xFE";
  for (char c : windows) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  check(parseRegFile(utf16));
}

TEST(RegFileFormat, ReadsRegedit4StringDataAsBytes) {
  RegParseResult parsed =
      parseRegFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Old]\n\"Path\"=hex(2):25,54,25,00\n");
  ASSERT_FALSE(parsed.damaged());
  EXPECT_EQ(find(parsed.keys, "software\\old", "path")->data, text("%T%"));
}

TEST(RegFileFormat, ReportsEachUnreadableLineAndKeepsTheRest) {
  std::string file =
      "Windows Registry Editor Version 5.00\n"
      "\"orphan\"=\"no key yet\"\n"
      "[HKEY_CURRENT_USER\\Software\\A]\n"
      "\"good1\"=\"1\"\n"
      "\"bad dword\"=dword:123456789\n"
      "\"bad type\"=hex(123456789):00\n"
      "\"one digit\"=hex:1,02\n"
      "\"not hex\"=hex:0g\n"
      "\"trailing comma\"=hex:01,\n"
      "\"junk after\"=\"x\" junk\n"
      "\"bad escape\"=\"a\\nb\"\n"
      "\"unterminated=\"x\n"
      "\"no equals\"\n"
      "what is this\n"
      "\"good2\"=dword:00000002\n"
      "[HKEY_LOCAL_MACHINE\\Software\\B]\n"
      "\"foreign\"=\"x\"\n"
      "[HKEY_CURRENT_USER\\Software\\C\n"
      "\"lost\"=\"x\"\n"
      "[HKEY_CURRENT_USER\\Software\\D]\n"
      "\"good3\"=\"3\"\n"
      "\"cut\"=hex:01,\\\n";
  RegParseResult parsed = parseRegFile(file);
  EXPECT_EQ(parsed.problemCount, 14u);
  EXPECT_EQ(parsed.problems.front(), "line 2: value outside a key");
  EXPECT_EQ(find(parsed.keys, "software\\a", "good1")->data, text("1"));
  EXPECT_EQ(find(parsed.keys, "software\\a", "good2")->data, Bytes({2, 0, 0, 0}));
  EXPECT_EQ(find(parsed.keys, "software\\d", "good3")->data, text("3"));
  EXPECT_EQ(parsed.keys.at("software\\a").values.size(), 2u);
  EXPECT_FALSE(parsed.keys.contains("software\\b"));
  EXPECT_FALSE(parsed.keys.contains("software\\c"));
}

TEST(RegFileFormat, HostileInputNeverCrashes) {
  std::string good = formatRegFile(everyType());
  // Truncations anywhere: a value wholly before the cut is still read.
  std::size_t autostartEnd = good.find("\"autostart\"=\"1\"\n") + 16;
  for (std::size_t cut = 0; cut < good.size(); cut += 7) {
    RegParseResult parsed = parseRegFile(std::string_view(good).substr(0, cut));
    if (cut >= autostartEnd) {
      EXPECT_NE(find(parsed.keys, "software\\ norrick tracesweep\\settings", "autostart"), nullptr)
          << cut;
    }
  }
  EXPECT_TRUE(parseRegFile("").damaged());

  std::mt19937 random(42);
  for (int round = 0; round < 50; ++round) {
    std::string garbage(4096, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    if (round % 2) garbage.insert(0, "Windows Registry Editor Version 5.00\n[HKCU\\X]\n");
    parseRegFile(garbage);
  }

  std::string huge = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n";
  huge += "\"long\"=\"" + std::string(1 << 20, 'x') + "\"\n";
  huge += std::string(1 << 20, '\\') + "\n";  // a megabyte of continuations
  huge += "\"b\"=\"2\"\n";
  RegParseResult parsed = parseRegFile(huge);
  EXPECT_EQ(find(parsed.keys, "k", "a")->data, text("1"));
  EXPECT_EQ(find(parsed.keys, "k", "long")->data.size(), (1u << 20) + 1);
  EXPECT_TRUE(parsed.damaged());
}

}  // namespace
}  // namespace platform::linux_os
