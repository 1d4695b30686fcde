// The recycle bin emptied through SHEmptyRecycleBinA, and downloads through
// URLDownloadToFileA from a small HTTP server of the test's own.
// clang-format off
// First: the view's services name the tray's WM_ numbers, which windows.h
// defines as macros.
#include "windows_services.h"
// clang-format on
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "platform/windows/win32.h"
#include "test_files.h"

// After the Windows headers, which leave out the old socket header.
#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

using windows_test::exists;
using windows_test::readAll;

// Emptying the bin empties the user's real bin: only where the test runs in a
// throwaway Wine prefix or user account that says so.
bool mayEmptyTheBin() {
  const char* allowed = std::getenv("TRACESWEEP_TEST_EMPTY_RECYCLE_BIN");
  return allowed && std::string(allowed) == "1";
}

std::int64_t itemsInTheBin() {
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(SHQueryRecycleBinA(nullptr, &info))) return -1;
  return info.i64NumItems;
}

TEST(WindowsTrash, EveryBinIsEmptiedWithoutAQuestion) {
  if (!mayEmptyTheBin()) GTEST_SKIP() << "set TRACESWEEP_TEST_EMPTY_RECYCLE_BIN=1 to empty the bin";
  windows_test::TestFolder folder("trash");
  const std::string file = folder.write("binned.txt", "to the bin");
  std::string from = file + '\0';  // the list ends in two NULs
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ASSERT_EQ(SHFileOperationA(&operation), 0);
  ASSERT_FALSE(exists(file));
  ASSERT_GT(itemsInTheBin(), 0);

  windows_test::RealWindows real;
  real.platform().trash.emptyAll();
  EXPECT_EQ(itemsInTheBin(), 0);
  real.platform().trash.emptyAll();  // an empty bin: nothing to say
}

// Answers every request on its own connection: the version file with 200,
// anything else with a 404 page.
class TinyServer {
 public:
  TinyServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 8);
    thread_ = std::thread([this] { serve(); });
  }
  ~TinyServer() {
    closesocket(listener_);  // ends the accept loop
    thread_.join();
    WSACleanup();
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  void serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[2048];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      const bool found = request.find(" /products/ts/version.txt ") != std::string::npos;
      const std::string body = found ? "1.1,2003-05-01\r\n" : "<html>Not Found</html>";
      const std::string answer =
          std::string(found ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") +
          "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
          "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
      send(client, answer.data(), static_cast<int>(answer.size()), 0);
      shutdown(client, SD_SEND);
      while (recv(client, buffer, sizeof buffer, 0) > 0) {
      }
      closesocket(client);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
};

TEST(WindowsDownloader, TheFileArrivesAndAnErrorPageIsAFailure) {
  TinyServer server;
  windows_test::TestFolder folder("download");
  windows_test::RealWindows real;
  auto& downloader = real.platform().downloader;

  const std::string copy = folder.path() + "\\upd.txt";
  ASSERT_EQ(downloader.download(server.url("/products/ts/version.txt"), copy), 0);
  EXPECT_EQ(readAll(copy), "1.1,2003-05-01\r\n");

  // A 404 fails and leaves the last good copy as it was.
  EXPECT_NE(downloader.download(server.url("/products/ts/missing.txt"), copy), 0);
  EXPECT_EQ(readAll(copy), "1.1,2003-05-01\r\n");
  const std::string fresh = folder.path() + "\\fresh.txt";
  EXPECT_NE(downloader.download(server.url("/nothing-here"), fresh), 0);
  EXPECT_FALSE(exists(fresh));
  EXPECT_FALSE(exists(fresh + ".download"));

  EXPECT_EQ(downloader.download(server.url("/products/ts/version.txt"),
                                folder.path() + "\\no such folder\\upd.txt"),
            platform::kDownloadFolderNotWritable);

  // In the background: the status arrives on the downloader's own thread.
  std::promise<int> status;
  const std::string later = folder.path() + "\\later.txt";
  downloader.downloadInBackground(server.url("/products/ts/version.txt"), later,
                                  [&](int result) { status.set_value(result); });
  auto arrived = status.get_future();
  ASSERT_EQ(arrived.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(arrived.get(), 0);
  EXPECT_EQ(readAll(later), "1.1,2003-05-01\r\n");
}

}  // namespace
