#include "tools/CDeviceSearchDialog.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <system_error>

#include "core/AppObject.h"
#include "core/StringTable.h"
#include "net/LocalIPAddress.h"
#include "platform/MessageBox.h"
#include "platform/window/ColumnFit.h"
#include "platform/window/ControlId.h"
#include "platform/window/UiThread.h"
#include "platform/window/WindowTimers.h"
#include "tools/CConfirmAuthorityDialog.h"

namespace {

constexpr uint32_t kStringColumnIP = 3022;  // then MAC, PORT, DEVICE, PRE USED
constexpr uint32_t kStringSearch = 3028;    // "Search\nStop_Search"
constexpr uint32_t kStringApplyFailed = 4004;
constexpr uint32_t kStringApplyDone = 4005;
constexpr uint32_t kStringBindFailed = 4006;
constexpr uint32_t kStringConnectError = 4014;
constexpr uint32_t kStringNoIndexItem = 4031;
constexpr uint32_t kStringNoItemData = 4035;
constexpr uint32_t kStringNotModifiable = 4036;
constexpr uint32_t kStringSelectItem = 4044;
constexpr uint32_t kStringWrongPassword = 4049;
constexpr uint32_t kStringReceiveError = 4059;
constexpr uint32_t kStringResetFailed = 4061;
constexpr uint32_t kStringResetDone = 4062;
constexpr uint32_t kStringTimeout = 4064;
constexpr uint32_t kStringUnchanged = 4067;
constexpr uint32_t kStringWrongUser = 4080;
constexpr uint32_t kStringAccountRefused = 4081;
constexpr uint32_t kStringNotStatic = 4102;

constexpr int kColumnWidths[] = {120, 130, 60, 100, 90};
constexpr int kMaxIPText = 16;
constexpr int kMaxMACText = 18;

CDeviceSearchDialog::ModalAnswer& ModalAnswerSlot() {
    static CDeviceSearchDialog::ModalAnswer answer;
    return answer;
}

// The first or second line of string 3028.
std::string SearchWord(bool second) {
    const std::string_view text = LoadResourceString(kStringSearch);
    const size_t newline = text.find('\n');
    if (newline == std::string_view::npos) return std::string(second ? std::string_view{} : text);
    return std::string(second ? text.substr(newline + 1) : text.substr(0, newline));
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* MakeEdit(QWidget* parent, int id, const char* label, int x, int y) {
    auto* caption = new QLabel(QString::fromLatin1(label), parent);
    caption->setGeometry(x, y, 90, 24);
    auto* edit = new QLineEdit(parent);
    ormidon::SetControlId(edit, id);
    edit->setGeometry(x + 92, y, 160, 24);
    return edit;
}

uint32_t OutcomeMessage(const DeviceSettingAnswer& answer, bool apply) {
    switch (answer.outcome) {
        case DeviceSettingOutcome::kNoSocket:
        case DeviceSettingOutcome::kBindFailed:
        case DeviceSettingOutcome::kWaitFailed:
            return kStringConnectError;
        case DeviceSettingOutcome::kTimeout:
            return kStringTimeout;
        case DeviceSettingOutcome::kReceiveFailed:
            return kStringReceiveError;
        case DeviceSettingOutcome::kAnswer:
            break;
    }
    switch (answer.resultCode) {
        case kDeviceSettingDone:
            return apply ? kStringApplyDone : kStringResetDone;
        case kDeviceSettingRefused:
            return kStringAccountRefused;
        case kDeviceSettingNotStatic:
            return kStringNotStatic;
        default:
            return apply ? kStringApplyFailed : kStringResetFailed;
    }
}

}  // namespace

CDeviceSearchDialog::CDeviceSearchDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("SEARCH"));
    // A caption without a close button or system menu: OK is the way out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(560, 420);

    auto* listGroup = new QGroupBox(QStringLiteral("Device List"), this);
    listGroup->setGeometry(10, 6, 540, 204);
    m_pDeviceList = new QTreeWidget(listGroup);
    ormidon::SetControlId(m_pDeviceList, kIdDeviceList);
    m_pDeviceList->setGeometry(10, 22, 520, 172);
    m_pDeviceList->setRootIsDecorated(false);
    m_pDeviceList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pDeviceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pDeviceList->setColumnCount(5);
    QStringList headings;
    for (uint32_t i = 0; i < 5; ++i) {
        headings << QString::fromUtf8(
            LoadResourceString(kStringColumnIP + i).data(),
            static_cast<qsizetype>(LoadResourceString(kStringColumnIP + i).size()));
    }
    m_pDeviceList->setHeaderLabels(headings);
    m_pDeviceList->header()->setStretchLastSection(false);
    m_pDeviceList->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < 5; ++i) m_pDeviceList->setColumnWidth(i, kColumnWidths[i]);
    ormidon::FitColumnsToTexts(m_pDeviceList);
    connect(m_pDeviceList, &QTreeWidget::itemSelectionChanged, this,
            [this] { OnItemChangedDeviceList(); });

    auto* detailGroup = new QGroupBox(QStringLiteral("Detail Info"), this);
    detailGroup->setGeometry(10, 216, 540, 148);
    m_pIPAddress = MakeEdit(detailGroup, kIdIPAddress, "Server IP :", 10, 26);
    m_pIPAddress->setMaxLength(kMaxIPText);
    m_pMAC = MakeEdit(detailGroup, kIdMAC, "Mac Address :", 10, 66);
    m_pMAC->setMaxLength(kMaxMACText);
    m_pMAC->setReadOnly(true);
    m_pNetMask = MakeEdit(detailGroup, kIdNetMask, "Net Mask :", 10, 106);
    m_pGateway = MakeEdit(detailGroup, kIdGateway, "Gateway :", 276, 26);
    m_pDNS = MakeEdit(detailGroup, kIdDNS, "DNS Server :", 276, 66);
    m_pWebPort = MakeEdit(detailGroup, kIdWebPort, "Web Port :", 276, 106);
    m_pWebPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pWebPort));

    const auto makeButton = [this](int id, const char* text, int x, int width) {
        auto* button = new QPushButton(QString::fromLatin1(text), this);
        ormidon::SetControlId(button, id);
        button->setGeometry(x, 378, width, 30);
        button->setAutoDefault(false);
        return button;
    };
    m_pSearchAgain = makeButton(kIdSearchAgain, "SEARCH AGAIN", 10, 124);
    m_pApply = makeButton(kIdApply, "APPLY", 144, 100);
    m_pResetDefault = makeButton(kIdResetDefault, "RESET DEFAULT", 254, 130);
    m_pOk = makeButton(kIdOk, "OK", 440, 110);
    m_pOk->setDefault(true);
    connect(m_pSearchAgain, &QPushButton::clicked, this, [this] { OnSearchAgain(); });
    connect(m_pApply, &QPushButton::clicked, this, [this] { OnApply(); });
    connect(m_pResetDefault, &QPushButton::clicked, this, [this] { OnResetDefault(); });
    connect(m_pOk, &QPushButton::clicked, this, [this] { OnOK(); });

    m_pTimers = new ormidon::WindowTimers([this](uint32_t id) { OnTimer(id); }, this);
}

