// nuvcalc's subcommands. Each lives in its own file, reads its options through Options (Cli.h)
// and returns the process exit status: 0 done, 2 wrong command line or input (UsageError, printed
// by the dispatcher). A command writes to `out` only once every check has passed.
//
// Adding a subcommand: write `int RunName(const Args&, std::ostream& out, std::ostream& err)` in
// NameCommand.cpp, declare it below and add one row to kCommands in Commands.cpp.
#pragma once

#include <ostream>
#include <span>

#include "Cli.h"

namespace nuvcalc {

using RunFunction = int (*)(const Args& args, std::ostream& out, std::ostream& err);

struct Command {
    const char* name;
    const char* summary;
    RunFunction run;
};

int RunDuct(const Args& args, std::ostream& out, std::ostream& err);
int RunPipe(const Args& args, std::ostream& out, std::ostream& err);
int RunElbow(const Args& args, std::ostream& out, std::ostream& err);
int RunTee(const Args& args, std::ostream& out, std::ostream& err);
int RunAir(const Args& args, std::ostream& out, std::ostream& err);
int RunWater(const Args& args, std::ostream& out, std::ostream& err);
int RunEval(const Args& args, std::ostream& out, std::ostream& err);

// The dispatch table, in the order --help lists it.
std::span<const Command> Commands();

// Runs argv as nuvcalc would; main() is this and nothing else.
int Main(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace nuvcalc
