#pragma once
// The event log fetch: one COUNT request, then the newest page ("LAST") and older pages
// ("PRE") until the log, the owner's limit or the 2048-record buffer is exhausted. Progress
// goes to the settings sheet's bar; the outcome is posted to the owner's window as
// WM_SERVERLOGDONE. The thread's stop is the operator's Cancel: it is tested before each
// page and after each reply, wakes a request that is under way, and ends the fetch without
// a message.
#include <atomic>
#include <cstdint>
#include <stop_token>
#include <vector>

#include "net/ServerLog.h"
#include "platform/WindowMessage.h"

// wParam: one of ServerLogOutcome; lParam 0.
inline constexpr uint32_t WM_SERVERLOGDONE = 0x411;

enum ServerLogOutcome : ormidon::WParam {
    kServerLogFetched = 1,  // the record count is set
    kServerLogEmpty = 2,    // the device reports an empty log
    kServerLogFailed = 4,   // a request failed, or the COUNT answer was not readable
};

// What the fetch works on: owned by the General page.
struct ServerLogOwner {
    ormidon::WindowHandle hWnd = 0;
    // The most records to fetch (0-2048).
    std::atomic<int> nLogLimit{300};
    // Whole records back to back; the thread writes it, the owner reads it after
    // WM_SERVERLOGDONE with kServerLogFetched.
    std::vector<uint8_t> recordBuffer = std::vector<uint8_t>(kServerLogBufferBytes);
    std::atomic<int> nRecordCount{0};
};

// The thread function. Records of each page go behind the earlier ones, as many whole
// records as the buffer still holds.
void GetServerLogThread(ServerLogOwner& owner, std::stop_token stop);
