#pragma once
// A fixture for the live stream with local recording against the simulated recorder: a
// P62K that streams 160 x 120 pictures at 100 frames a second, alarm recording on, the
// record folder and the program folder in temporary folders, the live pipeline and the
// recording installed, and the process threads running.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "LivePipelineTest.h"
#include "TempFolder.h"
#include "core/AppObject.h"
#include "platform/Paths.h"
#include "record/AppRecording.h"

namespace ormidon::test {

class LiveRecordingTest : public LivePipelineTest {
  protected:
    void SetUp() override {
        LivePipelineTest::SetUp();
        SetProgramFolderForTesting(program.path());
        device.Video().SetSetup({.framesPerSecond = 100, .width = 160, .height = 120});
        device.SetIdentity({"P62K", "1010", "00A0B1C2D3E4", "sim", 0});
        app.str_ProductID.Set("P62K");
        app.CSettingINI.m_byAlarmTriggerRecord = 1;
        app.CSettingINI.m_strRecordPath = records.path().string();
        StartPipeline(AppLiveRecordingInstance());
    }
    void TearDown() override {
        LivePipelineTest::TearDown();
        SetProgramFolderForTesting({});
    }
    // The files of the record folder.
    std::vector<std::filesystem::path> Files() const {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(records.path()))
            files.push_back(entry.path());
        return files;
    }

    TempFolder records;
    TempFolder program;
};

}  // namespace ormidon::test
