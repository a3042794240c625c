// nuvcontrols as its users run it, offscreen: the picture it saves shows the controls' states
// (the out-of-range air speed in the error colour, the grid's focused cell in the focus colour),
// OK given from NUV_MODAL_ANSWERS prints the parameters, Cancel and wrong command lines fail.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs nuvcontrols offscreen with extra environment words ("NAME=value").
Result RunTool(const TempDir& dir, const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    const std::string program = std::string(std::getenv("NUV_BINARY_DIR")) + "/bin/nuvcontrols";
    // A private runtime folder, as a desktop session gives, keeps Qt from warning about its absence.
    const std::string runtime = dir.File("runtime");
    mkdir(runtime.c_str(), 0700);
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "
                          "XDG_RUNTIME_DIR='" + runtime + "' "
                          // fontconfig's caches stay until the end: not the program's leaks
                          "LSAN_OPTIONS=print_suppressions=0:suppressions=" +
                          std::string(std::getenv("NUV_SOURCE_DIR")) + "/tests/support/lsan-qt.supp ";
    for (const std::string& e : env) command += "'" + e + "' ";
    command += "'" + program + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " >'" + dir.File("out") + "' 2>'" + dir.File("err") + "'";
    Result r;
    const int status = std::system(command.c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(dir.File("out"));
    r.err = ReadAll(dir.File("err"));
    return r;
}

int CountPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    }
    return n;
}

TEST(Nuvcontrols, ScreenshotShowsTheStatesTheControlsPaint) {
    TempDir dir;
    const std::string png = dir.File("dialog.png");
    const Result r = RunTool(dir, {"--screenshot", png});
    ASSERT_EQ(r.status, 0) << r.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png)));
    EXPECT_GT(image.width(), 400);
    EXPECT_GT(image.height(), 250);
    // The air speed 35 is above its maximum of 30: the field's background is the error red.
    EXPECT_GT(CountPixels(image, qRgb(255, 0, 0)), 500);
    // The grid's cell cursor is painted in the focus green.
    EXPECT_GT(CountPixels(image, qRgb(0, 255, 0)), 300);
}

TEST(Nuvcontrols, OkPrintsTheConfirmedParameters) {
    TempDir dir;
    const Result r = RunTool(dir, {}, {"NUV_MODAL_ANSWERS=OK"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) got.push_back(line);
    ASSERT_EQ(got.size(), 9u) << r.out;
    EXPECT_EQ(got[0], "风速(m/s)=5.00");
    EXPECT_EQ(got[1], "长度(m)=12.50");
    EXPECT_EQ(got[2], "序号,参数,数值,单位,材料,检测日期");
    EXPECT_EQ(got[3], "1,送风量,1200,m3/h,镀锌钢板,2024年03月05日");
    EXPECT_EQ(got[8], "6,局部阻力系数,0.35,,不锈钢,2024年03月07日");
}

TEST(Nuvcontrols, CancelAndWrongCommandLinesFail) {
    TempDir dir;
    Result r = RunTool(dir, {}, {"NUV_MODAL_ANSWERS=CANCEL"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "nuvcontrols: cancelled\n");
    EXPECT_TRUE(r.out.empty());
    r = RunTool(dir, {"--frobnicate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("nuvcontrols: --frobnicate: unknown option\n", 0), 0u) << r.err;
    r = RunTool(dir, {"--screenshot"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("needs a file name"), std::string::npos);
    r = RunTool(dir, {"--screenshot", dir.File("no/such/folder/x.png")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("x.png"), std::string::npos) << r.err;
    r = RunTool(dir, {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: nuvcontrols", 0), 0u);
}

}  // namespace
