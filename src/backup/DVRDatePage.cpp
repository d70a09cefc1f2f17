#include "backup/DVRDatePage.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QRadioButton>

#include "core/AppObject.h"
#include "core/DeviceIdentity.h"
#include "platform/MessageBox.h"
#include "sheet/PageSheet.h"
#include "sheet/PageToolkit.h"

namespace {

constexpr uint32_t kMsgReadFailed = 4065;
constexpr const char* kHourMinute = "HH : mm";

// The fixed date part of the hour-and-minute pickers; it is neither shown nor used.
const QDate kAnyDate(2006, 1, 1);

bool HasDvrCommands() {
    return IsP5xKModel() != 0 &&
           CompareVersion(DVRDatePage::kFirstFirmware, g_lpApp->str_FWVersion.Get()) != 2;
}

// Shows hour and minute when the picker can hold them; false (the picker left as it was)
// for a time that does not exist.
bool ShowHourMinute(QDateTimeEdit* picker, int hour, int minute) {
    const QTime time(hour, minute);
    if (!time.isValid()) return false;
    picker->setDateTime(QDateTime(kAnyDate, time));
    return true;
}

}  // namespace

DVRDatePage::DVRDatePage(PageSheet& sheet) : CPropertyPage(sheet, PageKind::DVRDate) {}

QString DVRDatePage::DateFormatOf(int format) {
    switch (format) {
        case 1:
            return "MMM - dd - yyyy";
        case 2:
            return "dd - MMM - yyyy";
        default:
            return "yyyy - MMM - dd";
    }
}

