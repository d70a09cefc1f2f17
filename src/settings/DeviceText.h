#pragma once
// Texts of the device's sections as the pages show them. The device's bytes are taken one
// character per byte both ways, so a text the operator did not touch goes back byte for byte
// (a byte that is not valid UTF-8 would otherwise come back changed).
#include <QString>
#include <string>
#include <string_view>

namespace settings {

inline QString DeviceText(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string DeviceBytes(const QString& text) { return text.toLatin1().toStdString(); }

}  // namespace settings
