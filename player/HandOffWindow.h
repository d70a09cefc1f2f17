#pragma once
// The playback program's side of a Dynamic Download: started with a download's path and
// "DYNAMICLOAD=1", it connects to the link named in ORMIDON_PLAYER_LINK, says HELLO,
// acknowledges each download (START) with its default buffer size, counts the bytes the
// notices announce and shows them. The growing file is read as the notices come (a few
// times a second at most, and at the end; only what was added each time) and its newest
// picture shown; once the download ended its frames play like any record file's, and the
// window says whether it is complete or ended early, with the bytes the file holds. A
// download that is not a record file is said to be so at its end; the link is still served,
// so a download never waits for a player that cannot show it. The title follows the file's
// name; Esc, Ctrl+W, Ctrl+Q and Close close the window. It opens raised and active.
#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/PlayerLinkFrame.h"

class PlayerWindow;
class QLabel;
class QSocketNotifier;
class QTimer;

class HandOffWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HandOffWindow(const std::string& file, QWidget* parent = nullptr);
    ~HandOffWindow() override;

    // Connects to the link and says HELLO; false when there is no link.
    bool Connect(const std::filesystem::path& link);

    const std::string& File() const { return m_file; }
    const std::string& MutexName() const { return m_mutexName; }
    uint64_t BytesReceived() const { return m_bytes; }
    bool Ended() const { return m_ended; }
    bool LinkOpen() const { return m_fd >= 0; }
    QString MessageText() const;
    QString BytesText() const;
    // The player showing the growing file.
    PlayerWindow* Player() const { return m_pPlayer; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void OnReadable();
    void OnFrame(const ormidon::LinkFrame& frame);
    void CloseLink();
    void UpdateTexts();
    // Reads the file once more and stops following it.
    void StopFollowing();
    // Reads what the file holds by now.
    void Refresh();
    // The download ended (or is no longer announced): the file is read a last time.
    void End(bool complete, uint64_t failure);

    std::string m_file;
    std::string m_mutexName;
    uint64_t m_id = 0;
    uint64_t m_bytes = 0;
    bool m_ended = false;
    bool m_complete = false;
    // The failure a stop notice named; 0 when none.
    uint64_t m_failure = 0;
    // What the file held at the end.
    uint64_t m_fileBytes = 0;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    ormidon::LinkFrameReader m_reader;
    QLabel* m_pFile;
    QLabel* m_pMessage;
    QLabel* m_pBytes;
    PlayerWindow* m_pPlayer;
    QTimer* m_pRefresh;
    bool m_recordFile = false;
    bool m_placed = false;
};
