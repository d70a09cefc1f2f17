#pragma once
// The device-information query ("/Getdeviceinfo.cgi") as the main window's
// initialisation and the re-login both send it, and the parts of its reply that both
// read: the RS-485 devices behind the connected device. The reply is untrusted: device
// counts are cut to the control-device list's size.
#include <cstdint>
#include <stop_token>
#include <string_view>

#include "net/CgiCommand.h"

class CAppObject;
class C_ControlD;

// True when the device's firmware is `threshold` or newer. A version text that is not
// four characters long counts as newer.
bool FirmwareAtLeast(std::string_view threshold);

// Makes the selected channel of the settings one that the DVRs and the P62K have.
void BoundSelectedChannel(CAppObject& app);

// For a P5xK family device with firmware 1035 or newer: reads "INF" and takes its
// capability word. Nothing changes when the read fails.
void ReadCapability(CAppObject& app, std::stop_token stop = {});

// The query with the session cookie (when there is one), the resolution ("RES"),
// quality ("QUA") and channel ("CH") of the settings, and the frame-header layout the
// device is asked for ("NEWHR"), which also sets the record's fNewHeader.
CCgiRequest DeviceInfoRequest(CAppObject& app);

// "MULTICH" into by_MultiChannel; 0 when the reply lacks it.
void ReadMultiChannel(CAppObject& app, std::string_view reply);

// The masters: one from "LINKDEVICE" (baud 0, address 0), or else "MASTERNUM" of them
// with their "MID" and "MTYPE" (baud 2400); with `typeOneIsPtz` a type 1 is the PTZ
// kind. Returns the kind read last (0 for none).
uint8_t ReadMasterDevices(C_ControlD& controls, std::string_view reply, bool typeOneIsPtz);

// The "SLAVENUM" slaves with their "SID", "STYPE" and "SPROTOCOL" (baud 2400); a
// multi-channel device lists them as masters.
void ReadSlaveDevices(C_ControlD& controls, std::string_view reply);

// Makes the device the remote panel steers current: by the selected channel for a
// multi-channel DVR and the P62K, else the first master.
void ChooseCurrentControlDevice(CAppObject& app);
