// Folders from the installation folder, the machine key and the project name.
#include "settings/Folders.h"

#include <cstring>

#include "ZQSoft/FilePaths.h"
#include "ZQSoft/InstallDir.h"
#include "ZQSoft/RegistryValues.h"
#include "settings/SettingsStore.h"
#include "win/FileSystem.h"

namespace NUV {
namespace {

CString InstallFolderPlus(const char* relative) {
    CString folder;
    GetNUVPath(folder);
    return folder + relative;
}

}  // namespace

int GetNUVPath(CString& path) { return ZQ::GetInstallDir(path) ? 1 : 0; }

CString GetBDWGFolder() { return InstallFolderPlus("Bdwg\\"); }
CString GetSLDFolder() { return InstallFolderPlus("Sld\\"); }
CString GetUSERFolder() { return InstallFolderPlus("User\\"); }

int GetNUVWorkPath(CString& path) {
    CString root;
    if (!ZQ::GetRegStr(HKEY_LOCAL_MACHINE, ZQ::GetSoftRegItem(), "ProjRootDir", root) || root.IsEmpty()) return 0;
    path = NUVWin::AppendSeparator(NUVWin::StripTrailingSeparators(root));
    return 1;
}

int GetNUVPrjPath(CString& path) {
    CString work;
    if (!GetNUVWorkPath(work)) return 0;
    CString name("temp.pra");
    GetNUVKey("PrjName", name);
    if (name.GetLength() < 4 || name.Right(4).CompareNoCase(".pra") != 0) name += ".pra";
    CString project = NUVWin::AppendSeparator(NUVWin::StripTrailingSeparators(work + name));
    if (!ZQ::IsExist(project)) ZQ::MkMDir(project);
    path = project;
    return 1;
}

int GetNUVPrjPath(char* buffer, unsigned size) {
    CString path;
    if (!buffer || !GetNUVPrjPath(path)) return 0;
    path = NUVWin::AppendSeparator(path);
    if (static_cast<unsigned>(path.GetLength()) >= size) return 0;
    std::memcpy(buffer, path.GetString(), static_cast<std::size_t>(path.GetLength()) + 1);
    return 1;
}

}  // namespace NUV
