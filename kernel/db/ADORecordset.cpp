#include "db/ADORecordset.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "db/ADOCommand.h"
#include "db/ADODatabase.h"
#include "db/DbInternal.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

using namespace NUVADO;

namespace {

_variant_t Ordinal(int index) { return _variant_t(static_cast<long>(index)); }
_variant_t Named(const char* name) { return _variant_t(name ? name : ""); }

int Convert(const VARIANT& v, double& out, const char*) { return NUVDb::ToDouble(v, out); }
int Convert(const VARIANT& v, long& out, const char*) { return NUVDb::ToLong(v, out); }
int Convert(const VARIANT& v, int& out, const char*) { return NUVDb::ToInt(v, out); }
int Convert(const VARIANT& v, bool& out, const char*) { return NUVDb::ToBool(v, out); }
int Convert(const VARIANT& v, COleDateTime& out, const char*) { return NUVDb::ToDate(v, out); }
int Convert(const VARIANT& v, COleCurrency& out, const char*) { return NUVDb::ToCurrency(v, out); }
int Convert(const VARIANT& v, _variant_t& out, const char*) { return NUVDb::ToVariant(v, out); }
int Convert(const VARIANT& v, CString& out, const char* format) { return NUVDb::ToText(v, out, format); }

// A text field's value as the engine keeps it (UTF-8): plain ASCII, the common case, is taken as
// it is. Only texts read as text come this way; other targets read the field's value.
bool ConvertEngineText(std::string_view utf8, CString& out) {
    bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) out.SetString(utf8.data(), static_cast<int>(utf8.size()));
    else out = CString(NUVWin::Utf8ToGbk(utf8));
    return true;
}
template <class T>
bool ConvertEngineText(std::string_view, T&) {
    return false;
}

// Copies a field name into the fixed buffer, cutting before a double-byte character that would
// not fit whole.
void CopyName(char (&buffer)[30], const char* name) {
    std::size_t n = 0, limit = sizeof buffer - 1;
    while (name[n]) {
        std::size_t step = static_cast<unsigned char>(name[n]) >= 0x80 && name[n + 1] ? 2 : 1;
        if (n + step > limit) break;
        n += step;
    }
    std::memcpy(buffer, name, n);
    buffer[n] = '\0';
}

}  // namespace

CADORecordset::CADORecordset() {
    if (FAILED(m_pRecordset.CreateInstance(CLSID_Recordset))) m_pRecordset = nullptr;
    if (FAILED(m_pCmd.CreateInstance(CLSID_Command))) m_pCmd = nullptr;
}

CADORecordset::CADORecordset(CADODatabase* database) : CADORecordset() {
    if (database) m_pConnection = database->GetActiveConnection();
}

CADORecordset::CADORecordset(const CADORecordset& other) { *this = other; }

CADORecordset& CADORecordset::operator=(const CADORecordset& other) {
    m_pRecordset = other.m_pRecordset;
    m_pCmd = other.m_pCmd;
    m_pConnection = other.m_pConnection;
    m_nSearchDirection = other.m_nSearchDirection;
    m_strFind = other.m_strFind;
    m_varBookmarkFind = other.m_varBookmarkFind;
    m_varBookmark = other.m_varBookmark;
    m_nEditStatus = other.m_nEditStatus;
    m_strLastError = other.m_strLastError;
    m_dwLastError = other.m_dwLastError;
    m_pRecBinding = other.m_pRecBinding;
    m_strQuery = other.m_strQuery;
    return *this;
}

CADORecordset::~CADORecordset() {
    try {
        Close();
    } catch (const _com_error&) {
        // The objects are released below whatever state they are in.
    }
    m_pRecBinding.Release();
    m_pRecordset.Release();
    m_pCmd.Release();
    m_pConnection.Release();
    m_strQuery.Empty();
    m_strFind.Empty();
    m_strLastError.Empty();
}

// --- Opening and closing ---

