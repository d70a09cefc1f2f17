#pragma once
// The program folder of the build (CTest sets ORMIDON_PROGRAM_DIR to it), for tests that read
// the generated skin, control file or alarm sound.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ormidon::test {

// The folder, or a path that does not exist after a failure that names the variable, so a
// test run by hand without it fails with a message instead of crashing.
inline std::filesystem::path BuiltProgramFolder() {
    const char* folder = std::getenv("ORMIDON_PROGRAM_DIR");
    if (folder == nullptr || *folder == '\0') {
        ADD_FAILURE() << "ORMIDON_PROGRAM_DIR is not set: run the tests through CTest or set "
                         "it to the build's bin folder";
        return "/nonexistent/ORMIDON_PROGRAM_DIR";
    }
    return folder;
}

}  // namespace ormidon::test
