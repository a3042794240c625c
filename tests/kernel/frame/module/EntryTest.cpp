// The kernel module's life in the host: its commands from load to unload, its AutoLISP functions
// in each document from load to close, the banner's bytes, and the module-handle and unlock
// obligations of a module the suite loads and unloads.
#include <dlfcn.h>

#include <cstdio>
#include <vector>

#include "KernelFixture.h"

namespace {

using Entry = KernelTest;

const char* const kFunctionNames[] = {
    "shownuvaboutdlg", "ShowTORVAboutDlg", "shownuvaboutstr", "getwcsptofblock", "HasInstallNUVGroup",
    "GetNUVGroupValue", "IsLoadedArx",     "NUV_GetWorkPath", "NUV_ExcuteStr",   "GetVCVer",
    "ARXLoadEx",       "NUVTwinkle",       "NUVStopTwinkle",  "NUVGetTwinkleFreQ", "NUVSetTwinkleFreQ",
    "NUVSetTwinkleMode", "CreateDwgByDwt", "OpenDwg",         "InsertBlock",
};

// The NUV group's commands in the order the stack lists them.
std::vector<std::string> NuvCommands() {
    std::vector<std::string> names;
    AcEdCommandIterator* it = acedRegCmds->iterator();
    for (; !it->done(); it->next())
        if (std::string(it->commandGroup()) == "NUV") {
            const AcEdCommand* c = it->command();
            EXPECT_EQ(3, c->commandFlags()) << c->globalName();
            EXPECT_STREQ(c->globalName(), c->localName());
            names.emplace_back(c->globalName());
        }
    delete it;
    return names;
}

// "T" when every kernel function is a function in the current document, else the first that is
// not.
std::string FunctionsDefined(KernelTest& t, const std::function<std::string(const std::string&)>& typed) {
    (void)t;
    for (const char* name : kFunctionNames) {
        std::string printed = typed(std::string("(if (= (type ") + name + ") 'EXRXSUBR) 'yes 'no)");
        if (printed.find("YES") == std::string::npos) return std::string(name) + ": " + printed;
    }
    return "T";
}

std::string Gbk(const std::string& utf8) {
    std::string cmd = "printf '%s' '" + utf8 + "' | iconv -f UTF-8 -t GBK";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    EXPECT_EQ(0, ::pclose(p));
    return out;
}

TEST_F(Entry, CommandsArePresentFromLoadToUnload) {
    NewDoc();
    EXPECT_TRUE(NuvCommands().empty());
    LoadKernel();
    EXPECT_EQ((std::vector<std::string>{"NUVKERNEL", "ClearDwg", "MSld"}), NuvCommands());
    EXPECT_NE(nullptr, acedRegCmds->lookupGlobalCmd("msld")) << "command names ignore case";
    EXPECT_EQ(RTNORM, acedArxUnload("NUVKernel.arx")) << "the module unlocks itself, so it can go";
    EXPECT_TRUE(NuvCommands().empty());
    EXPECT_EQ(nullptr, acedRegCmds->lookupGlobalCmd("NUVKERNEL"));
}

TEST_F(Entry, FunctionsAreDefinedInEveryDocumentAndLeaveTheOneThatCloses) {
    AcApDocument* first = NewDoc();
    LoadKernel();
    AcApDocument* second = NewDoc();
    auto typed = [this](const std::string& e) { return Typed(e); };
    EXPECT_EQ("T", FunctionsDefined(*this, typed)) << "a document opened after the load";
    Activate(first);
    EXPECT_EQ("T", FunctionsDefined(*this, typed)) << "a document open at the load";

    // The document-unload message, as the host sends it to a closing document: the functions
    // leave that document only.
    void* handle = ::dlopen(KERNEL_MODULE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(nullptr, handle);
    auto entry = reinterpret_cast<AcRxEntryPointFunction>(::dlsym(handle, "acrxEntryPoint"));
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(AcRx::kRetOK, entry(AcRx::kUnloadDwgMsg, nullptr));
    ::dlclose(handle);
    for (const char* name : kFunctionNames)
        EXPECT_NE(std::string::npos, Typed(std::string("(type ") + name + ")").find("nil")) << name;
    Activate(second);
    EXPECT_EQ("T", FunctionsDefined(*this, typed));

    ASSERT_EQ(Acad::eOk, acDocManager->closeDocument(first));
    EXPECT_EQ("T", FunctionsDefined(*this, typed)) << "closing one document leaves the other's";
    ASSERT_EQ(RTNORM, acedArxUnload("NUVKernel.arx"));
    EXPECT_NE(std::string::npos, Typed("(type GetVCVer)").find("nil")) << "gone with the module";
}

TEST_F(Entry, BannerIsExactBytes) {
    NewDoc();
    LoadKernel();
    std::string lines = ReadAll(std::string(std::getenv("NUV_TEST_DATA")) + "/frame/banner-lines.txt");
    ASSERT_EQ(20, std::count(lines.begin(), lines.end(), '\n'));
    std::string want = "\n" + std::string(59, '-') + "\n" + Gbk(lines) + std::string(63, '-') + "\n";
    out.take();
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("NUVKERNEL"));
    std::string got = out.take();
    EXPECT_EQ(want, got);
    EXPECT_EQ(std::string::npos, got.find("ShowTORVAboutDlg")) << "the banner does not list it";
}

TEST_F(Entry, AnotherEntryPointMessageChangesNothing) {
    NewDoc();
    LoadKernel();
    void* handle = ::dlopen(KERNEL_MODULE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(nullptr, handle);
    auto entry = reinterpret_cast<AcRxEntryPointFunction>(::dlsym(handle, "acrxEntryPoint"));
    out.take();
    for (AcRx::AppMsgCode m : {AcRx::kCfgMsg, AcRx::kQuitMsg, AcRx::kSaveMsg, AcRx::kSuspendMsg, AcRx::kNullMsg})
        EXPECT_EQ(AcRx::kRetOK, entry(m, nullptr)) << m;
    ::dlclose(handle);
    EXPECT_EQ("", out.take());
    EXPECT_EQ(3u, NuvCommands().size());
    EXPECT_EQ("1300", Typed("(GetVCVer)"));
}

}  // namespace
