#pragma once
// The application record: the one shared state of the process, reached by every thread
// and window through g_lpApp. It is built at start-up before any window or worker thread
// and deleted as the last step of shut-down.
//
// Thread-safety: flags, counters, indexes and window handles are atomics; texts that
// several threads write and read sit behind a lock (GuardedText); events
// and semaphores are objects of the record itself, so a thread that holds one never sees
// it destroyed: the routine pairs reset them instead of closing and recreating them.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/AccountEntry.h"
#include "core/ConfigSection.h"
#include "core/ControlDeviceList.h"
#include "core/ControlFile.h"
#include "core/GuardedText.h"
#include "core/ImageSize.h"
#include "core/SettingINI.h"
#include "core/ThreadSlot.h"
#include "core/TraceFile.h"
#include "net/FrameInfo.h"
#include "net/RTPH_Struct.h"
#include "platform/Event.h"
#include "platform/Semaphore.h"
#include "platform/WindowMessage.h"
#include "record/AlarmRecord.h"
#include "record/AlarmWave.h"
#include "record/PreRecordBuffer.h"
#include "record/SchRecord.h"
#include "record/SystemConfig.h"
#include "record/UserRecord.h"

class LiveView;

// Sizes of the live pipeline's buffers.
constexpr uint32_t kSocketSlotSize = 102400;    // one received JPEG frame
constexpr uint16_t kSocketBufferCount = 2;      // socket slots
constexpr uint32_t kImageBufferSize = 1572864;  // one decoded or resized picture
constexpr uint16_t kJPEGImageBufferCount = 1;   // decoded slots

// Results of the last login (w_LoginResult).
constexpr uint16_t kLoginSucceeded = 30;
constexpr uint16_t kLoginFailed = 100;
constexpr uint16_t kLoginTooManyUsers = 102;

constexpr int32_t kUnlimitedLifeTime = -1;

class CAppObject {
  public:
    CAppObject();
    ~CAppObject();
    CAppObject(const CAppObject&) = delete;
    CAppObject& operator=(const CAppObject&) = delete;

    // Gives the plain fields their start-up values (zero, except where listed).
    void SetInitialValues();

    // ---- Process threads and kernel mailbox (InitProcessResource / ExitProcessResource)
    ThreadSlot h_Process_KernelMessageThread;
    ThreadSlot h_Process_Terminate_Thread;
    ThreadSlot h_Process_Init_Thread;
    // Filled by a poster, handed over to the kernel message thread.
    ormidon::Semaphore h_KernelMessagePostSem{0, 1};
    // Taken by a poster before it fills the mailbox; given back after the code was handled.
    ormidon::Semaphore h_KernelMessageSlotSem{1, 1};
    // Set while no kernel message thread serves the mailbox, so that a poster gives up
    // instead of waiting for a slot that nobody will free.
    ormidon::Event h_KernelMailboxClosedEvent{true, true};
    ormidon::Event h_Process_Notify_TerminateEvent;
    ormidon::Event h_Process_Reply_TerminateEvent;
    ormidon::Event h_Process_Notify_InitEvent;
    ormidon::Event h_Process_Reply_InitEvent;
    ormidon::Event h_NotifyGetJPEGImageThreadResetEvent;
    ormidon::Event h_FeedBackForNotifyResetEvent;
    // Outcome of the last take-down and rebuild, valid when their reply event is set.
    std::atomic<bool> f_ProcessTerminateSucceeded{false};
    std::atomic<bool> f_ProcessInitSucceeded{false};

    // ---- Live-pipeline threads (InitLoginResource / ExitLoginResource)
    ThreadSlot h_ConnectionThread;
    ThreadSlot h_GetJpegImageThread;
    ThreadSlot h_ComposeImageDataThread;
    ThreadSlot h_ShowImageDataThread;

    // ---- Other threads
    ThreadSlot h_ReLoginThread;
    ThreadSlot h_UpgradeFirmwareThread;
    ThreadSlot h_PlayAudioWavThread;

    // ---- Live-pipeline events; h_EndofGetJpegImageEvent is the one manual-reset event.
    ormidon::Event h_StartToGetJpegImageEvent;
    ormidon::Event h_EndofGetJpegImageEvent{true, false};
    ormidon::Event h_StartToShowImageEvent;
    ormidon::Event h_EndofShowImageEvent;
    ormidon::Event h_FinishShowImageJobEvent;
    ormidon::Event h_StartConnectionThreadEvent;
    ormidon::Event h_EndConnectionThreadEvent;
    ormidon::Event h_AlarmWavDoneEvent;
    ormidon::Event h_StopAlarmWavEvent;

