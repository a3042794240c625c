#include "acad/AcGeContext.h"

AcGeTol AcGeContext::gTol;
