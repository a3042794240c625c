// The Font of a range: name, size, colour and emphasis, read as a common value (null when the
// cells differ) and written to every cell.
#include "excel/AppState.h"
#include "excel/Automation.h"
#include "excel/CellArea.h"

namespace Excel {

using namespace NUVExcel;

_variant_t Font::GetName() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return TextVariant(s.fontName); });
}

void Font::PutName(const _variant_t& name) {
    ref_.Check();
    std::string n = Utf8(name);
    if (n.empty()) Fail("Unable to set the Name property of the Font class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [&n](Style& s) { s.fontName = n; });
}

_variant_t Font::GetSize() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(s.fontSize); });
}

void Font::PutSize(const _variant_t& size) {
    ref_.Check();
    double v = static_cast<double>(size);
    if (!(v >= 1 && v <= 409)) Fail("Unable to set the Size property of the Font class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [v](Style& s) { s.fontSize = v; });
}

_variant_t Font::GetColor() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(static_cast<double>(s.fontColor)); });
}

void Font::PutColor(const _variant_t& color) {
    ref_.Check();
    double v = static_cast<double>(color);
    if (!(v >= 0 && v <= 0xFFFFFF)) Fail("Unable to set the Color property of the Font class");
    auto c = static_cast<std::uint32_t>(v);
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [c](Style& s) { s.fontColor = c; });
}

_variant_t Font::GetBold() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(s.bold); });
}

void Font::PutBold(const _variant_t& bold) {
    ref_.Check();
    bool b = static_cast<bool>(bold);
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [b](Style& s) { s.bold = b; });
}

_variant_t Font::GetItalic() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) { return _variant_t(s.italic); });
}

void Font::PutItalic(const _variant_t& italic) {
    ref_.Check();
    bool b = static_cast<bool>(italic);
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [b](Style& s) { s.italic = b; });
}

_variant_t Font::GetUnderline() {
    ref_.Check();
    return Uniform(*ref_.sheet, rect_, [](const Style& s) {
        return _variant_t(static_cast<long>(s.underline ? xlUnderlineStyleSingle : xlUnderlineStyleNone));
    });
}

void Font::PutUnderline(const _variant_t& underline) {
    ref_.Check();
    long u = static_cast<long>(underline);
    if (u != xlUnderlineStyleNone && u != xlUnderlineStyleSingle) Fail("Unable to set the Underline property of the Font class");
    ref_.book->saved = false;
    Restyle(*ref_.sheet, rect_, [u](Style& s) { s.underline = u == xlUnderlineStyleSingle; });
}

}  // namespace Excel
