#include "Options.h"

#include <cstring>

namespace NUVCad {

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name, std::string& out) {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return false;
            }
            out = argv[++i];
            if (out.empty()) {
                error = std::string(name) + " needs a value, not an empty text";
                return false;
            }
            return true;
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--load") {
            std::string m;
            if (!value("--load", m)) return false;
            o.modules.push_back(m);
        } else if (a == "--script") {
            if (!o.script.empty()) {
                error = "--script may be given once";
                return false;
            }
            if (!value("--script", o.script)) return false;
        } else if (a == "--png") {
            if (!value("--png", o.png)) return false;
        } else if (a == "--png-frames") {
            if (!value("--png-frames", o.pngFrames)) return false;
        } else if (a == "--lisp") {
            std::string e;
            if (!value("--lisp", e)) return false;
            o.lisp.push_back(e);
        } else if (a == "--") {
            for (++i; i < argc; ++i) o.drawings.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option '" + a + "'";
            return false;
        } else {
            o.drawings.push_back(a);
        }
    }
    return true;
}

const char* Usage() {
    return "Usage: nuvcad [DRAWING.dxf ...] [--load MODULE]... [--script FILE.scr] [--lisp EXPR]...\n"
           "              [--png FILE.png] [--png-frames FOLDER]\n"
           "\n"
           "The CAD host: opens the drawings given (or a new one), loads the start-up modules and\n"
           "the modules given, evaluates the AutoLISP expressions, runs the script, then reads\n"
           "commands at its prompt until QUIT or the end of the input.\n"
           "\n"
           "  --load MODULE   load a module (an .arx or .so file, or a name found along the\n"
           "                  support path); repeatable\n"
           "  --script FILE   run a script: one answer per space or line end, as the host reads\n"
           "                  scripts; lines starting with ';' are comments\n"
           "  --lisp EXPR     evaluate an AutoLISP expression and print its value; repeatable\n"
           "  --png FILE      at the end, write the current drawing's view as a PNG picture\n"
           "  --png-frames FOLDER\n"
           "                  write a PNG picture of the first drawing's view each time what it\n"
           "                  shows changes (frame-NNNNNN-<ms>ms.png, one per clock tick)\n"
           "  --help          show this help\n"
           "\n"
           "At the prompt: command names (with the '_', '.', '-' and ''' prefixes), AutoLISP\n"
           "expressions starting with '(' or '!', Enter to repeat the last command, Ctrl-C to\n"
           "cancel, Ctrl-D or QUIT to end. Timers keep running while the prompt waits.\n"
           "\n"
           "Files: the start-up modules are listed in startup.txt of the installation folder\n"
           "(share/nuv, or $NUV_INSTALL_DIR); acad.lsp and acaddoc.lsp are loaded from the support\n"
           "path ($NUV_SUPPORT_PATH, then share/nuv/support); libraries a module needs are found\n"
           "along the Path variable.\n"
           "\n"
           "Exit status: 0 after QUIT or at the end of the input; 1 when a drawing, module or\n"
           "script given here cannot be loaded; 2 for a command line that cannot be used.\n";
}

}  // namespace NUVCad
