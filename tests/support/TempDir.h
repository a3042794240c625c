// Shared by the test programs: a fresh folder for one test, removed with everything in it
// afterwards, and a whole file read back.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/nuvtest.XXXXXX";
        if (!::mkdtemp(tmpl.data())) std::abort();
        path_ = tmpl;
    }
    // NUV_KEEP_TEST_FILES=1 keeps the folder, to look at what a test wrote.
    ~TempDir() {
        if (std::getenv("NUV_KEEP_TEST_FILES")) return;
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // A path below the folder; `rel` uses '/' and UTF-8.
    std::string File(const std::string& rel) const { return path_ + "/" + rel; }

    // Creates a file (and its folders) below the folder and returns its path. An empty file is
    // also an empty database to the database layer.
    std::string Touch(const std::string& rel, const std::string& content = "") const {
        std::filesystem::path p = File(rel);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }

private:
    std::string path_;
};

inline std::string ReadAll(const std::string& native) {
    std::ifstream in(native, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
