#include "backup/CEventPage.h"

#include <QComboBox>
#include <QPushButton>

#include "backup/CFullListDlg.h"
#include "platform/MessageBox.h"
#include "platform/window/WindowMessageTarget.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"
#include "sheet/ProgressSlot.h"

namespace {

// Posted by the download thread once its result is in place.
constexpr uint32_t kWmSearchListDone = ormidon::kWmUser + 0x181;

}  // namespace

CEventPage::CEventPage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::SearchList) {
    m_bySlotToIndex.fill(0xFF);
    m_byIndexToSlot.fill(0xFF);
}

CEventPage::~CEventPage() { StopThreadSlot(m_download, kDownloadStopBoundMs, "SearchListThread"); }

uint8_t CEventPage::SlotOfIndex(int index) const {
    return index >= 0 && index < 256 ? m_byIndexToSlot[static_cast<std::size_t>(index)] : 0xFF;
}

void CEventPage::OnInitDialog() {
    using namespace sheet;
    m_target = new ormidon::WindowMessageTarget(
        [this](uint32_t message, ormidon::WParam, ormidon::LParam) {
            if (message == kWmSearchListDone) OnDownloadDone();
        },
        this);
    MakeLabel(this, 0, "HDD :", Scaled(QRect(20, 22, 130, 20)));
    m_comboHdd = MakeCombo(this, kIdHddList, {}, Scaled(QRect(160, 20, 140, 22)));
    MakeLabel(this, 0, "List Type :", Scaled(QRect(20, 57, 130, 20)));
    m_comboListType = MakeCombo(this, kIdListType, {"ALL", "MANUAL", "SYSTEM", "ALARM", "MOTION"},
                                Scaled(QRect(160, 55, 140, 22)));
    MakeLabel(this, 0, "Max List Number :", Scaled(QRect(20, 92, 130, 20)));
    m_editMaxList = new DigitEdit(this, kIdMaxList, 5, 0, kSearchListMaximum);
    m_editMaxList->setGeometry(Scaled(QRect(160, 90, 80, 22)));
    m_btnDownload =
        MakeButton(this, kIdDownload, "Download HDD List", Scaled(QRect(160, 130, 140, 26)));

    connect(m_btnDownload, &QPushButton::clicked, this, [this] { OnDownloadHddList(); });
    connect(m_comboHdd, &QComboBox::activated, this, [this] {
        UpdateData(true);
        SheetLocalSettings& local = Sheet().LocalSettings();
        local.bSearchListHDDChanged = true;
        local.wSearchListHDD = SlotOfIndex(m_nHddIndex);
    });
    connect(m_comboListType, &QComboBox::activated, this, [this] {
        UpdateData(true);
        SheetLocalSettings& local = Sheet().LocalSettings();
        local.bSearchListTypeChanged = true;
        local.bySearchListType = static_cast<uint8_t>(m_nListType);
    });
    connect(m_editMaxList, &QLineEdit::textEdited, this, [this] { OnMaxListChange(); });

    const SheetLocalSettings& local = Sheet().LocalSettings();
    m_nMaxListNumber = std::min<uint32_t>(local.wSearchListMaxNumber, kSearchListMaximum);
    // A type the list does not have downloads as ALL; the box shows it.
    m_nListType = local.bySearchListType < kSearchListTypeCount ? local.bySearchListType : 0;

    const std::optional<DvrHddBitmap> bitmap = FetchDvrDiskList();
    if (!bitmap) {
        // The disk box stays empty; the download then refuses with "HDD is not exist".
        m_comboHdd->setEnabled(false);
        UpdateData(false);
        return;
    }
    m_hddBitmap = *bitmap;
    const std::vector<DvrDisk> disks = DvrDisksOf(m_hddBitmap);
    for (std::size_t k = 0; k < disks.size(); ++k) {
        m_comboHdd->addItem(QString::fromStdString(disks[k].name));
        m_byIndexToSlot[k] = static_cast<uint8_t>(disks[k].slot);
        m_bySlotToIndex[static_cast<std::size_t>(disks[k].slot)] = static_cast<uint8_t>(k);
        m_nHddIndex = 0;
    }
    if (m_nHddIndex < 0) {
        m_comboHdd->setEnabled(false);
    } else {
        const uint8_t position = m_bySlotToIndex[local.wSearchListHDD & 0xFF];
        if (position != 0xFF) m_nHddIndex = position;
    }
    UpdateData(false);
}

