// Shared by the drawing-utility tests: a fresh default drawing made the working database for
// each test, the check that every call closed what it opened, and ezdxf's reading of the
// drawing saved to a file (draw_peer.py, run with Debian's own Python).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../../support/ModelSpace.h"
#include "../../support/TempDir.h"
#include "acad/AcDb.h"

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(&db);
    }
    void TearDown() override {
        EXPECT_EQ(db.numOpenObjects(), 0) << "an object was left open";
        acdbHostApplicationServices()->setWorkingDatabase(previous_);
    }

    // A new layer of that name in the drawing.
    void AddLayer(const char* name) {
        AcDbLayerTable* lt = nullptr;
        ASSERT_EQ(db.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
        auto* layer = new AcDbLayerTableRecord;
        layer->setName(name);
        ASSERT_EQ(lt->add(layer), Acad::eOk);
        layer->close();
        lt->close();
    }
    // Appends an entity to model space and closes it.
    AcDbObjectId AddToModel(AcDbEntity* e) { return NUVTest::AppendToModelSpace(db, e); }

    // Saves the drawing and returns ezdxf's facts about it, one per line.
    std::vector<std::string> PeerFacts() {
        std::string path = tmp.File("drawing.dxf");
        if (db.saveAs(path.c_str()) != Acad::eOk) return {"save failed"};
        const char* src = std::getenv("NUV_SOURCE_DIR");
        std::string cmd = "/usr/bin/python3 " + std::string(src ? src : ".") + "/tests/kernel/draw/draw_peer.py '" +
                          path + "' 2>&1";
        std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
        std::string text;
        if (p) {
            std::array<char, 4096> buf;
            size_t n;
            while ((n = fread(buf.data(), 1, buf.size(), p.get())) > 0) text.append(buf.data(), n);
        }
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static bool Has(const std::vector<std::string>& facts, const std::string& line) {
        for (const auto& f : facts)
            if (f == line) return true;
        return false;
    }
    static std::string Joined(const std::vector<std::string>& facts) {
        std::string s;
        for (const auto& f : facts) s += f + "\n";
        return s;
    }
    // Facts whose first word is `kind`, in file order.
    static std::vector<std::string> Only(const std::vector<std::string>& facts, const std::string& kind) {
        std::vector<std::string> out;
        for (const auto& f : facts)
            if (f.rfind(kind + " ", 0) == 0) out.push_back(f);
        return out;
    }

    AcDbDatabase db;
    TempDir tmp;

private:
    AcDbDatabase* previous_ = nullptr;
};
