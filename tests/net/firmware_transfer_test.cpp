// The firmware transfer against the simulated recorder, on the test clock: parts of both
// protocols arrive byte for byte with the requests the device expects, progress rises, the
// endings and failures post and show what they should, and a stop ends the run quietly.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../support/EngineHarness.h"
#include "SimulatedDevice.h"
#include "core/SessionCookie.h"
#include "net/FirmwareTransfer.h"
#include "platform/Clock.h"
#include "platform/Thread.h"

namespace {

using namespace ormidon;
using sim::FirmwareUpgradeScript;
using sim::ReceivedFirmwarePart;

std::vector<uint8_t> Bytes(std::size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + seed + i / 251);
    return bytes;
}

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class RecordingListener final : public FirmwareTransferListener {
  public:
    void OnUpgradeMessage(uint32_t message) override { Note("msg:" + std::to_string(message)); }
    void OnProgress(uint32_t percent) override {
        std::lock_guard lock(mutex_);
        percents_.push_back(percent);
    }
    void OnHideProgress() override { Note("hide"); }
    std::vector<std::string> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
        percents_.clear();
    }
    std::vector<uint32_t> Percents() const {
        std::lock_guard lock(mutex_);
        return percents_;
    }

  private:
    void Note(std::string event) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
    std::vector<uint32_t> percents_;
};

const std::string kEnable = "msg:" + std::to_string(WM_UPGRADEENABLE);
const std::string kDisable = "msg:" + std::to_string(WM_UPGRADEDISABLE);
const std::string kClose = "msg:" + std::to_string(WM_UPGRADECLOSE);

class FirmwareTransferTest : public SimulatedDeviceTest {
  protected:
    void SetUp() override {
        SimulatedDeviceTest::SetUp();
        sim::DeviceIdentity identity;
        identity.productId = "P51K";
        identity.firmwareVersion = "1070";
        UseIdentity(identity);
    }
    void TearDown() override {
        thread_ = {};
        device.Server().EndStalls();
        SimulatedDeviceTest::TearDown();
    }

    void Aim(FirmwareTransferJob& job) {
        job.address = "127.0.0.1";
        job.port = device.Port();
        job.cookie = GetSessionCookie();
        job.hostAddress = "192.0.2.7";
    }

    void Start(FirmwareTransferJob job) {
        Aim(job);
        job_ = std::move(job);
        end_.reset();
        done_ = false;
        thread_ = Thread([this](std::stop_token stop) {
            end_ = RunFirmwareTransfer(job_, stop, listener);
            done_ = true;
        });
    }

    // Runs the test clock on whenever the run pauses, until it ends.
    FirmwareTransferEnd Finish() {
        while (!done_) {
            if (clock.WaitForWaiters(1, 20) && !done_) clock.Advance(500);
        }
        thread_.Join(kInfinite);
        return *end_;
    }

    // The upgrade requests of the log, as their targets.
    std::vector<std::string> Targets(const std::string& path) {
        std::vector<std::string> targets;
        for (const auto& request : device.Server().Log()) {
            if (request.path == path) targets.push_back(request.target);
        }
        return targets;
    }

    static FirmwarePartTable Table(const std::vector<std::pair<std::size_t, std::size_t>>& rows) {
        FirmwarePartTable table = *FirmwarePartTableFor("P51K");
        for (auto [row, size] : rows) {
            table[row].loaded = true;
            table[row].data = Bytes(size, static_cast<uint8_t>(row));
        }
        return table;
    }

    TestClock clock;
    ScopedClockOverride useClock{clock};
    test::RecordingMessageBoxes boxes;
    RecordingListener listener;
    FirmwareTransferJob job_;
    std::optional<FirmwareTransferEnd> end_;
    std::atomic<bool> done_{false};
    Thread thread_;
};

