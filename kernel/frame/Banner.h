// The command NUVKERNEL: the help banner listing the kernel's AutoLISP functions and commands.
#pragma once

namespace NUV {

// Prints the banner on the command line.
void PrintKernelBanner();

}  // namespace NUV
