#include "settings/AppName.h"

namespace NUV::AppName {

CString GetEquipmentAppName() { return NUV_GBK("设备名称"); }
CString GetFactoryAppName() { return NUV_GBK("生产厂家"); }
CString GetStructTypeAppName() { return NUV_GBK("结构型式"); }
CString GetInstallTypeAppName() { return NUV_GBK("安装型式"); }
CString GetLRTypeAppName() { return NUV_GBK("接管形式"); }
CString GetModelAppName() { return NUV_GBK("设备型号"); }
CString GetColdLoadAppName() { return NUV_GBK("制冷量"); }
CString GetHeatLoadAppName() { return NUV_GBK("制热量"); }
CString GetWalterValueAppName() { return NUV_GBK("水量"); }
CString GetJSgDNAppName() { return NUV_GBK("进水管管径"); }
CString GetCSgDNAppName() { return NUV_GBK("出水管管径"); }
CString GetLnSgDNAppName() { return NUV_GBK("冷凝水管管径"); }
CString GetRoomLoadAppName() { return NUV_GBK("房间负荷"); }
CString GetEquipResisAppName() { return NUV_GBK("设备水阻"); }
CString GetPgCountAppName() { return NUV_GBK("盘管排数"); }
CString GetFkNameAppName() { return NUV_GBK("风口名称"); }
CString GetFkFlAppName() { return NUV_GBK("风口风量"); }
CString GetFkSsAppName() { return NUV_GBK("风口损失"); }
CString GetFkTypeAppName() { return NUV_GBK("风口形式"); }
CString GetSfXsAppName() { return NUV_GBK("送风形式"); }
CString GetKtGxAppName() { return NUV_GBK("KTGX"); }
CString GetTfGxAppName() { return NUV_GBK("TFGX"); }
CString GetJxFgAppName() { return NUV_GBK("JXFG"); }
CString GetFgFlAppName() { return NUV_GBK("GXFL"); }
CString GetFgFsAppName() { return NUV_GBK("GXFS"); }
CString GetFgSsAppName() { return NUV_GBK("YCSS"); }
CString GetFgBmzAppName() { return NUV_GBK("BMZ"); }
CString GetFjFhAppName() { return NUV_GBK("FJFH"); }
CString GetKtFjAppName() { return NUV_GBK("KTFJ"); }

}  // namespace NUV::AppName
