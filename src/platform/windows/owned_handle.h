// A Windows handle closed when its owner goes.
#pragma once

#include <utility>

namespace platform::windows_os {

class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(void* handle) : handle_(isValid(handle) ? handle : nullptr) {}
  ~OwnedHandle() { reset(); }
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) reset(), handle_ = std::exchange(other.handle_, nullptr);
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  void* get() const { return handle_; }
  bool valid() const { return handle_ != nullptr; }
  void reset();
  // Gives the handle up to a new owner, which closes it.
  void* release() { return std::exchange(handle_, nullptr); }

 private:
  // Both "no handle" values of the API: nullptr and INVALID_HANDLE_VALUE.
  static bool isValid(void* handle) { return handle && handle != reinterpret_cast<void*>(-1); }
  void* handle_ = nullptr;
};

}  // namespace platform::windows_os