TEST_F(FirmwareTransferTest, FolderPartsByCommandsArriveByteForByte) {
    FirmwarePartTable table = Table({{0, 2600}, {1, 0}, {5, 900}, {17, 1800}});
    const FirmwarePartTable original = table;
    Start(MakePartsTransfer(table, FirmwareProtocol::kCommand));
    EXPECT_EQ(Finish(), FirmwareTransferEnd::kFinished);

    const std::string c = "&Cookie=" + GetSessionCookie();
    const std::vector<std::string> expected = {
        "/UpgradeFW.cgi?Upgrade=Start&FileSize=2600&Type=0" + c,
        "/UpgradeFW.cgi?Cookie=" + GetSessionCookie(),
        "/UpgradeFW.cgi?Upgrade=Finished&Type=0" + c,
        // One piece: Start only, no Finished.
        "/UpgradeFW.cgi?Upgrade=Start&FileSize=900&Type=5" + c,
        "/UpgradeFW.cgi?Upgrade=Start&FileSize=1800&Type=17" + c,
        "/UpgradeFW.cgi?Upgrade=Finished&Type=17&Reboot=1" + c,
    };
    EXPECT_EQ(Targets("/UpgradeFW.cgi"), expected);

    const std::vector<ReceivedFirmwarePart> parts = device.Firmware().Parts();
    ASSERT_EQ(parts.size(), 3u);
    const std::size_t rows[] = {0, 5, 17};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        SCOPED_TRACE(rows[i]);
        EXPECT_TRUE(parts[i].complete);
        EXPECT_EQ(parts[i].bytes, Text(original[rows[i]].data));
        EXPECT_EQ(parts[i].startType, std::to_string(rows[i]));
    }
    EXPECT_TRUE(parts[2].reboot);
    EXPECT_FALSE(parts[0].reboot);

    // The keep-alive, with the session, held open through the transfer and closed at its end.
    EXPECT_EQ(Targets("/Getvideo.cgi"),
              std::vector<std::string>{"/Getvideo.cgi?Cookie=" + GetSessionCookie() + "&Fake=1"});
    EXPECT_TRUE(test::WaitUntil([&] { return device.Firmware().KeepAlivesHeld() == 1; }));
    EXPECT_TRUE(test::WaitUntil([&] { return device.Firmware().KeepAlivesOpen() == 0; }));

    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStringOverwriteFlash});
    EXPECT_EQ(listener.Events(), (std::vector<std::string>{kDisable, "hide", kEnable, kClose}));
    const std::vector<uint32_t> percents = listener.Percents();
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end()), percents.end());
    EXPECT_EQ(percents.back(), 100u);
}

TEST_F(FirmwareTransferTest, PackageByRawConnectionsNamesItsTypesAndStopsShortOf100) {
    FirmwarePackage package;
    package.types = {kFirmwareKernel, kFirmwareBoot, 2, kFirmwareHtml};
    package.parts = {Bytes(2600, 1), {}, Bytes(1301, 3), Bytes(1300, 4)};
    package.fileSize = 4 * 4 + 2600 + 1301 + 1300;
    const FirmwarePackage original = package;
    FirmwareTransferJob job = MakePackageTransfer(package, FirmwareProtocol::kRaw);
    EXPECT_EQ(job.keepAlivePauseMs, 2000u);
    EXPECT_EQ(job.headPauseMs, 2000u);
    Start(std::move(job));
    EXPECT_EQ(Finish(), FirmwareTransferEnd::kFinished);

    const std::string c = GetSessionCookie();
    EXPECT_EQ(Targets("/UpgradeFW2.cgi"),
              (std::vector<std::string>{
                  "/UpgradeFW2.cgi?Cookie=" + c + "&FILESIZE=2600&Type=0",
                  // Code 2 has no name of its own: the empty boot record's before it.
                  "/UpgradeFW2.cgi?Cookie=" + c + "&FILESIZE=1301&Type=1",
                  "/UpgradeFW2.cgi?Cookie=" + c + "&FILESIZE=1300&Type=2&REBOOT=1",
              }));
    const auto log = device.Server().Log();
    const auto head = std::find_if(log.begin(), log.end(),
                                   [](const auto& r) { return r.path == "/UpgradeFW2.cgi"; });
    ASSERT_NE(head, log.end());
    EXPECT_EQ(head->raw,
              "GET /UpgradeFW2.cgi?Cookie=" + c +
                  "&FILESIZE=2600&Type=0 HTTP/1.1\r\nAccept: */* \r\nAccept-Language: zh-tw\r\n"
                  "Accept-Encoding: gzip, deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE "
                  "6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)\r\nHost: 192.0.2.7\r\n"
                  "Connection: Keep-Alive\r\n\r\n");

    const std::vector<ReceivedFirmwarePart> parts = device.Firmware().Parts();
    ASSERT_EQ(parts.size(), 3u);
    const std::size_t records[] = {0, 2, 3};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(parts[i].complete);
        EXPECT_EQ(parts[i].bytes, Text(original.parts[records[i]]));
    }
    // Each part of a package disables the button again.
    EXPECT_EQ(listener.Events(), (std::vector<std::string>{kDisable, kDisable, kDisable, kDisable,
                                                           "hide", kEnable, kClose}));
    EXPECT_EQ(listener.Percents().back(), 99u);  // the record heads are in the base
}

