#include "platform/Process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace ormidon {

bool StartDetachedProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments) {
    // Everything the child needs is prepared before fork: between fork and exec a
    // multi-threaded process may only make async-signal-safe calls.
    const std::string programText = program.string();
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(programText.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful exec closes
    // its end (close-on-exec), so the parent reads end-of-file.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // The intermediate child: start the program in a new process group and leave at
        // once, so the program is re-parented and never becomes our zombie.
        ::close(report[0]);
        ::setpgid(0, 0);
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execv(argv[0], argv.data());
            const int error = errno;
            [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            [[maybe_unused]] ssize_t written = ::write(report[1], &error, sizeof error);
        }
        ::_exit(0);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == 0;
}

}  // namespace ormidon
