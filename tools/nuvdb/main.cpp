// nuvdb: a small tool for the people who keep the suite's database files, on the kernel's
// database wrappers. Every failure prints one clear line and exits with status 2; a file the
// tool writes appears whole or not at all.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Csv.h"
#include "db/AccessRecords.h"
#include "db/ADODatabase.h"
#include "db/ADORecordset.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace {

using namespace NUVADO;
using namespace nuvdb;

const std::map<std::string, const char*> kHelp = {
    {"create", "nuvdb create FILE [--password P]\n  Makes a new, empty database file (encrypted with a password). FILE must not exist.\n"},
    {"sql", "nuvdb sql FILE \"SQL\" [--csv] [--password P]\n  Runs the SQL. Rows print as a table, or as CSV with --csv;\n"
            "  other statements print how many rows they changed.\n"},
    {"tables", "nuvdb tables FILE [--password P]\n  Lists the tables and views of the database.\n"},
    {"import-csv", "nuvdb import-csv FILE TABLE CSV [--password P]\n  Appends the rows of a CSV file (UTF-8; first line: "
                   "column names) to the table.\n  All rows go in, or none.\n"},
    {"export-xml", "nuvdb export-xml FILE \"SQL\" OUT.xml [--password P]\n  Saves the query's rows as a rowset XML file.\n"},
};

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

std::string Utf8(const CString& gbk) { return NUVWin::GbkToUtf8(gbk.str()); }
CString Gbk(const std::string& utf8) { return CString::FromUtf8(utf8); }

// The description line of a captured error report, or the whole report without it.
std::string Reason(const CString& report) {
    std::string text = Utf8(report);
    std::size_t at = text.find("\tDescription = ");
    if (at == std::string::npos) return text;
    std::size_t end = text.find('\n', at);
    return text.substr(at + 15, end == std::string::npos ? std::string::npos : end - at - 15);
}

std::string Message(const _com_error& e) {
    _bstr_t d = e.Description();
    const char* text = static_cast<const char*>(d);
    return text ? Utf8(text) : std::string(e.ErrorMessage());
}

struct Args {
    std::vector<std::string> positional;
    const char* password = nullptr;
    bool csv = false;
    bool help = false;
};

Args Parse(int argc, char** argv) {
    Args a;
    for (int i = 2; i < argc; ++i) {
        std::string s = argv[i];
        if (s == "--help" || s == "-h") a.help = true;
        else if (s == "--csv") a.csv = true;
        else if (s == "--password" && i + 1 < argc) a.password = argv[++i];
        else if (s.rfind("--", 0) == 0) Fail("unknown option " + s + " (see nuvdb " + argv[1] + " --help)");
        else a.positional.push_back(s);
    }
    return a;
}

void Open(CADODatabase& db, const std::string& file, const char* password) {
    if (!db.Open(NUV::GetAccessConnectStr(Gbk(file), password ? Gbk(password).GetString() : nullptr)))
        Fail("cannot open " + file + ": " + Reason(db.GetLastErrorString()));
}

// A value as the tool prints it.
std::string Text(const _variant_t& v) {
    switch (v.vt) {
    case VT_EMPTY: case VT_NULL: return "";
    case VT_BOOL: return v.boolVal ? "True" : "False";
    case VT_DATE: return Utf8(COleDateTime(v.date).Format(nullptr));
    case VT_CY: return Utf8(COleCurrency(v.cyVal).Format());
    default: break;
    }
    if (v.vt & VT_ARRAY) return "<" + std::to_string(v.ToBytes().size()) + " bytes>";
    try {
        _bstr_t s = static_cast<_bstr_t>(v);
        return s.utf8();
    } catch (const _com_error&) {
        return "?";
    }
}

// Display width: a GBK double-byte character takes two columns, as it does its two bytes.
std::size_t Width(const std::string& utf8) { return NUVWin::Utf8ToGbk(utf8).size(); }

