#pragma once
// A record folder, a program folder for the alarm database, an application record with the
// user name and device address that go into record headers, a fixed local time, and the
// pre-record ring with its three recorders. Frames are fed from the test thread, as the
// compose thread feeds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../support/TempFolder.h"
#include "core/AppObject.h"
#include "core/ServerAddress.h"
#include "core/SessionCookie.h"
#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/Paths.h"
#include "record/AlarmRecord.h"
#include "record/PreRecordBuffer.h"
#include "record/RecordFileValidator.h"
#include "record/SchRecord.h"
#include "record/SystemConfig.h"
#include "record/UserRecord.h"

namespace ormidon::test {

class RecorderFixture : public ::testing::Test {
  protected:
    RecorderFixture() {
        clock_.SetLocalTime(kStart);
        SetProgramFolderForTesting(program_.path());
        g_lpApp = app_.get();
        app_->CSettingINI.m_strUsername = "operator";
        SetServerName("10.0.0.7");
        SetSessionCookie("c00k1e99");
        ring_.AllocateBuffer();
    }
    ~RecorderFixture() override {
        alarm_.reset();
        user_.reset();
        g_lpApp = nullptr;
        SetProgramFolderForTesting({});
        ClearSessionCookie();
    }

    std::string RecordPath() const { return records_.path().string(); }

    // Feeds frame `n`: n + 1 bytes of value n, time stamp 40 n.
    void Feed(uint32_t n, uint8_t videoLoss = 0) {
        const std::vector<uint8_t> jpeg(n % 200 + 1, static_cast<uint8_t>(n));
        RecordFrameFacts facts;
        facts.timeStamp = 40 * n;
        facts.videoLoss = videoLoss;
        facts.channel = 2;
        facts.width = 352;
        facts.height = 240;
        ASSERT_EQ(ring_.Feed(recorders_, jpeg, facts), 1);
    }
    void FeedRange(uint32_t first, uint32_t last) {
        for (uint32_t n = first; n <= last; ++n) Feed(n);
    }
    // Returns once every recorder has written the frames handed over so far.
    void WaitForWrites() {
        for (RingHandOver* recorder : recorders_) {
            ASSERT_TRUE(recorder->TakeGuard({}));
            recorder->GiveBackGuard();
        }
    }

    // The record files of the folder, by name.
    std::vector<std::filesystem::path> Files() const {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(records_.path()))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }
    // Checks the file and returns the time stamps of its frames, in file order.
    static std::vector<uint32_t> TimeStamps(const std::filesystem::path& file) {
        const RecordFileCheck check = ValidateRecordFile(file);
        EXPECT_TRUE(check.valid) << file << ": " << check.error;
        std::vector<uint32_t> stamps;
        for (const RecordFileFrame& frame : check.frames) stamps.push_back(frame.timeStamp);
        return stamps;
    }
    static std::vector<uint32_t> Stamps(uint32_t first, uint32_t last) {
        std::vector<uint32_t> stamps;
        for (uint32_t n = first; n <= last; ++n) stamps.push_back(40 * n);
        return stamps;
    }

    static constexpr LocalTime kStart{2009, 3, 4, 21, 15, 7, 0, 3};

    TempFolder program_;
    TempFolder records_;
    TestClock clock_;
    ScopedClockOverride useClock_{clock_};
    std::unique_ptr<CAppObject> app_ = std::make_unique<CAppObject>();
    Event pipelineEnd_{true, false};
    CPreRecordBuffer ring_;
    SystemConfig alarmDB_;
    std::unique_ptr<CAlarmRecord> alarm_ = std::make_unique<CAlarmRecord>(ring_, alarmDB_);
    std::unique_ptr<CUserRecord> user_ = std::make_unique<CUserRecord>(ring_);
    CSchRecord schedule_;
    RingHandOver* recorders_[3] = {&alarm_->HandOver(), &user_->HandOver(), &schedule_.HandOver()};
};

}  // namespace ormidon::test
