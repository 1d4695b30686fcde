// A development stand-in for the Windows program: the real Win32 view over the
// fake platform services, filled with sample cookies, cache entries and
// history, so the windows can be looked at without the Windows platform
// layer. Never shipped; the program itself is src/main_windows.cpp.
// The view's Windows headers first: they remove the system's macros that
// would clash with the program's names.
#include "view/win32/win32_view.h"
// Then the rest.
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_services.h"
#include "platform/registry_settings_store.h"
#include "platform/registry_tree.h"

namespace platform::sample {

class SampleHistory : public UrlHistoryStg {
 public:
  explicit SampleHistory(std::vector<STATURL>& records) : records_(records) {}
  HRESULT AddUrl(const std::string& url, const std::string& title, std::uint32_t) override {
    STATURL record;
    record.url = url;
    record.title = title;
    record.hasTitle = !title.empty();
    records_.push_back(record);
    return S_OK;
  }
  HRESULT DeleteUrl(const std::string&, std::uint32_t) override { return S_OK; }
  HRESULT EnumUrls(std::unique_ptr<EnumSTATURL>& out) override {
    class Walk : public EnumSTATURL {
     public:
      explicit Walk(const std::vector<STATURL>& records) : records_(records) {}
      HRESULT SetFilter(const std::string*, std::uint32_t) override { return S_OK; }
      HRESULT Next(STATURL& out, std::uint32_t& fetched) override {
        if (next_ >= records_.size()) {
          fetched = 0;
          return S_FALSE;
        }
        out = records_[next_++];
        fetched = 1;
        return S_OK;
      }

     private:
      std::vector<STATURL> records_;
      std::size_t next_ = 0;
    };
    out = std::make_unique<Walk>(records_);
    return S_OK;
  }
  HRESULT ClearHistory() override {
    records_.clear();
    return S_OK;
  }
  std::string lastErrorText() const override { return {}; }

 private:
  std::vector<STATURL>& records_;
};

// A recycle bin that takes a moment to empty, so the progress of the exit run
// can be seen.
class SlowTrash : public Trash {
 public:
  void emptyAll(ClearOutcome* /*outcome*/ = nullptr) override { Sleep(1500); }
};

class SampleHistoryFactory : public UrlHistoryFactory {
 public:
  std::unique_ptr<UrlHistoryStg> create() override {
    return std::make_unique<SampleHistory>(records);
  }
  std::vector<STATURL> records;
};

std::uint64_t fileTime(int daysAgo) {
  // 2026-12-01 12:00 UTC in 100 ns intervals since 1601, minus whole days.
  const std::uint64_t base = 134406000000000000ull;
  return base - static_cast<std::uint64_t>(daysAgo) * 864000000000ull;
}

void setCookieFolder(Registry& registry, const std::string& folder) {
  platform::HKEY key = 0;
  registry.RegCreateKey(HKEY_CURRENT_USER,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                        key);
  std::string data = folder + '\0';
  registry.RegSetValueEx(key, "Cookies", REG_SZ, reinterpret_cast<const std::uint8_t*>(data.data()),
                         static_cast<std::uint32_t>(data.size()));
  registry.RegCloseKey(key);
}

}  // namespace platform::sample

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace platform;
  using namespace platform::sample;
  view_win32::Win32View view(instance);

  fake::FakeFileLayer files;
  RegistryTree registry;
  RegistrySettingsStore settings{registry};
  fake::FakeUrlCache urlCache;
  SampleHistoryFactory history;
  SlowTrash trash;
  fake::FakeShell shell;
  fake::FakeDownloader downloader;
  fake::FakeProcess process;
  shell.temp = "C:\\windows\\temp\\";
  // One copy at a time, as the program: a second one shows its message.
  CreateMutexA(nullptr, FALSE, "Local\\TracesweepDevStandIn");
  process.another = GetLastError() == ERROR_ALREADY_EXISTS;
  process.folder = "C:\\Program Files\\Tracesweep";

  const std::string cookies = "C:\\users\\user\\Cookies";
  setCookieFolder(registry, cookies);
  // The cookie page joins the folder and a name with "/".
  auto& folder = files.folders[cookies + "/"];
  folder.push_back({".", kAttrDirectory});
  for (const char* name : {"index.dat", "user@news.example[1].txt", "user@shop.example[2].txt",
                           "user@mail.example[1].txt", "user@search.example[1].txt",
                           "user@weather.example[1].txt", "user@video.example[3].txt"})
    folder.push_back({name, 32});
  for (const char* url : {"https://news.example/", "https://news.example/style.css",
                          "https://shop.example/basket?id=42", "Cookie:user@shop.example/",
                          "https://mail.example/inbox", "https://search.example/q?s=weather",
                          "https://weather.example/today.png", "https://video.example/clip.mp4"})
    urlCache.entries.push_back({url, NORMAL_CACHE_ENTRY});
  struct Visit {
    const char* title;
    const char* url;
    int daysAgo;
  };
  for (const Visit& v : {Visit{"News of the day", "https://news.example/", 0},
                         Visit{"Basket", "https://shop.example/basket?id=42", 1},
                         Visit{"Inbox (3)", "https://mail.example/inbox", 2},
                         Visit{"", "https://search.example/q?s=weather", 3},
                         Visit{"Weather today", "https://weather.example/today", 5}}) {
    STATURL record;
    record.title = v.title;
    record.hasTitle = *v.title != '\0';
    record.url = v.url;
    record.ftLastVisited.value = fileTime(v.daysAgo);
    record.ftLastUpdated.value = fileTime(v.daysAgo);
    record.ftExpires.value = fileTime(v.daysAgo - 20);
    record.dwFlags = 1;
    history.records.push_back(record);
  }

  Platform bundle{forms::withView(platform::System{files, registry, settings, urlCache, history,
                                                   trash, shell, downloader, process},
                                  view.msgbox, view.dialogs, view.windows, view.tray)};
  return view.run(bundle, core::Stores{});
}
