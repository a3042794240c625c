// BitmapToRegion on a large skin bitmap with scattered transparent pixels, and the BMP export.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "settings/BitmapHelpers.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);

// A 32-bit bitmap of the given size where `percent` of the pixels are the key colour.
HBITMAP Scattered(int side, double percent) {
    std::vector<BYTE> bits(static_cast<std::size_t>(side) * side * 4);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 100);
    for (std::size_t i = 0; i < bits.size(); i += 4) {
        bool key = u(rng) < percent;
        bits[i] = key ? 0xFF : static_cast<BYTE>(i >> 4);
        bits[i + 1] = key ? 0x00 : 0x80;
        bits[i + 2] = key ? 0xFF : 0x20;
    }
    return CreateBitmap(side, side, 1, 32, bits.data());
}

int RectCount(HRGN r) { return static_cast<int>((GetRegionData(r, 0, nullptr) - sizeof(RGNDATAHEADER)) / sizeof(RECT)); }

void BM_BitmapToRegion(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const double percent = static_cast<double>(state.range(1));
    HBITMAP bmp = Scattered(side, percent);
    int rects = 0;
    for (auto _ : state) {
        HRGN r = NUV::BitmapToRegion(bmp, kKey, 0);
        rects = RectCount(r);
        DeleteObject(r);
    }
    DeleteObject(bmp);
    state.counters["rects"] = rects;
    state.counters["Mpixels/s"] =
        benchmark::Counter(static_cast<double>(side) * side / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BitmapToRegion)->Args({4096, 1})->Args({1024, 1})->Args({4096, 0})->Unit(benchmark::kMillisecond);

void BM_SaveBitmapToMemFile(benchmark::State& state) {
    HBITMAP bmp = Scattered(1024, 1);
    NUVWin::SetScreenBitsPerPixel(static_cast<int>(state.range(0)));
    unsigned long size = 0;
    for (auto _ : state) {
        void* data = nullptr;
        NUV::SaveBitmapToMemFile(bmp, &data, size);
        delete[] static_cast<unsigned char*>(data);
    }
    NUVWin::SetScreenBitsPerPixel(32);
    DeleteObject(bmp);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_SaveBitmapToMemFile)->Arg(32)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