TEST_F(FirmwareTransferTest, PackageByCommandsSendsTheTypeNames) {
    FirmwarePackage package;
    package.types = {kFirmwareBoot, 9};
    package.parts = {Bytes(1800, 1), Bytes(1000, 2)};
    package.fileSize = 8 + 2800;
    Start(MakePackageTransfer(package, FirmwareProtocol::kCommand));
    EXPECT_EQ(Finish(), FirmwareTransferEnd::kFinished);
    const std::string c = "&Cookie=" + GetSessionCookie();
    EXPECT_EQ(Targets("/UpgradeFW.cgi"),
              (std::vector<std::string>{
                  "/UpgradeFW.cgi?Upgrade=Start&FileSize=1800" + c,
                  "/UpgradeFW.cgi?Upgrade=Finished&Type=BOOT" + c,
                  "/UpgradeFW.cgi?Upgrade=Start&FileSize=1000" + c,
                  "/UpgradeFW.cgi?Upgrade=Finished&Type=BOOT&Reboot=1" + c,
              }));
}

TEST_F(FirmwareTransferTest, ADeviceThatRebootsOnItsLastPartEndsTheUpgradeAsFinished) {
    // The device closes the keep-alive as the part asking for the reboot completes.
    device.Firmware().SetScript({.closeKeepAliveOnReboot = true});
    for (FirmwareProtocol protocol : {FirmwareProtocol::kCommand, FirmwareProtocol::kRaw}) {
        SCOPED_TRACE(protocol == FirmwareProtocol::kRaw ? "raw" : "command");
        device.Firmware().ClearParts();
        listener.Clear();
        const std::size_t boxesBefore = boxes.Ids().size();
        FirmwarePartTable table = Table({{0, 1000}, {3, 2000}});
        Start(MakePartsTransfer(table, protocol));
        EXPECT_EQ(Finish(), FirmwareTransferEnd::kFinished);
        const auto parts = device.Firmware().Parts();
        ASSERT_EQ(parts.size(), 2u);
        EXPECT_TRUE(parts[1].complete && parts[1].reboot);
        EXPECT_EQ(boxes.Ids().size(), boxesBefore + 1);
        EXPECT_EQ(boxes.Ids().back(), kStringOverwriteFlash);
        EXPECT_EQ(listener.Events(), (std::vector<std::string>{kDisable, "hide", kEnable, kClose}));
    }
}

