// The main window's initialisation: asks the device for its information, fills the
// control-device list, applies the per-family decisions, picks the display mode, creates
// every control and lets the live stream start. The order matters: the device
// information comes before the control-device list, the list before the current device
// and the remote keys, the display mode before any geometry, and the stream starts only
// once every control exists.
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstring>
#include <string>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "core/DisplayMode.h"
#include "core/ServerAddress.h"
#include "core/StringTable.h"
#include "core/TextHelpers.h"
#include "core/UserClassTable.h"
#include "liveview/CQuorrelDlg.h"
#include "liveview/RetrKeyButton.h"
#include "net/DeviceInfo.h"
#include "net/HalvoSendCommand.h"
#include "net/LoginReply.h"
#include "net/Rs485Sender.h"
#include "net/SysConfig.h"
#include "platform/MessageBox.h"
#include "platform/window/ControlId.h"
#include "platform/window/SkinnedWindow.h"
#include "widgets/CVtxButton.h"

namespace {

constexpr uint16_t kTimeOutSeconds = 15;
constexpr uint32_t kReplyBufferSize = 1024;
constexpr int kInitialCornerEllipse = 20;

// The recorders with R.E.T.R. that stand for the DVRs themselves.
constexpr uint8_t kKindRetrP51K = 19;
constexpr uint8_t kKindRetrP53K = 22;
constexpr uint8_t kKindRetrP55K = 23;

// Remote keys whose flags older or multi-channel DVRs clear for the life of the process.
constexpr int kKeyPlaybackSearch = 25;
constexpr int kKeyRetr = 61;

// "INF": the model text, which level-30 users get written back.
constexpr size_t kInfModelOffset = 24;
constexpr size_t kInfModelSize = 8;
constexpr std::string_view kRewrittenModel = "HQN-914";

// "SECURE": the account count, the auto-record bits and the 16-byte account names.
constexpr size_t kSecureAccountCount = 2;
constexpr size_t kSecureAutoRecordBits = 3;
constexpr size_t kSecureFirstName = 8;
constexpr size_t kSecureNameSize = 16;

bool IsProduct(std::string_view id) {
    return g_lpApp && IsSameStringNoCase(g_lpApp->str_ProductID.Get(), id) == 1;
}

// The selected channel must be one the product has; the single-channel devices stream
// channel 2.
void ClampSelectedChannel(CAppObject& app) {
    BoundSelectedChannel(app);
    if (IsN2xVModel() || IsT18DModel()) app.CSettingINI.m_bySelectedChannel = 2;
}

// The DVR kind with R.E.T.R. of the product; 0 for products without.
uint8_t RetrKindOfProduct() {
    if (IsProduct("P51K")) return kKindRetrP51K;
    if (IsProduct("P53K")) return kKindRetrP53K;
    if (IsProduct("P55K")) return kKindRetrP55K;
    return 0;
}

void ClearKeyFlags(int key, std::initializer_list<int> kinds) {
    for (int kind : kinds) DeviceKindTable[static_cast<size_t>(kind)].Buttons[key].wFlags = 0;
}

QRect WorkArea(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QString Text(uint32_t id) { return QString::fromUtf8(LoadResourceString(id)); }

}  // namespace

// Steps 4 to 6: the device information, read into the record and the control-device
// list. False when the request failed or came back empty.
bool CQuorrelDlg::QueryDeviceInfo(uint8_t& retrState) {
    CAppObject& app = *g_lpApp;
    CCgiRequest request = DeviceInfoRequest(app);
    if (!request.IsValid()) return false;
    char buffer[kReplyBufferSize] = {};
    uint32_t length = 0;
    if (HalvoSendCommand(CGI_GETDEVICEINFO, request.GetBuffer(), request.GetLength(), nullptr, 0,
                         nullptr, 0, buffer, sizeof buffer, &length, kTimeOutSeconds,
                         kTimeOutSeconds) != 1 ||
        length == 0) {
        return false;
    }
    const std::string_view reply(buffer, std::min<uint32_t>(length, sizeof buffer));

    ReadDeviceInfoBasics(reply);
    C_ControlD& controls = app.C_ControlD;
    ReadMasterDevices(controls, reply, IsP5xKModel() != 0);
    ReadMultiChannel(app, reply);
    if (std::optional<ReplyValue> retr = FindDeviceInfoValue(reply, "RETR")) {
        const bool needsCapability = IsP5xKModel() && FirmwareAtLeast("1035");
        if (!needsCapability || HasDeviceCapability(1) == 1) {
            controls.Clear();
            if (const uint8_t kind = RetrKindOfProduct())
                controls.AddDevice(0, 0, kind, kRoleMaster);
            retrState = static_cast<uint8_t>(ReplyNumber(retr->text));
        }
    }
    if (auto fpga = FindDeviceInfoValue(reply, "FPGA-Version")) app.str_FPGAVersion.Set(fpga->text);
    ReadSlaveDevices(controls, reply);
    return true;
}

// The channel start-up asks for: the saved one, which the device-information request already
// asked for and the bar marks once built, so the bar, the request and the picture agree and
// no request goes out to undo it.
uint8_t CQuorrelDlg::StartChannel() const {
    return g_lpApp ? g_lpApp->CSettingINI.m_bySelectedChannel : 0;
}

// Steps 8 to 12: what each family needs before the window is built.
void CQuorrelDlg::ApplyFamilyDecisions() {
    CAppObject& app = *g_lpApp;
    // The DVRs show all their channels.
    if (IsProduct("P51K")) SendRemoteKey(0, 20);
    if (IsProduct("P53K")) SendRemoteKey(0, 19);
    if (IsProduct("P55K")) SendRemoteKey(0, 18);
    // The DVR's cameras join the control devices before the current one is chosen. The bar
    // is not built yet, so asking for the start channel sends nothing here.
    QueryPtzSlaves();
    m_ChannelBar.SetChannel(StartChannel());

    if ((IsP5xKModel() || IsP62KModel()) &&
        GetSysCfg(CFG_SYSTEM, app.m_Cfg_SYSTEM.data(), app.m_Cfg_SYSTEM.size()) == 1) {
        const char* name =
            reinterpret_cast<const char*>(app.m_Cfg_SYSTEM.data()) + kSystemNameOffset;
        app.str_SystemName.Set(std::string_view(name, strnlen(name, kSystemNameSize)));
    }
    // An alarm duration of 0 on the P62K becomes 12 seconds.
    if (IsP62KModel() && FirmwareAtLeast("1010") &&
        GetSysCfg(CFG_ALARM, app.m_Cfg_ALARM.data(), app.m_Cfg_ALARM.size()) == 1 &&
        app.m_Cfg_ALARM[9] == 0) {
        app.m_Cfg_ALARM[9] = 12;
        SetSysCfg(CFG_ALARM, app.m_Cfg_ALARM.data(), static_cast<int>(app.m_Cfg_ALARM.size()), 0);
    }

    // The T18D's channel is 2 by now, so its first master becomes current.
    ChooseCurrentControlDevice(app);

    if (IsP5xKModel() && !FirmwareAtLeast("1078")) {
        ClearKeyFlags(kKeyPlaybackSearch, {14, 19, 20, 21, 22, 23});
    }
    if (IsP5xKModel() && IsMultiChannel()) ClearKeyFlags(kKeyPtzControl, {11, 17, 18, 25});
}

// Step 13: the user class from the login's user level.
void CQuorrelDlg::ChooseUserClass() {
    CAppObject& app = *g_lpApp;
    switch (app.w_UserLevel) {
        case 30:
            app.by_UserClass = 0;
            break;
        case 20:
            app.by_UserClass = 1;
            break;
        case 0:
            app.by_UserClass = 2;
            break;
        default:
            app.by_UserClass = 3;
            break;
    }
    if (app.w_UserLevel != 30) return;
    if (GetSysCfg(CFG_INF, app.m_Cfg_INF.data(), app.m_Cfg_INF.size()) != 1) return;
    uint8_t* model = app.m_Cfg_INF.data() + kInfModelOffset;
    if (std::memcmp(model, kRewrittenModel.data(), kRewrittenModel.size()) != 0) return;
    std::memset(model, 0, kInfModelSize);
    std::memcpy(model, kRewrittenModel.data(), kRewrittenModel.size());
    SetSysCfg(CFG_INF, app.m_Cfg_INF.data(), static_cast<int>(app.m_Cfg_INF.size()), 0);
}

void CQuorrelDlg::CreateButtons() {
    CAppObject& app = *g_lpApp;
    const LayoutMode_Struct& row = Layout();
    auto makeButton = [this](int id, const QRect& rect, const QString& tip) {
        auto* button = new CVtxButton(this);
        ormidon::SetControlId(button, id);
        button->setGeometry(rect);
        button->setToolTip(tip);
        connect(button, &CVtxButton::clicked, this, [this, id] { OnCommand(id); });
        return button;
    };
    for (int i = 0; i < kTitleButtonCount; ++i) {
        const int id = kIdTitleMinimize + i;
        m_btnTitle[static_cast<size_t>(i)] = makeButton(id, row.TitleButtonRect(i), Text(id));
    }
    const DeviceKind_Struct& kind = CurrentKind();
    const BitmapFamily family = BitmapFamilyOfMode(app.w_DisplayMode);
    for (int key = 0; key < kRemoteKeyCount; ++key) {
        const RemoteButton_Struct& key_row = kind.Buttons[key];
        const KeyRect& rc = key_row.rcFamily[family];
        CVtxButton* button = makeButton(
            key_row.wControlId, QRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top),
            RemoteKeyTooltip(key_row));
        button->hide();
        m_btnRemote[static_cast<size_t>(key)] = button;
    }
    m_btnPower = makeButton(kIdPower, row.PowerRect(), Text(kIdPower));
    m_btnCameraTool1 = makeButton(kIdPanelOpen, row.btnPanelOpen.ToQRect(), Text(kIdPanelOpen));
    m_btnCameraTool2 = makeButton(kIdPanelClose, row.btnPanelClose.ToQRect(), Text(kIdPanelClose));
}

