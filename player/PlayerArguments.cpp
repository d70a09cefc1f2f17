#include "PlayerArguments.h"

#include <string_view>

PlayerArguments ParsePlayerArguments(int argc, const char* const* argv) {
    PlayerArguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--open-folder") {
            if (i + 1 < argc) arguments.openFolder = argv[++i];
            continue;
        }
        if (argument == "DYNAMICLOAD=1") arguments.dynamicLoad = true;
        // The path comes first, whatever it holds; after it only options follow.
        if (!arguments.file) arguments.file = std::string(argument);
    }
    return arguments;
}
