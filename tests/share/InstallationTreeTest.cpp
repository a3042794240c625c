// The build tree's share/nuv, found as the installation folder beside the libraries: nuvcad's
// start-up list loads the suite's three libraries in order; the update history is GBK text; the
// block drawings are read by the host and by ezdxf alike, and each has its slide in Sld/.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TempDir.h"
#include "ZQSoft/ZQSoft.h"
#include "acad/AcDb.h"
#include "acad/AcEd.h"
#include "acad/HostInternal.h"
#include "acad/HostSession.h"
#include "acad/SlideFile.h"
#include "win/FileSystem.h"

namespace {

std::string Share() { return std::string(std::getenv("NUV_BINARY_DIR")) + "/share/nuv"; }

std::string Shell(const std::string& cmd) {
    std::unique_ptr<FILE, int (*)(FILE*)> p(::popen(cmd.c_str(), "r"), ::pclose);
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p.get())) > 0;) out.append(buf.data(), n);
    return out;
}

class InstallationTree : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("NUV_INSTALL_DIR");  // found from the libraries' own place
        ::setenv("NUV_REGISTRY_DIR", registry.path().c_str(), 1);
    }
    TempDir registry;
};

TEST_F(InstallationTree, IsWhereTheSupportLibraryLooks) {
    CString folder;
    ASSERT_TRUE(ZQ::GetInstallDir(folder));
    EXPECT_EQ(std::filesystem::canonical(Share()).string() + "/", std::string(folder));
    for (const char* rel : {"sys\\nuv.rx", "SYS\\NUVUpdate.Txt", "Bdwg\\", "Sld\\", "User\\", "startup.txt"})
        EXPECT_TRUE(ZQ::IsExist(folder + rel)) << rel;
}

TEST_F(InstallationTree, StartUpListLoadsTheSuiteInOrder) {
    NUVAcad::OutputCapture out;
    NUVAcad::StartSession();
    AcApDocument* doc = nullptr;
    std::string error;
    ASSERT_EQ(Acad::eOk, NUVAcad::NewDrawing(nullptr, doc, error)) << error;
    std::vector<std::string> failures;
    EXPECT_TRUE(NUVAcad::LoadStartupModules(failures));
    EXPECT_TRUE(failures.empty()) << failures.front();
    std::vector<std::string> names;
    resbuf* list = acedArxLoaded();
    for (resbuf* rb = list; rb; rb = rb->rbnext) names.emplace_back(rb->resval.rstring);
    acutRelRb(list);
    EXPECT_EQ((std::vector<std::string>{"libZQSoft.so", "ZQCAD.arx", "NUVKernel.arx"}), names);
    EXPECT_NE(nullptr, acedRegCmds->lookupGlobalCmd("NUVKERNEL"));
    NUVAcad::EndSession();
}

TEST_F(InstallationTree, UpdateHistoryIsGbkText) {
    CStringArray lines;
    CString why;
    ASSERT_EQ(ZQ::FO_OK, ZQ::ReadTextFileToStringArray2((Share() + "/SYS/NUVUpdate.Txt").c_str(), lines, true, nullptr, &why))
        << why;
    ASSERT_GT(lines.GetSize(), 3);
    // "NUVKernel 更新记录" in code page 936, typed from the code chart.
    EXPECT_EQ("NUVKernel \xB8\xFC\xD0\xC2\xBC\xC7\xC2\xBC", std::string(lines[0]));
    std::string bytes = ReadAll(Share() + "/SYS/NUVUpdate.Txt");
    EXPECT_EQ(std::string::npos, bytes.find("\xE6\x9B\xB4")) << "no UTF-8 left in it";
    EXPECT_EQ(bytes, Shell("iconv -f GBK -t GBK '" + Share() + "/SYS/NUVUpdate.Txt'")) << "every byte is GBK";
}

