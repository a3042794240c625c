// The host's display functions on the drawing of an entity name (or, without one, the working
// drawing): redraw modes, entity regeneration, display flushes and temporary vectors. They act
// on the display model of Display.h; nothing is painted here.
#pragma once

#include "acad/AdsName.h"
#include "acad/AdsTypes.h"

// With an entity: mode 1 draws it, 2 blanks it, 3 highlights it, 4 draws it without highlight
// (negative modes do the same to a block reference). With a null or nil name the whole view of
// the working drawing is redrawn, whatever the mode. RTNORM, or RTERROR for a name that names
// no entity (or an erased one), a mode out of range, or no working drawing.
int acedRedraw(const ads_name ent, int mode);
// Regenerates one entity from its data: a blanked entity is drawn again. RTNORM or RTERROR.
int acdbEntUpd(const ads_name ent);
// Flushes pending graphics to the screen.
void acedUpdateDisplay();
// A temporary vector between two points of the current UCS in colour index `color` (0 to 255,
// or -1 for the inverse of what is under it), highlighted (dashed) when hl is nonzero. It stays
// until the view is redrawn. RTNORM, or RTERROR for a bad colour or no working drawing.
int acedGrDraw(const ads_point from, const ads_point to, int color, int hl);
