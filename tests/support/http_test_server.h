// A small HTTP/1.1 server on 127.0.0.1 for tests of downloads: it serves the
// replies a test sets up by path, including ones no healthy server gives
// (silence, no announced length, redirects).
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct HttpReply {
  int status = 200;
  std::string body;
  std::string location;        // the Location header, for redirects
  bool announceLength = true;  // false: no Content-Length; the body ends with the connection
  bool silent = false;         // read the request, then never answer

  static HttpReply text(std::string body, int status = 200) {
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
  }
  static HttpReply unannounced(std::string body) {
    HttpReply reply = text(std::move(body));
    reply.announceLength = false;
    return reply;
  }
  static HttpReply redirect(std::string location, int status = 302) {
    HttpReply reply = text("moved", status);
    reply.location = std::move(location);
    return reply;
  }
  static HttpReply silence() {
    HttpReply reply;
    reply.silent = true;
    return reply;
  }
};

class HttpTestServer {
 public:
  // Listens on a free port of 127.0.0.1. Paths without a reply get a 404 page.
  HttpTestServer();
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  int port() const { return port_; }
  std::string url(const std::string& path, const std::string& host = "127.0.0.1") const;
  void serve(const std::string& path, HttpReply reply);
  std::vector<std::string> requestedPaths() const;

 private:
  void run();
  void answer(int connection);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::map<std::string, HttpReply> replies_;
  std::vector<std::string> requested_;
  std::vector<int> held_;  // connections of silent replies, closed at the end
  std::thread thread_;
};

// A port of 127.0.0.1 on which nothing listens.
int unusedPort();

}  // namespace testsupport
