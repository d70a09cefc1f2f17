#include "backup/BackupPlayerHandOff.h"

#include "core/PlaybackProgram.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/PlayerLink.h"

ormidon::PlayerLink& BackupPlayerLink() {
    static ormidon::PlayerLink link;
    return link;
}

void ForgetBackupPlayer() {
    ormidon::PlayerLink& link = BackupPlayerLink();
    link.dw_BackupPlayerProcessId = 0;
    link.h_BackupPlayerWnd = 0;
    link.DropPlayer();
    link.CloseMutex();
}

bool ChooseBackupPlayer(bool dynamicDownload, const std::string& file, uint32_t sender) {
    ormidon::PlayerLink& link = BackupPlayerLink();
    // A player whose link closed, or that was never confirmed, is gone.
    if (link.h_BackupPlayerWnd.load() != 0 &&
        (link.dw_BackupPlayerProcessId.load() == 0 || !link.PlayerConnected()))
        ForgetBackupPlayer();
    if (!dynamicDownload) {
        ForgetBackupPlayer();
        return true;
    }
    if (link.f_BackupPlayerStarted.load() != 0 && link.dw_BackupPlayerProcessId.load() != 0 &&
        link.h_BackupPlayerWnd.load() != 0) {
        link.Send(ormidon::kLinkCopyData, sender, ormidon::COPYDATA_BACKUP_PATH,
                  ormidon::PaddedText(file, ormidon::kBackupPathBytes));
        return true;
    }

    link.CloseMutex();
    const std::string name = "NETWORKBK_" + std::to_string(ormidon::TickCount());
    const std::string linkPath = link.LinkPath().string();
    if (linkPath.empty() || !link.CreateMutex(name)) {
        ormidon::ShowMessageText(kCreateMutexErrorText);
        return false;
    }

    link.HoldConnections();
    pid_t pid = 0;
    if (!StartPlaybackProgram({file, "DYNAMICLOAD=1"},
                              {std::string(ormidon::kPlayerLinkVariable) + "=" + linkPath}, &pid)) {
        link.ExpectPlayer(0);
        ormidon::ShowMessage(kMsgExecutePlayerFailed);
        return true;
    }
    link.ExpectPlayer(pid);
    link.f_BackupPlayerStarted = 1;
    link.dw_BackupPlayerProcessId = static_cast<uint32_t>(pid);

    // The player's HELLO stands for its start-up and its window.
    if (link.WaitHello(kPlayerHelloWaitMs) == 0) {
        link.ExpectPlayer(0);  // a late player is not taken on for this download
        link.dw_BackupPlayerProcessId = 0;
        ormidon::ShowMessage(kMsgPlayerNoWindow);
        return true;
    }
    link.Send(ormidon::kLinkCopyData, sender, ormidon::COPYDATA_BACKUP_MUTEX,
              ormidon::PaddedText(name, ormidon::kBackupMutexBytes));
    return true;
}
