// nuvdb import-csv: the records of a CSV file appended to a table in one transaction. Text goes
// from the file's UTF-8 to the database's UTF-8 through the layer's UTF-16, never through a code
// page. Whatever the reader refuses, a header naming a column twice or one the table lacks, a
// record of the wrong length and a value its column cannot take stop the import with the file,
// line and column; then nothing is written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "Csv.h"
#include "Nuvdb.h"
#include "Progress.h"

namespace nuvdb {

namespace {

using namespace NUVADO;

// The file descriptor of the CSV file, closed whatever happens.
struct InputFile {
    int fd;
    ~InputFile() { close(fd); }
};

std::string At(const std::string& path, nuvtools::CsvPosition p) {
    return path + " line " + std::to_string(p.line) + ", column " + std::to_string(p.column);
}

}  // namespace

int ImportCsv(const Args& a) {
    if (a.positional.size() != 3) Fail("import-csv takes FILE, TABLE and CSV (see nuvdb import-csv --help)");
    const std::string &file = a.positional[0], &table = a.positional[1], &path = a.positional[2];
    const InputFile in{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat st {};
    if (in.fd < 0 || fstat(in.fd, &st) != 0) Fail("cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode)) Fail("cannot read " + path + ": it is a folder");
    nuvtools::CsvReader reader([fd = in.fd, &path](char* buf, std::size_t n) {
        for (;;) {
            const ssize_t k = read(fd, buf, n);
            if (k >= 0) return static_cast<std::size_t>(k);
            if (errno != EINTR) Fail("cannot read " + path + ": " + std::strerror(errno));
        }
    });
    try {
        if (!reader.Next()) Fail(path + " has no header line");
        const std::vector<std::string> header = reader.Fields();
        nuvtools::CheckCsvHeader(header, reader);
        std::vector<nuvtools::CsvPosition> headerAt;
        for (std::size_t c = 0; c < header.size(); ++c) headerAt.push_back(reader.FieldStart(c));

        CADODatabase db;
        Open(db, file, a.password, false);
        _ConnectionPtr connection = db.GetActiveConnection();
        _RecordsetPtr rs;
        rs.CreateInstance(CLSID_Recordset);
        try {
            rs->Open(_variant_t(Wide("SELECT * FROM [" + table + "] WHERE 1 = 0")),
                     _variant_t(static_cast<IDispatch*>(connection.GetInterfacePtr())), adOpenStatic, adLockOptimistic, adCmdText);
        } catch (const _com_error& e) {
            Fail(Message(e));
        }
        FieldsPtr fields = rs->GetFields();
        std::vector<FieldPtr> target;
        for (std::size_t c = 0; c < header.size(); ++c) {
            for (long i = 0; i < fields->GetCount() && target.size() == c; ++i)
                if (nuvtools::SameColumnName(Utf8(fields->GetItem(i)->GetName()), header[c])) target.push_back(fields->GetItem(i));
            if (target.size() == c) Fail(At(path, headerAt[c]) + ": the column '" + header[c] + "' is not in table " + table);
        }

        connection->BeginTrans();
        long rows = 0;
        try {
            nuvtools::Progress progress("nuvdb: importing " + path, S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0);
            while (reader.Next()) {
                const std::vector<std::string>& values = reader.Fields();
                const std::string line = path + " line " + std::to_string(reader.Line());
                if (values.size() != header.size())
                    Fail(line + ": " + std::to_string(values.size()) + (values.size() == 1 ? " field" : " fields") + ", the header has " +
                         std::to_string(header.size()));
                try {
                    rs->AddNew();
                } catch (const _com_error& e) {
                    Fail(line + ": " + Message(e));
                }
                for (std::size_t c = 0; c < values.size(); ++c) {
                    _variant_t value;
                    value.vt = VT_NULL;  // an empty field
                    if (!values[c].empty()) value = _variant_t(Wide(values[c]));
                    try {
                        target[c]->PutValue(value);
                    } catch (const _com_error& e) {
                        Fail(At(path, reader.FieldStart(c)) + " (" + header[c] + "): " + Message(e));
                    }
                }
                try {
                    rs->Update();
                } catch (const _com_error& e) {
                    Fail(line + ": " + Message(e));
                }
                ++rows;
                progress.Update(reader.BytesRead());
            }
        } catch (...) {
            try {
                if (rs->GetEditMode() != adEditNone) rs->CancelUpdate();
            } catch (const _com_error&) {
            }
            connection->RollbackTrans();
            throw;
        }
        connection->CommitTrans();
        std::cout << rows << (rows == 1 ? " row" : " rows") << " imported into " << table << "\n";
    } catch (const nuvtools::CsvError& e) {
        Fail(path + " " + e.what());
    }
    return 0;
}

}  // namespace nuvdb
