#pragma once
// The two threads that take the live pipeline down and build it up again on request,
// so that a re-login can replace every pipeline thread while the main window stays.
//
// Take-down: set h_Process_Notify_TerminateEvent, wait for h_Process_Reply_TerminateEvent.
// Rebuild: set h_Process_Notify_InitEvent, wait for h_Process_Reply_InitEvent.
// Each answers every request, and leaves its outcome in f_ProcessTerminateSucceeded or
// f_ProcessInitSucceeded before it sets the answer.
#include <stop_token>

void Process_Terminate_Thread(std::stop_token stop);
void Process_Init_Thread(std::stop_token stop);
