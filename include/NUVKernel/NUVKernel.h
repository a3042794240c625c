// NUVKernel SDK: the whole exported API of the kernel and its platform layers.
// Each subsystem adds its public headers here.
#pragma once

#include "win/CString.h"
#include "settings/AppName.h"
#include "hydraulics/Friction.h"
#include "hydraulics/LocalLoss.h"
#include "hydraulics/FluidProperties.h"
#include "com/ComTypes.h"
#include "com/ComError.h"
#include "com/Bstr.h"
#include "com/ComPtr.h"
#include "com/Variant.h"
#include "com/OleDateTime.h"
#include "com/Com.h"
#include "expr/MathString.h"
#include "excel/Book.h"
#include "excel/NumberFormat.h"
#include "excel/Excel.h"
#include "report/ExcelCal.h"
#include "report/ReportMessage.h"
