#pragma once
// This computer's own IPv4 address, the "Host:" value of every request and the source of the
// device search broadcast.

// Writes this computer's first non-loopback IPv4 address that is up as "%d.%d.%d.%d" into
// `text` (room for at least 16 characters); "127.0.0.1" when there is none. The host name is
// not resolved: on Debian it maps to 127.0.1.1, which is no address a device can answer.
void GetLocalIPAddress(char* text);
