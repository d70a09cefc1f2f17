// The playback program's window on record files the recorder writes: every frame in order at
// its time stamp, files without their index or cut short, damaged blocks, other files.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "HandOffWindow.h"
#include "PlayerArguments.h"
#include "PlayerWindow.h"
#include "platform/JpegCodec.h"
#include "platform/Paths.h"
#include "platform/window/testing/WindowTesting.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"

namespace {

namespace fs = std::filesystem;
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
    // A finished record file of `count` frames `gapMs` apart on channel 3, every third one
    // video loss; its path.
    std::string WriteRecordFile(int count, bool finish = true, uint32_t gapMs = 40) {
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
            frame.timeStamp = 1000 + gapMs * static_cast<uint32_t>(i);
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
    template <typename Widget>
    static Widget* Find(QWidget* window, const QString& text) {
        for (Widget* widget : window->findChildren<Widget*>()) {
            if constexpr (std::is_same_v<Widget, QPushButton>) {
                if (widget->text() == text) return widget;
            } else {
                return widget;
            }
        }
        return nullptr;
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
        // Its last whole frame says that the file ends early.
        player.Play();
        EXPECT_TRUE(ormidon::testing::ProcessEventsUntil([&] { return !player.Playing(); }));
        EXPECT_EQ(player.StatusText(), QString("The file ends early: frame %1 is the last whole "
                                               "frame.")
                                           .arg(c.frames));
    }
    EXPECT_GT(finished.size(), Read(unfinished).size());
    // A finished file says nothing at its end.
    PlayerWindow player;
    ASSERT_TRUE(player.Load(WriteRecordFile(3)));
    player.ShowFrame(2);
    EXPECT_TRUE(player.StatusText().isEmpty());
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
    EXPECT_EQ(player.windowTitle(),
              QString("Tamburo - %1")
                  .arg(QString::fromStdString(std::filesystem::path(first).filename().string())));
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

// The info line names the file and gives the frame's place as elapsed and total time; the
// file's date, which does not move, is not given as the frame's time.
TEST_F(PlayerTest, TheInfoLineNamesTheFileAndTheTimeIntoIt) {
    const std::string path = WriteRecordFile(6, true, 15'000);
    PlayerWindow player;
    ASSERT_TRUE(player.Load(path));
    const QString name = QString::fromStdString(std::filesystem::path(path).filename().string());
    const struct {
        int frame;
        const char* position;
    } cases[] = {{0, "frame 1/6   0:00 / 1:15"},
                 {2, "frame 3/6   0:30 / 1:15"},
                 {5, "frame 6/6   1:15 / 1:15"}};
    QString date;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        player.ShowFrame(c.frame);
        const QString info = player.InfoText();
        EXPECT_TRUE(info.startsWith(name)) << info.toStdString();
        EXPECT_TRUE(info.contains(c.position)) << info.toStdString();
        EXPECT_TRUE(info.contains("CH03"));
        EXPECT_FALSE(info.contains(" ms"));
        // The date is the file's: it says so, and it stays.
        const qsizetype at = info.indexOf("created ");
        ASSERT_GE(at, 0) << info.toStdString();
        if (date.isEmpty()) date = info.mid(at);
        EXPECT_EQ(info.mid(at), date);
    }
}

// The player holds no file in memory: a frame is read from the file when it is shown.
TEST_F(PlayerTest, FramesAreReadFromTheFileWhenShown) {
    const std::string path = WriteRecordFile(6);
    PlayerWindow player;
    ASSERT_TRUE(player.Load(path));
    const std::string before = Read(path);
    const RecordFilePlayback playback = ReadRecordFileForPlayback(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(before.data()), before.size()));
    ASSERT_EQ(playback.check.frames.size(), 6u);
    // Another program wipes the pictures of frame 4 (not a video-loss frame): it shows black.
    const RecordFileFrame& fourth = playback.check.frames[3];
    std::string after = before;
    std::fill_n(after.begin() + fourth.jpegOffset, fourth.length, '\0');
    Write(path, after);
    player.ShowFrame(3);
    EXPECT_EQ(player.Picture().pixelColor(10, 10), QColor(Qt::black));
    player.ShowFrame(4);
    EXPECT_GE(player.Picture().pixelColor(10, 10).red(), 250);
    EXPECT_EQ(Read(path), after);
}

// A failed Open shows nothing of the file before it: the picture on the screen goes, and the
// title and the info line name no file.
TEST_F(PlayerTest, AFailedOpenShowsNothingOfTheFileBefore) {
    const std::string good = WriteRecordFile(3);
    const std::string text = folder.path().string() + "/notes.vse";
    Write(text, "not a record file");
    for (const std::string& bad : {text, folder.path().string() + "/missing.vse"}) {
        SCOPED_TRACE(bad);
        PlayerWindow player;
        player.resize(518, 360);
        player.show();
        ASSERT_TRUE(player.Load(good));
        player.Pause();
        auto onScreen = [&] {
            ormidon::testing::ProcessEventsFor(30);
            return player.screen()->grabWindow(player.winId()).toImage();
        };
        const QPoint centre(player.width() / 2, 60);
        ASSERT_GE(QColor(onScreen().pixel(centre)).red(), 200);

        player.SetFileChooser([&] { return QString::fromStdString(bad); });
        QTest::keyClick(&player, Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(QColor(onScreen().pixel(centre)), QColor(Qt::black));
        EXPECT_EQ(player.windowTitle(), "Tamburo");
        EXPECT_TRUE(player.InfoText().isEmpty()) << player.InfoText().toStdString();
        EXPECT_TRUE(player.StatusText().contains(QString::fromStdString(bad)));
        EXPECT_FALSE(Find<QPushButton>(&player, "Play")->isEnabled());
        EXPECT_FALSE(Find<QSlider>(&player, {})->isEnabled());
    }
}

// Open offers both kinds of record file, local recordings and downloads, at once.
TEST_F(PlayerTest, OpenOffersRecordingsAndDownloadsAlike) {
    PlayerWindow player;
    player.show();
    QString filter;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
            [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }));
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        filter = dialog->selectedNameFilter();
        dialog->reject();
    });
    player.Open();
    EXPECT_EQ(filter, "Record files (*.vse *.dvr)");
    EXPECT_EQ(player.FrameCount(), 0);
}