TEST_F(FirmwareTransferTest, CommandPieceFailures) {
    struct Case {
        const char* name;
        FirmwareUpgradeScript script;
        FirmwareTransferEnd end;
        std::size_t completeParts;
    };
    // Two parts of two pieces each: pieces 1-4.
    const Case cases[] = {
        {"404 at the first piece", {.statusAtPiece = 1}, FirmwareTransferEnd::kSendFailed, 0},
        {"404 at a last piece", {.statusAtPiece = 2}, FirmwareTransferEnd::kSendFailed, 0},
        {"refused last piece",
         {.statusAtPiece = 4, .pieceStatus = 500},
         FirmwareTransferEnd::kSendFailed,
         1},
        {"dropped after a last piece", {.dropAtPiece = 2}, FirmwareTransferEnd::kFinished, 2},
        {"dropped before the last piece", {.dropAtPiece = 3}, FirmwareTransferEnd::kSendFailed, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.Firmware().SetScript(c.script);
        device.Firmware().ClearParts();
        FirmwarePartTable table = Table({{1, 1800}, {2, 1000}});
        listener.Clear();
        const std::size_t boxesBefore = boxes.Ids().size();
        Start(MakePartsTransfer(table, FirmwareProtocol::kCommand));
        EXPECT_EQ(Finish(), c.end);
        std::size_t complete = 0;
        for (const auto& part : device.Firmware().Parts()) complete += part.complete ? 1 : 0;
        EXPECT_EQ(complete, c.completeParts);
        const uint32_t box =
            c.end == FirmwareTransferEnd::kFinished ? kStringOverwriteFlash : kStringUpgradeError;
        EXPECT_EQ(boxes.Ids().size(), boxesBefore + 1);
        EXPECT_EQ(boxes.Ids().back(), box);
        if (c.end == FirmwareTransferEnd::kSendFailed) {
            EXPECT_EQ(listener.Events(),
                      (std::vector<std::string>{kDisable, kEnable, "hide", kClose}));
        }
    }
}

TEST_F(FirmwareTransferTest, RawFailuresCloseTheWindowOnlyForParts) {
    // The device resets a big part's connection early.
    device.Firmware().SetScript({.cutRawAfter = 1300});
    for (bool folderParts : {true, false}) {
        SCOPED_TRACE(folderParts);
        listener.Clear();
        FirmwareTransferJob job;
        if (folderParts) {
            FirmwarePartTable table = Table({{0, 8 << 20}});
            job = MakePartsTransfer(table, FirmwareProtocol::kRaw);
        } else {
            FirmwarePackage package;
            package.types = {kFirmwareKernel};
            package.parts = {Bytes(8 << 20, 0)};
            package.fileSize = 4 + (8 << 20);
            job = MakePackageTransfer(package, FirmwareProtocol::kRaw);
        }
        Start(std::move(job));
        EXPECT_EQ(Finish(), FirmwareTransferEnd::kSendFailed);
        EXPECT_EQ(boxes.Ids().back(), kStringUpgradeError);
        std::vector<std::string> events = listener.Events();
        EXPECT_EQ(events.back() == kClose, folderParts);
    }
    const auto parts = device.Firmware().Parts();
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_FALSE(parts[0].complete);
}

TEST_F(FirmwareTransferTest, ARefusedOrUnreachableKeepAliveLeavesTheWindowOpen) {
    device.Firmware().SetScript({.refuseKeepAlive = true});
    FirmwarePackage package;
    package.types = {kFirmwareKernel};
    package.parts = {Bytes(100, 0)};
    package.fileSize = 104;
    Start(MakePackageTransfer(package, FirmwareProtocol::kRaw));
    // The device answers the keep-alive during the pause that follows it.
    ASSERT_TRUE(clock.WaitForWaiters(1));
    ASSERT_TRUE(test::WaitUntil([&] { return device.Firmware().KeepAlivesRefused() == 1; }));
    EXPECT_EQ(Finish(), FirmwareTransferEnd::kKeepAliveFailed);
    EXPECT_TRUE(Targets("/UpgradeFW2.cgi").empty());
    EXPECT_EQ(boxes.Ids(), std::vector<uint32_t>{kStringUpgradeError});
    EXPECT_EQ(listener.Events(), (std::vector<std::string>{kEnable, "hide"}));

    // Nobody listening at all.
    listener.Clear();
    FirmwarePartTable table = Table({{0, 10}});
    FirmwareTransferJob job = MakePartsTransfer(table, FirmwareProtocol::kCommand);
    Aim(job);
    device.Stop();
    job_ = std::move(job);
    EXPECT_EQ(RunFirmwareTransfer(job_, {}, listener), FirmwareTransferEnd::kKeepAliveFailed);
    EXPECT_EQ(listener.Events(), (std::vector<std::string>{kEnable, "hide"}));
}

TEST_F(FirmwareTransferTest, AStopMidStallEndsQuietlyInBound) {
    for (bool raw : {true, false}) {
        SCOPED_TRACE(raw);
        device.Firmware().ClearParts();
        if (raw) {
            device.Firmware().SetScript({.stallRawReply = true});
        } else {
            device.Firmware().SetScript({});
            device.Server().AddFault(sim::Fault::Stall("/UpgradeFW.cgi"));
        }
        listener.Clear();
        const std::size_t boxesBefore = boxes.Ids().size();
        FirmwarePartTable table = Table({{0, 500}, {1, 500}});
        FirmwareTransferJob job =
            MakePartsTransfer(table, raw ? FirmwareProtocol::kRaw : FirmwareProtocol::kCommand);
        Start(std::move(job));
        // Through the head's pause, up to the stalled answer.
        while (device.Firmware().Parts().empty() && Targets("/UpgradeFW.cgi").empty()) {
            if (clock.WaitForWaiters(1, 20)) clock.Advance(500);
        }
        thread_.RequestStop();
        EXPECT_TRUE(thread_.Join(1000));
        EXPECT_EQ(end_, FirmwareTransferEnd::kCancelled);
        EXPECT_EQ(boxes.Ids().size(), boxesBefore);
        EXPECT_EQ(listener.Events(), std::vector<std::string>{kDisable});
        device.Server().EndStalls();
    }
}

TEST_F(FirmwareTransferTest, ARawPartOfMoreThan65536PiecesHasOneHead) {
    FirmwarePartTable table = Table({{17, 65537u * kFirmwareRawPiece - 7}});
    const std::string expected = Text(table[17].data);
    FirmwareTransferJob job = MakePartsTransfer(table, FirmwareProtocol::kRaw);
    job.headPauseMs = 0;
    Start(std::move(job));
    EXPECT_EQ(Finish(), FirmwareTransferEnd::kFinished);
    EXPECT_EQ(Targets("/UpgradeFW2.cgi").size(), 1u);
    const auto parts = device.Firmware().Parts();
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_TRUE(parts[0].complete);
    EXPECT_TRUE(parts[0].bytes == expected);
    EXPECT_EQ(listener.Percents().back(), 100u);
}

TEST(FirmwareTransferPlanTest, PiecesAndPercentsHoldFor64BitSizes) {
    EXPECT_EQ(FirmwarePieceCount(0, 900), 0u);
    EXPECT_EQ(FirmwarePieceCount(900, 900), 1u);
    EXPECT_EQ(FirmwarePieceCount(901, 900), 2u);
    EXPECT_EQ(FirmwarePieceCount(65536ull * 900 + 1, 900), 65537u);
    EXPECT_EQ(FirmwarePercent(50, 100), 50u);
    EXPECT_EQ(FirmwarePercent(0, 0), 0u);
    // sent x 100 overflows 32 bits from 43 MB on.
    EXPECT_EQ(FirmwarePercent(3'000'000'000ull, 4'000'000'000ull), 75u);
    EXPECT_NEAR(FirmwarePercent(UINT64_MAX / 4 * 3, UINT64_MAX), 75u, 1u);
    EXPECT_EQ(FirmwarePercent(UINT64_MAX, UINT64_MAX), 100u);

    // A part the raw head's size cannot name has no head.
    FirmwareTransferJob job;
    FirmwareTransferPart part;
    part.data.resize(10);
    job.cookie = std::string(600, 'c');
    EXPECT_TRUE(FirmwareRawHead(job, part, false).empty());
    job.cookie = "a\r\nb";
    EXPECT_TRUE(FirmwareKeepAliveRequest(job).empty());
    EXPECT_TRUE(FirmwareCommandRequest(part, 0, 1, true, job.cookie).empty());
}

}  // namespace
