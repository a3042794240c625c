// Internal to the database layer: the conversions of field and parameter values to plain types,
// the report text of a caught platform error, record counting and bitmap blobs. Each conversion returns 1 or 0 as the typed
// reads of CADORecordset and CADOParameter do, leaving the output unchanged where it gives 0.
#pragma once

#include <cstdint>
#include <vector>

#include "ado/Ado.h"

#include "com/Com.h"
#include "win/CString.h"
#include "win/Gdi.h"

namespace NUVDb {

// Parameters differ from fields in two rows: dates and other unlisted tags read as double give
// 0.0, and a 4-byte unsigned value is not converted to text.
enum class Source { Field, Parameter };

int ToDouble(const VARIANT& v, double& out, Source source = Source::Field);
int ToLong(const VARIANT& v, long& out);
int ToInt(const VARIANT& v, int& out);
int ToBool(const VARIANT& v, bool& out);
int ToDate(const VARIANT& v, COleDateTime& out);
int ToCurrency(const VARIANT& v, COleCurrency& out);
int ToText(const VARIANT& v, CString& out, const char* dateFormat, Source source = Source::Field);
inline int ToVariant(const VARIANT& v, _variant_t& out) {
    out = v;
    return 1;
}

// Sign x (low 32 bits of the magnitude) / 10^scale; the upper 64 bits are not used.
double DecimalValue(const DECIMAL& d);

// The general number format of the runtime's _gcvt: `digits` significant digits, fixed notation
// while the decimal exponent (after rounding) is at least -1 and below `digits`, else exponent
// notation; trailing zeros dropped, a whole number keeping its decimal point ("1."), exponents
// with a sign and three digits ("1.5e+020", "5.e-002"). Note the lower limit is 0.1, not the
// 0.0001 of printf's %g.
CString GeneralFormat(double value, int digits);

// "<Class> Error\n\tCode = %08lx\n\tCode meaning = %s\n\tSource = %s\n\tDescription = %s\n" for
// the error; an absent source or description prints as "(null)".
CString ErrorReport(const char* className, const _com_error& e);

// RecordCount, or, when the provider reports -1, the records counted by walking from the first;
// the walk leaves the record set on its first record (at its end when empty). Platform errors
// reach the caller.
std::uint32_t CountRecords(const NUVADO::_RecordsetPtr& recordset);

// The bitmap as a bitmap-file image at the display's colour depth (1, 4, 8, 24 or 32 bits, a
// colour table from the default palette up to 8 bits). False for a null or unreadable bitmap.
bool BitmapToBlob(HBITMAP bitmap, std::vector<std::uint8_t>& blob);
// A device-dependent bitmap (the display's depth) from a bitmap-file image; null unless the image
// starts with "BM" and its headers, colour table and pixels lie inside it.
HBITMAP BlobToBitmap(const std::uint8_t* data, std::size_t size);

}  // namespace NUVDb
