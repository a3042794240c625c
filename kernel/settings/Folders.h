// The suite's folders. Every folder comes back ending with a separator, so relative names are
// appended directly. The installation's own folders keep the names the suite fixes ("Bdwg\",
// "Sld\", "User\"); the file layer finds them whatever their letter case on disk.
#pragma once

#include "win/CString.h"

namespace NUV {

// The installation folder (ZQ::GetInstallDir); its result.
int GetNUVPath(CString& path);
// Installation folder + "Bdwg\" (block drawings), "Sld\" (slides), "User\" (user files); just
// the relative name when the installation folder cannot be found.
CString GetBDWGFolder();
CString GetSLDFolder();
CString GetUSERFolder();

// The project root: the machine value "ProjRootDir" (an expandable string: %HOME% and the like
// are the user's own), trailing separators removed and one appended. 0, `path` unchanged, when
// the value is absent or empty.
int GetNUVWorkPath(CString& path);

// The current project's folder: work path + project name + separator, the name being the user
// value "PrjName" ("temp.pra" when absent) with ".pra" appended unless it ends so (any letter
// case). The folder is created with its missing parents when it does not exist (a failure to
// create it is not reported). 0, `path` unchanged, without a work path.
int GetNUVPrjPath(CString& path);
// The same copied into `buffer` when the path is shorter than `size`; 0, buffer untouched, when
// there is no project path or it does not fit.
int GetNUVPrjPath(char* buffer, unsigned size);

}  // namespace NUV