// Step 27: the accounts of "SECURE" may ask for recording from the start. The loop stays
// within the section and the eight bits of its auto-record byte, whatever count the
// device sends.
void CQuorrelDlg::StartAutoRecord() {
    CAppObject& app = *g_lpApp;
    const auto& secure = app.m_Cfg_SECURE;
    const size_t room = (secure.size() - kSecureFirstName) / kSecureNameSize;
    const size_t count = std::min<size_t>(secure[kSecureAccountCount], room);
    const std::string& user = app.CSettingINI.m_strUsername;
    for (size_t i = 0; i < count; ++i) {
        const char* name =
            reinterpret_cast<const char*>(secure.data()) + kSecureFirstName + i * kSecureNameSize;
        if (std::string_view(name, strnlen(name, kSecureNameSize)) != user) continue;
        if (i < 8 && (secure[kSecureAutoRecordBits] >> i) & 1) OnCommand(kIdRecord);
        return;
    }
}

int CQuorrelDlg::OnInitDialog() {
    if (!g_lpApp) return 0;
    CAppObject& app = *g_lpApp;
    app.h_MainDialogHandle = Handle();
    app.lp_MainDialog = this;

    ClampSelectedChannel(app);
    ReadCapability(app);
    uint8_t retrState = 0;
    if (!QueryDeviceInfo(retrState)) return 0;
    if (!CurrentDisplayFamily()) return 0;
    ApplyFamilyDecisions();
    ChooseUserClass();

    app.by_CurrentVideoMode = app.by_VideoMode.load();
    app.m_ImageSize.SetDefaultDisplayMode();
    m_rcWork = WorkArea(this);

    const LayoutMode_Struct& row = Layout();
    PlaceWindow(row.rcWindow, true);
    ormidon::SetRoundRectRegion(this, QRect(0, 0, row.rcWindow.Width(), row.rcWindow.Height()),
                                kInitialCornerEllipse, kInitialCornerEllipse);
    LoadBackgroundBitmaps();
    setWindowTitle(QString::fromStdString("Ormidon : " + GetServerName()));
    setToolTip(QString::fromStdString("Ormidon : " + app.str_APVersion.Get()));

    m_ChannelBar.Attach(this, [this](int id) { OnCommand(id); });
    m_ChannelBar.Create();
    // The query starts the control devices anew; the start channel's device is made current
    // again, as the stream's report of that channel would, so the panel steers what is shown.
    if (QueryPtzSlaves() && IsP5xKModel() && IsMultiChannel()) ChooseCurrentControlDevice(app);
    m_ChannelBar.SetChannel(StartChannel());
    CreateButtons();
    m_FunctionBar.Attach(this, [this](int id) { OnCommand(id); });
    m_FunctionBar.Create(app.str_ProductID.Get());
    m_bInitialised = true;
    LoadSkinBitmaps(app.w_DisplayMode, 1);
    m_btnPower->hide();
    m_retrKey = std::make_unique<RetrKeyButton>(m_btnRemote[kKeyRetr]);
    app.C_ControlD.SetRetrKeyView(m_retrKey.get());
    if (app.C_ControlD.HasRetrDvr()) app.C_ControlD.SetRetrState(retrState);

    const bool camera = IsCameraKind(CurrentKind());
    m_btnCameraTool1->setVisible(!camera);
    m_btnCameraTool2->setVisible(camera);
    m_bFullScreen = 0;
    m_bFullScreenPending = 0;
    m_displayBufferSize = size_t(m_rcWork.width()) * size_t(m_rcWork.height()) * 3;
    app.lp_DisplayBuffer = std::make_unique<uint8_t[]>(m_displayBufferSize);

    // The panel buttons that the user class refuses are also hidden.
    const UserClass_Struct& userClass = UserClassTable[app.by_UserClass];
    for (CVtxButton* button : {m_btnCameraTool1, m_btnCameraTool2}) {
        const size_t entry = button == m_btnCameraTool1 ? 6 : 7;
        const bool enabled = userClass.dwEnabled[entry] != 0;
        button->setEnabled(enabled);
        if (!enabled) button->hide();
    }

    RefreshRemotePanel();
    ArrangeControls();
    SetFunctionButtonState(kActionResolution, app.CSettingINI.m_dwImageResolution);
    SetFunctionButtonState(kActionQuality, app.CSettingINI.m_dwAlarmTriggerQuality);
    SetStatusText("Start to get image!!");
    if (IsN2xVModel()) {
        if (QWidget* slowPlay = ormidon::FindControl(this, 8231)) slowPlay->setToolTip("slow play");
    }
    CreateCmosToolBar();

    app.h_StartToGetJpegImageEvent.Set();
    app.h_StartConnectionThreadEvent.Set();

    if (FetchConfigSections()) {
        StartAutoRecord();
    } else {
        ormidon::ShowMessage(kMsgConfigReadFailed);
    }
    return 1;
}
