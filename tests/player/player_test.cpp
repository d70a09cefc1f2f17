// The playback program's window on record files the recorder writes: every frame in order at
// its time stamp, files without their index or cut short, damaged blocks, other files.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <fstream>
#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "PlayerWindow.h"
#include "platform/JpegCodec.h"
#include "platform/window/testing/WindowTesting.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"

namespace {

using ormidon::test::TempFolder;

// A small upright JPEG of one colour.
std::vector<uint8_t> Jpeg(uint8_t blue, uint8_t green, uint8_t red) {
    const int width = 64, height = 48;
    std::vector<uint8_t> bgr(ormidon::BgrPictureBytes(width, height));
    for (std::size_t i = 0; i < bgr.size(); i += 3) {
        bgr[i] = blue, bgr[i + 1] = green, bgr[i + 2] = red;
    }
    std::vector<uint8_t> jpeg;
    ormidon::JpegCodec codec;
    codec.Encode(bgr, width, height, 90, jpeg);
    return jpeg;
}

class PlayerTest : public ormidon::testing::WindowTest {
  protected:
    // A finished record file of `count` frames 40 ms apart on channel 3, every third one
    // video loss; its path.
    std::string WriteRecordFile(int count, bool finish = true) {
        RecordFile file;
        RecordHeader_Struct header;
        header.recordType = kUserRecording;
        header.userName = "admin";
        EXPECT_TRUE(file.Create(folder.path().string() + "/", "USER", header));
        EXPECT_TRUE(file.WriteHeader());
        const std::vector<uint8_t> red = Jpeg(0, 0, 255);
        for (int i = 0; i < count; ++i) {
            PreRecordFrame_Struct frame;
            frame.channel = 3;
            frame.timeStamp = 1000 + 40 * static_cast<uint32_t>(i);
            frame.width = 64, frame.height = 48;
            frame.videoLoss = i % 3 == 2 ? 1 : 0;
            frame.length = static_cast<uint32_t>(red.size());
            EXPECT_TRUE(file.WriteFrame(frame, red));
        }
        const std::string path = file.Path();
        if (finish) {
            EXPECT_TRUE(file.Finish());
        }
        return path;
    }
    static std::string Read(const std::string& path) { return ormidon::test::ReadFile(path); }
    static void Write(const std::string& path, const std::string& bytes) {
        ormidon::test::WriteFile(path, bytes);
    }

    TempFolder folder;
};

TEST_F(PlayerTest, PlaysEveryFrameAtItsTimeStampToTheEnd) {
    const std::string path = WriteRecordFile(6);
    PlayerWindow player;
    ASSERT_TRUE(player.Load(path));
    ASSERT_EQ(player.FrameCount(), 6);
    EXPECT_EQ(player.CurrentFrame(), 0);
    EXPECT_GE(player.Picture().pixelColor(10, 10).red(), 250);  // JPEG rounding
    EXPECT_LE(player.Picture().pixelColor(10, 10).blue(), 5);
    EXPECT_TRUE(player.InfoText().contains("CH03"));
    EXPECT_EQ(player.DelayToNext(), 40);
    player.SetSpeed(4);
    EXPECT_EQ(player.DelayToNext(), 10);
    player.Play();
    EXPECT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return !player.Playing(); }, 3000));
    EXPECT_EQ(player.CurrentFrame(), 5);
    // Frame 3 is video loss: black.
    player.ShowFrame(2);
    EXPECT_EQ(player.Picture().pixelColor(10, 10), QColor(Qt::black));
    player.StepForward();
    EXPECT_EQ(player.CurrentFrame(), 3);
    player.StepBack();
    player.StepBack();
    EXPECT_EQ(player.CurrentFrame(), 1);
    player.resize(420, 380);
    player.show();
    ormidon::testing::SaveScreenshot(&player, "player");
    EXPECT_TRUE(player.StatusText().isEmpty());
}

