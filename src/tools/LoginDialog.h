#pragma once
// The login window: the first window of the program. The operator types (or finds) the
// device's address, web port, user name and password and connects; the login runs on a
// worker thread while a progress bar moves, and the window ends with 1 once the device
// accepted it. A refused login shows its reason on the window, which stays open for
// another try. The window is also the launch pad of the maintenance tools.
//
// It is skinned: the background, frame, buttons, version digits and progress bar are
// bitmap files of "BMP\LOGIN\" loaded when the window opens; a file that is missing
// leaves its part of the window unpainted.
#include <QImage>
#include <QRect>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/ThreadSlot.h"
#include "platform/Event.h"
#include "platform/WindowMessage.h"
#include "platform/window/SkinnedDialog.h"
#include "tools/LoginDialogThreads.h"

class CVtxButton;
class QLineEdit;

namespace ormidon {
class WindowMessageTarget;
}

class LoginDialog : public ormidon::SkinnedDialog, public LoginDialogThreads {
    Q_OBJECT
  public:
    // Control ids of the window.
    static constexpr int kIdUserName = 1040;
    static constexpr int kIdServerAddress = 1042;
    static constexpr int kIdPassword = 1043;
    static constexpr int kIdPort = 1044;
    static constexpr int kIdBitRate = 1376;  // hidden and disabled; nothing reads it
    static constexpr int kIdAddressBook = 8440;
    static constexpr int kIdSearch = 8441;
    static constexpr int kIdPlayer = 8442;
    static constexpr int kIdCopyProgram = 8443;
    static constexpr int kIdConnect = 8444;
    static constexpr int kIdCancel = 8445;
    static constexpr int kIdUpgradeFirmware = 8527;

    // Window size and the place of the progress bar and the failure text.
    static constexpr int kWidth = 304;
    static constexpr int kHeight = 341;
    static constexpr int kProgressLeft = 74;
    static constexpr int kProgressTop = 245;
    static constexpr int kAnimateSteps = 18;

    explicit LoginDialog(QWidget* parent = nullptr);
    ~LoginDialog() override;

    // Runs the window modally: 1 after a successful login (w_LoginResult is then 30),
    // 2 when the operator left with Cancel, Escape or the window's close.
    int DoModal();

    // Moves the texts between the members and the edits: into the members when
    // `saveAndValidate`, else into the edits.
    void UpdateData(bool saveAndValidate);

    // The window's handle for posted messages.
    ormidon::WindowHandle GetSafeHwnd() const;

    // The ".vse" record file of the record folder (m_strRecordPath) written last, as
    // the folder joined with its name; empty when there is none. Of files written at the
    // same time the one first by name wins.
    static std::string FindNewestRecordFile();

    // Texts of the edits; set before the window opens, read back by UpdateData.
    std::string m_strServerAddress;
    std::string m_strUserName;
    std::string m_strUserPassword;  // never pre-filled
    std::string m_strPortText;
    std::string m_strBitRate;
    // The port number last read from the port edit.
    int32_t m_nPort = 0;

    // State shown on the window.
    bool m_fLoginFailed = false;
    std::string m_strFailText;
    bool m_fAnimating = false;
    uint8_t m_byAnimateStep = 0;

  protected:
    // Enter, whichever control has the focus, starts a login.
    void OnOK() override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // The skin bitmaps, in loading order.
    enum SkinPiece {
        kSpacer,
        kLeftTop,
        kRightTop,
        kTopMiddle1,
        kTopMiddle2,
        kLeftMiddle,
        kRightMiddle,
        kLeftDown,
        kRightDown,
        kDownMiddle,
        kRunning,
        kSkinPieceCount
    };
    static constexpr int kDigitCount = 11;  // "0" to "9", then the point

    void OnInitDialog();
    bool LoadSkin();
    void CreateButtons();
    void OnWindowMessage(uint32_t message, ormidon::WParam wParam, ormidon::LParam lParam);

    void OnConnectButton();
    void OnAddressBookButton();
    void OnSearchButton();
    // Plays the newest recording; without one the player's Open... starts in the download
    // folder.
    void OnPlayerButton();
    void OnCopyProgramButton();
    void OnUpgradeFirmwareButton();
    // The firmware upgrade window, once the device passed the checks.
    void RunFirmwareUpgrade();
    void OnChangePort();
    void OnLoginAnimate();
    void OnLoginFailed(ormidon::WParam code);
    // Gives the focus to the first empty edit in Tab order, else to the password, so the
    // user types what is missing and Enter logs in.
    void FocusFirstEmptyEdit();

    // Stops the workers of the current run: the stop event, then each thread's stop
    // request and a bounded join.
    void StopWorkers();
    // The part of the window the progress bar may cover.
    QRect ProgressRect() const;

    QLineEdit* m_pUserNameEdit;
    QLineEdit* m_pPasswordEdit;
    QLineEdit* m_pServerAddressEdit;
    QLineEdit* m_pPortEdit;
    QLineEdit* m_pBitRateEdit;

    std::array<QImage, kSkinPieceCount> m_SkinBitmaps;
    std::array<QImage, kDigitCount> m_DigitBitmaps;
    bool m_fInitialised = false;
    bool m_fChangingPort = false;

    // The window's own mailbox, and the mailbox of the current login run: a new run gets
    // a new one, so what a stopped run posted late never reaches the window.
    ormidon::WindowMessageTarget* m_pWindowTarget;
    std::unique_ptr<ormidon::WindowMessageTarget> m_pRunTarget;

    std::shared_ptr<ormidon::Event> m_hStopEvent;
    ThreadSlot m_hLoginThread;
    ThreadSlot m_hAnimateThread;
};
