#pragma once
// Which device the program talks to: family tests on the product id, firmware
// version comparison and capability tests, all on the identity the login stored in
// the application record. Answers are 0 while there is no application record.
#include <cstdint>
#include <string_view>

// Compares two four-character version texts: -1 when either is not exactly four
// characters long; else, at the first differing position, 1 when a's character is
// smaller and 2 when it is larger; 0 when equal. Callers pass a threshold as `a` and
// the device's firmware version as `b`, so 2 means the firmware is older.
int CompareVersion(std::string_view a, std::string_view b);

// Family tests on str_ProductID, without regard to letter case: 1 or 0.
int IsP5xKModel();  // P51K, P53K, P55K (the DVRs)
int IsP62KModel();  // P62K
int IsT18DModel();  // T18D
int IsN2xVModel();  // N27V, N25V, N23V

// The device's "MULTICH" answer (0 when it was absent).
uint8_t IsMultiChannel();
// 1 when `mask` and the device's capability word share a bit.
int HasDeviceCapability(uint32_t mask);

// Position of a peripheral code in the peripheral code table; 0 when it is not there.
uint8_t PeripheralCodeToIndex(uint8_t code);
// The peripheral code at a position; 0 for positions past the table.
uint8_t IndexToPeripheralCode(uint8_t index);
