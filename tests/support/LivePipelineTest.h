#pragma once
// A fixture for the live pipeline against the simulated recorder: the login fixture with the
// live stream pipeline and a recording installed, the system buffers and semaphores made
// and the process threads running. Every thread stops before the fixture goes.
#include <gtest/gtest.h>

#include "SimulatedLogin.h"
#include "core/AppResources.h"
#include "core/LivePipeline.h"
#include "net/LiveRecording.h"
#include "net/LiveStreamPipeline.h"

namespace ormidon::test {

class LivePipelineTest : public SimulatedLoginTest {
  protected:
    // Installs the pipeline, which hands its frames to `recording`, and starts the process
    // threads. The last step of a SetUp.
    void StartPipeline(LiveRecording& recording) {
        SetLivePipeline(&LiveStreamPipelineInstance());
        SetLiveRecording(&recording);
        ASSERT_TRUE(AllocateSystemBuffer());
        ASSERT_TRUE(InitialSemaphore());
        ASSERT_TRUE(InitProcessResource());
    }
    void TearDown() override {
        EXPECT_TRUE(ExitLoginResource());
        EXPECT_TRUE(ExitProcessResource());
        SetLiveRecording(nullptr);
        SetLivePipeline(nullptr);
        SimulatedLoginTest::TearDown();
    }

    void StartStream() {
        ASSERT_TRUE(InitLoginResource());
        app.h_StartToGetJpegImageEvent.Set();
    }
};

}  // namespace ormidon::test