CDeviceSearchDialog::~CDeviceSearchDialog() { StopSearch(); }

void CDeviceSearchDialog::SetModalAnswer(ModalAnswer answer) {
    ModalAnswerSlot() = std::move(answer);
}

int CDeviceSearchDialog::DoModal() {
    OnInitDialog();
    if (const ModalAnswer& answer = ModalAnswerSlot()) {
        show();
        const int result = answer(*this);
        done(result);
        return result;
    }
    return exec();
}

void CDeviceSearchDialog::OnInitDialog() {
    if (m_fInitialised) return;
    m_fInitialised = true;
    // Every later request, and this search, goes out from the address the computer has now.
    char address[16] = {};
    GetLocalIPAddress(address);
    g_strLocalIPAddress.Set(address);
    StartSearch();
}

void CDeviceSearchDialog::done(int result) {
    StopSearch();
    m_pTimers->KillTimer(kAnimateTimer);
    QDialog::done(result);
}

void CDeviceSearchDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDeviceSearchDialog::StartSearch() {
    SetState(State::kSearching);
    m_pTimers->SetTimer(kAnimateTimer, kAnimatePeriodMs);
    StopSearch();
    const uint64_t number = ++m_nSearchNumber;
    const DeviceSearchSetup setup = GetDeviceSearchSetup();
    const QPointer<CDeviceSearchDialog> window(this);
    bool started = false;
    try {
        started = m_hReceiveThread.Start([window, number, setup](std::stop_token stop) {
            Receive_Thread(window, number, setup, stop);
        });
    } catch (const std::system_error&) {
        started = false;
    }
    m_fSearching = started;
    // Without a search the operator still needs OK to leave.
    if (!started) SetState(State::kInterrupted);
}

