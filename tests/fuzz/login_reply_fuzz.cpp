// The key=value readers of the login and device-information replies over arbitrary text:
// values within the reply and their 255 characters, the cookie either kept whole or refused,
// and peripheral lists never longer than the control-device list.
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "core/AppObject.h"
#include "core/SessionCookie.h"
#include "net/DeviceInfo.h"
#include "net/LoginReply.h"

namespace {

CAppObject& App() {
    static CAppObject app;
    g_lpApp = &app;
    return app;
}

void CheckValue(std::string_view reply, std::string_view key, std::size_t skip) {
    const auto value = FindReplyValue(reply, key, skip);
    if (!value) return;
    FUZZ_CHECK(reply.find(key) != std::string_view::npos);
    FUZZ_CHECK(value->text.size() <= kReplyValueMax);
    FUZZ_CHECK(value->end <= reply.size());
    FUZZ_CHECK(value->end == reply.size() || reply[value->end] == ';');
    FUZZ_CHECK(value->text.find(';') == std::string::npos);
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    const std::string_view replies[] = {
        "Session-ID=C0FFEE;Firmware-Version=1046;Product-ID=P51K;MAC-Address=00a0b1c2d3e4;"
        "Host-Name=dvr;",
        "Session-ID=1;MAC-Address=00a0b1c2d3zz;",
        "LIFETIME=2;VIDEOMODE=1;USERLEVEL=10;Boot-Version=B1;2041-Version=V9;MULTICH=4;",
        "MASTERNUM=2;MID=1;MTYPE=1;MID=2;MTYPE=19;SLAVENUM=3;SID=4;STYPE=1;SPROTOCOL=1;SID=5;",
        "LINKDEVICE=22;SLAVENUM=99;SID=1;",
    };
    std::vector<FuzzBytes> seeds;
    for (std::string_view reply : replies) {
        seeds.push_back(fuzz::Seed().U8(0).Append(reply));
        seeds.push_back(fuzz::Seed().U8(3).Append(reply));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CAppObject& app = App();
    fuzz::Input in(data, size);
    const uint8_t options = in.U8();
    const std::string_view reply = in.RestText();

    for (std::string_view key : {"Session-ID=", "Firmware-Version=", "MAC-Address="})
        CheckValue(reply, key, 0);
    for (std::string_view key : {"LIFETIME", "MASTERNUM", "MID"}) CheckValue(reply, key, 1);

    ClearSessionCookie();
    const bool loggedIn = ReadLoginReply(reply, options & 1);
    const std::string cookie = GetSessionCookie();
    FUZZ_CHECK(cookie.size() < kSessionCookieSize);
    if (loggedIn) {
        const auto value = FindReplyValue(reply, "Session-ID=", 0);
        FUZZ_CHECK(value && value->text == cookie);
    } else {
        FUZZ_CHECK(cookie.empty());
    }
    FUZZ_CHECK(app.str_FWVersion.Get().size() <= kReplyValueMax);
    FUZZ_CHECK(app.sz_MACAddress.Get().size() <= 12);

    ReadDeviceInfoBasics(reply);
    ReadMultiChannel(app, reply);
    app.C_ControlD.Clear();
    ReadMasterDevices(app.C_ControlD, reply, options & 2);
    const uint8_t masters = app.C_ControlD.GetCount();
    FUZZ_CHECK(masters <= kControlDItemCount);
    ReadSlaveDevices(app.C_ControlD, reply);
    FUZZ_CHECK(app.C_ControlD.GetCount() >= masters);
    FUZZ_CHECK(app.C_ControlD.GetCount() <= kControlDItemCount);
    return 0;
}
