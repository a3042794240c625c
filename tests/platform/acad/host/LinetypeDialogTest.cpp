// The line-type chooser answered by a scripted user: the names the list offers, Enter for the
// earlier choice, refusals asked again, and a cancel that leaves the caller's values alone.
#include "CommandFixture.h"
#include "acad/AcEdLinetypeDialog.h"
#include "acad/ResBuf.h"

namespace {

class LinetypeDialog : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        AcDbLinetypeTable* table = nullptr;
        ASSERT_EQ(db->getLinetypeTable(table, AcDb::kForWrite), Acad::eOk);
        auto* rec = new AcDbLinetypeTableRecord;
        rec->setName("DASHED");
        ASSERT_EQ(table->add(dashed, rec), Acad::eOk);
        rec->close();
        table->close();
    }
    AcDbObjectId dashed;
};

TEST_F(LinetypeDialog, AnswersAreTheNamesTheListOffers) {
    AcDbObjectId none;
    const AcDbObjectId byLayer = db->byLayerLinetype(), continuous = db->continuousLinetype();
    struct Case {
        const char* what;
        std::initializer_list<const char*> answers;
        AcDbObjectId oldId;
        bool byBlockByLayer;
        bool chosen;
        const char* name;  // as the drawing spells it
        AcDbObjectId id;
        const char* printed;  // a part of the command line, or ""
    } cases[] = {
        {"a name in any case", {"dashed"}, none, false, true, "DASHED", dashed, "Select linetype: "},
        {"Enter keeps the earlier", {"<>"}, dashed, false, true, "DASHED", dashed, "Select linetype <DASHED>: "},
        {"Enter with nothing before", {"<>"}, none, false, false, "", none, ""},
        {"ByLayer not offered", {"ByLayer", "continuous"}, none, false, true, "Continuous", continuous,
         "Linetype \"ByLayer\" is not in the list."},
        {"ByLayer offered", {"bylayer"}, none, true, true, "ByLayer", byLayer, ""},
        {"unknown then cancel", {"nosuch", "^C"}, dashed, true, false, "", none, "Linetype \"nosuch\" is not in the list."},
    };
    for (const Case& c : cases) {
        Script(c.answers);
        char* name = nullptr;
        AcDbObjectId id;
        const bool chosen = acedLinetypeDialog(c.oldId, c.byBlockByLayer, name, id);
        EXPECT_EQ(input.pending(), 0u) << c.what;
        input.clear();
        const std::string printed = out.take();
        EXPECT_EQ(chosen, c.chosen) << c.what;
        EXPECT_EQ(name ? std::string(name) : std::string(), c.name) << c.what;
        EXPECT_EQ(id, c.id) << c.what;
        EXPECT_NE(printed.find(c.printed), std::string::npos) << c.what << ": " << printed;
        acutDelString(name);
    }
}

}  // namespace