void CDeviceSearchDialog::Receive_Thread(QPointer<CDeviceSearchDialog> window, uint64_t number,
                                         DeviceSearchSetup setup, std::stop_token stop) {
    // The window hears of each answer and of the end on its own thread; what a
    // search that was stopped or replaced still queued is dropped there.
    const auto deliver = [window, number](std::function<void(CDeviceSearchDialog&)> work) {
        ormidon::RunOnUiThread([window, number, work = std::move(work)] {
            if (window && window->m_nSearchNumber == number) work(*window);
        });
    };
    const DeviceSearchEnd end =
        RunDeviceSearch(setup, stop, [&deliver](const DeviceSearchPacket& answer) {
            deliver([answer](CDeviceSearchDialog& w) { w.OnAnswer(answer); });
        });
    if (end != DeviceSearchEnd::kStopped) {
        deliver([end](CDeviceSearchDialog& w) { w.OnSearchEnded(end); });
    }
}

void CDeviceSearchDialog::StopSearch() {
    ++m_nSearchNumber;
    m_fSearching = false;
    m_hReceiveThread.Stop(kSearchStopBoundMs);
}

void CDeviceSearchDialog::OnAnswer(const DeviceSearchPacket& answer) {
    const DeviceSearchItem shown = MakeDeviceSearchItem(answer, 0);
    m_pMAC->setText(Text(shown.szMAC));
    m_pIPAddress->setText(Text(shown.szIP));
    m_pNetMask->setText(Text(shown.szNetMask));
    m_pGateway->setText(Text(shown.szGateway));
    m_pDNS->setText(Text(shown.szDNS));
    m_pWebPort->setText(QString::number(shown.dwPort));
    AddDevice(answer);
    update();
}

void CDeviceSearchDialog::AddDevice(const DeviceSearchPacket& answer) {
    const DeviceSearchItem item = MakeDeviceSearchItem(answer, m_iDeviceCount);
    bool previous = false;
    if (g_lpApp != nullptr) {
        const CSettingINI& settings = g_lpApp->CSettingINI;
        previous = IsPreviousDevice(answer.byMAC, settings.m_wLastConnectionMAC1,
                                    settings.m_wLastConnectionMAC2);
    }
    auto* row = new QTreeWidgetItem(
        QStringList{Text(item.szIP), Text(item.szMAC), QString::number(item.dwPort),
                    Text(std::string(DeviceTypeName(item.byDeviceType))),
                    previous ? QStringLiteral("PREVIOUS") : QString()});
    m_pDeviceList->insertTopLevelItem(0, row);
    // Device names such as "4CH NETWORK DVR (BASIC)" are shown whole.
    ormidon::FitColumnsToRow(m_pDeviceList, m_pDeviceList->indexFromItem(row));
    m_DeviceList.push_back(item);
    ++m_iDeviceCount;
}

void CDeviceSearchDialog::OnSearchEnded(DeviceSearchEnd end) {
    m_fSearching = false;
    // The thread's last act was to queue this: it has ended or is about to.
    m_hReceiveThread.Stop(kSearchStopBoundMs);
    if (end == DeviceSearchEnd::kNoAnswerSocket) {
        ormidon::ShowMessage(kStringBindFailed);
        SetState(State::kInterrupted);
        return;
    }
    SetState(State::kIdle);
}

void CDeviceSearchDialog::SetState(State state) {
    const bool idle = state == State::kIdle;
    m_pDeviceList->setEnabled(idle);
    m_pSearchAgain->setEnabled(idle);
    m_pApply->setEnabled(idle);
    m_pResetDefault->setEnabled(idle);
    m_pOk->setEnabled(state != State::kSearching);
    if (state == State::kSearching) {
        EnableEdits(false);
        return;
    }
    m_pTimers->KillTimer(kAnimateTimer);
    setWindowTitle(Text(SearchWord(true)));
}

