#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Rs485Body.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A command from a line written as in the control file.
ControlCommand_Struct Command(const std::string& line) {
    char reduced[kControlLineBufferSize];
    ReadControlFileLine(line, reduced);
    ControlCommand_Struct command;
    ParseControlCommand(command, reduced);
    return command;
}

Bytes Sent(const Rs485Body& body) { return Bytes(body.bytes, body.bytes + body.length); }

constexpr Rs485Variables kMaster3 = {3, 60, 9, false};

}  // namespace

TEST(Rs485Body, FormsAndVariables) {
    struct Case {
        const char* name;
        std::string line;
        uint8_t repeat;
        Rs485Variables variables;
        Bytes sent;
    };
    const Case cases[] = {
        {"address",
         "0x05 0xFF 0xC0 0x%d 0x31 0x7F",
         1,
         kMaster3,
         {0x05, 0xff, 0xc0, 0x03, 0x31, 0x7f, 0x01, 0x32}},
        {"checksum after sync",
         "0x07 0xFF 0x%d 0x00 0x04 0x20 0x00 0x%6",
         1,
         {1, 60, 9, false},
         {0x07, 0xff, 0x01, 0x00, 0x04, 0x20, 0x00, 0x25, 0x01, 0x32}},
        {"sum of all",
         "0x07 0xFF 0x%d 0x00 0x04 0x20 0x00 0x%2",
         1,
         {1, 60, 9, false},
         {0x07, 0xff, 0x01, 0x00, 0x04, 0x20, 0x00, 0x24, 0x01, 0x32}},
        {"turbo repeat", "0x02 0xFF 0x01", 5, kMaster3, {0x02, 0xff, 0x01, 0x05, 0x32}},
        {"rank and family address",
         "0x03 0x%1 0x%b 0x%2",
         1,
         kMaster3,
         {0x03, 60, 9, 69, 0x01, 0x32}},
        {"parameter without owner", "0x02 0x%0 0x%9", 1, kMaster3, {0x02, 0, 0, 0x01, 0x32}},
        // ACTION sends the first alternative, PRESET the one behind the second %7.
        {"action",
         "0x08 0x%7 0x02 0xAA 0x%d 0x%7 0x02 0xBB 0x%d",
         1,
         kMaster3,
         {0x02, 0xaa, 0x03, 0x01, 0x32}},
        {"preset",
         "0x08 0x%7 0x02 0xAA 0x%d 0x%7 0x02 0xBB 0x%d",
         1,
         {3, 60, 9, true},
         {0x02, 0xbb, 0x03, 0x01, 0x32}},
        // A literal 7 is no separator.
        {"preset after a literal 7",
         "0x08 0x%7 0x02 0x07 0x03 0x%7 0x02 0xBB 0xCC",
         1,
         {3, 60, 9, true},
         {0x02, 0xbb, 0xcc, 0x01, 0x32}},
        {"skip to length",
         "0x07 0x%a 0x4D 0x32 0x0A 0x02 0xFF 0x%d",
         1,
         kMaster3,
         {0x02, 0xff, 0x03, 0x01, 0x32}},
        // Open form: the body as written, no repeat or interval added.
        {"open, ended by 0",
         "0x0A 0x%3 0x05 0xFF 0xC0 0x%d 0x31 0x7F 0x01 0x32 0x00",
         5,
         kMaster3,
         {0x05, 0xff, 0xc0, 0x03, 0x31, 0x7f, 0x01, 0x32}},
        {"open, ended by %5",
         "0x0A 0x%3 0x05 0xFF 0xC0 0x%d 0x31 0x7F 0x01 0x%5 0x32",
         1,
         kMaster3,
         {0x05, 0xff, 0xc0, 0x03, 0x31, 0x7f, 0x01, 0x32}},
        {"open, escaped zero",
         "0x07 0x%3 0x02 0x%4 0x00 0x%2 0x%6 0x00",
         1,
         kMaster3,
         {0x02, 0x00, 0x00, 0x00, 0x00}},
        {"open, unknown variable",
         "0x05 0x%3 0x02 0x%9 0x11 0x00",
         1,
         kMaster3,
         {0x02, 0x00, 0x11, 0x00, 0x00}},
        {"open, no end",
         "0x04 0x%3 0x03 0x11 0x22",
         1,
         kMaster3,
         {0x03, 0x11, 0x22, 0x00, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        Rs485Body body;
        ASSERT_TRUE(BuildRs485Body(Command(c.line), c.repeat, c.variables, body)) << c.name;
        EXPECT_EQ(Sent(body), c.sent) << c.name;
    }
}

TEST(Rs485Body, ParameterBytesOfTheOwner) {
    ControlDevice_Struct device;
    device.byParameters[0] = 0xc4;
    ControlCommand_Struct command = Command("0x03 0xFF 0x%0 0x%2");
    command.lpOwner = &device;
    Rs485Body body;
    ASSERT_TRUE(BuildRs485Body(command, 1, kMaster3, body));
    EXPECT_EQ(Sent(body), (Bytes{0x03, 0xff, 0xc4, 0xc3, 0x01, 0x32}));
}

TEST(Rs485Body, CommandsThatCannotBeBuiltAreRefused) {
    std::string tooLong = "0x3E";  // 62 bytes: with length, repeat and interval 65
    for (int i = 0; i < 62; ++i) tooLong += " 0x01";
    std::string longest = "0x3D";
    for (int i = 0; i < 61; ++i) longest += " 0x01";
    std::string openTooLong = "0x02 0x%3 0x3E";

    const std::string refused[] = {
        tooLong,
        "0x04 0x%a 0x01 0x02 0x03",  // no 0x0A separator
        "0x04 0x%a 0x01 0x02 0x0A",  // separator without a length
        "0x04 0x%a 0x0A 0x05 0x01",  // length beyond the bytes
        "0x04 0x%7 0x05 0xAA 0xBB",  // ACTION length beyond the bytes
        "0x04 0x%7 0x01 0xAA 0xBB",  // PRESET without a second %7 (below)
        openTooLong,
    };
    for (const std::string& line : refused) {
        Rs485Variables variables = kMaster3;
        variables.presetMode = line == refused[5];
        Rs485Body body;
        EXPECT_FALSE(BuildRs485Body(Command(line), 1, variables, body)) << line;
    }
    Rs485Body body;
    EXPECT_FALSE(BuildRs485Body(ControlCommand_Struct{}, 1, kMaster3, body));
    ASSERT_TRUE(BuildRs485Body(Command(longest), 1, kMaster3, body));
    EXPECT_EQ(body.length, 64u);
    EXPECT_EQ(body.bytes[63], 50);
    // The open form's walk stops at the end of the body: 100 bytes, no 0 behind the length.
    ControlCommand_Struct openRunaway;
    openRunaway.Bytes.assign(100, 0x01);
    openRunaway.Bytes[0] = 0x03;
    openRunaway.Bytes[1] = 61;
    openRunaway.dwVariableMask = 0x1;
    ASSERT_TRUE(BuildRs485Body(openRunaway, 1, kMaster3, body));
    EXPECT_EQ(body.length, 64u);
    EXPECT_EQ(body.bytes[63], 0x01);
}
