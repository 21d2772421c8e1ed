#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdio>

// The one owner of a handle that must be closed exactly once: moved, never
// copied, and closed when the owner goes or takes another handle, so that no
// early return or failure path leaks it. Close() closes at once and tells
// whether the close succeeded: for a file or a transfer the close is where a
// last write or the server's verdict shows.
template <typename Traits>
class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() : handle(Traits::Empty()) {}
    explicit UniqueHandle(Handle owned) : handle(owned) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Close(); }

    Handle Get() const { return handle; }
    explicit operator bool() const { return Traits::IsValid(handle); }
    // Gives the handle up without closing it.
    Handle Release() {
        Handle released = handle;
        handle = Traits::Empty();
        return released;
    }
    // Closes the handle held (its result is lost) and holds the new one.
    void Reset(Handle owned = Traits::Empty()) {
        Close();
        handle = owned;
    }
    // True when nothing was held or the close succeeded.
    bool Close() {
        Handle closed = Release();
        return !Traits::IsValid(closed) || Traits::Close(closed);
    }

  private:
    Handle handle;
};

// Threads, events and files of the kernel: CreateFile's failure is
// INVALID_HANDLE_VALUE, the others' null; neither is closed.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    static bool Close(Handle handle) { return CloseHandle(handle) != FALSE; }
};

// Sessions, connections, open remote files and listings of the FTP layer.
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static bool Close(Handle handle) { return InternetCloseHandle(handle) != FALSE; }
};

// C runtime streams: the close flushes what is buffered.
struct FileStreamTraits {
    using Handle = FILE*;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle handle) { return handle != nullptr; }
    static bool Close(Handle handle) { return fclose(handle) == 0; }
};

using OwnedHandle = UniqueHandle<KernelHandleTraits>;
using OwnedInternetHandle = UniqueHandle<InternetHandleTraits>;
using OwnedFile = UniqueHandle<FileStreamTraits>;
