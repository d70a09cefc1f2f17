#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "DeviceWindowFixture.h"
#include "core/SessionCookie.h"
#include "liveview/ChannelBar.h"
#include "platform/window/ControlId.h"
#include "widgets/CVtxButton.h"

namespace {

using ormidon::testing::ProcessEventsUntil;

class ChannelBarTest : public ormidon::test::DeviceWindowTest {
  protected:
    // A bar for `productId` at image size `imageSizeIndex`, its presses recorded.
    void Make(const std::string& productId, uint8_t imageSizeIndex = 0, uint8_t multi = 1) {
        LogIn(productId, "1060", multi);
        app.by_ImageSizeIndex = imageSizeIndex;
        bar.Attach(window.get(), [this](int id) { pressed.push_back(id); });
        bar.Create();
    }

    // "x,y" of every visible button, in table order, the arrows as "<x,y" and ">x,y".
    std::vector<std::string> Shown() {
        std::vector<std::string> shown;
        for (int i = 0; i < bar.ButtonCount(); ++i) {
            const CVtxButton* button = bar.Button(i);
            if (button->isHidden()) continue;
            const int id = ormidon::ControlIdOf(button);
            const std::string mark = id == CChannelBar::kIdPageLeft    ? "<"
                                     : id == CChannelBar::kIdPageRight ? ">"
                                                                       : "";
            shown.push_back(mark + std::to_string(button->x()) + "," + std::to_string(button->y()));
        }
        return shown;
    }

    CChannelBar bar;
    std::vector<int> pressed;
};

using Row = std::vector<std::string>;

TEST_F(ChannelBarTest, P51KAtVgaSizeShowsNineButtonsAPage) {
    app.CSettingINI.m_bySelectedChannel = 3;
    Make("P51K");
    ASSERT_TRUE(bar.IsEnabled());
    ASSERT_EQ(bar.ButtonCount(), 19);
    EXPECT_EQ(bar.PageAnchor(), 3);
    // "Channel DVR" 40 wide, then channels 1-8 35 wide; channel 9 would start at 341.
    EXPECT_EQ(Shown(), (Row{"21,32", "61,32", "96,32", "131,32", "166,32", "201,32", "236,32",
                            "271,32", "306,32", ">344,37"}));

    bar.PageRight();
    EXPECT_EQ(bar.PageAnchor(), 9);
    EXPECT_EQ(Shown(), (Row{"21,32", "56,32", "91,32", "126,32", "161,32", "196,32", "231,32",
                            "266,32", "<9,37"}));
    bar.PageRight();  // no page after channel 16
    EXPECT_EQ(bar.PageAnchor(), 9);
    bar.PageLeft();
    EXPECT_EQ(bar.PageAnchor(), 0);
    EXPECT_EQ(Shown().back(), ">344,37");
}

TEST_F(ChannelBarTest, QvgaPagesHoldFourChannels) {
    app.CSettingINI.m_bySelectedChannel = 0;
    Make("P51K", 1);
    EXPECT_EQ(Shown(), (Row{"21,32", "61,32", "96,32", "131,32", ">169,37"}));
    std::vector<int> anchors;
    for (int i = 0; i < 5; ++i) {
        bar.PageRight();
        anchors.push_back(bar.PageAnchor());
    }
    EXPECT_EQ(anchors, (std::vector<int>{4, 8, 12, 16, 16}));
    EXPECT_EQ(Shown(), (Row{"21,32", "<9,37"}));  // channel 16 alone
    EXPECT_FALSE(bar.Button(16)->isHidden());
}

TEST_F(ChannelBarTest, P53KAtVgaSizeDoesNotPageAndResetsAChannelItHasNot) {
    app.CSettingINI.m_bySelectedChannel = 12;
    Make("P53K");
    EXPECT_EQ(app.CSettingINI.m_bySelectedChannel, 0);
    EXPECT_EQ(bar.CurrentChannel(), 0);
    EXPECT_EQ(bar.ButtonCount(), 11);
    EXPECT_EQ(bar.GetPageSize(), 0);
    const Row before = Shown();
    EXPECT_EQ(before.size(), 9u);  // all of them, without arrows
    bar.PageRight();
    EXPECT_EQ(Shown(), before);
}

TEST_F(ChannelBarTest, OtherDevicesHaveNoBar) {
    for (const auto& [product, multi] :
         {std::pair{"P51K", 0}, std::pair{"T18D", 1}, std::pair{"N25V", 1}}) {
        SCOPED_TRACE(product);
        CChannelBar other;
        LogIn(product, "1060", static_cast<uint8_t>(multi));
        other.Attach(window.get(), {});
        other.Create();
        EXPECT_FALSE(other.IsEnabled());
        EXPECT_EQ(other.ButtonCount(), 0);
        EXPECT_EQ(other.SetChannel(2), 1);
    }
    EXPECT_TRUE(Requests("/SetChannel.cgi").empty());
}

TEST_F(ChannelBarTest, SelectedChannelShowsItsEnablePicture) {
    app.CSettingINI.m_bySelectedChannel = 2;
    Make("P55K");
    window->show();
    EXPECT_EQ(ShownFile(bar.Button(0)), "BMP/Channel_dvr_Disable.bmp");
    EXPECT_EQ(ShownFile(bar.Button(2)), "BMP/Channel_2_Enable.bmp");
    EXPECT_EQ(bar.Button(2)->toolTip().toStdString(), "Channel 2");

    bar.Button(4)->click();
    bar.Button(0)->click();
    EXPECT_EQ(pressed, (std::vector<int>{8414, 8410}));
}

TEST_F(ChannelBarTest, SetChannelAsksTheDeviceAndTheStreamConfirms) {
    app.CSettingINI.m_bySelectedChannel = 0;
    Make("P53K");
    EXPECT_EQ(bar.SetChannel(0), 1);  // the current channel: nothing is sent
    EXPECT_TRUE(Requests("/SetChannel.cgi").empty());

    EXPECT_EQ(bar.SetChannel(5), 1);
    EXPECT_EQ(Requests("/SetChannel.cgi"),
              (Row{"/SetChannel.cgi?Cookie=" + GetSessionCookie() + "&CH=5"}));
    EXPECT_EQ(device.SessionState(GetSessionCookie())->channel, 5);
    EXPECT_EQ(bar.CurrentChannel(), 0);  // until the stream reports it

    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetChannel.cgi"));
    EXPECT_EQ(bar.SetChannel(6), 0);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4064}));
    EXPECT_EQ(bar.CurrentChannel(), 0);
}

