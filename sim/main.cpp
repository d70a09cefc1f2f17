// ormidon-sim: runs the simulated recorder on a loopback address until it is interrupted.
//
//   ormidon-sim [--setting FILE] [--address 127.A.B.C] [--port N] [--product ID]
//               [--firmware NNNN] [--capability N] [--mac HEX12] [--host-name NAME]
//               [--user NAME:PASSWORD[:LEVEL]]... [--max-sessions N]
//               [--device-info KEY=VALUE]... [--fps N] [--size WxH]
//               [--ptz ADDRESS[:TYPE[:PROTOCOL]]]...
//               [--search PORT] [--search-answer-port PORT] [--log-records N]
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ClientSetting.h"
#include "sim/DottedAddress.h"
#include "sim/ListedSearchDevices.h"
#include "sim/MaskedLog.h"
#include "sim/SearchResponder.h"
#include "sim/SimulatedRecorder.h"

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: ormidon-sim [--setting FILE] [--address 127.A.B.C] [--port N]\n"
        "                   [--product ID] [--firmware NNNN] [--mac HEX12]\n"
        "                   [--host-name NAME] [--user NAME:PASSWORD[:LEVEL]]...\n"
        "                   [--max-sessions N] [--fps N] [--size WxH]\n"
        "                   [--device-info KEY=VALUE]...\n"
        "                   [--ptz ADDRESS[:TYPE[:PROTOCOL]]]...\n"
        "                   [--search PORT] [--search-answer-port PORT] [--log-records N]\n"
        "The recorder listens on 127.0.0.1:8080 unless told otherwise. --address takes a\n"
        "loopback address. --setting takes the address and port from the client's\n"
        "Setting.ini (\"Server Name\" and \"ServerPort\" of [Ormidon]), the address only\n"
        "when it is a loopback address (else 127.0.0.1); options given later win.\n"
        "Port 0 picks a free port. Products: P51K P53K P55K P62K T18D N27V N25V N23V.\n"
        "--fps 0 streams as fast as the client takes the frames; --size overrides the\n"
        "picture size of the product's video mode and resolution. --device-info sets\n"
        "a key of the device-information answer (LINKDEVICE=14, ...).\n"
        "--ptz puts a camera on the RS-485 bus that \"/PTZReset.cgi\" reports: its address\n"
        "(1-255), type (1 PTZ camera, the default, or a device kind) and protocol (1 Pelco).\n"
        "--search answers device searches sent to 127.255.255.255:PORT (the devices\n"
        "use 7777) at 127.0.0.1:3332 or the given answer port: this recorder and two\n"
        "more devices at 127.0.0.31 and 127.0.0.32, where nothing listens, with its\n"
        "accounts; every datagram is printed.\n"
        "--log-records fills the event log with that many records of the family's events.\n");
    return 2;
}

bool ParseNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= low && value <= high;
}

// "WxH", each side 1 to 4096.
bool ParseSize(const char* text, int& width, int& height) {
    char end = 0;
    return std::sscanf(text, "%dx%d%c", &width, &height, &end) == 2 && width > 0 && width <= 4096 &&
           height > 0 && height <= 4096;
}

constexpr std::string_view kProducts[] = {"P51K", "P53K", "P55K", "P62K",
                                          "T18D", "N27V", "N25V", "N23V"};

bool KnownProduct(std::string_view product) {
    for (std::string_view known : kProducts) {
        if (product == known) return true;
    }
    return false;
}

// "ADDRESS[:TYPE[:PROTOCOL]]": address 1-255, type 0-255 (1 when left out), protocol 0 or 1.
bool ParsePtzCamera(std::string_view text, ormidon::sim::PtzSlaveEntry& camera) {
    long values[3] = {0, 1, 0};
    const long highs[3] = {255, 255, 1};
    const long lows[3] = {1, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const std::size_t colon = text.find(':');
        const std::string part(text.substr(0, colon));
        if (!ParseNumber(part.c_str(), lows[i], highs[i], values[i])) return false;
        if (colon == std::string_view::npos) break;
        if (i == 2) return false;
        text = text.substr(colon + 1);
    }
    camera = {static_cast<int>(values[0]), static_cast<int>(values[1]),
              static_cast<int>(values[2])};
    return true;
}

