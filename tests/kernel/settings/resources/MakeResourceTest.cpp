#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "TempDir.h"
#include "settings/BitmapHelpers.h"

namespace {

std::string ReadFile(const std::string& path) { return ReadAll(path); }

TEST(MakeResourceFromModule, WritesTheEmbeddedBytesBack) {
    std::string sample = ReadFile(std::string(std::getenv("NUV_TEST_DATA")) + "/settings/resource-sample.bin");
    ASSERT_GT(sample.size(), 256u);
    TempDir temp;
    const std::string& dir = temp.path();
    HINSTANCE self = NUVWin::ModuleHandleFromAddress(reinterpret_cast<const void*>(&ReadFile));

    struct Row {
        const char* type;
        int id;
        const char* file;  // Windows separators, as the suite writes them
    } rows[] = {{"#10", 101, "\\a.bin"}, {"wave", 7, "\\b.wav"}};
    for (const Row& r : rows) {
        EXPECT_TRUE(NUV::MakeResourceFromModule(CString(dir + r.file), r.type, r.id, self)) << r.type;
        EXPECT_EQ(ReadFile(dir + "/" + (r.file + 1)), sample) << r.type;
    }

    // An existing, longer file is truncated.
    std::ofstream(dir + "/long.bin") << std::string(sample.size() * 3, 'x');
    EXPECT_TRUE(NUV::MakeResourceFromModule(CString(dir + "/long.bin"), "#10", 101, self));
    EXPECT_EQ(ReadFile(dir + "/long.bin"), sample);

    // Missing: false and no file. Found but unwritable: still true.
    EXPECT_FALSE(NUV::MakeResourceFromModule(CString(dir + "/none.bin"), "#10", 102, self));
    EXPECT_FALSE(NUV::MakeResourceFromModule(CString(dir + "/none.bin"), "WAVE", 101, self));
    EXPECT_NE(access((dir + "/none.bin").c_str(), F_OK), 0);
    EXPECT_TRUE(NUV::MakeResourceFromModule(CString(dir + "/no/such/folder.bin"), "#10", 101, self));
    // Another module's handle does not see this program's resources.
    HINSTANCE lib = NUVWin::ModuleHandleFromAddress(reinterpret_cast<const void*>(&FindResourceA));
    ASSERT_NE(lib, self);
    EXPECT_FALSE(NUV::MakeResourceFromModule(CString(dir + "/lib.bin"), "#10", 101, lib));
}

}  // namespace
