// Documents: names, opening (once per file), closing, activation only between commands, locks,
// reactors, queued work, and the automation objects over them.
#include <filesystem>

#include "Drawings.h"
#include "HostFixture.h"
#include "TempDir.h"

namespace {

using Documents = HostTest;

std::string Title(AcApDocument* d) { return d ? d->docTitle() : "(none)"; }

TEST_F(Documents, NewDrawingsAreNumberedAndTheWorkingDatabaseFollowsTheActiveOne) {
    EXPECT_EQ(nullptr, acDocManager->mdiActiveDocument());
    EXPECT_EQ(nullptr, acdbHostApplicationServices()->workingDatabase());
    AcApDocument* a = NewDoc();
    AcApDocument* b = NewDoc();
    AcApDocument* c = NewDoc();
    EXPECT_EQ("Drawing1.dwg", Title(a));
    EXPECT_EQ("Drawing2.dwg", Title(b));
    EXPECT_EQ("Drawing3.dwg", Title(c));
    EXPECT_STREQ("Drawing3.dwg", c->fileName());
    EXPECT_TRUE(c->isUntitled());
    EXPECT_STREQ("", c->database()->filename()) << "a new drawing has no file";
    EXPECT_EQ(3, acDocManager->documentCount());
    EXPECT_EQ(c, acDocManager->curDocument());
    EXPECT_EQ(c->database(), acdbHostApplicationServices()->workingDatabase());
    ASSERT_EQ(Acad::eOk, acDocManager->activateDocument(a));
    EXPECT_EQ(a, acDocManager->mdiActiveDocument());
    EXPECT_EQ(a->database(), acdbHostApplicationServices()->workingDatabase());
    EXPECT_EQ(a, acDocManager->document(a->database()));
    // Closing the active one activates the one active before it.
    ASSERT_EQ(Acad::eOk, acDocManager->closeDocument(a));
    EXPECT_EQ(c, acDocManager->mdiActiveDocument());
    // Numbers are not reused within a session.
    EXPECT_EQ("Drawing4.dwg", Title(NewDoc()));
}

TEST_F(Documents, OpeningTheSameFileTwiceGivesTheOpenDocument) {
    TempDir tmp;
    std::filesystem::create_directories(tmp.File("Plans"));
    WriteDrawing(tmp.File("Plans/Floor.dxf"), 3);
    ASSERT_EQ(Acad::eOk, acDocManager->appContextOpenDocument(tmp.File("Plans/Floor.dxf").c_str()));
    AcApDocument* doc = acDocManager->mdiActiveDocument();
    EXPECT_EQ("Floor.dxf", Title(doc));
    EXPECT_EQ(tmp.File("Plans/Floor.dxf"), doc->fileName());
    EXPECT_EQ(3, LineCount(doc->database()));
    EXPECT_FALSE(doc->isUntitled());
    NewDoc();
    for (std::string other : {tmp.File("plans/FLOOR.DXF"), tmp.path() + "\\PLANS\\floor.dxf",
                              tmp.File("Plans/../Plans/Floor.dxf")}) {
        ASSERT_EQ(Acad::eOk, acDocManager->appContextOpenDocument(other.c_str())) << other;
        EXPECT_EQ(doc, acDocManager->mdiActiveDocument()) << other;
        EXPECT_EQ(2, acDocManager->documentCount()) << other;
    }
}

TEST_F(Documents, FilesThatCannotBeOpenedAddNoDocument) {
    TempDir tmp;
    tmp.Touch("binary.dwg", std::string("AC1015\0\0\0garbage", 16));
    tmp.Touch("broken.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot-a-number\n");
    NewDoc();
    struct Case {
        std::string path;
        Acad::ErrorStatus status;
    } cases[] = {
        {tmp.File("missing.dxf"), Acad::eFileNotFound},
        {tmp.path(), Acad::eFileNotFound},  // a folder
        {"", Acad::eInvalidInput},
        {tmp.File("binary.dwg"), Acad::eDwgNotRecognized},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.status, acDocManager->appContextOpenDocument(c.path.c_str())) << c.path;
        EXPECT_EQ(1, acDocManager->documentCount()) << c.path;
        EXPECT_EQ("Drawing1.dwg", Title(acDocManager->mdiActiveDocument())) << c.path;
    }
    EXPECT_NE(Acad::eOk, acDocManager->appContextOpenDocument(tmp.File("broken.dxf").c_str()));
    EXPECT_EQ(1, acDocManager->documentCount());
}

// ---- The application context ----

AcApDocument* requested = nullptr;
std::vector<std::string> log;

