// 100,000 numeric cells with a two-decimal format written and saved through CExcelCal, and the
// same workbook written directly with libxlsxwriter; prints how many times slower the writer is
// (the goal is within 2x).
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "report/ExcelCal.h"

namespace {

constexpr long kRows = 1000;
constexpr long kCols = 100;

double Value(long r, long c) { return r * 1.25 + c / 7.0; }

std::string OutPath(const char* name) { return "/tmp/nuv_bench_" + std::to_string(getpid()) + "_" + name + ".xlsx"; }

double g_writerSeconds = 0, g_rawSeconds = 0;
int g_writerRuns = 0, g_rawRuns = 0;

void WriteWithCExcelCal(benchmark::State& state) {
    std::string path = OutPath("writer");
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        CExcelCal cal;
        if (!cal.RunExcel(0)) {
            state.SkipWithError("cannot start the spreadsheet application");
            return;
        }
        cal.AddNewWorkbook(nullptr, 1);
        for (long r = 1; r <= kRows; ++r)
            for (long c = 1; c <= kCols; ++c) cal.SetText(r, c, Value(r, c));
        cal.SetOperRange(1, 1, kRows, kCols);
        cal.SetPrecision(2);
        cal.Save(CString(path.c_str()), 1);
        cal.CloseWorkBook();
        g_writerSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++g_writerRuns;
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
    unlink(path.c_str());
}

void WriteWithLibxlsxwriter(benchmark::State& state) {
    std::string path = OutPath("raw");
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        lxw_workbook* wb = workbook_new(path.c_str());
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        lxw_format* f = workbook_add_format(wb);
        format_set_num_format(f, "0.00");
        for (long r = 1; r <= kRows; ++r)
            for (long c = 1; c <= kCols; ++c)
                worksheet_write_number(ws, static_cast<lxw_row_t>(r - 1), static_cast<lxw_col_t>(c - 1), Value(r, c), f);
        if (workbook_close(wb) != LXW_NO_ERROR) state.SkipWithError("libxlsxwriter failed");
        g_rawSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ++g_rawRuns;
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
    unlink(path.c_str());
}

BENCHMARK(WriteWithCExcelCal)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(WriteWithLibxlsxwriter)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_writerRuns && g_rawRuns) {
        double writer = g_writerSeconds / g_writerRuns, raw = g_rawSeconds / g_rawRuns;
        std::printf("100000 formatted numeric cells: CExcelCal %.1f ms, libxlsxwriter %.1f ms, ratio %.2fx (goal: within 2x)\n",
                    writer * 1e3, raw * 1e3, writer / raw);
    }
    return 0;
}
