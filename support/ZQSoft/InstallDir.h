// The suite's installation folder: where "sys\nuv.rx", "SYS\NUVUpdate.Txt", "Bdwg\", "Sld\" and
// "User\" live. The kernel appends such relative names directly, so the folder always comes
// back with a separator at its end.
#pragma once

#include "win/CString.h"

namespace ZQ {

// The first of these that names an existing folder:
//   1. the value "InstallDir" under HKEY_LOCAL_MACHINE\<GetSoftRegItem()> (written by an
//      installer that puts the suite's files elsewhere);
//   2. the environment variable NUV_INSTALL_DIR (the host program's own override);
//   3. share/nuv of the tree this library lies in (the build tree or the installed tree).
// True with the folder and exactly one trailing separator in `out`; false, `out` unchanged, when none
// exists.
bool GetInstallDir(CString& out);

}  // namespace ZQ
