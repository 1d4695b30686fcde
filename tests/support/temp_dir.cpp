#include "temp_dir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace testsupport {

#ifdef _WIN32
// The Windows C runtime has no mkdtemp, chmod of folders or setenv.
namespace {

bool makeUniqueFolder(std::string& pattern) {
  std::random_device seed;
  std::mt19937 random(seed());
  const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  const auto stem = pattern.size() - 6;
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (std::size_t i = 0; i < 6; ++i) pattern[stem + i] = letters[random() % 36];
    std::error_code ec;
    if (std::filesystem::create_directory(pattern, ec)) return true;
  }
  return false;
}

void makeWritable(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ec);
}

void setEnvironment(const std::string& name, const char* value) {
  _putenv_s(name.c_str(), value ? value : "");
}

}  // namespace
#else
namespace {

bool makeUniqueFolder(std::string& pattern) {
  return mkdtemp(pattern.data()) != nullptr;
}

void makeWritable(const std::filesystem::path& path) {
  chmod(path.c_str(), 0700);
}

void setEnvironment(const std::string& name, const char* value) {
  if (value)
    setenv(name.c_str(), value, 1);
  else
    unsetenv(name.c_str());
}

}  // namespace
#endif

TempDir::TempDir() {
  std::string base = (std::filesystem::temp_directory_path() / "tracesweep-test-XXXXXX").string();
  if (!makeUniqueFolder(base)) throw std::runtime_error("mkdtemp failed");
  path_ = base;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Make read-only folders removable again before removing the tree.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) makeWritable(it->path());
  }
  makeWritable(path_);
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(const std::string& relative,
                                     const std::string& content) const {
  auto p = path_ / relative;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << content;
  return p;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

EnvGuard::EnvGuard(const char* name, const std::string& value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_ = true;
    old_ = old;
  }
  setEnvironment(name_, value.c_str());
}

EnvGuard::~EnvGuard() {
  setEnvironment(name_, had_ ? old_.c_str() : nullptr);
}

}  // namespace testsupport
