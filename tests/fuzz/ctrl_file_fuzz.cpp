// The control file parser over arbitrary bytes: at most 30 devices, names and commands within
// their bounds, variables only in bytes 0-31 of their command, every command owned by its own
// record, only the messages the parser is meant to raise, and kinds bound only to records of
// the file.
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "FuzzTarget.h"
#include "core/ControlFile.h"
#include "core/DeviceKindTable.h"
#include "platform/RecordingMessageBoxSink.h"

namespace {

void CheckCommand(const ControlCommand_Struct& command, const ControlDevice_Struct& owner) {
    FUZZ_CHECK(command.lpOwner == nullptr || command.lpOwner == &owner);
    FUZZ_CHECK(command.Bytes.size() <= 255);
    const std::size_t variableBytes = std::min<std::size_t>(command.Bytes.size(), 32);
    if (variableBytes < 32) FUZZ_CHECK((command.dwVariableMask >> variableBytes) == 0);
}

std::string ShippedControlFile() {
    std::ifstream in(ORMIDON_SOURCE_DIR "/res/CtrlFile.ini", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    const auto oneDevice = [](std::string_view lines) {
        return "[DEVICE NUMBER]\n1\n[DEVICE NAME]\nDVR\n" + std::string(lines) + "[EOF]\nEND\n";
    };
    const std::string files[] = {
        oneDevice("[ch1]\n0x01 0x31\n"),
        oneDevice("[CH1] \n0x01 0x31\n"),
        oneDevice("; [CH1]\n[CH2]\n;0x01 0x01\n0x01 0x;2\n"),
        oneDevice("[PARAMETER]\n%3 = 0X1F\n[POWER]\n0X07 0XFF 0X%D 0X00 0X04 0X20 0X00 0X%6\n"
                  "[DISPLAY]\n7\n"),
        "[DEVICE NUMBER]\n1\n[DEVICE NAME]\nA\nB\n[CH1]\n0x01 0x31\n[EOF]\nEND\n",
        "[DEVICE NUMBER]\n40\n[DEVICE NAME]\nA\nB\n[EOF]\n",
        ShippedControlFile(),
    };
    std::vector<FuzzBytes> seeds;
    for (const std::string& file : files) seeds.push_back(fuzz::Seed().Append(file));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    ormidon::RecordingMessageBoxSink messages;
    ormidon::SetMessageBoxSink(&messages);
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    char line[kControlLineBufferSize];
    const std::size_t used = ReadControlFileLine(text, line);
    FUZZ_CHECK(used <= text.size() && std::string_view(line).size() < kControlLineBufferSize);

    ControlDeviceRecords records;
    const int result = ParseControlFile(text, records);
    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK(records.dwCount <= kMaxControlDevices);
    FUZZ_CHECK(records.dwCount == 0 || records.lpDevices != nullptr);
    for (uint32_t i = 0; i < records.dwCount; ++i) {
        const ControlDevice_Struct& device = records.lpDevices[i];
        FUZZ_CHECK(device.strName.size() <= kControlNameMax);
        for (char c : device.strName) FUZZ_CHECK(c >= 0x20 && c <= 0x7E && !(c >= 'a' && c <= 'z'));
        CheckCommand(device.Power, device);
        for (const ControlCommand_Struct& command : device.Commands) CheckCommand(command, device);
    }
    for (uint32_t id : messages.Ids())
        FUZZ_CHECK(id == kStrUnsupportedCommand || id == kStrInputServerCommand);

    DeviceKindArray table = BuildDeviceKindTable();
    BindControlDevices(table, records.lpDevices.get(), records.dwCount);
    for (const DeviceKind_Struct& kind : table) {
        if (kind.lpCommandSet == nullptr) continue;
        FUZZ_CHECK(kind.lpCommandSet >= records.lpDevices.get() &&
                   kind.lpCommandSet < records.lpDevices.get() + records.dwCount);
    }
    ormidon::SetMessageBoxSink(nullptr);
    return 0;
}
