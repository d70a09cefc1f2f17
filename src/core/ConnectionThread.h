#pragma once
// Connection_Thread: counts the life time that the device granted to the login and
// closes the main window when it is used up. One runs per live pipeline.
#include <cstdint>
#include <stop_token>

// The number of seconds after which the count of a life time of `minutes` ends: the
// count runs while it is below this value. A negative life time other than unlimited
// never ends the count; the product is taken in 64 bits so no life time overflows.
uint64_t LifeTimeLimitSeconds(int32_t minutes);

void Connection_Thread(std::stop_token stop);
