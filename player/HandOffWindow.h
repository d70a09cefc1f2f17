#pragma once
// The playback program's side of a Dynamic Download: started with a download's path and
// "DYNAMICLOAD=1", it connects to the link named in ORMIDON_PLAYER_LINK, says HELLO,
// acknowledges each download (START) with its default buffer size, counts the bytes the
// notices announce and shows them. A download is in the device's own format, not a record
// file, so the window says that this player shows record files only; the link is still
// served, so a download never waits for a player that cannot show it.
#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/PlayerLinkFrame.h"

class QLabel;
class QSocketNotifier;

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

  private:
    void OnReadable();
    void OnFrame(const ormidon::LinkFrame& frame);
    void CloseLink();
    void UpdateTexts();

    std::string m_file;
    std::string m_mutexName;
    uint64_t m_id = 0;
    uint64_t m_bytes = 0;
    bool m_ended = false;
    QString m_endText;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    ormidon::LinkFrameReader m_reader;
    QLabel* m_pFile;
    QLabel* m_pMessage;
    QLabel* m_pBytes;
};
