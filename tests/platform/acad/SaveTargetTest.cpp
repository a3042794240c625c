// Saving a drawing over what already stands at the path: the drawing goes through the one file
// writer, so a link is saved through, the file keeps its mode, and a device is never replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "acad/AcDb.h"

namespace {

namespace fs = std::filesystem;

TEST(DrawingSave, WritesThroughLinksKeepsTheModeAndLeavesDevicesAlone) {
    TempDir t;
    const std::string real = t.Touch("dwg/plan.dxf", "old"), link = t.File("plan.dxf");
    ASSERT_EQ(::chmod(real.c_str(), 0664), 0);
    ASSERT_EQ(::symlink("dwg/plan.dxf", link.c_str()), 0);
    AcDbDatabase db;
    ASSERT_EQ(db.saveAs(link.c_str()), Acad::eOk) << db.lastErrorMessage();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(real).rfind("  0\nSECTION", 0), 0u);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0664));

    const std::string device = t.File("null.dxf");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);  // no right to make nodes: the real one
    }
    EXPECT_EQ(db.saveAs(device.c_str()), Acad::eFileAccessErr);
    EXPECT_NE(std::string(db.lastErrorMessage()).find("character device"), std::string::npos) << db.lastErrorMessage();
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_STREQ(db.filename(), link.c_str()) << "a failed save keeps the drawing's file name";
    struct stat null {};
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    EXPECT_TRUE(S_ISCHR(null.st_mode));
}

}  // namespace
