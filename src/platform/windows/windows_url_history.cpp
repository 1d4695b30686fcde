#include "platform/windows/windows_url_history.h"

#include <cstdio>

#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

// CLSID_CUrlHistory, the system's URL history object.
constexpr GUID kUrlHistoryClass = {
    0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};

// Holds one reference to a COM object.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(T* object) : object_(object) {}
  ~ComRef() {
    if (object_) object_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T** put() { return &object_; }

 private:
  T* object_ = nullptr;
};

platform::FILETIME fromFileTime(const ::FILETIME& time) {
  return {(static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime};
}

// Takes over the strings of a record that the system handed out.
platform::STATURL takeRecord(::STATURL& record) {
  platform::STATURL out;
  out.url = fromWide(record.pwcsUrl);
  out.hasTitle = record.pwcsTitle != nullptr;
  out.title = fromWide(record.pwcsTitle);
  out.ftLastVisited = fromFileTime(record.ftLastVisited);
  out.ftLastUpdated = fromFileTime(record.ftLastUpdated);
  out.ftExpires = fromFileTime(record.ftExpires);
  out.dwFlags = record.dwFlags;
  CoTaskMemFree(record.pwcsTitle);
  CoTaskMemFree(record.pwcsUrl);
  record.pwcsTitle = nullptr;
  record.pwcsUrl = nullptr;
  return out;
}

class WindowsEnumStatUrl : public EnumSTATURL {
 public:
  explicit WindowsEnumStatUrl(IEnumSTATURL* enumerator) : enumerator_(enumerator) {}

  platform::HRESULT SetFilter(const std::string* prefix, std::uint32_t flags) override {
    const std::wstring wide = prefix ? toWide(*prefix) : std::wstring();
    return enumerator_->SetFilter(prefix ? wide.c_str() : nullptr, flags);
  }

  platform::HRESULT Next(platform::STATURL& out, std::uint32_t& fetched) override {
    ::STATURL record{};
    record.cbSize = sizeof record;
    ULONG count = 0;
    const ::HRESULT hr = enumerator_->Next(1, &record, &count);
    fetched = 0;
    if (FAILED(hr)) return hr;
    if (count == 0) return S_FALSE;
    out = takeRecord(record);
    fetched = 1;
    return S_OK;
  }

 private:
  ComRef<IEnumSTATURL> enumerator_;
};

class WindowsUrlHistory : public UrlHistoryStg {
 public:
  explicit WindowsUrlHistory(IUrlHistoryStg2* store) : store_(store) {}

  platform::HRESULT AddUrl(const std::string& url, const std::string& title,
                           std::uint32_t flags) override {
    return check(store_->AddUrl(toWide(url).c_str(), toWide(title).c_str(), flags));
  }
  platform::HRESULT DeleteUrl(const std::string& url, std::uint32_t flags) override {
    return check(store_->DeleteUrl(toWide(url).c_str(), flags));
  }
  platform::HRESULT EnumUrls(std::unique_ptr<EnumSTATURL>& out) override {
    IEnumSTATURL* enumerator = nullptr;
    const ::HRESULT hr = store_->EnumUrls(&enumerator);
    if (FAILED(hr) || !enumerator) {
      if (enumerator) enumerator->Release();
      return check(FAILED(hr) ? hr : E_POINTER);
    }
    out = std::make_unique<WindowsEnumStatUrl>(enumerator);
    return S_OK;
  }
  platform::HRESULT ClearHistory() override { return check(store_->ClearHistory()); }
  std::string lastErrorText() const override { return lastError_; }

 private:
  platform::HRESULT check(::HRESULT hr) {
    if (FAILED(hr)) lastError_ = historyFailureText(hr);
    return hr;
  }

  ComRef<IUrlHistoryStg2> store_;
  std::string lastError_;
};

}  // namespace

std::string historyFailureText(platform::HRESULT code) {
  std::string text = systemErrorText(static_cast<std::uint32_t>(code));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  if (text.empty()) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(code));
    text = std::string("error ") + number;
  }
  return "The history store of Windows refused the request (" + text + ").";
}

WindowsHistoryFactory::WindowsHistoryFactory() = default;

WindowsHistoryFactory::~WindowsHistoryFactory() {
  if (comJoined_) CoUninitialize();
}

std::unique_ptr<UrlHistoryStg> WindowsHistoryFactory::create() {
  if (!comAsked_) {
    comAsked_ = true;
    // S_FALSE: already joined in this mode, still to be balanced; another
    // mode (RPC_E_CHANGED_MODE) is used as it is.
    comJoined_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  }
  IUrlHistoryStg2* store = nullptr;
  const ::HRESULT hr =
      CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IUrlHistoryStg2),
                       reinterpret_cast<void**>(&store));
  if (FAILED(hr) || !store) {
    lastError_ = historyFailureText(FAILED(hr) ? hr : E_POINTER);
    return nullptr;
  }
  lastError_.clear();
  return std::make_unique<WindowsUrlHistory>(store);
}

}  // namespace platform::windows_os
