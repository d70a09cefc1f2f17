#include "core/PlaybackProgram.h"

#include "platform/Paths.h"
#include "platform/Process.h"

bool StartPlaybackProgram(const std::vector<std::string>& arguments) {
    return ormidon::StartDetachedProgram(ormidon::ProgramFolder() / kPlaybackProgramName,
                                         arguments);
}

bool StartPlaybackProgram(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, pid_t* pid) {
    return ormidon::StartDetachedProgram(ormidon::ProgramFolder() / kPlaybackProgramName, arguments,
                                         environment, pid);
}
