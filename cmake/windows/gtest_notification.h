// GoogleTest's Notification on Win32 events: the compiler's win32 thread model (kept so that the
// program needs no winpthreads, and so runs on Windows XP) has no std::mutex, which GoogleTest's
// own Notification uses. Forced into GoogleTest and the test programs of the Windows build.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

struct _SECURITY_ATTRIBUTES;
extern "C" {
__declspec(dllimport) void* __stdcall CreateEventA(_SECURITY_ATTRIBUTES*, int, int, const char*);
__declspec(dllimport) int __stdcall SetEvent(void*);
__declspec(dllimport) unsigned long __stdcall WaitForSingleObject(void*, unsigned long);
__declspec(dllimport) int __stdcall CloseHandle(void*);
}

namespace testing::internal {
class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, 1, 0, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, 0xFFFFFFFF); }

private:
    void* event_;
};
} // namespace testing::internal
