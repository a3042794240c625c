#include "ado/RowsetXml.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <map>
#include <set>
#include <pugixml.hpp>

#include "ado/FieldTypes.h"
#include "ado/TextConvert.h"
#include "com/OleDateTime.h"

namespace NUVADO {

namespace {

using detail::VariantTextUtf8;

struct XmlType {
    const char* type;
    const char* dbtype;
};

XmlType XmlTypeOf(DataTypeEnum t) {
    switch (t) {
    case adTinyInt: return {"i1", nullptr};
    case adSmallInt: return {"i2", nullptr};
    case adInteger: return {"int", nullptr};
    case adBigInt: return {"i8", nullptr};
    case adUnsignedTinyInt: return {"ui1", nullptr};
    case adUnsignedSmallInt: return {"ui2", nullptr};
    case adUnsignedInt: return {"ui4", nullptr};
    case adUnsignedBigInt: return {"ui8", nullptr};
    case adSingle: return {"r4", nullptr};
    case adDouble: return {"float", nullptr};
    case adCurrency: return {"number", "currency"};
    case adNumeric: case adDecimal: return {"number", "numeric"};
    case adDate: case adDBDate: case adDBTime: case adDBTimeStamp: return {"dateTime", "variantdate"};
    case adBoolean: return {"boolean", nullptr};
    case adGUID: return {"uuid", nullptr};
    case adBinary: case adVarBinary: case adLongVarBinary: return {"bin.hex", nullptr};
    default: return {"string", nullptr};
    }
}

bool IsNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsNameChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '-' || c == '.' || c >= 0x80; }

// Names written as attribute names as they are; any other name (not UTF-8 included) is written
// under a stand-in, with the real one in rs:name.
bool ValidXmlName(const std::string& s) {
    if (s.empty() || !IsNameStart(static_cast<unsigned char>(s[0]))) return false;
    if (NUVWin::FindInvalidUtf8(s) != std::string_view::npos) return false;
    for (char c : s)
        if (!IsNameChar(static_cast<unsigned char>(c))) return false;
    return strncasecmp(s.c_str(), "xml", 3) != 0;
}

// Appends UTF-8 text escaped for an attribute value (tab and line breaks as references, so they
// survive attribute normalisation). False, saying why in `problem`, for text XML 1.0 cannot carry
// in any form: bytes that are not UTF-8, control characters other than those three, U+FFFE and
// U+FFFF. Such text is refused rather than written as a file no XML reader accepts.
bool Escape(std::string& out, std::string_view s, std::string* problem = nullptr) {
    if (std::size_t bad = NUVWin::FindInvalidUtf8(s); bad != std::string_view::npos) {
        if (problem) *problem = "bytes that are not UTF-8 (at byte " + std::to_string(bad + 1) + ")";
        return false;
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\'': out += "&apos;"; break;
        case '"': out += "&quot;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default: {
            auto u = static_cast<unsigned char>(c);
            bool nonCharacter = u == 0xEF && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xBF &&
                                (static_cast<unsigned char>(s[i + 2]) & 0xFE) == 0xBE;
            if (u < 0x20 || nonCharacter) {
                if (problem) {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "the character U+%04X, which XML 1.0 cannot hold",
                                  u < 0x20 ? u : 0xFFFEu + (static_cast<unsigned char>(s[i + 2]) & 1));
                    *problem = buf;
                }
                return false;
            }
            out += c;
        }
        }
    }
    return true;
}

std::string RealText(double d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    if (std::strtod(buf, nullptr) != d) std::snprintf(buf, sizeof buf, "%.17g", d);
    return buf;
}

