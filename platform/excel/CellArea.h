// Working on a rectangle of cells: how many one call may touch, visiting the stored cells,
// reading a style property common to all of them, and restyling them with shared styles.
#pragma once

#include <functional>
#include <unordered_map>

#include "com/Com.h"
#include "excel/Automation.h"
#include "excel/Book.h"

namespace NUVExcel {

// One format or merge call touches at most this many cells; whole-column formatting is not
// modelled.
constexpr long long kMaxCells = 1LL << 22;

inline long long Area(const Rect& r) { return static_cast<long long>(r.r2 - r.r1 + 1) * (r.c2 - r.c1 + 1); }

inline void CheckArea(const Rect& r, const char* what) {
    if (Area(r) > kMaxCells) Fail(std::string(what) + " of more than 4194304 cells at once is not supported");
}

// Every stored cell inside the rectangle, in row-major order.
template <class F>
void EachStored(SheetData& sh, const Rect& r, F f) {
    auto it = sh.cells.lower_bound(SheetData::Key(r.r1, r.c1));
    auto end = sh.cells.upper_bound(SheetData::Key(r.r2, r.c2));
    for (; it != end; ++it) {
        long c = SheetData::KeyCol(it->first);
        if (c >= r.c1 && c <= r.c2) f(SheetData::KeyRow(it->first), c, it->second);
    }
}

// The common value of a style property over the rectangle, or null when cells differ.
template <class F>
_variant_t Uniform(SheetData& sh, const Rect& r, F get) {
    long long stored = 0;
    bool first = true, same = true;
    _variant_t value;
    auto see = [&](const _variant_t& v) {
        if (first) {
            value = v;
            first = false;
        } else if (same && !(v == value)) {
            same = false;
        }
    };
    EachStored(sh, r, [&](long, long, const Cell& c) {
        ++stored;
        if (same) see(get(sh.core->styles.Get(c.style)));
    });
    if (stored < Area(r)) see(get(sh.core->styles.Get(0)));
    if (!same) {
        _variant_t null;
        null.vt = VT_NULL;
        return null;
    }
    return value;
}

// Changes the style of every cell in the rectangle (creating the cells, as formatting an empty
// cell does); cells sharing a style share the changed one too.
template <class F>
void Restyle(SheetData& sh, const Rect& r, F change) {
    CheckArea(r, "Formatting");
    StyleTable& t = sh.core->styles;
    std::unordered_map<std::uint32_t, std::uint32_t> done;
    for (long row = r.r1; row <= r.r2; ++row)
        for (long col = r.c1; col <= r.c2; ++col) {
            Cell& cell = sh.At(row, col);
            auto it = done.find(cell.style);
            if (it != done.end()) {
                cell.style = it->second;
                continue;
            }
            Style s = t.Get(cell.style);
            change(s);
            std::uint32_t id = t.Intern(s);
            done.emplace(cell.style, id);
            cell.style = id;
        }
}

inline void ChangeEdge(SheetData& sh, long row, long col, EdgeIndex e, const std::function<void(Edge&)>& change) {
    Cell& cell = sh.At(row, col);
    Style s = sh.core->styles.Get(cell.style);
    change(s.edges[e]);
    cell.style = sh.core->styles.Intern(s);
}

}  // namespace NUVExcel
