// The figures selection and flashing lean on: acedSSGet("X", filter) and a window selection over
// a drawing of 100,000 entities, and a redraw of that drawing to a PNG picture.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "acad/AcDb.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/Display.h"
#include "render/ViewRenderer.h"

namespace {

constexpr int kEntities = 100000;

// 100,000 entities on a 400 x 250 grid: lines on two layers in two colours, circles and texts.
AcDbDatabase* drawing() {
    static AcDbDatabase* db = [] {
        auto* d = new AcDbDatabase(true, true);
        acdbHostApplicationServices()->setWorkingDatabase(d);
        AcDbLayerTable* t = nullptr;
        d->getLayerTable(t, AcDb::kForWrite);
        for (const char* name : {"DUCT-SUPPLY", "PIPE-WATER"}) {
            auto* rec = new AcDbLayerTableRecord;
            rec->setName(name);
            t->add(rec);
            rec->close();
        }
        t->close();
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, d->modelSpaceId(), AcDb::kForWrite);
        for (int i = 0; i < kEntities; ++i) {
            double x = (i % 400) * 10.0, y = (i / 400) * 10.0;
            AcDbEntity* e;
            switch (i % 4) {
            case 0:
            case 1: e = new AcDbLine({x, y, 0}, {x + 8, y + 3, 0}); break;
            case 2: e = new AcDbCircle({x + 4, y + 4, 0}, AcGeVector3d::kZAxis, 3.0); break;
            default: e = new AcDbText({x, y, 0}, "DN100", d->textstyle(), 2.0); break;
            }
            e->setLayer(i % 3 ? "DUCT-SUPPLY" : "PIPE-WATER");
            e->setColorIndex(1 + i % 7);
            ms->appendAcDbEntity(e);
            e->close();
        }
        ms->close();
        NUVAcad::displayOf(d).zoomExtents();
        return d;
    }();
    acdbHostApplicationServices()->setWorkingDatabase(db);
    return db;
}

void SSGetXWithFilter(benchmark::State& state) {
    AcDbDatabase* db = drawing();
    (void)db;
    resbuf* filter = acutBuildList(RTDXF0, "LINE", 8, "DUCT*", -4, "<OR", 62, 1, 62, 2, -4, "OR>", 0);
    long found = 0;
    for (auto _ : state) {
        ads_name ss;
        if (acedSSGet("X", nullptr, nullptr, filter, ss) != RTNORM) state.SkipWithError("nothing selected");
        acedSSLength(ss, &found);
        acedSSFree(ss);
    }
    acutRelRb(filter);
    state.counters["selected"] = static_cast<double>(found);
    state.counters["entities"] = kEntities;
}
BENCHMARK(SSGetXWithFilter)->Unit(benchmark::kMillisecond);

void SSGetCrossingWindow(benchmark::State& state) {
    drawing();
    ads_point a = {0, 0, 0}, b = {2000, 1250, 0};  // a quarter of the drawing
    long found = 0;
    for (auto _ : state) {
        ads_name ss;
        if (acedSSGet("C", a, b, nullptr, ss) != RTNORM) state.SkipWithError("nothing selected");
        acedSSLength(ss, &found);
        acedSSFree(ss);
    }
    state.counters["selected"] = static_cast<double>(found);
}
BENCHMARK(SSGetCrossingWindow)->Unit(benchmark::kMillisecond);

void RedrawToPng(benchmark::State& state) {
    AcDbDatabase* db = drawing();
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/nuv_bench_redraw_" + std::to_string(getpid()) + ".png";
    std::string error;
    for (auto _ : state)
        if (!NUVRender::SaveViewPng(db, path.c_str(), error)) state.SkipWithError(error.c_str());
    std::remove(path.c_str());
    state.counters["entities"] = kEntities;
    state.counters["pixels"] = 1024 * 768;
}
BENCHMARK(RedrawToPng)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
