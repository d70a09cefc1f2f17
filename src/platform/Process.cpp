#include "platform/Process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>

extern char** environ;

namespace ormidon {

namespace {

// What the children report through the pipe: the program's pid, or why it did not start.
struct Report {
    int32_t kind;  // kReportPid or kReportError
    int32_t value;
};
constexpr int32_t kReportPid = 1;
constexpr int32_t kReportError = 2;

void WriteReport(int fd, int32_t kind, int32_t value) {
    const Report report{kind, value};
    [[maybe_unused]] ssize_t written = ::write(fd, &report, sizeof report);
}

}  // namespace

bool StartDetachedProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments) {
    return StartDetachedProgram(program, arguments, {}, nullptr);
}

bool StartDetachedProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, pid_t* pid) {
    // Everything the child needs is prepared before fork: between fork and exec a
    // multi-threaded process may only make async-signal-safe calls.
    const std::string programText = program.string();
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(programText.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // This process's environment with `environment`'s entries in place of those of the
    // same names.
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const std::string& added : environment)
            replaced = replaced || std::string_view(added).substr(0, added.find('=')) == name;
        if (!replaced) entries.emplace_back(text);
    }
    entries.insert(entries.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    envp.reserve(entries.size() + 1);
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);

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
            ::execve(argv[0], argv.data(), envp.data());
            WriteReport(report[1], kReportError, errno);
            ::_exit(127);
        }
        if (grandchild < 0)
            WriteReport(report[1], kReportError, errno);
        else
            WriteReport(report[1], kReportPid, grandchild);
        ::_exit(0);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // Both children may write; each report is one atomic pipe write. End-of-file comes once
    // the program's exec closed the last write end.
    bool failed = false;
    pid_t started = 0;
    for (;;) {
        Report got{};
        const ssize_t n = ::read(report[0], &got, sizeof got);
        if (n < 0 && errno == EINTR) continue;
        if (n != static_cast<ssize_t>(sizeof got)) break;
        if (got.kind == kReportPid)
            started = got.value;
        else
            failed = true;
    }
    ::close(report[0]);
    if (failed || started <= 0) return false;
    if (pid != nullptr) *pid = started;
    return true;
}

}  // namespace ormidon
