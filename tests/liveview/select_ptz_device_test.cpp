#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "../support/EngineHarness.h"
#include "core/AppObject.h"
#include "core/DeviceKindTable.h"
#include "liveview/CSelectPTZDeviceDlg.h"
#include "platform/window/ControlId.h"
#include "platform/window/testing/WindowTesting.h"

namespace {

using ormidon::FindControl;

class SelectPtzDeviceTest : public ormidon::testing::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        pickerWindow = std::make_unique<CSelectPTZDeviceDlg>();
        // The device itself and three cameras behind it.
        Devices().AddDevice(0, 0, 2, kRoleMaster);
        for (uint8_t address = 1; address <= 3; ++address) {
            Devices().AddDevice(2400, address, kDeviceKindPtzSlave, kRoleSlave);
        }
    }

    C_ControlD& Devices() { return scope.App().C_ControlD; }

    // Runs the picker and, once it shows, does `act` with it; returns the run's result.
    int Run(const std::function<void(CSelectPTZDeviceDlg&)>& act) {
        QTimer::singleShot(0, pickerWindow.get(), [&] {
            seen.number =
                FindControl<QLineEdit>(pickerWindow.get(), CSelectPTZDeviceDlg::kIdNumber)->text();
            seen.escShown = Button(CSelectPTZDeviceDlg::kIdEsc)->isVisible();
            seen.cancel = Button(CSelectPTZDeviceDlg::kIdCancel)->geometry();
            act(*pickerWindow);
        });
        return pickerWindow->DoModal();
    }
    QPushButton* Button(int id) { return FindControl<QPushButton>(pickerWindow.get(), id); }

    ormidon::test::AppRecordScope scope;
    std::unique_ptr<CSelectPTZDeviceDlg> pickerWindow;
    struct {
        QString number;
        bool escShown = false;
        QRect cancel;
    } seen;
};

TEST_F(SelectPtzDeviceTest, OkTakesTheTypedNumber) {
    Devices().MakeCurrent(kRoleSlave, 1);
    const int result = Run([&](CSelectPTZDeviceDlg& dialog) {
        FindControl<QLineEdit>(&dialog, CSelectPTZDeviceDlg::kIdNumber)->setText("17");
        Button(CSelectPTZDeviceDlg::kIdOk)->click();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(seen.number, "2");  // the steered camera's number
    EXPECT_TRUE(seen.escShown);
    EXPECT_EQ(pickerWindow->m_nNumber, 17);  // the caller checks the range
}

TEST_F(SelectPtzDeviceTest, CancelAndEscAnswerTheirOwnResults) {
    Devices().MakeCurrent(kRoleSlave, 0);
    EXPECT_EQ(Run([&](CSelectPTZDeviceDlg&) { Button(CSelectPTZDeviceDlg::kIdCancel)->click(); }),
              2);
    EXPECT_EQ(Run([&](CSelectPTZDeviceDlg&) { Button(CSelectPTZDeviceDlg::kIdEsc)->click(); }), 20);
    EXPECT_EQ(Run([&](CSelectPTZDeviceDlg& dialog) { dialog.reject(); }), 2);  // Escape key
    EXPECT_EQ(pickerWindow->m_nNumber, 0);
    EXPECT_TRUE(
        Button(CSelectPTZDeviceDlg::kIdEsc)->toolTip().startsWith("Back to control center"));
}

TEST_F(SelectPtzDeviceTest, WhileTheDeviceIsSteeredThereIsNoEsc) {
    scope.App().fl_DPIScale = 1.5f;
    const int result = Run([&](CSelectPTZDeviceDlg& dialog) {
        FindControl<QLineEdit>(&dialog, CSelectPTZDeviceDlg::kIdNumber)->clear();
        Button(CSelectPTZDeviceDlg::kIdOk)->click();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(seen.number, "1");
    EXPECT_FALSE(seen.escShown);
    EXPECT_EQ(seen.cancel, QRect(258, 63, 147, 56));  // 172, 42, 98 x 37 scaled by 1.5
    EXPECT_EQ(pickerWindow->m_nNumber, 0);            // an empty field is no number
}

// On a large screen the window grows with its controls: every one stays whole inside it,
// and OK and CANCEL keep apart.
TEST_F(SelectPtzDeviceTest, TheWindowAndItsControlsScaleTogether) {
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        for (bool master : {true, false}) {
            SCOPED_TRACE(::testing::Message() << scale << (master ? " master" : " camera"));
            scope.App().fl_DPIScale = scale;
            Devices().MakeCurrent(master ? kRoleMaster : kRoleSlave, 0);
            pickerWindow = std::make_unique<CSelectPTZDeviceDlg>();
            QSize size;
            std::vector<std::pair<int, QRect>> controls;
            Run([&](CSelectPTZDeviceDlg& dialog) {
                size = dialog.size();
                for (int id :
                     {1334, 1335, CSelectPTZDeviceDlg::kIdNumber, CSelectPTZDeviceDlg::kIdOk,
                      CSelectPTZDeviceDlg::kIdCancel, CSelectPTZDeviceDlg::kIdEsc}) {
                    QWidget* control = FindControl(&dialog, id);
                    if (control != nullptr && control->isVisible())
                        controls.emplace_back(id, control->geometry());
                }
                dialog.reject();
            });
            EXPECT_EQ(size, QSize(std::lround(278 * scale), std::lround(88 * scale)));
            EXPECT_EQ(controls.size(), master ? 5u : 6u);
            for (const auto& [id, rect] : controls) {
                SCOPED_TRACE(id);
                EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(rect));
            }
            EXPECT_EQ(seen.cancel.size(), QSize(std::lround(98 * scale), std::lround(37 * scale)));
            EXPECT_FALSE(seen.cancel.intersects(Button(CSelectPTZDeviceDlg::kIdOk)->geometry()));
        }
    }
}

}  // namespace
