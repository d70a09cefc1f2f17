// Without the fuzzer: runs the target over its seeds and over every saved input in the
// folders given on the command line (the regression inputs of past findings). A broken
// check aborts the program, which fails the test.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzTarget.h"

int main(int argc, char** argv) {
    int runs = 0;
    for (const FuzzBytes& seed : FuzzSeeds()) {
        LLVMFuzzerTestOneInput(seed.data(), seed.size());
        ++runs;
    }
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i])) continue;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            const FuzzBytes bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++runs;
        }
    }
    std::printf("%d inputs passed\n", runs);
    return 0;
}
