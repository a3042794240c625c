#include "Commands.h"

#include <string>
#include <vector>

#include "SegmentFile.h"

namespace nuvcalc {

namespace {

// One row per subcommand.
const Command kCommands[] = {
    {"duct", "rectangular air duct: diameters, velocity, Reynolds number, friction", RunDuct},
    {"pipe", "round water pipe: flow from a heat load, velocity, friction", RunPipe},
    {"elbow", "local resistance coefficient of a round or rectangular elbow", RunElbow},
    {"tee", "local resistance coefficients of converging and diverging tees", RunTee},
    {"air", "saturation vapour pressure and density of humid air", RunAir},
    {"water", "density and kinematic viscosity of water", RunWater},
    {"eval", "arithmetic expression as typed into a numeric field, with the variable x", RunEval},
};

void PrintOverview(std::ostream& out) {
    out << "usage: nuvcalc COMMAND [OPTIONS]\n\n"
           "Duct and pipe hydraulics for HVAC design, on the NUVKernel formulas.\n\ncommands:\n";
    for (const Command& c : kCommands) {
        const std::string name = c.name;
        out << "  " << name << std::string(name.size() < 8 ? 8 - name.size() : 1, ' ') << c.summary << "\n";
    }
    out << "\nRun 'nuvcalc COMMAND --help' for the options of a command. Results print as an\n"
           "aligned table; --json and --csv select machine-readable output. Wrong input exits\n"
           "with status 2 and a message on stderr.\n";
}

}  // namespace

std::span<const Command> Commands() { return kCommands; }

int Main(int argc, char** argv, std::ostream& out, std::ostream& err) {
    if (argc < 2) {
        PrintOverview(err);
        return 2;
    }
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintOverview(out);
        return 0;
    }
    // "nuvcalc --csv-in FILE ...": the file's columns tell duct segments from pipe segments.
    if (words[0] == "--csv-in" || words[0].rfind("--csv-in=", 0) == 0) {
        const std::string path = words[0].size() > 8 ? words[0].substr(9) : (words.size() > 1 ? words[1] : "");
        try {
            if (path.empty()) throw UsageError("--csv-in needs a value");
            words.insert(words.begin(), SegmentsCommand(path));
        } catch (const UsageError& e) {
            err << "nuvcalc: " << e.what() << "\n";
            return 2;
        }
    }
    const std::string name = words[0];
    for (const Command& c : kCommands) {
        if (name != c.name) continue;
        words.erase(words.begin());
        try {
            return c.run(Args(name, std::move(words)), out, err);
        } catch (const UsageError& e) {
            err << "nuvcalc " << name << ": " << e.what() << "\n";
            return 2;
        }
    }
    err << "nuvcalc: unknown command '" << name << "'\n\n";
    PrintOverview(err);
    return 2;
}

}  // namespace nuvcalc
