#include "sim/SearchResponder.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "sim/DottedAddress.h"

namespace ormidon::sim {

namespace {

constexpr std::size_t kRecordSize = 76;
constexpr std::size_t kCommandAt = 0, kCodeAt = 16, kResultAt = 17, kMacAt = 18, kUserAt = 24,
                      kPasswordAt = 40, kAddressAt = 56, kMaskAt = 60, kGatewayAt = 64, kDnsAt = 68,
                      kPortAt = 72;

std::string_view TextField(const uint8_t* record, std::size_t at) {
    const char* text = reinterpret_cast<const char*>(record + at);
    return {text, strnlen(text, 16)};
}

std::string PeerText(uint32_t address, uint16_t port) {
    return DottedAddress(address) + ":" + std::to_string(port);
}

}  // namespace

SearchResponder::SearchResponder() = default;

SearchResponder::~SearchResponder() { Stop(); }

bool SearchResponder::Start(const Setup& setup) {
    if (m_thread.joinable()) return false;
    m_setup = setup;
    m_listen = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    m_send = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(setup.port);
    socklen_t length = sizeof local;
    if (m_listen < 0 || m_send < 0 ||
        inet_pton(AF_INET, setup.listenAddress.c_str(), &local.sin_addr) != 1 ||
        bind(m_listen, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        if (m_listen >= 0) close(m_listen);
        if (m_send >= 0) close(m_send);
        m_listen = m_send = -1;
        return false;
    }
    m_port = ntohs(local.sin_port);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void SearchResponder::Stop() {
    if (!m_thread.joinable()) return;
    m_stop.Stop();
    m_thread.join();
    close(m_listen);
    close(m_send);
    m_listen = m_send = -1;
}

void SearchResponder::AddDevice(const SearchDevice& device) {
    std::lock_guard lock(m_mutex);
    m_devices.push_back(device);
    m_defaults.push_back(device);
}

std::vector<SearchDevice> SearchResponder::Devices() const {
    std::lock_guard lock(m_mutex);
    return m_devices;
}

void SearchResponder::AddSearchExtra(std::vector<uint8_t> datagram) {
    std::lock_guard lock(m_mutex);
    m_extras.push_back(std::move(datagram));
}

void SearchResponder::SetForeignAnswerFirst(bool foreign) {
    std::lock_guard lock(m_mutex);
    m_foreignFirst = foreign;
}

std::vector<SearchResponder::LogEntry> SearchResponder::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

bool SearchResponder::WaitForReceived(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_mutex);
    return m_logged.wait_for(lock, limit, [&] { return m_received >= count; });
}

SearchRecord SearchResponder::SearchAnswer(const SearchDevice& device) {
    SearchRecord record{};
    std::memcpy(record.data() + kCommandAt, "KX_SEARCH", 9);
    record[kCodeAt] = 1;
    record[kResultAt] = device.typeLetter;
    std::copy(device.mac.begin(), device.mac.end(), record.begin() + kMacAt);
    std::copy(device.address.begin(), device.address.end(), record.begin() + kAddressAt);
    std::copy(device.netMask.begin(), device.netMask.end(), record.begin() + kMaskAt);
    std::copy(device.gateway.begin(), device.gateway.end(), record.begin() + kGatewayAt);
    std::copy(device.dns.begin(), device.dns.end(), record.begin() + kDnsAt);
    record[kPortAt] = static_cast<uint8_t>(device.webPort);
    record[kPortAt + 1] = static_cast<uint8_t>(device.webPort >> 8);
    return record;
}

void SearchResponder::Run() {
    for (;;) {
        int timeoutMs = -1;
        {
            std::lock_guard lock(m_mutex);
            if (!m_pending.empty()) {
                const auto next = std::min_element(
                    m_pending.begin(), m_pending.end(),
                    [](const Pending& a, const Pending& b) { return a.due < b.due; });
                const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
                    next->due - std::chrono::steady_clock::now());
                timeoutMs = static_cast<int>(std::max<int64_t>(wait.count(), 0));
            }
        }
        pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_stop.Fd(), POLLIN, 0}};
        const int ready = poll(fds, 2, timeoutMs);
        if (m_stop.Stopped()) return;
        if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
            uint8_t buffer[2048];
            sockaddr_in sender{};
            socklen_t length = sizeof sender;
            const ssize_t n = recvfrom(m_listen, buffer, sizeof buffer, MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&sender), &length);
            if (n >= 0) {
                OnRequest(buffer, static_cast<std::size_t>(n), ntohl(sender.sin_addr.s_addr),
                          ntohs(sender.sin_port));
            }
        }
        SendDue();
    }
}