// The value as the file holds it. Texts are converted strictly: an unpaired surrogate cannot be
// written and is refused (with `problem`) rather than replaced.
std::string ValueText(const VARIANT& v, DataTypeEnum type, std::string* problem) {
    switch (v.vt) {
    case VT_R8: return RealText(v.dblVal);
    case VT_R4: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v.fltVal));
        return buf;
    }
    case VT_DATE: {
        int y, mo, d, h, mi, s;
        if (!NUVCom::DateToParts(v.date, y, mo, d, h, mi, s)) return {};
        char buf[40];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
        return buf;
    }
    case VT_BOOL: return v.boolVal ? "True" : "False";
    case VT_DECIMAL: return NUVCom::DecimalToString(v.decVal);
    default: break;
    }
    if (v.vt == (VT_ARRAY | VT_UI1) && v.parray) {
        static const char hex[] = "0123456789abcdef";
        std::string out;
        const auto* p = static_cast<const unsigned char*>(v.parray->pvData);
        for (std::uint32_t i = 0; i < v.parray->rgsabound[0].cElements; ++i) {
            out += hex[p[i] >> 4];
            out += hex[p[i] & 15];
        }
        return out;
    }
    (void)type;
    if (v.vt == VT_BSTR) {
        std::string out;
        std::size_t bad = 0;
        if (!NUVWin::TryUtf16ToUtf8(std::u16string_view(v.bstrVal, SysStringLen(v.bstrVal)), out, &bad) && problem) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "an unpaired surrogate (U+%04X)", static_cast<unsigned>(v.bstrVal[bad]));
            *problem = buf;
            return {};
        }
        return out;
    }
    return VariantTextUtf8(v);
}

}  // namespace

bool WriteRowsetXml(const Rowset& rs, const std::vector<std::size_t>& rows, bool updatable, std::string& x, std::string* error) {
    x.clear();
    x += "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'\n"
         "\txmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'\n"
         "\txmlns:rs='urn:schemas-microsoft-com:rowset'\n"
         "\txmlns:z='#RowsetSchema'>\n"
         "<s:Schema id='RowsetSchema'>\n";
    x += std::string("\t<s:ElementType name='row' content='eltOnly'") + (updatable ? " rs:updatable='true'" : "") + ">\n";
    // A column whose name cannot be an XML attribute gets a stand-in name (its real name goes in
    // rs:name); the stand-in must not collide with any other column's attribute name.
    std::vector<std::string> attr(rs.columns.size());
    std::set<std::string> taken;
    for (const RowsetColumn& col : rs.columns)
        if (ValidXmlName(col.name)) taken.insert(col.name);
    for (std::size_t c = 0; c < rs.columns.size(); ++c) {
        const RowsetColumn& col = rs.columns[c];
        if (ValidXmlName(col.name)) {
            attr[c] = col.name;
        } else {
            std::size_t n = c;
            do attr[c] = "c" + std::to_string(n++);
            while (!taken.insert(attr[c]).second);
        }
        x += "\t\t<s:AttributeType name='";
        std::string problem;
        if (!Escape(x, attr[c], &problem)) {
            if (error) *error = "the name of field " + std::to_string(c + 1) + " holds " + problem;
            return false;
        }
        x += "'";
        if (attr[c] != col.name) {
            x += " rs:name='";
            if (!Escape(x, col.name, &problem)) {
                if (error) *error = "the name of field " + std::to_string(c + 1) + " holds " + problem;
                return false;
            }
            x += "'";
        }
        x += " rs:number='" + std::to_string(c + 1) + "'";
        if (col.nullable) x += " rs:nullable='true'";
        x += " rs:writeunknown='true'";
        if (!col.baseTable.empty()) {
            x += " rs:basetable='";
            bool ok = Escape(x, col.baseTable, &problem);
            x += "' rs:basecolumn='";
            if (!ok || !Escape(x, col.baseColumn, &problem)) {
                if (error) *error = "the base table or column of field '" + col.name + "' holds " + problem;
                return false;
            }
            x += "'";
        }
        if (col.key) x += " rs:keycolumn='true'";
        if (col.autoIncrement) x += " rs:autoincrement='true'";
        x += ">\n\t\t\t<s:datatype";
        XmlType t = XmlTypeOf(col.type);
        x += std::string(" dt:type='") + t.type + "'";
        if (t.dbtype) x += std::string(" rs:dbtype='") + t.dbtype + "'";
        x += " dt:maxLength='" + std::to_string(col.definedSize) + "'";
        if (col.precision) x += " rs:precision='" + std::to_string(col.precision) + "'";
        if (col.scale) x += " rs:scale='" + std::to_string(col.scale) + "'";
        if (col.attributes & adFldLong) x += " rs:long='true'";
        if (col.attributes & adFldFixed) x += " rs:fixedlength='true'";
        if (!col.nullable) x += " rs:maybenull='false'";
        x += "/>\n\t\t</s:AttributeType>\n";
    }
    x += "\t\t<s:extends type='rs:rowbase'/>\n\t</s:ElementType>\n</s:Schema>\n<rs:data>\n";
    std::size_t n = rs.columns.size();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        std::size_t r = rows[k];
        x += "\t<z:row";
        for (std::size_t c = 0; c < n; ++c) {
            const VARIANT& v = rs.cells[r * n + c];
            if (v.vt == VT_NULL || v.vt == VT_EMPTY) continue;  // a null is an absent attribute
            x += " ";
            Escape(x, attr[c]);
            x += "='";
            std::string problem;
            std::string text = ValueText(v, rs.columns[c].type, &problem);
            if (!problem.empty() || !Escape(x, text, &problem)) {
                if (error) *error = "field '" + rs.columns[c].name + "' of row " + std::to_string(k + 1) + " holds " + problem;
                return false;
            }
            x += "'";
        }
        x += "/>\n";
    }
    x += "</rs:data>\n</xml>\n";
    return true;
}

