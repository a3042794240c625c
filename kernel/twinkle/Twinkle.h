// Flashing entities so the user can find them: one entity, every entity of a selection set, or a
// temporary outline through points. Each request gets a twinkle id (a selection set a group id
// over its members' ids) and ends after its duration or when stopped; colours, linetypes and
// polyline widths changed for the flashing are put back. Ticks come from a thread timer through
// the host's message loop, so flashing never interrupts a running command.
#pragma once

#include "acad/AcDb.h"
#include "acad/AcGe.h"
#include "win/WinTypes.h"

namespace NUV {

// Durations in milliseconds: 0 means 3000; 0xFFFFFFFF (or more) never expires.
inline constexpr unsigned long kTwinkleForever = 0xFFFFFFFFul;

// An entity name (isSelectionSet 0) or a selection set's name (nonzero). `colour` >= 0 is the
// colour index while flashing, `linetype` (null or empty: unchanged) the linetype, `width` > 0
// the constant width of a lightweight polyline. The twinkle id, or for a set the group id (its
// members get the following ids, last member first); 0 when a set gives no item; -1 when the set
// cannot be read.
int ZQTwinkle(long* name, int isSelectionSet, int colour, const char* linetype, double width, unsigned long duration);
int ZQTwinkle(long* name, int isSelectionSet, unsigned long duration);
// An outline through the points, drawn as a closed polyline in model space (colour index taken
// modulo 257, negative colour and width as 0) that blinks and is erased when the flashing ends.
// The twinkle id, or 0 when the outline cannot be drawn.
int ZQTwinkle(AcGePoint3dArray& pts, int colour, const char* linetype, double width, unsigned long duration);
int ZQTwinkle(AcGePoint3dArray& pts, unsigned long duration);

// Stops a twinkle id or a group id and puts the entities back. 1 when stopped (also for an id
// that is not registered); 0 when an entity could not be reached (it stays registered). With a
// window handle, a group's members are stopped but the group stays registered (0).
int ZQStopTwinkle(int id, HWND window = nullptr);
// Stops every flashing and puts every entity back; the timer stops at its next tick.
void ZQStopAllTwinkle(HWND window = nullptr);
// Nonzero while the twinkle id or group id is registered (a group until it is stopped).
int ZQHasTwinkle(int id);

// Redraw modes of the "on" and "off" phases: 1 draw, 2 blank, 3 highlight, 4 unhighlight
// (defaults 1 and 2). 0 and no change when either is outside 1..4.
int ZQSetTwinkleMode(int first, int second);
void ZQGetTwinkleMode(int& first, int& second);
// Flash cycles per second, 0.1 to 10 (default 3); used the next time the timer starts. 0 and no
// change outside the range.
int ZQSetTwinkleFreQuency(double f);
double ZQGetTwinkleFreQuency();

}  // namespace NUV
