// nuvinfo: prints what the installed kernel is and what it holds.
#include <cstdio>
#include <cstring>

#include "NUVKernel/NUVKernel.h"
#include "win/Encoding.h"

namespace {

struct AppNameRow {
    const char* function;
    CString (*get)();
};

// Every extended-data application name the suite registers, in the order they are declared.
const AppNameRow kAppNames[] = {
    {"GetEquipmentAppName", NUV::AppName::GetEquipmentAppName},
    {"GetFactoryAppName", NUV::AppName::GetFactoryAppName},
    {"GetStructTypeAppName", NUV::AppName::GetStructTypeAppName},
    {"GetInstallTypeAppName", NUV::AppName::GetInstallTypeAppName},
    {"GetLRTypeAppName", NUV::AppName::GetLRTypeAppName},
    {"GetModelAppName", NUV::AppName::GetModelAppName},
    {"GetColdLoadAppName", NUV::AppName::GetColdLoadAppName},
    {"GetHeatLoadAppName", NUV::AppName::GetHeatLoadAppName},
    {"GetWalterValueAppName", NUV::AppName::GetWalterValueAppName},
    {"GetJSgDNAppName", NUV::AppName::GetJSgDNAppName},
    {"GetCSgDNAppName", NUV::AppName::GetCSgDNAppName},
    {"GetLnSgDNAppName", NUV::AppName::GetLnSgDNAppName},
    {"GetRoomLoadAppName", NUV::AppName::GetRoomLoadAppName},
    {"GetEquipResisAppName", NUV::AppName::GetEquipResisAppName},
    {"GetPgCountAppName", NUV::AppName::GetPgCountAppName},
    {"GetFkNameAppName", NUV::AppName::GetFkNameAppName},
    {"GetFkFlAppName", NUV::AppName::GetFkFlAppName},
    {"GetFkSsAppName", NUV::AppName::GetFkSsAppName},
    {"GetFkTypeAppName", NUV::AppName::GetFkTypeAppName},
    {"GetSfXsAppName", NUV::AppName::GetSfXsAppName},
    {"GetKtGxAppName", NUV::AppName::GetKtGxAppName},
    {"GetTfGxAppName", NUV::AppName::GetTfGxAppName},
    {"GetJxFgAppName", NUV::AppName::GetJxFgAppName},
    {"GetFgFlAppName", NUV::AppName::GetFgFlAppName},
    {"GetFgFsAppName", NUV::AppName::GetFgFsAppName},
    {"GetFgSsAppName", NUV::AppName::GetFgSsAppName},
    {"GetFgBmzAppName", NUV::AppName::GetFgBmzAppName},
    {"GetFjFhAppName", NUV::AppName::GetFjFhAppName},
    {"GetKtFjAppName", NUV::AppName::GetKtFjAppName},
};

void PrintUsage() {
    std::printf(
        "usage: nuvinfo [--help]\n"
        "Prints the NUVKernel version, number formatting samples, the extended-data application\n"
        "names (converted for this terminal) and a new GUID.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        PrintUsage();
        return help ? 0 : 2;
    }
    std::printf("NUVKernel %s\n", "0.1.0");
    CString sample = NUV_GBK("中文");
    std::printf("GBK sample: %s (%d bytes, %d characters)\n", NUVWin::GbkToTerminal(sample.str()).c_str(),
                sample.GetLength(), NUV::GetChineseStringLength(sample));

    std::printf("\nNumber formatting (NUV::ftoa):\n");
    const struct {
        double value;
        int digits;
    } numbers[] = {{1.25, 1}, {-1.25, 1}, {2.5, 0}, {1.0, 2}, {3.14159265, 4}, {1.123456789, 8}};
    for (const auto& n : numbers)
        std::printf("  ftoa(%g, %d) = %s\n", n.value, n.digits, NUV::ftoa(n.value, n.digits).GetString());

    std::printf("\nExtended-data application names (%zu):\n", sizeof kAppNames / sizeof kAppNames[0]);
    for (const AppNameRow& row : kAppNames)
        std::printf("  %-22s %s\n", row.function, NUVWin::GbkToTerminal(row.get().str()).c_str());

    std::printf("\nNew GUID: %s\n",
                NUV::GetGUIDString("{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}").GetString());
    return 0;
}
