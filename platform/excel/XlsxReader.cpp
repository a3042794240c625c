// Workbook templates read from .xlsx files: the zip container through libzip, its XML parts
// through pugixml. What the model holds is read (values, shared strings, sheet names, column
// widths, row heights, merges, number formats, fonts, alignment, borders, print zoom); anything
// else in the file is left behind. Element names are matched without their namespace prefix, as
// producers differ in the prefixes they use.
#include <zip.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>

#include "excel/Book.h"

namespace NUVExcel {

namespace {

// The largest part read; templates are small, and this keeps a hostile file from exhausting memory.
constexpr zip_uint64_t kMaxPartSize = 64u << 20;
constexpr std::size_t kMaxSheets = 255;

class Archive {
public:
    explicit Archive(zip_t* z) : z_(z) {}
    ~Archive() {
        if (z_) zip_discard(z_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // The part's bytes; false when the part is absent.
    bool Read(const std::string& name, std::string& out) const {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat(z_, name.c_str(), 0, &st) != 0) return false;
        if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxPartSize) throw FileError{"part '" + name + "' is too large"};
        zip_file_t* f = zip_fopen(z_, name.c_str(), 0);
        if (!f) throw FileError{"cannot open part '" + name + "'"};
        out.resize(st.size);
        zip_int64_t n = st.size ? zip_fread(f, out.data(), st.size) : 0;
        zip_fclose(f);
        if (n < 0 || static_cast<zip_uint64_t>(n) != st.size) throw FileError{"part '" + name + "' is damaged"};
        return true;
    }

private:
    zip_t* z_;
};

const char* LocalName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node Child(pugi::xml_node n, const char* name) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && std::strcmp(LocalName(c.name()), name) == 0) return c;
    return {};
}

template <class F>
void EachChild(pugi::xml_node n, const char* name, F f) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && std::strcmp(LocalName(c.name()), name) == 0) f(c);
}

// Attributes, also matched without prefix ("r:id").
pugi::xml_attribute Attr(pugi::xml_node n, const char* name) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
        if (std::strcmp(LocalName(a.name()), name) == 0) return a;
    return {};
}

void Load(pugi::xml_document& doc, const std::string& bytes, const std::string& part) {
    pugi::xml_parse_result r = doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!r) throw FileError{"part '" + part + "' is not well-formed XML: " + r.description()};
}

// The text of a string item: plain <t>, or the runs <r><t> of rich text.
std::string ItemText(pugi::xml_node si) {
    std::string s;
    if (pugi::xml_node t = Child(si, "t")) s += t.child_value();
    EachChild(si, "r", [&s](pugi::xml_node r) {
        if (pugi::xml_node t = Child(r, "t")) s += t.child_value();
    });
    return s;
}

