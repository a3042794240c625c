// The workbook saved through libxlsxwriter. Styles map one to one onto libxlsxwriter formats,
// made once per distinct style. libxlsxwriter fills the temporary file of the one atomic writer,
// so a reader never sees half a workbook and whatever stands at the path is treated as for any
// other file.
#include <xlsxwriter.h>

#include "excel/Book.h"
#include "win/FileSystem.h"

namespace NUVExcel {

namespace {

lxw_color_t FromColorRef(std::uint32_t c) {
    lxw_color_t rgb = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

// The file format's border style for the application's line style and weight.
std::uint8_t BorderStyle(const Edge& e) {
    bool heavy = e.weight == -4138 || e.weight == 4;  // xlMedium, xlThick
    switch (e.lineStyle) {
        case 1:  // xlContinuous
            if (e.weight == 1) return LXW_BORDER_HAIR;
            if (e.weight == -4138) return LXW_BORDER_MEDIUM;
            if (e.weight == 4) return LXW_BORDER_THICK;
            return LXW_BORDER_THIN;
        case -4115: return heavy ? LXW_BORDER_MEDIUM_DASHED : LXW_BORDER_DASHED;
        case -4118: return LXW_BORDER_DOTTED;
        case 4: return heavy ? LXW_BORDER_MEDIUM_DASH_DOT : LXW_BORDER_DASH_DOT;
        case 5: return heavy ? LXW_BORDER_MEDIUM_DASH_DOT_DOT : LXW_BORDER_DASH_DOT_DOT;
        case -4119: return LXW_BORDER_DOUBLE;
        case 13: return LXW_BORDER_SLANT_DASH_DOT;
        default: return LXW_BORDER_NONE;
    }
}

std::uint8_t HAlign(int h) {
    switch (h) {
        case -4131: return LXW_ALIGN_LEFT;
        case -4108: return LXW_ALIGN_CENTER;
        case -4152: return LXW_ALIGN_RIGHT;
        case 5: return LXW_ALIGN_FILL;
        case -4130: return LXW_ALIGN_JUSTIFY;
        case 7: return LXW_ALIGN_CENTER_ACROSS;
        case -4117: return LXW_ALIGN_DISTRIBUTED;
        default: return LXW_ALIGN_NONE;
    }
}

std::uint8_t VAlign(int v) {
    switch (v) {
        case -4160: return LXW_ALIGN_VERTICAL_TOP;
        case -4108: return LXW_ALIGN_VERTICAL_CENTER;
        case -4130: return LXW_ALIGN_VERTICAL_JUSTIFY;
        case -4117: return LXW_ALIGN_VERTICAL_DISTRIBUTED;
        default: return LXW_ALIGN_NONE;  // bottom is the file format's default
    }
}

lxw_format* MakeFormat(lxw_workbook* wb, const Style& s) {
    lxw_format* f = workbook_add_format(wb);
    if (s.numberFormat != "General") format_set_num_format(f, s.numberFormat.c_str());
    format_set_font_name(f, s.fontName.c_str());
    format_set_font_size(f, s.fontSize);
    if (s.fontColor != 0) format_set_font_color(f, FromColorRef(s.fontColor));
    if (s.bold) format_set_bold(f);
    if (s.italic) format_set_italic(f);
    if (s.underline) format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (std::uint8_t h = HAlign(s.hAlign)) format_set_align(f, h);
    if (std::uint8_t v = VAlign(s.vAlign)) format_set_align(f, v);
    if (s.rotation == kVerticalRotation) format_set_rotation(f, 270);
    else if (s.rotation != 0) format_set_rotation(f, static_cast<std::int16_t>(s.rotation));
    if (s.wrap) format_set_text_wrap(f);
    const Edge& l = s.edges[kLeft];
    const Edge& t = s.edges[kTop];
    const Edge& b = s.edges[kBottom];
    const Edge& r = s.edges[kRight];
    if (std::uint8_t st = BorderStyle(l)) {
        format_set_left(f, st);
        if (l.color) format_set_left_color(f, FromColorRef(l.color));
    }
    if (std::uint8_t st = BorderStyle(t)) {
        format_set_top(f, st);
        if (t.color) format_set_top_color(f, FromColorRef(t.color));
    }
    if (std::uint8_t st = BorderStyle(b)) {
        format_set_bottom(f, st);
        if (b.color) format_set_bottom_color(f, FromColorRef(b.color));
    }
    if (std::uint8_t st = BorderStyle(r)) {
        format_set_right(f, st);
        if (r.color) format_set_right_color(f, FromColorRef(r.color));
    }
    return f;
}

void Check(lxw_error e, const char* what) {
    if (e != LXW_NO_ERROR) throw FileError{std::string(what) + ": " + lxw_strerror(e)};
}

// The whole workbook into the file at `temp`.
void Produce(const BookData& book, const std::string& temp) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.use_zip64 = LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(temp.c_str(), &options);
    if (!wb) throw FileError{"cannot start the workbook writer"};
    try {
        const StyleTable& styles = book.core->styles;
        std::vector<lxw_format*> formats(styles.Size(), nullptr);
        auto format = [&](std::uint32_t id) -> lxw_format* {
            if (id == 0) return nullptr;
            if (!formats[id]) formats[id] = MakeFormat(wb, styles.Get(id));
            return formats[id];
        };
        for (const auto& sheet : book.sheets) {
            lxw_worksheet* ws = workbook_add_worksheet(wb, sheet->name.c_str());
            if (!ws) throw FileError{"invalid sheet name '" + sheet->name + "'"};
            for (const auto& [col, width] : sheet->columnWidths)
                Check(worksheet_set_column(ws, static_cast<lxw_col_t>(col - 1), static_cast<lxw_col_t>(col - 1), width, nullptr),
                      "column width");
            for (const auto& [row, height] : sheet->rowHeights)
                Check(worksheet_set_row(ws, static_cast<lxw_row_t>(row - 1), height, nullptr), "row height");
            // Merges first: the merge call writes blanks over its area, and the cells written
            // after it put back each cell's own value and format.
            for (const Rect& m : sheet->merges)
                Check(worksheet_merge_range(ws, static_cast<lxw_row_t>(m.r1 - 1), static_cast<lxw_col_t>(m.c1 - 1),
                                            static_cast<lxw_row_t>(m.r2 - 1), static_cast<lxw_col_t>(m.c2 - 1), "", nullptr),
                      "merge");
            for (const auto& [key, cell] : sheet->cells) {
                auto row = static_cast<lxw_row_t>(SheetData::KeyRow(key) - 1);
                auto col = static_cast<lxw_col_t>(SheetData::KeyCol(key) - 1);
                lxw_format* f = format(cell.style);
                lxw_error e = LXW_NO_ERROR;
                switch (cell.kind) {
                    case Cell::kNumber: e = worksheet_write_number(ws, row, col, cell.number, f); break;
                    case Cell::kText: e = worksheet_write_string(ws, row, col, cell.text.c_str(), f); break;
                    case Cell::kBool: e = worksheet_write_boolean(ws, row, col, cell.number != 0, f); break;
                    case Cell::kEmpty:
                        if (f) e = worksheet_write_blank(ws, row, col, f);
                        break;
                }
                Check(e, "cell");
            }
            if (sheet->landscape) worksheet_set_landscape(ws);
            if (sheet->fitToPages)
                worksheet_fit_to_pages(ws, static_cast<std::uint16_t>(sheet->fitWide), static_cast<std::uint16_t>(sheet->fitTall));
            else if (sheet->printZoom != 100)
                worksheet_set_print_scale(ws, static_cast<std::uint16_t>(sheet->printZoom));
        }
    } catch (...) {
        lxw_workbook_free(wb);
        throw;
    }
    lxw_error e = workbook_close(wb);
    if (e != LXW_NO_ERROR) throw FileError{lxw_strerror(e)};
}

}  // namespace

void WriteXlsx(const BookData& book, const std::string& nativePath) {
    std::string why;
    bool ok = NUVWin::WriteNativeFileAtomicWith(
        nativePath,
        [&](const std::string& temp, std::string& reason) {
            try {
                Produce(book, temp);
                return true;
            } catch (const FileError& e) {
                reason = e.message;
                return false;
            }
        },
        &why);
    if (!ok) throw FileError{why};
}

}  // namespace NUVExcel
