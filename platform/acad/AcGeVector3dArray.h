#pragma once
#include "acad/AcArray.h"
#include "acad/AcGeVector3d.h"

typedef AcArray<AcGeVector3d> AcGeVector3dArray;