int Create(const Args& a) {
    if (a.positional.size() != 1) Fail("create takes one FILE (see nuvdb create --help)");
    const std::string& file = a.positional[0];
    std::string why;
    bool made = NUVWin::WriteNativeFileAtomicWith(
        file,
        [&](const std::string& temp, std::string&) {
            CADODatabase db;
            Open(db, temp, a.password);
            // Writing the first page is what makes a password take effect.
            if (!db.Execute("CREATE TABLE NUV_New (X LONG)") || !db.Execute("DROP TABLE NUV_New"))
                Fail("cannot initialise " + file + ": " + Reason(db.GetLastErrorString()));
            db.Close();
            return true;
        },
        &why, NUVWin::WriteOptions{.mayReplace = false});
    if (!made) Fail(why);
    std::cout << "created " << file << (a.password ? " (encrypted)" : "") << "\n";
    return 0;
}

int Sql(const Args& a) {
    if (a.positional.size() != 2) Fail("sql takes FILE and \"SQL\" (see nuvdb sql --help)");
    CADODatabase db;
    Open(db, a.positional[0], a.password);
    _RecordsetPtr rs;
    _variant_t changed;
    try {
        rs = db.GetActiveConnection()->Execute(_bstr_t(Gbk(a.positional[1])), &changed, adCmdText);
    } catch (const _com_error& e) {
        Fail(Message(e));
    }
    if (!rs || rs->GetState() == adStateClosed) {
        std::cout << changed.lVal << (changed.lVal == 1 ? " row" : " rows") << " changed\n";
        return 0;
    }
    std::vector<std::vector<std::string>> table(1);
    long n = rs->GetFields()->GetCount();
    for (long i = 0; i < n; ++i) table[0].push_back(rs->GetFields()->GetItem(i)->GetName().utf8());
    for (; !rs->GetEndOfFile(); rs->MoveNext()) {
        table.emplace_back();
        for (long i = 0; i < n; ++i) table.back().push_back(Text(rs->GetFields()->GetItem(i)->GetValue()));
    }
    if (a.csv) {
        for (const auto& row : table) {
            for (std::size_t i = 0; i < row.size(); ++i) std::cout << (i ? "," : "") << CsvField(row[i]);
            std::cout << "\n";
        }
        return 0;
    }
    std::vector<std::size_t> widths(static_cast<std::size_t>(n), 0);
    for (const auto& row : table)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Width(row[i]));
    auto print = [&](const std::vector<std::string>& row) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - Width(row[i]) + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        std::cout << line << "\n";
    };
    print(table[0]);
    std::vector<std::string> rule;
    for (std::size_t w : widths) rule.push_back(std::string(w, '-'));
    print(rule);
    for (std::size_t r = 1; r < table.size(); ++r) print(table[r]);
    std::cout << "(" << table.size() - 1 << (table.size() == 2 ? " row)\n" : " rows)\n");
    return 0;
}

int Tables(const Args& a) {
    if (a.positional.size() != 1) Fail("tables takes one FILE (see nuvdb tables --help)");
    CADODatabase db;
    Open(db, a.positional[0], a.password);
    std::vector<std::string> names;
    _RecordsetPtr rs = db.GetActiveConnection()->OpenSchema(adSchemaTables);
    for (; !rs->GetEndOfFile(); rs->MoveNext()) {
        std::string type = Text(rs->GetFields()->GetItem("TABLE_TYPE")->GetValue());
        std::string name = Text(rs->GetFields()->GetItem("TABLE_NAME")->GetValue());
        if (type == "TABLE") names.push_back(name);
        else if (type == "VIEW") names.push_back(name + " (view)");
    }
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) std::cout << n << "\n";
    return 0;
}

