#include "PlayerWindow.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <fstream>
#include <iterator>

#include "WindowPlacement.h"

namespace {

constexpr int kPictureTop = 0;
constexpr QSize kDefaultPicture(352, 240);

}  // namespace

PlayerWindow::PlayerWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Tamburo");
    m_pInfo = new QLabel(this);
    m_pStatus = new QLabel(this);
    m_pStatus->setWordWrap(true);
    m_pPlay = new QPushButton("Play", this);
    m_pBack = new QPushButton("<|", this);
    m_pForward = new QPushButton("|>", this);
    m_pBack->setToolTip("Step back one frame");
    m_pForward->setToolTip("Step forward one frame");
    m_pOpen = new QPushButton("Open...", this);
    m_pOpen->setToolTip("Open a record file (Ctrl+O)");
    m_pClose = new QPushButton("Close", this);
    m_pClose->setToolTip("Close the player (Esc, Ctrl+W, Ctrl+Q)");
    m_pSlider = new QSlider(Qt::Horizontal, this);
    m_pSpeed = new QComboBox(this);
    m_pSpeed->addItems({"x1", "x2", "x4"});
    m_pTimer = new QTimer(this);
    m_pTimer->setSingleShot(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pBack);
    buttons->addWidget(m_pPlay);
    buttons->addWidget(m_pForward);
    buttons->addWidget(m_pSlider, 1);
    buttons->addWidget(m_pSpeed);
    buttons->addWidget(m_pOpen);
    buttons->addWidget(m_pClose);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addLayout(buttons);
    layout->addWidget(m_pInfo);
    layout->addWidget(m_pStatus);

    connect(m_pOpen, &QPushButton::clicked, this, &PlayerWindow::Open);
    connect(m_pClose, &QPushButton::clicked, this, [this] { window()->close(); });
    connect(m_pPlay, &QPushButton::clicked, this, [this] { m_playing ? Pause() : Play(); });
    connect(m_pBack, &QPushButton::clicked, this, &PlayerWindow::StepBack);
    connect(m_pForward, &QPushButton::clicked, this, &PlayerWindow::StepForward);
    connect(m_pSlider, &QSlider::valueChanged, this, [this](int value) {
        if (value != m_current) ShowFrame(value);
    });
    connect(m_pSpeed, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetSpeed(1 << index); });
    connect(m_pTimer, &QTimer::timeout, this, &PlayerWindow::OnTimer);
    resize(kDefaultPicture.width() + 160, kDefaultPicture.height() + 120);
    // On its own (not inside the Dynamic Download window) it says how to begin.
    if (parent == nullptr) m_pStatus->setText("Open a record file with Open... (Ctrl+O).");
    UpdateControls();
}

PlayerWindow::~PlayerWindow() = default;

void PlayerWindow::Reset() {
    Pause();
    m_bytes.clear();
    m_frames.clear();
    m_header = {};
    m_damage.clear();
    m_damageOffset = 0;
    m_error.clear();
    m_current = -1;
    m_picture = QImage();
    m_pStatus->clear();
    m_pInfo->clear();
}

bool PlayerWindow::Load(const std::filesystem::path& file) {
    Reset();
    m_file = file;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        m_error = QString("Cannot open %1.").arg(QString::fromStdString(file.string()));
        return false;
    }
    m_bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) {
        m_error = QString("Cannot read %1.").arg(QString::fromStdString(file.string()));
        m_bytes.clear();
        return false;
    }
    if (!TakeFrames()) {
        m_error = QString("%1 is not a record file: this player shows record files only.")
                      .arg(QString::fromStdString(file.string()));
        m_bytes.clear();
        UpdateControls();
        return false;
    }
    if (!m_frames.empty()) ShowFrame(0);
    if (m_frames.empty()) AtEnd();
    return true;
}

bool PlayerWindow::Follow(const std::filesystem::path& file) {
    if (file != m_file) {
        Reset();
        m_file = file;
    }
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    // A file that became shorter was begun anew.
    if (size < 0 || static_cast<uint64_t>(size) < m_bytes.size()) {
        Reset();
        m_file = file;
    }
    in.seekg(static_cast<std::streamoff>(m_bytes.size()));
    m_bytes.insert(m_bytes.end(), std::istreambuf_iterator<char>(in), {});
    const bool atNewest = m_current < 0 || m_current + 1 >= FrameCount();
    if (!TakeFrames()) return false;
    if (atNewest && !m_playing && !m_frames.empty()) ShowFrame(FrameCount() - 1);
    return true;
}

bool PlayerWindow::TakeFrames() {
    RecordFilePlayback playback = ReadRecordFileForPlayback(m_bytes);
    if (!playback.check.valid) return false;
    m_frames = std::move(playback.check.frames);
    m_header = std::move(playback.check);
    m_damage = std::move(playback.damage);
    m_damageOffset = playback.damageOffset;
    m_error.clear();
    m_pStatus->clear();
    setWindowTitle(
        QString("Tamburo - %1").arg(QString::fromStdString(m_file.filename().string())));
    if (m_current >= FrameCount()) m_current = -1;
    UpdateControls();
    return true;
}

void PlayerWindow::Open() {
    QString chosen;
    if (m_chooser) {
        chosen = m_chooser();
    } else {
        const QString folder =
            m_file.empty() ? QString() : QString::fromStdString(m_file.parent_path().string());
        chosen = QFileDialog::getOpenFileName(this, "Open a record file", folder,
                                              "Record files (*.vse);;All files (*)");
    }
    if (chosen.isEmpty()) return;
    if (Load(chosen.toStdString())) {
        if (FrameCount() > 0) Play();
        return;
    }
    setWindowTitle("Tamburo");
    m_pStatus->setText(m_error);
}

