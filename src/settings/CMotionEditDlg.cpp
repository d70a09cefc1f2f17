#include "settings/CMotionEditDlg.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cstring>
#include <system_error>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kCapabilityNcNo = 0x80;
constexpr int kCellWidth = CMotionEditDlg::kDisplayWidth / motiongrid::kColumns;

sheet::DigitEdit* MakeNumberEdit(QWidget* parent, int id, uint32_t maximum, const QRect& rect) {
    auto* edit = new sheet::DigitEdit(parent, id, 3, 0, maximum);
    edit->setGeometry(rect);
    return edit;
}

// An emptied field keeps the member's last value.
void TakeValue(const sheet::DigitEdit* edit, int& member, uint32_t maximum) {
    if (const std::optional<uint32_t> value = edit->Value())
        member = static_cast<int>(std::min(*value, maximum));
}

}  // namespace

CMotionEditDlg::CMotionEditDlg(QWidget* parent) : QDialog(parent) {
    using namespace sheet;
    setWindowTitle("Edit");
    setFixedSize(Scaled(480), Scaled(64));
    setMouseTracking(true);
    m_labelNumber = MakeLabel(this, kIdNumber, QString(), Scaled(QRect(8, 24, 20, 20)));
    MakeLabel(this, 0, "DETECT", Scaled(QRect(30, 4, 64, 16)));
    m_comboDetect = MakeCombo(this, kIdDetect, {"OFF", "ON"}, Scaled(QRect(30, 22, 64, 24)));
    MakeLabel(this, 0, "LS", Scaled(QRect(100, 4, 36, 16)));
    m_editLs = MakeNumberEdit(this, kIdLs, 15, Scaled(QRect(100, 22, 36, 24)));
    MakeLabel(this, 0, "SS", Scaled(QRect(140, 4, 36, 16)));
    m_editSs = MakeNumberEdit(this, kIdSs, 15, Scaled(QRect(140, 22, 36, 24)));
    MakeLabel(this, 0, "TS", Scaled(QRect(180, 4, 36, 16)));
    m_editTs = MakeNumberEdit(this, kIdTs, 15, Scaled(QRect(180, 22, 36, 24)));
    MakeLabel(this, 0, "RE", Scaled(QRect(220, 4, 36, 16)));
    m_editRe = MakeNumberEdit(this, kIdRe, 61, Scaled(QRect(220, 22, 36, 24)));
    MakeLabel(this, 0, "ALARM", Scaled(QRect(262, 4, 64, 16)));
    m_comboAlarm = MakeCombo(this, kIdAlarm, {}, Scaled(QRect(262, 22, 64, 24)));
    m_btnSetup = MakeButton(this, kIdSetup, "Setup", Scaled(QRect(334, 20, 64, 28)));
    QPushButton* ok = MakeButton(this, kIdOk, "OK", Scaled(QRect(404, 20, 64, 28)));
    ok->setDefault(true);
    m_btnSelectAll = MakeButton(this, kIdSelectAll, "( + )\nSELECT\nALL", QRect());
    m_btnClearAll = MakeButton(this, kIdClearAll, "( - )\nCLEAR\nALL", QRect());
    m_btnSelectAll->hide();
    m_btnClearAll->hide();
    for (QPushButton* button : {m_btnSetup, ok, m_btnSelectAll, m_btnClearAll})
        button->setAutoDefault(false);
    ok->setDefault(true);

    connect(ok, &QPushButton::clicked, this, [this] {
        UpdateData(true);
        done(QDialog::Accepted);
    });
    connect(m_btnSetup, &QPushButton::clicked, this, [this] { OnSetup(); });
    connect(m_btnSelectAll, &QPushButton::clicked, this, [this] { OnSelectAll(); });
    connect(m_btnClearAll, &QPushButton::clicked, this, [this] { OnClearAll(); });

    if (g_lpApp != nullptr) m_displayHeight = g_lpApp->by_VideoMode != 0 ? 276 : 228;
    for (std::vector<uint8_t>& frame : m_frames) frame.resize(kImageBufferSize);
    m_render.resize(kImageBufferSize);
    // Without its thread the grid is edited without the live picture behind it.
    try {
        m_thread = ormidon::Thread([this](std::stop_token stop) { Motion_Preview_Thread(stop); });
    } catch (const std::system_error&) {
    }
}

CMotionEditDlg::~CMotionEditDlg() { StopPreview(); }

bool CMotionEditDlg::StopPreview() {
    if (!m_thread.Joinable()) return true;
    m_thread.RequestStop();
    const bool inBound = m_thread.Join(kStopBoundMs);
    // Overrunning the bound is a defect; the frames it writes must still outlive it.
    if (!inBound) m_thread.Join(ormidon::kInfinite);
    if (g_lpApp != nullptr) g_lpApp->f_CopyImageRequest = 0;
    return inBound;
}

