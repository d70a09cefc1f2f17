#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawHttp.h"
#include "sim/SimulatedRecorder.h"

using namespace ormidon::sim;

namespace {

class DeviceControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(recorder.Start());
        cookie = recorder.OpenSession("admin");
    }

    // The status code and body of one request carrying the session.
    std::pair<std::string, std::string> Get(const std::string& path, const std::string& query,
                                            const std::string& body = {}) {
        const std::string target = path + "?Cookie=" + cookie + query;
        const simtest::Exchange exchange = simtest::Get(recorder.Port(), target, body);
        return {simtest::StatusLineOf(exchange.reply).substr(9, 3),
                simtest::BodyOf(exchange.reply)};
    }

    DeviceControls& Controls() { return recorder.Controls(); }

    SimulatedRecorder recorder;
    std::string cookie;
};

using Reply = std::pair<std::string, std::string>;

TEST_F(DeviceControlsTest, PtzResetReportsTheCameras) {
    EXPECT_EQ(Get("/PTZReset.cgi", ""), (Reply{"200", "SLAVENUM=0;"}));
    Controls().SetPtzSlaves({{3, 1, 1}, {4, 11, 0}});
    EXPECT_EQ(Get("/PTZReset.cgi", ""),
              (Reply{"200", "SLAVENUM=2;SID=3;STYPE=1;SPROTOCOL=1;SID=4;STYPE=11;SPROTOCOL=0;"}));
    Controls().SetPtzReportOverride("SLAVENUM=9;");
    EXPECT_EQ(Get("/PTZReset.cgi", "").second, "SLAVENUM=9;");
    // Without a session the recorder refuses.
    EXPECT_EQ(simtest::StatusLineOf(simtest::Get(recorder.Port(), "/PTZReset.cgi").reply),
              "HTTP/1.1 401 Unauthorized");
}

TEST_F(DeviceControlsTest, RecordsRs485Bodies) {
    const std::string body("\x07\xD0\x01\x3C\x52\x00\x00\x5F\x01\x32", 10);
    EXPECT_EQ(Get("/RS485Cmd.cgi", "&Control=P51K&MASTER=1", body).first, "200");
    EXPECT_EQ(Get("/RS485Cmd.cgi", "", "").first, "400");
    EXPECT_EQ(Controls().Rs485Bodies(), std::vector<std::string>{body});
    Controls().ClearRs485Bodies();
    EXPECT_TRUE(Controls().Rs485Bodies().empty());
}

TEST_F(DeviceControlsTest, RetrAndSensorFollowTheirCommands) {
    EXPECT_EQ(Controls().RetrState(), std::nullopt);
    EXPECT_EQ(Get("/SetRetr.cgi", "&SET=1").first, "200");
    EXPECT_EQ(Controls().RetrState(), 1);
    EXPECT_EQ(Get("/SetRetr.cgi", "&SET=2").first, "400");
    EXPECT_EQ(Controls().RetrState(), 1);

    EXPECT_EQ(Controls().SensorStatus(), std::nullopt);
    EXPECT_EQ(Get("/OV9653Zoom.cgi", "&MODE=3").first, "200");
    EXPECT_EQ(Get("/OV9653Rotate.cgi", "&HR=1&VR=0").first, "200");
    EXPECT_EQ(Controls().SensorStatus(), 0x83);
    EXPECT_EQ(Get("/OV9653Rotate.cgi", "&VR=1&HR=0").first, "200");
    EXPECT_EQ(Controls().SensorStatus(), 0x43);
    for (const char* bad : {"&MODE=6", "&MODE=", "&MODE=1x", "&MODE=-1"}) {
        EXPECT_EQ(Get("/OV9653Zoom.cgi", bad).first, "400") << bad;
    }
    EXPECT_EQ(Get("/OV9653Rotate.cgi", "&HR=1").first, "400");
    EXPECT_EQ(Controls().SensorStatus(), 0x43);
}

TEST_F(DeviceControlsTest, ColourIsRememberedAndReportedBack) {
    EXPECT_EQ(Get("/GetColor.cgi", ""), (Reply{"200", "BRI=0;CON=128;HUE=0;"}));
    EXPECT_EQ(Get("/SetColor.cgi", "&CON=150&BRI=47&HUE=2").first, "200");
    EXPECT_EQ(Get("/GetColor.cgi", ""), (Reply{"200", "BRI=47;CON=150;HUE=2;"}));
    EXPECT_EQ(Get("/SetColor.cgi", "&CON=256&BRI=47&HUE=2").first, "400");
    EXPECT_EQ(Get("/SetColor.cgi", "&CON=1&BRI=47").first, "400");
    EXPECT_EQ(Controls().Colour().contrast, 150);
    Controls().SetColourReplyOverride("HUE=9;");
    EXPECT_EQ(Get("/GetColor.cgi", "").second, "HUE=9;");
}

}  // namespace
