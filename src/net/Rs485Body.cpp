#include "net/Rs485Body.h"

#include <algorithm>
#include <iterator>

namespace {

// Variable codes (the character after "%" in the control file).
constexpr uint8_t kVarUserRank = 0x01;
constexpr uint8_t kVarSum = 0x02;           // sum of the bytes written from offset 1
constexpr uint8_t kVarOpenForm = 0x03;      // first byte: the whole body is written out
constexpr uint8_t kVarLiteralNext = 0x04;   // open form: the next byte as it stands
constexpr uint8_t kVarLiteralLast = 0x05;   // open form: the same, and the end
constexpr uint8_t kVarSumAfterSync = 0x06;  // sum from offset 2: the Pelco D checksum
constexpr uint8_t kVarAlternatives = 0x07;  // first byte: ACTION and PRESET commands
constexpr uint8_t kVarSkipToLength = 0x0A;  // first byte: skip up to a 0x0A byte
constexpr uint8_t kVarFamilyAddress = 0x0B;
constexpr uint8_t kVarMasterAddress = 0x0D;

// The bytes as written so far and their two running sums.
class BodyWriter {
  public:
    explicit BodyWriter(Rs485Body& body) : m_body(body) {
        std::fill(std::begin(body.bytes), std::end(body.bytes), uint8_t{0});
        body.length = 0;
    }

    bool Full() const { return m_next >= kRs485BodySize; }
    size_t Next() const { return m_next; }
    uint8_t Sum() const { return static_cast<uint8_t>(m_sum); }
    uint8_t SumAfterSync() const { return static_cast<uint8_t>(m_sumAfterSync); }

    void Put(uint8_t value) {
        m_body.bytes[m_next] = value;
        m_sum = static_cast<uint16_t>(m_sum + value);
        if (m_next >= 2) m_sumAfterSync = static_cast<uint16_t>(m_sumAfterSync + value);
        ++m_next;
    }
    // An escaped byte of the open form counts in the first sum only.
    void PutEscaped(uint8_t value) {
        m_body.bytes[m_next] = value;
        m_sum = static_cast<uint16_t>(m_sum + value);
        ++m_next;
    }

  private:
    Rs485Body& m_body;
    size_t m_next = 1;  // offset 0 holds the length
    uint16_t m_sum = 0;
    uint16_t m_sumAfterSync = 0;
};

bool IsVariable(const ControlCommand_Struct& command, size_t position) {
    return position < kControlVariableBytes && ((command.dwVariableMask >> position) & 1u) != 0;
}

// The value of a variable byte. Codes without a meaning of their own are parameter
// bytes of the command's device (one hexadecimal digit in the file, so 0-15); the open
// form has no parameters and gives 0 for them.
uint8_t VariableValue(uint8_t code, const BodyWriter& writer, const Rs485Variables& variables,
                      const uint8_t* parameters) {
    switch (code) {
        case kVarMasterAddress:
            return variables.masterAddress;
        case kVarUserRank:
            return variables.userRank;
        case kVarSum:
            return writer.Sum();
        case kVarSumAfterSync:
            return writer.SumAfterSync();
        case kVarFamilyAddress:
            return variables.familyAddress;
        default:
            return (parameters && code < kControlParameterCount) ? parameters[code] : 0;
    }
}

// Where the sub-command to send starts and how long it is; false when the form is broken.
bool FindSubCommand(const ControlCommand_Struct& command, bool presetMode, size_t& start,
                    size_t& length) {
    const std::vector<uint8_t>& bytes = command.Bytes;
    const size_t count = bytes.size();
    size_t lengthAt = 0;  // position of the sub-command's length byte
    if (!IsVariable(command, 0)) {
        start = 0;
        length = count;
        return true;
    }
    switch (bytes[0]) {
        case kVarSkipToLength: {
            size_t q = 1;
            while (q < count && bytes[q] != 0x0A) ++q;
            lengthAt = q + 1;
            break;
        }
        case kVarAlternatives:
            if (!presetMode) {
                lengthAt = 1;
            } else {
                size_t q = 2;
                while (q < count && !(bytes[q] == kVarAlternatives && IsVariable(command, q))) ++q;
                lengthAt = q + 1;
            }
            break;
        default:
            start = 0;
            length = count;
            return true;
    }
    if (lengthAt >= count) return false;
    length = bytes[lengthAt];
    start = lengthAt + 1;
    return start + length <= count;
}

bool BuildPlainBody(const ControlCommand_Struct& command, uint8_t repeat,
                    const Rs485Variables& variables, Rs485Body& body) {
    size_t start = 0;
    size_t length = 0;
    if (!FindSubCommand(command, variables.presetMode, start, length) ||
        length > kRs485MaxCommandLength) {
        return false;
    }
    const uint8_t* parameters = command.lpOwner ? command.lpOwner->byParameters : nullptr;
    BodyWriter writer(body);
    body.bytes[0] = static_cast<uint8_t>(length);
    for (size_t p = start; p < start + length; ++p) {
        const uint8_t code = command.Bytes[p];
        writer.Put(IsVariable(command, p) ? VariableValue(code, writer, variables, parameters)
                                          : code);
    }
    body.bytes[length + 1] = repeat;
    body.bytes[length + 2] = kRs485RepeatInterval;
    body.length = length + 3;
    return true;
}

// The open form: the file writes the whole body; a 0x00 byte behind the command's
// length ends it. No repeat or interval is added, but the length sent stays L + 3.
bool BuildOpenBody(const ControlCommand_Struct& command, const Rs485Variables& variables,
                   Rs485Body& body) {
    const std::vector<uint8_t>& bytes = command.Bytes;
    if (bytes.size() < 2 || bytes[1] > kRs485MaxCommandLength) return false;
    BodyWriter writer(body);
    const uint8_t length = bytes[1];
    body.bytes[0] = length;
    size_t p = 2;
    while (p < bytes.size() && !writer.Full()) {
        const uint8_t code = bytes[p];
        if (code == 0 && p > length) break;
        if (IsVariable(command, p) && (code == kVarLiteralNext || code == kVarLiteralLast)) {
            if (p + 1 >= bytes.size()) break;
            writer.PutEscaped(bytes[p + 1]);
            p += 2;
            if (code == kVarLiteralLast) break;
            continue;
        }
        writer.Put(IsVariable(command, p) ? VariableValue(code, writer, variables, nullptr) : code);
        ++p;
    }
    body.length = length + 3u;
    return true;
}

}  // namespace

bool BuildRs485Body(const ControlCommand_Struct& command, uint8_t repeat,
                    const Rs485Variables& variables, Rs485Body& body) {
    if (command.Bytes.empty()) return false;
    if (IsVariable(command, 0) && command.Bytes[0] == kVarOpenForm)
        return BuildOpenBody(command, variables, body);
    return BuildPlainBody(command, repeat, variables, body);
}
