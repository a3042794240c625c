// The printer the application reports as active. Page setup needs one, so the stand-in finds the
// system's default printer and otherwise offers a built-in print-to-file printer.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "excel/Excel.h"

namespace NUVExcel {

namespace {

// The "Default <name>" line of a CUPS lpoptions file.
std::string LpoptionsDefault(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key, name;
        words >> key >> name;
        if (key == "Default" && !name.empty()) return name.substr(0, name.find('/'));
    }
    return {};
}

}  // namespace

std::string DetectActivePrinter() {
    if (const char* forced = std::getenv("NUV_PRINTER")) return forced;
    std::string name;
    for (const char* var : {"PRINTER", "LPDEST"})
        if (const char* v = std::getenv(var); v && *v) {
            name = v;
            break;
        }
    if (name.empty())
        if (const char* home = std::getenv("HOME")) name = LpoptionsDefault(std::string(home) + "/.cups/lpoptions");
    if (name.empty()) name = LpoptionsDefault("/etc/cups/lpoptions");
    if (name.empty()) return "Print to File on FILE:";
    return name + " on CUPS:";
}

}  // namespace NUVExcel
