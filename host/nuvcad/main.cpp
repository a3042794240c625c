// nuvcad: the CAD host a user runs. Opens the drawings named on the command line (or a new
// one), loads the start-up modules and the modules named, evaluates --lisp expressions, runs the
// script, then reads commands until QUIT or the end of the input.
#include <clocale>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "Options.h"
#include "PictureCommand.h"
#include "Terminal.h"
#include "acad/AcEd.h"
#include "acad/HostInternal.h"
#include "acad/HostLisp.h"
#include "acad/HostSession.h"
#include "acad/HostText.h"
#include "render/FrameWriter.h"
#include "render/ViewRenderer.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "nuvcad: %s\n", message.c_str());
    NUVAcad::EndSession();
    return 1;
}

// A command-line argument (the terminal's encoding) as the host's GBK text.
bool ArgumentToGbk(const std::string& arg, std::string& gbk, std::string& error) {
    return NUVAcad::TerminalLineToGbk(arg, gbk, error);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    NUVCad::Options options;
    std::string error;
    if (!NUVCad::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "nuvcad: %s\n%s", error.c_str(), "Try 'nuvcad --help'.\n");
        return 2;
    }
    if (options.help) {
        std::fputs(NUVCad::Usage(), stdout);
        return 0;
    }

    NUVCad::TerminalOutput output;
    NUVAcad::SetOutputSink(&output);
    const bool interactive = ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO);
    NUVCad::TerminalInput input(interactive);
    NUVAcad::SetBaseInput(&input);
    NUVAcad::StartSession();
    RegisterPictureCommand();

    for (const std::string& d : options.drawings) {
        std::string gbk;
        if (!ArgumentToGbk(d, gbk, error)) return Fail(d + ": " + error);
        AcApDocument* doc = nullptr;
        std::string why;
        if (NUVAcad::OpenDrawing(gbk, false, doc, why) != Acad::eOk) return Fail("cannot open " + NUVWin::GbkToUtf8(why));
        NUVAcad::DocumentRegistry::activate(doc);
    }
    if (options.drawings.empty()) {
        AcApDocument* doc = nullptr;
        if (NUVAcad::NewDrawing(nullptr, doc, error) != Acad::eOk) return Fail("cannot create a drawing: " + error);
    }

    std::vector<std::string> failures;
    if (!NUVAcad::LoadStartupModules(failures))
        for (const std::string& f : failures)
            std::fprintf(stderr, "nuvcad: %s: %s\n", NUVAcad::StartupListPath().c_str(), NUVWin::GbkToUtf8(f).c_str());
    for (const std::string& m : options.modules) {
        std::string gbk, reason;
        if (!ArgumentToGbk(m, gbk, error)) return Fail("--load " + m + ": " + error);
        if (!NUVAcad::LoadModule(gbk, false, &reason)) return Fail("--load " + m + ": " + NUVWin::GbkToUtf8(reason));
    }
    NUVAcad::RunIdleTasks();

    for (const std::string& e : options.lisp) {
        std::string gbk;
        if (!ArgumentToGbk(e, gbk, error)) return Fail("--lisp: " + error);
        NUVAcad::LispCommandLine(gbk);
        NUVAcad::RunIdleTasks();
    }
    if (!options.script.empty()) {
        std::string bytes, text;
        if (!NUVWin::ReadNativeFile(options.script, bytes)) return Fail(options.script + ": cannot be read");
        if (!NUVAcad::DecodeTextFile(bytes, text, error)) return Fail(options.script + ": " + error);
        NUVAcad::QueueInput(std::make_unique<NUVAcad::ScriptInput>(text, true));
    }

    std::unique_ptr<NUVRender::FrameWriter> frames;
    if (!options.pngFrames.empty()) {
        AcApDocument* doc = acDocManager->curDocument();
        if (!doc) return Fail("--png-frames: no drawing is open");
        frames = std::make_unique<NUVRender::FrameWriter>(doc->database(), options.pngFrames);
        if (!frames->error().empty()) return Fail("--png-frames: " + frames->error());
    }
    if (interactive) NUVCad::LoadHistory();
    int status = NUVAcad::RunCommandLoop();
    if (interactive) NUVCad::SaveHistory();
    if (frames) {
        frames->finish();
        if (!frames->error().empty()) std::fprintf(stderr, "nuvcad: --png-frames: %s\n", frames->error().c_str());
        frames.reset();
    }
    if (!options.png.empty()) {
        AcApDocument* doc = acDocManager->curDocument();
        std::string why;
        if (!doc) {
            std::fprintf(stderr, "nuvcad: --png: no drawing is open at the end\n");
            if (status == 0) status = 1;
        } else if (!NUVRender::SaveViewPng(doc->database(), options.png.c_str(), why)) {
            std::fprintf(stderr, "nuvcad: --png: %s\n", why.c_str());
            if (status == 0) status = 1;
        }
    }
    NUVAcad::EndSession();
    output.finish();
    NUVAcad::SetOutputSink(nullptr);
    NUVAcad::SetBaseInput(nullptr);
    return status;
}
