#pragma once
// The main window's answer to WM_POSTALARMAUDIO: the frame headers ask for the alarm sound
// when an event starts (lParam 0) and for its end when the event is over (lParam 2). A click
// in the main window silences a playing sound; it does not come back before the event ended.
#include "platform/WindowMessage.h"

// lParam of WM_POSTALARMAUDIO that stops the sound; any other starts it.
constexpr ormidon::LParam kAlarmSoundStop = 2;

// Start: unless a sound was started and not yet stopped by the message, stops and joins a
// sound still ending, loads the "Trigger Wav Path" wave (message 4096 and -1 when it cannot
// be loaded) and starts the sound thread. Stop: ends the sound. 0, or -1 when no sound
// starts.
int OnPlayAlarmSound(ormidon::LParam lParam);
