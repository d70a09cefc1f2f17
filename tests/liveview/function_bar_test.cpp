#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceWindowFixture.h"
#include "liveview/FunctionBar.h"
#include "platform/window/ControlId.h"
#include "widgets/CVtxButton.h"

namespace {

class FunctionBarTest : public ormidon::test::DeviceWindowTest {
  protected:
    void Make(const std::string& productId, uint8_t multi = 1, uint16_t displayMode = 0) {
        app.by_MultiChannel = multi;
        app.w_DisplayMode = displayMode;
        bar.Attach(window.get(), [this](int id) { pressed.push_back(id); });
        ASSERT_EQ(bar.Create(productId), 1);
    }

    std::vector<int> Ids() {
        std::vector<int> ids;
        for (int i = 0; i < bar.ButtonCount(); ++i)
            ids.push_back(ormidon::ControlIdOf(bar.Button(i)));
        return ids;
    }

    CFunctionBar bar;
    std::vector<int> pressed;
};

TEST_F(FunctionBarTest, ButtonsFollowTheFamily) {
    struct Case {
        const char* product;
        uint8_t multi;
        uint8_t family;
        std::vector<int> ids;
    };
    const std::vector<int> all = {1002, 1007, 1008, 999, 1004, 1005, 1006};
    const Case cases[] = {
        {"P53K", 0, 1, {1002, 1007, 1008, 1004, 1005, 1006}},  // no colour button
        {"p51k", 1, 2, all},
        {"P62K", 0, 2, all},
        {"T18D", 0, 2, all},
        {"N23V", 0, 4, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.product);
        CFunctionBar made;
        app.by_MultiChannel = c.multi;
        made.Attach(window.get(), {});
        ASSERT_EQ(made.Create(c.product), 1);
        EXPECT_EQ(made.FamilyBit(), c.family);
        std::vector<int> ids;
        for (int i = 0; i < made.ButtonCount(); ++i)
            ids.push_back(ormidon::ControlIdOf(made.Button(i)));
        EXPECT_EQ(ids, c.ids);
    }
    CFunctionBar none;
    none.Attach(window.get(), {});
    EXPECT_EQ(none.Create("X99Z"), 0);
    EXPECT_EQ(none.ButtonCount(), 0);
}

TEST_F(FunctionBarTest, LaidOutFromRightToLeft) {
    for (const auto& [mode, right, top] : {std::tuple{0, 688, 34}, std::tuple{7, 336, 35}}) {
        SCOPED_TRACE(mode);
        CFunctionBar made;
        app.w_DisplayMode = static_cast<uint16_t>(mode);
        made.Attach(window.get(), {});
        made.Create("P51K");
        made.Arrange();
        for (int i = 0; i < made.ButtonCount(); ++i) {
            const QRect place = made.Button(i)->geometry();
            EXPECT_EQ(place, QRect(right - (made.ButtonCount() - 1 - i) * 26, top, 26, 26)) << i;
        }
    }
}

TEST_F(FunctionBarTest, GuestMayOnlyConnect) {
    app.by_UserClass = 2;
    Make("P62K");
    bar.LoadBitmaps();
    bar.Arrange();
    window->show();
    const std::vector<std::string> expected = {"BMP/link.bmp",
                                               "BMP/qvga_n.bmp",
                                               "BMP/high_n.bmp",
                                               "BMP/Image_Quality_n.bmp",
                                               "BMP/snapshoot_n.bmp",
                                               "BMP/Record_Button_n.bmp",
                                               "BMP/system_setting_n.bmp"};
    for (int i = 0; i < bar.ButtonCount(); ++i) {
        EXPECT_EQ(ShownFile(bar.Button(i)), expected[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(bar.Button(i)->isEnabled(), i == 0) << i;
    }
}

TEST_F(FunctionBarTest, SupervisorGetsEveryButtonAndTheOwnerSetsStates) {
    app.by_UserClass = 0;
    Make("P51K");
    bar.LoadBitmaps();
    bar.Arrange();
    window->show();
    CVtxButton* record = bar.ButtonById(1005);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->toolTip().toStdString(), "RECORD");
    EXPECT_EQ(ShownFile(record), "BMP/Record_Button.bmp");

    bar.SetButtonState(kActionRecord, 1);
    EXPECT_EQ(ShownFile(record), "BMP/Recording_Button.bmp");
    bar.SetButtonState(kActionConnect | kActionRecord, 1);  // the first in creation order
    EXPECT_EQ(ShownFile(bar.ButtonById(1002)), "BMP/link_off.bmp");
    bar.SetButtonState(kActionQuality, 2);
    EXPECT_EQ(ShownFile(bar.ButtonById(1008)), "BMP/low.bmp");

    bar.ButtonById(1006)->click();
    bar.ButtonById(999)->click();
    EXPECT_EQ(pressed, (std::vector<int>{1006, 999}));

    bar.Show(0);
    EXPECT_TRUE(record->isHidden());
    bar.Show(5);
    EXPECT_TRUE(record->isHidden());
    bar.Show(1);
    EXPECT_FALSE(record->isHidden());
}

}  // namespace
