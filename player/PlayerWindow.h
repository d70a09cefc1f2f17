#pragma once
// The playback program's window: one record file (a ".vse" recording or a ".dvr" download),
// its frames shown at their recorded time stamps. Play and pause, a step forward and back, a
// slider over the frames and three speeds; under the picture the file's name, the frame's
// channel and place (elapsed and total time) and the file's date. A video-loss frame shows
// black. A file still being written or cut short plays its whole frames and says at the last
// one that it ends early; a damaged block ends the playback with a message naming the file
// and the place. Only an index of the frames is kept: a frame is read from the file when it
// is shown, and a growing file is read on from where it was. The file is never written.
// Open... (Ctrl+O) picks another record file, starting in the folder of the file opened
// last, else in the folder it was given or the home folder. Close, Esc, Ctrl+W, Ctrl+Q and
// Alt+F4 close the window, so it needs no window manager's frame. It opens centred on its
// screen, raised and active.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/JpegCodec.h"
#include "record/RecordFileIndex.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

class PlayerWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PlayerWindow(QWidget* parent = nullptr);
    ~PlayerWindow() override;

    // Opens the file and reads its index. False with ErrorText() set when it is missing,
    // unreadable or not a record file; the window then shows nothing.
    bool Load(const std::filesystem::path& file);
    QString ErrorText() const { return m_error; }
    // Reads what a growing file holds by now (only the bytes added since the last call) and
    // shows its newest frame unless the operator went back or plays. False while the file is
    // not (yet) a record file; nothing is reported then. Until EndFollow its last frame is
    // not its end.
    bool Follow(const std::filesystem::path& file);
    // The followed file grew for the last time.
    void EndFollow();
    // The file shown; empty when none is.
    const std::filesystem::path& File() const { return m_file; }

    // The file dialog of Open...; tests put their own chooser here. An empty path cancels.
    void SetFileChooser(std::function<QString()> chooser) { m_chooser = std::move(chooser); }
    // Where Open... looks first until a file is opened; the home folder unless set here.
    void SetOpenFolder(const std::filesystem::path& folder) { m_folder = folder; }
    // Asks for a record file and loads it; a file that cannot be loaded is named in the
    // status line.
    void Open();

    int FrameCount() const { return static_cast<int>(m_reader.Frames().size()); }
    int CurrentFrame() const { return m_current; }
    bool Playing() const { return m_playing; }
    int Speed() const { return m_speed; }
    // The picture shown now (upright, RGB), and the texts beside it.
    const QImage& Picture() const { return m_picture; }
    QString InfoText() const;
    QString StatusText() const;
    // The milliseconds until the next frame at the current speed; -1 at the end.
    int DelayToNext() const;

  public slots:
    void Play();
    void Pause();
    void StepForward();
    void StepBack();
    void SetSpeed(int speed);  // 1, 2 or 4
    void ShowFrame(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Shows nothing: no file, no picture, no texts.
    void Reset();
    // Where Open... looks first now: the folder kept, or the home folder when it is none.
    std::filesystem::path OpenFolder() const;
    // Takes the frames the reader found.
    void TakeFrames();
    void OnTimer();
    void ScheduleNext();
    void AtEnd();
    void UpdateControls();
    void UpdateTitle();
    QRect PictureArea() const;

    RecordFileReader m_reader;
    std::filesystem::path m_file;
    // Where Open... looks first: the folder of the file opened last, or the one set.
    std::filesystem::path m_folder;
    bool m_following = false;
    std::vector<uint8_t> m_jpeg;
    QString m_error;
    int m_current = -1;
    bool m_playing = false;
    int m_speed = 1;
    QImage m_picture;
    ormidon::JpegCodec m_codec;

    std::function<QString()> m_chooser;
    bool m_placed = false;

    QLabel* m_pInfo;
    QLabel* m_pStatus;
    QPushButton* m_pPlay;
    QPushButton* m_pBack;
    QPushButton* m_pForward;
    QPushButton* m_pOpen;
    QPushButton* m_pClose;
    QSlider* m_pSlider;
    QComboBox* m_pSpeed;
    QTimer* m_pTimer;
};
