// Registered application names under which the suite stores entity attributes as extended
// data. They are part of the drawing format: every module and later version reads them back.
#pragma once

#include "win/CString.h"

namespace NUV::AppName {

CString GetEquipmentAppName();
CString GetFactoryAppName();
CString GetStructTypeAppName();
CString GetInstallTypeAppName();
CString GetLRTypeAppName();
CString GetModelAppName();
CString GetColdLoadAppName();
CString GetHeatLoadAppName();
CString GetWalterValueAppName();
CString GetJSgDNAppName();
CString GetCSgDNAppName();
CString GetLnSgDNAppName();
CString GetRoomLoadAppName();
CString GetEquipResisAppName();
CString GetPgCountAppName();
CString GetFkNameAppName();
CString GetFkFlAppName();
CString GetFkSsAppName();
CString GetFkTypeAppName();
CString GetSfXsAppName();
CString GetKtGxAppName();
CString GetTfGxAppName();
CString GetJxFgAppName();
CString GetFgFlAppName();
CString GetFgFsAppName();
CString GetFgSsAppName();
CString GetFgBmzAppName();
CString GetFjFhAppName();
CString GetKtFjAppName();

}  // namespace NUV::AppName
