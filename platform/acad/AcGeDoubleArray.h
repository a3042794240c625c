#pragma once
#include "acad/AcArray.h"
typedef AcArray<double> AcGeDoubleArray;
