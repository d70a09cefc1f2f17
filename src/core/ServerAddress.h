#pragma once
// The device address of the settings object (m_strServerName) and the host name that a
// login by name keeps (m_szServerName). The senders read them and the login paths write
// them on several threads, so outside start-up and saving they are only reached here.
#include <string>
#include <string_view>

// The address every request goes to: dotted IPv4 text or a host name.
std::string GetServerName();
// Sets the device address as typed or chosen. Forgets a host name kept by an earlier
// login by name, so that name cannot win over this later address.
void SetServerName(std::string_view address);
// The host name kept by the last login by name; empty when there is none.
std::string GetHostServerName();
// When a login by name kept a host name, makes it the device address again so the next
// login resolves it afresh (the name stays kept). False when there is none.
bool UseHostServerName();
// After the login command resolved `hostName`: keeps the name (at most 255 characters)
// and makes `dottedAddress` the device address.
void SetResolvedServerName(std::string_view hostName, std::string_view dottedAddress);
