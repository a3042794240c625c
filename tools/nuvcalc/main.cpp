// nuvcalc: duct and pipe hydraulics from the command line, on the kernel's exported formulas.
#include <cerrno>
#include <cstring>
#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
    // Every command checks its whole input before it writes its first line, so a failure prints no
    // result and the output can go straight out: a million segments are never held in memory.
    std::ios::sync_with_stdio(false);
    const int status = nuvcalc::Main(argc, argv, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "nuvcalc: cannot write the result: " << std::strerror(errno) << "\n";
        return 2;
    }
    return status;
}
