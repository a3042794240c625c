// nuvcad as its users run it: scripts, AutoLISP on the command line, the drawings and modules
// named on its command line (and what happens when they cannot be loaded), the start-up list,
// acad.lsp, saving on QUIT, and the interactive prompt on a pseudo-terminal, where timers run
// while it waits.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "RunCommand.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out, err;
};

std::string Source(const std::string& rel) { return std::string(std::getenv("NUV_SOURCE_DIR")) + "/" + rel; }
std::string Binary(const std::string& rel) { return std::string(std::getenv("NUV_BINARY_DIR")) + "/" + rel; }
std::string Nuvcad() { return Binary("bin/nuvcad"); }

// Runs nuvcad with `input` on stdin (a file) and stdout/stderr in files; `env` entries are set
// in the child only.
Result RunNuvcad(const std::vector<std::string>& args, const std::string& input = "",
           const std::vector<std::string>& env = {}) {
    static const TempDir dir;
    const fs::path in = fs::path(dir.path()) / "in", out = fs::path(dir.path()) / "out", err = fs::path(dir.path()) / "err";
    dir.Touch("in", input);
    const pid_t pid = fork();
    if (pid == 0) {
        int i = open(in.c_str(), O_RDONLY), o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
            e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(i, 0);
        dup2(o, 1);
        dup2(e, 2);
        for (const std::string& kv : env) putenv(const_cast<char*>(kv.c_str()));
        std::string program = Nuvcad();
        std::vector<char*> argv{program.data()};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    Result r;
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    return r;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A folder with no start-up list and no support files, so the user's installation stays out.
std::vector<std::string> Isolated(const TempDir& tmp) {
    return {"NUV_INSTALL_DIR=" + tmp.File("install"), "NUV_SUPPORT_PATH=" + Binary("share/nuv/support"),
            "HOME=" + tmp.path()};
}

TEST(Nuvcad, HelpAndCommandLinesThatCannotBeUsed) {
    Result help = RunNuvcad({"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_TRUE(Has(help.out, "Usage: nuvcad [DRAWING.dxf ...] [--load MODULE]... [--script FILE.scr]"));
    struct Case {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--frobnicate"}, "nuvcad: unknown option '--frobnicate'"},
        {{"--load"}, "nuvcad: --load needs a value"},
        {{"--script", "a.scr", "--script", "b.scr"}, "nuvcad: --script may be given once"},
        {{"--lisp", ""}, "nuvcad: --lisp needs a value"},
    };
    for (const Case& c : cases) {
        Result r = RunNuvcad(c.args);
        EXPECT_EQ(2, r.status) << c.says;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
        EXPECT_TRUE(Has(r.err, "Try 'nuvcad --help'.")) << r.err;
    }
}

TEST(Nuvcad, DrawingOrModuleThatCannotBeLoadedEndsWithStatusOne) {
    TempDir tmp;
    tmp.Touch("bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nx\n");
    struct Case {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{tmp.File("missing.dxf")}, "no such drawing file"},
        {{tmp.File("bad.dxf")}, "bad.dxf"},
        {{"--load", tmp.File("none.arx")}, "nuvcad: --load " },
        {{"--load", Source("README.md")}, "not an ELF shared object"},
        {{"--script", tmp.File("none.scr")}, "none.scr: cannot be read"},
    };
    for (const Case& c : cases) {
        Result r = RunNuvcad(c.args, "QUIT\n", Isolated(tmp));
        EXPECT_EQ(1, r.status) << c.says << r.err;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
    }
    tmp.Touch("latin1.scr", "(princ \"plain\")\n(princ \"caf\xE9\")\n");
    Result r = RunNuvcad({"--script", tmp.File("latin1.scr")}, "", Isolated(tmp));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "latin1.scr: line 2:")) << r.err;
}

TEST(Nuvcad, TheReadmeDemoScript) {
    TempDir tmp;
    // From the top of the source tree, as the README runs it.
    std::string here = fs::current_path();
    fs::current_path(std::getenv("NUV_SOURCE_DIR"));
    Result r = RunNuvcad({"examples/nuvcad/supply.dxf", "--script", "examples/nuvcad/demo.scr"}, "", Isolated(tmp));
    fs::current_path(here);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", r.err);
    for (const char* line : {"nuvdemo loaded.", "Command: (duct-velocity 3600 500 400)\n5.0\n",
                             "Command: (duct-dv 500 400)\n444.444\n", "(10000.0 4000.0 4000.0)",
                             "supply.dxf: 3 duct runs, 18.0 m in all",
                             "Enter name of drawing to open: examples/nuvcad/return.dxf\n",
                             "return.dxf: 2 duct runs, 16.5 m in all", "(10.0 6.5)", "Command: QUIT\n"})
        EXPECT_TRUE(Has(r.out, line)) << line << "\n--- in ---\n" << r.out;
}

TEST(Nuvcad, AScriptDrawsWithTheBuiltInCommands) {
    TempDir tmp;
    const std::string dxf = tmp.File("drawn.dxf");
    // A line end ends an answer; an empty line is Enter (the end of -LAYER's options and of
    // TEXT's lines). The script is UTF-8, the drawing keeps the text in GBK.
    tmp.Touch("draw.scr",
              "-LAYER M DUCT C 3 DUCT\n\n"
              "PLINE 0,0 W 2 2 100,0 100,50 C\n"
              "TEXT 10,20 5 0 \xE9\xA3\x8E\xE7\xAE\xA1 DN100\n\n"
              "ARC C 0,0 10,0 0,10\n"
              "ROTATE L  0,0 90\n"
              "SAVEAS " + dxf + "\nQUIT\n");
    Result r = RunNuvcad({"--script", tmp.File("draw.scr")}, "", Isolated(tmp));
    EXPECT_EQ(0, r.status) << r.err << r.out;
    NUVTest::CommandOutput peer = NUVTest::RunCommand("/usr/bin/python3 " + NUVTest::ShellWord(Source("tests/platform/acad/host/editor_peer.py")) +
                                                      " entities " + NUVTest::ShellWord(dxf) + " 2>&1");
    EXPECT_TRUE(Has(peer.out, "ERRORS 0\n")) << peer.out << r.out;
    EXPECT_TRUE(Has(peer.out, "LWPOLYLINE \"DUCT\" closed=1")) << peer.out;
    EXPECT_TRUE(Has(peer.out, "TEXT \"DUCT\" 10,20 h=5 rot=0 style=\"Standard\" \"\\u98ce\\u7ba1 DN100\"\n")) << peer.out;
    // The arc, drawn last, turned a quarter about the origin.
    EXPECT_TRUE(Has(peer.out, "ARC \"DUCT\" 0,0 r=10 a=90..180\n")) << peer.out;
    peer = NUVTest::RunCommand("/usr/bin/python3 " + NUVTest::ShellWord(Source("tests/platform/acad/host/editor_peer.py")) + " layers " +
                               NUVTest::ShellWord(dxf) + " 2>&1");
    EXPECT_TRUE(Has(peer.out, "CLAYER \"DUCT\"\nL \"0\"")) << peer.out;
    EXPECT_TRUE(Has(peer.out, "L \"DUCT\" 3 ")) << peer.out;
}

TEST(Nuvcad, LispExpressionsAndTypedCommandsFromStandardInput) {
    TempDir tmp;
    Result r = RunNuvcad({"--lisp", "(setq width 500)", "--lisp", "(* width 2)"},
                   "!width\n(strcat \"\xE4\xB8\xAD\" \"\xE6\x96\x87\")\nNOSUCH\n", Isolated(tmp));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.out, "500")) << r.out;
    EXPECT_TRUE(Has(r.out, "1000")) << r.out;
    EXPECT_TRUE(Has(r.out, "Command: !width\n500\n")) << r.out;
    // Typed in UTF-8, kept as GBK inside, printed in UTF-8 again.
    EXPECT_TRUE(Has(r.out, "\"\xE4\xB8\xAD\xE6\x96\x87\"")) << r.out;
    EXPECT_TRUE(Has(r.out, "Unknown command \"NOSUCH\".")) << r.out;
}

