// The rows leaving a record set: Save as rowset XML and GetString as delimited text. Save
// never overwrites a file other than the one the rows came from.
#include "ado/RecordsetImpl.h"
#include "win/FileSystem.h"

namespace NUVADO::detail {

HRESULT RecordsetImpl::Save(const _variant_t& destination, PersistFormatEnum format) {
    RequireOpen();
    if (format != adPersistXML) RaiseNotSupported("saving in this format");
    if (destination.vt != VT_BSTR || SysStringLen(destination.bstrVal) == 0) RaiseBadArgument(kRecordsetSource);
    FinishPendingEdit();
    std::string path = VariantTextUtf8(destination);
    CString gbkPath;
    std::string why;
    if (!GbkPath(path, gbkPath, why)) Raise(0x80030003u, "Could not write the file '" + path + "': " + why + ".", "Microsoft Cursor Engine");
    std::string native = NUVWin::NativePath(gbkPath);
    // As on the platform, an existing file is not overwritten, except the file the rows came from.
    if (NUVWin::PathExists(gbkPath) && NUVWin::NativePath(CString::FromUtf8(filePath_)) != native)
        Raise(0x80030050u, "File '" + path + "' already exists.", "Microsoft Cursor Engine");
    Rowset rs;
    for (const Column& c : snap_->cols) {
        RowsetColumn rc;
        rc.name = c.name;
        rc.type = c.type;
        rc.definedSize = c.definedSize;
        rc.attributes = c.attributes;
        rc.precision = c.precision;
        rc.scale = c.scale;
        rc.baseTable = c.baseColumn.empty() ? std::string() : snap_->table;
        rc.baseColumn = c.baseColumn;
        rc.key = c.key;
        rc.autoIncrement = c.autoIncrement;
        rc.nullable = c.nullable;
        rs.columns.push_back(std::move(rc));
    }
    std::size_t n = snap_->cols.size();
    std::vector<std::size_t> rows;
    for (std::uint32_t r : view_) {
        if (snap_->deleted[r]) continue;
        rows.push_back(rs.cells.size() / (n ? n : 1));
        for (std::size_t c = 0; c < n; ++c) snap_->CopyOut(r, c, rs.cells.emplace_back());
    }
    std::string xml, problem;
    if (!WriteRowsetXml(rs, rows, lock_ != adLockReadOnly, xml, &problem))
        Raise(static_cast<unsigned>(E_FAIL), "Could not save '" + path + "': " + problem + ".", "Microsoft Cursor Engine");
    if (!NUVWin::WriteNativeFileAtomic(native, xml, &why))
        Raise(0x80030003u, "Could not write the file '" + path + "': " + why + ".", "Microsoft Cursor Engine");
    return S_OK;
}

_bstr_t RecordsetImpl::GetString(StringFormatEnum format, long numRows, const _bstr_t& columnDelimiter, const _bstr_t& rowDelimiter,
                                 const _bstr_t& nullExpr) {
    RequireOpen();
    if (format != adClipString) RaiseBadArgument(kRecordsetSource);
    FinishPendingEdit();
    if (GetEndOfFile()) RaiseNoCurrentRecord();
    std::u16string out;
    std::u16string cd = columnDelimiter.GetBSTR() ? columnDelimiter.u16() : u"\t";
    std::u16string rd = rowDelimiter.GetBSTR() ? rowDelimiter.u16() : u"\r";
    std::u16string nul = nullExpr.u16();
    long done = 0;
    std::size_t n = snap_->cols.size();
    while (pos_ < static_cast<long>(view_.size()) && (numRows <= 0 || done < numRows)) {
        std::size_t r = view_[static_cast<std::size_t>(pos_)];
        for (std::size_t c = 0; c < n; ++c) {
            if (c) out += cd;
            VARIANT scratch;
            std::string_view text;
            if (snap_->ArenaText(r, c, text)) {
                out += NUVWin::Utf8ToUtf16(text);
                continue;
            }
            const VARIANT& v = snap_->Read(r, c, scratch);
            if (v.vt == VT_NULL || v.vt == VT_EMPTY) out += nul;
            else if (v.vt == VT_BSTR) out.append(v.bstrVal, SysStringLen(v.bstrVal));
            else out += NUVWin::Utf8ToUtf16(VariantTextUtf8(v));
        }
        out += rd;
        ++pos_;
        ++done;
    }
    currentDeleted_ = false;
    AfterMove();
    return _bstr_t(std::u16string_view(out));
}

}  // namespace NUVADO::detail
