#pragma once
#include "acad/AcArray.h"
#include "acad/AcGePoint3d.h"

typedef AcArray<AcGePoint3d> AcGePoint3dArray;
