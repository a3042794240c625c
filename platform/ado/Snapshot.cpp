#include "ado/Snapshot.h"

#include <cstring>

#include "ado/TextConvert.h"

namespace NUVADO::detail {

namespace {

// Cell blocks of closed snapshots, kept for the next ones: reading a large table again then
// writes into memory that is already mapped instead of faulting in every page anew.
std::vector<std::unique_ptr<std::uint64_t[]>> g_spareBlocks;
constexpr std::size_t kMaxSpareBlocks = 128;  // 9 MB of cells at most
std::vector<std::string> g_spareChunks;      // text arena chunks, the same way
constexpr std::size_t kMaxSpareChunks = 32;   // 8 MB of text at most

}  // namespace

Snapshot::~Snapshot() {
    // Numbers, dates, nulls and arena texts own nothing: only boxed values need releasing.
    for (VARIANT& v : boxed) VariantClear(&v);
    for (std::string& c : arena) {
        if (g_spareChunks.size() >= kMaxSpareChunks) break;
        if (c.capacity() != kChunkBytes) continue;
        c.clear();
        g_spareChunks.push_back(std::move(c));
    }
    if (BlockCells() != kBlockCells) return;
    for (auto& b : blocks) {
        if (g_spareBlocks.size() >= kMaxSpareBlocks) break;
        g_spareBlocks.push_back(std::move(b));
    }
}

std::size_t Snapshot::AddRow() {
    std::size_t n = Width();
    if (rows == 0) rowShift = static_cast<std::size_t>(std::bit_width(BlockCells() / n) - 1);
    if ((rows & ((std::size_t{1} << rowShift) - 1)) == 0) {
        std::unique_ptr<std::uint64_t[]> b;
        if (BlockCells() == kBlockCells) {
            if (!g_spareBlocks.empty()) {
                b = std::move(g_spareBlocks.back());
                g_spareBlocks.pop_back();
            }
        }
        // The kind bytes follow the values; only what rows use is ever written.
        if (!b) b.reset(new std::uint64_t[BlockCells() + (BlockCells() + 7) / 8]);
        blocks.push_back(std::move(b));
    }
    std::memset(Kinds(rows), VT_NULL, cols.size());
    deleted.push_back(0);
    return rows++;
}

void Snapshot::Reserve(std::size_t n) { deleted.reserve(n); }

VARTYPE Snapshot::Type(std::size_t r, std::size_t c) {
    std::uint8_t k = Kinds(r)[c];
    if (k == kText) return VT_BSTR;
    if (k == kBoxed) return boxed[Values(r)[c]].vt;
    return k;
}

bool Snapshot::ArenaText(std::size_t r, std::size_t c, std::string_view& out) {
    if (Kinds(r)[c] != kText) return false;
    out = ArenaBytes(Values(r)[c]);
    return true;
}

const VARIANT& Snapshot::Read(std::size_t r, std::size_t c, VARIANT& scratch) {
    std::uint8_t k = Kinds(r)[c];
    if (k == kText || k == kBoxed) return Cell(r, c);
    scratch.vt = k;
    scratch.ullVal = Values(r)[c];
    return scratch;
}

VARIANT& Snapshot::Cell(std::size_t r, std::size_t c) {
    std::uint8_t& k = Kinds(r)[c];
    std::uint64_t& value = Values(r)[c];
    if (k == kBoxed) return boxed[value];
    VARIANT& v = boxed.emplace_back();
    if (k == kText) {
        v.vt = VT_BSTR;
        v.bstrVal = AllocBstr(ArenaBytes(value));
    } else {
        v.vt = k;
        v.ullVal = value;
    }
    k = kBoxed;
    value = boxed.size() - 1;
    return v;
}

void Snapshot::CopyOut(std::size_t r, std::size_t c, VARIANT& out) {
    VariantClear(&out);
    std::uint8_t k = Kinds(r)[c];
    std::uint64_t value = Values(r)[c];
    if (k == kBoxed) {
        VariantCopy(&out, &boxed[value]);
    } else if (k == kText) {
        out.vt = VT_BSTR;
        out.bstrVal = AllocBstr(ArenaBytes(value));
    } else {
        out.vt = k;
        out.ullVal = value;
    }
}

void Snapshot::Set(std::size_t r, std::size_t c, const VARIANT& v) {
    std::uint8_t& k = Kinds(r)[c];
    if (k == kBoxed) {
        VariantCopy(&boxed[Values(r)[c]], &v);
    } else if (IsPlainValue(v.vt)) {
        k = static_cast<std::uint8_t>(v.vt);
        Values(r)[c] = v.ullVal;
    } else {
        VARIANT& b = boxed.emplace_back();
        VariantCopy(&b, &v);
        k = kBoxed;
        Values(r)[c] = boxed.size() - 1;
    }
}

void Snapshot::TakeBoxed(std::size_t r, std::size_t c, VARIANT& v) {
    if (v.vt == kArenaTextTag) {  // into a cell already boxed: as a text value
        std::string_view text = ArenaBytes(v.ullVal);
        v.vt = VT_BSTR;
        v.bstrVal = AllocBstr(text);
    }
    std::uint8_t& k = Kinds(r)[c];
    std::uint64_t& value = Values(r)[c];
    if (k == kBoxed) {
        VariantClear(&boxed[value]);
        std::memcpy(&boxed[value], &v, sizeof v);
    } else {
        std::memcpy(&boxed.emplace_back(), &v, sizeof v);
        k = kBoxed;
        value = boxed.size() - 1;
    }
    v.vt = VT_EMPTY;
}

void Snapshot::Store(VARIANT& v, const char* s, std::size_t n) {
    if (n > kMaxArenaText) {
        v.vt = VT_BSTR;
        v.bstrVal = AllocBstr(std::string_view(s, n));
        return;
    }
    if (arena.empty() || arena.back().size() + n > kChunkBytes) {
        std::string chunk;
        {
            if (!g_spareChunks.empty()) {
                chunk = std::move(g_spareChunks.back());
                g_spareChunks.pop_back();
            }
        }
        if (chunk.capacity() < kChunkBytes) chunk.reserve(kChunkBytes);
        arena.push_back(std::move(chunk));
    }
    std::string& chunk = arena.back();
    v.vt = kArenaTextTag;
    v.ullVal = (static_cast<std::uint64_t>(arena.size() - 1) << 36) | (static_cast<std::uint64_t>(chunk.size()) << 16) | n;
    chunk.append(s, n);
}

std::shared_ptr<Snapshot> SnapshotFromRowset(const Rowset& rs) {
    auto s = std::make_shared<Snapshot>();
    for (const RowsetColumn& rc : rs.columns) {
        Column c;
        c.name = rc.name;
        c.wname = NUVWin::Utf8ToUtf16(rc.name);
        c.type = rc.type;
        c.definedSize = rc.definedSize;
        c.attributes = rc.attributes;
        c.precision = rc.precision;
        c.scale = rc.scale;
        c.baseTable = rc.baseTable;
        c.baseColumn = rc.baseColumn;
        c.key = rc.key;
        c.autoIncrement = rc.autoIncrement;
        c.nullable = rc.nullable;
        c.typed = true;
        s->cols.push_back(std::move(c));
    }
    std::size_t rows = rs.Rows();
    for (std::size_t r = 0; r < rows; ++r) {
        std::size_t row = s->AddRow();
        for (std::size_t c = 0; c < s->cols.size(); ++c) s->Set(row, c, rs.cells[r * s->cols.size() + c]);
    }
    s->disconnected = true;
    return s;
}

}  // namespace NUVADO::detail
