#pragma once
// What the recorder's peripherals hold and the commands that reach them: the PTZ cameras
// on its RS-485 bus ("/PTZReset.cgi" reports them), the bytes it puts on that bus
// ("/RS485Cmd.cgi" bodies), its R.E.T.R. switch ("/SetRetr.cgi"), the frame mode and
// mirroring of a T18D's camera sensor ("/OV9653Zoom.cgi", "/OV9653Rotate.cgi") and the
// picture's brightness, contrast and hue ("/SetColor.cgi", reported by "/GetColor.cgi").
// A request with a missing or malformed value is answered 400 and changes nothing.
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/HttpServer.h"

namespace ormidon::sim {

// One camera as the report names it: "SID" (address), "STYPE" (1 for a PTZ camera, else
// a device kind) and "SPROTOCOL" (1 for Pelco framing).
struct PtzSlaveEntry {
    int address = 1;
    int type = 1;
    int protocol = 0;
};

struct PictureColour {
    int brightness = 0;
    int contrast = 128;
    int hue = 0;
};

class DeviceControls {
  public:
    // Answers a request that has no session (and tells so); false lets it through.
    using SessionCheck = std::function<bool(const HttpRequest&, Responder&)>;

    void InstallRoutes(HttpServer& server, SessionCheck refuseWithoutSession);

    // The cameras "/PTZReset.cgi" reports ("SLAVENUM=0;" when none).
    void SetPtzSlaves(std::vector<PtzSlaveEntry> slaves);
    // Replaces the report with this text (any bytes, for tests); nullopt goes back to the
    // report built from the cameras.
    void SetPtzReportOverride(std::optional<std::string> report);
    std::string PtzReport() const;

    // Every "/RS485Cmd.cgi" body accepted so far, oldest first.
    std::vector<std::string> Rs485Bodies() const;
    void ClearRs485Bodies();

    // The R.E.T.R. switch: 0 off, 1 on; nothing until "/SetRetr.cgi" first set it (the
    // frame headers carry it from then on).
    std::optional<uint8_t> RetrState() const;
    // The sensor's state as a frame header reports it: the frame mode (0-5) in the low
    // four bits, 0x80 mirrored horizontally, 0x40 vertically; nothing until a sensor
    // command first changed it.
    std::optional<uint8_t> SensorStatus() const;
    void SetSensorStatus(uint8_t status);

    PictureColour Colour() const;
    void SetColour(const PictureColour& colour);
    // Replaces the "/GetColor.cgi" answer with this text; nullopt reports the colour.
    void SetColourReplyOverride(std::optional<std::string> reply);

  private:
    void PtzReset(Responder& responder);
    void Rs485Command(const HttpRequest& request, Responder& responder);
    void SetRetr(const HttpRequest& request, Responder& responder);
    void Zoom(const HttpRequest& request, Responder& responder);
    void Rotate(const HttpRequest& request, Responder& responder);
    void GetColour(Responder& responder);
    void SetColourRequest(const HttpRequest& request, Responder& responder);

    mutable std::mutex m_mutex;
    std::vector<PtzSlaveEntry> m_slaves;
    std::optional<std::string> m_ptzReportOverride;
    std::vector<std::string> m_rs485Bodies;
    std::optional<uint8_t> m_retr;
    bool m_sensorChanged = false;
    uint8_t m_sensorMode = 0;
    bool m_mirrorHorizontal = false;
    bool m_mirrorVertical = false;
    PictureColour m_colour;
    std::optional<std::string> m_colourReplyOverride;
};

}  // namespace ormidon::sim
