#include "sim/DeviceControls.h"

#include <cstddef>
#include <utility>

namespace ormidon::sim {

namespace {

constexpr int kSensorModes = 6;  // full frame and five quarter frames
constexpr uint8_t kSensorMirrorHorizontal = 0x80;
constexpr uint8_t kSensorMirrorVertical = 0x40;
constexpr std::size_t kRs485BodyMax = 64;

}  // namespace

void DeviceControls::InstallRoutes(HttpServer& server, SessionCheck refuse) {
    auto route = [&server, refuse](const char* path, auto handler) {
        server.SetRoute(path, [refuse, handler](const HttpRequest& request, Responder& responder) {
            if (!refuse(request, responder)) handler(request, responder);
        });
    };
    route("/PTZReset.cgi", [this](const HttpRequest&, Responder& w) { PtzReset(w); });
    route("/RS485Cmd.cgi", [this](const HttpRequest& r, Responder& w) { Rs485Command(r, w); });
    route("/SetRetr.cgi", [this](const HttpRequest& r, Responder& w) { SetRetr(r, w); });
    route("/OV9653Zoom.cgi", [this](const HttpRequest& r, Responder& w) { Zoom(r, w); });
    route("/OV9653Rotate.cgi", [this](const HttpRequest& r, Responder& w) { Rotate(r, w); });
    route("/GetColor.cgi", [this](const HttpRequest&, Responder& w) { GetColour(w); });
    route("/SetColor.cgi", [this](const HttpRequest& r, Responder& w) { SetColourRequest(r, w); });
}

void DeviceControls::SetPtzSlaves(std::vector<PtzSlaveEntry> slaves) {
    std::lock_guard lock(m_mutex);
    m_slaves = std::move(slaves);
}

void DeviceControls::SetPtzReportOverride(std::optional<std::string> report) {
    std::lock_guard lock(m_mutex);
    m_ptzReportOverride = std::move(report);
}

std::string DeviceControls::PtzReport() const {
    std::lock_guard lock(m_mutex);
    if (m_ptzReportOverride) return *m_ptzReportOverride;
    std::string report = "SLAVENUM=" + std::to_string(m_slaves.size()) + ";";
    for (const PtzSlaveEntry& slave : m_slaves) {
        report += "SID=" + std::to_string(slave.address) + ";STYPE=" + std::to_string(slave.type) +
                  ";SPROTOCOL=" + std::to_string(slave.protocol) + ";";
    }
    return report;
}

std::vector<std::string> DeviceControls::Rs485Bodies() const {
    std::lock_guard lock(m_mutex);
    return m_rs485Bodies;
}

void DeviceControls::ClearRs485Bodies() {
    std::lock_guard lock(m_mutex);
    m_rs485Bodies.clear();
}

std::optional<uint8_t> DeviceControls::RetrState() const {
    std::lock_guard lock(m_mutex);
    return m_retr;
}

std::optional<uint8_t> DeviceControls::SensorStatus() const {
    std::lock_guard lock(m_mutex);
    if (!m_sensorChanged) return std::nullopt;
    return static_cast<uint8_t>(m_sensorMode | (m_mirrorHorizontal ? kSensorMirrorHorizontal : 0) |
                                (m_mirrorVertical ? kSensorMirrorVertical : 0));
}

void DeviceControls::SetSensorStatus(uint8_t status) {
    std::lock_guard lock(m_mutex);
    m_sensorChanged = true;
    m_sensorMode = status & 0x0F;
    m_mirrorHorizontal = (status & kSensorMirrorHorizontal) != 0;
    m_mirrorVertical = (status & kSensorMirrorVertical) != 0;
}

PictureColour DeviceControls::Colour() const {
    std::lock_guard lock(m_mutex);
    return m_colour;
}

void DeviceControls::SetColour(const PictureColour& colour) {
    std::lock_guard lock(m_mutex);
    m_colour = colour;
}

void DeviceControls::SetColourReplyOverride(std::optional<std::string> reply) {
    std::lock_guard lock(m_mutex);
    m_colourReplyOverride = std::move(reply);
}

void DeviceControls::PtzReset(Responder& responder) { responder.Reply(200, PtzReport()); }

void DeviceControls::Rs485Command(const HttpRequest& request, Responder& responder) {
    // The client's body buffer holds 64 bytes; an empty body carries nothing to send.
    const std::string& body = request.body;
    if (body.empty() || body.size() > kRs485BodyMax) {
        responder.Reply(400);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_rs485Bodies.push_back(body);
    }
    responder.Reply(200);
}

void DeviceControls::SetRetr(const HttpRequest& request, Responder& responder) {
    const std::optional<int> set = request.NumberParam("SET", 0, 1);
    if (!set) {
        responder.Reply(400);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_retr = static_cast<uint8_t>(*set);
    }
    responder.Reply(200);
}

void DeviceControls::Zoom(const HttpRequest& request, Responder& responder) {
    const std::optional<int> mode = request.NumberParam("MODE", 0, kSensorModes - 1);
    if (!mode) {
        responder.Reply(400);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_sensorChanged = true;
        m_sensorMode = static_cast<uint8_t>(*mode);
    }
    responder.Reply(200);
}

void DeviceControls::Rotate(const HttpRequest& request, Responder& responder) {
    const std::optional<int> horizontal = request.NumberParam("HR", 0, 1);
    const std::optional<int> vertical = request.NumberParam("VR", 0, 1);
    if (!horizontal || !vertical) {
        responder.Reply(400);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_sensorChanged = true;
        m_mirrorHorizontal = *horizontal == 1;
        m_mirrorVertical = *vertical == 1;
    }
    responder.Reply(200);
}

void DeviceControls::GetColour(Responder& responder) {
    std::string reply;
    {
        std::lock_guard lock(m_mutex);
        reply = m_colourReplyOverride ? *m_colourReplyOverride
                                      : "BRI=" + std::to_string(m_colour.brightness) +
                                            ";CON=" + std::to_string(m_colour.contrast) +
                                            ";HUE=" + std::to_string(m_colour.hue) + ";";
    }
    responder.Reply(200, reply);
}

void DeviceControls::SetColourRequest(const HttpRequest& request, Responder& responder) {
    const std::optional<int> contrast = request.NumberParam("CON", 0, 255);
    const std::optional<int> brightness = request.NumberParam("BRI", 0, 255);
    const std::optional<int> hue = request.NumberParam("HUE", 0, 255);
    if (!contrast || !brightness || !hue) {
        responder.Reply(400);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_colour = {*brightness, *contrast, *hue};
    }
    responder.Reply(200);
}

}  // namespace ormidon::sim
