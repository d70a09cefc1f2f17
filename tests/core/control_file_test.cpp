#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/ControlFile.h"
#include "platform/Paths.h"
#include "platform/RecordingMessageBoxSink.h"

namespace {

// Records the message boxes shown while it exists.
class MessageRecorder : public ormidon::RecordingMessageBoxSink {
  public:
    MessageRecorder() { ormidon::SetMessageBoxSink(this); }
    ~MessageRecorder() override { ormidon::SetMessageBoxSink(nullptr); }
};

using Ids = std::vector<uint32_t>;
using Bytes = std::vector<uint8_t>;

// A file with one device "DVR" and the given lines after its name.
std::string OneDevice(const std::string& lines) {
    return "[DEVICE NUMBER]\n1\n[DEVICE NAME]\nDVR\n" + lines + "[EOF]\nEND\n";
}

}  // namespace

TEST(ControlFile, LinesKeepPrintableBytesInUpperCase) {
    char line[kControlLineBufferSize];
    const std::string data = "\t[ch1]\r\n next";
    EXPECT_EQ(ReadControlFileLine(data, line), 8u);
    EXPECT_STREQ(line, "[CH1]");
    EXPECT_EQ(ReadControlFileLine("a\x80\xff"
                                  "b",
                                  line),
              4u);
    EXPECT_STREQ(line, "AB");
    const std::string longLine(300, 'x');
    EXPECT_EQ(ReadControlFileLine(longLine + "\nrest", line), 301u);
    EXPECT_EQ(std::string(line), std::string(129, 'X'));
}

TEST(ControlFile, HexPairCountsNonDigitsAsZero) {
    EXPECT_EQ(HexPairToByte('F', 'F'), 0xff);
    EXPECT_EQ(HexPairToByte('%', 'D'), 0x0d);
    EXPECT_EQ(HexPairToByte('5', ' '), 0x50);
    EXPECT_EQ(HexPairToByte('G', '1'), 0x01);
}

TEST(ControlFile, CommandLines) {
    struct Case {
        const char* line;
        Bytes bytes;
        uint32_t mask;
        bool complete;
        Ids messages;
    };
    const Case cases[] = {
        {"0X05 0XFF 0XC0 0X%D 0X31 0X7F", {0xff, 0xc0, 0x0d, 0x31, 0x7f}, 0x4, true, {}},
        {"0X07 0XFF 0X%D 0X00 0X04 0X20 0X00 0X%6", {0xff, 0x0d, 0, 4, 0x20, 0, 6}, 0x42, true, {}},
        // Too few bytes: the count stays, the missing bytes are 0.
        {"0X03 0X11 0X22", {0x11, 0x22, 0}, 0, false, {4051}},
        {"0X00", {}, 0, true, {}},
        // A single digit before a blank counts as the high digit.
        {"0X01 0XF ", {0xf0}, 0, true, {}},
        // An "X" at the end of the line reads no further than the line.
        {"0X02 0X11 0X", {0x11, 0}, 0, true, {}},
        {"0X", {}, 0, true, {}},
        // No count at all.
        {"FF C0", {}, 0, false, {4051}},
    };
    for (const Case& c : cases) {
        MessageRecorder messages;
        ControlCommand_Struct command;
        EXPECT_EQ(ParseControlCommand(command, c.line), c.complete) << c.line;
        EXPECT_EQ(command.Bytes, c.bytes) << c.line;
        EXPECT_EQ(command.dwVariableMask, c.mask) << c.line;
        EXPECT_EQ(messages.Ids(), c.messages) << c.line;
    }
}

TEST(ControlFile, VariableBeyondByte31IsRefused) {
    std::string line = "0X21";
    for (int i = 0; i < 32; ++i) line += " 0X01";
    MessageRecorder messages;
    ControlCommand_Struct command;
    EXPECT_TRUE(ParseControlCommand(command, line + " 0X07"));
    EXPECT_EQ(command.Bytes.size(), 33u);
    EXPECT_FALSE(ParseControlCommand(command, line + " 0X%7"));
    EXPECT_TRUE(command.Bytes.empty());
    EXPECT_EQ(messages.Ids(), Ids{4051});
}