TEST_F(InstallationTree, BlockDrawingsAreReadByTheHostAndByEzdxf) {
    struct Block {
        const char* file;
        std::vector<std::string> layers;  // besides 0 and Defpoints, in GBK
    } blocks[] = {
        {"Diffuser360.dwg", {"\xB7\xE7\xBF\xDA"}},                                     // 风口
        {"FireDamper500x400.dwg", {"\xB7\xA7\xC3\xC5", "\xD6\xD0\xD0\xC4\xCF\xDF"}},   // 阀门 中心线
        {"FanCoilFP68.dwg", {"\xC9\xE8\xB1\xB8"}},                                     // 设备
        {"DuctTee500x400.dwg", {"\xB7\xE7\xB9\xDC", "\xD6\xD0\xD0\xC4\xCF\xDF"}},      // 风管 中心线
        {"VolumeDamper500x400.dwg", {"\xB7\xA7\xC3\xC5"}},                             // 阀门
    };
    ASSERT_EQ(5, std::distance(std::filesystem::directory_iterator(Share() + "/Bdwg"), {}));
    for (const Block& b : blocks) {
        SCOPED_TRACE(b.file);
        const std::string path = Share() + "/Bdwg/" + b.file;
        // ezdxf: no audit errors; its entity count and extents.
        std::string peer = Shell("/usr/bin/python3 -c \"import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); "
                               "print(len(d.audit().errors), d.encoding, len(d.modelspace()), d.header['\\$INSUNITS'])\" '" +
                               path + "'");
        int errors = -1, count = -1, units = -1;
        char encoding[16] = "";
        ASSERT_EQ(4, std::sscanf(peer.c_str(), "%d %15s %d %d", &errors, encoding, &count, &units)) << peer;
        EXPECT_EQ(0, errors);
        EXPECT_STREQ("gbk", encoding);
        EXPECT_EQ(4, units) << "millimetres";

        AcDbDatabase db(false);
        ASSERT_EQ(Acad::eOk, db.readDwgFile(path.c_str()));
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(Acad::eOk, acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead));
        EXPECT_EQ(count, static_cast<int>(ms->entityIds().size()));
        ms->close();
        AcDbLayerTable* layers = nullptr;
        ASSERT_EQ(Acad::eOk, db.getLayerTable(layers, AcDb::kForRead));
        for (const std::string& name : b.layers) EXPECT_TRUE(layers->has(name.c_str())) << name;
        layers->close();
    }
}

// Each block drawing has its slide, named as the drawing, that the slide reader takes: the
// drawing zoomed to its extents, in the colours of the drawing's layers (typed here from the
// block library's own layer table: 风口 3, 阀门 1, 设备 4, 风管 2, 中心线 6).
TEST_F(InstallationTree, EveryBlockDrawingHasItsSlide) {
    struct Block {
        const char* name;
        std::vector<int> colours;
    } blocks[] = {
        {"Diffuser360", {3}},
        {"FireDamper500x400", {1, 6}},
        {"FanCoilFP68", {4}},
        {"DuctTee500x400", {2, 6}},
        {"VolumeDamper500x400", {1}},
    };
    ASSERT_EQ(std::size(blocks), static_cast<std::size_t>(std::distance(
                                     std::filesystem::directory_iterator(Share() + "/Sld"), {})));
    for (const Block& b : blocks) {
        SCOPED_TRACE(b.name);
        ASSERT_TRUE(std::filesystem::exists(Share() + "/Bdwg/" + b.name + ".dwg"));
        std::string bytes, error;
        ASSERT_TRUE(NUVWin::ReadFileBytes(CString(Share() + "/Sld/" + b.name + ".sld"), bytes));
        NUVAcad::Slide slide;
        ASSERT_TRUE(NUVAcad::ReadSlide(bytes, slide, error)) << error;
        ASSERT_FALSE(slide.items.empty());
        std::set<int> colours;
        int minX = slide.highX, maxX = 0, minY = slide.highY, maxY = 0;
        for (const NUVAcad::SlideItem& item : slide.items) {
            colours.insert(item.color);
            for (const NUVAcad::SlideDot& d : item.dots) {
                minX = std::min(minX, d.x), maxX = std::max(maxX, d.x);
                minY = std::min(minY, d.y), maxY = std::max(maxY, d.y);
            }
        }
        EXPECT_EQ(std::set<int>(b.colours.begin(), b.colours.end()), colours);
        // Zoomed to the extents: the picture fills the screen's width or its height.
        const double wide = double(maxX - minX) / slide.highX, tall = double(maxY - minY) / slide.highY;
        EXPECT_GT(std::max(wide, tall), 0.8) << wide << " x " << tall;
        EXPECT_GE(minX, 0);
        EXPECT_LE(maxX, slide.highX);
    }
}

}  // namespace
