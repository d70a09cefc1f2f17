// The device search with its real defaults, broadcast to 255.255.255.255, inside a network
// namespace that the test makes with unshare: the loopback up and a veth pair carrying a
// test address (or, where veth is refused, that address on the loopback). Where no such
// namespace can be made, the test is skipped with the reason.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct CommandRun {
    int status = -1;
    std::string output;
};

CommandRun RunCommand(const std::string& command) {
    CommandRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.output += buffer.data();
    run.status = pclose(pipe);
    return run;
}

TEST(SearchNamespaceTest, TheDefaultsFindTheResponder) {
    const std::string helper = SEARCH_NETNS_HELPER;
    const std::string script =
        "set -e; ip link set lo up; "
        "if ip link add v0 type veth peer name v1 2>/dev/null; then "
        "  ip addr add 192.0.2.10/24 dev v0; ip link set v1 up; ip link set v0 up; "
        "  ip route add default dev v0; "
        "else ip addr add 192.0.2.10/32 dev lo; ip route add default dev lo; fi; "
        "echo NAMESPACE-READY; exec '" +
        helper + "'";
    const CommandRun run = RunCommand("unshare -Urn sh -c \"" + script + "\"");
    if (run.output.find("NAMESPACE-READY") == std::string::npos) {
        GTEST_SKIP() << "no network namespace could be made here: " << run.output;
    }
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.output;
    EXPECT_NE(run.output.find("PASSED"), std::string::npos) << run.output;
}

}  // namespace
