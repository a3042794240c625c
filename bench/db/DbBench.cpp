// Reading 100,000 rows of five fields through CADORecordset::GetFieldValue against the same
// query through SQLite's own API (SQLCipher's build, the library the layer runs on), and moving
// a row across a 10,000-row table with tagDBSTRUCT::UpdateID.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/AccessRecords.h"
#include "db/DbStruct.h"

namespace {

constexpr int kRows = 100000;
constexpr int kOrderedRows = 10000;
const char* kQuery = "select ID, Name, DN, Flow, Made from R";

// Per read: wall and processor time. The three reads take turns (in a rotating order) so that a
// busy machine slows each of them alike; the ratio compares medians of warm reads, after one
// read of each kind that fills the caches and maps the memory a process needs once. That first
// read is printed on its own.
struct Reads {
    std::vector<double> wall, cpu;
    double firstWall = 0;
};
Reads g_layer, g_layerByName, g_raw;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Times one read into `reads`, or as its first read.
template <class Read>
void Timed(Reads& reads, bool first, Read&& read) {
    auto t0 = std::chrono::steady_clock::now();
    double c0 = CpuSeconds();
    read();
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (first) {
        reads.firstWall = wall;
        return;
    }
    reads.wall.push_back(wall);
    reads.cpu.push_back(CpuSeconds() - c0);
}

std::string TempPath(const char* name) { return std::string("/tmp/nuvdb-bench-") + std::to_string(getpid()) + "-" + name; }

// A table made through the layer (so its declared types are the desktop engine's), filled
// through SQLite in one transaction.
std::string MakeDatabase(const char* name, const char* ddl, const char* insert, int rows) {
    std::string path = TempPath(name);
    unlink(path.c_str());
    std::fclose(std::fopen(path.c_str(), "w"));
    {
        CADODatabase db;
        if (!db.Open(NUV::GetAccessConnectStr(path.c_str())) || !db.Execute(ddl)) std::abort();
    }
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, insert, -1, &st, nullptr);
    for (int i = 1; i <= rows; ++i) {
        sqlite3_bind_int(st, 1, i);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

const std::string& ReadDatabase() {
    static const std::string path =
        MakeDatabase("read.mdb", "CREATE TABLE R (ID COUNTER, Name TEXT(30), DN SHORT, Flow DOUBLE, Made DATETIME)",
                     "INSERT INTO R (ID, Name, DN, Flow, Made) VALUES (?1, 'Duct ' || ?1, ?1 % 500, ?1 * 0.25, "
                     "printf('2006-%02d-%02d 13:45:00', ?1 % 12 + 1, ?1 % 28 + 1))",
                     kRows);
    return path;
}

// Through the layer, with the fields numbered, or named as most of the suite's code reads them.
template <bool kByName>
long ReadThroughLayer(CADODatabase& db) {
    long sum = 0;
    CADORecordset rs(&db);
    if (!rs.Open(kQuery)) std::abort();
    long id = 0;
    int dn = 0;
    double flow = 0;
    CString name;
    COleDateTime made;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        if constexpr (kByName) {
            rs.GetFieldValue("ID", id);
            rs.GetFieldValue("Name", name);
            rs.GetFieldValue("DN", dn);
            rs.GetFieldValue("Flow", flow);
            rs.GetFieldValue("Made", made);
        } else {
            rs.GetFieldValue(0, id);
            rs.GetFieldValue(1, name);
            rs.GetFieldValue(2, dn);
            rs.GetFieldValue(3, flow);
            rs.GetFieldValue(4, made);
        }
        // Each side touches every value it read and does no more with it (the date is not split
        // into parts here, as the raw side does not parse its text).
        sum += id + dn + name.GetLength() + static_cast<long>(flow) + static_cast<long>(static_cast<DATE>(made));
    }
    return sum;
}

long ReadThroughSqlite(sqlite3* db) {
    long sum = 0;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &st, nullptr);
    std::string name, made;
    while (sqlite3_step(st) == SQLITE_ROW) {
        long id = sqlite3_column_int(st, 0);
        name.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)), sqlite3_column_bytes(st, 1));
        int dn = sqlite3_column_int(st, 2);
        double flow = sqlite3_column_double(st, 3);
        made.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, 4)), sqlite3_column_bytes(st, 4));
        sum += id + dn + static_cast<long>(name.size()) + static_cast<long>(flow) + made[9];
    }
    sqlite3_finalize(st);
    return sum;
}