void SearchResponder::OnRequest(const uint8_t* data, std::size_t size, uint32_t sender,
                                uint16_t senderPort) {
    // Logged once its answers are scheduled, so a test that saw it received knows which
    // devices answer it.
    struct LogOnLeave {
        SearchResponder* self;
        const uint8_t* data;
        std::size_t size;
        uint32_t sender;
        uint16_t port;
        ~LogOnLeave() { self->Record(true, sender, port, data, size); }
    } logOnLeave{this, data, size, sender, senderPort};
    if (size != kRecordSize || !MayAnswer(sender)) return;
    SearchRecord request;
    std::copy(data, data + kRecordSize, request.begin());
    const std::string_view keyword = TextField(request.data(), kCommandAt);
    const uint8_t code = request[kCodeAt];

    std::unique_lock lock(m_mutex);
    if (keyword == "KX_SEARCH" && code == 1) {
        for (const auto& extra : m_extras) m_pending.push_back({{}, sender, extra});
        for (const SearchDevice& device : m_devices) {
            const SearchRecord answer = SearchAnswer(device);
            const auto due = std::chrono::steady_clock::now() + device.delay;
            for (int i = device.answerTwice ? 2 : 1; i > 0; --i) {
                m_pending.push_back({due, sender, {answer.begin(), answer.end()}});
            }
        }
        return;
    }
    const bool set = keyword == "KX_SET_IP" && code == 2;
    const bool reset = keyword == "KX_RESET" && code == 3;
    if (!set && !reset) return;
    if (m_foreignFirst) {
        SearchDevice stranger;
        stranger.mac = {0x02, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
        SearchRecord answer = SearchAnswer(stranger);
        answer[kResultAt] = 1;
        m_pending.push_back({{}, sender, {answer.begin(), answer.end()}});
    }
    std::vector<std::pair<std::size_t, SearchDevice>> changed;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        SearchDevice& device = m_devices[i];
        if (!std::equal(device.mac.begin(), device.mac.end(), request.begin() + kMacAt)) continue;
        if (device.silentOnSetting) continue;
        const uint8_t result = ApplySetting(device, i, request);
        if (result == 1) changed.emplace_back(i, device);
        SearchRecord answer = SearchAnswer(device);
        std::copy(request.begin(), request.begin() + 17, answer.begin());
        answer[kResultAt] = result;
        m_pending.push_back({std::chrono::steady_clock::now() + device.delay,
                             sender,
                             {answer.begin(), answer.end()}});
    }
    lock.unlock();
    if (m_setup.onSetting) {
        for (const auto& [index, device] : changed) m_setup.onSetting(index, device);
    }
}

uint8_t SearchResponder::ApplySetting(SearchDevice& device, std::size_t index,
                                      const SearchRecord& request) {
    uint8_t result = 1;
    if (device.forcedResult) {
        result = *device.forcedResult;
    } else if (TextField(request.data(), kUserAt) != device.user ||
               TextField(request.data(), kPasswordAt) != device.password) {
        result = 0;
    } else if (!device.staticAddress) {
        result = 2;
    }
    if (result != 1) return result;
    if (request[kCodeAt] == 3) {
        device = m_defaults[index];
        return result;
    }
    std::copy_n(request.begin() + kAddressAt, 4, device.address.begin());
    std::copy_n(request.begin() + kMaskAt, 4, device.netMask.begin());
    std::copy_n(request.begin() + kGatewayAt, 4, device.gateway.begin());
    std::copy_n(request.begin() + kDnsAt, 4, device.dns.begin());
    device.webPort = static_cast<uint16_t>(request[kPortAt] | request[kPortAt + 1] << 8);
    return result;
}

void SearchResponder::SendDue() {
    std::vector<Pending> due;
    {
        std::lock_guard lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        // Stable, so answers due at the same time keep their order.
        const auto split = std::stable_partition(m_pending.begin(), m_pending.end(),
                                                 [&](const Pending& p) { return p.due > now; });
        due.assign(std::make_move_iterator(split), std::make_move_iterator(m_pending.end()));
        m_pending.erase(split, m_pending.end());
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const Pending& a, const Pending& b) { return a.due < b.due; });
    for (const Pending& answer : due) {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_addr.s_addr = htonl(answer.address);
        target.sin_port = htons(m_setup.answerPort);
        const ssize_t n = sendto(m_send, answer.bytes.data(), answer.bytes.size(), MSG_NOSIGNAL,
                                 reinterpret_cast<sockaddr*>(&target), sizeof target);
        if (n >= 0) {
            Record(false, answer.address, m_setup.answerPort, answer.bytes.data(),
                   answer.bytes.size());
        }
    }
}

bool SearchResponder::MayAnswer(uint32_t address) const {
    if ((address >> 24) == 127) return true;
    // Otherwise only an address of this computer's own interfaces.
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool own = false;
    for (const ifaddrs* entry = list; entry != nullptr && !own; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        own = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr) ==
              address;
    }
    freeifaddrs(list);
    return own;
}

void SearchResponder::Record(bool received, uint32_t address, uint16_t port, const uint8_t* data,
                             std::size_t size) {
    LogEntry entry{received, PeerText(address, port), {data, data + size}};
    if (m_setup.onLog) m_setup.onLog(entry);
    std::lock_guard lock(m_mutex);
    m_log.push_back(std::move(entry));
    if (received) ++m_received;
    m_logged.notify_all();
}

}  // namespace ormidon::sim