TEST_F(ChannelBarTest, StreamThreadsQueueTheirWorkForTheWindow) {
    app.CSettingINI.m_bySelectedChannel = 0;
    Make("P53K");
    // DVR itself, then its masters 1 and 2.
    for (uint8_t address : {1, 2, 3}) app.C_ControlD.AddDevice(0, address, 11, kRoleMaster);

    device.Server().AddFault(ormidon::sim::Fault::Status(500, "/SetChannel.cgi"));
    std::thread stream([this] {
        bar.SetChannel(3);     // fails on the UI thread: the box does not hold this thread
        bar.SelectChannel(2);  // the device switched
        bar.SelectChannel(9);  // no such button on a P53K
        bar.SelectChannel(200);
    });
    stream.join();
    EXPECT_EQ(bar.CurrentChannel(), 0);  // nothing changed on this thread
    ASSERT_TRUE(ProcessEventsUntil([&] { return view.Count("RefreshRemotePanel") == 1; }));
    ormidon::testing::ProcessEventsFor(20);
    EXPECT_EQ(boxes.Ids(), (std::vector<uint32_t>{4064}));
    EXPECT_EQ(bar.CurrentChannel(), 2);
    EXPECT_EQ(app.CSettingINI.m_bySelectedChannel, 2);
    EXPECT_EQ(app.C_ControlD.GetCurrentMasterAddress(), 3);
    for (int i = 0; i < bar.ButtonCount(); ++i) {
        EXPECT_EQ(bar.Button(i)->GetState(), i == 2 ? 0 : 1) << i;
    }
    EXPECT_EQ(view.Count("RefreshRemotePanel"), 1u);
}

TEST_F(ChannelBarTest, P62KHasTwoFixedChannels) {
    app.CSettingINI.m_bySelectedChannel = 0;
    for (uint8_t address : {1, 2}) app.C_ControlD.AddDevice(0, address, 11, kRoleMaster);
    Make("P62K");
    EXPECT_EQ(app.CSettingINI.m_bySelectedChannel, 1);
    EXPECT_EQ(Shown(), (Row{"20,32", "55,32"}));
    EXPECT_EQ(ormidon::ControlIdOf(bar.Button(1)), 8412);
    EXPECT_EQ(bar.Button(0)->GetState(), 0);

    bar.SelectChannel(2);
    EXPECT_EQ(bar.Button(0)->GetState(), 1);
    EXPECT_EQ(bar.Button(1)->GetState(), 0);
    EXPECT_EQ(app.C_ControlD.GetCurrentMasterAddress(), 2);
    bar.SelectChannel(3);  // the P62K has two
    EXPECT_EQ(bar.CurrentChannel(), 2);

    bar.Show(1);
    EXPECT_EQ(Shown(), Row{});
    bar.Show(0);
    EXPECT_EQ(Shown().size(), 2u);
}

}  // namespace