// Open... starts in the folder of the file opened last, else in the folder the player was
// given (the program's download folder), else in the home folder; never in the folder the
// player was started from.
TEST_F(PlayerTest, OpenStartsInTheGivenFolderOrTheHomeFolder) {
    const fs::path started = fs::current_path();
    TempFolder elsewhere;
    fs::current_path(elsewhere.path());
    const fs::path downloads = folder.path() / "downloads";
    fs::create_directory(downloads);
    const fs::path recorded = WriteRecordFile(3);
    const fs::path home = ormidon::HomeFolder();
    ASSERT_NE(home, elsewhere.path());
    const struct {
        const char* what;
        fs::path given;
        fs::path opened;
        fs::path expected;
    } cases[] = {
        {"alone", {}, {}, home},
        {"download folder", downloads, {}, downloads},
        {"missing folder", folder.path() / "missing", {}, home},
        {"after a file", downloads, recorded, recorded.parent_path()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerWindow player;
        if (!c.given.empty()) player.SetOpenFolder(c.given);
        ASSERT_TRUE(c.opened.empty() || player.Load(c.opened));
        player.Pause();
        player.show();
        QString shown;
        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
                [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); }));
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            shown = dialog->directory().absolutePath();
            if (c.given == downloads && c.opened.empty()) {
                ormidon::testing::SaveScreenshot(dialog, "player-open-in-download-folder");
            }
            dialog->reject();
        });
        player.Open();
        std::error_code error;
        EXPECT_TRUE(fs::equivalent(shown.toStdString(), c.expected, error))
            << shown.toStdString() << " " << c.expected;
    }
    fs::current_path(started);
}

