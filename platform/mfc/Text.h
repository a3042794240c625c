// Texts crossing between the framework (GBK bytes) and Qt (UTF-16). Both directions are exact:
// a byte sequence that is not GBK, or a character that GBK cannot hold, makes the conversion fail
// and names the offset, rather than turning into "?" or a replacement character.
#pragma once

#include <string_view>

#include "win/CString.h"

class QString;

namespace NUVMfc {

struct TextError {
    bool failed = false;
    int offset = 0;  // byte offset in the GBK text, or UTF-16 unit offset in the Qt text
};

// False (and `error` filled when given) when the text cannot cross unchanged; `out` is then
// left as it was.
bool ToQString(std::string_view gbk, QString& out, TextError* error = nullptr);
bool FromQString(const QString& text, CString& out, TextError* error = nullptr);

// For texts the program itself supplies (captions, menu items): an invalid byte is reported on
// standard error with `where`, and the valid part is shown.
QString ToQStringOrReport(std::string_view gbk, const char* where);

// Number of GBK bytes the text takes, or -1 when a character has no GBK form; no allocation.
int GbkLength(const QString& text);
// Writes as much of the text as fits in room bytes, whole characters only, with no allocation;
// the bytes written, or -1 when a character has no GBK form.
int FromQStringInto(const QString& text, char* buffer, int room);

}  // namespace NUVMfc
