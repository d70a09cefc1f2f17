#include <gtest/gtest.h>

#include <string>

#include "../support/TempFolder.h"
#include "core/TraceFile.h"

namespace {

using ormidon::test::ReadFile;
using ormidon::test::TempFolder;
using ormidon::test::WriteFile;

std::string Lines(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

class TraceFileTest : public testing::Test {
  protected:
    TraceFileTest() { InitTraceFile(300, m_folder.path().string() + "/"); }
    ~TraceFileTest() override { FreeTraceFile(); }
    std::string Trace() const { return ReadFile(m_folder / "trace.log"); }

    TempFolder m_folder;
};

TEST_F(TraceFileTest, KeepsTheNewestLinesUpToTheLimit) {
    const struct {
        int linesBefore;  // -1: no file
        std::string expected;
    } cases[] = {
        {-1, "login failed\r\n"},
        {0, "login failed\r\n"},
        {299, Lines(0, 299) + "login failed\r\n"},
        {300, Lines(1, 299) + "login failed\r\n"},
        // Edited by hand past the limit: cut back to it, oldest first.
        {301, Lines(2, 299) + "login failed\r\n"},
        {450, Lines(151, 299) + "login failed\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.linesBefore);
        std::filesystem::remove(m_folder / "trace.log");
        if (c.linesBefore >= 0) WriteFile(m_folder / "trace.log", Lines(0, c.linesBefore));
        WriteTraceFile("login failed");
        EXPECT_EQ(Trace(), c.expected);
    }
}

TEST_F(TraceFileTest, DropsALongFirstLineWhole) {
    std::string longLine(500, 'x');
    WriteFile(m_folder / "trace.log", longLine + "\r\n" + Lines(1, 299));
    WriteTraceFile("Got start event");
    EXPECT_EQ(Trace(), Lines(1, 299) + "Got start event\r\n");

    // A long line that is not the oldest counts once and stays.
    WriteFile(m_folder / "trace.log", Lines(0, 1) + longLine + "\n" + Lines(2, 298));
    WriteTraceFile("Got start event");
    EXPECT_EQ(Trace(), longLine + "\n" + Lines(2, 298) + "Got start event\r\n");
}

TEST_F(TraceFileTest, GivesAnUnterminatedLastLineItsOwnLine) {
    WriteFile(m_folder / "trace.log", "edited");
    WriteTraceFile("Send start event");
    EXPECT_EQ(Trace(), "edited\r\nSend start event\r\n");
}

TEST_F(TraceFileTest, WritesNothingWithoutAPath) {
    FreeTraceFile();
    WriteTraceFile("Command failed");
    EXPECT_FALSE(std::filesystem::exists(m_folder / "trace.log"));
}

TEST(DebugTrace, IsCreatedEmptyAtEveryOpen) {
    TempFolder folder;
    WriteFile(folder / "DebugTrace.log", "left over");
    {
        CDebugTrace trace;
        EXPECT_TRUE(trace.Open(folder.path().string() + "/"));
        EXPECT_TRUE(trace.IsOpen());
        EXPECT_EQ(ReadFile(folder / "DebugTrace.log"), "");
        EXPECT_TRUE(trace.Close());
        EXPECT_FALSE(trace.IsOpen());
        EXPECT_TRUE(trace.Close());
    }
    CDebugTrace missing;
    EXPECT_FALSE(missing.Open((folder / "absent").string() + "/"));
}

}  // namespace
