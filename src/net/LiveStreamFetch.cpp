#include "net/LiveStreamFetch.h"

#include <atomic>
#include <cstring>
#include <string>

#include "core/AppObject.h"
#include "core/KernelMailbox.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/TextHelpers.h"
#include "core/TraceFile.h"
#include "net/BlockingSocket.h"
#include "net/FrameHeaderReactions.h"
#include "net/LiveStreamReader.h"
#include "net/LiveStreamRequest.h"
#include "platform/Clock.h"
#include "platform/Thread.h"
#include "platform/WaitAny.h"

namespace {

constexpr int kSendSeconds = 10;
constexpr int kReceiveSeconds = 20;
constexpr uint32_t kFreeSlotWaitMs = 10000;

// How a connection ended.
struct Ending {
    enum class Kind { Reset, Stopped, Failed } kind = Kind::Failed;
    const char* trace = "";
    bool clearFlags = false;  // f_Connected and f_GetImageRunning go back to 0
};

Ending Failed(const char* trace, bool clearFlags) {
    return {Ending::Kind::Failed, trace, clearFlags};
}

// One connection to the device's stream. Its socket wakes from any wait as soon as the
// thread is asked to stop or another thread sets the reset event, so both end the
// connection at once.
class StreamConnection {
  public:
    StreamConnection(CAppObject& app, const std::stop_token& threadStop)
        : app_(app),
          forwardStop_(threadStop, WakeOnStop{&wake_}),
          socket_(wake_.get_token()),
          resetWatch_([this](std::stop_token watchStop) { WatchReset(watchStop); }) {}

    // Closes the socket (an error of the close does not matter any more).
    ~StreamConnection() {
        resetWatch_.RequestStop();
        resetWatch_.Join(ormidon::kInfinite);
        socket_.Cleanup();
    }

    Ending Run();

  private:
    struct WakeOnStop {
        std::stop_source* wake;
        void operator()() const noexcept { wake->request_stop(); }
    };

    void WatchReset(std::stop_token watchStop) {
        const ormidon::WaitResult result = ormidon::WaitAny(
            {&app_.h_NotifyGetJPEGImageThreadResetEvent}, ormidon::kInfinite, watchStop);
        if (result.status == ormidon::WaitStatus::Signalled) {
            reset_ = true;
            wake_.request_stop();
        }
    }

    // Whether a reset was asked for: ends the watch first, so the answer is final.
    bool TakeReset() {
        resetWatch_.RequestStop();
        resetWatch_.Join(ormidon::kInfinite);
        return reset_ || app_.h_NotifyGetJPEGImageThreadResetEvent.Wait(0);
    }

    // Why a wait or socket call was cut short, once the wake source fired.
    Ending Interrupted() const {
        if (reset_) return {Ending::Kind::Reset};
        return {Ending::Kind::Stopped};
    }

    bool Connect();
    bool ReadFrame(uint16_t slotIndex, Ending& ending);

