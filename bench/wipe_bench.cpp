// The engine's side of bench/wipe_vs_shred.sh:
//   wipe_bench file PATH PASSES     wipe one file (WipeFile)
//   wipe_bench tree DIR PASSES      wipe every file under DIR as the wipe page does
//                                   (WipeChoice: opened once, listed, wiped through it)
//   wipe_bench mktree DIR COUNT     make COUNT files of 1-8 KiB in sub-folders of DIR
// It exits non-zero when anything was not wiped.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "erase/secure_wipe.h"
#include "erase/wipe_choice.h"
#include "forms/fake/fake_platform.h"
#include "platform/linux/files/linux_file_layer.h"

namespace {

struct Bundle {
  forms::fake::FakePlatform fakes;
  platform::linux_os::LinuxFileLayer files;
  forms::Platform platform{forms::withView(
      platform::System{files, fakes.registry, fakes.settings, fakes.urlCache, fakes.history,
                       fakes.trash, fakes.shell, fakes.downloader, fakes.process},
      fakes.msgbox, fakes.dialogs, fakes.windows, fakes.tray)};
};

int makeTree(const std::string& root, long count) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> size(1024, 8192);
  std::vector<char> data(8192);
  for (char& c : data) c = static_cast<char>(random());
  mkdir(root.c_str(), 0700);
  for (long i = 0; i < count; ++i) {
    std::string folder = root + "/d" + std::to_string(i / 100);
    if (i % 100 == 0) mkdir(folder.c_str(), 0700);
    std::string path = folder + "/f" + std::to_string(i);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return 1;
    auto n = static_cast<std::size_t>(size(random));
    if (write(fd, data.data(), n) != static_cast<ssize_t>(n)) return 1;
    close(fd);
  }
  return 0;
}

int wipeTree(Bundle& bundle, const std::string& root, int passes) {
  erasure::FileList list;
  erasure::WipeChoice choice(bundle.platform, root);
  if (!choice.list(&list)) {
    std::fprintf(stderr, "%s\n", choice.problem().c_str());
    return 1;
  }
  int failures = 0;
  for (const auto& result : choice.wipe(passes).results)
    if (!result.destroyed()) {
      std::fprintf(stderr, "%s: %s\n", result.path.c_str(), result.reason.c_str());
      ++failures;
    }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s file|tree|mktree PATH PASSES|COUNT\n", argv[0]);
    return 2;
  }
  const std::string command = argv[1], path = argv[2];
  const long number = std::atol(argv[3]);
  if (command == "mktree") return makeTree(path, number);
  Bundle bundle;
  if (command == "tree") return wipeTree(bundle, path, static_cast<int>(number));
  auto result = erasure::WipeFile(bundle.platform, path, static_cast<int>(number));
  if (!result.destroyed()) std::fprintf(stderr, "%s: %s\n", path.c_str(), result.reason.c_str());
  return result.destroyed() ? 0 : 1;
}
