// Values into and out of cells as the application handles them: typed entry of text (numbers,
// percentages, truth values), dates with their implied format, and the displayed text.
#pragma once

#include <string>

#include "com/Com.h"
#include "excel/Book.h"
#include "excel/Excel.h"

namespace NUVExcel {

// Writes the value into every cell of the rectangle.
void PutValueImpl(const Excel::SheetRef& ref, const Rect& r, const _variant_t& value);
// The value of a single cell (dates as dates when asked).
_variant_t GetValueImpl(const Excel::SheetRef& ref, const Rect& r, bool dates);
std::string DisplayText(const SheetData& sh, const Cell* c);

}  // namespace NUVExcel
