#include <gtest/gtest.h>

#include "settings/AppName.h"

namespace {

struct Row {
    const char* function;
    CString (*get)();
    const char* bytes;
};

// Expected bytes are code page 936, written out by hand from the GB 2312 code table.
const Row kRows[] = {
    {"GetEquipmentAppName", NUV::AppName::GetEquipmentAppName, "\xC9\xE8\xB1\xB8\xC3\xFB\xB3\xC6"},
    {"GetFactoryAppName", NUV::AppName::GetFactoryAppName, "\xC9\xFA\xB2\xFA\xB3\xA7\xBC\xD2"},
    {"GetStructTypeAppName", NUV::AppName::GetStructTypeAppName, "\xBD\xE1\xB9\xB9\xD0\xCD\xCA\xBD"},
    {"GetInstallTypeAppName", NUV::AppName::GetInstallTypeAppName, "\xB0\xB2\xD7\xB0\xD0\xCD\xCA\xBD"},
    {"GetLRTypeAppName", NUV::AppName::GetLRTypeAppName, "\xBD\xD3\xB9\xDC\xD0\xCE\xCA\xBD"},
    {"GetModelAppName", NUV::AppName::GetModelAppName, "\xC9\xE8\xB1\xB8\xD0\xCD\xBA\xC5"},
    {"GetColdLoadAppName", NUV::AppName::GetColdLoadAppName, "\xD6\xC6\xC0\xE4\xC1\xBF"},
    {"GetHeatLoadAppName", NUV::AppName::GetHeatLoadAppName, "\xD6\xC6\xC8\xC8\xC1\xBF"},
    {"GetWalterValueAppName", NUV::AppName::GetWalterValueAppName, "\xCB\xAE\xC1\xBF"},
    {"GetJSgDNAppName", NUV::AppName::GetJSgDNAppName, "\xBD\xF8\xCB\xAE\xB9\xDC\xB9\xDC\xBE\xB6"},
    {"GetCSgDNAppName", NUV::AppName::GetCSgDNAppName, "\xB3\xF6\xCB\xAE\xB9\xDC\xB9\xDC\xBE\xB6"},
    {"GetLnSgDNAppName", NUV::AppName::GetLnSgDNAppName, "\xC0\xE4\xC4\xFD\xCB\xAE\xB9\xDC\xB9\xDC\xBE\xB6"},
    {"GetRoomLoadAppName", NUV::AppName::GetRoomLoadAppName, "\xB7\xBF\xBC\xE4\xB8\xBA\xBA\xC9"},
    {"GetEquipResisAppName", NUV::AppName::GetEquipResisAppName, "\xC9\xE8\xB1\xB8\xCB\xAE\xD7\xE8"},
    {"GetPgCountAppName", NUV::AppName::GetPgCountAppName, "\xC5\xCC\xB9\xDC\xC5\xC5\xCA\xFD"},
    {"GetFkNameAppName", NUV::AppName::GetFkNameAppName, "\xB7\xE7\xBF\xDA\xC3\xFB\xB3\xC6"},
    {"GetFkFlAppName", NUV::AppName::GetFkFlAppName, "\xB7\xE7\xBF\xDA\xB7\xE7\xC1\xBF"},
    {"GetFkSsAppName", NUV::AppName::GetFkSsAppName, "\xB7\xE7\xBF\xDA\xCB\xF0\xCA\xA7"},
    {"GetFkTypeAppName", NUV::AppName::GetFkTypeAppName, "\xB7\xE7\xBF\xDA\xD0\xCE\xCA\xBD"},
    {"GetSfXsAppName", NUV::AppName::GetSfXsAppName, "\xCB\xCD\xB7\xE7\xD0\xCE\xCA\xBD"},
    {"GetKtGxAppName", NUV::AppName::GetKtGxAppName, "KTGX"},
    {"GetTfGxAppName", NUV::AppName::GetTfGxAppName, "TFGX"},
    {"GetJxFgAppName", NUV::AppName::GetJxFgAppName, "JXFG"},
    {"GetFgFlAppName", NUV::AppName::GetFgFlAppName, "GXFL"},
    {"GetFgFsAppName", NUV::AppName::GetFgFsAppName, "GXFS"},
    {"GetFgSsAppName", NUV::AppName::GetFgSsAppName, "YCSS"},
    {"GetFgBmzAppName", NUV::AppName::GetFgBmzAppName, "BMZ"},
    {"GetFjFhAppName", NUV::AppName::GetFjFhAppName, "FJFH"},
    {"GetKtFjAppName", NUV::AppName::GetKtFjAppName, "KTFJ"},
};

TEST(AppName, EveryNameIsExactlyItsBytes) {
    for (const Row& r : kRows) {
        CString a = r.get();
        EXPECT_EQ(a.str(), std::string(r.bytes)) << r.function;
        EXPECT_EQ(a, r.get()) << r.function << " is not constant";
    }
    EXPECT_EQ(sizeof kRows / sizeof kRows[0], 29u);
}

}  // namespace
