// Memory and time of loading a large preferences (hive) file.
//   hive_load_bench write FILE hex|strings|utf16 MEGABYTES   makes a sound hive file
//   hive_load_bench load FILE                                loads it as the program does
//   hive_load_bench get FILE KEY NAME                        prints one string value
// Run the load under `/usr/bin/time -v` and compare "Maximum resident set size"
// with the file's size.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/linux/registry/hive_registry.h"
#include "platform/linux/registry/reg_file_format.h"
#include "platform/linux/registry/reg_text.h"

using namespace platform::linux_os;

namespace {

RegKeys makeKeys(const std::string& shape, std::size_t bytes) {
  RegKeys keys;
  std::size_t made = 0;
  for (int k = 0; made < bytes; ++k) {
    std::string path = addRegKey(keys, "Software\\Bench\\Key " + std::to_string(k));
    for (int v = 0; v < 100 && made < bytes; ++v) {
      std::string name = "value " + std::to_string(v);
      platform::RegValue value;
      if (shape == "strings") {
        std::string text = "C:\\Some\\Folder\\file-" + std::to_string(k * 100 + v) + ".txt";
        value = {platform::REG_SZ, Bytes(text.begin(), text.end())};
        value.data.push_back(0);
        made += name.size() + text.size() + 6;
      } else {
        value = {platform::REG_BINARY, Bytes(4096, static_cast<std::uint8_t>(v))};
        made += 4096 * 3 + 4096 / 25 * 4;  // "xx," and the wrapped lines
      }
      keys[path].values[name] = std::move(value);
      keys[path].names[name] = name;
    }
  }
  return keys;
}

int write(const std::string& file, const std::string& shape, std::size_t megabytes) {
  std::string text = formatRegFile(makeKeys(shape, megabytes << 20));
  std::ofstream out(file, std::ios::binary);
  if (shape == "utf16") {
    std::string crlf;
    for (char c : text) {
      if (c == '\n') crlf.push_back('\r');
      crlf.push_back(c);
    }
    Bytes utf16 = bytesToUtf16le(Bytes(crlf.begin(), crlf.end()));
    out << "\xFF\xFE";
    out.write(reinterpret_cast<const char*>(utf16.data()), static_cast<long>(utf16.size()));
  } else {
    out << text;
  }
  return out ? 0 : 1;
}

int load(const std::string& file) {
  auto start = std::chrono::steady_clock::now();
  HiveRegistry registry(file);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::size_t values = 0;
  for (const auto& [path, key] : registry.keys()) values += key.values.size();
  std::printf("%zu keys, %zu values, %zu problems, %.2f s\n", registry.keys().size(), values,
              registry.loadProblems().size(), seconds);
  return registry.loadProblems().empty() ? 0 : 1;
}

int get(const std::string& file, const std::string& key, const std::string& name) {
  HiveRegistry registry(file);
  auto found = registry.keys().find(platform::RegistryTree::normalise(key));
  if (found == registry.keys().end()) return 1;
  auto value = found->second.values.find(asciiLower(name));
  if (value == found->second.values.end()) return 1;
  std::string text(value->second.data.begin(), value->second.data.end());
  std::printf("%s\n", text.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "write" && argc == 5)
    return write(argv[2], argv[3], std::strtoul(argv[4], nullptr, 10));
  if (mode == "load" && argc == 3) return load(argv[2]);
  if (mode == "get" && argc == 5) return get(argv[2], argv[3], argv[4]);
  std::fprintf(stderr,
               "usage: %s write FILE hex|strings|utf16 MB | load FILE | get FILE KEY NAME\n",
               argv[0]);
  return 2;
}