TEST(Nuvcad, StartupListAndAcadLsp) {
    TempDir tmp;
    tmp.Touch("install/startup.txt", "# modules for every session\n\n" + Binary("share/nuv/support/nuvdemo.arx") +
                                         "\nmissing/none.arx\n");
    tmp.Touch("support/acad.lsp", "(setq fromacad \"acad.lsp ran\")\n");
    std::vector<std::string> env = {"NUV_INSTALL_DIR=" + tmp.File("install"), "NUV_SUPPORT_PATH=" + tmp.File("support"),
                                    "HOME=" + tmp.path()};
    Result r = RunNuvcad({}, "!fromacad\n(duct-dv 300 300)\n", env);
    EXPECT_EQ(0, r.status);
    EXPECT_TRUE(Has(r.err, "startup.txt: line 4: missing/none.arx: no such file")) << r.err;
    EXPECT_TRUE(Has(r.out, "\"acad.lsp ran\"")) << r.out;
    EXPECT_TRUE(Has(r.out, "(duct-dv 300 300)\n300.0")) << r.out;
}

TEST(Nuvcad, QuitOffersToSaveAChangedDrawing) {
    TempDir tmp;
    fs::copy_file(Source("examples/nuvcad/supply.dxf"), tmp.File("plan.dxf"));
    auto before = fs::last_write_time(tmp.File("plan.dxf"));
    // The drawing changes; QUIT asks, Cancel keeps the session, No ends it without saving.
    Result r = RunNuvcad({tmp.File("plan.dxf")}, "(setvar \"CLAYER\" \"WALLS\")\nQUIT\nC\nQUIT\nN\n", Isolated(tmp));
    EXPECT_EQ(0, r.status);
    EXPECT_TRUE(Has(r.out, "Save changes to plan.dxf? [Yes/No/Cancel] <Yes>: C\n")) << r.out;
    EXPECT_EQ(before, fs::last_write_time(tmp.File("plan.dxf")));
    // Yes saves in place; a new drawing asks for a name.
    r = RunNuvcad({tmp.File("plan.dxf")},
                  "(setvar \"CLAYER\" \"WALLS\")\nNEW\n.\n(setvar \"TEXTSIZE\" 5)\nQUIT\n\nY\n" + tmp.File("new.dxf") + "\n",
                  Isolated(tmp));
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_TRUE(Has(r.out, "Save drawing as <Drawing1.dxf>: ")) << r.out;
    EXPECT_TRUE(fs::exists(tmp.File("new.dxf")));
    Result check = RunNuvcad({tmp.File("plan.dxf")}, "(getvar \"CLAYER\")\n", Isolated(tmp));
    EXPECT_TRUE(Has(check.out, "\"WALLS\"")) << check.out;
}

