#pragma once
// The alarm sound thread: plays a loaded alarm wave in an endless loop through the sound
// output until it is told to stop. Eight buffers stay queued at the output; each one played
// is refilled with the next bytes of the looping sound and queued again.
#include <memory>
#include <stop_token>

#include "platform/Event.h"
#include "record/AlarmWave.h"

// Plays `block` until `stopEvent` is set or `stop` is requested, then drops what is queued.
// `bufferDone` is the output's block-done event. Without a sound device (or one that cannot
// play the format) the thread says so once on the standard output and ends: no sound.
void PlayAudioWav_Thread(std::stop_token stop, std::shared_ptr<AlarmWaveBlock> block,
                         ormidon::Event& bufferDone, ormidon::Event& stopEvent);
