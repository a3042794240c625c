// The flashing timer's interval.
#include "twinkle/TwinkleTiming.h"

namespace NUV {

unsigned TwinkleTimerInterval(double frequency) {
    constexpr int kFallbackPeriod = 600;
    int period = kFallbackPeriod;
    if (frequency > 0) {
        double p = 1000.0 / frequency;
        period = p < 2147483647.0 ? static_cast<int>(p) : 2147483647;
        if (period <= 50) period = kFallbackPeriod;
    }
    return static_cast<unsigned>(period / 2);
}

}  // namespace NUV