    // ---- Connection and pointer state
    std::atomic<int32_t> f_Connected{0};
    std::atomic<int32_t> f_GetImageRunning{0};
    std::atomic<uint8_t> by_HotPointMode{0};
    std::atomic<uint16_t> w_HotPointMouseX{0}, w_HotPointMouseY{0};
    std::atomic<uint32_t> dw_MouseX{0}, dw_MouseY{0};
    std::atomic<uint16_t> w_HotPointMarkX{0}, w_HotPointMarkY{0};
    std::atomic<uint16_t> w_HotPointMarkFrames{0};
    std::atomic<int32_t> f_VideoServerConnected{0};
    std::atomic<uint8_t> by_CurrentVideoMode{0};
    // Minutes the device grants the login; kUnlimitedLifeTime for no limit.
    std::atomic<int32_t> dw_LifeTime{0};

    // ---- Frame buffers and slot bookkeeping (AllocateSystemBuffer, InitialSemaphore)
    std::unique_ptr<uint8_t[]> lp_SocketBuffer;  // kSocketBufferCount slots of kSocketSlotSize
    std::unique_ptr<uint8_t[]> lp_JpegBuffer;
    std::unique_ptr<uint8_t[]> lp_RGBBuffer;
    std::unique_ptr<uint8_t[]> lp_DisplayBuffer;  // allocated by the main window
    std::unique_ptr<uint8_t[]> lp_ResizeBuffer;
    std::atomic<uint8_t*> lp_CurrentImage{nullptr};
    // Set by the compose thread when the current picture was decoded straight into the main
    // window's screen image (LiveView::ScreenRowsFor) instead of into its decoded slot.
    std::atomic<int32_t> f_PictureInScreenImage{0};
    // One parsed frame-header descriptor per socket slot.
    std::unique_ptr<FrameInfo_Struct[]> lp_FrameHeaderBuffer;
    // Free and filled socket slots: one less than the slots, so the fetch thread fills a
    // slot only after the compose thread gave the previous one back.
    ormidon::Semaphore h_SocketBufferFreeSem{kSocketBufferCount - 1, kSocketBufferCount - 1};
    ormidon::Semaphore h_SocketBufferFullSem{0, kSocketBufferCount - 1};
    ormidon::Semaphore h_JPEGImageBufferFreeSem{kJPEGImageBufferCount, kJPEGImageBufferCount};
    ormidon::Semaphore h_JPEGImageBufferRelSem{0, kJPEGImageBufferCount};
    std::atomic<uint16_t> w_SocketBufferCount{0};
    std::atomic<uint16_t> w_JPEGImageBufferCount{0};
    std::atomic<uint16_t> w_SocketBufferWriteIndex{0};
    std::atomic<uint16_t> w_SocketBufferReadIndex{0};
    std::atomic<uint16_t> w_HalvoMp4DecodeIndex{0};
    std::atomic<uint16_t> w_RGBBufferWriteIndex{0};

    // ---- Kernel mailbox: written only by the holder of h_KernelMessageSlotSem.
    uint32_t dw_KernelMessage = 0;
    uintptr_t dw_KernelMessageParam1 = 0;
    uintptr_t dw_KernelMessageParam2 = 0;
    // The file path of code 7, owned by the mailbox so the poster may go away.
    std::string str_KernelMessageFilePath;

