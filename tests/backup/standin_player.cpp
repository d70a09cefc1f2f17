// The stand-in playback program of the hand-off tests, started as "Tamburo" from the test's
// program folder. It does what its folder's "standin.conf" says (key=value lines) and logs
// its arguments and every frame into "standin.log" there:
//   hello=never        exit without connecting to the link
//   ack_kb=N           the buffer size its ACK names (0: the default)
//   ack_id=wrong       ACK with an id that is not its own
//   stop_after_data=N  send STOP after the N-th DATA
//   hold_lock=1        take the shared lock at the first DATA and keep it
//   stop_reading=1     after START read nothing more (for a while), then exit
// At each DATA it takes the lock and checks that the file holds at least every byte
// announced so far ("CHECK ok" or "CHECK bad"); the file is opened at the first DATA, as
// the download makes it only once its request went out.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "platform/PlayerLink.h"

namespace {

std::map<std::string, std::string> ReadConf(const std::filesystem::path& file) {
    std::map<std::string, std::string> conf;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) conf[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return conf;
}

class Log {
  public:
    explicit Log(const std::filesystem::path& file) : m_file(std::fopen(file.c_str(), "a")) {}
    ~Log() {
        if (m_file) std::fclose(m_file);
    }
    void Line(const std::string& text) {
        if (!m_file) return;
        std::fprintf(m_file, "%s\n", text.c_str());
        std::fflush(m_file);
    }

  private:
    std::FILE* m_file;
};

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = std::filesystem::path(argv[0]).parent_path();
    auto conf = ReadConf(folder / "standin.conf");
    Log log(folder / "standin.log");
    std::string args = "ARGS";
    for (int i = 1; i < argc; ++i) args += std::string(i == 1 ? " " : "|") + argv[i];
    log.Line(args);

    const char* linkPath = std::getenv(ormidon::kPlayerLinkVariable);
    if (linkPath == nullptr || conf["hello"] == "never") {
        log.Line("NOLINK");
        return 0;
    }
    const uint64_t id = 0x100000000ULL + static_cast<uint64_t>(::getpid());
    const int fd = ormidon::ConnectPlayerLink(linkPath, id);
    if (fd < 0) {
        log.Line("CONNECT failed");
        return 1;
    }
    log.Line("HELLO");
    const std::filesystem::path linkFolder = std::filesystem::path(linkPath).parent_path();
    const uint32_t ackKb = static_cast<uint32_t>(std::strtoul(conf["ack_kb"].c_str(), nullptr, 10));
    const int stopAfter = std::atoi(conf["stop_after_data"].c_str());
    std::string path = argc > 1 ? argv[1] : "";
    int lockFd = -1;
    int fileFd = -1;
    uint64_t announced = 0;
    int dataFrames = 0;
    bool holding = false;

    ormidon::LinkFrameReader reader;
    char buffer[4096];
    bool done = false;
    while (!done) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        reader.Feed(buffer, static_cast<std::size_t>(got), [&](const ormidon::LinkFrame& f) {
            char line[160];
            std::snprintf(line, sizeof line, "FRAME %x %u %llu ", f.message, f.wParam,
                          static_cast<unsigned long long>(f.lParam));
            std::string text = line;
            if (f.message == ormidon::kLinkCopyData) text += ormidon::TextOfPadded(f.data);
            log.Line(text + " len=" + std::to_string(f.data.size()));
            switch (f.message) {
                case ormidon::kLinkCopyData:
                    if (f.lParam == ormidon::kCopyDataBackupMutex) {
                        if (lockFd >= 0) ::close(lockFd);
                        const std::string name =
                            ormidon::TextOfPadded(f.data, ormidon::kBackupMutexBytes);
                        lockFd = ::open((linkFolder / name).c_str(), O_RDWR | O_CLOEXEC);
                    } else if (f.lParam == ormidon::kCopyDataBackupPath) {
                        path = ormidon::TextOfPadded(f.data);
                    }
                    break;
                case ormidon::kLinkStart:
                    if (fileFd >= 0) ::close(fileFd);
                    fileFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                    announced = 0;
                    dataFrames = 0;
                    if (conf["ack"] != "never")
                        ormidon::WriteLinkFrame(fd, {ormidon::kLinkAck,
                                                     ackKb,
                                                     conf["ack_id"] == "wrong" ? id + 1 : id,
                                                     {}});
                    if (conf["stop_reading"] == "1") {
                        log.Line("NOT READING");
                        std::this_thread::sleep_for(std::chrono::seconds(20));
                        done = true;
                    }
                    break;
                case ormidon::kLinkData: {
                    // The download makes the file once its request went out, after START.
                    if (fileFd < 0) fileFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                    announced += f.lParam;
                    ++dataFrames;
                    if (conf["hold_lock"] == "1") {
                        if (!holding && lockFd >= 0 && ::flock(lockFd, LOCK_EX) == 0) {
                            holding = true;
                            log.Line("HOLDING");
                        }
                    } else if (lockFd >= 0 && fileFd >= 0 && ::flock(lockFd, LOCK_EX) == 0) {
                        struct stat st {};
                        ::fstat(fileFd, &st);
                        log.Line(static_cast<uint64_t>(st.st_size) >= announced ? "CHECK ok"
                                                                                : "CHECK bad");
                        ::flock(lockFd, LOCK_UN);
                    }
                    if (stopAfter > 0 && dataFrames == stopAfter)
                        ormidon::WriteLinkFrame(fd, {ormidon::kLinkStop, 0, 0, {}});
                    break;
                }
                case ormidon::kLinkEnd:
                case ormidon::kLinkStop:
                    if (fileFd >= 0) ::close(fileFd);
                    fileFd = -1;
                    break;
                default:
                    break;
            }
        });
        if (reader.Broken()) break;
    }
    log.Line("EXIT");
    return 0;
}
