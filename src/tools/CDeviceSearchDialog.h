#pragma once
// "SEARCH": finds the devices on the local network. A search starts as soon as the window
// opens and lists every answer, newest on top; the selected device's settings show in the
// detail edits, where APPLY sends changed network settings and RESET DEFAULT resets the
// device, each after the operator confirmed an account. OK hands the selected device's
// address and web port back to the login window.
//
// The search runs on a worker thread that touches no widget: it hands a copy of each
// answer to the window's thread. APPLY and RESET DEFAULT wait for their answer on the
// window's thread. The window is left with OK only; Escape does nothing.
#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/ThreadSlot.h"
#include "net/DeviceSearchExchange.h"
#include "net/DeviceSearchItem.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace ormidon {
class WindowTimers;
}

class CDeviceSearchDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdDeviceList = 1093;
    static constexpr int kIdSearchAgain = 1094;
    static constexpr int kIdApply = 1095;
    static constexpr int kIdIPAddress = 1096;
    static constexpr int kIdMAC = 1041;
    static constexpr int kIdNetMask = 1098;
    static constexpr int kIdGateway = 1099;
    static constexpr int kIdDNS = 1100;
    static constexpr int kIdWebPort = 1097;
    static constexpr int kIdResetDefault = 1101;
    static constexpr uint32_t kAnimateTimer = 1000;
    static constexpr int kAnimatePeriodMs = 300;
    static constexpr int kMaxWebPort = 9999;
    // Longest real wait for a stopping search thread (its waits wake at the stop).
    static constexpr uint32_t kSearchStopBoundMs = 30;

    explicit CDeviceSearchDialog(QWidget* parent = nullptr);
    // Stops the search and waits for its thread.
    ~CDeviceSearchDialog() override;

    // Opens the window and runs it until OK.
    int DoModal();
    // Refreshes this computer's address, sets the list up and starts the first search;
    // once.
    void OnInitDialog();

    // Moves the edits' texts into the members (with the web port's range check) when
    // `saveAndValidate`, else the members into the edits. False when a check failed; its
    // message was shown.
    bool UpdateData(bool saveAndValidate);

    void OnSearchAgain();
    void OnApply();
    void OnResetDefault();
    void OnOK();

    bool IsSearching() const { return m_fSearching; }
    ormidon::WindowTimers& Timers() const { return *m_pTimers; }
    QTreeWidget* DeviceList() const { return m_pDeviceList; }
    // The item with arrival number `index`; nullptr when there is none.
    const DeviceSearchItem* FindDevice(int index) const;

    // When set, DoModal opens the window (starting its search) and hands it to `answer`
    // instead of running a modal loop; the answer returns the result. Lets the login
    // window's tests answer the search window.
    using ModalAnswer = std::function<int(CDeviceSearchDialog& dialog)>;
    static void SetModalAnswer(ModalAnswer answer);

    // Items in arrival order; rows stand in reverse order.
    std::vector<DeviceSearchItem> m_DeviceList;
    int m_iDeviceCount = 0;
    int m_iSelectedIndex = -1;
    unsigned m_iAnimateCount = 0;
    std::string m_strAuthUser;
    std::string m_strAuthPassword;
    // Bound to the detail edits.
    std::string m_strIPAddress;
    std::string m_strMAC;
    std::string m_strNetMask;
    std::string m_strGateway;
    std::string m_strDNS;
    int m_nWebPort = 0;
    // The result for the login window.
    bool m_fSelected = false;
    std::string m_strSelectedIP;

    void done(int result) override;
    // Escape and the window manager's close do nothing: OK leaves the window.
    void reject() override {}
    void accept() override { OnOK(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    enum class State { kSearching, kIdle, kInterrupted };

    void StartSearch();
    void StopSearch();
    // The search worker: runs the search of `setup` and hands each answer and the end to
    // the window's thread, where what belongs to an older search (`number`) is dropped.
    static void Receive_Thread(QPointer<CDeviceSearchDialog> window, uint64_t number,
                               DeviceSearchSetup setup, std::stop_token stop);
    void OnAnswer(const DeviceSearchPacket& answer);
    void OnSearchEnded(DeviceSearchEnd end);
    void AddDevice(const DeviceSearchPacket& answer);
    void OnItemChangedDeviceList();
    void OnTimer(uint32_t id);
    void SetState(State state);
    void EnableEdits(bool enable);
    void ShowItem(const DeviceSearchItem& item);
    // True when the four dotted texts are addresses; otherwise says which is not.
    bool CheckAddresses() const;
    // Asks for the account; false when the operator did not confirm one that fits.
    bool ConfirmAccount();
    DeviceSettingTexts SettingTexts() const;

    QTreeWidget* m_pDeviceList;
    QLineEdit* m_pIPAddress;
    QLineEdit* m_pMAC;
    QLineEdit* m_pNetMask;
    QLineEdit* m_pGateway;
    QLineEdit* m_pDNS;
    QLineEdit* m_pWebPort;
    QPushButton* m_pSearchAgain;
    QPushButton* m_pApply;
    QPushButton* m_pResetDefault;
    QPushButton* m_pOk;
    ormidon::WindowTimers* m_pTimers;

    bool m_fInitialised = false;
    bool m_fSearching = false;
    // Answers of an earlier search that are still queued are told apart by this.
    uint64_t m_nSearchNumber = 0;
    ThreadSlot m_hReceiveThread;
};
