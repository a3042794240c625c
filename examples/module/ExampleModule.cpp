// nuvexample.arx: how a module of the suite uses the kernel. It adds the command NUVSETTINGS
// (the current drawing's conventions) and two AutoLISP functions:
//   (nuvex-text-height)     the height a Chinese text gets in this drawing: the text height
//                           times the drawing scale, in drawing units
//   (nuvex-scale [n])       the drawing scale; with n, sets it first (nil when n is refused)
#include <NUVKernel/NUVKernel.h>

namespace {

enum { kTextHeight = 1, kScale };

void ShowSettings() {
    acutPrintf("\nscale 1:%d, Chinese text %.1f mm, Western text %.1f mm, %d decimals", NUV::GetNUVScale(),
               NUV::GetNUVZwTextHigh(), NUV::GetNUVXwTextHigh(), NUV::GetNUVDecDig());
}

int Dispatch() {
    const resbuf* args = acedGetArgs();
    switch (acedGetFunCode()) {
    case kTextHeight: return acedRetReal(NUV::GetNUVZwTextHigh() * NUV::GetNUVScale());
    case kScale:
        if (args && (args->restype == RTSHORT || args->restype == RTLONG)) {
            int scale = args->restype == RTSHORT ? args->resval.rint : static_cast<int>(args->resval.rlong);
            if (!NUV::SetNUVScale(scale)) return acedRetNil();
        } else if (args) {
            acedPrompt("\n(nuvex-scale [denominator])");
            return acedRetNil();
        }
        return acedRetInt(NUV::GetNUVScale());
    default: return RTERROR;
    }
}

}  // namespace

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    switch (msg) {
    case AcRx::kInitAppMsg:
        acrxDynamicLinker->unlockApplication(appId);
        acrxDynamicLinker->registerAppMDIAware(appId);
        acedRegCmds->addCommand("NUVEXAMPLE", "NUVSETTINGS", "NUVSETTINGS", ACRX_CMD_MODAL, ShowSettings);
        break;
    case AcRx::kLoadDwgMsg:
        acedDefun("nuvex-text-height", kTextHeight);
        acedDefun("nuvex-scale", kScale);
        break;
    case AcRx::kUnloadDwgMsg:
        acedUndef("nuvex-text-height", kTextHeight);
        acedUndef("nuvex-scale", kScale);
        break;
    case AcRx::kInvkSubrMsg: Dispatch(); break;
    case AcRx::kUnloadAppMsg: acedRegCmds->removeGroup("NUVEXAMPLE"); break;
    default: break;
    }
    return AcRx::kRetOK;
}