    // ---- Display and device state
    // Row of UserClassTable of the logged-in user, chosen by the main window.
    std::atomic<uint8_t> by_UserClass{0};
    std::atomic<uint8_t> by_VideoMode{0};
    std::atomic<uint8_t> by_ImageSizeIndex{0};
    std::atomic<uint8_t> by_PrevImageSizeIndex{0};
    // The stream's picture size and the display-mode choice.
    CImageSize m_ImageSize;
    std::atomic<uint16_t> w_CopyImageWidth{0}, w_CopyImageHeight{0};
    std::unique_ptr<uint8_t[]> lp_CopyImageBuffer;
    std::atomic<int32_t> f_CopyImageRequest{0};
    ormidon::Semaphore h_CopyImageReadySem{0, 1};
    std::atomic<int32_t> f_AlarmWavPlaying{0};
    std::atomic<int32_t> f_AlarmWavStarted{0};
    std::atomic<uint32_t> dw_StreamStartTick{0};
    std::atomic<uint32_t> dw_ReceivedBytes{0};
    std::atomic<uint32_t> dw_ShownFrames{0};
    std::atomic<uint16_t> w_DisplayMode{0};
    std::atomic<int32_t> f_SnapshotRequest{0};
    std::atomic<uint16_t> w_LoginResult{0};
    std::atomic<uint16_t> w_UserLevel{0};
    std::atomic<ormidon::WindowHandle> h_MainDialogHandle{0};
    std::atomic<LiveView*> lp_MainDialog{nullptr};
    std::atomic<uint32_t> dw_LifeTimeCounter{0};
    std::atomic<uint16_t> w_LogPixelsX{0}, w_LogPixelsY{0};
    std::atomic<float> fl_DPIScale{0.0f};
    std::atomic<int32_t> f_TurboMode{0};
    std::atomic<uint8_t> by_RecordParam{0};
    // 0 ACTION, 1 PRESET: which alternative of an RS-485 command is sent.
    std::atomic<int32_t> f_PresetMode{0};
    std::atomic<uint16_t> w_ImageWidth{0}, w_ImageHeight{0};
    std::atomic<uint32_t> dw_LastShownFrames{0}, dw_ShownFramesMark{0};
    std::atomic<uint8_t> f_ShowFrameTime{0};
    std::atomic<int32_t> f_VideoLoss{0};
    std::atomic<int32_t> f_SystemDialogOpen{0};
    // Setting.ini "Turbo repeat step": kept here, not in the settings object.
    std::atomic<uint8_t> by_TurboRepeatStep{5};
    // Frame header of the current frame; its fNewHeader is set when the login asked the
    // device for the version-word layout ("NEWHR").
    RTPH_Struct m_RTPH_Struct;
    // Date and time of the last frame header that carried one; read and written under
    // m_FrameTimeLock.
    ormidon::LocalTime st_FrameTime;
    std::mutex m_FrameTimeLock;
    // The camera-sensor tool bar, target of WM_CMOSSTATUS; 0 while it has no window.
    std::atomic<ormidon::WindowHandle> h_CmosToolBarHandle{0};

    // ---- Device identity from the login's answers
    GuardedText str_ProductID;    // "Product-ID="
    GuardedText str_FWVersion;    // "Firmware-Version=", four digits
    GuardedText str_BootVersion;  // "Boot-Version"
    GuardedText str_2041Version;  // "2041-Version"
    GuardedText str_FPGAVersion;
    GuardedText str_APVersion{"1.0.6.9"};     // this program's own version
    GuardedText sz_MACAddress;                // "MAC-Address=": 12 hexadecimal characters
    GuardedText str_HostName;                 // "Host-Name="
    GuardedText str_SystemName;               // device name of the "SYSTEM" section
    std::atomic<uint8_t> by_MultiChannel{0};  // "MULTICH"; 0 when absent
    std::atomic<uint32_t> dw_Capability{0};   // capability word of the "INF" section

    // The settings object (Setting.ini). The member carries the name of its class,
    // hence the qualified type.
    ::CSettingINI CSettingINI;
    // The debug trace file, created empty at start-up.
    CDebugTrace m_DebugTrace;

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
    // The Account page's working copy of the "SECURE" accounts, compacted.
    AccountTable m_AccountEntry{};

    // The RS-485 devices of the connected device and the one the panel steers.
    ::C_ControlD C_ControlD;
    // The devices of CtrlFile.ini, read at start-up and read-only afterwards; the
    // device-kind table points into them. ExitProcessResource frees them.
    uint32_t dw_ControlDeviceCount = 0;
    std::unique_ptr<ControlDevice_Struct[]> lp_ControlDevices;

    // Local recording: the pre-record ring that the compose thread feeds, the recorders
    // that take frames from it, and the alarm sound. Declared after the events their
    // threads wait for, so they go first.
    CPreRecordBuffer m_PreRecordBuffer;
    CAlarmRecord m_AlarmRecord{m_PreRecordBuffer, g_SystemConfig};
    CUserRecord m_UserRecord{m_PreRecordBuffer};
    CSchRecord m_SchRecord;
    CAlarmWave m_AlarmWave;

    // Serialises the routine pairs, which the main thread and the two rebuild threads
    // may run at the same time.
    std::mutex m_ResourceLock;
};

// The application record; null before start-up built it and after shut-down.
extern CAppObject* g_lpApp;

// This computer's IPv4 address as "%d.%d.%d.%d": the "Host:" value of every request.
extern GuardedText g_strLocalIPAddress;
