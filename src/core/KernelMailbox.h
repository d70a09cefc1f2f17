#pragma once
// The one-slot mailbox of Process_KernelMessageThread. A poster takes the slot, writes a
// code and its parameters and hands the slot over; the kernel message thread does the
// work and frees the slot. The poster does not wait for the work.
#include <cstdint>
#include <stop_token>
#include <string>

#include "platform/Clock.h"

enum KernelMessageCode : uint32_t {
    kKernelImageTimeOut = 1,    // the live stream stalled: take down and log in again
    kKernelDrawFrame = 2,       // draw the current frame in the main window
    kKernelEndThread = 6,       // end the kernel message thread (shut-down)
    kKernelPlayBackupFile = 7,  // start the playback program on a downloaded file
};

// Posts `code`. Waits up to `timeoutMs` for the slot; gives up at once when no kernel
// message thread serves the mailbox (not started yet, or ended) or `stop` is requested.
// True when the code was handed over.
bool PostKernelMessage(uint32_t code, uintptr_t param1 = 0, uintptr_t param2 = 0,
                       uint32_t timeoutMs = ormidon::kInfinite, std::stop_token stop = {});

// Posts code 7 with its own copy of the downloaded file's path.
bool PostPlayBackupFile(const std::string& filePath, uint32_t timeoutMs = ormidon::kInfinite,
                        std::stop_token stop = {});

// The kernel message thread: carries out posted codes until code 6 or its stop.
void Process_KernelMessageThread(std::stop_token stop);
