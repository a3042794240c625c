// Loading real modules: the messages each receives in order, per document; refusals; the
// libraries a module needs found along "Path"; what an unloaded module leaves behind.
#include <filesystem>

#include "HostFixture.h"
#include "TempDir.h"

namespace {

using Modules = HostTest;

std::vector<std::string> Loaded() {
    std::vector<std::string> names;
    resbuf* list = acedArxLoaded();
    for (resbuf* rb = list; rb; rb = rb->rbnext) names.emplace_back(rb->resval.rstring);
    acutRelRb(list);
    return names;
}

TEST_F(Modules, MessagesArriveInOrderForEveryDocument) {
    NewDoc();
    NewDoc();
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    EXPECT_EQ("[probe] init\n[probe] load Drawing1.dwg\n[probe] load Drawing2.dwg\n", out.take());

    NewDoc();
    EXPECT_EQ("[probe] load Drawing3.dwg\n", out.take());

    AcApDocument* second = nullptr;
    AcApDocumentIterator* it = acDocManager->newAcApDocumentIterator();
    for (; !it->done(); it->step())
        if (std::string(it->document()->docTitle()) == "Drawing2.dwg") second = it->document();
    delete it;
    ASSERT_NE(nullptr, second);
    ASSERT_EQ(Acad::eOk, acDocManager->closeDocument(second));
    EXPECT_EQ("[probe] unload-dwg Drawing2.dwg\n", out.take());

    ASSERT_EQ(RTNORM, acedArxUnload("probe.arx"));
    EXPECT_EQ("[probe] unload\n", out.take());
    EXPECT_TRUE(Loaded().empty());
}

TEST_F(Modules, EachModuleHearsAboutDocumentsInLoadOrder) {
    NewDoc();
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe2.arx").c_str()));
    EXPECT_EQ((std::vector<std::string>{"probe.arx", "probe2.arx"}), Loaded());
    out.take();
    NewDoc();
    EXPECT_EQ("[probe] load Drawing2.dwg\n[probe2] load Drawing2.dwg\n", out.take());
    NUVAcad::EndSession();
    // The session's end: every document closes (each module told), then the modules go, the
    // last loaded first.
    EXPECT_EQ("[probe] unload-dwg Drawing2.dwg\n[probe2] unload-dwg Drawing2.dwg\n"
              "[probe] unload-dwg Drawing1.dwg\n[probe2] unload-dwg Drawing1.dwg\n"
              "[probe2] unload\n[probe] unload\n",
              out.take());
}

TEST_F(Modules, RefusedLoadsSayWhyAndReturnError) {
    NewDoc();
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    out.take();
    struct Case {
        std::string path;
        std::string says;  // part of the message on the command line
    } cases[] = {
        {Module("probe.arx"), "\"probe.arx\" is already loaded."},
        {Module("PROBE.ARX"), "\"probe.arx\" is already loaded."},
        {Module("nosuch.arx"), "no such file"},
        {Module("noentry.so"), "not a module (it has no acrxEntryPoint)"},
        {Module("unresolved.arx"), "function_nobody_defines"},
        {"", "without a name"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RTERROR, acedArxLoad(c.path.c_str())) << c.path;
        std::string said = out.take();
        EXPECT_NE(std::string::npos, said.find(c.says)) << c.path << " said: " << said;
    }
    EXPECT_EQ(std::vector<std::string>{"probe.arx"}, Loaded());
}

TEST_F(Modules, ModuleFoundByBareNameAlongTheSupportPathWithoutItsExtension) {
    setenv("NUV_SUPPORT_PATH", std::getenv("NUV_TEST_MODULES"), 1);
    EXPECT_EQ(RTNORM, acedArxLoad("probe"));
    EXPECT_EQ(std::vector<std::string>{"probe.arx"}, Loaded());
    unsetenv("NUV_SUPPORT_PATH");
}

TEST_F(Modules, PathComponentsMatchWhateverTheLetterCaseAndSeparator) {
    TempDir tmp;
    std::filesystem::create_directories(tmp.File("Mods/Sub"));
    std::filesystem::copy_file(Module("probe.arx"), tmp.File("Mods/Sub/Probe.Arx"));
    std::string windowsStyle = tmp.path() + "\\mods\\SUB\\probe.arx";
    EXPECT_EQ(RTNORM, acedArxLoad(windowsStyle.c_str()));
    EXPECT_EQ(std::vector<std::string>{"Probe.Arx"}, Loaded());
}

TEST_F(Modules, FailedInitialisationUnloadsTheModuleAgain) {
    NewDoc();
    setenv("PROBE_INIT_FAIL", "1", 1);
    EXPECT_EQ(RTERROR, acedArxLoad(Module("probe.arx").c_str()));
    std::string said = out.take();
    EXPECT_EQ(0u, said.find("[probe] init\n")) << said;
    EXPECT_NE(std::string::npos, said.find("its initialisation failed"));
    EXPECT_EQ(std::string::npos, said.find("load Drawing1")) << "no document message after a failed start";
    EXPECT_TRUE(Loaded().empty());
    // Nothing of it stays registered: its commands are gone with it.
    EXPECT_EQ(nullptr, acedRegCmds->lookupGlobalCmd("PROBEHELLO"));
    unsetenv("PROBE_INIT_FAIL");
    EXPECT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str())) << "and it can be loaded again";
}

