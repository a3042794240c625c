// The modules listed in sys\nuv.rx, loaded into every document: a table of list files (paths
// with either separator and in other letter case, missing files, other extensions, AutoLISP
// files whose paths hold backslashes), and what a second document gets.
#include <filesystem>

#include "KernelFixture.h"

namespace {

class ModuleList : public KernelTest {
protected:
    // Puts the test module and two AutoLISP files below the installation folder.
    void Install() {
        std::filesystem::create_directories(install.File("Modules"));
        std::filesystem::copy_file(TestModule("modules/listed.arx"), install.File("Modules/listed.arx"));
        install.Touch("Lisp/sub dir/one.lsp", "(setq listed-one (1+ (if listed-one listed-one 0)))\n");
        install.Touch("Lisp/two.LSP", "(setq listed-two \"two\")\n");
        install.Touch("Lisp/three.fas", "(setq listed-three T)\n");
        install.Touch("Lisp/four.lsp.txt", "(setq listed-four T)\n");
    }
    std::vector<std::string> Loaded() {
        std::vector<std::string> names;
        resbuf* list = acedArxLoaded();
        for (resbuf* rb = list; rb; rb = rb->rbnext) names.emplace_back(rb->resval.rstring);
        acutRelRb(list);
        return names;
    }
    // The values of the symbols the listed AutoLISP files set, in the current document.
    std::string Symbols() { return Typed("(list listed-one listed-two listed-three listed-four)"); }
};

TEST_F(ModuleList, EachListFileLoadsWhatItNames) {
    struct Case {
        const char* what;
        std::string list;  // the list file's bytes
        bool arx;          // listed.arx loaded
        const char* symbols;
    } cases[] = {
        {"empty list", "", false, "(nil nil nil nil)"},
        {"a module", "Modules/listed.arx\n", true, "(nil nil nil nil)"},
        {"backslashes and capitals", "MODULES\\Listed.ARX\r\n", true, "(nil nil nil nil)"},
        {"AutoLISP, backslashes doubled in the expression", "Lisp\\sub dir\\one.lsp\n", false, "(1 nil nil nil)"},
        {"extension in capitals", "Lisp/two.LSP", false, "(nil \"two\" nil nil)"},
        {"other extensions are ignored", "Lisp/three.fas\nLisp/four.lsp.txt\n", false, "(nil nil nil nil)"},
        {"missing files are skipped", "Modules/none.arx\nLisp/none.lsp\nLisp/two.LSP\n", false, "(nil \"two\" nil nil)"},
        {"blank lines and the folder itself", "\n\nsys\n", false, "(nil nil nil nil)"},
        {"all in file order", "Lisp\\sub dir\\one.lsp\nModules\\listed.arx\nLisp\\two.LSP\n", true, "(1 \"two\" nil nil)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Install();
        install.Touch("sys/nuv.rx", c.list);
        NewDoc();
        LoadKernel();
        NUVAcad::RunIdleTasks();  // the queued (load ...) expressions
        std::vector<std::string> loaded = Loaded();
        EXPECT_EQ(c.arx, std::find(loaded.begin(), loaded.end(), "listed.arx") != loaded.end());
        EXPECT_EQ(c.symbols, Symbols());
        TearDown();
        std::filesystem::remove_all(install.path());
        std::filesystem::create_directories(install.path());
        SetUp();
    }
}

TEST_F(ModuleList, EverySecondDocumentLoadsTheListAgain) {
    Install();
    install.Touch("sys/nuv.rx", "Lisp\\sub dir\\one.lsp\nModules\\listed.arx\n");
    NewDoc();
    LoadKernel();
    NUVAcad::RunIdleTasks();
    EXPECT_NE(std::string::npos, out.take().find("[listed] init\n[listed] load Drawing1.dwg\n"));
    EXPECT_EQ("(1 nil nil nil)", Symbols());

    NewDoc();
    NUVAcad::RunIdleTasks();
    std::string said = NUVWin::GbkToUtf8(out.take());
    // The list runs again for the new document: its AutoLISP state is its own, and the module,
    // already loaded, is offered to the host again (which says so) and told about the document.
    EXPECT_NE(std::string::npos, said.find("[listed] load Drawing2.dwg")) << said;
    EXPECT_NE(std::string::npos, said.find("listed.arx")) << said;
    EXPECT_EQ("(1 nil nil nil)", Symbols()) << "loaded into the new document's own AutoLISP";
}

TEST_F(ModuleList, AListThatCannotBeReadLoadsNothing) {
    Install();
    std::filesystem::remove(install.File("sys/nuv.rx"));
    std::filesystem::create_directories(install.File("sys/nuv.rx"));  // a folder, not a file
    NewDoc();
    LoadKernel();
    NUVAcad::RunIdleTasks();
    EXPECT_EQ("(nil nil nil nil)", Symbols());

    std::filesystem::remove(install.File("sys/nuv.rx"));
    install.Touch("sys/nuv.rx", std::string("Lisp/two.LSP\n\x00\n", 15));  // not text
    NewDoc();
    NUVAcad::RunIdleTasks();
    EXPECT_EQ("(nil nil nil nil)", Symbols());
    EXPECT_EQ((std::vector<std::string>{"ZQCAD.arx", "NUVKernel.arx"}), Loaded());
}

}  // namespace