void TrySwitchingInsideACommand() {
    log.push_back("open " + std::to_string(acDocManager->appContextOpenDocument(std::getenv("DOC_TEST_PATH"))));
    log.push_back("new " + std::to_string(acDocManager->appContextNewDocument(nullptr)));
    acDocManager->activateDocument(requested);
    log.push_back("active " + Title(acDocManager->mdiActiveDocument()));
    try {
        IAcadApplicationPtr app = IDispatchPtr(acedGetIDispatch(false));
        app->GetDocuments()->Add();
        log.push_back("added");
    } catch (const _com_error& e) {
        log.push_back("add " + std::to_string(e.Error()));
    }
    acDocManager->executeInApplicationContext([](void* data) { log.push_back(static_cast<const char*>(data)); },
                                              const_cast<char*>("deferred call"));
    log.push_back("command ends");
}

TEST_F(Documents, InsideACommandDocumentsAreNotSwitchedUntilItEnds) {
    TempDir tmp;
    WriteDrawing(tmp.File("b.dxf"), 1);
    setenv("DOC_TEST_PATH", tmp.File("b.dxf").c_str(), 1);
    requested = NewDoc();
    NewDoc();
    log.clear();
    acedRegCmds->addCommand("DOCT", "SWITCHER", "SWITCHER", 0, TrySwitchingInsideACommand);
    EXPECT_EQ(RTNORM, NUVAcad::RunCommand("SWITCHER"));
    EXPECT_EQ((std::vector<std::string>{"open 2", "new 2", "active Drawing2.dwg",
                                        "add " + std::to_string(RPC_E_CALL_REJECTED), "command ends"}),
              log);
    EXPECT_EQ("Drawing2.dwg", Title(acDocManager->mdiActiveDocument())) << "still, until the host is idle";
    EXPECT_TRUE(NUVAcad::RunIdleTasks());
    EXPECT_EQ("Drawing1.dwg", Title(acDocManager->mdiActiveDocument()));
    EXPECT_EQ("deferred call", log.back());
    EXPECT_EQ(2, acDocManager->documentCount());
    acedRegCmds->removeGroup("DOCT");
}

TEST_F(Documents, AModuleOpensADrawingThroughATimerOnTheDocumentWindow) {
    TempDir tmp;
    WriteDrawing(tmp.File("Second.dxf"), 2);
    setenv("PROBE_OPEN", tmp.File("Second.dxf").c_str(), 1);
    NewDoc();
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    out.take();
    input.text("PROBEOPEN");
    NUVAcad::RunCommandLoop();
    EXPECT_EQ("[probe] direct 2\n[probe] automation 0x80010001\n[probe] timer set\n", out.take());
    EXPECT_EQ(1, acDocManager->documentCount());
    NUVAcad::Wait(99);
    EXPECT_EQ(1, acDocManager->documentCount()) << "not before its 100 ms";
    NUVAcad::Wait(1);
    EXPECT_EQ("[probe] load Second.dxf\n[probe] opened Second.dxf at 1000100 lock 0\n", out.take());
    EXPECT_EQ("Second.dxf", Title(acDocManager->mdiActiveDocument()));
    EXPECT_EQ("Second.dxf", Title(acDocManager->curDocument())) << "the activated document is current too";
    EXPECT_EQ(0, NUVWin::TimerCount()) << "the callback killed its timer";
}

TEST_F(Documents, CloseInsideACommandWaitsForItsEnd) {
    AcApDocument* a = NewDoc();
    NewDoc();
    static AcApDocument* victim;
    victim = a;
    acedRegCmds->addCommand("DOCT", "CLOSER", "CLOSER", 0, [] {
        acDocManager->closeDocument(victim);
        log.push_back(std::to_string(acDocManager->documentCount()));
    });
    log.clear();
    NUVAcad::RunCommand("CLOSER");
    EXPECT_EQ(std::vector<std::string>{"2"}, log);
    NUVAcad::RunIdleTasks();
    EXPECT_EQ(1, acDocManager->documentCount());
    acedRegCmds->removeGroup("DOCT");
}

TEST_F(Documents, QueuedInputRunsInTheDocumentWhenTheHostIsIdle) {
    acedRegCmds->addCommand("DOCT", "NOTE", "NOTE", 0, [] { log.push_back("note in " + Title(curDoc())); });
    AcApDocument* a = NewDoc();
    NewDoc();
    log.clear();
    ASSERT_EQ(Acad::eOk, acDocManager->sendStringToExecute(a, "NOTE NOTE\n", true, false, false));
    NUVAcad::RunCommandLoop();
    EXPECT_EQ((std::vector<std::string>{"note in Drawing1.dwg", "note in Drawing1.dwg"}), log);
    acedRegCmds->removeGroup("DOCT");
}

// ---- Locks ----

