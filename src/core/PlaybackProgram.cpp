#include "core/PlaybackProgram.h"

#include "platform/Paths.h"
#include "platform/Process.h"

bool StartPlaybackProgram(const std::vector<std::string>& arguments) {
    return ormidon::StartDetachedProgram(ormidon::ProgramFolder() / kPlaybackProgramName,
                                         arguments);
}
