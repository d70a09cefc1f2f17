#pragma once
// The simulated recorder as a process of its own (ormidon-sim of the program folder), so
// the benchmark's process time is the client's alone.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

class RecorderProcess {
  public:
    // Starts ormidon-sim with `arguments` and reads the port it listens on from its first
    // line; Port() is 0 when it could not start (for example, its port was taken).
    explicit RecorderProcess(const std::vector<std::string>& arguments) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string program = std::string(ORMIDON_PROGRAM_DIR) + "/ormidon-sim";
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        // "ormidon-sim listening on 127.0.0.1:PORT (...)"
        char line[256] = {};
        std::size_t used = 0;
        while (used + 1 < sizeof line && std::strchr(line, '\n') == nullptr) {
            const ssize_t n = read(out[0], line + used, sizeof line - 1 - used);
            if (n <= 0) break;
            used += static_cast<std::size_t>(n);
        }
        close(out[0]);
        if (const char* colon = std::strstr(line, "127.0.0.1:")) port_ = std::atoi(colon + 10);
    }
    ~RecorderProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    RecorderProcess(const RecorderProcess&) = delete;
    RecorderProcess& operator=(const RecorderProcess&) = delete;

    int Port() const { return port_; }

  private:
    pid_t pid_ = -1;
    int port_ = 0;
};
