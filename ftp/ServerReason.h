#pragma once

#include <windows.h>

#include <string>

// Why the server refused what was just asked of it, for the failure messages.
// The reason is the server's last reply on the calling thread, taken only when
// the failure just seen came from the FTP layer and that reply is a refusal
// (4xx or 5xx): a local failure never shows a reply left over from earlier.
// Taking it clears the thread's error, so one reply explains one failure.
// Empty when there is no such reply; bounded in lines and length.
std::wstring TakeServerReason();

// A protocol without reply lines (SFTP) leaves its failure's reason here, on
// the failing thread, and sets the WinINet error it failed with. The next
// TakeServerReason gives it while that error is still the thread's; any
// other failure found meanwhile makes it stale.
void LeaveServerReason(DWORD error, const std::wstring& reason);

// The fixed failure text as its first line, the reason (if any) below it.
std::wstring WithServerReason(const wchar_t* text, const std::wstring& reason = TakeServerReason());
