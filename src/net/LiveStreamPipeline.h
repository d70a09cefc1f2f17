#pragma once
// The live stream as the login resources run it: the fetch, compose and show threads, and
// the recorders that take their frames.
// Start-up installs it with SetLivePipeline(&LiveStreamPipelineInstance()).
#include "core/LivePipeline.h"

class LiveStreamPipeline : public LivePipeline {
  public:
    void Jpeg_TCP_Get_Image_Data_Thread(std::stop_token stop) override;
    void Jpeg_Compose_Image_Data_Thread(std::stop_token stop) override;
    void Jpeg_Show_Image_Data_Thread(std::stop_token stop) override;

    // The recorders of the application record.
    bool StartRecorderThreads() override;
    void StopRecorderThreads() override;
    void StopAlarmAndScheduleRecording() override;
    bool RestartUserRecord() override;
};

LiveStreamPipeline& LiveStreamPipelineInstance();
