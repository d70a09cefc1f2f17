#pragma once
// A fixture that points the client's application record at a simulated recorder on
// 127.0.0.1 with an open session, so the sender and the section exchange run against it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "net/PendingAddress.h"
#include "sim/SimulatedRecorder.h"

class SimulatedDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.Start());
        g_strLocalIPAddress.Set("192.0.2.7");
        g_fNewWebPort = 0;
        g_fNewServerAddress = 0;
        FreshRecord();
        UseIdentity(device.Identity());
    }
    void TearDown() override {
        device.Stop();
        g_lpApp = nullptr;
        ClearSessionCookie();
    }

    CSettingINI& Settings() { return app->CSettingINI; }

    // A new application record aimed at the recorder.
    void FreshRecord() {
        app = std::make_unique<CAppObject>();
        g_lpApp = app.get();
        Settings().m_strServerName = "127.0.0.1";
        Settings().m_wWebPort = device.Port();
    }

    // Gives the recorder this identity and the client a fresh session with it, as a login
    // would leave them.
    void UseIdentity(const ormidon::sim::DeviceIdentity& identity) {
        device.SetIdentity(identity);
        device.EndSessions();
        app->str_ProductID.Set(identity.productId);
        app->str_FWVersion.Set(identity.firmwareVersion);
        SetSessionCookie(device.OpenSession("admin"));
    }

    ormidon::sim::SimulatedRecorder device;
    std::unique_ptr<CAppObject> app;
};
