// The recorder of the demo starts where the client's settings file points the client.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sim/ClientSetting.h"

namespace {

using ormidon::sim::ParseClientSetting;

constexpr uint32_t k127_0_0_1 = 0x7F000001;

// The file is read as the client reads it: its section only, names in any letter case,
// trimmed and unquoted values, the first key of a name; only a loopback address is taken
// and a port only when it is not 0.
TEST(ClientSetting, TakesTheLoopbackAddressAndPortTheClientWould) {
    struct Case {
        const char* text;
        uint32_t address;
        int port;  // 0: none
    } const cases[] = {
        {"[Ormidon]\r\nServer Name=127.0.0.7\r\nServerPort=8090\r\nUsername=demo\r\n", 0x7F000007,
         8090},
        {"\xEF\xBB\xBF[ormidon]\n  server name = \"127.1.2.3\" \nSERVERPORT\t= 81;x\n", 0x7F010203,
         81},
        {"[Other]\nServer Name=127.0.0.9\nServerPort=9\n[Ormidon]\nServerPort=82\n", k127_0_0_1,
         82},
        {"[Ormidon]\nServer Name=127.0.0.5\nServer Name=127.0.0.6\n[Ormidon]\nServerPort=83\n",
         0x7F000005, 0},
        {"[Ormidon]\n;Server Name=127.0.0.5\nServerPort=0\n", k127_0_0_1, 0},
        // The client keeps the low 16 bits of the number.
        {"[Ormidon]\nServerPort=73626\n", k127_0_0_1, 8090},
        {"[Ormidon]\nServer Name=192.168.1.10\nServerPort=80\n", k127_0_0_1, 80},
        {"[Ormidon]\nServer Name=localhost\n", k127_0_0_1, 0},
        {"[Ormidon]\nServer Name=127.0.0.256\n", k127_0_0_1, 0},
        {"[Ormidon]\nServer Name=127.1\n", k127_0_0_1, 0},
        {"[Ormidon]\nServer Name=127.0.0.7 8080\n", k127_0_0_1, 0},
        {"", k127_0_0_1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto where = ParseClientSetting(c.text);
        EXPECT_EQ(where.address, c.address);
        EXPECT_EQ(where.port.value_or(0), c.port);
    }
    EXPECT_FALSE(ormidon::sim::ReadClientSetting("/nonexistent/Setting.ini"));
}

}  // namespace
