#pragma once
#include "acad/AcGeTol.h"

// Process-wide geometry settings: the tolerance used wherever a caller passes none.
struct AcGeContext {
    static AcGeTol gTol;
};