int ImportCsv(const Args& a) {
    if (a.positional.size() != 3) Fail("import-csv takes FILE, TABLE and CSV (see nuvdb import-csv --help)");
    const std::string &table = a.positional[1], &csvPath = a.positional[2];
    std::string text, error;
    if (!NUVWin::ReadNativeFile(csvPath, text)) Fail("cannot read " + csvPath);
    std::vector<CsvRow> rows;
    if (!ParseCsv(text, rows, error)) Fail(csvPath + ": " + error);
    if (rows.empty()) Fail(csvPath + " has no header line");

    CADODatabase db;
    Open(db, a.positional[0], a.password);
    CADORecordset rs(&db);
    if (!rs.Open(Gbk("SELECT * FROM [" + table + "] WHERE 1 = 0"), CADORecordset::openQuery))
        Fail(Reason(rs.GetLastErrorString()));
    const CsvRow& header = rows[0];
    for (const std::string& column : header)
        if (!rs.GetField(Gbk(column))) Fail("column '" + column + "' is not in table " + table);

    db.BeginTransaction();
    try {
        for (std::size_t r = 1; r < rows.size(); ++r) {
            std::string where = csvPath + " line " + std::to_string(r + 1) + ": ";
            if (rows[r].size() != header.size())
                Fail(where + std::to_string(rows[r].size()) + " fields, the header has " + std::to_string(header.size()));
            if (!rs.AddNew()) Fail(where + "cannot add a row");
            for (std::size_t c = 0; c < header.size(); ++c)
                if (!rs.SetFieldValue(Gbk(header[c]), Gbk(rows[r][c])))
                    Fail(where + header[c] + ": " + Reason(rs.GetLastErrorString()));
            if (!rs.Update()) Fail(where + Reason(rs.GetLastErrorString()));
        }
    } catch (...) {
        rs.Close();
        db.RollbackTransaction();
        throw;
    }
    db.CommitTransaction();
    std::cout << rows.size() - 1 << (rows.size() == 2 ? " row" : " rows") << " imported into " << table << "\n";
    return 0;
}

int ExportXml(const Args& a) {
    if (a.positional.size() != 3) Fail("export-xml takes FILE, \"SQL\" and OUT.xml (see nuvdb export-xml --help)");
    const std::string& out = a.positional[2];
    CADODatabase db;
    Open(db, a.positional[0], a.password);
    CADORecordset rs(&db);
    if (!rs.Open(Gbk(a.positional[1]), CADORecordset::openQuery)) Fail(Reason(rs.GetLastErrorString()));
    std::string why;
    bool saved = NUVWin::WriteNativeFileAtomicWith(
        out,
        [&](const std::string& temp, std::string& reason) {
            ::unlink(temp.c_str());  // the record set saves only to a new file
            if (rs.SaveAsXML(Gbk(temp))) return true;
            reason = "cannot write " + out + ": " + Reason(rs.GetLastErrorString());
            return false;
        },
        &why);
    if (!saved) Fail(why);
    std::uint32_t count = rs.GetRecordCount();
    std::cout << count << (count == 1 ? " row" : " rows") << " saved to " << out << "\n";
    return 0;
}

void Usage(std::ostream& os) {
    os << "usage: nuvdb COMMAND ... (nuvdb COMMAND --help for one command)\n\n";
    for (const char* c : {"create", "sql", "tables", "import-csv", "export-xml"}) os << kHelp.at(c) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        Usage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    std::string command = argv[1];
    auto help = kHelp.find(command);
    if (help == kHelp.end()) {
        std::cerr << "nuvdb: unknown command " << command << "\n";
        Usage(std::cerr);
        return 2;
    }
    try {
        Args a = Parse(argc, argv);
        if (a.help) {
            std::cout << help->second;
            return 0;
        }
        if (command == "create") return Create(a);
        if (command == "sql") return Sql(a);
        if (command == "tables") return Tables(a);
        if (command == "import-csv") return ImportCsv(a);
        return ExportXml(a);
    } catch (const Failure& f) {
        std::cerr << "nuvdb: " << f.message << "\n";
    } catch (const _com_error& e) {
        std::cerr << "nuvdb: " << Message(e) << "\n";
    }
    return 2;
}
