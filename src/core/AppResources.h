#pragma once
// The routine pairs that acquire and release the application record's resources, in
// start-up order. Every Exit/Free routine stops the threads it owns before it releases
// what they use, acts only on what exists, and may run any number of times.
//
// Thread stop bounds (real time, see ThreadSlot): what each stopping routine allows a
// thread between its stop request and its end.

// The frame buffers of the live pipeline. False when one cannot be allocated.
bool AllocateSystemBuffer();
bool FreeSystemBuffer();

// The pipeline's semaphores, back to their initial counts.
bool InitialSemaphore();
// Every slot index of the frame buffers back to 0, before the pipeline is (re)built.
class CAppObject;
void ResetSlotIndexes(CAppObject& app);
bool FreeSemaphore();

// The kernel message thread and the two rebuild threads with their events.
bool InitProcessResource();
// Stops every process thread (and the re-login and firmware-upgrade threads). Always true:
// a thread that overran its bound is written to the trace file and still joined.
bool ExitProcessResource();

// The live pipeline: the life-time count and the frame threads with their events, then the
// recorders' threads. False when a thread cannot be started; what was started is stopped.
bool InitLoginResource();
// Stops the pipeline's threads, then resets its events. Always true, as above.
bool ExitLoginResource();
