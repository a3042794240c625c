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
    return 0;
}
