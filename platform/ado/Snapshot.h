// The rows a record set reads: column descriptions and a compact cell store, shared by clones.
// Cells are 8 bytes plus a kind byte; a cell handed out for writing must be boxed first (Cell).
#pragma once

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/FieldTypes.h"
#include "ado/RowsetXml.h"

namespace NUVADO::detail {

// Whether a value of this tag holds no owned memory (nothing for VariantClear to release).
inline bool IsPlainValue(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BOOL:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
        return true;
    default: return false;
    }
}

// The rows of a record set: column descriptions and a row-major table of cells. Clones share it.
//
// A cell is 8 bytes of value and a kind byte. Numbers, dates and nulls live in the cell itself;
// texts read from the engine stay as its UTF-8 bytes in a shared arena until a value is asked
// for; anything else, and any cell handed out for writing, is a whole value kept aside
// ("boxed"). A large read then fills a third of the memory a table of values would, and fresh
// memory is most of what a large read costs.
struct Snapshot {
    std::vector<Column> cols;
    // Blocks hold a fixed number of cells (or one row when rows are wider) so closed record sets
    // can hand them on to the next one already mapped; rows per block is a power of two.
    static constexpr std::size_t kBlockCells = 8192;
    std::size_t rowShift = 0;
    std::vector<std::unique_ptr<std::uint64_t[]>> blocks;  // values, then the kind bytes
    std::vector<std::uint8_t> deleted;
    std::size_t rows = 0;
    std::string table;         // base table that changes are written to; empty when none
    std::vector<int> keyCols;  // columns that locate a row of the base table
    bool keyIsPrimary = false;
    // Rows of a query over several tables: each table that changes are written to, with the
    // columns of its primary key. Such rows can be changed, not added or deleted.
    struct JoinedTable {
        std::string name;
        std::vector<int> keyCols;
    };
    std::vector<JoinedTable> joined;
    // The table a column's changes are written to (null when none).
    const JoinedTable* JoinedTableOf(const Column& c) const {
        for (const JoinedTable& t : joined)
            if (t.name.size() == c.baseTable.size() && strncasecmp(t.name.c_str(), c.baseTable.c_str(), t.name.size()) == 0) return &t;
        return nullptr;
    }
    bool disconnected = false;  // rows read from a file or built in memory: changes stay here

    // Kinds: a plain variant tag (nothing to release) is its own kind; these two are not tags.
    static constexpr std::uint8_t kText = 0xF0;   // arena place: chunk << 36 | offset << 16 | length
    static constexpr std::uint8_t kBoxed = 0xF1;  // index into `boxed`
    static constexpr std::size_t kChunkBytes = 256 * 1024;
    static constexpr std::size_t kMaxArenaText = 0xFFFF;  // longer texts are boxed
    std::vector<std::string> arena;  // chunks are never grown, so filling one moves nothing
    std::deque<VARIANT> boxed;

    // The private tag ReadCell gives an engine text it has put in the arena (llVal as a text cell).
    static constexpr VARTYPE kArenaTextTag = 0x0FF1;

    Snapshot() = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot();

    std::size_t AddRow();  // a row of nulls
    void Reserve(std::size_t n);

    std::size_t Width() const { return cols.empty() ? 1 : cols.size(); }
    std::size_t BlockCells() const { return std::max(kBlockCells, cols.size()); }
    std::size_t InBlock(std::size_t r) const { return (r & ((std::size_t{1} << rowShift) - 1)) * Width(); }
    std::uint64_t* Values(std::size_t r) { return blocks[r >> rowShift].get() + InBlock(r); }
    std::uint8_t* Kinds(std::size_t r) {
        return reinterpret_cast<std::uint8_t*>(blocks[r >> rowShift].get() + BlockCells()) + InBlock(r);
    }

    // The variant tag of a cell's value (VT_BSTR for arena text).
    VARTYPE Type(std::size_t r, std::size_t c);
    // The engine's text of an arena cell; false for other kinds.
    bool ArenaText(std::size_t r, std::size_t c, std::string_view& out);
    // A cell to read: plain values decoded into `scratch`, texts made values once.
    const VARIANT& Read(std::size_t r, std::size_t c, VARIANT& scratch);
    // A cell as a lasting value, for writing into (boxed from then on).
    VARIANT& Cell(std::size_t r, std::size_t c);
    // The caller's own copy of a cell's value (texts straight from the arena).
    void CopyOut(std::size_t r, std::size_t c, VARIANT& out);
    void Set(std::size_t r, std::size_t c, const VARIANT& v);
    // Moves the value in (v is left empty); v may carry the arena text tag.
    void Take(std::size_t r, std::size_t c, VARIANT& v) {
        std::uint8_t& k = Kinds(r)[c];
        if (k != kBoxed && (v.vt == kArenaTextTag || IsPlainValue(v.vt))) {
            k = v.vt == kArenaTextTag ? kText : static_cast<std::uint8_t>(v.vt);  // plain tags fit a byte
            Values(r)[c] = v.ullVal;
            v.vt = VT_EMPTY;
            return;
        }
        TakeBoxed(r, c, v);
    }
    void TakeBoxed(std::size_t r, std::size_t c, VARIANT& v);
    // Puts engine text into the arena and makes v an arena text reference (or a text value when
    // it is too long for the arena).
    void Store(VARIANT& v, const char* s, std::size_t n);
    // The text an arena cell's value refers to.
    std::string_view ArenaBytes(std::uint64_t place) const {
        return std::string_view(arena[place >> 36].data() + ((place >> 16) & 0xFFFFF), place & 0xFFFF);
    }
};

// A snapshot of the rows of a rowset (XML file or built in memory).
std::shared_ptr<Snapshot> SnapshotFromRowset(const Rowset& rs);

}  // namespace NUVADO::detail
