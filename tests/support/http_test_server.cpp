#include "http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testsupport {

namespace {

int bindLoopback(int& port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    throw std::runtime_error("bind failed");
  }
  port = ntohs(address.sin_port);
  return fd;
}

std::string readRequestHead(int connection) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    pollfd p{connection, POLLIN, 0};
    if (poll(&p, 1, 2000) <= 0) break;
    ssize_t n = recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  return head;
}

std::string pathOf(const std::string& head) {
  auto start = head.find(' ');
  if (start == std::string::npos) return "";
  auto end = head.find(' ', start + 1);
  return head.substr(start + 1, end == std::string::npos ? end : end - start - 1);
}

std::string reasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

void sendAll(int connection, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    // MSG_NOSIGNAL: a client that gives up early must not end the test with SIGPIPE.
    ssize_t n = send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

HttpTestServer::HttpTestServer() {
  listener_ = bindLoopback(port_);
  if (listen(listener_, 16) != 0) {
    close(listener_);
    throw std::runtime_error("listen failed");
  }
  thread_ = std::thread([this] { run(); });
}

HttpTestServer::~HttpTestServer() {
  stopping_ = true;
  thread_.join();
  for (int fd : held_) close(fd);
  close(listener_);
}

std::string HttpTestServer::url(const std::string& path, const std::string& host) const {
  return "http://" + host + ":" + std::to_string(port_) + path;
}

void HttpTestServer::serve(const std::string& path, HttpReply reply) {
  std::lock_guard lock(mutex_);
  replies_[path] = std::move(reply);
}

std::vector<std::string> HttpTestServer::requestedPaths() const {
  std::lock_guard lock(mutex_);
  return requested_;
}

void HttpTestServer::run() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0) answer(connection);
  }
}

void HttpTestServer::answer(int connection) {
  std::string path = pathOf(readRequestHead(connection));
  HttpReply reply = HttpReply::text("<html><body>404 Not Found</body></html>", 404);
  {
    std::lock_guard lock(mutex_);
    requested_.push_back(path);
    if (auto it = replies_.find(path); it != replies_.end()) reply = it->second;
    if (reply.silent) {
      held_.push_back(connection);
      return;
    }
  }
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reasonOf(reply.status) +
                     "\r\nConnection: close\r\nContent-Type: text/plain\r\n";
  if (reply.announceLength) head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
  if (!reply.location.empty()) head += "Location: " + reply.location + "\r\n";
  sendAll(connection, head + "\r\n" + reply.body);
  shutdown(connection, SHUT_WR);
  close(connection);
}

int unusedPort() {
  int port = 0;
  close(bindLoopback(port));
  return port;
}

}  // namespace testsupport
