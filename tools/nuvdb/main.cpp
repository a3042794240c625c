// nuvdb: a small tool for the people who keep the suite's database files, on the kernel's
// database wrappers. Every failure prints one clear line and exits with status 2, and leaves every
// file as it was: commands that read open the database read-only and refuse statements that are
// not queries before running them; no command replaces an existing file unless told --force, nor
// ever the database it reads; a file the tool writes appears whole or not at all.
#include <locale.h>
#include <unistd.h>
#include <wchar.h>

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Csv.h"
#include "Nuvdb.h"
#include "OutputFile.h"
#include "SqlText.h"
#include "db/AccessRecords.h"
#include "db/ADORecordset.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace nuvdb {

namespace {

using namespace NUVADO;

const std::map<std::string, const char*> kHelp = {
    {"create", "nuvdb create FILE [--password P]\n  Makes a new, empty database file (encrypted with a password). FILE must not exist.\n"},
    {"sql", "nuvdb sql FILE \"SQL\" [--csv] [--password P]\n  Runs one SQL statement. Rows print as a table, or as CSV with --csv;\n"
            "  other statements print how many rows they changed. Several statements (separated\n"
            "  by ;) are refused before any runs: run them one at a time.\n"},
    {"tables", "nuvdb tables FILE [--password P]\n  Lists the tables and views of the database.\n"},
    {"import-csv", "nuvdb import-csv FILE TABLE CSV [--password P]\n  Appends the rows of a CSV file (UTF-8; first line: "
                   "column names) to the table.\n  Texts are stored as written; an empty field stores NULL. All rows go in, or none.\n"},
    {"export-xml", "nuvdb export-xml FILE QUERY OUT.xml [--force] [--password P]\n  Saves the rows of a query (SELECT ..., or a table "
                   "or view name) as a rowset XML file.\n  An existing OUT.xml is replaced only with --force.\n"},
};

Args Parse(int argc, char** argv) {
    Args a;
    for (int i = 2; i < argc; ++i) {
        std::string s = argv[i];
        if (s == "--help" || s == "-h") a.help = true;
        else if (s == "--csv") a.csv = true;
        else if (s == "--force") a.force = true;
        else if (s == "--password" && i + 1 < argc) a.password = argv[++i];
        else if (s.rfind("--", 0) == 0) Fail("unknown option " + s + " (see nuvdb " + argv[1] + " --help)");
        else a.positional.push_back(s);
    }
    return a;
}

// A value as the tool prints it.
std::string Text(const _variant_t& v) {
    switch (v.vt) {
    case VT_EMPTY: case VT_NULL: return "";
    case VT_BOOL: return v.boolVal ? "True" : "False";
    case VT_DATE: return NUVWin::GbkToUtf8(COleDateTime(v.date).Format(nullptr).str());
    case VT_CY: return NUVWin::GbkToUtf8(COleCurrency(v.cyVal).Format().str());
    default: break;
    }
    if (v.vt & VT_ARRAY) return "<" + std::to_string(v.ToBytes().size()) + " bytes>";
    try {
        return Utf8(static_cast<_bstr_t>(v));
    } catch (const _com_error&) {
        return "?";
    }
}

// Display width in a terminal, from the C library's character widths (Chinese, Korean and most
// emoji take two columns); a character it calls unprintable counts one.
std::size_t Width(const std::string& utf8) {
    static const locale_t utf8Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (!utf8Locale) return NUVWin::Utf8ToGbk(utf8).size();
    const locale_t previous = uselocale(utf8Locale);
    std::size_t width = 0;
    std::mbstate_t state{};
    for (std::size_t i = 0; i < utf8.size();) {
        wchar_t c = 0;
        const std::size_t n = std::mbrtowc(&c, utf8.data() + i, utf8.size() - i, &state);
        if (n == 0 || n > utf8.size() - i) {  // a NUL, or bytes that are not UTF-8
            state = {};
            ++i;
            ++width;
            continue;
        }
        const int w = wcwidth(c);
        width += w < 0 ? 1 : static_cast<std::size_t>(w);
        i += n;
    }
    uselocale(previous);
    return width;
}

// The one statement a command runs; empty SQL and several statements are refused.
std::string OneStatement(const std::string& sql) {
    const std::vector<SqlStatement> statements = SplitSql(sql);
    if (statements.empty()) Fail("the SQL is empty");
    if (statements.size() > 1)
        Fail("the SQL holds " + std::to_string(statements.size()) + " statements, and nuvdb runs one at a time (the second, at " +
             Position(sql, statements[1].offset) + ", begins: " + statements[1].text.substr(0, 40) + ")");
    return statements[0].text;
}

std::vector<std::pair<std::string, std::string>> TablesAndViews(CADODatabase& db) {
    std::vector<std::pair<std::string, std::string>> out;
    _RecordsetPtr rs = db.GetActiveConnection()->OpenSchema(adSchemaTables);
    for (; !rs->GetEndOfFile(); rs->MoveNext()) {
        std::string type = Text(rs->GetFields()->GetItem("TABLE_TYPE")->GetValue());
        if (type == "TABLE" || type == "VIEW") out.emplace_back(Text(rs->GetFields()->GetItem("TABLE_NAME")->GetValue()), type);
    }
    return out;
}

int Create(const Args& a) {
    if (a.positional.size() != 1) Fail("create takes one FILE (see nuvdb create --help)");
    const std::string& file = a.positional[0];
    std::string why;
    const bool made = NUVWin::WriteNativeFileAtomicWith(
        file,
        [&](const std::string& temp, std::string&) {
            CADODatabase db;
            Open(db, temp, a.password, false);
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
    const std::string statement = OneStatement(a.positional[1]);
    CADODatabase db;
    Open(db, a.positional[0], a.password, false);
    _RecordsetPtr rs;
    _variant_t changed;
    try {
        rs = db.GetActiveConnection()->Execute(Wide(statement), &changed, adCmdText);
    } catch (const _com_error& e) {
        Fail(Message(e));
    }
    if (!rs || rs->GetState() == adStateClosed) {
        std::cout << changed.lVal << (changed.lVal == 1 ? " row" : " rows") << " changed\n";
        return 0;
    }
    std::vector<std::vector<std::string>> table(1);
    long n = rs->GetFields()->GetCount();
    for (long i = 0; i < n; ++i) table[0].push_back(Utf8(rs->GetFields()->GetItem(i)->GetName()));
    for (; !rs->GetEndOfFile(); rs->MoveNext()) {
        table.emplace_back();
        for (long i = 0; i < n; ++i) table.back().push_back(Text(rs->GetFields()->GetItem(i)->GetValue()));
    }
    if (a.csv) {
        for (const auto& row : table) std::cout << nuvtools::CsvRecord(row) << "\n";
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
    Open(db, a.positional[0], a.password, true);
    std::vector<std::string> names;
    for (const auto& [name, type] : TablesAndViews(db)) names.push_back(type == "VIEW" ? name + " (view)" : name);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) std::cout << n << "\n";
    return 0;
}

int ExportXml(const Args& a) {
    if (a.positional.size() != 3) Fail("export-xml takes FILE, QUERY and OUT.xml (see nuvdb export-xml --help)");
    const std::string &file = a.positional[0], &out = a.positional[2];
    const std::string query = OneStatement(a.positional[1]);
    const StatementKind kind = Classify(query);
    if (kind.kind == StatementKind::Other)
        Fail("export-xml only reads, and '" + query.substr(0, 40) + "' is no query: " + kind.why + " (nuvdb sql runs it)");
    try {
        nuvtools::CheckOutputFile(NativePath(out), a.force, {NativePath(file)});
    } catch (const nuvtools::OutputRefused& e) {
        Fail(e.what());
    }
    CADODatabase db;
    Open(db, file, a.password, true);
    if (kind.kind == StatementKind::Name) {
        const auto all = TablesAndViews(db);
        const bool known = std::any_of(all.begin(), all.end(), [&](const auto& t) { return nuvtools::SameColumnName(t.first, kind.name); });
        if (!known) Fail("'" + kind.name + "' is no table or view of " + file);
    }
    _RecordsetPtr rs;
    rs.CreateInstance(CLSID_Recordset);
    try {
        rs->Open(_variant_t(Wide(query)), _variant_t(static_cast<IDispatch*>(db.GetActiveConnection().GetInterfacePtr())),
                 adOpenStatic, adLockOptimistic, adCmdUnknown);
    } catch (const _com_error& e) {
        Fail(Message(e));
    }
    std::string why;
    const bool saved = NUVWin::WriteNativeFileAtomicWith(
        NativePath(out),
        [&](const std::string& temp, std::string& reason) {
            ::unlink(temp.c_str());  // the record set saves only to a new file
            try {
                rs->Save(_variant_t(Wide(temp)), adPersistXML);
                return true;
            } catch (const _com_error& e) {
                // The user knows the file by the name they gave, not by the temporary one.
                std::string message = Message(e);
                for (std::size_t at; (at = message.find(temp)) != std::string::npos;) message.replace(at, temp.size(), out);
                reason = "cannot write " + out + ": " + message;
                return false;
            }
        },
        &why);
    if (!saved) Fail(why);
    const long count = rs->GetRecordCount();
    std::cout << count << (count == 1 ? " row" : " rows") << " saved to " << out << "\n";
    return 0;
}

void Usage(std::ostream& os) {
    os << "usage: nuvdb COMMAND ... (nuvdb COMMAND --help for one command)\n\n";
    for (const char* c : {"create", "sql", "tables", "import-csv", "export-xml"}) os << kHelp.at(c) << "\n";
}

}  // namespace

void Open(CADODatabase& db, const std::string& file, const char* password, bool readOnly) {
    CString text = NUV::GetAccessConnectStr(CString::FromUtf8(file), password ? CString::FromUtf8(password).GetString() : nullptr);
    if (readOnly) text += ";Mode=Read";
    if (!db.Open(text)) Fail("cannot open " + file + ": " + Reason(db.GetLastErrorString()));
}

std::string NativePath(const std::string& file) { return NUVWin::NativePath(CString::FromUtf8(file)); }

_bstr_t Wide(const std::string& utf8) { return _bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(utf8))); }

std::string Utf8(const _bstr_t& text) { return text.utf8(); }

std::string Reason(const CString& report) {
    std::string text = NUVWin::GbkToUtf8(report.str());
    std::size_t at = text.find("\tDescription = ");
    if (at == std::string::npos) return text;
    std::size_t end = text.find('\n', at);
    return text.substr(at + 15, end == std::string::npos ? std::string::npos : end - at - 15);
}

std::string Message(const _com_error& e) {
    _bstr_t d = e.Description();
    return d.length() ? Utf8(d) : std::string(e.ErrorMessage());
}

}  // namespace nuvdb

int main(int argc, char** argv) {
    using namespace nuvdb;
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
        if (a.force && command != "export-xml") Fail("--force applies to export-xml only");
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
