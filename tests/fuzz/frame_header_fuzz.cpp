// Both live frame header layouts over every prefix of arbitrary bytes: a header is complete
// within its bytes and at most kMaxFrameHeaderBytes long, more bytes never change a complete
// or a refused header, and a header stops asking for more at kMaxFrameHeaderBytes.
#include "FrameChecks.h"
#include "FuzzTarget.h"
#include "net/FrameBytes.h"
#include "net/FrameHeaderParser.h"

namespace {

using Parser = FrameHeaderScan (*)(std::span<const uint8_t>, FrameHeaderFields&);

bool SameFields(const FrameHeaderFields& a, const FrameHeaderFields& b) {
    return fuzz::SameFrameInfo(a.info, b.info) && a.hasEventBits1 == b.hasEventBits1 &&
           a.hasMotionDetect == b.hasMotionDetect && a.hasEventBits3 == b.hasEventBits3 &&
           a.hasDeviceTime == b.hasDeviceTime && a.hasRetrState == b.hasRetrState &&
           a.hasSensorStatus == b.hasSensorStatus && a.networkBackup == b.networkBackup &&
           a.retrState == b.retrState && a.sensorStatus == b.sensorStatus;
}

void CheckPrefixes(Parser parse, std::span<const uint8_t> bytes) {
    const std::size_t last = std::min(bytes.size(), kMaxFrameHeaderBytes + 8);
    FrameHeaderFields first;
    FrameHeaderScan settled = FrameHeaderScan::Incomplete;
    for (std::size_t n = 0; n <= last; ++n) {
        FrameHeaderFields fields;
        const FrameHeaderScan scan = parse(bytes.first(n), fields);
        if (scan == FrameHeaderScan::Complete) {
            FUZZ_CHECK(fields.info.dwHeaderLength > 0 && fields.info.dwHeaderLength <= n);
            FUZZ_CHECK(fields.info.dwHeaderLength <= kMaxFrameHeaderBytes);
        }
        if (n >= kMaxFrameHeaderBytes) FUZZ_CHECK(scan != FrameHeaderScan::Incomplete);
        if (settled == FrameHeaderScan::Incomplete) {
            settled = scan;
            first = fields;
        } else {
            FUZZ_CHECK(scan == settled);
            if (scan == FrameHeaderScan::Complete) FUZZ_CHECK(SameFields(fields, first));
        }
    }
}

}  // namespace

std::vector<FuzzBytes> FuzzSeeds() {
    using namespace frame_bytes;
    Bytes version2;
    Put16(version2, 2);
    Put16(version2, 0);
    Put32(version2, 70000);
    Put8(version2, 3);
    Put8(version2, 2 << 4);
    Put16(version2, 0x2000 | 0x01E6);
    for (int i = 0; i < 3; ++i) Put16(version2, 0x0101u << i);
    Put32(version2, 1234);
    Put32(version2, 0x2345678);
    PutText16(version2, "backup 1");
    Put8(version2, 9);
    Put8(version2, 50);
    Put8(version2, 0);
    Put16(version2, 0x3F);
    Put8(version2, 1);
    Put8(version2, 2);
    Put8(version2, 3);

    Bytes flags;
    Put32(flags, 0x3FFF);
    Put32(flags, 900);
    PutText16(flags, "network");
    for (int i = 0; i < 12; ++i) Put8(flags, i);
    Put32(flags, 0x2345678);

    return {fuzz::Seed().Append(Version1Header(500, 1, 3)), fuzz::Seed().Append(version2),
            fuzz::Seed().Append(FlagHeader(1000)), fuzz::Seed().Append(flags)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    CheckPrefixes(ParseVersionFrameHeader, bytes);
    CheckPrefixes(ParseFlagFrameHeader, bytes);
    return 0;
}
