// AllocateSystemBuffer / FreeSystemBuffer and InitialSemaphore / FreeSemaphore.
#include <new>

#include "core/AppObject.h"
#include "core/AppResources.h"

namespace {

std::unique_ptr<uint8_t[]> AllocateBlock(size_t size) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]());
}

// Takes every unit of `semaphore`, then gives it `count`: the semaphore is as new.
void ResetSemaphore(ormidon::Semaphore& semaphore, int count) {
    while (semaphore.Wait(0)) {
    }
    if (count > 0) semaphore.Release(count);
}

}  // namespace

void ResetSlotIndexes(CAppObject& app) {
    app.w_SocketBufferWriteIndex = 0;
    app.w_SocketBufferReadIndex = 0;
    app.w_HalvoMp4DecodeIndex = 0;
    app.w_RGBBufferWriteIndex = 0;
}

bool AllocateSystemBuffer() {
    CAppObject& app = *g_lpApp;
    app.lp_SocketBuffer = AllocateBlock(size_t{kSocketSlotSize} * kSocketBufferCount);
    app.lp_JpegBuffer = AllocateBlock(size_t{kImageBufferSize} * kJPEGImageBufferCount);
    app.lp_RGBBuffer = AllocateBlock(size_t{kImageBufferSize} * kJPEGImageBufferCount);
    app.lp_FrameHeaderBuffer.reset(new (std::nothrow) FrameInfo_Struct[kSocketBufferCount]);
    app.lp_ResizeBuffer = AllocateBlock(kImageBufferSize);
    app.lp_CopyImageBuffer = AllocateBlock(kImageBufferSize);
    // Start-up goes on without the pre-record ring: then nothing is recorded.
    app.m_PreRecordBuffer.AllocateBuffer();
    app.w_SocketBufferCount = kSocketBufferCount;
    app.w_JPEGImageBufferCount = kJPEGImageBufferCount;
    ResetSlotIndexes(app);
    return app.lp_SocketBuffer && app.lp_JpegBuffer && app.lp_RGBBuffer &&
           app.lp_FrameHeaderBuffer && app.lp_ResizeBuffer && app.lp_CopyImageBuffer;
}

bool FreeSystemBuffer() {
    CAppObject* app = g_lpApp;
    if (app == nullptr) return true;
    app->lp_CurrentImage = nullptr;
    app->lp_JpegBuffer.reset();
    app->lp_RGBBuffer.reset();
    app->lp_DisplayBuffer.reset();
    app->lp_SocketBuffer.reset();
    app->lp_FrameHeaderBuffer.reset();
    app->lp_CopyImageBuffer.reset();
    app->lp_ResizeBuffer.reset();
    app->m_PreRecordBuffer.FreeBuffer();
    g_SystemConfig.AlarmDB_FreeBuffer();
    return true;
}

bool InitialSemaphore() {
    CAppObject& app = *g_lpApp;
    std::lock_guard lock(app.m_ResourceLock);
    ResetSemaphore(app.h_SocketBufferFreeSem, app.w_SocketBufferCount - 1);
    ResetSemaphore(app.h_SocketBufferFullSem, 0);
    ResetSemaphore(app.h_JPEGImageBufferFreeSem, app.w_JPEGImageBufferCount);
    ResetSemaphore(app.h_JPEGImageBufferRelSem, 0);
    ResetSemaphore(app.h_CopyImageReadySem, 0);
    return true;
}

bool FreeSemaphore() {
    CAppObject* app = g_lpApp;
    if (app == nullptr) return true;
    std::lock_guard lock(app->m_ResourceLock);
    // Nothing may take a unit of a pipeline that is gone.
    ResetSemaphore(app->h_SocketBufferFreeSem, 0);
    ResetSemaphore(app->h_SocketBufferFullSem, 0);
    ResetSemaphore(app->h_JPEGImageBufferFreeSem, 0);
    ResetSemaphore(app->h_JPEGImageBufferRelSem, 0);
    ResetSemaphore(app->h_CopyImageReadySem, 0);
    return true;
}