QString PlayerWindow::InfoText() const {
    const ormidon::LocalTime& t = m_header.creationTime;
    QString text = QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                                     t.hour, t.minute, t.second);
    if (m_current >= 0) {
        const RecordFileFrame& f = m_frames[static_cast<std::size_t>(m_current)];
        text += QString::asprintf("   CH%02d   frame %d/%d   time %u ms", f.channel, m_current + 1,
                                  FrameCount(), f.timeStamp);
    }
    return text;
}

QString PlayerWindow::StatusText() const { return m_pStatus->text(); }

int PlayerWindow::DelayToNext() const {
    if (m_current < 0 || m_current + 1 >= FrameCount()) return -1;
    const uint32_t now = m_frames[static_cast<std::size_t>(m_current)].timeStamp;
    const uint32_t next = m_frames[static_cast<std::size_t>(m_current) + 1].timeStamp;
    // Time stamps go forward; a step back in them is shown at once.
    const uint32_t gap = next >= now ? next - now : 0;
    return static_cast<int>(std::min<uint32_t>(gap, 60'000) / static_cast<uint32_t>(m_speed));
}

void PlayerWindow::ShowFrame(int index) {
    if (index < 0 || index >= FrameCount()) return;
    m_current = index;
    const RecordFileFrame& f = m_frames[static_cast<std::size_t>(index)];
    if (f.videoLoss || f.length == 0) {
        QSize size = m_picture.isNull() ? kDefaultPicture : m_picture.size();
        m_picture = QImage(size, QImage::Format_RGB32);
        m_picture.fill(Qt::black);
    } else {
        std::span<const uint8_t> jpeg(m_bytes.data() + f.jpegOffset, f.length);
        int width = 0, height = 0;
        if (m_codec.ReadSize(jpeg, width, height) && width > 0 && height > 0 && width <= 4096 &&
            height <= 4096) {
            // The decoder writes the upright 32-bit picture itself, into the image kept from
            // frame to frame while the size stays: no second pass over the pixels.
            if (m_picture.size() != QSize(width, height) ||
                m_picture.format() != QImage::Format_RGB32) {
                m_picture = QImage(width, height, QImage::Format_RGB32);
            }
            std::span<uint8_t> rows(m_picture.bits(),
                                    static_cast<std::size_t>(m_picture.sizeInBytes()));
            // A JPEG the decoder gives up on half-way shows black rather than a mix of frames.
            if (m_codec.DecodeUpright32(jpeg, rows, static_cast<int>(m_picture.bytesPerLine()),
                                        width, height) != ormidon::JpegDecodeStatus::Decoded) {
                m_picture.fill(Qt::black);
            }
        }
    }
    m_pSlider->blockSignals(true);
    m_pSlider->setValue(index);
    m_pSlider->blockSignals(false);
    m_pInfo->setText(InfoText());
    if (index + 1 == FrameCount()) AtEnd();
    update();
}

void PlayerWindow::AtEnd() {
    if (!m_damage.empty()) {
        m_pStatus->setText(QString("%1: the frame block at byte %2 is damaged (%3); the "
                                   "playback ends before it.")
                               .arg(QString::fromStdString(m_file.string()))
                               .arg(static_cast<qulonglong>(m_damageOffset))
                               .arg(QString::fromStdString(m_damage)));
    } else if (m_frames.empty()) {
        m_pStatus->setText("The record file holds no frames.");
    }
}

void PlayerWindow::Play() {
    if (FrameCount() == 0) return;
    if (m_current + 1 >= FrameCount()) ShowFrame(0);
    m_playing = true;
    ScheduleNext();
    UpdateControls();
}

void PlayerWindow::Pause() {
    m_playing = false;
    m_pTimer->stop();
    UpdateControls();
}

void PlayerWindow::StepForward() {
    Pause();
    ShowFrame(m_current + 1);
}

void PlayerWindow::StepBack() {
    Pause();
    ShowFrame(m_current - 1);
}

void PlayerWindow::SetSpeed(int speed) {
    m_speed = speed == 2 || speed == 4 ? speed : 1;
    m_pSpeed->blockSignals(true);
    m_pSpeed->setCurrentIndex(m_speed == 4 ? 2 : m_speed - 1);
    m_pSpeed->blockSignals(false);
    if (m_playing) ScheduleNext();
}

void PlayerWindow::ScheduleNext() {
    const int delay = DelayToNext();
    if (delay < 0) {
        Pause();
        return;
    }
    m_pTimer->start(delay);
}

void PlayerWindow::OnTimer() {
    if (!m_playing) return;
    ShowFrame(m_current + 1);
    ScheduleNext();
}

void PlayerWindow::UpdateControls() {
    const bool any = FrameCount() > 0;
    m_pPlay->setText(m_playing ? "Pause" : "Play");
    m_pPlay->setEnabled(any);
    m_pBack->setEnabled(any);
    m_pForward->setEnabled(any);
    m_pSlider->setEnabled(any);
    m_pSlider->setRange(0, any ? FrameCount() - 1 : 0);
}

void PlayerWindow::keyPressEvent(QKeyEvent* event) {
    if (IsCloseKey(event)) {
        window()->close();
        return;
    }
    if (event->matches(QKeySequence::Open)) {
        Open();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlayerWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_placed && isWindow()) CentreOnScreen(this);
    m_placed = true;
}

void PlayerWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int pictureHeight = height() - 120;
    QRect area(0, kPictureTop, width(), pictureHeight > 0 ? pictureHeight : 0);
    painter.fillRect(area, Qt::black);
    if (m_picture.isNull() || area.isEmpty()) return;
    QSize shown = m_picture.size().scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(
        QPoint(area.center().x() - shown.width() / 2, area.center().y() - shown.height() / 2),
        shown);
    painter.drawImage(target, m_picture);
}
