// The about banner.
#include "settings/About.h"

#include "acad/AcEd.h"
#include "settings/Installation.h"

namespace NUV {

CString NUVMakerName() { return CString::FromUtf8("NUV 暖通设计组"); }

void ShowNUVAboutStr() {
    CString text = CString("\n*****   ") + NUVMakerName() + "  NUV V" + GetNUVVersion(0) + "  " +
                   CString::FromUtf8("版   *****") + "\n";
    acedPrompt(text);
}

}  // namespace NUV
