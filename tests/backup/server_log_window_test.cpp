// The two event log windows: each family's event texts, the filter boxes and the row
// numbers, and the video servers' clearing of the device's log.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <mutex>

#include "../support/EngineHarness.h"
#include "backup/CDVRServerLogDlg.h"
#include "backup/CServerLogDlg.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"
#include "sheet/PageToolkit.h"
#include "sim/EventLog.h"
#include "sim/SimulatedRecorder.h"

namespace ormidon::test {
namespace {

// Answers every box with `answer` and records the ids asked.
class AnsweringBoxes final : public MessageBoxSink {
  public:
    explicit AnsweringBoxes(int reply) : answer(reply) { SetMessageBoxSink(this); }
    ~AnsweringBoxes() override { SetMessageBoxSink(nullptr); }
    int Show(uint32_t stringId, uint32_t, std::stop_token) override {
        std::lock_guard lock(mutex);
        ids.push_back(stringId);
        return stringId == CServerLogDlg::kMsgClearQuestion ? answer : kIdOk;
    }
    std::mutex mutex;
    std::vector<uint32_t> ids;
    int answer;
};

sim::LogEvent Event(uint32_t id, uint8_t number = 0, std::string text = {}, uint8_t ddns = 0) {
    return {id, {26, 12, 1, 9, 8, 7}, number, std::move(text), ddns};
}

std::vector<uint8_t> Records(const std::vector<sim::LogEvent>& events) {
    std::vector<uint8_t> bytes;
    for (const sim::LogEvent& event : events) {
        const std::string record = sim::EventLog::Encode(event);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

class ServerLogWindowTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(device.Start());
        SetServerName("127.0.0.1");
        scope.App().CSettingINI.m_wWebPort = device.Port();
        g_strLocalIPAddress.Set("127.0.0.1");
        ASSERT_TRUE(SetSessionCookie(device.OpenSession("admin")));
    }
    void TearDown() override { ClearSessionCookie(); }

    std::vector<QString> Column(const ServerLogDialog& window, int column) {
        std::vector<QString> texts;
        for (int row = 0; row < window.RowCount(); ++row)
            texts.push_back(window.RowText(row, column));
        return texts;
    }
    void Click(QWidget& window, int id) { ormidon::FindControl<QCheckBox>(&window, id)->click(); }

    AppRecordScope scope;
    sim::SimulatedRecorder device;
};

TEST_F(ServerLogWindowTest, TheDvrWindowShowsItsTableAndFilters) {
    const std::vector<uint8_t> bytes = Records({
        Event(0x1),
        Event(0x2, 3),
        Event(0x100, 0, "admin"),
        Event(0x4000, 0, {}, 0),
        Event(0x4000, 0, {}, 1),
        Event(0x0),
        Event(0xFFFF),
        Event(0x3),  // two bits: shown, with no text of its own
        Event(0x800),
        Event(0x20000),  // not in the mask
        Event(0x1),
    });
    CDVRServerLogDlg window;
    window.SetRecords(bytes, 11);
    ASSERT_TRUE(window.OnInitDialog());
    window.show();
    EXPECT_EQ(window.FilterMask(), 0x1CFFFu);
    EXPECT_EQ(window.List()->columnCount(), 4);
    EXPECT_EQ(window.List()->headerItem()->text(3), "CH");
    EXPECT_EQ(Column(window, 1),
              (std::vector<QString>{"POWER ON", "VIDEO LOSS", "REMOTE LOGIN ( admin )",
                                    "DDNS UPDATE FAIL", "DDNS UPDATE SUCCESS", "NO EVENT",
                                    "USB_ERROR", "POWER ON"}));
    EXPECT_EQ(Column(window, 0).back(), " 8");
    EXPECT_EQ(window.RowText(0, 2), "26-12-01 09:08:07");
    EXPECT_EQ(window.RowText(0, 3), "NO");
    EXPECT_EQ(window.RowText(1, 3), "3");
    ormidon::testing::SaveScreenshot(&window, "server-log-dvr");

    // Without POWER ON the rest is numbered from 1 again.
    Click(window, 1442);
    EXPECT_EQ(window.FilterMask(), 0x1CFFEu);
    EXPECT_FALSE(ormidon::FindControl<QCheckBox>(&window, 1442)->isChecked());
    EXPECT_EQ(window.RowCount(), 6);
    EXPECT_EQ(window.RowText(0, 0), " 1");
    EXPECT_EQ(window.RowText(0, 1), "VIDEO LOSS");
    EXPECT_EQ(window.RowText(5, 1), "USB_ERROR");
    Click(window, 1442);
    EXPECT_EQ(window.RowCount(), 8);

    // A count past the bytes shows only the whole records there are.
    CDVRServerLogDlg shortWindow;
    shortWindow.SetRecords(std::span(bytes).first(40), 2048);
    shortWindow.OnInitDialog();
    EXPECT_EQ(shortWindow.RowCount(), 1);
}

TEST_F(ServerLogWindowTest, TheServerWindowShowsItsTableAndFilters) {
    const std::vector<uint8_t> bytes = Records({
        Event(0x1),
        Event(0x4, 0x06),
        Event(0x4, 0),
        Event(0x10, 0, "10.0.0.7"),
        Event(0x20, 0, "admin"),
        Event(0x40000),
        Event(0x2),
        Event(0xFFFF),
        Event(0x0),
        Event(0x1),
    });
    CServerLogDlg window;
    window.SetRecords(bytes, 10);
    ASSERT_TRUE(window.OnInitDialog());
    window.show();
    EXPECT_EQ(window.FilterMask(), 0x7F7F37u);
    EXPECT_EQ(window.List()->columnCount(), 3);
    EXPECT_EQ(Column(window, 1),
              (std::vector<QString>{"POWER ON", "ALARM (2)", "ALARM", "REMOTE LOGIN ( 10.0.0.7 )",
                                    "REMOTE LOGOUT ( admin )", "SNTP FAILED", "RESET DEFAULT",
                                    "POWER ON"}));
    EXPECT_EQ(window.RowText(0, 2), "");  // power on carries no time
    EXPECT_EQ(window.RowText(1, 2), "26-12-01 09:08:07");
    EXPECT_FALSE(ormidon::FindControl<QCheckBox>(&window, 1446)->isVisible());
    ormidon::testing::SaveScreenshot(&window, "server-log");

    Click(window, 1442);
    EXPECT_EQ(window.RowCount(), 6);
    EXPECT_EQ(window.RowText(0, 0), " 1");
    EXPECT_EQ(window.RowText(0, 1), "ALARM (2)");
    Click(window, 1462);
    EXPECT_EQ(window.RowCount(), 4);
    EXPECT_EQ(window.FilterMask(), 0x7F7F32u);
}

TEST_F(ServerLogWindowTest, ClearingAsksFirstAndReportsAFailure) {
    const std::vector<uint8_t> bytes = Records({Event(0x1)});
    const auto clearRequests = [this] {
        std::size_t n = 0;
        for (const sim::HttpRequest& request : device.Server().Log())
            n += request.path == "/ClearLog.cgi" ? 1 : 0;
        return n;
    };
    {
        AnsweringBoxes boxes(kIdNo);
        CServerLogDlg window;
        window.SetRecords(bytes, 1);
        window.OnInitDialog();
        window.show();
        ormidon::FindControl<QPushButton>(&window, CServerLogDlg::kIdClear)->click();
        EXPECT_EQ(boxes.ids, std::vector<uint32_t>{4117});
        EXPECT_EQ(clearRequests(), 0u);
        EXPECT_TRUE(window.isVisible());
    }
    {
        AnsweringBoxes boxes(kIdYes);
        CServerLogDlg window;
        window.SetRecords(bytes, 1);
        window.OnInitDialog();
        window.show();
        device.Server().AddFault(sim::Fault::Status(500, "/ClearLog.cgi"));
        ormidon::FindControl<QPushButton>(&window, CServerLogDlg::kIdClear)->click();
        EXPECT_EQ(boxes.ids, (std::vector<uint32_t>{4117, 4065}));
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.RowCount(), 1);
        EXPECT_GT(device.Events().Size(), 0u);

        ormidon::FindControl<QPushButton>(&window, CServerLogDlg::kIdClear)->click();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(device.Events().Size(), 0u);
        EXPECT_EQ(device.Server().Log().back().target,
                  "/ClearLog.cgi?Cookie=" + GetSessionCookie());
    }
}

}  // namespace
}  // namespace ormidon::test
