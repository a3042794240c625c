#include "excel/Book.h"

#include <cctype>
#include <functional>

namespace NUVExcel {

StyleTable::StyleTable() { Intern(Style{}); }

std::size_t StyleTable::Hash::operator()(const Style& s) const {
    std::size_t h = std::hash<std::string>()(s.numberFormat);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
    mix(std::hash<std::string>()(s.fontName));
    mix(std::hash<double>()(s.fontSize));
    mix(s.fontColor);
    mix((s.bold ? 1u : 0u) | (s.italic ? 2u : 0u) | (s.underline ? 4u : 0u) | (s.wrap ? 8u : 0u));
    mix(static_cast<std::size_t>(s.hAlign) * 31u + static_cast<std::size_t>(s.vAlign));
    mix(static_cast<std::size_t>(s.rotation));
    for (const Edge& e : s.edges) mix(static_cast<std::size_t>(e.lineStyle) * 7u + static_cast<std::size_t>(e.weight) + e.color * 131u);
    return h;
}

std::uint32_t StyleTable::Intern(const Style& s) {
    auto it = index_.find(s);
    if (it != index_.end()) return it->second;
    auto id = static_cast<std::uint32_t>(styles_.size());
    styles_.push_back(s);
    index_.emplace(s, id);
    return id;
}

const Cell* SheetData::Find(long row, long col) const {
    auto it = cells.find(Key(row, col));
    return it == cells.end() ? nullptr : &it->second;
}

double SheetData::ColumnWidth(long col) const {
    auto it = columnWidths.find(col);
    return it == columnWidths.end() ? kDefaultColumnWidth : it->second;
}

double SheetData::RowHeight(long row) const {
    auto it = rowHeights.find(row);
    return it == rowHeights.end() ? kDefaultRowHeight : it->second;
}

const Rect* SheetData::MergeAt(long row, long col) const {
    for (const Rect& m : merges)
        if (m.Contains(row, col)) return &m;
    return nullptr;
}

std::shared_ptr<SheetData> BookData::AddSheet(const std::string& name) {
    auto s = std::make_shared<SheetData>();
    s->name = name;
    s->core = core.get();
    sheets.push_back(s);
    return s;
}

bool ParseCellRef(const std::string& ref, long& row, long& col) {
    std::size_t i = 0, n = ref.size();
    if (i < n && ref[i] == '$') ++i;
    long c = 0;
    std::size_t letters = 0;
    while (i < n && std::isalpha(static_cast<unsigned char>(ref[i]))) {
        c = c * 26 + (std::toupper(static_cast<unsigned char>(ref[i])) - 'A' + 1);
        if (c > kMaxCol) return false;
        ++i;
        ++letters;
    }
    if (letters == 0) return false;
    if (i < n && ref[i] == '$') ++i;
    long r = 0;
    std::size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(ref[i]))) {
        r = r * 10 + (ref[i] - '0');
        if (r > kMaxRow) return false;
        ++i;
        ++digits;
    }
    if (digits == 0 || i != n || r == 0) return false;
    row = r;
    col = c;
    return true;
}

bool ParseRangeRef(const std::string& ref, Rect& rect) {
    auto colon = ref.find(':');
    long r1, c1, r2, c2;
    if (colon == std::string::npos) {
        if (!ParseCellRef(ref, r1, c1)) return false;
        r2 = r1;
        c2 = c1;
    } else if (!ParseCellRef(ref.substr(0, colon), r1, c1) || !ParseCellRef(ref.substr(colon + 1), r2, c2)) {
        return false;
    }
    rect = {std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
    return true;
}

}  // namespace NUVExcel
