#pragma once
// RAII holders for the program's handles, locks and COM references. Copying
// is deleted (a copy would close twice); moving hands the resource on.
#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <utility>

// A handle closed by `Traits::Close`; `Traits::Invalid()` is its empty value.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle; }
  explicit operator bool() const { return handle != Traits::Invalid(); }
  Handle Release() { return std::exchange(handle, Traits::Invalid()); }
  void Reset(Handle replacement = Traits::Invalid()) {
    Handle old = std::exchange(handle, replacement);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Handle handle = Traits::Invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

// A file's handle, whose empty value is INVALID_HANDLE_VALUE (CreateFileW's).
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

// A reference to a loaded library, given back with FreeLibrary.
struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { FreeLibrary(handle); }
};
using LibraryReference = UniqueHandle<LibraryTraits>;

struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteObject(handle); }
};
using GdiObject = UniqueHandle<GdiObjectTraits>;

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DestroyMenu(handle); }
};
using MenuHandle = UniqueHandle<MenuTraits>;

// A critical section that lives as long as its holder.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section); }
  ~CriticalSection() { DeleteCriticalSection(&section); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&section); }
  void Leave() { LeaveCriticalSection(&section); }

 private:
  CRITICAL_SECTION section;
};

class Lock {
 public:
  explicit Lock(CriticalSection& section) : section(section) { section.Enter(); }
  ~Lock() { section.Leave(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CriticalSection& section;
};

// One counted COM reference.
template <typename Interface>
class ComReference {
 public:
  ComReference() = default;
  explicit ComReference(Interface* adopted) : pointer(adopted) {}
  ComReference(ComReference&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
  ComReference& operator=(ComReference&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.pointer, nullptr));
    return *this;
  }
  ComReference(const ComReference&) = delete;
  ComReference& operator=(const ComReference&) = delete;
  ~ComReference() { Reset(); }

  Interface* Get() const { return pointer; }
  Interface* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  Interface** Receive() {
    Reset();
    return &pointer;
  }
  void Reset(Interface* replacement = nullptr) {
    Interface* old = std::exchange(pointer, replacement);
    if (old) old->Release();
  }

 private:
  Interface* pointer = nullptr;
};
