// The banner's lines are the users' reference card: keep them byte for byte (the dashes are
// uneven on purpose, as users know them), and add no line for a function it does not list.
#include "frame/Banner.h"

#include <string>

#include "acad/AcEd.h"
#include "win/CString.h"

namespace NUV {

void PrintKernelBanner() {
    static const char* const kLines[] = {
        "(ShowNUVAboutDlg)---------显示NUV关于对话框",
        "(ShowNUVAboutStr)---------显示NUV关于字符串",
        "(GetWcsPtOfBlock ENAME pt3dMcs)---------得到块中MCS点的WCS坐标",
        "(HasInstallNUVGroup ENUVSOFTGROUP)------判断是否安装此软件部分",
        "(GetNUVGroupValue)-----------取得NUV安装组件值",
        "(IsLoadedArx filename)-------判断arx是否已经加载",
        "ClearDwg---------------------清除图形中命名字典中的所有扩展记录",
        "MSld-------------------------将当前图形制作成同名幻灯片",
        "(NUV_GetWorkPath)------------取得工作目录",
        "(NUV_ExcuteStr str)----------运行字符串",
        "(GetVCVer)----------取的VC编译版本",
        "(ARXLoadEx filename)----------加载ARX",
        "(NUVTwinkle e[ss])----------闪烁实体或者选择集",
        "(NUVStopTwinkle nId)----------停止闪烁",
        "(NUVGetTwinkleFreQ)----------获取闪烁频率",
        "(NUVSetTwinkleFreQ dFreq)----------设置闪烁频率",
        "(NUVSetTwinkleMode nMode1 nMode2)----------设置闪烁模式",
        "(CreateDwgByDwt DwtFilePath)----------根据dwt文件创建dwg文件",
        "(OpenDwg DwgFilePath)----------打开Dwg文件",
        "(InsertBlock DwgFilePath bRotation dScale)----------插入图块文件",
    };
    acutPrintf("\n%s\n", std::string(59, '-').c_str());
    for (const char* line : kLines) acutPrintf("%s\n", CString::FromUtf8(line).GetString());
    acutPrintf("%s\n", std::string(63, '-').c_str());
}

}  // namespace NUV