// Each iteration reads the rows three times: through SQLite's API, through GetFieldValue by
// ordinal and by name.
void ReadRowsThreeWays(benchmark::State& state) {
    const std::string& path = ReadDatabase();
    CADODatabase layer;
    sqlite3* raw = nullptr;
    if (!layer.Open(NUV::GetAccessConnectStr(path.c_str())) ||
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open");
        return;
    }
    long sum = 0;
    auto read = [&](int way, bool first) {
        switch (way) {
        case 0: Timed(g_raw, first, [&] { sum += ReadThroughSqlite(raw); }); break;
        case 1: Timed(g_layer, first, [&] { sum += ReadThroughLayer<false>(layer); }); break;
        default: Timed(g_layerByName, first, [&] { sum += ReadThroughLayer<true>(layer); });
        }
    };
    for (int way = 0; way < 3; ++way) read(way, true);
    int turn = 0;
    for (auto _ : state) {
        for (int k = 0; k < 3; ++k) read((turn + k) % 3, false);
        ++turn;
    }
    sqlite3_close(raw);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 3 * kRows);
}

struct OrderedRow : tagDBSTRUCT {
    CADODatabase* db = nullptr;
    CADODatabase* GetDatabase() override { return db; }
    CString GetTableName() const override { return "Ordered"; }
    int IsIDSort() const override { return 1; }
};

// Moves the first row to the end and back: every other row shifts by one each time. Each move
// runs in a transaction, as callers that need it atomic do; without one every row written is a
// disk sync of its own.
void UpdateIDAcross10000Rows(benchmark::State& state) {
    std::string path = MakeDatabase("ordered.mdb", "CREATE TABLE Ordered (ID COUNTER, Version SHORT, Name TEXT(20))",
                                    "INSERT INTO Ordered (ID, Version, Name) VALUES (?1, 1, 'Row ' || ?1)", kOrderedRows);
    CADODatabase db;
    if (!db.Open(NUV::GetAccessConnectStr(path.c_str())) || !db.Execute("CREATE UNIQUE INDEX OrderedID ON Ordered (ID)"))
        state.SkipWithError("cannot open");
    OrderedRow row;
    row.db = &db;
    bool forward = true;
    for (auto _ : state) {
        row.SetID(forward ? 1 : kOrderedRows);
        db.BeginTransaction();
        if (!row.UpdateID(forward ? kOrderedRows : 1)) state.SkipWithError("UpdateID failed");
        db.CommitTransaction();
        forward = !forward;
    }
    state.SetItemsProcessed(state.iterations() * kOrderedRows);
    unlink(path.c_str());
}

BENCHMARK(ReadRowsThreeWays)->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(UpdateIDAcross10000Rows)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unlink(TempPath("read.mdb").c_str());
    if (!g_layer.wall.empty() && !g_raw.wall.empty()) {
        double layer = Median(g_layer.wall), raw = Median(g_raw.wall);
        std::printf("100000 rows x 5 fields, median of %zu warm reads: GetFieldValue %.1f ms, SQLite API %.1f ms, "
                    "ratio %.2fx (goal: within 1.5x)\n",
                    g_layer.wall.size(), layer * 1e3, raw * 1e3, layer / raw);
        double layerCpu = Median(g_layer.cpu), rawCpu = Median(g_raw.cpu);
        std::printf("  processor time: GetFieldValue %.1f ms, SQLite API %.1f ms, ratio %.2fx\n", layerCpu * 1e3,
                    rawCpu * 1e3, layerCpu / rawCpu);
        std::printf("  first read of the process: GetFieldValue %.1f ms, SQLite API %.1f ms\n", g_layer.firstWall * 1e3,
                    g_raw.firstWall * 1e3);
        if (!g_layerByName.wall.empty())
            std::printf("  fields named instead of numbered: GetFieldValue %.1f ms, ratio %.2fx\n",
                        Median(g_layerByName.wall) * 1e3, Median(g_layerByName.wall) / raw);
    }
    return 0;
}
