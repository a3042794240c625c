// Templates are outside input: the reader must reject a broken one with its error, never crash,
// hang or run out of memory, and whatever it accepts must render.
//
// The first byte chooses the input's form: even, the bytes are an .xlsx file (the zip container
// and everything inside); odd, they are the XML parts themselves, separated by NUL bytes in the
// order workbook, relationships, shared strings, styles, first sheet, second sheet, so the XML
// handling is reached without first getting a zip container and its checksums right.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "excel/Book.h"
#include "excel/NumberFormat.h"

namespace {

void Render(const NUVExcel::BookData& book) {
    for (const auto& sheet : book.sheets)
        for (const auto& [key, cell] : sheet->cells) {
            const std::string& fmt = book.core->styles.Get(cell.style).numberFormat;
            if (cell.kind == NUVExcel::Cell::kNumber) NUVExcel::FormatNumber(cell.number, fmt);
            else if (cell.kind == NUVExcel::Cell::kText) NUVExcel::FormatText(cell.text, fmt);
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    try {
        if ((data[0] & 1) == 0) {
            Render(NUVExcel::ReadXlsxBytes(data + 1, size - 1));
        } else {
            static const char* const kNames[] = {"xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/sharedStrings.xml",
                                                 "xl/styles.xml", "xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"};
            std::map<std::string, std::string> parts;
            std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
            std::size_t pos = 0;
            for (const char* name : kNames) {
                if (pos > input.size()) break;
                std::size_t end = input.find('\0', pos);
                if (end == std::string::npos) end = input.size();
                parts[name] = input.substr(pos, end - pos);
                pos = end + 1;
            }
            Render(NUVExcel::ReadXlsxParts([&parts](const std::string& name, std::string& out) {
                auto it = parts.find(name);
                if (it == parts.end()) return false;
                out = it->second;
                return true;
            }));
        }
    } catch (const NUVExcel::FileError&) {
    }
    return 0;
}