void CDeviceSearchDialog::EnableEdits(bool enable) {
    for (QLineEdit* edit : {m_pIPAddress, m_pMAC, m_pNetMask, m_pGateway, m_pDNS, m_pWebPort}) {
        edit->setEnabled(enable);
    }
}

void CDeviceSearchDialog::OnTimer(uint32_t id) {
    if (id != kAnimateTimer) return;
    static constexpr const char* kDots[] = {" .", " ..", " ...", " ...."};
    setWindowTitle(Text(" " + SearchWord(false) + kDots[m_iAnimateCount % 4]));
    ++m_iAnimateCount;
}

const DeviceSearchItem* CDeviceSearchDialog::FindDevice(int index) const {
    for (const DeviceSearchItem& item : m_DeviceList) {
        if (item.iIndex == index) return &item;
    }
    return nullptr;
}

void CDeviceSearchDialog::ShowItem(const DeviceSearchItem& item) {
    m_pIPAddress->setText(Text(item.szIP));
    m_pMAC->setText(Text(item.szMAC));
    m_pWebPort->setText(QString::number(item.dwPort));
    m_pGateway->setText(Text(item.szGateway));
    m_pDNS->setText(Text(item.szDNS));
    m_pNetMask->setText(Text(item.szNetMask));
}

void CDeviceSearchDialog::OnItemChangedDeviceList() {
    const QList<QTreeWidgetItem*> selected = m_pDeviceList->selectedItems();
    // Nothing selected: the previous selection stays in force.
    if (selected.isEmpty()) return;
    const int row = m_pDeviceList->indexOfTopLevelItem(selected.front());
    if (row < 0) return;
    m_iSelectedIndex = m_iDeviceCount - row - 1;
    const DeviceSearchItem* item = FindDevice(m_iSelectedIndex);
    if (item == nullptr) {
        ormidon::ShowMessage(kStringNoIndexItem);
        return;
    }
    ShowItem(*item);
    UpdateData(true);
    EnableEdits(true);
}

bool CDeviceSearchDialog::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        m_pIPAddress->setText(Text(m_strIPAddress));
        m_pMAC->setText(Text(m_strMAC));
        m_pNetMask->setText(Text(m_strNetMask));
        m_pGateway->setText(Text(m_strGateway));
        m_pDNS->setText(Text(m_strDNS));
        m_pWebPort->setText(QString::number(m_nWebPort));
        return true;
    }
    m_strIPAddress = m_pIPAddress->text().toStdString();
    m_strMAC = m_pMAC->text().toStdString();
    m_strNetMask = m_pNetMask->text().toStdString();
    m_strGateway = m_pGateway->text().toStdString();
    m_strDNS = m_pDNS->text().toStdString();

    const std::string digits = m_pWebPort->text().trimmed().toStdString();
    bool number = !digits.empty() && digits.size() <= 9;
    for (char c : digits) number = number && c >= '0' && c <= '9';
    if (!number) {
        ormidon::ShowMessageText("Please enter an integer.");
        m_pWebPort->setFocus();
        return false;
    }
    m_nWebPort = std::stoi(digits);
    if (m_nWebPort > kMaxWebPort) {
        ormidon::ShowMessageText("Please enter an integer between 0 and " +
                                 std::to_string(kMaxWebPort) + ".");
        m_pWebPort->setFocus();
        return false;
    }
    return true;
}

bool CDeviceSearchDialog::CheckAddresses() const {
    const struct {
        const std::string& text;
        const char* name;
    } fields[] = {{m_strIPAddress, "Server IP"},
                  {m_strNetMask, "Net Mask"},
                  {m_strGateway, "Gateway"},
                  {m_strDNS, "DNS Server"}};
    for (const auto& field : fields) {
        if (!ParseDottedAddress(field.text)) {
            ormidon::ShowMessageText(std::string(field.name) + " \"" + field.text +
                                     "\" is not an address of four numbers from 0 to 255.");
            return false;
        }
    }
    return true;
}