bool ParseAccount(std::string_view text, ormidon::sim::Account& account) {
    const std::size_t first = text.find(':');
    if (first == std::string_view::npos || first == 0) return false;
    account.userName = std::string(text.substr(0, first));
    std::string_view rest = text.substr(first + 1);
    const std::size_t second = rest.find(':');
    account.password = std::string(rest.substr(0, second));
    account.level = 30;
    if (second == std::string_view::npos) return true;
    long level = 0;
    const std::string levelText(rest.substr(second + 1));
    if (!ParseNumber(levelText.c_str(), 0, 255, level)) return false;
    account.level = static_cast<int>(level);
    return true;
}

void PrintDatagram(const ormidon::sim::SearchResponder::LogEntry& entry) {
    std::printf("search: %s %s %zu bytes %s\n", entry.received ? "from" : "to", entry.peer.c_str(),
                entry.bytes.size(), ormidon::sim::MaskedSearchHex(entry.bytes).c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    ormidon::sim::RecorderSetup setup;
    std::vector<ormidon::sim::Account> accounts;
    std::vector<std::pair<std::string, std::string>> deviceInfo;
    std::vector<ormidon::sim::PtzSlaveEntry> cameras;
    ormidon::sim::VideoSetup video;
    long port = 8080;
    uint32_t listenAddress = ormidon::sim::HttpServer::kLoopback;
    long searchPort = -1;
    long searchAnswerPort = 3332;
    long logRecords = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") return Usage(), 0;
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        long number = 0;
        if (option == "--port" && ParseNumber(value, 0, 65535, number)) {
            port = number;
        } else if (option == "--address") {
            const std::optional<uint32_t> loopback = ormidon::sim::ParseLoopbackAddress(value);
            if (!loopback) return Usage();
            listenAddress = *loopback;
        } else if (option == "--setting") {
            const auto where = ormidon::sim::ReadClientSetting(value);
            if (!where) {
                std::fprintf(stderr, "ormidon-sim: cannot read %s\n", value);
                return 2;
            }
            listenAddress = where->address;
            if (where->port) port = *where->port;
        } else if (option == "--search" && ParseNumber(value, 1, 65535, number)) {
            searchPort = number;
        } else if (option == "--search-answer-port" && ParseNumber(value, 1, 65535, number)) {
            searchAnswerPort = number;
        } else if (option == "--product" && KnownProduct(value)) {
            setup.identity.productId = value;
        } else if (option == "--ptz") {
            ormidon::sim::PtzSlaveEntry camera;
            if (!ParsePtzCamera(value, camera)) return Usage();
            cameras.push_back(camera);
        } else if (option == "--firmware" && std::strlen(value) == 4) {
            setup.identity.firmwareVersion = value;
        } else if (option == "--capability" && ParseNumber(value, 0, 0x7FFFFFFF, number)) {
            setup.identity.capability = static_cast<uint32_t>(number);
        } else if (option == "--mac" && std::strlen(value) == 12) {
            setup.identity.macAddress = value;
        } else if (option == "--host-name") {
            setup.identity.hostName = value;
        } else if (option == "--max-sessions" && ParseNumber(value, 0, 1000000, number)) {
            setup.maxSessions = static_cast<std::size_t>(number);
        } else if (option == "--log-records" && ParseNumber(value, 0, 100000, number)) {
            logRecords = number;
        } else if (option == "--fps" && ParseNumber(value, 0, 1000, number)) {
            video.framesPerSecond = static_cast<int>(number);
        } else if (option == "--size") {
            if (!ParseSize(value, video.width, video.height)) return Usage();
        } else if (option == "--device-info") {
            const std::string_view entry = value;
            const std::size_t equals = entry.find('=');
            if (equals == std::string_view::npos || equals == 0) return Usage();
            deviceInfo.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
        } else if (option == "--user") {
            ormidon::sim::Account account;
            if (!ParseAccount(value, account)) return Usage();
            accounts.push_back(account);
        } else {
            return Usage();
        }
    }
    if (!accounts.empty()) setup.accounts = accounts;

    // Whoever started the recorder may stop reading what it prints: a print then fails
    // quietly instead of ending the recorder.
    signal(SIGPIPE, SIG_IGN);

    // The signals are taken by sigwait below, never by a handler in some other thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    ormidon::sim::SimulatedRecorder recorder(setup);
    for (const auto& [key, entryValue] : deviceInfo) recorder.SetDeviceInfo(key, entryValue);
    recorder.Controls().SetPtzSlaves(cameras);
    recorder.Video().SetSetup(video);
    if (logRecords >= 0) recorder.Events().Generate(static_cast<std::size_t>(logRecords));
    recorder.Recordings().SetPlaybackSearchListener([](const std::string& target) {
        std::printf("playback search: %s\n", ormidon::sim::MaskedTarget(target).c_str());
        std::fflush(stdout);
    });
    // Every command, as its path and parameters (PTZ, colour, settings, ...). The live
    // stream's pictures and the replies are not printed, nor passwords and whole cookies.
    recorder.Server().SetRequestListener([](const ormidon::sim::HttpRequest& request) {
        std::string line = "command: " + ormidon::sim::MaskedTarget(request.target);
        if (!request.body.empty()) {
            // A body as its length; the bytes of an RS-485 command as hex, its first 64. A
            // settings section's bytes are not shown: several hold passwords.
            line += " body " + std::to_string(request.body.size()) + " bytes";
            if (request.path == "/RS485Cmd.cgi") line += ' ';
            for (std::size_t i = 0;
                 request.path == "/RS485Cmd.cgi" && i < request.body.size() && i < 64; ++i) {
                char two[3];
                std::snprintf(two, sizeof two, "%02x", static_cast<uint8_t>(request.body[i]));
                line += two;
            }
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    });
    if (!recorder.Start(static_cast<uint16_t>(port), listenAddress)) {
        std::fprintf(stderr, "ormidon-sim: cannot listen on %s:%ld\n",
                     ormidon::sim::DottedAddress(listenAddress).c_str(), port);
        return 1;
    }
    std::printf("ormidon-sim listening on %s:%u (product %s, firmware %s)\n",
                ormidon::sim::DottedAddress(recorder.Address()).c_str(), recorder.Port(),
                setup.identity.productId.c_str(), setup.identity.firmwareVersion.c_str());
    for (const auto& account : setup.accounts) {
        std::printf("account: user \"%s\" password *** level %d\n", account.userName.c_str(),
                    account.level);
    }
    for (const auto& camera : cameras) {
        std::printf("PTZ camera: address %d type %d protocol %d\n", camera.address, camera.type,
                    camera.protocol);
    }
    std::fflush(stdout);

    ormidon::sim::SearchResponder responder;
    if (searchPort > 0) {
        for (const auto& device :
             ormidon::sim::ListedSearchDevices(setup, recorder.Address(), recorder.Port())) {
            responder.AddDevice(device);
        }
        ormidon::sim::SearchResponder::Setup where;
        where.port = static_cast<uint16_t>(searchPort);
        where.answerPort = static_cast<uint16_t>(searchAnswerPort);
        where.onLog = PrintDatagram;
        // The recorder itself follows a new loopback address or web port given by a search's
        // set request, as it does for the Network page.
        where.onSetting = [&recorder](std::size_t index, const ormidon::sim::SearchDevice& device) {
            if (index != 0) return;
            const auto& a = device.address;
            uint32_t address = static_cast<uint32_t>(a[0]) << 24 |
                               static_cast<uint32_t>(a[1]) << 16 |
                               static_cast<uint32_t>(a[2]) << 8 | a[3];
            if ((address >> 24) != 127) address = 0x7F000001;
            if (recorder.Follow(address, device.webPort)) {
                std::printf("search: the recorder now listens on %s:%u\n",
                            ormidon::sim::DottedAddress(address).c_str(), device.webPort);
                std::fflush(stdout);
            }
        };
        if (responder.Start(where)) {
            std::printf("search responder on %s:%ld, answers to port %ld\n",
                        where.listenAddress.c_str(), searchPort, searchAnswerPort);
        } else {
            // The recorder itself still serves; only searches go unanswered.
            std::printf("no search responder: cannot listen on %s:%ld\n",
                        where.listenAddress.c_str(), searchPort);
        }
        std::fflush(stdout);
    }

    int received = 0;
    sigwait(&signals, &received);
    responder.Stop();
    recorder.Stop();
    return 0;
}