std::uint32_t ColorRefFromArgb(const char* argb) {
    std::size_t n = std::strlen(argb);
    if (n != 8 && n != 6) return 0;
    char* end = nullptr;
    unsigned long v = std::strtoul(argb, &end, 16);
    if (*end) return 0;
    std::uint32_t rgb = static_cast<std::uint32_t>(v & 0xFFFFFF);
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

Edge EdgeFrom(pugi::xml_node e) {
    Edge edge;
    if (!e) return edge;
    std::string style = Attr(e, "style").value();
    struct Map {
        const char* name;
        int lineStyle, weight;
    };
    static const Map kMap[] = {
        {"thin", 1, 2},           {"medium", 1, -4138},       {"thick", 1, 4},          {"hair", 1, 1},
        {"dashed", -4115, 2},     {"mediumDashed", -4115, -4138}, {"dotted", -4118, 2}, {"dashDot", 4, 2},
        {"mediumDashDot", 4, -4138}, {"dashDotDot", 5, 2},   {"mediumDashDotDot", 5, -4138},
        {"double", -4119, 4},     {"slantDashDot", 13, -4138},
    };
    for (const Map& m : kMap)
        if (style == m.name) {
            edge.lineStyle = m.lineStyle;
            edge.weight = m.weight;
        }
    if (pugi::xml_node c = Child(e, "color")) edge.color = ColorRefFromArgb(Attr(c, "rgb").value());
    return edge;
}

int HAlignFrom(const std::string& s) {
    if (s == "left") return -4131;
    if (s == "center") return -4108;
    if (s == "right") return -4152;
    if (s == "fill") return 5;
    if (s == "justify") return -4130;
    if (s == "centerContinuous") return 7;
    if (s == "distributed") return -4117;
    return kHAlignGeneral;
}

int VAlignFrom(const std::string& s) {
    if (s == "top") return -4160;
    if (s == "center") return -4108;
    if (s == "justify") return -4130;
    if (s == "distributed") return -4117;
    return kVAlignBottom;
}

// The built-in number formats a file refers to by id alone.
std::string BuiltinFormat(int id) {
    switch (id) {
        case 1: return "0";
        case 2: return "0.00";
        case 3: return "#,##0";
        case 4: return "#,##0.00";
        case 9: return "0%";
        case 10: return "0.00%";
        case 11: return "0.00E+00";
        case 12: return "# ?/?";
        case 13: return "# ?\?/??";
        case 14: return "mm-dd-yy";
        case 15: return "d-mmm-yy";
        case 16: return "d-mmm";
        case 17: return "mmm-yy";
        case 18: return "h:mm AM/PM";
        case 19: return "h:mm:ss AM/PM";
        case 20: return "h:mm";
        case 21: return "h:mm:ss";
        case 22: return "m/d/yy h:mm";
        case 37: return "#,##0 ;(#,##0)";
        case 38: return "#,##0 ;[Red](#,##0)";
        case 39: return "#,##0.00;(#,##0.00)";
        case 40: return "#,##0.00;[Red](#,##0.00)";
        case 45: return "mm:ss";
        case 46: return "[h]:mm:ss";
        case 47: return "mmss.0";
        case 48: return "##0.0E+0";
        case 49: return "@";
        default: return "General";
    }
}

// The cell formats (cellXfs) of the styles part, as styles interned in the workbook.
std::vector<std::uint32_t> ReadStyles(const PartReader& zip, StyleTable& table) {
    std::vector<std::uint32_t> xfs;
    std::string bytes;
    if (!zip("xl/styles.xml", bytes)) return xfs;
    pugi::xml_document doc;
    Load(doc, bytes, "xl/styles.xml");
    pugi::xml_node root = doc.document_element();
    std::map<int, std::string> numFmts;
    EachChild(Child(root, "numFmts"), "numFmt", [&](pugi::xml_node n) {
        numFmts[Attr(n, "numFmtId").as_int()] = Attr(n, "formatCode").value();
    });
    struct Font {
        std::string name = kDefaultFontName;
        double size = kDefaultFontSize;
        std::uint32_t color = 0;
        bool bold = false, italic = false, underline = false;
    };
    std::vector<Font> fonts;
    EachChild(Child(root, "fonts"), "font", [&](pugi::xml_node n) {
        Font f;
        if (auto x = Child(n, "name")) f.name = Attr(x, "val").value();
        if (auto x = Child(n, "sz")) f.size = Attr(x, "val").as_double(kDefaultFontSize);
        if (auto x = Child(n, "color")) f.color = ColorRefFromArgb(Attr(x, "rgb").value());
        auto flag = [&n](const char* name) {
            pugi::xml_node x = Child(n, name);
            return x && Attr(x, "val").as_bool(true);
        };
        f.bold = flag("b");
        f.italic = flag("i");
        f.underline = Child(n, "u") && std::strcmp(Attr(Child(n, "u"), "val").as_string("single"), "none") != 0;
        if (!std::isfinite(f.size) || f.size < 1 || f.size > 409) f.size = kDefaultFontSize;
        fonts.push_back(f);
    });
    std::vector<std::array<Edge, kEdgeCount>> borders;
    EachChild(Child(root, "borders"), "border", [&](pugi::xml_node n) {
        std::array<Edge, kEdgeCount> b;
        b[kLeft] = EdgeFrom(Child(n, "left"));
        b[kTop] = EdgeFrom(Child(n, "top"));
        b[kBottom] = EdgeFrom(Child(n, "bottom"));
        b[kRight] = EdgeFrom(Child(n, "right"));
        borders.push_back(b);
    });
    EachChild(Child(root, "cellXfs"), "xf", [&](pugi::xml_node n) {
        Style s;
        int fmt = Attr(n, "numFmtId").as_int();
        auto it = numFmts.find(fmt);
        s.numberFormat = it != numFmts.end() ? it->second : BuiltinFormat(fmt);
        std::size_t fontId = Attr(n, "fontId").as_uint();
        if (fontId < fonts.size()) {
            const Font& f = fonts[fontId];
            s.fontName = f.name;
            s.fontSize = f.size;
            s.fontColor = f.color;
            s.bold = f.bold;
            s.italic = f.italic;
            s.underline = f.underline;
        }
        std::size_t borderId = Attr(n, "borderId").as_uint();
        if (borderId < borders.size())
            for (int e = 0; e < kEdgeCount; ++e) s.edges[e] = borders[borderId][e];
        if (pugi::xml_node a = Child(n, "alignment")) {
            s.hAlign = HAlignFrom(Attr(a, "horizontal").value());
            s.vAlign = VAlignFrom(Attr(a, "vertical").value());
            int rot = Attr(a, "textRotation").as_int();
            if (rot == 255) s.rotation = kVerticalRotation;
            else if (rot > 0 && rot <= 90) s.rotation = rot;
            else if (rot > 90 && rot <= 180) s.rotation = 90 - rot;
            s.wrap = Attr(a, "wrapText").as_bool();
        }
        xfs.push_back(table.Intern(s));
    });
    return xfs;
}

// Width stored in the file (characters plus the cell padding, in whole pixels of the default
// font) back to the characters the application shows.
double CharsFromFileWidth(double w) {
    if (!(w > 0) || !std::isfinite(w)) return 0;
    double pixels = std::trunc(w * 7 + 0.5);
    double chars = pixels <= 12 ? pixels / 12.0 : (pixels - 5) / 7.0;
    return std::round(chars * 100) / 100;
}

void ReadSheet(const PartReader& zip, const std::string& part, SheetData& sheet, const std::vector<std::string>& strings,
               const std::vector<std::uint32_t>& xfs) {
    std::string bytes;
    if (!zip(part, bytes)) throw FileError{"sheet part '" + part + "' is missing"};
    pugi::xml_document doc;
    Load(doc, bytes, part);
    pugi::xml_node root = doc.document_element();
    auto styleOf = [&xfs](pugi::xml_node n) -> std::uint32_t {
        std::size_t s = Attr(n, "s").as_uint();
        return s < xfs.size() ? xfs[s] : 0;
    };
    EachChild(Child(root, "cols"), "col", [&](pugi::xml_node c) {
        long lo = Attr(c, "min").as_int(), hi = Attr(c, "max").as_int();
        if (lo < 1 || hi < lo || hi > kMaxCol || !Attr(c, "width")) return;
        double w = CharsFromFileWidth(Attr(c, "width").as_double());
        hi = std::min(hi, lo + 1024);  // whole-sheet column runs keep only their start
        for (long k = lo; k <= hi; ++k) sheet.columnWidths[k] = w;
    });
    long nextRow = 1;
    EachChild(Child(root, "sheetData"), "row", [&](pugi::xml_node r) {
        long row = Attr(r, "r").as_int(nextRow);
        if (row < 1 || row > kMaxRow) return;
        nextRow = row + 1;
        if (Attr(r, "customHeight").as_bool() || Attr(r, "ht")) {
            double ht = Attr(r, "ht").as_double(kDefaultRowHeight);
            if (std::isfinite(ht) && ht >= 0 && ht <= 409) sheet.rowHeights[row] = ht;
        }
        long nextCol = 1;
        EachChild(r, "c", [&](pugi::xml_node c) {
            long cr = row, cc = nextCol;
            if (pugi::xml_attribute ref = Attr(c, "r")) {
                if (!ParseCellRef(ref.value(), cr, cc) || cr != row) return;
            }
            if (cc < 1 || cc > kMaxCol) return;
            nextCol = cc + 1;
            Cell cell;
            cell.style = styleOf(c);
            std::string type = Attr(c, "t").value();
            pugi::xml_node v = Child(c, "v");
            if (type == "inlineStr") {
                cell.kind = Cell::kText;
                cell.text = ItemText(Child(c, "is"));
            } else if (v) {
                const char* text = v.child_value();
                if (type == "s") {
                    std::size_t i = std::strtoul(text, nullptr, 10);
                    if (i < strings.size()) {
                        cell.kind = Cell::kText;
                        cell.text = strings[i];
                    }
                } else if (type == "b") {
                    cell.kind = Cell::kBool;
                    cell.number = std::atoi(text) != 0;
                } else if (type == "str" || type == "e" || type == "d") {
                    cell.kind = Cell::kText;
                    cell.text = text;
                } else {
                    char* end = nullptr;
                    double d = std::strtod(text, &end);
                    if (end != text && std::isfinite(d)) {
                        cell.kind = Cell::kNumber;
                        cell.number = d;
                    }
                }
            }
            if (cell.kind == Cell::kText && cell.text.empty()) cell.kind = Cell::kEmpty;
            if (cell.kind != Cell::kEmpty || cell.style != 0) sheet.cells[SheetData::Key(cr, cc)] = std::move(cell);
        });
    });
    EachChild(Child(root, "mergeCells"), "mergeCell", [&](pugi::xml_node m) {
        Rect rect;
        if (!ParseRangeRef(Attr(m, "ref").value(), rect)) return;
        if (rect.r1 == rect.r2 && rect.c1 == rect.c2) return;
        for (const Rect& other : sheet.merges)
            if (other.Intersects(rect)) return;
        sheet.merges.push_back(rect);
    });
    if (pugi::xml_node ps = Child(root, "pageSetup")) {
        int scale = Attr(ps, "scale").as_int(100);
        if (scale >= 10 && scale <= 400) sheet.printZoom = scale;
        sheet.landscape = std::string(Attr(ps, "orientation").value()) == "landscape";
        sheet.fitWide = std::clamp(Attr(ps, "fitToWidth").as_int(1), 0, 32767);
        sheet.fitTall = std::clamp(Attr(ps, "fitToHeight").as_int(1), 0, 32767);
    }
    // Fitting to pages is switched on in the sheet's properties, not in its page setup.
    if (pugi::xml_node fit = Child(Child(root, "sheetPr"), "pageSetUpPr")) sheet.fitToPages = Attr(fit, "fitToPage").as_bool();
}

BookData ReadArchive(zip_t* z) {
    Archive archive(z);
    return ReadXlsxParts([&archive](const std::string& name, std::string& out) { return archive.Read(name, out); });
}

}  // namespace

