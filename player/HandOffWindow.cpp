#include "HandOffWindow.h"

#include <unistd.h>

#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "PlayerWindow.h"
#include "WindowPlacement.h"
#include "platform/PlayerLink.h"

namespace {

// The growing file is read at most this often while notices come.
constexpr int kRefreshMs = 250;

}  // namespace

HandOffWindow::HandOffWindow(const std::string& file, QWidget* parent)
    : QWidget(parent), m_file(file) {
    setWindowTitle("Tamburo - Dynamic Download");
    m_pFile = new QLabel(this);
    m_pFile->setWordWrap(true);
    m_pMessage = new QLabel(this);
    m_pMessage->setWordWrap(true);
    m_pBytes = new QLabel(this);
    m_pPlayer = new PlayerWindow(this);
    m_pRefresh = new QTimer(this);
    m_pRefresh->setSingleShot(true);
    m_pRefresh->setInterval(kRefreshMs);
    connect(m_pRefresh, &QTimer::timeout, this, [this] {
        Refresh();
        UpdateTexts();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pFile);
    layout->addWidget(m_pMessage);
    layout->addWidget(m_pBytes);
    layout->addWidget(m_pPlayer, 1);
    resize(560, 480);
    new ActivateWhenShown(this);
    UpdateTexts();
}

HandOffWindow::~HandOffWindow() { CloseLink(); }

bool HandOffWindow::Connect(const std::filesystem::path& link) {
    // The id names this player in its acknowledgements: its process id, never 0.
    m_id = static_cast<uint64_t>(::getpid());
    m_fd = ormidon::ConnectPlayerLink(link, m_id);
    if (m_fd < 0) return false;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    UpdateTexts();
    return true;
}

void HandOffWindow::CloseLink() {
    if (m_notifier != nullptr) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void HandOffWindow::OnReadable() {
    char buffer[4096];
    const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
    if (got <= 0 || !m_reader.Feed(buffer, static_cast<std::size_t>(got),
                                   [this](const ormidon::LinkFrame& frame) { OnFrame(frame); })) {
        CloseLink();
        // Nothing more will be announced: what the file holds is all there is to show.
        if (!m_ended) StopFollowing();
    }
    UpdateTexts();
}

void HandOffWindow::OnFrame(const ormidon::LinkFrame& frame) {
    switch (frame.message) {
        case ormidon::kLinkCopyData:
            if (frame.lParam == ormidon::COPYDATA_BACKUP_MUTEX)
                m_mutexName = ormidon::TextOfPadded(frame.data, ormidon::kBackupMutexBytes);
            else if (frame.lParam == ormidon::COPYDATA_BACKUP_PATH)
                m_file = ormidon::TextOfPadded(frame.data, ormidon::kBackupPathBytes);
            break;
        case ormidon::WM_DOWNLOADSTART:
            m_bytes = 0;
            m_recordFile = false;
            m_pRefresh->stop();
            m_ended = false;
            m_complete = false;
            m_failure = 0;
            m_fileBytes = 0;
            if (!ormidon::WriteLinkFrame(m_fd, {ormidon::WM_PLAYERACK, 0, m_id, {}})) CloseLink();
            break;
        case ormidon::WM_DOWNLOADDATA:
            // Counted saturating: the announcements come from outside.
            m_bytes = frame.lParam > UINT64_MAX - m_bytes ? UINT64_MAX : m_bytes + frame.lParam;
            if (!m_pRefresh->isActive()) m_pRefresh->start();
            break;
        case ormidon::WM_DOWNLOADEND:
            End(frame.wParam == 0, 0);
            break;
        case ormidon::WM_DOWNLOADSTOP:
            End(false, frame.lParam);
            break;
        default:
            break;
    }
}

QString HandOffWindow::MessageText() const { return m_pMessage->text(); }
QString HandOffWindow::BytesText() const { return m_pBytes->text(); }

void HandOffWindow::End(bool complete, uint64_t failure) {
    m_ended = true;
    m_complete = complete;
    m_failure = failure;
    StopFollowing();
    std::error_code error;
    const uintmax_t size = m_file.empty() ? 0 : std::filesystem::file_size(m_file, error);
    m_fileBytes = error ? 0 : static_cast<uint64_t>(size);
}

void HandOffWindow::StopFollowing() {
    m_pRefresh->stop();
    Refresh();
    m_pPlayer->EndFollow();
}

void HandOffWindow::Refresh() {
    if (m_file.empty()) return;
    m_recordFile = m_pPlayer->Follow(m_file);
}

void HandOffWindow::keyPressEvent(QKeyEvent* event) {
    if (IsCloseKey(event)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HandOffWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_placed) CentreOnScreen(this);
    m_placed = true;
}

void HandOffWindow::UpdateTexts() {
    m_pFile->setText(QString::fromStdString(m_file));
    const std::string name = std::filesystem::path(m_file).filename().string();
    setWindowTitle(
        name.empty()
            ? QString("Tamburo - Dynamic Download")
            : QString("Tamburo - Dynamic Download - %1").arg(QString::fromStdString(name)));
    if (m_recordFile) {
        if (!m_ended && m_fd < 0)
            m_pMessage->setText("No more is announced: Play shows the frames the file holds.");
        else if (!m_ended)
            m_pMessage->setText("The download's newest picture is shown as it arrives.");
        else if (m_complete)
            m_pMessage->setText("The download is whole: Play shows its frames.");
        else if (m_failure != 0)
            m_pMessage->setText("The download failed: Play shows the frames it kept.");
        else
            m_pMessage->setText("The download ended early: Play shows the frames it kept.");
    } else if (m_ended) {
        m_pMessage->setText("This is not a record file: this player shows record files only.");
    } else if (m_fd < 0) {
        m_pMessage->setText("No more is announced.");
    } else {
        m_pMessage->setText("The download is followed until it ends.");
    }
    if (m_ended) {
        m_pBytes->setText(m_complete
                              ? QString("Download complete: %1 bytes").arg(m_fileBytes)
                              : QString("Download ended early: %1 bytes kept").arg(m_fileBytes));
    } else {
        QString bytes = QString("%1 bytes received").arg(m_bytes);
        if (m_fd < 0)
            bytes += "; the downloading program is not connected, so no more bytes are announced.";
        m_pBytes->setText(bytes);
    }
}
