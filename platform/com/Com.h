// The component runtime stand-in in one include: types, errors, strings, variants, dates and
// currency, reference-counted objects.
#pragma once

#include "com/Bstr.h"
#include "com/ComError.h"
#include "com/ComPtr.h"
#include "com/ComTypes.h"
#include "com/OleDateTime.h"
#include "com/Variant.h"
