#include "backup/DvrRecordSetting.h"

#include <optional>

#include "backup/DvrTextCommand.h"
#include "net/CgiCommand.h"
#include "net/DvrTextReply.h"

namespace {

// [class][VIDEOTYPE][mode]: the numbers of the four list entries.
constexpr int kIps[3][2][3][4] = {
    {{{120, 60, 30, 15}, {240, 120, 60, 30}, {480, 240, 120, 60}},
     {{100, 50, 25, 12}, {200, 100, 50, 25}, {400, 200, 100, 50}}},
    {{{60, 30, 15, 7}, {120, 60, 30, 15}, {240, 120, 60, 30}},
     {{50, 25, 12, 6}, {100, 50, 25, 12}, {200, 100, 50, 25}}},
    {{{30, 15, 7, 3}, {60, 30, 15, 7}, {120, 60, 30, 15}},
     {{25, 12, 6, 3}, {50, 25, 12, 6}, {100, 50, 25, 12}}},
};
constexpr uint8_t kQualityCodes[] = {6, 8, 10, 16};

void ReadInto(std::string_view reply, std::string_view key, uint8_t& field) {
    if (const std::optional<int32_t> number = WholeKeyNumber(reply, key))
        field = static_cast<uint8_t>(*number);
}

int ListIndex(uint8_t read) { return read <= 3 ? read : -1; }

}  // namespace

void ReadDvrRecordReply(std::string_view reply, DvrRecordValues& v) {
    ReadInto(reply, "MANUAL", v.byManual);
    ReadInto(reply, "EVENT", v.byEvent);
    ReadInto(reply, "TIMER", v.byTimer);
    ReadInto(reply, "VIDEOTYPE", v.byVideoType);
    ReadInto(reply, "RECMODE", v.byRecMode);
    ReadInto(reply, "MANUALRATETYPE", v.byManualRateType);
    ReadInto(reply, "MOTIONRATETYPE", v.byMotionRateType);
    ReadInto(reply, "TIMERRATETYPE", v.byTimerRateType);
    ReadInto(reply, "OVERWRITE", v.byOverwrite);
    ReadInto(reply, "QUALITY", v.byQuality);
    ReadInto(reply, "RECORDFIX", v.byRecordFix);
    ReadInto(reply, "SUPPORTMODE", v.bySupportMode);
    ReadInto(reply, "SUPPORTIPSSHARE", v.bySupportIpsShare);
}

int ChannelClassOf(int channelCount) {
    if (channelCount == 16) return 0;
    if (channelCount == 8) return 1;
    return 2;
}

std::array<int, 4> IpsNumbers(int channelClass, int videoType, int recMode) {
    const int c = channelClass >= 0 && channelClass <= 2 ? channelClass : 2;
    const int v = videoType == 1 ? 1 : 0;
    const int m = recMode >= 0 && recMode <= 2 ? recMode : 0;
    std::array<int, 4> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = kIps[c][v][m][i];
    return numbers;
}

int QualityIndexOf(int code) {
    for (int i = 0; i < 4; ++i)
        if (kQualityCodes[i] == code) return i;
    return -1;
}

uint8_t QualityCodeOf(int index) {
    return index >= 0 && index < 4 ? kQualityCodes[index] : kQualityCodes[0];
}

DvrRecordForm::DvrRecordForm(const DvrRecordValues& values)
    : read(values),
      manual(values.byManual),
      event(values.byEvent),
      timer(values.byTimer),
      overwrite(values.byOverwrite),
      quality(values.byQuality),
      recMode(values.byRecMode),
      recordFix(values.byRecordFix),
      manualRate(ListIndex(values.byManualRateType)),
      eventRate(ListIndex(values.byMotionRateType)),
      timerRate(ListIndex(values.byTimerRateType)),
      ipsShareEnabled(values.bySupportIpsShare == 3) {}

void DvrRecordForm::ChooseMode(int mode) {
    if (mode < kRecModeFrame || mode > kRecModeCif) return;
    if (recMode != mode) {
        recMode = static_cast<uint8_t>(mode);
        manualRate = eventRate = timerRate = 0;
    }
    if (mode == kRecModeFrame) ipsShareEnabled = true;
    if (mode == kRecModeCif) {
        recordFix = 1;
        ipsShareEnabled = false;
    }
}

std::string DvrRecordForm::Query(const std::string& cookie) const {
    CCgiRequest request(CGI_SETRECORDSETTING);
    if (!cookie.empty()) request.AddParam("Cookie", cookie);
    const auto add = [&request](const char* flag, const char* name, bool changed, int value) {
        request.AddIntParam(flag, changed ? 1 : 0);
        if (changed) request.AddIntParam(name, value);
    };
    // An IPS list without a choice leaves the rate read.
    const auto rateChanged = [](int index, uint8_t readIndex) {
        return index >= 0 && index != readIndex;
    };
    add("CHMANUALREC", "MANUAL", manual != read.byManual, manual);
    add("CHEVENTREC", "EVENT", event != read.byEvent, event);
    add("CHTIMERREC", "TIMER", timer != read.byTimer, timer);
    add("CHOV", "OVERWRITE", overwrite != read.byOverwrite, overwrite);
    add("CHQT", "QUALITY", quality != read.byQuality, quality);
    add("CHRECMODE", "RECMODE", recMode != read.byRecMode, recMode);
    add("CHMOTIONRATE", "MOTIONRATETYPE", rateChanged(eventRate, read.byMotionRateType), eventRate);
    add("CHMANUALRATE", "MANUALRATETYPE", rateChanged(manualRate, read.byManualRateType),
        manualRate);
    add("CHTIMERRATE", "TIMERRATETYPE", rateChanged(timerRate, read.byTimerRateType), timerRate);
    add("CHIPSSHARE", "RECORDFIX", true, recordFix);
    return request.IsValid() ? request.GetText() : std::string();
}

int GetRecordSetting(DvrRecordValues& values) {
    std::string reply;
    if (!QueryDvrText(CGI_GETRECORDSETTING, reply)) return 0;
    ReadDvrRecordReply(reply, values);
    return 1;
}

int SetRecordSetting(const DvrRecordForm& form) {
    return SendDvrText(CGI_SETRECORDSETTING, form.Query(DvrCookie()));
}
