#pragma once
// The "Edit" dialog of one channel on the Detection page: DETECT, LS, SS, TS, RE, the
// ALARM input type, and after Setup the detection area drawn over a live preview of the
// channel, where a click toggles a cell and a drag toggles every cell its rectangle meets.
//
// The preview comes from the main window's frame drawing through the application record's
// hand-shake: the preview thread raises f_CopyImageRequest, the drawing copies its picture
// into lp_CopyImageBuffer and releases h_CopyImageReadySem. The thread copies each frame
// into the back half of a double buffer and swaps under a lock, so a paint never composes
// from a frame being replaced. The thread is stopped and joined when the dialog goes.
#include <QDialog>
#include <QPoint>
#include <QString>
#include <array>
#include <atomic>
#include <mutex>
#include <stop_token>
#include <vector>

#include "platform/Event.h"
#include "platform/Thread.h"
#include "settings/MotionGrid.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace sheet {
class DigitEdit;
}

class CMotionEditDlg : public QDialog {
  public:
    static constexpr int kIdNumber = 1413;
    static constexpr int kIdDetect = 1416;
    static constexpr int kIdSetup = 1068;
    static constexpr int kIdLs = 1417;
    static constexpr int kIdSs = 1418;
    static constexpr int kIdTs = 1419;
    static constexpr int kIdRe = 1420;
    static constexpr int kIdAlarm = 1421;
    static constexpr int kIdSelectAll = 1423;
    static constexpr int kIdClearAll = 1424;
    static constexpr int kIdOk = 1;
    static constexpr int kDisplayWidth = 320;
    // How long the preview thread may take to end once asked.
    static constexpr uint32_t kStopBoundMs = 100;

    // Pointer states.
    static constexpr uint8_t kIdle = 1;
    static constexpr uint8_t kDragging = 2;
    static constexpr uint8_t kPressed = 4;

    explicit CMotionEditDlg(QWidget* parent = nullptr);
    ~CMotionEditDlg() override;

    // Moves the members into the controls (save false) or the controls' values back.
    void UpdateData(bool save);

    void OnSetup();
    void OnSelectAll();
    void OnClearAll();
    // The pointer, in client coordinates.
    void OnLButtonDown(QPoint point);
    void OnMouseMove(QPoint point);
    void OnLButtonUp(QPoint point);

    bool IsPreviewActive() const { return m_bPreviewActive; }
    // Where the preview is drawn (valid after Setup).
    QRect PreviewRect() const;
    // The cell under a point of the preview; -1 outside the grid.
    int CellAt(QPoint point) const;
    int CellHeight() const { return m_displayHeight / motiongrid::kRows; }
    uint8_t MouseState() const { return m_byMouseState; }
    // Asks the preview thread to end and joins it; true when it ended within the bound.
    bool StopPreview();

    QString m_strNumber;
    int m_nDetect = -1;
    int m_nLs = 0;
    int m_nSs = 0;
    int m_nTs = 0;
    int m_nRe = 0;
    int m_nAlarm = -1;
    motiongrid::Grid m_byArea{};
    motiongrid::Grid m_byMarks{};

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Motion_Preview_Thread(std::stop_token stop);
    void OnInitDialog();
    void ClearMarks();
    void MarkSpan(QPoint from, QPoint to);

    QLabel* m_labelNumber = nullptr;
    QComboBox* m_comboDetect = nullptr;
    QComboBox* m_comboAlarm = nullptr;
    QPushButton* m_btnSetup = nullptr;
    QPushButton* m_btnSelectAll = nullptr;
    QPushButton* m_btnClearAll = nullptr;
    sheet::DigitEdit* m_editLs = nullptr;
    sheet::DigitEdit* m_editSs = nullptr;
    sheet::DigitEdit* m_editTs = nullptr;
    sheet::DigitEdit* m_editRe = nullptr;
    bool m_bInitialised = false;
    bool m_bSetupDone = false;

    uint8_t m_byMouseState = kIdle;
    QPoint m_dragStart;
    QPoint m_dragCurrent;
    int m_displayHeight = 228;
    int m_left = 0;
    int m_top = 0;

    // The preview frames: the thread fills the back one and swaps under the lock.
    std::mutex m_frameLock;
    std::array<std::vector<uint8_t>, 2> m_frames;
    std::array<int, 2> m_frameWidth{};
    std::array<int, 2> m_frameHeight{};
    int m_front = 0;
    std::vector<uint8_t> m_render;
    std::atomic<bool> m_bPreviewActive{false};

    ormidon::Event m_hStartEvent{false, false};
    // Declared last: started when everything it uses exists.
    ormidon::Thread m_thread;
};
