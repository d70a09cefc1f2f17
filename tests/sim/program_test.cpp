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