int CADORecordset::Open(_ConnectionPtr connection, const char* text, int option) {
    Close();
    m_pConnection = connection;
    if (text && *text) m_strQuery = text;
    m_strQuery.TrimLeft();
    bool isSelect = m_strQuery.Left(7).CompareNoCase("select ") == 0 && option == openUnknown;
    try {
        m_pRecordset->PutCursorType(adOpenStatic);
        m_pRecordset->PutCursorLocation(adUseServer);
        _variant_t active(static_cast<IDispatch*>(connection.GetInterfacePtr()));
        if (isSelect || option == openQuery || option == openUnknown) {
            m_pRecordset->Open(_variant_t(m_strQuery), active, adOpenStatic, adLockOptimistic, adCmdUnknown);
        } else if (option == openTable) {
            m_pRecordset->Open(_variant_t(m_strQuery), active, adOpenKeyset, adLockOptimistic, adCmdTable);
        } else if (option == openStoredProc) {
            m_pCmd->PutRefActiveConnection(connection);
            m_pCmd->PutCommandText(_bstr_t(m_strQuery.GetString()));
            m_pCmd->PutCommandType(adCmdStoredProc);
            connection->PutCursorLocation(adUseClient);
            m_pRecordset = m_pCmd->Execute(nullptr, nullptr, adCmdText);
        } else {
            return 0;
        }
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
    return m_pRecordset ? 1 : 0;
}

int CADORecordset::Open(const char* text, int option) { return Open(m_pConnection, text, option); }

void CADORecordset::Close() {
    if (!IsOpen()) return;
    if (m_nEditStatus != dbEditNone) CancelUpdate();
    m_pRecordset->PutSort(_bstr_t(""));
    m_pRecordset->Close();
}

int CADORecordset::IsOpen() {
    if (!m_pRecordset || !IsConnectionOpen()) return 0;
    return m_pRecordset->GetState() != adStateClosed ? 1 : 0;
}

int CADORecordset::IsConnectionOpen() {
    if (!m_pConnection) return 0;
    return m_pConnection->GetState() != adStateClosed ? 1 : 0;
}

int CADORecordset::Execute(CADOCommand* command) {
    if (IsOpen()) Close();
    try {
        m_pConnection->PutCursorLocation(adUseClient);
        if (!command) _com_issue_error(E_POINTER);
        m_pRecordset = command->GetCommand()->Execute(nullptr, nullptr, command->GetType());
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

int CADORecordset::Requery() {
    if (!IsOpen()) return 1;
    try {
        m_pRecordset->Requery(adOptionUnspecified);
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

// --- Navigation, paging and counts (platform errors reach the caller) ---

int CADORecordset::IsEOF() { return m_pRecordset->GetEndOfFile() == VARIANT_TRUE ? 1 : 0; }
int CADORecordset::IsBOF() { return m_pRecordset->GetBOF() == VARIANT_TRUE ? 1 : 0; }
void CADORecordset::MoveFirst() { m_pRecordset->MoveFirst(); }
void CADORecordset::MoveNext() { m_pRecordset->MoveNext(); }
void CADORecordset::MovePrevious() { m_pRecordset->MovePrevious(); }
void CADORecordset::MoveLast() { m_pRecordset->MoveLast(); }
long CADORecordset::GetAbsolutePage() { return m_pRecordset->GetAbsolutePage(); }
void CADORecordset::SetAbsolutePage(int page) { m_pRecordset->PutAbsolutePage(page); }
long CADORecordset::GetPageCount() { return m_pRecordset->GetPageCount(); }
long CADORecordset::GetPageSize() { return m_pRecordset->GetPageSize(); }
void CADORecordset::SetPageSize(int size) { m_pRecordset->PutPageSize(size); }
long CADORecordset::GetAbsolutePosition() { return m_pRecordset->GetAbsolutePosition(); }
void CADORecordset::SetAbsolutePosition(int position) { m_pRecordset->PutAbsolutePosition(position); }
std::uint32_t CADORecordset::GetRecordCount() { return NUVDb::CountRecords(m_pRecordset); }
long CADORecordset::GetFieldCount() { return m_pRecordset->GetFields()->GetCount(); }

// --- Field objects and their properties (errors give the neutral value, not recorded) ---

FieldPtr CADORecordset::FieldOf(const _variant_t& field) { return m_pRecordset->GetFields()->GetItem(field); }

FieldPtr CADORecordset::GetField(int index) {
    try {
        return FieldOf(Ordinal(index));
    } catch (const _com_error&) {
        return nullptr;
    }
}

FieldPtr CADORecordset::GetField(const char* name) {
    try {
        return FieldOf(Named(name));
    } catch (const _com_error&) {
        return nullptr;
    }
}

FieldsPtr CADORecordset::GetFields() {
    try {
        return m_pRecordset->GetFields();
    } catch (const _com_error&) {
        return nullptr;
    }
}

CString CADORecordset::GetFieldName(int index) {
    try {
        _bstr_t name = FieldOf(Ordinal(index))->GetName();
        return CString(static_cast<const char*>(name));
    } catch (const _com_error&) {
        return CString();
    }
}

template <class T, class F>
T CADORecordset::FieldProperty(const _variant_t& field, T onError, F get) {
    try {
        return get(FieldOf(field));
    } catch (const _com_error&) {
        return onError;
    }
}

int CADORecordset::GetFieldType(int index) {
    return FieldProperty(Ordinal(index), 0, [](const FieldPtr& f) { return static_cast<int>(f->GetType()); });
}
int CADORecordset::GetFieldType(const char* name) {
    return FieldProperty(Named(name), 0, [](const FieldPtr& f) { return static_cast<int>(f->GetType()); });
}
long CADORecordset::GetFieldAttributes(int index) {
    return FieldProperty(Ordinal(index), -1L, [](const FieldPtr& f) { return f->GetAttributes(); });
}
long CADORecordset::GetFieldAttributes(const char* name) {
    return FieldProperty(Named(name), -1L, [](const FieldPtr& f) { return f->GetAttributes(); });
}
long CADORecordset::GetFieldDefineSize(int index) {
    return FieldProperty(Ordinal(index), -1L, [](const FieldPtr& f) { return f->GetDefinedSize(); });
}
long CADORecordset::GetFieldDefineSize(const char* name) {
    return FieldProperty(Named(name), -1L, [](const FieldPtr& f) { return f->GetDefinedSize(); });
}
long CADORecordset::GetFieldActualSize(int index) {
    return FieldProperty(Ordinal(index), -1L, [](const FieldPtr& f) { return f->GetActualSize(); });
}
long CADORecordset::GetFieldActualSize(const char* name) {
    return FieldProperty(Named(name), -1L, [](const FieldPtr& f) { return f->GetActualSize(); });
}

int CADORecordset::GetFieldInfo(const _variant_t& field, CADOFieldInfo* info) {
    FieldPtr f = FieldOf(field);
    std::memset(info, 0, sizeof *info);
    _bstr_t name = f->GetName();
    const char* text = static_cast<const char*>(name);
    CopyName(info->m_strName, text ? text : "");
    info->m_nType = static_cast<std::int16_t>(f->GetType());
    info->m_lDefinedSize = static_cast<std::int32_t>(f->GetDefinedSize());
    info->m_lAttributes = static_cast<std::int32_t>(f->GetAttributes());
    if (!IsEOF()) info->m_lSize = static_cast<std::int32_t>(f->GetActualSize());
    return 1;
}
int CADORecordset::GetFieldInfo(int index, CADOFieldInfo* info) { return GetFieldInfo(Ordinal(index), info); }
int CADORecordset::GetFieldInfo(const char* name, CADOFieldInfo* info) { return GetFieldInfo(Named(name), info); }

// --- Reading values ---

// Values are read from the record set's current record in place (the same value as the field
// object's, without making a field object or a copy for every read) and converted there.
template <class T>
int CADORecordset::ReadValue(int index, T& value, const char* dateFormat) {
    return Guarded([&]() -> int {
        NUVADO::CollectView view;
        m_pRecordset->PeekCollect(index, view);
        if (view.value) return Convert(*view.value, value, dateFormat);
        if (ConvertEngineText(std::string_view(view.utf8, view.bytes), value)) return 1;
        _variant_t v = m_pRecordset->GetCollect(Ordinal(index));
        return Convert(v, value, dateFormat);
    });
}

// By name: the field's ordinal first, then the read by ordinal.
template <class T>
int CADORecordset::ReadNamed(const char* name, T& value, const char* dateFormat) {
    long index = -1;
    if (!Guarded([&]() -> int {
            index = m_pRecordset->FieldOrdinal(name ? name : "");
            return 1;
        }))
        return 0;
    return ReadValue(static_cast<int>(index), value, dateFormat);
}

int CADORecordset::GetFieldValue(int index, double& value) { return ReadValue(index, value); }
int CADORecordset::GetFieldValue(const char* name, double& value) { return ReadNamed(name, value); }
int CADORecordset::GetFieldValue(int index, long& value) { return ReadValue(index, value); }
int CADORecordset::GetFieldValue(const char* name, long& value) { return ReadNamed(name, value); }
int CADORecordset::GetFieldValue(int index, int& value) { return ReadValue(index, value); }
int CADORecordset::GetFieldValue(const char* name, int& value) { return ReadNamed(name, value); }
int CADORecordset::GetFieldValue(int index, bool& value) { return ReadValue(index, value); }
int CADORecordset::GetFieldValue(const char* name, bool& value) { return ReadNamed(name, value); }
int CADORecordset::GetFieldValue(int index, COleDateTime& value) { return ReadValue(index, value); }
int CADORecordset::GetFieldValue(const char* name, COleDateTime& value) { return ReadNamed(name, value); }
int CADORecordset::GetFieldValue(int index, COleCurrency& value) { return ReadValue(index, value); }
int CADORecordset::GetFieldValue(const char* name, COleCurrency& value) { return ReadNamed(name, value); }
int CADORecordset::GetFieldValue(int index, _variant_t& value) { return ReadValue(index, value); }
int CADORecordset::GetFieldValue(const char* name, _variant_t& value) { return ReadNamed(name, value); }
int CADORecordset::GetFieldValue(int index, CString& value, CString dateFormat) {
    return ReadValue(index, value, dateFormat.GetString());
}
int CADORecordset::GetFieldValue(const char* name, CString& value, CString dateFormat) {
    return ReadNamed(name, value, dateFormat.GetString());
}

int CADORecordset::TestField(const _variant_t& field, bool emptyToo) {
    return Guarded([&]() -> int {
        _variant_t v = m_pRecordset->GetCollect(field);
        return v.vt == VT_NULL || (emptyToo && v.vt == VT_EMPTY) ? 1 : 0;
    });
}

int CADORecordset::IsFieldNull(int index) { return TestField(Ordinal(index), false); }
int CADORecordset::IsFieldNull(const char* name) { return TestField(Named(name), false); }
int CADORecordset::IsFieldEmpty(int index) { return TestField(Ordinal(index), true); }
int CADORecordset::IsFieldEmpty(const char* name) { return TestField(Named(name), true); }

// --- Writing values ---

int CADORecordset::PutFieldValue(const _variant_t& field, const _variant_t& value) {
    if (m_nEditStatus == dbEditNone) return 0;
    try {
        FieldOf(field)->PutValue(value);
        return 1;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
}

namespace {

_variant_t Wrap(int value) { return _variant_t(static_cast<short>(value)); }  // low 16 bits
_variant_t Wrap(long value) { return _variant_t(value, VT_I4); }
_variant_t Wrap(unsigned long value) { return _variant_t(value); }
_variant_t Wrap(double value) { return _variant_t(value); }
_variant_t Wrap(const COleDateTime& value) { return _variant_t(static_cast<DATE>(value), VT_DATE); }
_variant_t Wrap(bool value) { return _variant_t(value); }
_variant_t Wrap(const COleCurrency& value) { return _variant_t(static_cast<CY>(value)); }
_variant_t Wrap(const CString& value) {
    if (value.IsEmpty()) {
        _variant_t null;
        null.vt = VT_NULL;
        return null;
    }
    return _variant_t(value);
}

}  // namespace

int CADORecordset::SetFieldValue(int index, int value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, int value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, long value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, long value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, unsigned long value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, unsigned long value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, double value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, double value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, COleDateTime value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, COleDateTime value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, bool value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, bool value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, COleCurrency value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, COleCurrency value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, CString value) { return PutFieldValue(Ordinal(index), Wrap(value)); }
int CADORecordset::SetFieldValue(const char* name, CString value) { return PutFieldValue(Named(name), Wrap(value)); }
int CADORecordset::SetFieldValue(int index, const _variant_t& value) { return PutFieldValue(Ordinal(index), value); }
int CADORecordset::SetFieldValue(const char* name, const _variant_t& value) { return PutFieldValue(Named(name), value); }
int CADORecordset::SetFieldEmpty(int index) { return PutFieldValue(Ordinal(index), _variant_t()); }
int CADORecordset::SetFieldEmpty(const char* name) { return PutFieldValue(Named(name), _variant_t()); }

// --- Editing ---

int CADORecordset::AddNew() {
    m_nEditStatus = dbEditNone;
    if (m_pRecordset->AddNew() != S_OK) return 0;
    m_nEditStatus = dbEditNew;
    return 1;
}

int CADORecordset::Update() {
    if (m_nEditStatus == dbEditNone) return 1;
    int result = 1;
    try {
        if (m_pRecordset->Update() != S_OK) result = 0;
    } catch (const _com_error& e) {
        dump_com_error(e);
        result = 0;
    }
    if (result == 0) m_pRecordset->CancelUpdate();
    m_nEditStatus = dbEditNone;
    return result;
}

void CADORecordset::CancelUpdate() {
    m_pRecordset->CancelUpdate();
    m_nEditStatus = dbEditNone;
}

int CADORecordset::Delete() {
    if (m_pRecordset->Delete(adAffectCurrent) != S_OK) return 0;
    if (m_pRecordset->Update() != S_OK) return 0;
    m_nEditStatus = dbEditNone;
    return 1;
}

// --- Find, bookmarks, filter and sort ---

int CADORecordset::Find(const char* criteria, int direction) {
    m_strFind = criteria ? criteria : "";
    m_nSearchDirection = direction;
    const _variant_t fromCurrent("");
    if (direction == searchForward) {
        m_pRecordset->Find(_bstr_t(m_strFind.GetString()), 0, adSearchForward, fromCurrent);
        if (IsEOF()) return 0;
    } else if (direction == searchBackward) {
        m_pRecordset->Find(_bstr_t(m_strFind.GetString()), 0, adSearchBackward, fromCurrent);
        if (IsBOF()) return 0;
    } else {
        m_nSearchDirection = searchForward;
        return 0;
    }
    m_varBookmarkFind = m_pRecordset->GetBookmark();
    return 1;
}

int CADORecordset::FindFirst(const char* criteria) {
    MoveFirst();
    return Find(criteria, searchForward);
}

int CADORecordset::FindNext() {
    if (m_nSearchDirection == searchForward) {
        m_pRecordset->Find(_bstr_t(m_strFind.GetString()), 1, adSearchForward, m_varBookmarkFind);
        if (IsEOF()) return 0;
    } else {
        m_pRecordset->Find(_bstr_t(m_strFind.GetString()), 1, adSearchBackward, m_varBookmarkFind);
        if (IsBOF()) return 0;
    }
    m_varBookmarkFind = m_pRecordset->GetBookmark();
    return 1;
}

void CADORecordset::GetBookmark() { m_varBookmark = m_pRecordset->GetBookmark(); }

int CADORecordset::SetBookmark() {
    if (m_varBookmark.vt == VT_EMPTY) return 0;
    m_pRecordset->PutBookmark(m_varBookmark);
    return 1;
}

int CADORecordset::SetFilter(const char* criteria) {
    return Guarded([&]() -> int {
        m_pRecordset->PutFilter(_variant_t(criteria ? criteria : ""));
        return 1;
    });
}

int CADORecordset::SetSort(const char* order) {
    return Guarded([&]() -> int {
        m_pRecordset->PutSort(_bstr_t(order ? order : ""));
        return 1;
    });
}

// --- XML, clones and text ---

int CADORecordset::SaveAsXML(const char* path) {
    return Guarded([&]() -> int {
        return m_pRecordset->Save(_variant_t(path ? path : ""), adPersistXML) == S_OK ? 1 : 0;
    });
}

int CADORecordset::OpenXML(const char* path) {
    return Guarded([&]() -> int {
        // A record set read from a file holds no connection, so its own state decides here.
        if (m_pRecordset->GetState() != adStateClosed) {
            if (m_nEditStatus != dbEditNone) CancelUpdate();
            m_pRecordset->PutSort(_bstr_t(""));
            m_pRecordset->Close();
        }
        HRESULT hr = m_pRecordset->Open(_variant_t(path ? path : ""), _variant_t("Provider=MSPersist;"), adOpenForwardOnly,
                                        adLockOptimistic, adCmdFile);
        return hr == S_OK ? 1 : 0;
    });
}

int CADORecordset::Clone(CADORecordset& other) {
    return Guarded([&]() -> int {
        other.m_pRecordset = m_pRecordset->Clone(adLockUnspecified);
        return 1;
    });
}

CString CADORecordset::GetString(const char* columnDelimiter, const char* rowDelimiter, const char*, long rows) {
    CString columns = columnDelimiter && *columnDelimiter ? columnDelimiter : "\t";
    CString lines = rowDelimiter && *rowDelimiter ? rowDelimiter : "\r";
    if (rows == 0) rows = static_cast<long>(GetRecordCount());
    _bstr_t text = m_pRecordset->GetString(adClipString, rows, _bstr_t(columns.GetString()), _bstr_t(lines.GetString()),
                                           _bstr_t(""));
    const char* narrow = static_cast<const char*>(text);
    return CString(narrow ? narrow : "");
}

// --- Long data ---

int CADORecordset::GetChunkCore(const FieldPtr& field, void* buffer) {
    return Guarded([&]() -> int {
        long size = field->GetActualSize();
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (long offset = 0; offset < size; offset += 100) {
            _variant_t piece = field->GetChunk(100);
            if (piece.vt != (VT_ARRAY | VT_UI1) || !piece.parray) break;
            std::size_t n = std::min<std::size_t>({100, piece.parray->rgsabound[0].cElements,
                                                   static_cast<std::size_t>(size - offset)});
            std::memcpy(out + offset, piece.parray->pvData, n);
        }
        return 1;
    });
}

int CADORecordset::GetChunkBytes(const _variant_t& field, void* buffer) {
    FieldPtr f;
    try {
        f = FieldOf(field);
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
    return GetChunkCore(f, buffer);
}

int CADORecordset::GetChunk(int index, void* buffer) { return GetChunkBytes(Ordinal(index), buffer); }
int CADORecordset::GetChunk(const char* name, void* buffer) { return GetChunkBytes(Named(name), buffer); }

int CADORecordset::GetChunkText(const _variant_t& field, CString& text) {
    return Guarded([&]() -> int {
        FieldPtr f = FieldOf(field);
        long size = f->GetActualSize();
        text.Empty();
        for (long offset = 0; offset < size; offset += 100) {
            _variant_t piece = f->GetChunk(100);
            if (piece.vt == (VT_ARRAY | VT_UI1) && piece.parray) {
                text.Append(static_cast<const char*>(piece.parray->pvData),
                            static_cast<int>(std::min<std::uint32_t>(100, piece.parray->rgsabound[0].cElements)));
            } else if (piece.vt == VT_BSTR) {
                // A memo field hands out text pieces rather than bytes.
                _bstr_t s(piece.bstrVal, true);
                text += static_cast<const char*>(s);
            } else {
                break;
            }
        }
        return 1;
    });
}

int CADORecordset::GetChunk(int index, CString& text) { return GetChunkText(Ordinal(index), text); }
int CADORecordset::GetChunk(const char* name, CString& text) { return GetChunkText(Named(name), text); }

int CADORecordset::GetChunkBitmap(const _variant_t& field, CBitmap& bitmap) {
    std::vector<std::uint8_t> blob;
    try {
        FieldPtr f = FieldOf(field);
        if (!(f->GetAttributes() & adFldLong)) return 0;
        long size = f->GetActualSize();
        if (size <= 0) return 0;
        blob.assign(static_cast<std::size_t>(size), 0);
        if (!GetChunkCore(f, blob.data())) return 0;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
    HBITMAP made = NUVDb::BlobToBitmap(blob.data(), blob.size());
    if (!made) return 0;
    bitmap.DeleteObject();
    bitmap.Attach(made);
    return 1;
}

int CADORecordset::GetChunk(int index, CBitmap& bitmap) { return GetChunkBitmap(Ordinal(index), bitmap); }
int CADORecordset::GetChunk(const char* name, CBitmap& bitmap) { return GetChunkBitmap(Named(name), bitmap); }

int CADORecordset::AppendChunkCore(const FieldPtr& field, const void* bytes, unsigned count) {
    return Guarded([&]() -> int {
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, count);
        if (!array) return 0;
        _variant_t data(array);  // VT_ARRAY | VT_UI1, owns the array
        if (count) std::memcpy(array->pvData, bytes, count);
        return field->AppendChunk(data) == S_OK ? 1 : 0;
    });
}

int CADORecordset::AppendChunkBytes(const _variant_t& field, const void* bytes, unsigned count) {
    FieldPtr f;
    try {
        f = FieldOf(field);
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
    return AppendChunkCore(f, bytes, count);
}

int CADORecordset::AppendChunk(int index, const void* bytes, unsigned count) {
    return AppendChunkBytes(Ordinal(index), bytes, count);
}
int CADORecordset::AppendChunk(const char* name, const void* bytes, unsigned count) {
    return AppendChunkBytes(Named(name), bytes, count);
}

int CADORecordset::AppendChunkFile(const _variant_t& field, const char* filePath) {
    FieldPtr f;
    try {
        f = FieldOf(field);
        if (!(f->GetAttributes() & adFldLong)) return 0;
    } catch (const _com_error& e) {
        dump_com_error(e);
        return 0;
    }
    std::string bytes;
    if (!filePath || !NUVWin::ReadFileBytes(filePath, bytes)) return 0;
    if (bytes.size() > 0xFFFFFFFFu) return 0;
    return AppendChunkCore(f, bytes.data(), static_cast<unsigned>(bytes.size()));
}

int CADORecordset::AppendChunk(int index, const char* filePath) { return AppendChunkFile(Ordinal(index), filePath); }
int CADORecordset::AppendChunk(const char* name, const char* filePath) { return AppendChunkFile(Named(name), filePath); }

int CADORecordset::AppendChunkBitmap(const _variant_t& field, HBITMAP bitmap) {
    std::vector<std::uint8_t> blob;
    if (!NUVDb::BitmapToBlob(bitmap, blob)) return 0;
    return AppendChunkBytes(field, blob.data(), static_cast<unsigned>(blob.size()));
}

int CADORecordset::AppendChunk(int index, HBITMAP const& bitmap) { return AppendChunkBitmap(Ordinal(index), bitmap); }
int CADORecordset::AppendChunk(const char* name, HBITMAP const& bitmap) { return AppendChunkBitmap(Named(name), bitmap); }

// --- Record binding ---

// A record set that is not open or a binding naming a field past the last is a platform error:
// recorded like every operation that answers 0, and the binding is then not held.
int CADORecordset::RecordBinding(CADORecordBinding& binding) {
    m_pRecBinding = nullptr;
    const int bound = Guarded([&]() -> int {
        IADORecordBinding* found = nullptr;
        const HRESULT queried = m_pRecordset.QueryInterface(&found);
        if (FAILED(queried)) _com_issue_error(m_pRecordset ? queried : E_POINTER);
        m_pRecBinding.Attach(found);
        const HRESULT hr = m_pRecBinding->BindToRecordset(&binding);
        if (FAILED(hr)) _com_issue_error(hr);
        return 1;
    });
    if (!bound) m_pRecBinding = nullptr;
    return bound;
}

int CADORecordset::AddNew(CADORecordBinding& binding) {
    return Guarded([&]() -> int {
        if (m_pRecBinding->AddNew(&binding) != S_OK) return 0;
        m_pRecBinding->Update(&binding);
        return 1;
    });
}

void CADORecordset::dump_com_error(const _com_error& e) {
    m_strLastError = "Query = " + m_strQuery + "\n" + NUVDb::ErrorReport("CADORecordset", e);
    m_dwLastError = static_cast<std::uint32_t>(e.Error());
}