// ---- On a terminal ----

class Terminal {
public:
    explicit Terminal(const std::vector<std::string>& args, const std::vector<std::string>& env) {
        pid_ = forkpty(&fd_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            for (const std::string& kv : env) putenv(const_cast<char*>(kv.c_str()));
            std::string program = Nuvcad();
            std::vector<char*> argv{program.data()};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
    }
    ~Terminal() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(fd_);
    }
    void type(const std::string& keys) { (void)!write(fd_, keys.data(), keys.size()); }
    // Reads until `part` appears or `ms` pass; everything read so far is kept.
    bool waitFor(const std::string& part, int ms) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!Has(screen_, part)) {
            int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
            if (left <= 0) return false;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, left) <= 0) continue;
            char buf[4096];
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) return false;
            screen_.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    // Waits at most 20 s, so a session that does not end fails the test instead of hanging it.
    int exitStatus() {
        int st = 0;
        for (int i = 0; i < 2000; ++i) {
            if (waitpid(pid_, &st, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    const std::string& screen() const { return screen_; }

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    std::string screen_;
};

TEST(Nuvcad, TimersRunWhileThePromptWaitsAndThePromptComesBack) {
    TempDir tmp;
    fs::copy_file(Source("examples/nuvcad/return.dxf"), tmp.File("later.dxf"));
    std::vector<std::string> env = Isolated(tmp);
    env.push_back("PROBE_OPEN=" + tmp.File("later.dxf"));
    env.push_back("TERM=dumb");
    Terminal t({"--load", std::string(std::getenv("NUV_TEST_MODULES")) + "/probe.arx"}, env);
    ASSERT_TRUE(t.waitFor("Command: ", 20000)) << t.screen();
    // The function only sets a 100 ms timer; nothing more is typed until it has fired.
    t.type("(probe-open)\r");
    ASSERT_TRUE(t.waitFor("[probe] opened later.dxf", 20000)) << t.screen();
    ASSERT_TRUE(t.waitFor("Command: ", 5000));
    t.type("(probe-doc)\r");
    EXPECT_TRUE(t.waitFor("\"later.dxf\"", 20000)) << t.screen();
    t.type("QUIT\r");
    EXPECT_EQ(0, t.exitStatus());
}

TEST(Nuvcad, CtrlCCancelsTheLineAndCtrlDEndsTheSession) {
    TempDir tmp;
    std::vector<std::string> env = Isolated(tmp);
    env.push_back("TERM=dumb");
    Terminal t({}, env);
    ASSERT_TRUE(t.waitFor("Command: ", 20000)) << t.screen();
    t.type("(setq half");
    // Ctrl-C once the editor has the half line (it echoes it), not while the keys still wait
    // in the terminal, which would drop them with the interrupt.
    ASSERT_TRUE(t.waitFor("(setq half", 10000)) << t.screen();
    t.type("\x03");
    EXPECT_TRUE(t.waitFor("*Cancel*", 10000)) << t.screen();
    t.type("!half\r");
    EXPECT_TRUE(t.waitFor("nil", 10000)) << t.screen();
    {
        const std::string screen = t.screen();
        size_t count = 0;
        for (size_t at = screen.find("*Cancel*"); at != std::string::npos; at = screen.find("*Cancel*", at + 1)) ++count;
        EXPECT_EQ(1u, count) << "Ctrl-C is shown once\n" << screen;
    }
    // An endless loop stops at Ctrl-C, and the prompt comes back.
    t.type("(while T (setq spin 1))\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    t.type("\x03");
    EXPECT_TRUE(t.waitFor("; error: Function cancelled", 10000)) << t.screen();
    t.type("(+ 20 22)\r");
    // Ctrl-D ends the session at the prompt; typed before the prompt is back, the terminal's
    // line discipline takes it as the end of a cooked line and it never reaches the editor.
    EXPECT_TRUE(t.waitFor("42\r\nCommand: ", 10000)) << t.screen();
    t.type("\x04");
    EXPECT_EQ(0, t.exitStatus());
}

}  // namespace

namespace {

// Width and height from a PNG header, read here rather than by the renderer that wrote it.
std::string PngSize(const std::string& path) {
    std::string d = ReadAll(path);
    if (d.size() < 24 || d.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0 || d.compare(12, 4, "IHDR") != 0) return "not a PNG";
    auto be = [&](size_t i) {
        return (unsigned(uint8_t(d[i])) << 24) | (unsigned(uint8_t(d[i + 1])) << 16) | (unsigned(uint8_t(d[i + 2])) << 8) |
               unsigned(uint8_t(d[i + 3]));
    };
    return std::to_string(be(16)) + "x" + std::to_string(be(20));
}

}  // namespace

TEST(Nuvcad, PicturesOfTheViewAndOfEachChange) {
    TempDir tmp;
    fs::create_directories(tmp.File("frames"));
    Result r = RunNuvcad({"--png", tmp.File("end.png"), "--png-frames", tmp.File("frames")},
                         "(entmake '((0 . \"LINE\") (10 0.0 0.0 0.0) (11 100.0 50.0 0.0) (62 . 1)))\nQUIT\n",
                         Isolated(tmp));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("1024x768", PngSize(tmp.File("end.png")));
    EXPECT_EQ("1024x768", PngSize(tmp.File("frames/frame-000001-0ms.png")));
    // Folders that are not there: the reason, and status 1.
    r = RunNuvcad({"--png", tmp.File("none/end.png")}, "QUIT\n", Isolated(tmp));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "--png: cannot write")) << r.err;
    r = RunNuvcad({"--png-frames", tmp.File("none")}, "QUIT\n", Isolated(tmp));
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "--png-frames: ")) << r.err;
    EXPECT_FALSE(fs::exists(tmp.File("none")));
}