TEST_F(Modules, LockedModuleIsNotUnloaded) {
    setenv("PROBE_LOCKED", "1", 1);
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    EXPECT_TRUE(acrxDynamicLinker->isApplicationLocked("probe.arx"));
    EXPECT_TRUE(acrxDynamicLinker->isApplicationLocked("probe"));
    EXPECT_EQ(RTERROR, acedArxUnload("probe.arx"));
    EXPECT_NE(std::string::npos, out.take().find("\"probe.arx\" is locked"));
    EXPECT_EQ(std::vector<std::string>{"probe.arx"}, Loaded());
    EXPECT_EQ(RTERROR, acedArxUnload("other.arx"));
    EXPECT_NE(std::string::npos, out.take().find("\"other.arx\" is not loaded"));
}

TEST_F(Modules, UnloadByNameWithOrWithoutFolderAndExtension) {
    for (const std::string& name : std::vector<std::string>{"probe.arx", "PROBE", Module("probe.arx")}) {
        ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
        EXPECT_EQ(RTNORM, acedArxUnload(name.c_str())) << name;
        EXPECT_TRUE(Loaded().empty()) << name;
    }
}

TEST_F(Modules, MdiAwarenessIsRecorded) {
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    EXPECT_TRUE(acrxDynamicLinker->isAppMDIAware("probe.arx"));
    ASSERT_EQ(RTNORM, acedArxUnload("probe.arx"));
    EXPECT_FALSE(acrxDynamicLinker->isAppMDIAware("probe.arx"));
}

TEST_F(Modules, NeededLibraryIsFoundAlongPathReadAtTheMomentOfTheLoad) {
    const std::string deps = std::string(std::getenv("NUV_TEST_MODULES")) + "/deps";
    const char* saved = std::getenv("Path");
    std::string savedPath = saved ? saved : "";
    unsetenv("Path");
    EXPECT_EQ(RTERROR, acedArxLoad(Module("dependent.arx").c_str()));
    EXPECT_NE(std::string::npos, out.take().find("libprobedep.so")) << "the missing library is named";

    // The kernel's way: the module's own folder added to Path just for the load.
    setenv("Path", ("/nonexistent;" + deps + ";/usr/lib").c_str(), 1);
    EXPECT_EQ(RTNORM, acedArxLoad(Module("dependent.arx").c_str()));
    unsetenv("Path");
    EXPECT_EQ("[dependent] init 4711\n", out.take());
    EXPECT_EQ(RTNORM, acedArxUnload("dependent.arx"));
    if (saved) setenv("Path", savedPath.c_str(), 1);
}

TEST_F(Modules, AnUnloadedModuleLeavesNothingTheHostWouldCallInto) {
    NewDoc();
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    ASSERT_NE(nullptr, acedRegCmds->lookupGlobalCmd("PROBEHELLO"));
    // A timer with a callback in the module, then the module goes.
    input.text("PROBEOPEN");
    setenv("PROBE_OPEN", "/nonexistent.dxf", 1);
    NUVAcad::RunCommandLoop();
    EXPECT_EQ(1, NUVWin::TimerCount());
    ASSERT_EQ(RTNORM, acedArxUnload("probe.arx"));
    EXPECT_EQ(0, NUVWin::TimerCount());
    EXPECT_EQ(nullptr, acedRegCmds->lookupGlobalCmd("PROBEHELLO"));
    NUVAcad::Wait(500);  // nothing left to call
}

}  // namespace
