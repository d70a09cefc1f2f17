#pragma once
// How the DVR records, as "/GetRecordSetting.cgi" reports it and "/SetRecordSetting.cgi"
// changes it. Headless: DvrRecordForm holds the values read and the Record Setting page's
// current choices, applies the image-size rules and builds the request.
//
// A value the page cannot show stays the current choice unchanged: a quality code other
// than 6, 8, 10, 16, a RECMODE above 2 (no size checked) or an IPS index outside 0-3 (the
// list shows no choice) is sent back as "unchanged" until the operator chooses.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct DvrRecordValues {
    uint8_t byManual = 0;
    uint8_t byEvent = 0;
    uint8_t byTimer = 0;
    uint8_t byVideoType = 0;
    uint8_t byRecMode = 0;
    uint8_t byManualRateType = 0;
    uint8_t byMotionRateType = 0;
    uint8_t byTimerRateType = 0;
    uint8_t byOverwrite = 0;
    uint8_t byQuality = 0;
    uint8_t byRecordFix = 0;
    uint8_t bySupportMode = 0;
    uint8_t bySupportIpsShare = 0;
    bool operator==(const DvrRecordValues&) const = default;
};

// Takes the reply's items (keys matched whole, the low byte of each number); a missing key
// leaves its member.
void ReadDvrRecordReply(std::string_view reply, DvrRecordValues& values);

inline constexpr int kRecModeFrame = 0;
inline constexpr int kRecModeField = 1;
inline constexpr int kRecModeCif = 2;

// 16 channels -> 0, 8 -> 1, any other count -> 2.
int ChannelClassOf(int channelCount);
// The four IPS numbers of a list. A VIDEOTYPE above 1 shows the VIDEOTYPE 0 row and a mode
// above 2 the FRAME column: for display only.
std::array<int, 4> IpsNumbers(int channelClass, int videoType, int recMode);
// Quality list index 0-3 <-> codes 6, 8, 10, 16; -1 for another code.
int QualityIndexOf(int code);
uint8_t QualityCodeOf(int index);

class DvrRecordForm {
  public:
    DvrRecordForm() = default;
    explicit DvrRecordForm(const DvrRecordValues& read);

    // The FRAME, FIELD and CIF buttons: a new mode refills the IPS lists and chooses their
    // first entries; FRAME enables FIX and GROUP, CIF forces FIX and disables them.
    void ChooseMode(int mode);
    // The mode whose numbers the IPS lists show.
    int ListMode() const { return recMode <= kRecModeCif ? recMode : kRecModeFrame; }

    // "/SetRecordSetting.cgi" with "Cookie" first when `cookie` is not empty.
    std::string Query(const std::string& cookie) const;

    DvrRecordValues read;
    uint8_t manual = 0;
    uint8_t event = 0;
    uint8_t timer = 0;
    uint8_t overwrite = 0;
    uint8_t quality = 0;  // the code
    uint8_t recMode = 0;
    uint8_t recordFix = 0;
    int manualRate = -1;  // list indexes; -1 no choice (the value read stands)
    int eventRate = -1;
    int timerRate = -1;
    bool ipsShareEnabled = false;
};

// Asks the device (cookie only, 15 s, 1024 bytes) and reads the reply; 0 when it failed.
int GetRecordSetting(DvrRecordValues& values);
// Sends the form's request; 1 when the device answered status 200.
int SetRecordSetting(const DvrRecordForm& form);
