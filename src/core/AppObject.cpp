#include "core/AppObject.h"

CAppObject* g_lpApp = nullptr;
GuardedText g_strLocalIPAddress;

CAppObject::CAppObject() { SetInitialValues(); }

CAppObject::~CAppObject() {
    // Shut-down has stopped every thread by now. Should one still run, it is stopped
    // here, before the events and buffers it uses go with the record.
    for (ThreadSlot* slot :
         {&h_ReLoginThread, &h_UpgradeFirmwareThread, &h_Process_KernelMessageThread,
          &h_Process_Init_Thread, &h_Process_Terminate_Thread, &h_PlayAudioWavThread,
          &h_ConnectionThread, &h_GetJpegImageThread, &h_ComposeImageDataThread,
          &h_ShowImageDataThread}) {
        slot->Stop(ormidon::kInfinite);
    }
}

void CAppObject::SetInitialValues() {
    by_HotPointMode = 1;
    dw_LifeTime = kUnlimitedLifeTime;
    by_RecordParam = 4;
}
