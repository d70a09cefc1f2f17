// Nothing the simulated recorder hands out leads off this computer: for every product, each
// device its search lists and every address in its answers (network, DNS, mail, FTP and time
// servers, the dynamic-DNS host name, mailboxes, event texts) is on 127.0.0.0/8.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RawHttp.h"
#include "sim/ListedSearchDevices.h"
#include "sim/SearchResponder.h"
#include "sim/SimulatedRecorder.h"

namespace {

using ormidon::sim::MailFromTail;

// The products that `ormidon-sim --help` names ("Products: P51K ... N23V.").
std::vector<std::string> ProgramProducts() {
    const char* folder = std::getenv("ORMIDON_PROGRAM_DIR");
    if (folder == nullptr) return {};
    const std::string command = std::string(folder) + "/ormidon-sim --help 2>&1";
    FILE* help = popen(command.c_str(), "r");
    if (help == nullptr) return {};
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, help) != nullptr) text += buffer;
    pclose(help);
    std::vector<std::string> products;
    const std::size_t start = text.find("Products:");
    if (start == std::string::npos) return {};
    const std::size_t end = text.find('.', start);
    std::string word;
    for (char c : text.substr(start + 9, end - start - 9) + ' ') {
        if (c == ' ' || c == '\n') {
            if (!word.empty()) products.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return products;
}

// The four numbers of "a.b.c.d" (each 0-255, digits only); nothing for any other text.
std::optional<std::vector<int>> DottedNumbers(std::string_view text) {
    std::vector<int> numbers;
    int value = -1;
    for (char c : std::string(text) + '.') {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 255) return std::nullopt;
        } else if (c == '.' && value >= 0) {
            numbers.push_back(value);
            value = -1;
        } else {
            return std::nullopt;
        }
    }
    if (numbers.size() != 4) return std::nullopt;
    return numbers;
}

bool IsLoopbackText(std::string_view text) {
    const auto numbers = DottedNumbers(text);
    return numbers && (*numbers)[0] == 127;
}

// A mailbox on this computer: "name@localhost" or "name@<loopback address>".
bool IsLocalMailbox(std::string_view text) {
    const std::size_t at = text.rfind('@');
    if (at == std::string_view::npos || at == 0) return false;
    const std::string_view domain = text.substr(at + 1);
    return domain == "localhost" || IsLoopbackText(domain);
}

// The zero-ended text of a field.
std::string Text(const std::string& block, std::size_t at, std::size_t width) {
    const std::string field = block.substr(at, width);
    return field.substr(0, field.find('\0'));
}

std::string AddressAt(const std::string& block, std::size_t at) {
    return std::to_string(static_cast<uint8_t>(block[at])) + "." +
           std::to_string(static_cast<uint8_t>(block[at + 1])) + "." +
           std::to_string(static_cast<uint8_t>(block[at + 2])) + "." +
           std::to_string(static_cast<uint8_t>(block[at + 3]));
}