// Tamburo's arguments: the record file first, whatever it holds, then options; the folder
// of Open... anywhere.
TEST(PlayerArguments, TheFileComesFirstAndTheOpenFolderAnywhere) {
    const struct {
        std::vector<const char*> argv;
        std::optional<std::string> file;
        bool dynamicLoad;
        fs::path openFolder;
    } cases[] = {
        {{"Tamburo"}, std::nullopt, false, {}},
        {{"Tamburo", "/r/a.vse", "CONVERT=0"}, "/r/a.vse", false, {}},
        {{"Tamburo", "/d/a=b.dvr", "DYNAMICLOAD=1", "other"}, "/d/a=b.dvr", true, {}},
        {{"Tamburo", "--open-folder", "/home/op/dl/"}, std::nullopt, false, "/home/op/dl/"},
        {{"Tamburo", "/r/a.vse", "--open-folder", "/dl"}, "/r/a.vse", false, "/dl"},
        {{"Tamburo", "--open-folder"}, std::nullopt, false, {}},
    };
    for (const auto& c : cases) {
        const ::PlayerArguments parsed =
            ParsePlayerArguments(static_cast<int>(c.argv.size()), c.argv.data());
        SCOPED_TRACE(c.argv.size() > 1 ? c.argv[1] : "none");
        EXPECT_EQ(parsed.file, c.file);
        EXPECT_EQ(parsed.dynamicLoad, c.dynamicLoad);
        EXPECT_EQ(parsed.openFolder, c.openFolder);
    }
}

// The position slider takes the width between the step buttons and the speed, whatever the
// window's width (the test runs at scale 1 and 1.5), and a click on it goes to that place.
TEST_F(PlayerTest, ThePositionSliderSpansTheFreeWidthAndGoesToAnyFrame) {
    const int frames = 50;
    PlayerWindow player;
    ASSERT_TRUE(player.Load(WriteRecordFile(frames)));
    player.Pause();
    player.show();
    QSlider* slider = Find<QSlider>(&player, {});
    QPushButton* forward = Find<QPushButton>(&player, "|>");
    QComboBox* speed = Find<QComboBox>(&player, {});
    ASSERT_TRUE(slider && forward && speed);
    EXPECT_FALSE(slider->toolTip().isEmpty());
    const int spacing = player.layout()->spacing() + 1;
    for (int width : {518, player.minimumSizeHint().width(), 900}) {
        SCOPED_TRACE(width);
        player.resize(width, 360);
        ormidon::testing::ProcessEventsFor(20);
        EXPECT_EQ(player.width(), width);
        EXPECT_LE(slider->x() - forward->geometry().right(), spacing);
        EXPECT_LE(speed->x() - slider->geometry().right(), spacing);
        EXPECT_GE(slider->width(), width == 518 ? 150 : 100);
    }
    player.resize(518, 360);
    ormidon::testing::ProcessEventsFor(20);
    const qreal scale = player.devicePixelRatioF();
    ormidon::testing::SaveScreenshot(
        &player, scale == 1
                     ? std::string("player-position-slider")
                     : "player-position-slider-scale-" + QString::number(scale).toStdString());
    for (double place : {0.25, 0.5, 0.9}) {
        SCOPED_TRACE(place);
        QTest::mouseClick(slider, Qt::LeftButton, {},
                          QPoint(static_cast<int>(slider->width() * place), slider->height() / 2));
        EXPECT_NEAR(player.CurrentFrame(), place * (frames - 1), frames / 10);
    }
}

// A window of the player that opens takes the keyboard, even where the display leaves it
// with the window that was active before (as it does without a window manager): its keys
// reach it, and the other window's Esc stays with that window.
TEST_F(PlayerTest, AWindowThatOpensTakesTheKeyboard) {
    struct OtherWindow : QWidget {
        int escapes = 0;
        void keyPressEvent(QKeyEvent* event) override {
            if (event->key() == Qt::Key_Escape) ++escapes;
        }
    };
    const std::string path = WriteRecordFile(3);
    const std::function<std::unique_ptr<QWidget>()> windows[] = {
        [] { return std::make_unique<PlayerWindow>(); },
        [&] { return std::make_unique<HandOffWindow>(path); }};
    for (const auto& make : windows) {
        OtherWindow other;
        other.show();
        ASSERT_TRUE(ormidon::testing::ProcessEventsUntil(
            [&] { return QApplication::activeWindow() == &other; }));
        std::unique_ptr<QWidget> window = make();
        SCOPED_TRACE(window->metaObject()->className());
        window->show();
        other.activateWindow();
        EXPECT_TRUE(ormidon::testing::ProcessEventsUntil(
            [&] { return QApplication::activeWindow() == window.get(); }, 1000));
        QWidget* focus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget()
                                                                : QApplication::activeWindow();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(other.escapes, 0);
        EXPECT_TRUE(other.isVisible());
    }
}

}  // namespace
