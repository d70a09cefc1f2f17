#pragma once
// Choosing the playback program for a download, before the download window opens: with
// "Dynamic Download" a player started earlier that is still connected gets the new file's
// path; otherwise a new player is started on the file, with a new shared mutex, and gets the
// mutex's name once it said HELLO. Without "Dynamic Download" no player takes part.
#include <cstdint>
#include <string>

#include "platform/PlayerLink.h"

inline constexpr uint32_t kPlayerHelloWaitMs = 10'000;
inline constexpr uint32_t kMsgExecutePlayerFailed = 4108;
inline constexpr uint32_t kMsgPlayerNoWindow = 4113;
inline constexpr const char* kCreateMutexErrorText = "Create mutex error";

// The link to the player of a Dynamic Download with the hand-off's fields; one per program.
ormidon::PlayerLink& BackupPlayerLink();

// `file` is the path the player reads: the download's file under its final name, which the
// download makes once it starts and keeps. `sender` names the page in the COPYDATA frames.
// False when the Start must end without a download (the mutex could not be made); player
// failures are shown and the download goes on without it.
bool ChooseBackupPlayer(bool dynamicDownload, const std::string& file, uint32_t sender);

// Forgets the player: its process id and id, the link to it and the mutex.
void ForgetBackupPlayer();
