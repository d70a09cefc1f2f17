#pragma once
// The device's report of the PTZ cameras on its RS-485 bus, the reply to "/PTZReset.cgi":
// "SLAVENUM=n;" and then, per camera, "SID=" (its address), "STYPE=" (its type) and
// "SPROTOCOL=" (its protocol), each value ended by ";". The reply is untrusted: it is read
// within its length, values are bounded, and at most kControlDItemCount cameras are taken.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Room for the report.
constexpr size_t kPtzReportSize = 1024;

struct PtzSlave {
    uint8_t address;  // RS-485 address
    uint8_t kind;     // row of DeviceKindTable
};

struct PtzSlaveReport {
    bool hasSlaveCount = false;  // the reply named "SLAVENUM"
    std::vector<PtzSlave> slaves;
};

// Reads the report. Type 1 is a "PTZ SLAVE", any other type the device kind of that
// number; a "PTZ SLAVE" with protocol 1 is a "PTZ PELCO". A key missing for a camera
// leaves the value of the camera before it. Values outside 0-255 read as 255, a kind that
// no table row has.
PtzSlaveReport ParsePtzSlaveReport(std::string_view reply);
