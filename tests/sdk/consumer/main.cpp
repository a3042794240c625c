// A module of the suite in miniature: it builds against the installed SDK only.
#include <NUVKernel/NUVKernel.h>

#include <cstdio>

int main() {
    CString name = NUV::AppName::GetKtGxAppName();
    std::printf("%s\n", name.GetString());
    CString equipment = NUV::AppName::GetEquipmentAppName();
    for (int i = 0; i < equipment.GetLength(); ++i) std::printf("%02x", static_cast<unsigned char>(equipment[i]));
    std::printf("\n");
    CString text;
    text.Format("%d-%s", 42, name.GetString());
    std::printf("%s\n", text.GetString());

    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\NUV", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 1;
    const char release[] = "3.8.1";
    if (RegSetValueExA(key, "Release", 0, REG_SZ, reinterpret_cast<const BYTE*>(release), sizeof release) != ERROR_SUCCESS)
        return 2;
    char buf[32];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(key, "release", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS) return 3;
    RegCloseKey(key);
    std::printf("release %s\n", buf);
    std::printf("machine %s\n", NUVWin::RegistryFilePath(HKEY_LOCAL_MACHINE).c_str());

    // The support libraries and the settings, as the suite's modules use them.
    std::printf("key %s isnum %d%d\n", ZQ::GetSoftRegItem().GetString(), ZQ::IsNum("14.00"), ZQ::IsNum("1e3"));
    std::printf("version %s kernel %d\n", NUV::GetNUVVersion(0).GetString(),
                NUV::HasInstallNUVGroup(NUV::NUVSOFT_KERNEL) ? 1 : 0);
    CString install;
    if (!NUV::GetNUVPath(install)) return 4;
    std::printf("install %s\n", install.GetString());
    std::printf("angles %d\n", [] {
        double rotation = 0, side = 0;
        return ZQ::GetRightTopAngles(3.14159265358979323846, rotation, side) && rotation == 0 ? 1 : 0;
    }());
    return 0;
}
