#pragma once
// The live frame pipeline as the login resources start and stop it: the fetch, compose
// and show threads, and the recorders that hang on the compose thread. The stream code
// installs its implementation once at start-up; tests install stand-ins. Without one,
// the login resources run only the life-time count.
#include <cstdint>
#include <stop_token>

class LivePipeline {
  public:
    virtual ~LivePipeline() = default;

    // The three frame threads. Each runs until its stop event of the application record
    // is set or `stop` is requested, whichever comes first.
    virtual void Jpeg_TCP_Get_Image_Data_Thread(std::stop_token stop) = 0;
    virtual void Jpeg_Compose_Image_Data_Thread(std::stop_token stop) = 0;
    virtual void Jpeg_Show_Image_Data_Thread(std::stop_token stop) = 0;

    // The alarm and user recorders' threads, started after the frame threads with the
    // record's by_RecordParam and stopped after them. False when one could not be started.
    virtual bool StartRecorderThreads() { return true; }
    virtual void StopRecorderThreads() {}
    // A stalled stream ends the running alarm and schedule recordings.
    virtual void StopAlarmAndScheduleRecording() {}
    // After a re-login: resumes a user recording; true when a record file is in progress.
    virtual bool RestartUserRecord() { return false; }
};

// Installs the pipeline (nullptr removes it). Install before InitLoginResource runs.
void SetLivePipeline(LivePipeline* pipeline);
LivePipeline* GetLivePipeline();
