#pragma once
#include "acad/AcArray.h"
#include "acad/AcGePoint2d.h"

typedef AcArray<AcGePoint2d> AcGePoint2dArray;
