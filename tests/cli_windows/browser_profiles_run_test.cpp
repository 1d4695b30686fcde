// The Windows program clears the modern browsers' profiles where Windows
// keeps them (the roaming and local application data), and leaves the
// profile of a browser that runs, told by the lock file it holds.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "cookie_databases.h"
#include "program_run.h"
#include "temp_dir.h"

namespace {

using browsertest::CookieRow;

struct WindowsProfiles {
  testsupport::TempDir home;
  std::filesystem::path firefox;  // the profile folder
  std::filesystem::path edge;     // the Default profile folder

  WindowsProfiles() {
    const std::filesystem::path roaming = home.path() / "Roaming";
    const std::filesystem::path local = home.path() / "Local";
    // As Firefox writes profiles.ini on Windows: a relative, "/"-separated path.
    home.write("Roaming/Mozilla/Firefox/profiles.ini",
               "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
               "Path=Profiles/k3x9.default-release\r\nDefault=1\r\n");
    firefox = roaming / "Mozilla" / "Firefox" / "Profiles" / "k3x9.default-release";
    std::filesystem::create_directories(firefox);
    browsertest::makeFirefoxCookies((firefox / "cookies.sqlite").string(), 17,
                                    {CookieRow("alpha.test", "a"), CookieRow(".beta.test", "b")});
    edge = local / "Microsoft" / "Edge" / "User Data" / "Default";
    std::filesystem::create_directories(edge / "Network");
    home.write("Local/Microsoft/Edge/User Data/Default/Preferences", "{}");
    home.write("Local/Microsoft/Edge/User Data/Default/Network/NetworkDataMigrated", "");
    browsertest::makeChromiumCookies((edge / "Network" / "Cookies").string(),
                                     {CookieRow("gamma.test", "g")});
    SetEnvironmentVariableW(L"APPDATA", roaming.wstring().c_str());
    SetEnvironmentVariableW(L"LOCALAPPDATA", local.wstring().c_str());
  }
  ~WindowsProfiles() {
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
  }

  std::size_t firefoxCookies() const {
    return browsertest::queryRows((firefox / "cookies.sqlite").string(),
                                  "SELECT name FROM moz_cookies")
        .size();
  }
  std::size_t edgeCookies() const {
    return browsertest::queryRows((edge / "Network" / "Cookies").string(),
                                  "SELECT name FROM cookies")
        .size();
  }
};

// Whether this runs under Wine, in the throwaway prefix of the test script.
bool underWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST(BrowserProfilesRun, FirefoxAndEdgeProfilesAreListedClearedAndARunningOneIsLeft) {
  // The run clears the system's own cookie folder too: never a real user's.
  if (!underWine()) GTEST_SKIP() << "clears the legacy cookies of the user who runs it";
  WindowsProfiles profiles;

  const ProgramRun dry = runProgram("--clear cookies --dry-run");
  EXPECT_NE(dry.out.find("firefox.default-release@alpha.test"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("firefox.default-release@beta.test"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("edge."), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("@gamma.test"), std::string::npos) << dry.out;
  EXPECT_EQ(profiles.firefoxCookies(), 2u);

  {
    // A running Firefox holds parent.lock open without sharing.
    const std::wstring lock = (profiles.firefox / "parent.lock").wstring();
    HANDLE held = CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ProgramRun running = runProgram("--clear cookies");
    CloseHandle(held);
    EXPECT_EQ(running.status, 1u) << running.out << running.err;
    EXPECT_NE(running.out.find("running"), std::string::npos) << running.out;
    EXPECT_EQ(profiles.firefoxCookies(), 2u);
    EXPECT_EQ(profiles.edgeCookies(), 0u);
  }

  const ProgramRun closed = runProgram("--clear cookies");
  EXPECT_EQ(profiles.firefoxCookies(), 0u) << closed.out << closed.err;
  EXPECT_EQ(profiles.edgeCookies(), 0u);
}

}  // namespace
