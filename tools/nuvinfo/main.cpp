// nuvinfo: prints what the installed kernel is and what it holds.
#include <cstdio>
#include <cstring>

#include "NUVKernel/NUVKernel.h"
#include "win/Encoding.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: nuvinfo\nPrints the NUVKernel version and a sample of its text handling.\n");
        return 0;
    }
    std::printf("NUVKernel %s\n", "0.1.0");
    CString sample = NUV_GBK("中文");
    std::printf("GBK sample: %s (%d bytes)\n", NUVWin::GbkToTerminal(sample.str()).c_str(), sample.GetLength());
    return 0;
}
