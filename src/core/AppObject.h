#pragma once
// The application record: the one object that every window and worker thread shares,
// reached through g_lpApp. Built at start-up before the first window and deleted as
// the last step of shut-down.
//
// Texts that several threads read and write sit behind a lock (GuardedText); flags,
// counters and words that threads share are atomics. Fields are added here as the
// parts of the program that use them arrive.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/ConfigSection.h"
#include "core/ControlDeviceList.h"
#include "core/ControlFile.h"
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

    // The device's configuration sections, as last read from the device; the settings
    // pages edit them in place and send them back whole. "PPPOE" has two layouts: the
    // older firmware's block is m_Cfg_PPPOE_Old.
    template <ConfigOption option>
    using ConfigBlock = std::array<uint8_t, ConfigSectionSize(option)>;
    ConfigBlock<CFG_IP> m_Cfg_IP{};
    ConfigBlock<CFG_SECURE> m_Cfg_SECURE{};
    ConfigBlock<CFG_DNS> m_Cfg_DNS{};
    ConfigBlock<CFG_SMTP> m_Cfg_SMTP{};
    ConfigBlock<CFG_FTP> m_Cfg_FTP{};
    ConfigBlock<CFG_PPPOE> m_Cfg_PPPOE_Old{};
    ConfigBlock<CFG_PPPOE> m_Cfg_PPPOE{};
    ConfigBlock<CFG_SYSTEM> m_Cfg_SYSTEM{};
    ConfigBlock<CFG_SNTP> m_Cfg_SNTP{};
    ConfigBlock<CFG_IMG> m_Cfg_IMG{};
    ConfigBlock<CFG_ALARM> m_Cfg_ALARM{};
    ConfigBlock<CFG_RS485> m_Cfg_RS485{};
    ConfigBlock<CFG_INF> m_Cfg_INF{};
    ConfigBlock<CFG_ONLINE> m_Cfg_ONLINE{};
    ConfigBlock<CFG_DVRLIVE> m_Cfg_DVRLIVE{};
    ConfigBlock<CFG_DVRREC> m_Cfg_DVRREC{};
    ConfigBlock<CFG_DVROSD> m_Cfg_DVROSD{};
    ConfigBlock<CFG_PERI> m_Cfg_PERI{};

    // Row of UserClassTable of the logged-in user, chosen by the main window.
    std::atomic<uint8_t> by_UserClass{0};
    // 0 ACTION, 1 PRESET: which alternative of an RS-485 command is sent.
    std::atomic<int32_t> f_PresetMode{0};

    // The RS-485 devices of the connected device and the one the panel steers.
    ::C_ControlD C_ControlD;
    // The devices of CtrlFile.ini, read at start-up and read-only afterwards; the
    // device-kind table points into them.
    uint32_t dw_ControlDeviceCount = 0;
    std::unique_ptr<ControlDevice_Struct[]> lp_ControlDevices;
};

// The application record; null before start-up built it and after shut-down.
extern CAppObject* g_lpApp;

// This computer's IPv4 address as "%d.%d.%d.%d": the "Host:" value of every request.
extern GuardedText g_strLocalIPAddress;