void DVRDatePage::OnInitDialog() {
    using namespace sheet;
    const QStringList weeks = {"1ST", "2ND", "3RD", "4TH", "LAST"};
    const QStringList months = {"JAN", "FEB", "MAR", "APR", "MAY", "JUE",
                                "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const auto combo = [this](int id, const QStringList& items, const QRect& rect) {
        QComboBox* box = MakeCombo(this, id, {}, Scaled(rect));
        box->addItems(items);
        box->setCurrentIndex(-1);
        return box;
    };
    MakeLabel(this, 0, "DATE :", Scaled(QRect(15, 15, 70, 20)));
    m_date = MakeDatePicker(this, kIdDate, DateFormatOf(0), Scaled(QRect(90, 12, 150, 24)));
    m_time = MakeTimePicker(this, kIdTime, "HH : mm : ss", Scaled(QRect(250, 12, 110, 24)));
    MakeLabel(this, 0, "FORMAT :", Scaled(QRect(15, 47, 70, 20)));
    m_format = combo(kIdFormat, {"Y-M-D", "M-D-Y", "D-M-Y"}, QRect(90, 44, 100, 24));
    MakeGroup(this, 0, "DAYLIGHT SAVING", Scaled(QRect(10, 80, 360, 185)));
    m_on = MakeRadio(this, kIdOn, "ON", Scaled(QRect(25, 102, 60, 20)));
    m_off = MakeRadio(this, kIdOff, "OFF", Scaled(QRect(95, 102, 60, 20)));
    MakeLabel(this, 0, "START :", Scaled(QRect(25, 135, 55, 20)));
    m_startWeek = combo(kIdStartWeek, weeks, QRect(80, 132, 60, 24));
    m_startDay = combo(kIdStartDay, {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"},
                       QRect(145, 132, 60, 24));
    m_startMonth = combo(kIdStartMonth, months, QRect(210, 132, 60, 24));
    m_startTime = MakeTimePicker(this, kIdStartTime, kHourMinute, Scaled(QRect(275, 132, 85, 24)));
    MakeLabel(this, 0, "END :", Scaled(QRect(25, 170, 55, 20)));
    m_endWeek = combo(kIdEndWeek, weeks, QRect(80, 167, 60, 24));
    m_endDay = combo(kIdEndDay, {"SUN", "MON", "TUE", "WEK", "THU", "FRI", "SAT"},
                     QRect(145, 167, 60, 24));
    m_endMonth = combo(kIdEndMonth, months, QRect(210, 167, 60, 24));
    m_endTime = MakeTimePicker(this, kIdEndTime, kHourMinute, Scaled(QRect(275, 167, 85, 24)));
    MakeLabel(this, 0, "ADJUST :", Scaled(QRect(25, 205, 55, 20)));
    m_adjust = MakeTimePicker(this, kIdAdjust, kHourMinute, Scaled(QRect(80, 202, 85, 24)));
    m_controls = {m_date,      m_time,     m_format,     m_on,        m_off,
                  m_startWeek, m_startDay, m_startMonth, m_startTime, m_endWeek,
                  m_endDay,    m_endMonth, m_endTime,    m_adjust};

    if (!HasDvrCommands() || GetDvrDate() == 0) {
        for (QWidget* control : m_controls) control->setEnabled(false);
        // Only a failed read is news to the operator; an older recorder has no such page.
        if (HasDvrCommands()) ormidon::ShowMessage(kMsgReadFailed);
        return;
    }
    Fill();
    ConnectChoices();
    m_bEnabled = true;
}

int DVRDatePage::GetDvrDate() { return ::GetDvrDate(m_read) ? 1 : 0; }

void DVRDatePage::Fill() {
    const QDate date(m_read.wYear, m_read.wMonth, m_read.wDay);
    if (date.isValid()) m_date->setDate(date);
    const QTime time(m_read.wHour, m_read.wMinute, m_read.wSecond);
    if (time.isValid()) m_time->setTime(time);
    sheet::SetComboIndex(m_format, m_read.byFormat);
    m_date->setDisplayFormat(DateFormatOf(m_read.byFormat));
    SetDaylight(m_read.byDaylightSaving != 0);
    ShowHourMinute(m_startTime, m_read.byStartHour, m_read.byStartMinute);
    ShowHourMinute(m_endTime, m_read.byEndHour, m_read.byEndMinute);
    ShowHourMinute(m_adjust, m_read.byAdjustHour, m_read.byAdjustMinute);
    sheet::SetComboIndex(m_startWeek, m_read.byStartWeekIndex);
    sheet::SetComboIndex(m_startDay, m_read.byStartDayOfWeek);
    sheet::SetComboIndex(m_startMonth, m_read.byStartMonth);
    sheet::SetComboIndex(m_endWeek, m_read.byEndWeekIndex);
    sheet::SetComboIndex(m_endDay, m_read.byEndDayOfWeek);
    sheet::SetComboIndex(m_endMonth, m_read.byEndMonth);
}

void DVRDatePage::SetDaylight(int on) {
    m_on->setChecked(on != 0);
    m_off->setChecked(on == 0);
}

// From here on every change of a control is the operator's choice; a control he never
// touches leaves the value read standing.
void DVRDatePage::ConnectChoices() {
    connect(m_date, &QDateTimeEdit::dateChanged, this, [this](const QDate& d) {
        m_choices.date = DateTriple{d.year(), d.month(), d.day()};
    });
    connect(m_time, &QDateTimeEdit::timeChanged, this, [this](const QTime& t) {
        m_choices.time = DateTriple{t.hour(), t.minute(), t.second()};
    });
    const auto onTime = [this](QDateTimeEdit* picker, std::optional<HourMinute>& choice) {
        connect(picker, &QDateTimeEdit::timeChanged, this, [&choice](const QTime& t) {
            choice = HourMinute{t.hour(), t.minute()};
        });
    };
    onTime(m_startTime, m_choices.startTime);
    onTime(m_endTime, m_choices.endTime);
    onTime(m_adjust, m_choices.adjust);
    const auto onList = [this](QComboBox* box, std::optional<int>& choice) {
        connect(box, &QComboBox::currentIndexChanged, this, [&choice](int index) {
            if (index >= 0) choice = index;
        });
    };
    onList(m_format, m_choices.format);
    onList(m_startWeek, m_choices.startWeek);
    onList(m_startDay, m_choices.startDayOfWeek);
    onList(m_startMonth, m_choices.startMonth);
    onList(m_endWeek, m_choices.endWeek);
    onList(m_endDay, m_choices.endDayOfWeek);
    onList(m_endMonth, m_choices.endMonth);
    connect(m_format, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_date->setDisplayFormat(DateFormatOf(index)); });
    connect(m_on, &QRadioButton::clicked, this, [this] {
        m_choices.daylightSaving = 1;
        SetDaylight(1);
    });
    connect(m_off, &QRadioButton::clicked, this, [this] {
        m_choices.daylightSaving = 0;
        SetDaylight(0);
    });
}

int DVRDatePage::Apply() {
    if (!HasWindow() || !m_bEnabled) return 1;
    const DvrDateChange change = ComputeDvrDateChange(m_read, m_choices);
    if (!change.Any()) return 1;
    if (SetDvrDate(change) == 0) {
        ormidon::ShowMessage(PageSheet::kMsgChangeFailed);
        return 0;
    }
    return 1;
}
