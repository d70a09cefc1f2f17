#pragma once
// The playback program's window: one ".vse" record file, its frames shown at their recorded
// time stamps. Play and pause, a step forward and back, a slider over the frames and three
// speeds; the file's date and time, the frame's time stamp and channel beside the picture.
// A video-loss frame shows black. A file still being written or cut short plays its whole
// frames; a damaged block ends the playback with a message naming the file and the place.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/JpegCodec.h"
#include "record/RecordFileValidator.h"

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

    // Reads the file. False with ErrorText() set when it is missing, unreadable or not a
    // record file; the window then shows nothing.
    bool Load(const std::filesystem::path& file);
    QString ErrorText() const { return m_error; }

    int FrameCount() const { return static_cast<int>(m_frames.size()); }
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

  private:
    void OnTimer();
    void ScheduleNext();
    void AtEnd();
    void UpdateControls();

    std::filesystem::path m_file;
    std::vector<uint8_t> m_bytes;
    std::vector<RecordFileFrame> m_frames;
    RecordFileCheck m_header;
    std::string m_damage;
    uint64_t m_damageOffset = 0;
    QString m_error;
    int m_current = -1;
    bool m_playing = false;
    int m_speed = 1;
    QImage m_picture;
    ormidon::JpegCodec m_codec;

    QLabel* m_pInfo;
    QLabel* m_pStatus;
    QPushButton* m_pPlay;
    QPushButton* m_pBack;
    QPushButton* m_pForward;
    QSlider* m_pSlider;
    QComboBox* m_pSpeed;
    QTimer* m_pTimer;
};