TEST(ControlFile, FileCases) {
    struct Case {
        const char* name;
        std::string file;
        int result;
        Ids messages;
        uint32_t devices;
        int slot;     // command slot to look at, or -1
        Bytes bytes;  // its bytes
    };
    const Case cases[] = {
        {"section names in any case", OneDevice("[ch1]\n0x01 0x31\n"), 1, {}, 1, 0, {0x31}},
        {"blank after a header", OneDevice("[CH1] \n0x01 0x31\n"), 1, {4084}, 1, 0, {}},
        {"keyword position", OneDevice("[SEQUENCE]\n0x01 0x66\n"), 1, {}, 1, 66, {0x66}},
        {"comments", OneDevice("; [CH1]\n[CH2]\n;0x01 0x01\n0x01 0x;2\n"), 1, {}, 1, 1, {0x02}},
        {"a later line replaces",
         OneDevice("[CH1]\n0x01 0x31\n0x02 0x32 0x33\n"),
         1,
         {},
         1,
         0,
         {0x32, 0x33}},
        {"lines after [EOF]",
         "[DEVICE NUMBER]\n1\n[DEVICE NAME]\nDVR\n[EOF]\nSTOP\n\nEND\n",
         1,
         {},
         1,
         -1,
         {}},
        {"END outside [EOF]", OneDevice("[CH1]\nEND\n"), 1, {4051}, 1, 0, {}},
        {"data before any header", "0x01 0x31\n" + OneDevice(""), 1, {4084}, 1, -1, {}},
        {"command before a name",
         "[DEVICE NUMBER]\n1\n[CH1]\n0x01 0x31\n[EOF]\nEND\n",
         1,
         {4084},
         0,
         -1,
         {}},
        {"more names than the count",
         "[DEVICE NUMBER]\n1\n[DEVICE NAME]\nA\nB\n[CH1]\n0x01 0x31\n[EOF]\nEND\n",
         1,
         {4084},
         1,
         0,
         {0x31}},
        {"fewer names than the count",
         "[DEVICE NUMBER]\n5\n[DEVICE NAME]\nA\n[EOF]\nEND\n",
         1,
         {},
         1,
         -1,
         {}},
        {"name without count", "[DEVICE NAME]\nA\n[EOF]\nEND\n", 1, {4084}, 0, -1, {}},
        {"second count", OneDevice("[DEVICE NUMBER]\n3\n"), 1, {4084}, 1, -1, {}},
        {"no END", "[DEVICE NUMBER]\n1\n[DEVICE NAME]\nA\n[EOF]\n", 0, {}, 1, -1, {}},
        {"unknown section", OneDevice("[FOO]\nx\ny\n"), 1, {4084, 4084}, 1, -1, {}},
    };
    for (const Case& c : cases) {
        MessageRecorder messages;
        ControlDeviceRecords records;
        EXPECT_EQ(ParseControlFile(c.file, records), c.result) << c.name;
        EXPECT_EQ(messages.Ids(), c.messages) << c.name;
        EXPECT_EQ(records.dwCount, c.devices) << c.name;
        if (c.slot >= 0 && records.dwCount > 0) {
            const ControlCommand_Struct& command = records.lpDevices[0].Commands[c.slot];
            EXPECT_EQ(command.Bytes, c.bytes) << c.name;
            if (!c.bytes.empty()) {
                EXPECT_EQ(command.lpOwner, &records.lpDevices[0]) << c.name;
            }
        }
    }
}

TEST(ControlFile, CountIsBoundedToThirtyDevices) {
    std::string file = "[DEVICE NUMBER]\n   99999999999999999999\n[DEVICE NAME]\n";
    for (int i = 0; i < 31; ++i) file += "D" + std::to_string(i) + "\n";
    file += "[EOF]\nEND\n";
    MessageRecorder messages;
    ControlDeviceRecords records;
    EXPECT_EQ(ParseControlFile(file, records), 1);
    EXPECT_EQ(records.dwCount, 30u);
    EXPECT_EQ(records.lpDevices[29].strName, "D29");
    EXPECT_EQ(messages.Ids(), Ids{4084});
}

TEST(ControlFile, NamesParametersPowerAndDisplay) {
    const std::string longName(100, 'n');
    const std::string file =
        "[DEVICE NUMBER]\n2\n[DEVICE NAME]\nptz pelco\n[PARAMETER]\n%0 = 0x11\n%9=0XAB\n"
        "%A = 0x11\n= 0x11\n[POWER]\n0x02 0xFF 0x%2\n[DISPLAY]\n 300\n"
        "[DEVICE NAME]\n" +
        longName + "\n[EOF]\nEND\n";
    MessageRecorder messages;
    ControlDeviceRecords records;
    ASSERT_EQ(ParseControlFile(file, records), 1);
    EXPECT_EQ(messages.Ids(), (Ids{4084, 4084}));
    const ControlDevice_Struct& first = records.lpDevices[0];
    EXPECT_EQ(first.strName, "PTZ PELCO");
    EXPECT_EQ(first.byParameters[0], 0x11);
    EXPECT_EQ(first.byParameters[9], 0xab);
    EXPECT_EQ(first.byParameters[10], 0);
    EXPECT_EQ(first.Power.Bytes, (Bytes{0xff, 0x02}));
    EXPECT_EQ(first.Power.dwVariableMask, 0x2u);
    EXPECT_EQ(first.Power.lpOwner, &first);
    EXPECT_EQ(first.byDisplay, 255);
    EXPECT_EQ(records.lpDevices[1].strName, std::string(79, 'N'));
}

