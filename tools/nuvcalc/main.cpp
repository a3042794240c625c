// nuvcalc: duct and pipe hydraulics from the command line, on the kernel's exported formulas.
#include <iostream>
#include <sstream>

#include "Commands.h"

int main(int argc, char** argv) {
    // A result is printed only when the whole command succeeded.
    std::ostringstream out;
    const int status = nuvcalc::Main(argc, argv, out, std::cerr);
    if (status == 0) std::cout << out.str() << std::flush;
    return status;
}
