#pragma once
// The control file CtrlFile.ini: per device model, the RS-485 byte sequence of each
// remote key. It is read once at start-up; afterwards each device kind whose name
// matches a device of the file uses that device's commands (BindControlDevices).
//
// The file is outside input and read as untrusted bytes: every line is bounded, every
// count and index checked, and a line that cannot be used is reported and skipped.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/DeviceKindTable.h"

constexpr int kControlParameterCount = 16;  // %0 to %15; the file sets %0 to %9
constexpr size_t kControlNameMax = 79;      // characters of a device name
constexpr int kControlCommandSlots = kRemoteKeyCount;
constexpr int kControlVariableBytes = 32;       // only bytes 0-31 can be variables
constexpr size_t kControlLineBufferSize = 130;  // 129 characters and the terminator
constexpr uint32_t kMaxControlDevices = 30;     // devices one file may describe

// Messages about the control file and the RS-485 commands (string ids).
constexpr uint32_t kStrInputServerCommand = 4051;  // "Please input server command!"
constexpr uint32_t kStrSendCommandFailed = 4065;   // "Send command to device is failed !!"
constexpr uint32_t kStrUnsupportedCommand = 4084;  // "Web Server don't support this command!"
constexpr uint32_t kStrNoCommandProtocol = 4093;  // "It couldn't find this device command protocol"
constexpr uint32_t kStrOpenControlFileFailed = 4094;  // "Open device control file is failed"

struct ControlDevice_Struct;

// One RS-485 command: its bytes, and which of them are variables filled in when it is
// sent (bit j of the mask: byte j holds a variable code). No bytes: no command.
struct ControlCommand_Struct {
    ControlDevice_Struct* lpOwner = nullptr;  // the record holding it; null while empty
    uint32_t dwVariableMask = 0;
    std::vector<uint8_t> Bytes;  // at most 255
};

// One device of the file. Its commands point back at it, so it never moves.
struct ControlDevice_Struct {
    ControlDevice_Struct() = default;
    ControlDevice_Struct(const ControlDevice_Struct&) = delete;
    ControlDevice_Struct& operator=(const ControlDevice_Struct&) = delete;

    uint8_t byParameters[kControlParameterCount] = {};
    ControlCommand_Struct Power;
    std::string strName;  // upper case as read, at most kControlNameMax characters
    ControlCommand_Struct Commands[kControlCommandSlots];  // slot k: key code k
    uint8_t byDisplay = 0;
};

// The devices read from a control file: `dwCount` records, in file order.
struct ControlDeviceRecords {
    uint32_t dwCount = 0;
    std::unique_ptr<ControlDevice_Struct[]> lpDevices;
};

// Reads CtrlFile.ini of the program folder into the application record. 1 after "END"
// was read under [EOF]; 0 with message 4094 when the file cannot be opened or read or
// ends before "END".
int LoadControlFile();

// Gives each kind of DeviceKindTable the first record of the application record whose
// name equals the kind's name, ignoring case; kinds without a match get none. 1.
int BindControlDevices();

// The same on a given table and `count` devices.
void BindControlDevices(DeviceKindArray& table, ControlDevice_Struct* devices, uint32_t count);

// Reads the file at `path` into `records`; result as LoadControlFile.
int ReadControlFile(const std::filesystem::path& path, ControlDeviceRecords& records);

// Parses the bytes of a control file into `records`. 1 after "END" under [EOF]; 0 when
// the data ends first (the caller reports it). Lines that cannot be used are reported
// as they are met (4084, 4051) and skipped.
int ParseControlFile(std::string_view data, ControlDeviceRecords& records);

// Reads one line from the front of `data` into `line`: the bytes 0x20 to 0x7E in
// order, letters in upper case, at most 129 of them, zero-terminated. Returns the
// number of bytes consumed: the line and its 0x0A.
size_t ReadControlFileLine(std::string_view data, char (&line)[kControlLineBufferSize]);

// The byte of two hexadecimal digits, high digit first; a character that is not a
// hexadecimal digit counts as 0.
uint8_t HexPairToByte(char high, char low);

// Fills `command` from a command line such as "0X05 0XFF 0XC0 0X%D 0X31 0X7F": the
// first "X" gives the byte count, each further "X" one byte, "%c" marks a variable of
// code c. A line with fewer bytes than its count keeps zeros for the missing ones and
// shows 4051; a line without a count, or with a variable beyond byte 31, gives no
// command and shows 4051. True when the command is complete.
bool ParseControlCommand(ControlCommand_Struct& command, std::string_view line);
