#pragma once
// The application record: the one object that every window and worker thread shares,
// reached through g_lpApp. Built at start-up before the first window and deleted as
// the last step of shut-down.
//
// Texts that several threads read and write sit behind a lock (GuardedText); flags,
// counters and words that threads share are atomics. Fields are added here as the
// parts of the program that use them arrive.
#include <atomic>
#include <cstdint>

#include "core/GuardedText.h"
#include "core/SettingINI.h"
#include "core/TraceFile.h"

class CAppObject {
  public:
    CAppObject() = default;
    CAppObject(const CAppObject&) = delete;
    CAppObject& operator=(const CAppObject&) = delete;

    // The settings object (Setting.ini). The member carries the name of its class,
    // hence the qualified type.
    ::CSettingINI CSettingINI;
    // The debug trace file, created empty at start-up.
    CDebugTrace m_DebugTrace;

    // Setting.ini "Turbo repeat step": kept here, not in the settings object.
    std::atomic<uint8_t> by_TurboRepeatStep{5};

    // Device identity from the login's answers.
    GuardedText str_ProductID;                // "Product-ID="
    GuardedText str_FWVersion;                // "Firmware-Version=", four digits
    std::atomic<uint8_t> by_MultiChannel{0};  // "MULTICH"; 0 when absent
    std::atomic<uint32_t> dw_Capability{0};   // capability word of the "INF" section
};

// The application record; null before start-up built it and after shut-down.
extern CAppObject* g_lpApp;
