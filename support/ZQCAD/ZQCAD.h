// ZQCAD.arx: drawing-database utilities of the suite, on the host's API. Everything works on the
// current drawing (GetCurDWGPtr) unless it is given an object; every object a function opens is
// closed before it returns, except the entity Append hands back open for write.
#pragma once

#include "ZQCAD/CurrentDrawing.h"
#include "ZQCAD/Display.h"
#include "ZQCAD/EntityBounds.h"
#include "ZQCAD/HostModules.h"
#include "ZQCAD/LayerInfo.h"
#include "ZQCAD/OxData.h"
#include "ZQCAD/TextAngles.h"
#include "ZQCAD/UndoMarks.h"
