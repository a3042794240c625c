// A working drawing for the editor-side tests (display, undo, selection, slides, line types),
// with helpers that make entities the way a module does: open, append, close.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "acad/AcDb.h"

struct EditorFixture : ::testing::Test {
    AcDbDatabase db;
    void SetUp() override { acdbHostApplicationServices()->setWorkingDatabase(&db); }
    void TearDown() override {
        EXPECT_EQ(db.numOpenObjects(), 0) << "a test left objects open";
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }

    AcDbObjectId append(AcDbEntity* ent, AcDbDatabase* into = nullptr) {
        AcDbDatabase* d = into ? into : &db;
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(acdbOpenObject(ms, d->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        EXPECT_EQ(ms->appendAcDbEntity(id, ent), Acad::eOk);
        ent->close();
        ms->close();
        return id;
    }
    AcDbObjectId addLine(AcGePoint3d a, AcGePoint3d b, int color = 256) {
        auto* l = new AcDbLine(a, b);
        if (color != 256) l->setColorIndex(color);
        return append(l);
    }
    AcDbObjectId addCircle(AcGePoint3d c, double r) { return append(new AcDbCircle(c, AcGeVector3d::kZAxis, r)); }
    AcDbObjectId addLayer(const char* name, int color = 7) {
        AcDbLayerTable* t = nullptr;
        EXPECT_EQ(db.getLayerTable(t, AcDb::kForWrite), Acad::eOk);
        auto* rec = new AcDbLayerTableRecord;
        rec->setName(name);
        rec->setColorIndex(color);
        AcDbObjectId id;
        EXPECT_EQ(t->add(id, rec), Acad::eOk);
        rec->close();
        t->close();
        return id;
    }
    void setLayer(AcDbObjectId ent, const char* layer) {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, ent, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(e->setLayer(layer), Acad::eOk);
        e->close();
    }
    static void nameOf(AcDbObjectId id, ads_name n) { acdbGetAdsName(n, id); }
};

// Runs a program and returns what it printed (stdout and stderr).
inline std::string RunProgram(const std::string& cmd) {
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen((cmd + " 2>&1").c_str(), "r"), pclose);
    std::string out;
    if (!p) return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p.get())) > 0) out.append(buf.data(), n);
    return out;
}

inline std::string SourceFile(const std::string& rel) {
    const char* src = std::getenv("NUV_SOURCE_DIR");
    return std::string(src ? src : ".") + "/" + rel;
}
