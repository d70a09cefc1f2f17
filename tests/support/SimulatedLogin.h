#pragma once
// A fixture for the login paths: the application record pointed at a simulated recorder
// on 127.0.0.1 with the account admin/admin, a test clock, recorders for everything the
// engine shows, and trace.log in a temporary folder.
#include <gtest/gtest.h>

#include <string>

#include "../sim/RawHttp.h"
#include "EngineHarness.h"
#include "RecorderRequests.h"
#include "TempFolder.h"
#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "core/TraceFile.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {

class SimulatedLoginTest : public ::testing::Test {
  protected:
    static constexpr WindowHandle kMainWindow = 11;

    void SetUp() override {
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        app.CSettingINI.m_wWebPort = device.Port();
        app.CSettingINI.m_strUsername = "admin";
        app.CSettingINI.m_strPassword = "admin";
        g_strLocalIPAddress.Set("127.0.0.1");
        InitTraceFile(300, traceFolder.path().string());
    }
    void TearDown() override {
        FreeTraceFile();
        ClearSessionCookie();
    }

    std::string TraceText() const { return ReadFile(traceFolder / "trace.log"); }
    // Logs in as the login does, asking for the header layout of "NEWHR" `newHeader`
    // (0: none), so the live stream can start.
    void LogInForStream(int newHeader) {
        const std::string cookie = simtest::LogIn(device.Port());
        ASSERT_TRUE(SetSessionCookie(cookie));
        simtest::Get(device.Port(), "/Getdeviceinfo.cgi?Cookie=" + cookie +
                                        (newHeader ? "&NEWHR=" + std::to_string(newHeader) : ""));
        app.m_RTPH_Struct.fNewHeader = newHeader != 0 ? 1 : 0;
    }
    // The live-stream requests the recorder received so far.
    size_t StreamRequests() { return RequestTargets(device.Server(), "/Getvideo.cgi").size(); }
    // The login requests the recorder received so far.
    size_t LoginRequests() { return RequestTargets(device.Server(), "/Login.cgi").size(); }

    // Declared in this order so that the record (and every thread of it) goes first, then
    // the recorder it talks to, and the test clock last.
    TestClock clock;
    ScopedClockOverride useClock{clock};
    TempFolder traceFolder;
    RecordingRouter router;
    RecordingMessageBoxes boxes;
    FakeLiveView view;
    sim::SimulatedRecorder device;
    AppRecordScope scope{&view, kMainWindow};
    CAppObject& app = scope.App();
};

}  // namespace ormidon::test