TEST(LoopbackAddresses, EveryAddressTheRecorderHandsOutIsOnThisComputer) {
    const std::vector<std::string> products = ProgramProducts();
    ASSERT_GE(products.size(), 8u);
    int addressTexts = 0;
    for (const std::string& product : products) {
        // Older firmware keeps the whole sender in SMTP; newer continues it in SNTP or SYSTEM.
        for (const char* firmware : {"1000", "1060"}) {
            SCOPED_TRACE(product + " " + firmware);
            ormidon::sim::RecorderSetup setup;
            setup.identity.productId = product;
            setup.identity.firmwareVersion = firmware;
            ormidon::sim::SimulatedRecorder recorder(setup);
            recorder.Events().Generate(200);
            ASSERT_TRUE(recorder.Start());
            const uint16_t port = recorder.Port();
            const std::string cookie = simtest::LogIn(port);
            ASSERT_FALSE(cookie.empty());
            const auto section = [&](const char* name) {
                return simtest::BodyOf(simtest::Get(port, std::string("/GetSysCfg.cgi?Option=") +
                                                              name + "&Cookie=" + cookie)
                                           .reply);
            };

            const std::string ip = section("IP");
            ASSERT_EQ(ip.size(), 24u);
            EXPECT_TRUE(IsLoopbackText(AddressAt(ip, 0x04))) << AddressAt(ip, 0x04);
            EXPECT_TRUE(IsLoopbackText(AddressAt(ip, 0x0C))) << "gateway " << AddressAt(ip, 0x0C);
            const std::string dns = section("DNS");
            ASSERT_EQ(dns.size(), 12u);
            EXPECT_TRUE(IsLoopbackText(AddressAt(dns, 0x04))) << "DNS " << AddressAt(dns, 0x04);

            const std::string smtp = section("SMTP");
            const std::string sntp = section("SNTP");
            const std::string system = section("SYSTEM");
            ASSERT_EQ(smtp.size(), 440u);
            ASSERT_EQ(sntp.size(), 36u);
            ASSERT_EQ(system.size(), 36u);
            EXPECT_TRUE(IsLoopbackText(Text(smtp, 0x08, 64))) << "mail " << Text(smtp, 0x08, 64);
            // The host name the client turns to after a switch to PPPoE or DHCP.
            EXPECT_TRUE(IsLoopbackText(Text(smtp, 0x148, 48))) << "DDNS " << Text(smtp, 0x148, 48);
            const MailFromTail tail = ormidon::sim::MailFromTailOf(setup.identity);
            std::string sender = Text(smtp, 0x48, 16);
            if (tail == MailFromTail::Sntp) sender += Text(sntp, 0x08, 28);
            if (tail == MailFromTail::System) sender += Text(system, 0x04, 32);
            EXPECT_TRUE(IsLocalMailbox(sender)) << sender;
            for (std::size_t entry = 0; entry < 4; ++entry) {
                const std::string mailbox = Text(smtp, 0x88 + 48 * entry, 48);
                EXPECT_TRUE(mailbox.empty() || IsLocalMailbox(mailbox)) << mailbox;
            }
            if (tail != MailFromTail::Sntp) {
                const std::string timeServer = Text(sntp, 0x08, 28);
                EXPECT_TRUE(timeServer.empty() || IsLoopbackText(timeServer)) << timeServer;
            }
            const std::string ftp = section("FTP");
            ASSERT_EQ(ftp.size(), 104u);
            EXPECT_TRUE(IsLoopbackText(Text(ftp, 0x04, 32))) << "FTP " << Text(ftp, 0x04, 32);

            // Event texts that name an address: a remote login's source.
            recorder.Events().SetPageRecords(200);
            const std::string log = simtest::BodyOf(
                simtest::Get(port, "/Getlog.cgi?STATE=LAST&Cookie=" + cookie).reply);
            ASSERT_EQ(log.size(), 200u * 32);
            for (std::size_t record = 0; record < 200; ++record) {
                const std::string text = Text(log, 32 * record + 11, 16);
                if (!DottedNumbers(text)) continue;
                ++addressTexts;
                EXPECT_TRUE(IsLoopbackText(text)) << "event " << record << ": " << text;
            }

            // The search lists this recorder and the others as they answer on the wire.
            const auto devices =
                ormidon::sim::ListedSearchDevices(setup, recorder.Address(), recorder.Port());
            ASSERT_EQ(devices.size(), 3u);
            for (const auto& device : devices) {
                const auto record = ormidon::sim::SearchResponder::SearchAnswer(device);
                const std::string bytes(record.begin(), record.end());
                for (std::size_t at : {56u, 64u, 68u}) {  // address, gateway, DNS server
                    EXPECT_TRUE(IsLoopbackText(AddressAt(bytes, at)))
                        << "search answer byte " << at << ": " << AddressAt(bytes, at);
                }
            }
        }
    }
    EXPECT_GT(addressTexts, 0);
}

}  // namespace