void CMotionEditDlg::showEvent(QShowEvent* event) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CMotionEditDlg::OnInitDialog() {
    m_comboAlarm->clear();
    if (HasDeviceCapability(kCapabilityNcNo) != 0) {
        m_comboAlarm->addItems({"N.O.", "N.C.", "OFF"});
    } else {
        m_comboAlarm->addItems({"LOW", "HIGH", "OFF"});
    }
    UpdateData(false);
}

void CMotionEditDlg::UpdateData(bool save) {
    if (!save) {
        m_labelNumber->setText(m_strNumber);
        sheet::SetComboIndex(m_comboDetect, m_nDetect);
        m_editLs->SetValue(static_cast<uint32_t>(std::clamp(m_nLs, 0, 15)));
        m_editSs->SetValue(static_cast<uint32_t>(std::clamp(m_nSs, 0, 15)));
        m_editTs->SetValue(static_cast<uint32_t>(std::clamp(m_nTs, 0, 15)));
        m_editRe->SetValue(static_cast<uint32_t>(std::clamp(m_nRe, 0, 61)));
        sheet::SetComboIndex(m_comboAlarm, m_nAlarm);
        return;
    }
    m_nDetect = sheet::ComboIndex(m_comboDetect);
    TakeValue(m_editLs, m_nLs, 15);
    TakeValue(m_editSs, m_nSs, 15);
    TakeValue(m_editTs, m_nTs, 15);
    TakeValue(m_editRe, m_nRe, 61);
    m_nAlarm = sheet::ComboIndex(m_comboAlarm);
}

void CMotionEditDlg::OnSetup() {
    if (m_bSetupDone || g_lpApp == nullptr) return;
    m_bSetupDone = true;
    CAppObject& app = *g_lpApp;
    setFixedSize(width(), height() + m_displayHeight + 20);
    m_btnSetup->setEnabled(false);

    // A release left from an earlier preview would hand over a stale picture; the
    // semaphore itself stays, since the drawing may be releasing it right now.
    app.f_CopyImageRequest = 0;
    while (app.h_CopyImageReadySem.Wait(0)) {
    }
    app.f_CopyImageRequest = 1;

    // The picture is drawn at the display size whatever its own size, and the grid with it.
    m_left = (width() - kDisplayWidth) / 2;
    m_top = sheet::Scaled(60);
    const int buttonX = m_left + kDisplayWidth * 65 / 64;
    const QSize buttonSize(sheet::Scaled(65), sheet::Scaled(60));
    m_btnSelectAll->setGeometry(QRect(QPoint(buttonX, m_top + m_displayHeight / 8), buttonSize));
    m_btnClearAll->setGeometry(QRect(QPoint(buttonX, m_top + m_displayHeight * 5 / 8), buttonSize));
    m_btnSelectAll->show();
    m_btnClearAll->show();
    update();
    m_hStartEvent.Set();
}

void CMotionEditDlg::Motion_Preview_Thread(std::stop_token stop) {
    if (!m_hStartEvent.Wait(ormidon::kInfinite, stop) || g_lpApp == nullptr) return;
    CAppObject& app = *g_lpApp;
    while (!stop.stop_requested()) {
        app.f_CopyImageRequest = 1;
        if (!app.h_CopyImageReadySem.Wait(ormidon::kInfinite, stop)) return;
        if (!app.lp_CopyImageBuffer) continue;
        int width = app.w_CopyImageWidth;
        int height = app.w_CopyImageHeight;
        const std::span<uint8_t> copy(app.lp_CopyImageBuffer.get(), kImageBufferSize);
        // Only a picture that lies wholly in the copy buffer is taken.
        if (width <= 0 || height <= 0 ||
            static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3 > copy.size())
            continue;
        motiongrid::HalveWide(copy, width, height, kDisplayWidth);
        const int back = 1 - m_front;  // only this thread changes m_front
        std::memcpy(m_frames[static_cast<std::size_t>(back)].data(), copy.data(),
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        {
            std::lock_guard lock(m_frameLock);
            m_frameWidth[static_cast<std::size_t>(back)] = width;
            m_frameHeight[static_cast<std::size_t>(back)] = height;
            m_front = back;
        }
        m_bPreviewActive = true;
        QMetaObject::invokeMethod(
            this, [this] { update(PreviewRect()); }, Qt::QueuedConnection);
    }
}

QRect CMotionEditDlg::PreviewRect() const {
    return QRect(m_left, m_top, kDisplayWidth, m_displayHeight);
}

int CMotionEditDlg::CellAt(QPoint point) const {
    if (!PreviewRect().contains(point)) return -1;
    const int column = (point.x() - m_left) / kCellWidth;
    const int row = (point.y() - m_top) / CellHeight();
    if (column < 0 || column >= motiongrid::kColumns || row < 0 || row >= motiongrid::kRows)
        return -1;
    return row * motiongrid::kColumns + column;
}

void CMotionEditDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!m_bPreviewActive) return;
    int width = 0;
    int height = 0;
    {
        std::lock_guard lock(m_frameLock);
        const auto front = static_cast<std::size_t>(m_front);
        width = m_frameWidth[front];
        height = m_frameHeight[front];
        std::memcpy(m_render.data(), m_frames[front].data(),
                    static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    }
    motiongrid::DrawAreaGrid(m_render, width, height, m_byArea, m_byMarks);
    const QImage picture(m_render.data(), width, height, width * 3, QImage::Format_BGR888);
    QPainter painter(this);
    // The picture is stored bottom-up.
    painter.drawImage(PreviewRect(), picture.mirrored(false, true));
}

