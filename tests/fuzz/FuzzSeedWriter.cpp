// With the fuzzer: when ORMIDON_FUZZ_SEEDS names a folder, the target writes its seeds there,
// one file each, and exits; scripts/fuzz starts each corpus this way.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzTarget.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    const char* folder = std::getenv("ORMIDON_FUZZ_SEEDS");
    if (folder == nullptr || *folder == '\0') return 0;
    std::filesystem::create_directories(folder);
    int index = 0;
    for (const FuzzBytes& seed : FuzzSeeds()) {
        std::ofstream out(std::filesystem::path(folder) / ("seed-" + std::to_string(index++)),
                          std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seed.data()),
                  static_cast<std::streamsize>(seed.size()));
        if (!out) std::exit(1);
    }
    std::exit(0);
}
