// Drawings of every version from R12 to R2018, written by ezdxf with every entity type it
// writes, are read, saved and compared by ezdxf with what went in; each saved file must pass
// ezdxf's audit and read back to the same bytes.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DxfPeer.h"
#include "TempDir.h"
#include "acad/AcDb.h"

namespace {

class DxfCorpus : public ::testing::TestWithParam<const char*> {
public:
    static void SetUpTestSuite() {
        temp_ = new TempDir;
        made_ = DxfPeer::python("dxf_corpus.py", {"make", temp_->path()});
    }
    static void TearDownTestSuite() {
        delete temp_;
        temp_ = nullptr;
    }

protected:
    static TempDir* temp_;
    static std::string made_;
};
TempDir* DxfCorpus::temp_ = nullptr;
std::string DxfCorpus::made_;

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

// Objects of the types the model holds must be read as such, not kept as unknown records: a
// kept record passes any comparison but gives the kernel nothing to work with.
std::vector<std::string> keptAsUnknown(AcDbDatabase& db) {
    static const std::set<std::string> modelled = {"LINE",   "CIRCLE", "ARC",        "LWPOLYLINE", "TEXT",  "ATTRIB",
                                                    "INSERT", "HATCH",  "IMAGE",      "POLYLINE",   "VERTEX", "DICTIONARY",
                                                    "XRECORD", "GROUP", "IMAGEDEF", "IMAGEDEF_REACTOR"};
    std::vector<std::string> found;
    for (uint64_t h = 1; h < db.handseed().value(); ++h) {
        AcDbObjectId id;
        if (db.getAcDbObjectId(id, false, AcDbHandle(h)) != Acad::eOk) continue;
        AcDbObject* o = nullptr;
        if (acdbOpenObject(o, id, AcDb::kForRead) != Acad::eOk) continue;
        std::string type;
        if (auto* p = AcDbProxyEntity::cast(o)) type = p->typeName();
        else if (auto* q = AcDbProxyObject::cast(o)) type = q->typeName();
        if (modelled.count(type)) found.push_back(type + " #" + o->handle().asString());
        o->close();
    }
    return found;
}

TEST_P(DxfCorpus, ReadSaveCompareAndAudit) {
    std::string name = std::string("corpus_") + GetParam() + ".dxf";
    std::string in = temp_->File(name);
    ASSERT_NE(made_.find(in), std::string::npos) << "ezdxf did not write " << name << ":\n" << made_;

    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(in.c_str()), Acad::eOk) << db.lastErrorMessage();
    EXPECT_EQ(db.numOpenObjects(), 0);
    for (const std::string& k : keptAsUnknown(db)) ADD_FAILURE() << k << " was not read into the model";
    std::string out = temp_->File(std::string("saved_") + GetParam() + ".dxf");
    ASSERT_EQ(db.saveAs(out.c_str()), Acad::eOk) << db.lastErrorMessage();

    std::string report = DxfPeer::python("dxf_corpus.py", {"compare", in, out});
    for (const std::string& d : linesStartingWith(report, "DIFF")) ADD_FAILURE() << d;
    for (const std::string& d : linesStartingWith(report, "AUDIT-ERROR")) ADD_FAILURE() << d;
    EXPECT_EQ(linesStartingWith(report, "AUDIT 0").size(), 1u) << report;

    // What was saved reads back and saves to the same bytes.
    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(out.c_str()), Acad::eOk) << again.lastErrorMessage();
    std::string text;
    ASSERT_EQ(again.writeDxf(text), Acad::eOk);
    EXPECT_TRUE(text == ReadAll(out)) << "a second save differs from the first";
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfCorpus,
                         ::testing::Values("R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
