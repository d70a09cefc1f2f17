#include "PlayerWindow.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "WindowPlacement.h"
#include "platform/Paths.h"

namespace {

constexpr QSize kDefaultPicture(352, 240);
// The position slider never gets narrower than this.
constexpr int kMinimumSliderWidth = 120;

// A click on the position slider's groove goes to that place (not a page further), and the
// handle can be dragged on from there.
class SeekStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// Milliseconds as m:ss.
QString MinutesSeconds(uint32_t ms) {
    const uint32_t seconds = ms / 1000;
    return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

}  // namespace

PlayerWindow::PlayerWindow(QWidget* parent) : QWidget(parent) {
    m_pInfo = new QLabel(this);
    m_pInfo->setWordWrap(true);
    m_pStatus = new QLabel(this);
    m_pStatus->setWordWrap(true);
    // Long paths are cut rather than widening the window.
    m_pInfo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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
    auto* seekStyle = new SeekStyle;
    seekStyle->setParent(m_pSlider);
    m_pSlider->setStyle(seekStyle);
    m_pSlider->setMinimumWidth(kMinimumSliderWidth);
    m_pSlider->setToolTip("Position in the file: click or drag to go to any frame");
    m_pSpeed = new QComboBox(this);
    m_pSpeed->addItems({"x1", "x2", "x4"});
    m_pSpeed->setToolTip("Playing speed");
    m_pTimer = new QTimer(this);
    m_pTimer->setSingleShot(true);

    // The picture above; the frame controls with the slider between the step buttons and
    // the speed; the texts; Open... and Close at the bottom right.
    auto* controls = new QHBoxLayout;
    controls->addWidget(m_pBack);
    controls->addWidget(m_pPlay);
    controls->addWidget(m_pForward);
    controls->addWidget(m_pSlider, 1);
    controls->addWidget(m_pSpeed);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pStatus, 1);
    bottom->addWidget(m_pOpen, 0, Qt::AlignBottom);
    bottom->addWidget(m_pClose, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addLayout(controls);
    layout->addWidget(m_pInfo);
    layout->addLayout(bottom);

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
    new ActivateWhenShown(this);
    resize(kDefaultPicture.width() + 160, kDefaultPicture.height() + 120);
    Reset();
    // On its own (not inside the Dynamic Download window) it says how to begin.
    if (parent == nullptr) m_pStatus->setText("Open a record file with Open... (Ctrl+O).");
}

PlayerWindow::~PlayerWindow() = default;

void PlayerWindow::Reset() {
    Pause();
    m_reader.Close();
    m_file.clear();
    m_following = false;
    m_error.clear();
    m_current = -1;
    m_picture = QImage();
    m_pStatus->clear();
    m_pInfo->clear();
    UpdateControls();
    UpdateTitle();
    update();
}

bool PlayerWindow::Load(const std::filesystem::path& file) {
    Reset();
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    if (!error) m_folder = absolute.parent_path();
    const QString name = QString::fromStdString(file.string());
    if (!m_reader.Open(file)) {
        m_error = QString("Cannot open %1.").arg(name);
        return false;
    }
    if (!m_reader.Refresh()) {
        m_reader.Close();
        m_error = QString("Cannot read %1.").arg(name);
        return false;
    }
    if (!m_reader.Playback().check.valid) {
        m_reader.Close();
        m_error =
            QString("%1 is not a record file: this player shows record files only.").arg(name);
        return false;
    }
    m_file = file;
    TakeFrames();
    if (FrameCount() > 0) ShowFrame(0);
    if (FrameCount() == 0) AtEnd();
    return true;
}

bool PlayerWindow::Follow(const std::filesystem::path& file) {
    if (!m_reader.IsOpenOn(file)) {
        // Another file, or this one put anew in place of the one read.
        if (m_reader.IsOpen() || !m_file.empty()) Reset();
        if (!m_reader.Open(file)) return false;
    }
    const bool atNewest = m_current < 0 || m_current + 1 >= FrameCount();
    if (!m_reader.Refresh() || !m_reader.Playback().check.valid) return false;
    m_file = file;
    // What was said at the end of an earlier download is past.
    if (!m_following) m_pStatus->clear();
    m_following = true;
    TakeFrames();
    if (atNewest && !m_playing && FrameCount() > 0) ShowFrame(FrameCount() - 1);
    return true;
}

void PlayerWindow::EndFollow() {
    if (!m_following) return;
    m_following = false;
    if (m_reader.IsOpen() && m_current + 1 >= FrameCount()) AtEnd();
}

void PlayerWindow::TakeFrames() {
    m_error.clear();
    // A file begun anew holds fewer frames than were shown.
    if (m_current >= FrameCount()) m_current = -1;
    UpdateControls();
    UpdateTitle();
    m_pInfo->setText(InfoText());
}

void PlayerWindow::UpdateTitle() {
    setWindowTitle(
        m_file.empty()
            ? QString("Tamburo")
            : QString("Tamburo - %1").arg(QString::fromStdString(m_file.filename().string())));
}

void PlayerWindow::Open() {
    QString chosen;
    if (m_chooser) {
        chosen = m_chooser();
    } else {
        QFileDialog dialog(this, "Open a record file",
                           QString::fromStdString(OpenFolder().string()),
                           "Record files (*.vse *.dvr);;All files (*)");
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        new ActivateWhenShown(&dialog);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().front();
    }
    if (chosen.isEmpty()) return;
    if (Load(chosen.toStdString())) {
        if (FrameCount() > 0) Play();
        return;
    }
    m_pStatus->setText(m_error);
}

std::filesystem::path PlayerWindow::OpenFolder() const {
    // Never the folder the player was started from: that says nothing of the recordings.
    std::error_code error;
    if (!m_folder.empty() && std::filesystem::is_directory(m_folder, error)) return m_folder;
    return ormidon::HomeFolder();
}

QString PlayerWindow::InfoText() const {
    if (m_file.empty()) return {};
    QString text = QString::fromStdString(m_file.filename().string());
    const std::vector<RecordFileFrame>& frames = m_reader.Frames();
    if (m_current >= 0 && m_current < FrameCount()) {
        const RecordFileFrame& f = frames[static_cast<std::size_t>(m_current)];
        const uint32_t first = frames.front().timeStamp;
        const uint32_t last = frames.back().timeStamp;
        const uint32_t elapsed = f.timeStamp >= first ? f.timeStamp - first : 0;
        const uint32_t total = last >= first ? last - first : 0;
        text += QString::asprintf("   CH%02d   frame %d/%d   ", f.channel, m_current + 1,
                                  FrameCount()) +
                MinutesSeconds(elapsed) + " / " + MinutesSeconds(total);
    }
    // The file's own date: when it was begun, the same for every frame.
    const ormidon::LocalTime& t = m_reader.Playback().check.creationTime;
    if (t.year > 0 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31) {
        text += QString::asprintf("   created %04d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                                  t.day, t.hour, t.minute, t.second);
    }
    return text;
}

QString PlayerWindow::StatusText() const { return m_pStatus->text(); }

int PlayerWindow::DelayToNext() const {
    if (m_current < 0 || m_current + 1 >= FrameCount()) return -1;
    const std::vector<RecordFileFrame>& frames = m_reader.Frames();
    const uint32_t now = frames[static_cast<std::size_t>(m_current)].timeStamp;
    const uint32_t next = frames[static_cast<std::size_t>(m_current) + 1].timeStamp;
    // Time stamps go forward; a step back in them is shown at once.
    const uint32_t gap = next >= now ? next - now : 0;
    return static_cast<int>(std::min<uint32_t>(gap, 60'000) / static_cast<uint32_t>(m_speed));
}

void PlayerWindow::ShowFrame(int index) {
    if (index < 0 || index >= FrameCount()) return;
    m_current = index;
    const RecordFileFrame& f = m_reader.Frames()[static_cast<std::size_t>(index)];
    bool shown = false;
    int width = 0, height = 0;
    // The frame's JPEG bytes are read from the file now; a frame that cannot be read or
    // decoded shows black rather than a mix of frames.
    if (!f.videoLoss && f.length > 0 && m_reader.ReadJpeg(f, m_jpeg) &&
        m_codec.ReadSize(m_jpeg, width, height) && width > 0 && height > 0 && width <= 4096 &&
        height <= 4096) {
        // The decoder writes the upright 32-bit picture itself, into the image kept from
        // frame to frame while the size stays: no second pass over the pixels.
        if (m_picture.size() != QSize(width, height) ||
            m_picture.format() != QImage::Format_RGB32) {
            m_picture = QImage(width, height, QImage::Format_RGB32);
        }
        std::span<uint8_t> rows(m_picture.bits(),
                                static_cast<std::size_t>(m_picture.sizeInBytes()));
        shown = m_codec.DecodeUpright32(m_jpeg, rows, static_cast<int>(m_picture.bytesPerLine()),
                                        width, height) == ormidon::JpegDecodeStatus::Decoded;
    }
    if (!shown) {
        if (m_picture.isNull()) m_picture = QImage(kDefaultPicture, QImage::Format_RGB32);
        m_picture.fill(Qt::black);
    }
    m_pSlider->blockSignals(true);
    m_pSlider->setValue(index);
    m_pSlider->blockSignals(false);
    m_pInfo->setText(InfoText());
    if (index + 1 == FrameCount()) AtEnd();
    update(PictureArea());
}

void PlayerWindow::AtEnd() {
    // The end of a file that still grows is not its end.
    if (m_following) return;
    const RecordFilePlayback& playback = m_reader.Playback();
    if (!playback.damage.empty()) {
        m_pStatus->setText(QString("%1: the frame block at byte %2 is damaged (%3); the "
                                   "playback ends before it.")
                               .arg(QString::fromStdString(m_file.string()))
                               .arg(static_cast<qulonglong>(playback.damageOffset))
                               .arg(QString::fromStdString(playback.damage)));
    } else if (FrameCount() == 0) {
        m_pStatus->setText("The record file holds no frames.");
    } else if (!playback.indexed) {
        m_pStatus->setText(
            QString("The file ends early: frame %1 is the last whole frame.").arg(FrameCount()));
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
    m_pSlider->blockSignals(true);
    m_pSlider->setRange(0, any ? FrameCount() - 1 : 0);
    m_pSlider->blockSignals(false);
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

QRect PlayerWindow::PictureArea() const {
    // Everything above the frame controls.
    const int bottom = m_pBack->geometry().top() - 6;
    return QRect(0, 0, width(), bottom > 0 ? bottom : 0);
}

void PlayerWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = PictureArea();
    painter.fillRect(area, Qt::black);
    if (m_picture.isNull() || area.isEmpty()) return;
    QSize shown = m_picture.size().scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(
        QPoint(area.center().x() - shown.width() / 2, area.center().y() - shown.height() / 2),
        shown);
    painter.drawImage(target, m_picture);
}
