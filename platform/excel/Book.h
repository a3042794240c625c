// The workbook in memory: sheets of cells with interned styles, column widths, row heights,
// merged areas and print zoom. The automation objects (Excel.h) are views onto this data; the
// .xlsx writer and the template reader move it to and from files. Texts are UTF-8 here, the
// encoding of the file format; colours are COLORREF values (red in the low byte).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace NUVExcel {

// The sheet's limits, as the file format defines them (1-based indexes).
inline constexpr long kMaxRow = 1048576;
inline constexpr long kMaxCol = 16384;

inline constexpr double kDefaultColumnWidth = 8.43;  // characters
inline constexpr double kDefaultRowHeight = 15.0;     // points
inline constexpr const char* kDefaultFontName = "Calibri";
inline constexpr double kDefaultFontSize = 11.0;

// The values of the application's constants, used inside the model too.
inline constexpr int kLineStyleNone = -4142;
inline constexpr int kWeightThin = 2;
inline constexpr int kHAlignGeneral = 1;
inline constexpr int kVAlignBottom = -4107;
inline constexpr int kVerticalRotation = 255;  // stacked letters, as the file stores it

// One edge of a cell: line style and weight with the application's values, colour as COLORREF.
struct Edge {
    int lineStyle = kLineStyleNone;
    int weight = kWeightThin;
    std::uint32_t color = 0;
    bool operator==(const Edge&) const = default;
};

enum EdgeIndex { kLeft, kTop, kBottom, kRight, kEdgeCount };

struct Style {
    std::string numberFormat = "General";
    std::string fontName = kDefaultFontName;
    double fontSize = kDefaultFontSize;
    std::uint32_t fontColor = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int hAlign = kHAlignGeneral;
    int vAlign = kVAlignBottom;
    int rotation = 0;  // degrees -90..90, or kVerticalRotation
    bool wrap = false;
    Edge edges[kEdgeCount];
    bool operator==(const Style&) const = default;
};

// Styles are shared by many cells: each distinct style is kept once and cells hold its index.
// Index 0 is the default style.
class StyleTable {
public:
    StyleTable();
    std::uint32_t Intern(const Style& s);
    const Style& Get(std::uint32_t id) const { return styles_.at(id); }
    std::size_t Size() const { return styles_.size(); }

private:
    struct Hash {
        std::size_t operator()(const Style& s) const;
    };
    std::vector<Style> styles_;
    std::unordered_map<Style, std::uint32_t, Hash> index_;
};

struct Cell {
    enum Kind : std::uint8_t { kEmpty, kNumber, kText, kBool };
    Kind kind = kEmpty;
    double number = 0.0;  // also the boolean (0 or 1)
    std::string text;
    std::uint32_t style = 0;
};

// A rectangle of cells, 1-based and ordered (r1 <= r2, c1 <= c2).
struct Rect {
    long r1 = 1, c1 = 1, r2 = 1, c2 = 1;
    bool Contains(long r, long c) const { return r >= r1 && r <= r2 && c >= c1 && c <= c2; }
    bool Intersects(const Rect& o) const { return !(o.r2 < r1 || o.r1 > r2 || o.c2 < c1 || o.c1 > c2); }
    bool operator==(const Rect&) const = default;
};

struct BookCore;

struct SheetData {
    std::string name;
    // Keyed by row << 32 | column, so iteration is in row-major order.
    std::map<std::uint64_t, Cell> cells;
    std::map<long, double> columnWidths;
    std::map<long, double> rowHeights;
    std::vector<Rect> merges;
    // Printing: a zoom, or (fitToPages) so many pages wide and tall, 0 meaning as many as needed.
    int printZoom = 100;
    bool fitToPages = false;
    int fitWide = 1, fitTall = 1;
    bool landscape = false;
    BookCore* core = nullptr;  // the owning workbook's shared state

    static std::uint64_t Key(long row, long col) {
        return (static_cast<std::uint64_t>(row) << 32) | static_cast<std::uint32_t>(col);
    }
    static long KeyRow(std::uint64_t k) { return static_cast<long>(k >> 32); }
    static long KeyCol(std::uint64_t k) { return static_cast<long>(k & 0xFFFFFFFFu); }

    const Cell* Find(long row, long col) const;
    Cell& At(long row, long col) { return cells[Key(row, col)]; }
    double ColumnWidth(long col) const;
    double RowHeight(long row) const;
    // The merged area containing the cell, or nullptr.
    const Rect* MergeAt(long row, long col) const;
};

// What the sheets of one workbook share: the style table and whether the workbook is still open.
struct BookCore {
    StyleTable styles;
    bool open = true;
};

struct BookData {
    std::shared_ptr<BookCore> core = std::make_shared<BookCore>();
    std::vector<std::shared_ptr<SheetData>> sheets;

    std::shared_ptr<SheetData> AddSheet(const std::string& name);
};

// Raised by the file layer (writer and template reader); the automation layer turns it into the
// platform's error object.
struct FileError {
    std::string message;
};

// Writes the workbook as an Office Open XML file through the one atomic file writer (a link is
// written through, anything but a regular file refused, the mode kept). Throws FileError.
void WriteXlsx(const BookData& book, const std::string& nativePath);

// Reads a workbook from an .xlsx file or from its bytes. Throws FileError for a missing or broken
// file.
BookData ReadXlsx(const std::string& nativePath);
BookData ReadXlsxBytes(const void* data, std::size_t size);
// The same from parts given by name ("xl/workbook.xml"); the reader returns false for a part
// that is absent.
using PartReader = std::function<bool(const std::string& name, std::string& bytes)>;
BookData ReadXlsxParts(const PartReader& parts);

// Cell references "B3" and ranges "A1:C2" (the "$" marks are ignored). False when malformed.
bool ParseCellRef(const std::string& ref, long& row, long& col);
bool ParseRangeRef(const std::string& ref, Rect& rect);

}  // namespace NUVExcel
