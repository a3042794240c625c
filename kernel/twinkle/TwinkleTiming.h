// The flashing timer's interval: half the flash period, so that one on-off cycle takes a period.
#pragma once

namespace NUV {

// Period p = 1000 / frequency ms truncated (600 ms without a positive frequency, and 600 ms when
// p comes out at 50 ms or less); the interval is p / 2 truncated: 166 ms at 3 per second, 50 ms
// at 10, 5000 ms at 0.1.
unsigned TwinkleTimerInterval(double frequency);

}  // namespace NUV
