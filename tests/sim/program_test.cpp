#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