void CMotionEditDlg::ClearMarks() { m_byMarks.fill(0); }

void CMotionEditDlg::MarkSpan(QPoint from, QPoint to) {
    // Both points lie inside the span whichever way the drag went.
    const int left = std::min(from.x(), to.x());
    const int right = std::max(from.x(), to.x());
    const int top = std::min(from.y(), to.y());
    const int bottom = std::max(from.y(), to.y());
    const int h = CellHeight();
    for (int cell = 0; cell < motiongrid::kCells; ++cell) {
        const int column = cell % motiongrid::kColumns;
        const int row = cell / motiongrid::kColumns;
        // Both ends belong to the cell, so an edge on a border meets both neighbours.
        const int x0 = m_left + kCellWidth * column;
        const int y0 = m_top + h * row;
        const bool meets = x0 <= right && x0 + kCellWidth >= left && y0 <= bottom && y0 + h >= top;
        motiongrid::SetCell(m_byMarks, cell, meets);
    }
}

void CMotionEditDlg::OnLButtonDown(QPoint point) {
    if (!m_bPreviewActive) return;
    if (m_byMouseState == kIdle && CellAt(point) >= 0) m_byMouseState = kPressed;
}

void CMotionEditDlg::OnMouseMove(QPoint point) {
    if (!m_bPreviewActive) return;
    const int cell = CellAt(point);
    if (cell < 0) {
        if (m_byMouseState != kDragging && motiongrid::Any(m_byMarks)) {
            ClearMarks();
            update(PreviewRect());
        }
        return;
    }
    switch (m_byMouseState) {
        case kIdle:
            if (!motiongrid::Cell(m_byMarks, cell)) {
                ClearMarks();
                motiongrid::SetCell(m_byMarks, cell, true);
                update(PreviewRect());
            }
            break;
        case kPressed:
            ClearMarks();
            m_byMouseState = kDragging;
            m_dragStart = point;
            m_dragCurrent = point;
            motiongrid::SetCell(m_byMarks, cell, true);
            update(PreviewRect());
            break;
        case kDragging:
            m_dragCurrent = point;
            if (m_dragCurrent != m_dragStart) {
                MarkSpan(m_dragStart, m_dragCurrent);
                update(PreviewRect());
            }
            break;
        default:
            break;
    }
}

void CMotionEditDlg::OnLButtonUp(QPoint point) {
    if (!m_bPreviewActive) return;
    if (m_byMouseState == kPressed) {
        // A release anywhere ends the press; only one over the grid toggles its cell.
        if (const int cell = CellAt(point); cell >= 0) motiongrid::ToggleCell(m_byArea, cell);
    } else if (m_byMouseState == kDragging) {
        for (int cell = 0; cell < motiongrid::kCells; ++cell)
            if (motiongrid::Cell(m_byMarks, cell)) motiongrid::ToggleCell(m_byArea, cell);
        ClearMarks();
    } else {
        return;
    }
    m_byMouseState = kIdle;
    update(PreviewRect());
}

void CMotionEditDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonDown(event->position().toPoint());
    QDialog::mousePressEvent(event);
}

void CMotionEditDlg::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(event->position().toPoint());
    QDialog::mouseMoveEvent(event);
}

void CMotionEditDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) OnLButtonUp(event->position().toPoint());
    QDialog::mouseReleaseEvent(event);
}

void CMotionEditDlg::OnSelectAll() {
    m_byArea.fill(0x00);
    update(PreviewRect());
}

void CMotionEditDlg::OnClearAll() {
    m_byArea.fill(0xFF);
    update(PreviewRect());
}
