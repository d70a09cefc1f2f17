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

#include "../support/TempFolder.h"
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
        // Unbuffered, so a poll of the pipe tells whether a line is there.
        if (output != nullptr) setvbuf(output, nullptr, _IONBF, 0);
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
    // The next printed line that contains `text`; empty when none came within `boundMs`.
    std::string LineWith(const std::string& text, int boundMs = 5000) {
        char line[1024];
        pollfd ready{fileno(output), POLLIN, 0};
        while (output != nullptr && poll(&ready, 1, boundMs) == 1 &&
               fgets(line, sizeof line, output) != nullptr) {
            if (std::string(line).find(text) != std::string::npos) return line;
        }
        return {};
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

// A socket bound to a free port of 127.0.0.1; -1 when that fails.
int LoopbackSocket(int type = SOCK_DGRAM) {
    const int fd = socket(AF_INET, type, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends one 76-byte request to the loopback broadcast address, port `port`, from 127.0.0.1.
bool Broadcast(const std::string& port, const uint8_t (&request)[76]) {
    const int sender = LoopbackSocket();
    if (sender < 0) return false;
    const int on = 1;
    setsockopt(sender, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(0x7FFFFFFF);  // 127.255.255.255
    target.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
    const ssize_t sent = sendto(sender, request, sizeof request, 0,
                                reinterpret_cast<sockaddr*>(&target), sizeof target);
    close(sender);
    return sent == static_cast<ssize_t>(sizeof request);
}

// A port of 127.0.0.1 free a moment ago.
uint16_t FreePort(int type = SOCK_DGRAM) {
    const int fd = LoopbackSocket(type);
    const uint16_t port = fd >= 0 ? BoundPort(fd) : 0;
    if (fd >= 0) close(fd);
    return port;
}

}  // namespace

// With --search the program answers a search on the loopback broadcast address: this recorder
// first, at its own address and web port, then two more devices.
TEST(SimProgram, AnswersASearchOnTheLoopbackBroadcast) {
    const char* folder = std::getenv("ORMIDON_PROGRAM_DIR");
    ASSERT_NE(folder, nullptr);
    const std::string program = std::string(folder) + "/ormidon-sim";

    // The answers' port is held from the start; the search port is found free and let go.
    const int answers = LoopbackSocket();
    ASSERT_GE(answers, 0);
    const std::string searchPort = std::to_string(FreePort());
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
    ASSERT_TRUE(Broadcast(searchPort, request));

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
    close(answers);
}

// Every command the program receives is printed as one line, its path and parameters and,
// when it has one, its body; so the demo shows that PTZ, colour and zoom commands arrive.
// Passwords show as "***" and the session cookie by its first 4 characters only.
TEST(SimProgram, PrintsEveryCommandItReceivesWithoutItsSecrets) {
    SimProcess sim({"--port", "0", "--product", "P55K", "--user", "op:Secret7:30"});
    const uint16_t port = static_cast<uint16_t>(sim.Port());
    ASSERT_NE(port, 0u) << sim.firstLine;
    const std::string cookie = simtest::LogIn(port, "op", "Secret7");
    ASSERT_GT(cookie.size(), 4u);
    const std::string shown = cookie.substr(0, 4) + "***";
    simtest::Get(port, "/SetColor.cgi?Cookie=" + cookie + "&Bright=40&Contrast=50");
    simtest::Get(port, "/RS485Cmd.cgi?Cookie=" + cookie, std::string("\xA0\x01\x02", 3));
    // A settings section may hold a password: its bytes are not printed.
    simtest::Get(port, "/SetSysCfg.cgi?Cookie=" + cookie + "&Option=5",
                 std::string("FTPUSER\0Secret7\0", 16));
    simtest::Get(port, "/SearchPlayBack.cgi?searchType=time&Cookie=" + cookie + "&hddNum=ALL");
    simtest::Get(port, "/Getvideo.cgi?Fake=1&Cookie=" + cookie.substr(0, 4));

    std::vector<std::string> lines;
    const auto expect = [&](const std::string& text) {
        lines.push_back(sim.LineWith(text));
        EXPECT_NE(lines.back(), "") << text;
    };
    expect("account: user \"op\" password *** level 30");
    expect("command: /Login.cgi?Username=op&Password=***\n");
    expect("command: /SetColor.cgi?Cookie=" + shown + "&Bright=40&Contrast=50\n");
    expect("command: /RS485Cmd.cgi?Cookie=" + shown + " body 3 bytes a00102\n");
    expect("command: /SetSysCfg.cgi?Cookie=" + shown + "&Option=5 body 16 bytes\n");
    expect("command: /SearchPlayBack.cgi?searchType=time&Cookie=" + shown + "&hddNum=ALL\n");
    expect("playback search: /SearchPlayBack.cgi?searchType=time&Cookie=" + shown +
           "&hddNum=ALL\n");
    expect("command: /Getvideo.cgi?Fake=1&Cookie=***\n");
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("Secret7"), std::string::npos) << line;
        EXPECT_EQ(line.find("53656372657437"), std::string::npos) << line;  // "Secret7" as hex
        EXPECT_EQ(line.find(cookie), std::string::npos) << line;
    }
}

// With --setting the program listens at the loopback address and port that the client's
// Setting.ini names; any other address there gives 127.0.0.1. --address takes a loopback
// address only, and options given later win.
TEST(SimProgram, ListensWhereTheClientsSettingPointsIt) {
    ormidon::test::TempFolder folder;
    const std::string setting = (folder / "Setting.ini").string();
    const auto portOf = [](const std::string& firstLine, const std::string& address) {
        unsigned port = 0;
        const std::string format = "ormidon-sim listening on " + address + ":%u";
        return std::sscanf(firstLine.c_str(), format.c_str(), &port) == 1 ? port : 0u;
    };

    const uint16_t free = FreePort(SOCK_STREAM);
    ormidon::test::WriteFile(setting, "[Ormidon]\r\nServer Name=127.0.0.7\r\nServerPort=" +
                                          std::to_string(free) + "\r\nUsername=op\r\n");
    {
        const int answers = LoopbackSocket();
        ASSERT_GE(answers, 0);
        const std::string searchPort = std::to_string(FreePort());
        SimProcess sim({"--setting", setting, "--user", "op:pw:30", "--search", searchPort,
                        "--search-answer-port", std::to_string(BoundPort(answers))});
        ASSERT_EQ(portOf(sim.firstLine, "127.0.0.7"), free) << sim.firstLine;
        // A GET there; the reply's body.
        const auto get = [free](const std::string& target) {
            const int client = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in there{};
            there.sin_family = AF_INET;
            there.sin_addr.s_addr = htonl(0x7F000007);
            there.sin_port = htons(free);
            std::string reply;
            const std::string request = "GET " + target + " HTTP/1.1\r\n\r\n";
            if (connect(client, reinterpret_cast<sockaddr*>(&there), sizeof there) == 0 &&
                send(client, request.data(), request.size(), MSG_NOSIGNAL) > 0) {
                reply = simtest::BodyOf(simtest::ReadUntilClosed(client, 5000).reply);
            }
            close(client);
            return reply;
        };
        const std::string login = get("/Login.cgi?Username=op&Password=pw");
        const std::size_t id = login.find("Session-ID=");
        ASSERT_NE(id, std::string::npos) << login;
        const std::string cookie = login.substr(id + 11, login.find(';', id) - id - 11);
        // The Network page and the device search show the recorder where it is.
        const std::string ip = get("/GetSysCfg.cgi?Option=IP&Size=24&Cookie=" + cookie);
        ASSERT_EQ(ip.size(), 24u);
        EXPECT_EQ(ip.substr(4, 4), std::string("\x7F\0\0\x07", 4));
        EXPECT_EQ(static_cast<uint8_t>(ip[0x10]) | static_cast<uint8_t>(ip[0x11]) << 8, free);
        ASSERT_NE(sim.LineWith("search responder on"), "");
        uint8_t search[76] = {};
        std::memcpy(search, "KX_SEARCH", 9);
        search[16] = 1;
        ASSERT_TRUE(Broadcast(searchPort, search));
        uint8_t answer[128] = {};
        pollfd wait{answers, POLLIN, 0};
        ASSERT_EQ(poll(&wait, 1, 5000), 1);
        ASSERT_EQ(recv(answers, answer, sizeof answer, 0), 76);
        EXPECT_EQ(std::vector<uint8_t>(answer + 56, answer + 60),
                  (std::vector<uint8_t>{127, 0, 0, 7}));
        EXPECT_EQ(answer[72] | answer[73] << 8, free);
        close(answers);
    }
    {
        // A port given after the file wins over the file's.
        SimProcess sim({"--setting", setting, "--port", "0"});
        EXPECT_NE(portOf(sim.firstLine, "127.0.0.7"), 0u) << sim.firstLine;
        EXPECT_NE(portOf(sim.firstLine, "127.0.0.7"), free) << sim.firstLine;
    }
    ormidon::test::WriteFile(
        setting, "[Ormidon]\nServer Name=192.168.1.10\nServerPort=" + std::to_string(free) + "\n");
    {
        SimProcess sim({"--address", "127.0.0.9", "--setting", setting});
        EXPECT_EQ(portOf(sim.firstLine, "127.0.0.1"), free) << sim.firstLine;
    }
    {
        SimProcess sim({"--setting", setting, "--address", "127.0.0.9", "--port", "0"});
        EXPECT_NE(portOf(sim.firstLine, "127.0.0.9"), 0u) << sim.firstLine;
    }
    for (const char* bad : {"192.168.1.10", "127.0.0", "localhost"}) {
        SimProcess sim({"--address", bad, "--port", "0"});
        EXPECT_EQ(sim.firstLine.rfind("usage:", 0), 0u) << bad << ": " << sim.firstLine;
    }
    SimProcess missing({"--setting", (folder / "none.ini").string(), "--port", "0"});
    EXPECT_EQ(missing.firstLine.rfind("ormidon-sim: cannot read", 0), 0u) << missing.firstLine;
}

// A search's set request to this recorder's MAC moves the recorder: it answers at the new
// loopback address and port as well.
TEST(SimProgram, FollowsAnAddressSetBySearch) {
    const int answers = LoopbackSocket();
    ASSERT_GE(answers, 0);
    const std::string searchPort = std::to_string(FreePort());
    SimProcess sim({"--port", "0", "--mac", "02005E102030", "--user", "op:pw:30", "--search",
                    searchPort, "--search-answer-port", std::to_string(BoundPort(answers))});
    ASSERT_NE(sim.Port(), 0u) << sim.firstLine;
    ASSERT_NE(sim.LineWith("search responder on"), "");

    const uint16_t newPort = FreePort(SOCK_STREAM);
    uint8_t request[76] = {};
    std::memcpy(request, "KX_SET_IP", 9);
    request[16] = 2;
    const uint8_t mac[6] = {0x02, 0x00, 0x5E, 0x10, 0x20, 0x30};
    std::memcpy(request + 18, mac, 6);
    std::memcpy(request + 24, "op", 2);
    std::memcpy(request + 40, "pw", 2);
    const uint8_t settings[16] = {127, 0, 0, 9, 255, 0, 0, 0, 127, 0, 0, 1, 127, 0, 0, 1};
    std::memcpy(request + 56, settings, sizeof settings);
    request[72] = static_cast<uint8_t>(newPort & 0xFF);
    request[73] = static_cast<uint8_t>(newPort >> 8);
    ASSERT_TRUE(Broadcast(searchPort, request));
    EXPECT_NE(
        sim.LineWith("search: the recorder now listens on 127.0.0.9:" + std::to_string(newPort)),
        "");
    // The request is printed with its password field masked, once it was acted on.
    std::string printed;
    for (std::size_t i = 0; i < sizeof request; ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", request[i]);
        printed += i >= 40 && i < 56 ? "**" : two;
    }
    EXPECT_NE(sim.LineWith(" 76 bytes " + printed + "\n"), "");

    const int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in moved{};
    moved.sin_family = AF_INET;
    moved.sin_addr.s_addr = htonl(0x7F000009);
    moved.sin_port = htons(newPort);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&moved), sizeof moved), 0);
    const std::string login = "GET /Login.cgi?Username=op&Password=pw HTTP/1.1\r\n\r\n";
    ASSERT_EQ(send(client, login.data(), login.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(login.size()));
    const simtest::Exchange reply = simtest::ReadUntilClosed(client, 5000);
    EXPECT_EQ(simtest::StatusLineOf(reply.reply), "HTTP/1.1 200 OK");
    close(client);
    close(answers);
}
