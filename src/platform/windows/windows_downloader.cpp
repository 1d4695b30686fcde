#include "platform/windows/windows_downloader.h"

#include "platform/windows/win32.h"

// Outside the program's namespaces, where HRESULT is the system's own.
namespace {

// COM interfaces are released through Release, never deleted through a base.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Watches one download: the HTTP status of the answer and the end result.
// It lives on the caller's stack for the length of the synchronous call, so
// its reference count only guards against a release too many.
class DownloadWatch : public IBindStatusCallback, public IHttpNegotiate {
 public:
  DWORD httpStatus = 0;
  HRESULT stopResult = S_OK;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
      *out = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
      *out = static_cast<IHttpNegotiate*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
  STDMETHODIMP_(ULONG) Release() override {
    return static_cast<ULONG>(references_ > 1 ? --references_ : 1);
  }

  // IBindStatusCallback
  STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
  STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR) override {
    stopResult = result;
    return S_OK;
  }
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
    // Always the server's current file, and none kept in the cache.
    if (flags) *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
    if (info) {
      const ULONG size = info->cbSize;
      ZeroMemory(info, size);
      info->cbSize = size;
      info->dwBindVerb = BINDVERB_GET;
    }
    return S_OK;
  }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  // IHttpNegotiate
  STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional) override {
    if (additional) *additional = nullptr;
    return S_OK;
  }
  STDMETHODIMP OnResponse(DWORD status, LPCWSTR, LPCWSTR, LPWSTR* additional) override {
    httpStatus = status;
    if (additional) *additional = nullptr;
    return S_OK;
  }

  virtual ~DownloadWatch() = default;

 private:
  long references_ = 1;
};

#pragma GCC diagnostic pop

}  // namespace

namespace platform::windows_os {

int WindowsDownloader::download(const std::string& url, const std::string& file) {
  const std::string partial = file + ".download";
  // The folder must take a new file before anything is fetched.
  HANDLE probe = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return kDownloadFolderNotWritable;
  CloseHandle(probe);

  DownloadWatch watch;
  const ::HRESULT hr = URLDownloadToFileA(nullptr, url.c_str(), partial.c_str(), 0, &watch);
  int status = 0;
  if (FAILED(hr))
    status = static_cast<int>(hr);
  else if (FAILED(watch.stopResult))
    status = static_cast<int>(watch.stopResult);
  else if (watch.httpStatus != 0 && (watch.httpStatus < 200 || watch.httpStatus >= 300))
    status = static_cast<int>(watch.httpStatus);
  if (status == 0 && !MoveFileExA(partial.c_str(), file.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    status = static_cast<int>(GetLastError());
  if (status != 0) DeleteFileA(partial.c_str());
  return status;
}

void WindowsDownloader::downloadInBackground(const std::string& url, const std::string& file,
                                             std::function<void(int)> done) {
  std::lock_guard lock(mutex_);
  threads_.emplace_back([this, url, file, done = std::move(done)] {
    const bool joined = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    const int status = download(url, file);
    if (joined) CoUninitialize();
    done(status);
  });
}

WindowsDownloader::~WindowsDownloader() {
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(threads_);
  }
  for (std::thread& thread : threads)
    if (thread.joinable()) thread.join();
}

}  // namespace platform::windows_os
