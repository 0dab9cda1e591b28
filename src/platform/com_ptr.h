// Owners for what COM hands out: ComPtr for interface references, CoTaskMemString for strings
// the caller must free with CoTaskMemFree. Each holds at most one thing and gives it back exactly
// once, when it is reset, refilled through Put, or destroyed. Neither adds references or copies:
// they are move-only, and Detach hands ownership on explicitly.
#pragma once

#include <utility>

#include "platform/com.h"

namespace spellshell {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Adopts a reference the caller already owns; no AddRef.
  explicit ComPtr(T* adopted) : pointer_(adopted) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = other.Detach();
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For out-parameters: releases what is held and lends the empty slot to the callee.
  T** Put() {
    Reset();
    return &pointer_;
  }
  // The same for calls that take `void**` (QueryInterface, CoCreateInstance, GIT lookups).
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset() {
    // Cleared before Release so that a re-entrant call never sees a released pointer.
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }
  T* Detach() { return std::exchange(pointer_, nullptr); }

 private:
  T* pointer_ = nullptr;
};

// A NUL-terminated UTF-16 string allocated by COM's task allocator.
class CoTaskMemString {
 public:
  CoTaskMemString() = default;
  CoTaskMemString(CoTaskMemString&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  CoTaskMemString& operator=(CoTaskMemString&& other) noexcept {
    if (this != &other) {
      Reset();
      text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
  }
  CoTaskMemString(const CoTaskMemString&) = delete;
  CoTaskMemString& operator=(const CoTaskMemString&) = delete;
  ~CoTaskMemString() { Reset(); }

  LPCWSTR Get() const { return text_; }
  LPWSTR* Put() {
    Reset();
    return &text_;
  }
  void Reset() {
    if (LPWSTR old = std::exchange(text_, nullptr)) CoTaskMemFree(old);
  }

 private:
  LPWSTR text_ = nullptr;
};

}  // namespace spellshell