    CAppObject& app_;
    std::stop_source wake_;
    std::stop_callback<WakeOnStop> forwardStop_;
    CBlockingSocket socket_;
    std::atomic<bool> reset_{false};
    LiveStreamReader reader_{
        [](std::span<const uint8_t> bytes, uint32_t& length, FrameInfo_Struct& info) {
            return g_lpApp->m_RTPH_Struct.Parse(bytes, length, info);
        },
        app_.m_RTPH_Struct.fNewHeader != 0 ? EmptyHeaderRule::NextHeader
                                           : EmptyHeaderRule::JpegStart};
    uint8_t received_[kLiveStreamReceiveSize];
    std::span<const uint8_t> pending_;  // received bytes the reader has not used yet
    // Declared last: started once everything it touches exists.
    ormidon::Thread resetWatch_;
};

bool StreamConnection::Connect() {
    try {
        socket_.Create(CBlockingSocket::kStream);
        const std::string server = GetServerName();
        const uint16_t port = app_.CSettingINI.m_wWebPort;
        const CSocketAddress address = !server.empty() && CheckAddressString(server) == 2
                                           ? CSocketAddress(server.c_str(), port)
                                           : CBlockingSocket::GetHostByName(server.c_str(), port);
        socket_.Connect(address);
    } catch (const CBlockingSocketException&) {
        return false;
    }
    return true;
}

Ending StreamConnection::Run() {
    if (!Connect()) {
        if (wake_.stop_requested()) return Interrupted();
        return Failed("sClient.Connect failed", true);
    }
    const std::string request =
        BuildLiveStreamRequest(GetSessionCookie(), g_strLocalIPAddress.Get());
    try {
        if (request.empty()) throw CBlockingSocketException("Write");
        socket_.Write(request.data(), static_cast<int>(request.size()), kSendSeconds);
    } catch (const CBlockingSocketException&) {
        if (wake_.stop_requested()) return Interrupted();
        return Failed("sClient.Write failed", true);
    }

    for (;;) {
        if (wake_.stop_requested()) return Interrupted();
        const ormidon::WaitResult slot =
            ormidon::WaitAny({&app_.h_EndofGetJpegImageEvent, &app_.h_SocketBufferFreeSem},
                             kFreeSlotWaitMs, wake_.get_token());
        if (slot.status == ormidon::WaitStatus::Stopped) return Interrupted();
        if (slot.status == ormidon::WaitStatus::TimedOut) {
            return Failed("dwResult == WAIT_TIMEOUT Get_Image_TimeOut_Message", true);
        }
        if (slot.index == 0) {
            // A take-down sets the reset before the stop event; the reset wins.
            if (TakeReset()) return {Ending::Kind::Reset};
            return Failed("dwResult == (WAIT_OBJECT_0 + 1) Get_Image_TimeOut_Message", true);
        }
        app_.f_GetImageRunning = 1;
        app_.f_VideoServerConnected = 1;

        const uint16_t index = app_.w_SocketBufferWriteIndex;
        Ending ending;
        if (!ReadFrame(index, ending)) return ending;
        app_.w_SocketBufferWriteIndex =
            static_cast<uint16_t>((index + 1) % app_.w_SocketBufferCount);
        app_.h_SocketBufferFullSem.Release();
    }
}

// Fills slot `slotIndex` with the next frame. False with the ending when the connection
// ends first.
bool StreamConnection::ReadFrame(uint16_t slotIndex, Ending& ending) {
    FrameInfo_Struct& info = app_.lp_FrameHeaderBuffer[slotIndex];
    info = {};
    reader_.SetSlot(
        std::span<uint8_t>(app_.lp_SocketBuffer.get() + std::size_t{slotIndex} * kSocketSlotSize,
                           kSocketSlotSize),
        &info);
    for (;;) {
        if (pending_.empty()) {
            const int count = socket_.Receive(reinterpret_cast<char*>(received_),
                                              static_cast<int>(sizeof received_), kReceiveSeconds);
            if (count <= 0) {
                ending = wake_.stop_requested()
                             ? Interrupted()
                             : Failed(ReceiveFailureTrace(reader_, count), false);
                return false;
            }
            app_.dw_ReceivedBytes.fetch_add(static_cast<uint32_t>(count));
            pending_ = std::span<const uint8_t>(received_, static_cast<std::size_t>(count));
        }
        const LiveStreamStep step = reader_.Feed(pending_);
        pending_ = pending_.subspan(step.consumed);
        switch (step.event) {
            case LiveStreamEvent::FrameReady:
                return true;
            case LiveStreamEvent::Failed:
                ending = Failed("HTTP status is not 2xx", false);
                return false;
            case LiveStreamEvent::NeedSlot:  // the slot is set above; cannot happen
            case LiveStreamEvent::NeedMore:
                break;
        }
    }
}

}  // namespace

const char* ReceiveFailureTrace(const LiveStreamReader& reader, int count) {
    if (reader.InsidePayload()) {
        return count < 0 ? "RtpRecvLength == SOCKET_ERROR" : "RtpRecvLength <= 0 2";
    }
    // The connection ended with a header begun but not whole.
    if (reader.InsideHeader()) return "iReceiveLength <= 0";
    return "if (RtpRecvLength == SOCKET_ERROR)";
}

bool IsJpegImage(std::span<const uint8_t> bytes) {
    static constexpr uint8_t kStart[4] = {0xFF, 0xD8, 0xFF, 0xDB};
    return bytes.size() >= 4 && std::memcmp(bytes.data(), kStart, 4) == 0;
}

void Jpeg_TCP_Get_Image_Data_Thread(std::stop_token stop) {
    CAppObject& app = *g_lpApp;
    if (ormidon::WaitAny({&app.h_StartToGetJpegImageEvent}, ormidon::kInfinite, stop).status !=
        ormidon::WaitStatus::Signalled) {
        return;
    }
    WriteTraceFile("Got start event");
    app.f_Connected = 1;
    app.h_NotifyGetJPEGImageThreadResetEvent.Reset();
    app.h_Process_Reply_TerminateEvent.Reset();
    app.h_StartToShowImageEvent.Set();
    app.dw_StreamStartTick = ormidon::TickCount();
    app.dw_ReceivedBytes = 0;
    app.dw_ShownFrames = 0;
    app.dw_LastShownFrames = 0;
    app.dw_ShownFramesMark = 0;
    app.m_RTPH_Struct.SetListener(&AppFrameHeaderReactions());

    Ending ending;
    {
        StreamConnection connection(app, stop);
        ending = connection.Run();
    }
    switch (ending.kind) {
        case Ending::Kind::Reset:
            app.f_Connected = 0;
            app.f_GetImageRunning = 0;
            app.h_FeedBackForNotifyResetEvent.Set();
            return;
        case Ending::Kind::Stopped:
            app.f_Connected = 0;
            app.f_GetImageRunning = 0;
            return;
        case Ending::Kind::Failed:
            break;
    }
    if (ending.clearFlags) {
        app.f_Connected = 0;
        app.f_GetImageRunning = 0;
    }
    PostKernelMessage(kKernelImageTimeOut, 0, 0, ormidon::kInfinite, stop);
    WriteTraceFile(ending.trace);
}
