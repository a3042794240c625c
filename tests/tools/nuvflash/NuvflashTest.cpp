// nuvflash end to end: a drawing with one line flashed with the defaults gives a picture per
// tick in which the line is gone on the blanking ticks and back on the others (the pictures'
// lit pixels counted by a PNG decoder of the test's own, in Python's standard library); bad
// options are refused with a message naming them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "TempDir.h"
#include "acad/AcDb.h"
#include "win/FileSystem.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
};

Result RunFlash(const std::string& args) {
    std::string cmd = "'" + std::string(std::getenv("NUV_BINARY_DIR")) + "/bin/nuvflash' " + args + " 2>&1";
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int rc = pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Pixels that are not black in an 8-bit RGB or RGBA PNG, decoded with zlib and the five row
// filters; -1 when the decoder fails.
int LitPixels(const std::string& png) {
    static const char* const kDecoder = R"PY(
import struct, sys, zlib
d = open(sys.argv[1], 'rb').read()
assert d[:8] == b'\x89PNG\r\n\x1a\n'
i, idat = 8, b''
while i < len(d):
    n, t = struct.unpack('>I4s', d[i:i + 8])
    body = d[i + 8:i + 8 + n]
    if t == b'IHDR':
        w, h, depth, kind, _, _, interlace = struct.unpack('>IIBBBBB', body)
        assert depth == 8 and kind in (2, 6) and interlace == 0
    if t == b'IDAT':
        idat += body
    i += 12 + n
raw = zlib.decompress(idat)
bpp = 3 if kind == 2 else 4
stride, prev, pos, lit = w * bpp, bytearray(w * bpp), 0, 0
for y in range(h):
    f, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
    pos += 1 + stride
    for x in range(stride):
        a = line[x - bpp] if x >= bpp else 0
        b = prev[x]
        c = prev[x - bpp] if x >= bpp else 0
        if f == 1: line[x] = (line[x] + a) & 255
        elif f == 2: line[x] = (line[x] + b) & 255
        elif f == 3: line[x] = (line[x] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    lit += sum(1 for x in range(0, stride, bpp) if any(line[x:x + 3]))
    prev = line
print(lit)
)PY";
    TempDir tmp;
    const std::string script = tmp.File("decode.py");
    if (!NUVWin::WriteFileAtomic(CString(script), std::string_view(kDecoder))) return -1;
    FILE* p = popen(("/usr/bin/python3 '" + script + "' '" + png + "' 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[256] = "";
    size_t n = fread(buf, 1, sizeof buf - 1, p);
    buf[n] = '\0';
    return pclose(p) == 0 ? std::atoi(buf) : -1;
}

}  // namespace

TEST(Nuvflash, OnePicturePerTickLineBlankedEveryOtherTick) {
    TempDir tmp;
    std::string dxf = tmp.File("duct.dxf");
    {
        AcDbDatabase db(true, true);
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* a = new AcDbLine({0, 0, 0}, {100, 0, 0});
        ms->appendAcDbEntity(a);
        AcDbHandle h = a->handle();
        a->close();
        auto* b = new AcDbCircle({50, 30, 0}, {0, 0, 1}, 10);  // stays put: not flashed
        ms->appendAcDbEntity(b);
        b->close();
        ms->close();
        ASSERT_EQ(db.saveAs(dxf.c_str()), Acad::eOk);
        Result r = RunFlash("'" + dxf + "' --png-frames '" + tmp.File("frames") + "' --ticks 3 --size 200x150 --handle " +
                       h.asString());
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("frame 001 at    166 ms: phase 2, 1 blanked"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("frame 002 at    332 ms: phase 1, 0 blanked"), std::string::npos) << r.out;
    }
    std::string f0 = Slurp(tmp.File("frames/frame-000.png"));
    std::string f1 = Slurp(tmp.File("frames/frame-001.png"));
    std::string f2 = Slurp(tmp.File("frames/frame-002.png"));
    std::string f3 = Slurp(tmp.File("frames/frame-003.png"));
    ASSERT_FALSE(f0.empty());
    EXPECT_EQ(f0.substr(1, 3), "PNG");
    EXPECT_NE(f1, f0) << "the line is blanked";
    EXPECT_EQ(f2, f0) << "and drawn again";
    EXPECT_EQ(f3, f1);
    EXPECT_TRUE(Slurp(tmp.File("frames/frame-004.png")).empty());
    // The line spans the drawing's width, so blanking it takes at least half the picture's width
    // of lit pixels away; the circle stays lit.
    const int lit0 = LitPixels(tmp.File("frames/frame-000.png")), lit1 = LitPixels(tmp.File("frames/frame-001.png"));
    ASSERT_GT(lit1, 0) << "the circle is still drawn";
    EXPECT_GE(lit0 - lit1, 100) << lit0 << " lit pixels before, " << lit1 << " while blanked";
}

TEST(Nuvflash, RefusesBadInputNamingIt) {
    TempDir tmp;
    struct Case {
        std::string args, message;
    } cases[] = {
        {"", "no drawing given"},
        {"x.dxf", "--png-frames DIR is required"},
        {"x.dxf --png-frames d --ticks abc", "--ticks: 'abc' is not a number"},
        {"x.dxf --png-frames d --mode 1,5", "--mode: '1,5' is not two modes"},
        {"x.dxf --png-frames d --frequency 11", "--frequency: '11' is not a number from 0.1 to 10"},
        {"x.dxf --png-frames d --bogus 1", "unknown option '--bogus'"},
        {"'" + tmp.File("missing.dxf") + "' --png-frames d", "missing.dxf"},
    };
    for (const Case& c : cases) {
        Result r = RunFlash(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find("nuvflash: "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
    }
    EXPECT_EQ(RunFlash("--help").status, 0);
}
