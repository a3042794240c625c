// The host's line-type chooser. nuvcad has no dialog window, so the input source answers it as
// a user would pick from the list: the name of a line type of the working drawing (any letter
// case), Enter for the one chosen before, or a cancel. A name the list would not show is
// refused with a message and asked for again.
#pragma once

#include "acad/AcDbObjectId.h"

// `oldId` is the line type chosen before (may be null); ByBlock and ByLayer are offered only
// with `includeByBlockByLayer`. True with the chosen name (a copy the caller frees with
// acutDelString) and id; false on cancel, when no drawing is open or when Enter has nothing to
// keep, leaving both results alone.
bool acedLinetypeDialog(AcDbObjectId oldId, bool includeByBlockByLayer, char*& newName, AcDbObjectId& newId);