namespace {

const char* Local(const char* name) {
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

// Attribute by local name (the prefixes vary between writers).
pugi::xml_attribute Attr(const pugi::xml_node& n, const char* local) {
    for (pugi::xml_attribute a : n.attributes())
        if (std::strcmp(Local(a.name()), local) == 0) return a;
    return {};
}

pugi::xml_node Child(const pugi::xml_node& n, const char* local) {
    for (pugi::xml_node c : n.children())
        if (c.type() == pugi::node_element && std::strcmp(Local(c.name()), local) == 0) return c;
    return {};
}

bool Truthy(const pugi::xml_attribute& a) {
    if (!a) return false;
    const char* v = a.value();
    return strcasecmp(v, "true") == 0 || std::strcmp(v, "1") == 0 || std::strcmp(v, "-1") == 0;
}

DataTypeEnum TypeFromXml(const std::string& type, const std::string& dbtype, bool isLong, bool fixed) {
    static const std::map<std::string, DataTypeEnum> simple = {
        {"i1", adTinyInt},       {"i2", adSmallInt},         {"i4", adInteger},        {"int", adInteger},     {"i8", adBigInt},
        {"ui1", adUnsignedTinyInt}, {"ui2", adUnsignedSmallInt}, {"ui4", adUnsignedInt}, {"ui8", adUnsignedBigInt},
        {"r4", adSingle},        {"r8", adDouble},           {"float", adDouble},      {"boolean", adBoolean}, {"uuid", adGUID},
        {"dateTime", adDate},    {"date", adDate},           {"time", adDate},         {"dateTime.tz", adDate},
    };
    auto it = simple.find(type);
    if (it != simple.end()) return it->second;
    if (type == "number") return dbtype == "currency" ? adCurrency : adNumeric;
    if (type == "bin.hex" || type == "bin.base64") return isLong ? adLongVarBinary : adVarBinary;
    if (isLong) return adLongVarWChar;
    return fixed ? adWChar : adVarWChar;
}

bool ParseValue(const char* text, const RowsetColumn& col, _variant_t& out) {
    VARTYPE vt = detail::VariantTypeOf(col.type);
    if (vt == (VT_ARRAY | VT_UI1)) {
        std::size_t n = std::strlen(text);
        if (n % 2) return false;
        std::vector<unsigned char> bytes(n / 2);
        for (std::size_t i = 0; i < n / 2; ++i) {
            unsigned v;
            if (!std::isxdigit(static_cast<unsigned char>(text[2 * i])) || !std::isxdigit(static_cast<unsigned char>(text[2 * i + 1])) ||
                std::sscanf(text + 2 * i, "%2x", &v) != 1)
                return false;
            bytes[i] = static_cast<unsigned char>(v);
        }
        out = _variant_t::FromBytes(bytes.data(), bytes.size());
        return true;
    }
    _variant_t s(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(text))));
    if (vt == VT_BSTR) {
        out = std::move(s);
        return true;
    }
    if (vt == VT_BOOL) {
        if (strcasecmp(text, "true") == 0 || std::strcmp(text, "1") == 0 || std::strcmp(text, "-1") == 0) out = _variant_t(true);
        else if (strcasecmp(text, "false") == 0 || std::strcmp(text, "0") == 0) out = _variant_t(false);
        else return false;
        return true;
    }
    if (vt == VT_DATE) {
        COleDateTime t;
        if (!t.ParseDateTime(text)) {
            // Fractions of seconds are written by some writers: cut them.
            std::string cut = text;
            std::size_t dot = cut.find('.');
            if (dot != std::string::npos) cut.erase(dot);
            if (dot == std::string::npos || !t.ParseDateTime(cut.c_str())) {
                // The engine keeps dates as text, so a date column can hold any text; a record
                // set saved with such a value must open again, giving the text back as it was.
                out = std::move(s);
                return true;
            }
        }
        out = _variant_t(t.m_dt, VT_DATE);
        return true;
    }
    return SUCCEEDED(VariantChangeType(&out, &s, 0, vt));
}

}  // namespace