TEST_F(Documents, LocksStackAndAnExclusiveLockExcludesOthers) {
    AcApDocument* d = NewDoc();
    EXPECT_EQ(AcAp::kNotLocked, d->myLockMode());
    EXPECT_EQ(Acad::eOk, acDocManager->lockDocument(d, AcAp::kRead));
    EXPECT_EQ(Acad::eOk, acDocManager->lockDocument(d));
    EXPECT_EQ(AcAp::kWrite, d->myLockMode());
    EXPECT_EQ(Acad::eInvalidOpenState, acDocManager->lockDocument(d, AcAp::kXWrite));
    EXPECT_EQ(Acad::eOk, acDocManager->unlockDocument(d));
    EXPECT_EQ(AcAp::kRead, d->myLockMode());
    EXPECT_EQ(Acad::eOk, acDocManager->unlockDocument(d));
    EXPECT_EQ(Acad::eNotApplicable, acDocManager->unlockDocument(d));
    EXPECT_EQ(Acad::eOk, acDocManager->lockDocument(d, AcAp::kXWrite));
    EXPECT_EQ(Acad::eInvalidOpenState, acDocManager->lockDocument(d, AcAp::kRead));
    {
        AcAxDocLock lock;
        EXPECT_EQ(Acad::eInvalidOpenState, lock.lockStatus());
    }
    EXPECT_EQ(Acad::eOk, acDocManager->unlockDocument(d));
    {
        AcAxDocLock lock;
        EXPECT_EQ(Acad::eOk, lock.lockStatus());
        EXPECT_EQ(d, lock.document());
        EXPECT_EQ(AcAp::kWrite, d->myLockMode());
    }
    EXPECT_EQ(AcAp::kNotLocked, d->myLockMode());
}

TEST_F(Documents, DocumentLockCanMakeItsDocumentCurrentForItsLifetime) {
    AcApDocument* a = NewDoc();
    AcApDocument* b = NewDoc();
    {
        AcAxDocLock lock(a->database(), AcAxDocLock::kCurDocSwitch);
        EXPECT_EQ(Acad::eOk, lock.lockStatus());
        EXPECT_EQ(a, acDocManager->curDocument());
        EXPECT_EQ(b, acDocManager->mdiActiveDocument());
        EXPECT_EQ(a->database(), acdbHostApplicationServices()->workingDatabase());
    }
    EXPECT_EQ(b, acDocManager->curDocument());
    AcDbDatabase loose;
    AcAxDocLock none(&loose);
    EXPECT_EQ(Acad::eNoDatabase, none.lockStatus());
}

// ---- Reactors ----

class Recorder : public AcApDocManagerReactor {
public:
    std::vector<std::string> events;
    void documentCreateStarted(AcApDocument* d) override { events.push_back("createStarted " + Title(d)); }
    void documentCreated(AcApDocument* d) override { events.push_back("created " + Title(d)); }
    void documentToBeDestroyed(AcApDocument* d) override { events.push_back("toBeDestroyed " + Title(d)); }
    void documentDestroyed(const char* name) override { events.push_back(std::string("destroyed ") + name); }
    void documentActivated(AcApDocument* d) override { events.push_back("activated " + Title(d)); }
    void documentToBeDeactivated(AcApDocument* d) override { events.push_back("toBeDeactivated " + Title(d)); }
    void documentBecameCurrent(AcApDocument* d) override { events.push_back("current " + Title(d)); }
};

TEST_F(Documents, ReactorsHearOfCreationActivationAndDestruction) {
    Recorder r;
    acDocManager->addReactor(&r);
    AcApDocument* a = NewDoc();
    NewDoc();
    acDocManager->closeDocument(a);
    acDocManager->removeReactor(&r);
    NewDoc();
    EXPECT_EQ((std::vector<std::string>{
                  "createStarted Drawing1.dwg", "current Drawing1.dwg", "activated Drawing1.dwg", "created Drawing1.dwg",
                  "createStarted Drawing2.dwg", "created Drawing2.dwg", "toBeDeactivated Drawing1.dwg",
                  "current Drawing2.dwg", "activated Drawing2.dwg", "toBeDestroyed Drawing1.dwg",
                  "destroyed Drawing1.dwg"}),
              r.events);
}

struct Counted {
    static inline int alive = 0;
    Counted() { ++alive; }
    ~Counted() { --alive; }
    int value = 0;
};

TEST_F(Documents, DocumentDataLivesAndDiesWithItsDocument) {
    AcApDocument* a = NewDoc();
    NUVAcad::DocumentSlot<Counted>(a).value = 7;
    EXPECT_EQ(7, NUVAcad::DocumentSlot<Counted>(a).value);
    EXPECT_EQ(1, Counted::alive);
    acDocManager->closeDocument(a);
    EXPECT_EQ(0, Counted::alive);
}

// ---- Automation ----

