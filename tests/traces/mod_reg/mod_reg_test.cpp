#include "traces/mod_reg.h"

#include <gtest/gtest.h>

#include "forms/fake/fake_platform.h"
#include "identity.h"

namespace {

constexpr const char* kKey = "Software\\Tracesweep\\Test";

// Counts the keys opened and closed, so that no read leaves one open.
class CountingRegistry : public platform::RegistryTree {
 public:
  long RegOpenKey(platform::HKEY root, const std::string& subKey, platform::HKEY& key) override {
    ++opened;
    return RegistryTree::RegOpenKey(root, subKey, key);
  }
  long RegCloseKey(platform::HKEY key) override {
    ++closed;
    return RegistryTree::RegCloseKey(key);
  }
  int opened = 0, closed = 0;
};

class ModReg : public ::testing::Test {
 protected:
  void set(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    platform::HKEY key = 0;
    ASSERT_EQ(registry.RegCreateKey(platform::HKEY_CURRENT_USER, kKey, key), 0);
    ASSERT_EQ(registry.RegSetValueEx(key, name, type, data.data(),
                                     static_cast<std::uint32_t>(data.size())),
              0);
    registry.RegCloseKey(key);
  }
  void setText(const std::string& name, std::uint32_t type, const std::string& text) {
    set(name, type, std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  std::string get(const std::string& name, const std::string& key = kKey) {
    return traces::GetRegValue(platform, platform::HKEY_CURRENT_USER, key, name);
  }

  forms::fake::FakePlatform f;
  CountingRegistry registry;
  forms::Platform platform{
      forms::withView(platform::System{f.files, registry, f.settings, f.urlCache, f.history,
                                       f.trash, f.shell, f.downloader, f.process},
                      f.msgbox, f.dialogs, f.windows, f.tray)};
};

}  // namespace

TEST_F(ModReg, TextValuesUpToTheirFirstNulUnexpandedWithoutAMessage) {
  setText("plain", platform::REG_SZ, std::string("C:\\Cookies\0", 11));
  setText("noNul", platform::REG_SZ, "whole data");
  setText("inner", platform::REG_SZ, std::string("before\0after", 12));
  setText("empty", platform::REG_SZ, "");
  setText("expand", platform::REG_EXPAND_SZ, std::string("%HOME%/cookies\0", 15));
  registry.opened = registry.closed = 0;
  EXPECT_EQ(get("plain"), "C:\\Cookies");
  EXPECT_EQ(get("noNul"), "whole data");
  EXPECT_EQ(get("inner"), "before");
  EXPECT_EQ(get("empty"), "");
  EXPECT_EQ(get("expand"), "%HOME%/cookies");
  EXPECT_TRUE(f.msgbox.shown.empty());
  EXPECT_EQ(registry.opened, 5);
  EXPECT_EQ(registry.closed, 5);
}

TEST_F(ModReg, BinaryUpToFourBytesIsOneSignedIntegerOtherTypesAreEmpty) {
  set("minusOne", platform::REG_BINARY, {0xFF, 0xFF, 0xFF, 0xFF});
  set("short", platform::REG_BINARY, {0x01, 0x02});  // fills the low-order bytes
  set("long", platform::REG_BINARY, {1, 2, 3, 4, 5});
  set("dword", platform::REG_DWORD, {7, 0, 0, 0});
  setText("multi", platform::REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  EXPECT_EQ(get("minusOne"), "-1");
  EXPECT_EQ(get("short"), "513");
  EXPECT_EQ(get("long"), "");
  EXPECT_EQ(get("dword"), "");
  EXPECT_EQ(get("multi"), "");
  EXPECT_TRUE(f.msgbox.shown.empty());
}

TEST_F(ModReg, AFailedReadShowsOneBoxWithTheSystemText) {
  setText("present", platform::REG_SZ, "x");
  // The value is missing: the read reports "file not found".
  EXPECT_EQ(get("absent"), "");
  ASSERT_EQ(f.msgbox.shown.size(), 1u);
  EXPECT_EQ(f.msgbox.shown[0].text, "The system cannot find the file specified.\r\n");
  EXPECT_EQ(f.msgbox.shown[0].style, forms::vbOKOnly);
  EXPECT_EQ(f.msgbox.shown[0].caption, identity::kAppTitle);
  // The key is missing: it opens as no key, and the read fails there.
  EXPECT_EQ(get("present", "Software\\Nowhere"), "");
  ASSERT_EQ(f.msgbox.shown.size(), 2u);
  EXPECT_EQ(f.msgbox.shown[1].text,
            traces::SystemErrorText(registry, platform::ERROR_INVALID_HANDLE));
  EXPECT_FALSE(f.msgbox.shown[1].text.empty());
}

TEST_F(ModReg, SystemErrorTextKeepsTheLineBreakAndIsEmptyForUnknownCodes) {
  EXPECT_EQ(traces::SystemErrorText(registry, 2), "The system cannot find the file specified.\r\n");
  EXPECT_EQ(traces::SystemErrorText(registry, 987654), "");
}
