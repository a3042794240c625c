// A read-only look at the flashing engine, for diagnostics, the host's frame dumps and tests:
// what is registered and where the shared phase stands. Nothing here changes the engine.
#pragma once

#include <vector>

#include "acad/AcDbObjectId.h"

namespace NUV {

struct TwinkleState {
    int sharedPhase = 0;    // the redraw mode of the last tick (0 before the first tick)
    bool timerRunning = false;
    int items = 0;          // registered twinkle ids
    int outlines = 0;       // temporary outlines drawn for point lists
    int groups = 0;         // registered group ids
    int nextId = 0;         // the id the next request will get
    unsigned long long entitiesOpened = 0;  // entity opens by the engine since the process began
};

TwinkleState GetTwinkleState();
// How many live twinkle items flash the entity.
int TwinkleUseCount(AcDbObjectId entity);
// The redraw mode last applied to a twinkle id's entity; 0 when the id is not an item.
int TwinkleItemPhase(int id);

}  // namespace NUV