bool CDeviceSearchDialog::ConfirmAccount() {
    CConfirmAuthorityDialog confirm;
    if (confirm.DoModal() != CConfirmAuthorityDialog::kIdOk) return false;
    m_strAuthUser = confirm.m_strConfirmUser;
    m_strAuthPassword = confirm.m_strConfirmPassword;
    if (m_strAuthUser.empty() || m_strAuthUser.size() > kDeviceSearchAccountMax) {
        ormidon::ShowMessage(kStringWrongUser);
        return false;
    }
    if (m_strAuthPassword.empty() || m_strAuthPassword.size() > kDeviceSearchAccountMax) {
        ormidon::ShowMessage(kStringWrongPassword);
        return false;
    }
    return true;
}

DeviceSettingTexts CDeviceSearchDialog::SettingTexts() const {
    return {m_strMAC,     m_strAuthUser, m_strAuthPassword, m_strIPAddress,
            m_strNetMask, m_strGateway,  m_strDNS,          static_cast<uint32_t>(m_nWebPort)};
}

void CDeviceSearchDialog::OnSearchAgain() {
    m_pDeviceList->clear();
    if (!m_DeviceList.empty()) {
        m_DeviceList.clear();
        m_iDeviceCount = 0;
        m_iAnimateCount = 0;
        m_iSelectedIndex = -1;
    }
    StartSearch();
}

void CDeviceSearchDialog::OnApply() {
    if (m_iSelectedIndex < 0) {
        ormidon::ShowMessage(kStringSelectItem);
        return;
    }
    if (!UpdateData(true) || !CheckAddresses()) return;
    const DeviceSearchItem* found = FindDevice(m_iSelectedIndex);
    if (found == nullptr) {
        ormidon::ShowMessage(kStringNoItemData);
        return;
    }
    const DeviceSearchItem item = *found;
    if (!IsModifiableDeviceType(item.byDeviceType)) {
        ormidon::ShowMessage(kStringNotModifiable);
        return;
    }
    if (!ConfirmAccount()) return;
    if (m_strIPAddress == item.szIP && m_strMAC == item.szMAC && m_strGateway == item.szGateway &&
        m_strDNS == item.szDNS && m_strNetMask == item.szNetMask &&
        static_cast<uint32_t>(m_nWebPort) == item.dwPort) {
        ormidon::ShowMessage(kStringUnchanged);
        return;
    }
    m_fSelected = true;
    const DeviceSearchSetup setup = GetDeviceSearchSetup();
    const DeviceSettingAnswer answer = RunDeviceSetting(
        MakeSettingRequest(kDeviceSearchCommandSetIp, SettingTexts()), setup.setWaitMs, setup);
    ormidon::ShowMessage(OutcomeMessage(answer, true));
    if (answer.outcome != DeviceSettingOutcome::kNoSocket) m_strSelectedIP = m_strIPAddress;
}

void CDeviceSearchDialog::OnResetDefault() {
    if (m_iSelectedIndex < 0) {
        ormidon::ShowMessage(kStringSelectItem);
        return;
    }
    const DeviceSearchItem* found = FindDevice(m_iSelectedIndex);
    if (found == nullptr) {
        ormidon::ShowMessage(kStringNoItemData);
        return;
    }
    if (!IsModifiableDeviceType(found->byDeviceType)) {
        ormidon::ShowMessage(kStringNotModifiable);
        return;
    }
    // The values read last, not what the edits show now.
    if (!CheckAddresses() || !ConfirmAccount()) return;
    m_fSelected = true;
    const DeviceSearchSetup setup = GetDeviceSearchSetup();
    const DeviceSettingAnswer answer = RunDeviceSetting(
        MakeSettingRequest(kDeviceSearchCommandReset, SettingTexts()), setup.resetWaitMs, setup);
    ormidon::ShowMessage(OutcomeMessage(answer, false));
    if (answer.outcome != DeviceSettingOutcome::kNoSocket &&
        answer.outcome != DeviceSettingOutcome::kAnswer) {
        m_strSelectedIP = m_strIPAddress;
    }
}

void CDeviceSearchDialog::OnOK() {
    // Without a selection the edits are disabled, so a text that fails the check could not
    // be mended and would hold the operator in the window: they are not checked then.
    if (m_iSelectedIndex < 0 || UpdateData(true)) done(kIdOk);
    // Also when the check kept the window open.
    if (FindDevice(m_iSelectedIndex) != nullptr) {
        m_strSelectedIP = m_strIPAddress;
        m_fSelected = true;
    }
}