TEST_F(PlayerTest, AFileWithoutIndexOrCutShortPlaysItsWholeFrames) {
    const std::string finished = Read(WriteRecordFile(5));
    // Still being written: no index yet.
    const std::string unfinished = WriteRecordFile(5, false);
    const std::string cut = folder.path().string() + "/cut.vse";
    Write(cut, Read(unfinished).substr(0, Read(unfinished).size() - 100));
    const struct {
        std::string path;
        int frames;
    } cases[] = {{unfinished, 5}, {cut, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        PlayerWindow player;
        ASSERT_TRUE(player.Load(c.path));
        EXPECT_EQ(player.FrameCount(), c.frames);
        EXPECT_TRUE(player.StatusText().isEmpty());
    }
    EXPECT_GT(finished.size(), Read(unfinished).size());
}

TEST_F(PlayerTest, ADamagedBlockEndsThePlaybackWithItsPlace) {
    const std::string path = WriteRecordFile(4, false);
    std::string bytes = Read(path);
    // The second frame block's byte sum no longer holds.
    PlayerWindow intact;
    ASSERT_TRUE(intact.Load(path));
    const RecordFilePlayback before = ReadRecordFileForPlayback(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    const uint32_t second = before.check.frames.at(1).blockOffset;
    bytes[second + 5] = static_cast<char>(bytes[second + 5] ^ 0x40);
    Write(path, bytes);
    PlayerWindow player;
    ASSERT_TRUE(player.Load(path));
    EXPECT_EQ(player.FrameCount(), 1);
    EXPECT_TRUE(player.StatusText().contains(QString::number(second)));
    EXPECT_TRUE(player.StatusText().contains(QString::fromStdString(path)));
}

TEST_F(PlayerTest, OtherFilesAreRefusedWithAMessage) {
    const std::string text = folder.path().string() + "/notes.txt";
    Write(text, std::string(300, 'x'));
    const std::string dvr = folder.path().string() + "/CH01_0001.dvr";
    Write(dvr, "");
    for (const std::string& path : {text, dvr, folder.path().string() + "/missing.vse"}) {
        SCOPED_TRACE(path);
        PlayerWindow player;
        EXPECT_FALSE(player.Load(path));
        EXPECT_TRUE(player.ErrorText().contains(QString::fromStdString(path)));
        EXPECT_EQ(player.FrameCount(), 0);
    }
}

// Without a window manager the player opens, closes and places itself: Open... and Ctrl+O
// ask for a file, Close and every close key close it, it opens centred, and its title is
// the name of the file it shows.
TEST_F(PlayerTest, OpensAndClosesByKeyboardAndOpensCentred) {
    const std::string first = WriteRecordFile(3);
    const std::string second = WriteRecordFile(5);
    PlayerWindow player;
    player.SetFileChooser([&] { return QString::fromStdString(second); });
    EXPECT_EQ(player.FrameCount(), 0);
    EXPECT_TRUE(player.StatusText().contains("Open..."));
    player.show();
    ASSERT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return player.isVisible(); }));
    const QRect screen = player.screen()->availableGeometry();
    EXPECT_LE((player.frameGeometry().center() - screen.center()).manhattanLength(), 2);

    ASSERT_TRUE(player.Load(first));
    EXPECT_EQ(player.windowTitle(), QString("Tamburo - %1")
                                        .arg(QString::fromStdString(
                                            std::filesystem::path(first).filename().string())));
    QTest::keyClick(&player, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(player.FrameCount(), 5);
    EXPECT_TRUE(player.windowTitle().endsWith(
        QString::fromStdString(std::filesystem::path(second).filename().string())));
    player.Pause();
    ormidon::testing::SaveScreenshot(&player, "player-open-file");

    // A file that is no record file is named in the status line.
    const std::string text = folder.path().string() + "/notes.txt";
    Write(text, "not a record file");
    player.SetFileChooser([&] { return QString::fromStdString(text); });
    QPushButton* open = nullptr;
    for (QPushButton* button : player.findChildren<QPushButton*>()) {
        if (button->text() == "Open...") open = button;
        if (button->text() == "<|" || button->text() == "|>") {
            EXPECT_FALSE(button->toolTip().isEmpty());
        }
    }
    ASSERT_NE(open, nullptr);
    open->click();
    EXPECT_TRUE(player.StatusText().contains(QString::fromStdString(text)));
    EXPECT_EQ(player.FrameCount(), 0);

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } closers[] = {{Qt::Key_Escape, Qt::NoModifier},
                   {Qt::Key_W, Qt::ControlModifier},
                   {Qt::Key_Q, Qt::ControlModifier},
                   {Qt::Key_F4, Qt::AltModifier}};
    for (const auto& closer : closers) {
        SCOPED_TRACE(QKeySequence(closer.key | closer.modifiers).toString().toStdString());
        player.show();
        ASSERT_TRUE(player.isVisible());
        QTest::keyClick(&player, closer.key, closer.modifiers);
        EXPECT_FALSE(player.isVisible());
    }
    player.show();
    for (QPushButton* button : player.findChildren<QPushButton*>()) {
        if (button->text() == "Close") button->click();
    }
    EXPECT_FALSE(player.isVisible());
}

}  // namespace
