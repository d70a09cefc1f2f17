#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "RawHttp.h"

namespace {

// Runs ormidon-sim with `arguments`; its first line of output, or empty when it printed none.
struct SimProcess {
    pid_t pid = -1;
    FILE* output = nullptr;
    std::string firstLine;

    explicit SimProcess(std::vector<std::string> arguments) {
        const char* folder = std::getenv("ORMIDON_PROGRAM_DIR");
        if (folder == nullptr) return;
        const std::string program = std::string(folder) + "/ormidon-sim";
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            dup2(pipeEnds[1], STDERR_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            std::vector<char*> argv = {const_cast<char*>(program.c_str())};
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(pipeEnds[1]);
        output = fdopen(pipeEnds[0], "r");
        char line[512] = {};
        if (output != nullptr && fgets(line, sizeof line, output) != nullptr) firstLine = line;
    }
    ~SimProcess() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (output != nullptr) fclose(output);
    }
    unsigned Port() const {
        unsigned port = 0;
        return std::sscanf(firstLine.c_str(), "ormidon-sim listening on 127.0.0.1:%u", &port) == 1
                   ? port
                   : 0;
    }
};

}  // namespace

// The ormidon-sim program starts from the build and answers a login from any HTTP client.
TEST(SimProgram, StartsAnswersALoginAndEndsOnSigterm) {
    const char* folder = std::getenv("ORMIDON_PROGRAM_DIR");
    ASSERT_NE(folder, nullptr);
    const std::string program = std::string(folder) + "/ormidon-sim";

    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execl(program.c_str(), program.c_str(), "--port", "0", "--product", "N27V", "--user",
              "op:pw:20", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    FILE* lines = fdopen(output[0], "r");
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, lines), nullptr);
    unsigned port = 0;
    ASSERT_EQ(std::sscanf(line, "ormidon-sim listening on 127.0.0.1:%u", &port), 1) << line;

    auto exchange = simtest::Get(static_cast<uint16_t>(port), "/Login.cgi?Username=op&Password=pw");
    EXPECT_EQ(simtest::StatusLineOf(exchange.reply), "HTTP/1.1 200 OK");
    EXPECT_NE(exchange.reply.find("Product-ID=N27V;"), std::string::npos);

    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    fclose(lines);
}

// Every product the client knows starts, with the PTZ cameras it was given on its bus; a
// product it does not know, or a malformed camera, is refused with the usage.
TEST(SimProgram, StartsAsEveryProductWithItsPtzCameras) {
    ASSERT_NE(std::getenv("ORMIDON_PROGRAM_DIR"), nullptr);
    for (const char* product : {"P51K", "P53K", "P55K", "P62K", "T18D", "N27V", "N25V", "N23V"}) {
        SimProcess sim({"--port", "0", "--product", product, "--firmware", "1080", "--capability",
                        "3", "--user", "op:pw:30", "--ptz", "1", "--ptz", "7:1:1"});
        const unsigned port = sim.Port();
        ASSERT_NE(port, 0u) << product << ": " << sim.firstLine;
        const std::string cookie = simtest::LogIn(static_cast<uint16_t>(port), "op", "pw");
        ASSERT_FALSE(cookie.empty()) << product;
        const auto info =
            simtest::Get(static_cast<uint16_t>(port), "/Login.cgi?Username=op&Password=pw");
        EXPECT_NE(info.reply.find(std::string("Product-ID=") + product + ";"), std::string::npos);
        EXPECT_NE(info.reply.find("Firmware-Version=1080;"), std::string::npos);
        const auto ptz =
            simtest::Get(static_cast<uint16_t>(port), "/PTZReset.cgi?Cookie=" + cookie);
        EXPECT_EQ(simtest::BodyOf(ptz.reply),
                  "SLAVENUM=2;SID=1;STYPE=1;SPROTOCOL=0;SID=7;STYPE=1;SPROTOCOL=1;")
            << product;
        // The capability word sits at offset 20 of "INF".
        const auto inf = simtest::Get(static_cast<uint16_t>(port),
                                      "/GetSysCfg.cgi?Option=INF&Size=44&Cookie=" + cookie);
        const std::string section = simtest::BodyOf(inf.reply);
        ASSERT_EQ(section.size(), 44u) << product;
        EXPECT_EQ(section.substr(20, 4), std::string("\x03\0\0\0", 4)) << product;
    }
    for (const char* bad : {"--product=X", "--ptz=0", "--ptz=3:1:2", "--ptz=3:1:0:4", "--ptz=a"}) {
        const std::string option(bad);
        const std::size_t equals = option.find('=');
        SimProcess sim({"--port", "0", option.substr(0, equals), option.substr(equals + 1)});
        EXPECT_EQ(sim.Port(), 0u) << bad;
        EXPECT_EQ(sim.firstLine.rfind("usage:", 0), 0u) << bad << ": " << sim.firstLine;
    }
}

