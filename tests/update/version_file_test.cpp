#include "update/version_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "temp_dir.h"

namespace update {
namespace {

TEST(FirstFieldTest, UpToCommaOrLineEndWithoutLeadingBlanksOrQuotes) {
  EXPECT_EQ(firstField("1.1, 2003-05-01\r\n"), "1.1");
  EXPECT_EQ(firstField("   \t1.2 \nsecond line"), "1.2");
  EXPECT_EQ(firstField("1.3\r\n0.1"), "1.3");
  EXPECT_EQ(firstField("\"1.4\", 2003-05-01"), "1.4");
  EXPECT_EQ(firstField("  \"1,5\"\n"), "1,5");
  EXPECT_EQ(firstField("\xEF\xBB\xBF"
                       "1.6\n"),
            "1.6");
  EXPECT_EQ(firstField(""), "");
  EXPECT_EQ(firstField("\n1.7"), "");
  EXPECT_EQ(firstField(",1.8"), "");
}

TEST(ParseVersionTest, DecimalNumbersCompareAsOneNumber) {
  EXPECT_EQ(parseVersion("1.1"), 1.1);
  EXPECT_EQ(parseVersion(" 2 "), 2.0);
  EXPECT_EQ(parseVersion("1.10"), parseVersion("1.1"));
  EXPECT_GT(parseVersion("1.9").value(), parseVersion("1.10").value());
  EXPECT_LT(parseVersion("0.9").value(), ownVersion());
  EXPECT_EQ(ownVersion(), 1.0);
}

TEST(ParseVersionTest, AnythingButAPlainNumberIsNoVersion) {
  for (const char* text : {"", "  ", "abc", "1.1beta", "1,1", "1.1.1", "1e3", "inf", "nan", "0x1p3",
                           "<html><body>404 Not Found</body></html>"}) {
    EXPECT_FALSE(parseVersion(text).has_value()) << text;
  }
}

TEST(ParseVersionTest, IgnoresTheUserLocale) {
  // A comma locale when one is installed; the C.UTF-8 locale otherwise.
  std::string saved = std::setlocale(LC_ALL, nullptr);
  // (Windows names its locales differently, and its C runtime has no C.UTF-8.)
  bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
               std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
  if (!comma) {
    ASSERT_TRUE(std::setlocale(LC_ALL, "C.UTF-8") != nullptr ||
                std::setlocale(LC_ALL, "C") != nullptr);
  }
  auto dotted = parseVersion("1.1");
  auto withComma = parseVersion("1,1");
  testsupport::TempDir dir;
  auto fromFile = readPublishedVersion(dir.write("upd.txt", "1.1, 2003-05-01\n").string());
  std::setlocale(LC_ALL, saved.c_str());

  EXPECT_EQ(dotted, 1.1);
  EXPECT_FALSE(withComma.has_value());
  EXPECT_EQ(fromFile, 1.1);
  if (!comma) std::printf("note: de_DE.UTF-8 is not installed; checked under C.UTF-8\n");
}

TEST(ReadPublishedVersionTest, MissingOrEmptyFile) {
  testsupport::TempDir dir;
  EXPECT_FALSE(readPublishedVersion((dir.path() / "none.txt").string()).has_value());
  EXPECT_FALSE(readPublishedVersion(dir.write("empty.txt", "").string()).has_value());
  EXPECT_EQ(readPublishedVersion(dir.write("quoted.txt", "\"0.9\"\r\n").string()), 0.9);
}

}  // namespace
}  // namespace update
