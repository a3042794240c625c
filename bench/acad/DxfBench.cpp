// Writing and reading a drawing of 100,000 entities, and the same file through ezdxf in the same
// run for comparison.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <functional>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "acad/AcDb.h"

namespace {

constexpr int kEntities = 100000;

std::string tempPath(const char* name) {
    static std::string dir = [] {
        char tmpl[] = "/tmp/nuvbenchXXXXXX";
        const char* d = mkdtemp(tmpl);
        return std::string(d ? d : "/tmp");
    }();
    return dir + "/" + name;
}

// A mixed drawing: lines, circles, arcs, polylines and texts on a few layers.
void buildDrawing(AcDbDatabase& db) {
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    AcDbLayerTable* layers = nullptr;
    db.getLayerTable(layers, AcDb::kForWrite);
    for (const char* n : {"DUCT", "PIPE", "TEXT"}) {
        auto* l = new AcDbLayerTableRecord;
        l->setName(n);
        layers->add(l);
        l->close();
    }
    layers->close();
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
    for (int i = 0; i < kEntities; ++i) {
        double x = (i % 300) * 10.0, y = (i / 300) * 10.0;
        AcDbEntity* e = nullptr;
        switch (i % 5) {
        case 0: e = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 8, y + 3, 0)); break;
        case 1: e = new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, 2.5); break;
        case 2: e = new AcDbArc(AcGePoint3d(x, y, 0), 3, 0.2, 2.8); break;
        case 3: {
            auto* pl = new AcDbPolyline;
            pl->addVertexAt(0, AcGePoint2d(x, y));
            pl->addVertexAt(1, AcGePoint2d(x + 5, y), 0.4);
            pl->addVertexAt(2, AcGePoint2d(x + 5, y + 5));
            e = pl;
            break;
        }
        default: e = new AcDbText(AcGePoint3d(x, y, 0), "DN100 supply", db.textstyle(), 2.5, 0.0); break;
        }
        e->setLayer(i % 3 == 0 ? "DUCT" : i % 3 == 1 ? "PIPE" : "TEXT");
        ms->appendAcDbEntity(e);
        e->close();
    }
    ms->close();
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

const std::string& drawingFile() {
    static std::string path = [] {
        AcDbDatabase db;
        buildDrawing(db);
        std::string p = tempPath("bench.dxf");
        db.saveAs(p.c_str());
        return p;
    }();
    return path;
}

void BM_WriteDxf(benchmark::State& state) {
    AcDbDatabase db;
    buildDrawing(db);
    std::string out = tempPath("write.dxf");
    for (auto _ : state) benchmark::DoNotOptimize(db.saveAs(out.c_str()));
    state.SetItemsProcessed(state.iterations() * kEntities);
}
BENCHMARK(BM_WriteDxf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadDxf(benchmark::State& state) {
    const std::string& path = drawingFile();
    for (auto _ : state) {
        AcDbDatabase db(false);
        benchmark::DoNotOptimize(db.readDwgFile(path.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
}
BENCHMARK(BM_ReadDxf)->Unit(benchmark::kMillisecond)->Iterations(3);

double seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One read and one write of the same file by us and by ezdxf.
void compareWithEzdxf() {
    const std::string& path = drawingFile();
    AcDbDatabase db(false);
    double ourRead = seconds([&] { db.readDwgFile(path.c_str()); });
    std::string out = tempPath("ours.dxf");
    double ourWrite = seconds([&] { db.saveAs(out.c_str()); });
    const char* src = std::getenv("NUV_SOURCE_DIR");
    std::string script = std::string(src ? src : NUV_SOURCE_DIR_DEFAULT) + "/bench/acad/ezdxf_time.py";
    std::string cmd = "/usr/bin/python3 " + script + " " + path + " " + tempPath("ezdxf.dxf");
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    double ezRead = 0, ezWrite = 0;
    if (!p || std::fscanf(p.get(), "%lf %lf", &ezRead, &ezWrite) != 2) {
        std::printf("ezdxf comparison unavailable\n");
        return;
    }
    std::printf("%d entities: ours read %.3f s write %.3f s; ezdxf read %.3f s write %.3f s\n", kEntities, ourRead,
                ourWrite, ezRead, ezWrite);
    std::printf("speed ratio (ezdxf time / our time): read %.1fx, write %.1fx, both %.1fx (goal >= 10x)\n",
                ezRead / ourRead, ezWrite / ourWrite, (ezRead + ezWrite) / (ourRead + ourWrite));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    compareWithEzdxf();
    return 0;
}