void CEventPage::UpdateData(bool save) {
    if (m_comboHdd == nullptr) return;
    if (save) {
        m_nHddIndex = sheet::ComboIndex(m_comboHdd);
        m_nListType = sheet::ComboIndex(m_comboListType);
        if (const std::optional<uint32_t> value = m_editMaxList->Value())
            m_nMaxListNumber = std::min(*value, kSearchListMaximum);
    } else {
        sheet::SetComboIndex(m_comboHdd, m_nHddIndex);
        sheet::SetComboIndex(m_comboListType, m_nListType);
        m_editMaxList->SetValue(m_nMaxListNumber);
    }
}

void CEventPage::OnMaxListChange() {
    Sheet().LocalSettings().bSearchListMaxNumberChanged = true;
    // The edit keeps only digits and clamps; an edit left without digits keeps the maximum.
    const std::optional<uint32_t> value = m_editMaxList->Value();
    if (!value) return;
    m_nMaxListNumber = std::min(*value, kSearchListMaximum);
    Sheet().LocalSettings().wSearchListMaxNumber = static_cast<uint16_t>(m_nMaxListNumber);
}

void CEventPage::OnDownloadHddList() {
    if (m_download.IsRunning()) return;
    UpdateData(true);
    if (m_nHddIndex < 0) {
        ormidon::ShowMessage(kMsgNoHdd);
        return;
    }
    const int slot = SlotOfIndex(m_nHddIndex);
    const int type = SearchListTypeValue(m_nListType);
    const uint32_t maximum = m_nMaxListNumber;
    const ormidon::WindowHandle handle = m_target->Handle();
    auto pending = std::make_shared<SearchListDownload>();
    const bool started =
        m_download.Start([pending, slot, type, maximum, handle](std::stop_token stop) {
            const auto progress = [&stop](uint32_t command, uint32_t value) {
                PostProgressCommand(command, value, stop);
            };
            *pending = DownloadSearchList(slot, type, maximum, progress, stop);
            ormidon::WindowMessageTarget::PostTo(handle, kWmSearchListDone, 0, 0);
        });
    if (!started) {
        // No worker: nothing was asked, and the page keeps the list it had.
        ormidon::ShowMessageText(kListNotStarted);
        return;
    }
    // The end is posted to this thread, so it is taken only after these are in place.
    m_arrEntries.clear();
    m_wCurExitListNumber = 0;
    m_pending = std::move(pending);
    // The list belongs to this disk and type: they stay as they are until it is in.
    m_nDownloadHddIndex = m_nHddIndex;
    m_nDownloadListType = m_nListType;
    SetDownloading(true);
}

void CEventPage::OnDownloadDone() {
    // The thread posted as its last step: it has ended or is about to.
    StopThreadSlot(m_download, kDownloadStopBoundMs, "SearchListThread");
    SetDownloading(false);
    if (!m_pending) return;
    const std::shared_ptr<SearchListDownload> result = std::move(m_pending);
    m_arrEntries = std::move(result->entries);
    m_wCurExitListNumber = static_cast<uint16_t>(m_arrEntries.size());
    if (result->stopped || !Sheet().IsWindowOpen()) return;
    if (result->failed) {
        ormidon::ShowMessage(kMsgSendFailed);
        return;
    }
    if (m_arrEntries.empty()) {
        ormidon::ShowMessage(kMsgNoListData);
        return;
    }
    ShowFullList();
}

void CEventPage::ShowFullList() {
    CFullListDlg dialog(this, m_arrEntries, QString::fromUtf8(SearchListTitle(m_nDownloadListType)),
                        static_cast<uint8_t>(m_nDownloadHddIndex),
                        static_cast<uint8_t>(m_nDownloadListType));
    sheet::RunChildDialog(dialog);
}

void CEventPage::SetDownloading(bool downloading) {
    m_btnDownload->setEnabled(!downloading);
    // Without a listed disk the disk box stays closed.
    m_comboHdd->setEnabled(!downloading && m_comboHdd->count() > 0);
    m_comboListType->setEnabled(!downloading);
}

void CEventPage::OnSheetClose() {
    StopThreadSlot(m_download, kDownloadStopBoundMs, "SearchListThread");
    if (m_btnDownload != nullptr) SetDownloading(false);
}
