// nuvcalc --csv-in: segments files as users write them (comments, quotes, ids that look like
// numbers or comments, text beyond the basic plane) and as careless tools write them (broken
// UTF-8, NUL bytes, stray quotes, doubled columns), read as a stream from a file or a pipe.
#include <gtest/gtest.h>

#include <fstream>

#include "RunNuvcalc.h"

namespace {

const TempDir& Temp() {
    static const TempDir dir;
    return dir;
}

Result Nuvcalc(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    return Exec(Temp(), NuvcalcProgram(), args, input);
}

Result Python(const std::string& code, const std::string& input) {
    return ::Python(Temp(), code, {Temp().Touch("peer-input", input)});
}

TEST(SegmentsFile, RowsAndTotals) {
    const Result r = Nuvcalc({"duct", "--csv-in", Source("examples/ducts.csv"), "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The real csv module reads the segments back; the totals are their sums, and the example is
    // a realistic supply run: turbulent, at velocities an engineer would accept.
    const Result py = Python(
        "import csv,sys\nblocks=open(sys.argv[1]).read().split('\\n\\n')\n"
        "rows=list(csv.DictReader([b for b in blocks if b.startswith('id,')][0].splitlines()))\n"
        "tot={r['quantity']:float(r['value']) for r in csv.DictReader(blocks[-1].splitlines())}\n"
        "s=lambda k: sum(float(r[k]) for r in rows)\n"
        "ok=lambda a,b: abs(a-b) < 1e-9\n"
        "print(len(rows), tot['segments'], ok(tot['friction_loss'], s('friction_pa')),\n"
        "      ok(tot['local_loss'], s('local_pa')), ok(tot['total_loss'], s('total_pa')), ok(tot['length'], s('length_m')),\n"
        "      all(1.5 < float(r['velocity_m_s']) < 12 and float(r['reynolds']) > 2300 for r in rows))\n",
        r.out);
    EXPECT_EQ(py.out, "12 12.0 True True True True True\n") << py.err << r.out;
    // The default table output starts with the file and ends with the totals.
    const Result table = Nuvcalc({"--csv-in", Source("examples/ducts.csv")});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("Totals\n  segments"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("  Terminal-2   160   160        250  1.5"), std::string::npos) << table.out;
}

TEST(SegmentsFile, ErrorsNameLineAndColumn) {
    using namespace std::string_literals;
    const std::string duct = "id,width,height,flow,length\n";
    struct Case {
        const char* command;
        std::string content;
        const char* message;
    } cases[] = {
        {"duct", duct + "A,500,300,2000,5\nB,400,x,1000,3\n", "line 3, column height: 'x' is not a number"},
        {"duct", "width,height,flow,length\n500,300,2000,0\n", "line 2, column length: must be greater than 0"},
        {"duct", "width,height,flow\n500,300,2000\n", "line 2, column length: a value is required"},
        {"duct", "width,heigth,flow,length\n500,300,2000,1\n", "unknown column 'heigth'"},
        {"duct", "# only a comment\n", "has no header row"},
        {"duct", duct, "has no segments"},
        {"pipe", "diameter,flow,length,zeta\n25,1.2,10,-1\n", "line 2, column zeta: must not be negative"},
        {"pipe", "diameter,load,dt,length\n25,5000,,10\n", "line 2, column dt: a value is required"},
        // What the reader refuses, with the line and the character column.
        {"duct", duct + "A\xFF,500,300,2000,5\n", "line 2, column 2: bytes that are not UTF-8"},
        {"duct", duct + "A\0B,500,300,2000,5\n"s, "line 2, column 2: a NUL byte"},
        {"duct", duct + "A\"B,500,300,2000,5\n", "line 2, column 2: a quote inside a field that does not start with one"},
        {"duct", duct + "\"A,500,300,2000,5\n", "line 2, column 1: the quoted field that starts here is not closed"},
        {"duct", "id,width,Width,height,flow,length\n", "line 1, column 10: the column 'width' appears twice (fields 2 and 3)"},
        {"duct", duct + "A,500,300,2000,5,9\n", "line 2: 6 cells, more than the 5 columns of the header"},
        // A quoted line break is part of the id: the next line's number is still right.
        {"duct", duct + "\"A\nB\",500,300,2000,5\nC,400,x,1000,3\n", "line 4, column height: 'x' is not a number"},
        // Below the header a line starting with # is a segment, and says why when it fails.
        {"pipe", "id,diameter,flow,length\n# riser\nR1,40,2,12\n",
         "line 2, column diameter: a value is required (a line starting with # is a comment only above the header line)"},
        // One way to give a pipe's flow.
        {"pipe", "id,diameter,flow,load,dt,length\nR1,40,2,,,12\n", "give the flow either in a flow column or in load and dt columns, not both"},
        {"pipe", "diameter,load,length\n25,5000,10\n", "needs a flow column, or load and dt columns"},
        // A result that is no number names the segment.
        {"duct", duct + "A,500,300,2000,5\nB,1e-300,300,1000,3\n", "line 3 (B): the result"},
    };
    const std::string file = Temp().File("segments.csv");
    for (const Case& c : cases) {
        std::ofstream(file, std::ios::binary) << c.content;
        const Result r = Nuvcalc({c.command, "--csv-in", file});
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << "stderr: " << r.err << "\nwanted: " << c.message;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

TEST(SegmentsFile, IdsStayAsWritten) {
    // Comments above the header only; ids that look like comments, numbers or booleans, hold a
    // comma, a line break or text outside GBK come out as they went in.
    const std::string file = Temp().Touch("ids.csv",
                                          "# supply run\n#, with a comma\nid,diameter,load,dt,length,zeta\n"
                                          "#12,40,50000,10,12,1.5\n\"R1, first\",32,30000,10,8,\n007,25,1000,10,1\n"
                                          "\"two\nlines\",25,1000,10,1\n\xF0\x9F\x98\x80\xED\x95\x9C\xC3\x84,25,1000,10,1\n");
    const Result r = Nuvcalc({"pipe", "--csv-in", file, "--temp", "60", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Result py = Python(
        "import json,sys\nd=json.load(open(sys.argv[1],encoding='utf-8'))\ns=d['segments']\n"
        "print([x['id'] for x in s]==['#12','R1, first','007','two\\nlines','\\U0001F600\\uD55C\\u00C4'], s[1]['local_pa'],"
        " round(d['totals']['length']['value'], 6))\n",
        r.out);
    EXPECT_EQ(py.out, "True 0 23\n") << py.err << r.out;
}

TEST(SegmentsFile, ReadFromAPipe) {
    // The rows are read once, so a pipe serves as well as a file.
    const Result r = Nuvcalc({"duct", "--csv-in", "/dev/stdin", "--csv"}, Source("examples/ducts.csv"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Terminal-2,160,160,250,1.5,"), std::string::npos) << r.out;
    const Result fifo = Exec(Temp(), "/bin/sh", {"-c", "cat '" + Source("examples/ducts.csv") + "' | '" + NuvcalcProgram() + "' duct --csv-in /dev/stdin --csv"});
    EXPECT_EQ(fifo.status, 0) << fifo.err;
    EXPECT_EQ(fifo.out, r.out);
    // Without a command the kind would be told from the header, which would use the pipe up.
    const Result guess = Exec(Temp(), "/bin/sh", {"-c", "cat '" + Source("examples/ducts.csv") + "' | '" + NuvcalcProgram() + "' --csv-in /dev/stdin"});
    EXPECT_EQ(guess.status, 2);
    EXPECT_NE(guess.err.find("name the command"), std::string::npos) << guess.err;
}

TEST(SegmentsFile, ProgressOnlyOnATerminal) {
    // Enough rows for the run to outlast the moment before progress shows.
    std::string rows = "id,width,height,flow,length,zeta\n";
    for (int i = 0; i < 20000; ++i) rows += "S" + std::to_string(i) + ",500,300," + std::to_string(1000 + i % 5000) + ",4.5,0.3\n";
    const std::string file = Temp().Touch("many.csv", rows);
    const Result quiet = Nuvcalc({"duct", "--csv-in", file, "--csv"});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");  // stderr is a file here: nothing but errors goes there
    // Python gives the program a pseudo-terminal for stderr and reports what appeared on it.
    const Result tty = ::Python(Temp(),
                                "import os,pty,subprocess,sys,threading\n"
                                "m,s=pty.openpty()\nseen=[]\n"
                                "def pump():\n"
                                "  while True:\n"
                                "    try: b=os.read(m,4096)\n"
                                "    except OSError: return\n"
                                "    if not b: return\n"
                                "    seen.append(b)\n"
                                "t=threading.Thread(target=pump);t.start()\n"
                                "p=subprocess.run(sys.argv[1:],stdout=subprocess.DEVNULL,stderr=s)\n"
                                "os.close(s);t.join(5)\n"
                                "text=b''.join(seen).decode()\n"
                                "print(p.returncode,'nuvcalc: reading' in text,'%' in text,text.endswith('\\x1b[K'))\n",
                                {NuvcalcProgram(), "duct", "--csv-in", file, "--csv"});
    EXPECT_EQ(tty.out, "0 True True True\n") << tty.err;
}

}  // namespace
