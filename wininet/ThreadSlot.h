#pragma once

#include <windows.h>

// One T per thread, made on the thread's first use and freed when the thread
// ends, kept in the system's fiber-local storage. The compiler's thread_local
// goes through the threads library's keys instead, which gives each thread
// made by CreateThread a record of its own on first use; a thread that started
// while another ended could find that record broken and spin or fault in it.
// Only without a storage index left does a thread fall back to thread_local.
template <typename T>
class ThreadSlot {
  public:
    ThreadSlot() : index(FlsAlloc(&Free)) {}
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;

    // The caller's last error stays as it was: the storage calls would clear it.
    T& Get() {
        DWORD error = GetLastError();
        T& slot = Find();
        SetLastError(error);
        return slot;
    }

  private:
    T& Find() {
        bool stored = index != FLS_OUT_OF_INDEXES;
        if (void* value = stored ? FlsGetValue(index) : nullptr) return *static_cast<T*>(value);
        if (stored) {
            T* made = new T();
            if (FlsSetValue(index, made)) return *made;
            delete made;
        }
        thread_local T fallback;
        return fallback;
    }

    static void WINAPI Free(void* value) { delete static_cast<T*>(value); }

    const DWORD index;
};
