// The input controls at the sizes the suite meets, offscreen: CSuperEdit validating 100,000
// typed texts (the work of every keystroke and repaint), the grid sorting 10,000 rows by
// number, and the heap use of one keystroke in a validated field against a bare Qt line edit
// (the difference is what the framework and the field add; its target is one allocation, the
// text itself, or none for a short one).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "controls/ListCtrlEx.h"
#include "controls/SuperEdit.h"
#include "mfc/Afx.h"

namespace {
std::size_t g_allocations = 0;
}

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// The library's temporary buffers (stable sorts) come from the non-throwing forms.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++g_allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// Texts as typed into numeric fields: finished and half-typed numbers, exponents, slips.
std::vector<std::string> TypedTexts(std::size_t n) {
    std::mt19937 random(15);
    const char* shapes[] = {"%d", "%d.%d", "-%d.%d", "%de%d", "%d.", ".%d", "%de", "%d.%dx", "1e%d00", "+"};
    std::vector<std::string> texts;
    texts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        char buffer[64];
        const char* shape = shapes[random() % (sizeof shapes / sizeof shapes[0])];
        std::snprintf(buffer, sizeof buffer, shape, static_cast<int>(random() % 100000), static_cast<int>(random() % 1000));
        texts.emplace_back(buffer);
    }
    return texts;
}

void BM_SuperEditValidate100k(benchmark::State& state) {
    const std::vector<std::string> texts = TypedTexts(100000);
    CSuperEdit field;
    field.SetInputFloat(5, 0, 1e4, 0, 0, nullptr);
    std::size_t valid = 0;
    for (auto _ : state) {
        const std::size_t before = g_allocations;
        for (const std::string& t : texts) valid += field.ValidateText(t.c_str()) == VVE_VALID;
        state.counters["allocations"] = static_cast<double>(g_allocations - before);
    }
    benchmark::DoNotOptimize(valid);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_SuperEditValidate100k)->Unit(benchmark::kMillisecond);

void BM_GridSortByNumber10k(benchmark::State& state) {
    CWnd parent;
    parent.CreateEx(0, nullptr, "bench", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300), nullptr, 0);
    CListCtrlEx grid;
    grid.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 300), &parent, 1);
    grid.ModifyStyleEx(LVEX_FIRSTORDER, 0);
    grid.InsertColumn(0, "value", LVCFMT_RIGHT, 100);
    std::mt19937 random(15);
    for (int r = 0; r < 10000; ++r) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", static_cast<double>(random() % 10000000) / 1000.0);
        grid.InsertItem(r, text);
    }
    int descending = 0;
    for (auto _ : state) {
        grid.SortColumn(0, SORT_NUMBER, descending);
        descending ^= 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 10000);
}
BENCHMARK(BM_GridSortByNumber10k)->Unit(benchmark::kMillisecond);

void BM_KeystrokeAllocations(benchmark::State& state) {
    CWnd parent;
    parent.CreateEx(0, nullptr, "bench", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 100), nullptr, 0);
    CSuperEdit field;
    field.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(5, 5, 390, 30), &parent, 1);
    field.SetInputFloat(5, 0, 1e30, 1, 0, nullptr);
    auto* bare = new QLineEdit(parent.GetQWidget());
    parent.ShowWindow(SW_SHOW);
    double fieldKeys = 0, bareKeys = 0, keys = 0;
    for (auto _ : state) {
        field.SetWindowText("");
        bare->clear();
        std::size_t before = g_allocations;
        for (char c : std::string("1234.5678")) QTest::keyClick(field.GetQWidget(), c);
        fieldKeys += static_cast<double>(g_allocations - before);
        before = g_allocations;
        for (char c : std::string("1234.5678")) QTest::keyClick(bare, c);
        bareKeys += static_cast<double>(g_allocations - before);
        keys += 9;
    }
    state.counters["field_allocs_per_key"] = fieldKeys / keys;
    state.counters["qt_allocs_per_key"] = bareKeys / keys;
    state.counters["added_per_key"] = (fieldKeys - bareKeys) / keys;
}
BENCHMARK(BM_KeystrokeAllocations)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!NUVMfc::EnsureApplication()) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
