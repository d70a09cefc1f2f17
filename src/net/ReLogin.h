#pragma once
// ReLogin_Thread: logs in to the device again (after the main window's CONNECT or a
// stalled live stream), reads its identity, capabilities and peripherals, has the live
// pipeline rebuilt and starts it. Retries with growing pauses until it succeeds or its
// stop is requested.
#include <stop_token>

void ReLogin_Thread(std::stop_token stop);
