#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "win/Resource.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Bytes(HMODULE module, HRSRC r) {
    HGLOBAL g = LoadResource(module, r);
    if (!g) return "<not loaded>";
    return std::string(static_cast<const char*>(LockResource(g)), SizeofResource(module, r));
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Read when the tests run, not when they are listed (listing has no environment).
const std::string& SampleFile() {
    static const std::string path = Env("NUV_TEST_DATA") + "/settings/resource-sample.bin";
    return path;
}
const std::string& OtherFile() {
    // Found through the source folder: __FILE__ may be relative to the compiler's folder.
    static const std::string path = Env("NUV_SOURCE_DIR") + "/tests/platform/win/resources/module/other.txt";
    return path;
}

TEST(Resource, EmbeddedBytesAreFoundUnderTheProgramsHandle) {
    HMODULE self = NUVWin::ModuleHandleFromAddress(reinterpret_cast<const void*>(&ReadFile));
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self, GetModuleHandleA(nullptr));
    std::string want = ReadFile(SampleFile());
    ASSERT_GT(want.size(), 256u);

    struct Row {
        LPCSTR name, type;
        const std::string* file;
    } found[] = {
        {MAKEINTRESOURCE(101), RT_RCDATA, &SampleFile()},
        {"#101", "#10", &SampleFile()},
        {"LOGO", "png", &OtherFile()},
        {"logo", "PNG", &OtherFile()},
        {MAKEINTRESOURCE(1), RT_MANIFEST, &OtherFile()},
    };
    for (const Row& r : found) {
        HRSRC h = FindResource(self, r.name, r.type);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(Bytes(self, h), ReadFile(*r.file));
        EXPECT_EQ(FindResource(nullptr, r.name, r.type), h) << "null means the program";
    }
    LPCSTR missing[][2] = {{MAKEINTRESOURCE(102), RT_RCDATA}, {MAKEINTRESOURCE(101), RT_BITMAP}, {"Logo", "JPG"}, {"101", RT_RCDATA}};
    for (auto& m : missing) EXPECT_EQ(FindResource(self, m[0], m[1]), nullptr);
    EXPECT_EQ(LoadResource(self, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(self, nullptr), 0u);
}

TEST(Resource, EachModuleHasItsOwnAndUnloadingRemovesThem) {
    HMODULE self = GetModuleHandleA(nullptr);
    void* lib = dlopen(NUV_TEST_RESMODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    HMODULE module = reinterpret_cast<HMODULE>(lib);
    EXPECT_EQ(GetModuleHandleA(NUV_TEST_RESMODULE), module);
    EXPECT_EQ(NUVWin::ModuleHandleFromAddress(dlsym(lib, "nuv_test_resmodule_marker")), module);

    HRSRC theirs = FindResource(module, MAKEINTRESOURCE(101), RT_RCDATA);
    HRSRC ours = FindResource(self, MAKEINTRESOURCE(101), RT_RCDATA);
    ASSERT_NE(theirs, nullptr);
    ASSERT_NE(ours, theirs);
    EXPECT_EQ(Bytes(module, theirs), ReadFile(OtherFile()));
    EXPECT_EQ(FindResource(module, "LOGO", "PNG"), nullptr);

    ASSERT_EQ(dlclose(lib), 0);
    EXPECT_EQ(GetModuleHandleA(NUV_TEST_RESMODULE), nullptr);
    EXPECT_EQ(LoadResource(module, theirs), nullptr) << "a resource of an unloaded module";
    EXPECT_NE(FindResource(self, MAKEINTRESOURCE(101), RT_RCDATA), nullptr);
}

}  // namespace