BookData ReadXlsxParts(const PartReader& zip) {
    BookData book;
    std::string bytes;
    if (!zip("xl/workbook.xml", bytes)) throw FileError{"not a workbook: the part 'xl/workbook.xml' is missing"};
    pugi::xml_document wbDoc;
    Load(wbDoc, bytes, "xl/workbook.xml");
    std::map<std::string, std::string> targets;
    if (zip("xl/_rels/workbook.xml.rels", bytes)) {
        pugi::xml_document rels;
        Load(rels, bytes, "xl/_rels/workbook.xml.rels");
        EachChild(rels.document_element(), "Relationship", [&](pugi::xml_node r) {
            std::string target = Attr(r, "Target").value();
            if (!target.empty() && target[0] == '/') target = target.substr(1);
            else target = "xl/" + target;
            targets[Attr(r, "Id").value()] = target;
        });
    }
    std::vector<std::string> strings;
    if (zip("xl/sharedStrings.xml", bytes)) {
        pugi::xml_document ss;
        Load(ss, bytes, "xl/sharedStrings.xml");
        EachChild(ss.document_element(), "si", [&](pugi::xml_node si) { strings.push_back(ItemText(si)); });
    }
    std::vector<std::uint32_t> xfs = ReadStyles(zip, book.core->styles);
    EachChild(Child(wbDoc.document_element(), "sheets"), "sheet", [&](pugi::xml_node s) {
        if (book.sheets.size() >= kMaxSheets) throw FileError{"too many sheets"};
        auto it = targets.find(Attr(s, "id").value());
        std::string part = it != targets.end() ? it->second : "xl/worksheets/sheet" + std::to_string(book.sheets.size() + 1) + ".xml";
        std::string name = Attr(s, "name").value();
        if (name.empty()) throw FileError{"a sheet has no name"};
        for (const auto& other : book.sheets)
            if (other->name == name) throw FileError{"two sheets are named '" + name + "'"};
        auto sheet = book.AddSheet(name);
        ReadSheet(zip, part, *sheet, strings, xfs);
    });
    if (book.sheets.empty()) throw FileError{"the workbook has no sheets"};
    return book;
}

BookData ReadXlsx(const std::string& nativePath) {
    int err = 0;
    zip_t* z = zip_open(nativePath.c_str(), ZIP_RDONLY, &err);
    if (!z) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, err);
        std::string why = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        throw FileError{"cannot open '" + nativePath + "': " + why};
    }
    return ReadArchive(z);
}

BookData ReadXlsxBytes(const void* data, std::size_t size) {
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* src = zip_source_buffer_create(data, size, 0, &ze);
    if (!src) {
        zip_error_fini(&ze);
        throw FileError{"out of memory"};
    }
    zip_t* z = zip_open_from_source(src, ZIP_RDONLY, &ze);
    if (!z) {
        zip_source_free(src);
        std::string why = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        throw FileError{"not a zip container: " + why};
    }
    zip_error_fini(&ze);
    return ReadArchive(z);
}

}  // namespace NUVExcel
