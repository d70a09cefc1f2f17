#include "net/LiveStreamPipeline.h"

#include "net/FrameCompose.h"
#include "net/FrameShow.h"
#include "net/LiveStreamFetch.h"
#include "record/AppRecording.h"

void LiveStreamPipeline::Jpeg_TCP_Get_Image_Data_Thread(std::stop_token stop) {
    ::Jpeg_TCP_Get_Image_Data_Thread(std::move(stop));
}

void LiveStreamPipeline::Jpeg_Compose_Image_Data_Thread(std::stop_token stop) {
    ::Jpeg_Compose_Image_Data_Thread(std::move(stop));
}

void LiveStreamPipeline::Jpeg_Show_Image_Data_Thread(std::stop_token stop) {
    ::Jpeg_Show_Image_Data_Thread(std::move(stop));
}

bool LiveStreamPipeline::StartRecorderThreads() { return ::StartRecorderThreads(); }

void LiveStreamPipeline::StopRecorderThreads() { ::StopRecorderThreads(); }

void LiveStreamPipeline::StopAlarmAndScheduleRecording() { ::StopAlarmAndScheduleRecording(); }

bool LiveStreamPipeline::RestartUserRecord() { return ::RestartUserRecord(); }

LiveStreamPipeline& LiveStreamPipelineInstance() {
    static LiveStreamPipeline pipeline;
    return pipeline;
}