TEST(ControlFile, BindingMatchesNamesIgnoringCase) {
    const std::string file =
        "[DEVICE NUMBER]\n3\n[DEVICE NAME]\nptz pelco d\nPTZ\nptz\n[EOF]\nEND\n";
    ControlDeviceRecords records;
    ASSERT_EQ(ParseControlFile(file, records), 1);
    DeviceKindArray table = BuildDeviceKindTable();
    BindControlDevices(table, records.lpDevices.get(), records.dwCount);
    EXPECT_EQ(table[25].lpCommandSet, &records.lpDevices[0]);
    EXPECT_EQ(table[8].lpCommandSet, &records.lpDevices[1]);  // the first of two matches
    EXPECT_EQ(table[18].lpCommandSet, nullptr);
    EXPECT_EQ(table[0].lpCommandSet, nullptr);
}

// Start-up's view: the application record, the program folder and the global table.
class ControlFileStartUp : public ::testing::Test {
  protected:
    ControlFileStartUp() { g_lpApp = m_app.get(); }
    ~ControlFileStartUp() override {
        g_lpApp = nullptr;
        ormidon::SetProgramFolderForTesting({});
        DeviceKindTable = BuildDeviceKindTable();
    }
    std::unique_ptr<CAppObject> m_app = std::make_unique<CAppObject>();
    MessageRecorder m_messages;
};

TEST_F(ControlFileStartUp, OurControlFileLoadsWithoutAMessageAndBindsEveryKind) {
    const char* programDir = std::getenv("ORMIDON_PROGRAM_DIR");
    ASSERT_NE(programDir, nullptr);
    ormidon::SetProgramFolderForTesting(programDir);
    ASSERT_EQ(LoadControlFile(), 1);
    EXPECT_EQ(BindControlDevices(), 1);
    EXPECT_TRUE(m_messages.Ids().empty());
    EXPECT_EQ(m_app->dw_ControlDeviceCount, static_cast<uint32_t>(kDeviceKindCount));
    for (const DeviceKind_Struct& kind : DeviceKindTable) {
        ASSERT_NE(kind.lpCommandSet, nullptr) << kind.lpName;
        // Every key that sends its command has one; the toggles and the search do not.
        for (const RemoteButton_Struct& button : kind.Buttons) {
            const uint16_t key = button.wKeyCode;
            const bool sends =
                (button.wFlags & kKeyPresent) && key != 25 && (key < 59 || key > 61) && key != 67;
            EXPECT_EQ(!kind.lpCommandSet->Commands[key].Bytes.empty(), sends)
                << kind.lpName << " key " << key;
        }
    }
}

TEST_F(ControlFileStartUp, FileNameInAnyCaseMissingOrIncomplete) {
    ormidon::test::TempFolder folder;
    ormidon::SetProgramFolderForTesting(folder.path());
    EXPECT_EQ(LoadControlFile(), 0);
    EXPECT_EQ(BindControlDevices(), 1);
    EXPECT_EQ(DeviceKindTable[2].lpCommandSet, nullptr);

    ormidon::test::WriteFile(folder / "ctrlfile.INI",
                             "[DEVICE NUMBER]\n1\n[DEVICE NAME]\n4ch dvr (full)\n[EOF]\n");
    EXPECT_EQ(LoadControlFile(), 0);
    ormidon::test::WriteFile(folder / "ctrlfile.INI",
                             "[DEVICE NUMBER]\n1\n[DEVICE NAME]\n4ch dvr (full)\n[EOF]\nEND\n");
    EXPECT_EQ(LoadControlFile(), 1);
    BindControlDevices();
    EXPECT_EQ(DeviceKindTable[2].lpCommandSet, &m_app->lp_ControlDevices[0]);
    EXPECT_EQ(m_messages.Ids(), (Ids{4094, 4094}));
}