namespace {

uint16_t BoundPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

}  // namespace

// With --search the program answers a search on the loopback broadcast address: this recorder
// first, at its own address and web port, then two more devices.
TEST(SimProgram, AnswersASearchOnTheLoopbackBroadcast) {
    const char* folder = std::getenv("ORMIDON_PROGRAM_DIR");
    ASSERT_NE(folder, nullptr);
    const std::string program = std::string(folder) + "/ormidon-sim";

    // The answers' port is held from the start; the search port is found free and let go.
    const int answers = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(answers, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    const int probe = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    const std::string searchPort = std::to_string(BoundPort(probe));
    close(probe);
    const std::string answerPort = std::to_string(BoundPort(answers));

    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execl(program.c_str(), program.c_str(), "--port", "0", "--search", searchPort.c_str(),
              "--search-answer-port", answerPort.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    FILE* lines = fdopen(output[0], "r");
    char line[512] = {};
    unsigned webPort = 0;
    bool listening = false;
    while (fgets(line, sizeof line, lines) != nullptr) {
        std::sscanf(line, "ormidon-sim listening on 127.0.0.1:%u", &webPort);
        if (std::string(line).rfind("search responder on 127.255.255.255:", 0) == 0) {
            listening = true;
            break;
        }
    }
    ASSERT_TRUE(listening);

    uint8_t request[76] = {};
    std::memcpy(request, "KX_SEARCH", 9);
    request[16] = 1;
    const int sender = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    setsockopt(sender, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ASSERT_EQ(bind(sender, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(0x7FFFFFFF);  // 127.255.255.255
    target.sin_port = htons(static_cast<uint16_t>(std::stoi(searchPort)));
    ASSERT_EQ(sendto(sender, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&target),
                     sizeof target),
              76);

    std::vector<std::vector<uint8_t>> received;
    pollfd wait{answers, POLLIN, 0};
    while (received.size() < 3 && poll(&wait, 1, 5000) == 1) {
        uint8_t buffer[128];
        const ssize_t n = recv(answers, buffer, sizeof buffer, 0);
        if (n > 0) received.emplace_back(buffer, buffer + n);
    }
    ASSERT_EQ(received.size(), 3u);
    for (const auto& answer : received) EXPECT_EQ(answer.size(), 76u);
    EXPECT_EQ(std::vector<uint8_t>(received[0].begin() + 56, received[0].begin() + 60),
              (std::vector<uint8_t>{127, 0, 0, 1}));
    EXPECT_EQ(received[0][72] | received[0][73] << 8, static_cast<int>(webPort));
    // Every datagram is printed.
    ASSERT_NE(fgets(line, sizeof line, lines), nullptr);
    EXPECT_EQ(std::string(line).rfind("search: from 127.0.0.1:", 0), 0u) << line;

    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    fclose(lines);
    close(sender);
    close(answers);
}