HRESULT Code(const std::function<void()>& f) {
    try {
        f();
    } catch (const _com_error& e) {
        return e.Error();
    }
    return S_OK;
}

TEST_F(Documents, AutomationOpensAddsAndNamesDrawings) {
    TempDir tmp;
    WriteDrawing(tmp.File("Template.dxf"), 4);
    WriteDrawing(tmp.File("Plan.dxf"), 1);
    IAcadApplicationPtr app = IDispatchPtr(acedGetIDispatch(false));
    IAcadDocumentsPtr docs = app->GetDocuments();
    EXPECT_EQ(E_FAIL, Code([&] { app->GetActiveDocument(); })) << "no document yet";

    IAcadDocumentPtr d1 = docs->Add();
    IAcadDocumentPtr d2 = docs->Add(_variant_t(tmp.File("Template.dxf").c_str()));
    EXPECT_STREQ("Drawing1.dwg", static_cast<const char*>(d1->GetName()));
    EXPECT_STREQ("Drawing2.dwg", static_cast<const char*>(d2->GetName()));
    EXPECT_STREQ("", static_cast<const char*>(d2->GetFullName()));
    EXPECT_EQ(4, LineCount(d2->document()->database())) << "the template's contents";
    EXPECT_STREQ("", d2->document()->database()->filename()) << "but not its file";

    IAcadDocumentPtr plan = docs->Open(_bstr_t(tmp.File("Plan.dxf").c_str()));
    EXPECT_STREQ("Plan.dxf", static_cast<const char*>(plan->GetName()));
    EXPECT_EQ(tmp.File("Plan.dxf"), static_cast<const char*>(plan->GetFullName()));
    EXPECT_EQ(tmp.path(), static_cast<const char*>(plan->GetPath()));
    EXPECT_EQ(VARIANT_FALSE, plan->GetActive()) << "opened, not activated";
    plan->Activate();
    EXPECT_EQ(VARIANT_TRUE, plan->GetActive());
    EXPECT_EQ(plan.GetInterfacePtr(), app->GetActiveDocument().GetInterfacePtr());
    EXPECT_EQ(3, docs->GetCount());
    EXPECT_EQ(d2.GetInterfacePtr(), docs->Item(_variant_t(1L)).GetInterfacePtr());
    EXPECT_EQ(plan.GetInterfacePtr(), docs->Item(_variant_t("PLAN.DXF")).GetInterfacePtr());
    EXPECT_EQ(plan.GetInterfacePtr(), docs->Open(_bstr_t(tmp.File("PLAN.dxf").c_str())).GetInterfacePtr());
    EXPECT_EQ(VARIANT_TRUE, docs->Open(_bstr_t(tmp.File("Template.dxf").c_str()), _variant_t(true))->GetReadOnly());
}

TEST_F(Documents, AutomationFailuresCarryTheRuntimesCodes) {
    TempDir tmp;
    IAcadApplicationPtr app = IDispatchPtr(acedGetIDispatch(false));
    IAcadDocumentsPtr docs = app->GetDocuments();
    IAcadDocumentPtr d = docs->Add();
    struct Case {
        const char* what;
        std::function<void()> call;
        HRESULT code;
    } cases[] = {
        {"open a missing file", [&] { docs->Open(_bstr_t(tmp.File("none.dxf").c_str())); }, E_FAIL},
        {"open without a name", [&] { docs->Open(_bstr_t("")); }, E_INVALIDARG},
        {"add from a missing template", [&] { docs->Add(_variant_t(tmp.File("none.dwt").c_str())); }, E_FAIL},
        {"add with a number", [&] { docs->Add(_variant_t(3L)); }, DISP_E_TYPEMISMATCH},
        {"item past the end", [&] { docs->Item(_variant_t(1L)); }, DISP_E_BADINDEX},
        {"item -1", [&] { docs->Item(_variant_t(-1L)); }, DISP_E_BADINDEX},
        {"item by unknown name", [&] { docs->Item(_variant_t("x.dwg")); }, DISP_E_BADINDEX},
        {"password of the wrong kind", [&] { docs->Open(_bstr_t("a.dxf"), vtMissing, _variant_t(1L)); }, DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) EXPECT_EQ(c.code, Code(c.call)) << c.what;
    try {
        docs->Open(_bstr_t(tmp.File("none.dxf").c_str()));
    } catch (const _com_error& e) {
        EXPECT_NE(std::string::npos, std::string(static_cast<const char*>(e.Description())).find("none.dxf"));
    }
    d->Close();
    EXPECT_EQ(0, docs->GetCount());
    EXPECT_EQ(RPC_E_DISCONNECTED, Code([&] { d->GetName(); })) << "a closed document's object";
    EXPECT_EQ(nullptr, d->document());
}

}  // namespace
