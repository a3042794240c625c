// The module list sys\nuv.rx and its loading per document.
#include "frame/ModuleList.h"

#include "ZQSoft/ZQSoft.h"
#include "acad/AcEd.h"

namespace NUV {

std::vector<ListedModule> ReadModuleList(const CString& folder) {
    std::vector<ListedModule> out;
    CString list = folder + "sys\\nuv.rx";
    if (!ZQ::IsExist(list)) return out;
    CStringArray lines;
    if (ZQ::ReadTextFileToStringArray(list, lines, true, nullptr, nullptr) != ZQ::FO_OK) return out;
    for (int i = 0; i < lines.GetSize(); ++i) {
        CString path = folder + lines[i];
        if (!ZQ::IsExist(path)) continue;
        CString ext = ZQ::GetFileExt(path);
        if (ext.CompareNoCase("lsp") == 0) {
            CString doubled = path;
            doubled.Replace("\\", "\\\\");
            out.push_back({ListedModule::kLisp, path, "(load \"" + doubled + "\")"});
        } else if (ext.CompareNoCase("arx") == 0) {
            out.push_back({ListedModule::kArx, path, CString()});
        }
    }
    return out;
}

void LoadListedModules() {
    CString folder;
    // Without an installation folder the list is looked for relative to the current folder.
    if (!ZQ::GetInstallDir(folder)) folder.Empty();
    for (const ListedModule& m : ReadModuleList(folder)) {
        if (m.kind == ListedModule::kLisp)
            ads_queueexpr(m.expression);
        else
            acedArxLoad(m.path);  // the host reports its own failures
    }
}

}  // namespace NUV