bool ReadRowsetXml(const std::string& xml, Rowset& out, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        out.columns.clear();
        out.cells.clear();
        return false;
    };
    pugi::xml_document doc;
    pugi::xml_parse_result ok = doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!ok) return fail(std::string("not well-formed XML (") + ok.description() + ")");
    pugi::xml_node root = doc.document_element();
    pugi::xml_node schema = Child(root, "Schema");
    pugi::xml_node element = schema ? Child(schema, "ElementType") : pugi::xml_node();
    if (!element) return fail("no s:Schema with an s:ElementType");
    out.columns.clear();
    out.cells.clear();
    std::vector<std::string> xmlNames;
    std::vector<long> numbers;
    for (pugi::xml_node a : element.children()) {
        if (a.type() != pugi::node_element || std::strcmp(Local(a.name()), "AttributeType") != 0) continue;
        RowsetColumn c;
        std::string xmlName = Attr(a, "name").value();
        if (xmlName.empty()) return fail("an s:AttributeType has no name");
        pugi::xml_attribute real = Attr(a, "name");
        for (pugi::xml_attribute at : a.attributes())
            if (std::strcmp(at.name(), "rs:name") == 0) real = at;
        c.name = real.value();
        pugi::xml_node dtn = Child(a, "datatype");
        auto dtAttr = [&](const char* local) {
            pugi::xml_attribute v = dtn ? Attr(dtn, local) : pugi::xml_attribute();
            return v ? v : Attr(a, local);
        };
        std::string type = dtAttr("type").value();
        std::string dbtype = dtAttr("dbtype").value();
        bool isLong = Truthy(dtAttr("long"));
        bool fixed = Truthy(dtAttr("fixedlength"));
        c.type = type.empty() ? adVarWChar : TypeFromXml(type, dbtype, isLong, fixed);
        c.definedSize = dtAttr("maxLength") ? static_cast<long>(dtAttr("maxLength").as_llong()) : 0;
        c.precision = static_cast<unsigned char>(dtAttr("precision").as_uint());
        c.scale = static_cast<unsigned char>(dtAttr("scale").as_uint());
        pugi::xml_attribute maybenull = dtAttr("maybenull");
        c.nullable = Truthy(Attr(a, "nullable")) || (maybenull && Truthy(maybenull));
        c.baseTable = Attr(a, "basetable").value();
        c.baseColumn = Attr(a, "basecolumn").value();
        c.key = Truthy(Attr(a, "keycolumn"));
        c.autoIncrement = Truthy(Attr(a, "autoincrement"));
        if (fixed) c.attributes |= adFldFixed;
        if (isLong) c.attributes |= adFldLong | adFldMayDefer;
        if (c.nullable) c.attributes |= adFldIsNullable | adFldMayBeNull;
        if (c.key) c.attributes |= adFldKeyColumn;
        if (c.definedSize <= 0) {
            c.definedSize = detail::VariantTypeOf(c.type) == VT_BSTR ? 255 : 8;
        }
        for (const std::string& seen : xmlNames)
            if (seen == xmlName) return fail("field '" + xmlName + "' is declared twice");
        xmlNames.push_back(xmlName);
        numbers.push_back(Attr(a, "number") ? Attr(a, "number").as_int() : static_cast<long>(numbers.size() + 1));
        out.columns.push_back(std::move(c));
    }
    if (out.columns.empty()) return fail("the schema declares no fields");
    // Fields in their rs:number order.
    std::vector<std::size_t> order(out.columns.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return numbers[a] < numbers[b]; });
    std::vector<RowsetColumn> cols;
    std::vector<std::string> names;
    for (std::size_t i : order) {
        cols.push_back(out.columns[i]);
        names.push_back(xmlNames[i]);
    }
    out.columns = std::move(cols);
    pugi::xml_node data = Child(root, "data");
    if (!data) return fail("no rs:data");
    std::size_t n = out.columns.size();
    auto addRow = [&](const pugi::xml_node& row) {
        std::size_t base = out.cells.size();
        out.cells.resize(base + n);
        for (std::size_t c = 0; c < n; ++c) out.cells[base + c].vt = VT_NULL;
        for (pugi::xml_attribute at : row.attributes()) {
            std::size_t c = 0;
            while (c < n && names[c] != at.name()) ++c;
            if (c == n) {
                if (error) *error = std::string("row value for an undeclared field '") + at.name() + "'";
                return false;
            }
            if (!ParseValue(at.value(), out.columns[c], out.cells[base + c])) {
                if (error) *error = "value '" + std::string(at.value()) + "' of field '" + out.columns[c].name + "' does not fit its type";
                return false;
            }
        }
        return true;
    };
    for (pugi::xml_node row : data.children()) {
        if (row.type() != pugi::node_element) continue;
        const char* local = Local(row.name());
        bool good = true;
        if (std::strcmp(local, "row") == 0) {
            good = addRow(row);
        } else if (std::strcmp(local, "insert") == 0) {
            for (pugi::xml_node r : row.children())
                if (r.type() == pugi::node_element && std::strcmp(Local(r.name()), "row") == 0 && !(good = addRow(r))) break;
        } else if (std::strcmp(local, "update") == 0) {
            // The changed row: its new values, completed from the original.
            pugi::xml_node original = Child(row, "original");
            pugi::xml_node orow = original ? Child(original, "row") : pugi::xml_node();
            pugi::xml_node nrow;
            for (pugi::xml_node r : row.children())
                if (r.type() == pugi::node_element && std::strcmp(Local(r.name()), "row") == 0) nrow = r;
            if (orow && !(good = addRow(orow))) break;
            if (nrow) {
                if (!orow) {
                    good = addRow(nrow);
                } else {
                    std::size_t base = out.cells.size() - n;
                    for (pugi::xml_attribute at : nrow.attributes()) {
                        std::size_t c = 0;
                        while (c < n && names[c] != at.name()) ++c;
                        if (c == n || !ParseValue(at.value(), out.columns[c], out.cells[base + c])) {
                            good = false;
                            if (error) *error = std::string("bad updated value for '") + at.name() + "'";
                            break;
                        }
                    }
                }
            }
        } else if (std::strcmp(local, "delete") == 0) {
            continue;  // deleted rows are not part of the record set
        } else {
            return fail(std::string("unexpected element <") + row.name() + "> in rs:data");
        }
        if (!good) {
            std::string why = error ? *error : std::string();
            return fail(why);
        }
    }
    return true;
}

}  // namespace NUVADO
