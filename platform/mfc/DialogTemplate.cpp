// The resource-script reader for dialogs. The script is tokenised once (preprocessor lines are
// read as they come: #define and #pragma code_page; other directives are skipped); then every
// `name DIALOG` or `name DIALOGEX` statement outside a BEGIN...END block is read, and everything
// else (menus, string tables, version blocks) is stepped over by its block.
#include "mfc/DialogTemplate.h"

#include <QString>

#include <cctype>
#include <cstring>
#include <map>
#include <strings.h>

#include "mfc/CommCtrl.h"
#include "mfc/Text.h"
#include "win/Resource.h"

namespace NUVMfc {
namespace {

struct Symbol {
    const char* name;
    long long value;
};

#define NUV_SYM(x) {#x, static_cast<long long>(x)}
const Symbol kSymbols[] = {
    NUV_SYM(WS_OVERLAPPED), NUV_SYM(WS_POPUP), NUV_SYM(WS_CHILD), NUV_SYM(WS_MINIMIZE), NUV_SYM(WS_VISIBLE),
    NUV_SYM(WS_DISABLED), NUV_SYM(WS_CLIPSIBLINGS), NUV_SYM(WS_CLIPCHILDREN), NUV_SYM(WS_MAXIMIZE),
    NUV_SYM(WS_CAPTION), NUV_SYM(WS_BORDER), NUV_SYM(WS_DLGFRAME), NUV_SYM(WS_VSCROLL), NUV_SYM(WS_HSCROLL),
    NUV_SYM(WS_SYSMENU), NUV_SYM(WS_THICKFRAME), NUV_SYM(WS_GROUP), NUV_SYM(WS_TABSTOP), NUV_SYM(WS_MINIMIZEBOX),
    NUV_SYM(WS_MAXIMIZEBOX), NUV_SYM(WS_OVERLAPPEDWINDOW), NUV_SYM(WS_POPUPWINDOW),
    NUV_SYM(WS_EX_DLGMODALFRAME), NUV_SYM(WS_EX_NOPARENTNOTIFY), NUV_SYM(WS_EX_TOPMOST), NUV_SYM(WS_EX_TRANSPARENT),
    NUV_SYM(WS_EX_TOOLWINDOW), NUV_SYM(WS_EX_WINDOWEDGE), NUV_SYM(WS_EX_CLIENTEDGE), NUV_SYM(WS_EX_CONTROLPARENT),
    NUV_SYM(WS_EX_STATICEDGE),
    NUV_SYM(ES_LEFT), NUV_SYM(ES_CENTER), NUV_SYM(ES_RIGHT), NUV_SYM(ES_MULTILINE), NUV_SYM(ES_UPPERCASE),
    NUV_SYM(ES_LOWERCASE), NUV_SYM(ES_PASSWORD), NUV_SYM(ES_AUTOVSCROLL), NUV_SYM(ES_AUTOHSCROLL), NUV_SYM(ES_NOHIDESEL),
    NUV_SYM(ES_READONLY), NUV_SYM(ES_WANTRETURN), NUV_SYM(ES_NUMBER),
    NUV_SYM(BS_PUSHBUTTON), NUV_SYM(BS_DEFPUSHBUTTON), NUV_SYM(BS_CHECKBOX), NUV_SYM(BS_AUTOCHECKBOX),
    NUV_SYM(BS_RADIOBUTTON), NUV_SYM(BS_3STATE), NUV_SYM(BS_AUTO3STATE), NUV_SYM(BS_GROUPBOX), NUV_SYM(BS_AUTORADIOBUTTON),
    NUV_SYM(BS_OWNERDRAW), NUV_SYM(BS_LEFT), NUV_SYM(BS_RIGHT), NUV_SYM(BS_CENTER), NUV_SYM(BS_FLAT),
    NUV_SYM(SS_LEFT), NUV_SYM(SS_CENTER), NUV_SYM(SS_RIGHT), NUV_SYM(SS_SIMPLE), NUV_SYM(SS_LEFTNOWORDWRAP),
    NUV_SYM(SS_NOPREFIX), NUV_SYM(SS_NOTIFY), NUV_SYM(SS_CENTERIMAGE), NUV_SYM(SS_SUNKEN),
    NUV_SYM(CBS_SIMPLE), NUV_SYM(CBS_DROPDOWN), NUV_SYM(CBS_DROPDOWNLIST), NUV_SYM(CBS_AUTOHSCROLL), NUV_SYM(CBS_SORT),
    NUV_SYM(CBS_HASSTRINGS),
    NUV_SYM(DS_SETFONT), NUV_SYM(DS_MODALFRAME), NUV_SYM(DS_3DLOOK), NUV_SYM(DS_FIXEDSYS), NUV_SYM(DS_CONTROL),
    NUV_SYM(DS_CENTER), NUV_SYM(DS_SHELLFONT),
    NUV_SYM(LVS_ICON), NUV_SYM(LVS_REPORT), NUV_SYM(LVS_SMALLICON), NUV_SYM(LVS_LIST), NUV_SYM(LVS_SINGLESEL),
    NUV_SYM(LVS_SHOWSELALWAYS), NUV_SYM(LVS_SORTASCENDING), NUV_SYM(LVS_SORTDESCENDING), NUV_SYM(LVS_SHAREIMAGELISTS),
    NUV_SYM(LVS_NOLABELWRAP), NUV_SYM(LVS_AUTOARRANGE), NUV_SYM(LVS_EDITLABELS), NUV_SYM(LVS_OWNERDATA),
    NUV_SYM(LVS_NOSCROLL), NUV_SYM(LVS_NOCOLUMNHEADER), NUV_SYM(LVS_NOSORTHEADER),
    NUV_SYM(HDS_HORZ), NUV_SYM(HDS_BUTTONS), NUV_SYM(HDS_HOTTRACK), NUV_SYM(HDS_HIDDEN), NUV_SYM(HDS_DRAGDROP),
    NUV_SYM(HDS_FULLDRAG), NUV_SYM(HDS_FLAT),
    NUV_SYM(DTS_UPDOWN), NUV_SYM(DTS_SHOWNONE), NUV_SYM(DTS_SHORTDATEFORMAT), NUV_SYM(DTS_LONGDATEFORMAT),
    NUV_SYM(DTS_TIMEFORMAT), NUV_SYM(DTS_RIGHTALIGN),
    NUV_SYM(IDOK), NUV_SYM(IDCANCEL), NUV_SYM(IDABORT), NUV_SYM(IDRETRY), NUV_SYM(IDIGNORE), NUV_SYM(IDYES),
    NUV_SYM(IDNO), NUV_SYM(IDCLOSE), NUV_SYM(IDHELP), {"IDC_STATIC", -1},
};
#undef NUV_SYM

const struct {
    const char* name;
    const char* value;
} kClassNames[] = {{"WC_LISTVIEW", WC_LISTVIEW},         {"WC_LISTVIEWA", WC_LISTVIEW}, {"WC_HEADER", WC_HEADER},
                   {"WC_HEADERA", WC_HEADER},            {"DATETIMEPICK_CLASS", DATETIMEPICK_CLASS},
                   {"DATETIMEPICK_CLASSA", DATETIMEPICK_CLASS}, {"WC_BUTTON", "Button"}, {"WC_EDIT", "Edit"},
                   {"WC_STATIC", "Static"},              {"WC_COMBOBOX", "ComboBox"}};

struct Token {
    enum Kind { End, Name, Number, String, Punct } kind = End;
    std::string text;  // a name, a string's bytes (GBK), or the punctuation
    long long value = 0;
    int line = 0;
};

// A style or number: bits to add and, after NOT, bits to take away.
struct Value {
    long long add = 0;
    long long remove = 0;
};

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(int line, const std::string& what) { throw Failure{"line " + std::to_string(line) + ": " + what}; }

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    std::vector<Token> Tokens() {
        std::vector<Token> out;
        bool lineStart = true;
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == '\n') {
                ++line_, ++pos_, lineStart = true;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
                continue;
            }
            if (c == '/' && Peek(1) == '/') {
                while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                pos_ += 2;
                while (pos_ < s_.size() && !(s_[pos_] == '*' && Peek(1) == '/')) {
                    if (s_[pos_] == '\n') ++line_;
                    ++pos_;
                }
                if (pos_ >= s_.size()) Fail(line_, "comment not closed");
                pos_ += 2;
                continue;
            }
            if (c == '#' && lineStart) {
                Directive();
                continue;
            }
            lineStart = false;
            out.push_back(Next());
        }
        Token end;
        end.line = line_;
        out.push_back(end);
        return out;
    }

    std::map<std::string, long long> defines;

private:
    char Peek(std::size_t ahead) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }

    Token Next() {
        Token t;
        t.line = line_;
        const char c = s_[pos_];
        if (c == '"' || ((c == 'L' || c == 'l') && Peek(1) == '"')) {
            if (c != '"') ++pos_;
            t.kind = Token::String;
            t.text = QuotedString();
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            t.kind = Token::Number;
            std::size_t start = pos_;
            if (c == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
                pos_ += 2;
                while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            } else {
                while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            }
            const std::string digits(s_.substr(start, pos_ - start));
            if (digits == "0x" || digits == "0X") Fail(line_, "hexadecimal number without digits");
            t.value = static_cast<long long>(std::strtoull(digits.c_str(), nullptr, 0));
            while (pos_ < s_.size() && std::strchr("LlUu", s_[pos_])) ++pos_;
            t.text = digits;
            return t;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.kind = Token::Name;
            std::size_t start = pos_;
            while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) ++pos_;
            t.text = std::string(s_.substr(start, pos_ - start));
            return t;
        }
        if (std::strchr(",|+-()~{}", c)) {
            t.kind = Token::Punct;
            t.text = std::string(1, c);
            ++pos_;
            return t;
        }
        Fail(line_, std::string("unexpected character '") + c + "'");
    }

    std::string QuotedString() {
        const int startLine = line_;
        ++pos_;  // the opening quote
        std::string raw;
        for (;;) {
            if (pos_ >= s_.size() || s_[pos_] == '\n') Fail(startLine, "string not closed");
            char c = s_[pos_++];
            if (c == '"') {
                if (pos_ < s_.size() && s_[pos_] == '"') {
                    raw += '"';
                    ++pos_;
                    continue;
                }
                break;
            }
            if (c == '\\' && pos_ < s_.size()) {
                const char e = s_[pos_++];
                switch (e) {
                    case 'n': raw += '\n'; break;
                    case 't': raw += '\t'; break;
                    case 'r': raw += '\r'; break;
                    case 'a': raw += '\x08'; break;
                    case '\\': raw += '\\'; break;
                    case '"': raw += '"'; break;
                    default: raw += '\\', raw += e; break;
                }
                continue;
            }
            // A GBK trail byte may be a backslash or a quote; it belongs to its character.
            if (!utf8_ && static_cast<unsigned char>(c) >= 0x81 && pos_ < s_.size() && s_[pos_] != '\n') {
                raw += c;
                raw += s_[pos_++];
                continue;
            }
            raw += c;
        }
        if (!utf8_) return raw;
        CString gbk;
        if (!FromQString(QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())), gbk))
            Fail(startLine, "the text has a character that GBK cannot hold");
        return gbk.str();
    }

    void Directive() {
        std::size_t end = s_.find('\n', pos_);
        if (end == std::string_view::npos) end = s_.size();
        std::string line(s_.substr(pos_ + 1, end - pos_ - 1));
        pos_ = end;
        std::size_t i = 0;
        auto skipSpace = [&] {
            while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        };
        auto word = [&] {
            skipSpace();
            std::size_t start = i;
            while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_')) ++i;
            return line.substr(start, i - start);
        };
        const std::string directive = word();
        if (directive == "define") {
            const std::string name = word();
            if (name.empty()) Fail(line_, "#define without a name");
            skipSpace();
            std::string rest = line.substr(i);
            if (auto c = rest.find("//"); c != std::string::npos) rest.resize(c);
            // A definition that is no number (a text, a macro with arguments) is not a dialog's.
            try {
                Reader inner(rest);
                inner.defines = defines;
                inner.line_ = line_;
                std::vector<Token> tokens = inner.Tokens();
                if (tokens.size() == 1) {
                    defines[name] = 1;
                    return;
                }
                std::size_t at = 0;
                Value v = Expression(tokens, at, defines);
                if (tokens[at].kind == Token::End) defines[name] = v.add & ~v.remove;
            } catch (const Failure&) {
            }
        } else if (directive == "pragma") {
            if (line.find("code_page") != std::string::npos) {
                const std::size_t open = line.find('(');
                const long page = open == std::string::npos ? 0 : std::strtol(line.c_str() + open + 1, nullptr, 10);
                if (page == 65001) utf8_ = true;
                else if (page == 936) utf8_ = false;
                else Fail(line_, "code page " + std::to_string(page) + " is not supported (936 or 65001)");
            }
        }
    }

public:
    static Value Expression(const std::vector<Token>& t, std::size_t& at, const std::map<std::string, long long>& defs) {
        Value v = Unary(t, at, defs);
        while (t[at].kind == Token::Punct && (t[at].text == "|" || t[at].text == "+" || t[at].text == "-")) {
            const std::string op = t[at++].text;
            Value r = Unary(t, at, defs);
            if (op == "-") v.add -= r.add;
            else if (op == "+" && !r.remove && !v.remove) v.add += r.add;
            else v.add |= r.add;
            v.remove |= r.remove;
        }
        return v;
    }

    static Value Unary(const std::vector<Token>& t, std::size_t& at, const std::map<std::string, long long>& defs) {
        const Token& k = t[at];
        if (k.kind == Token::Name && strcasecmp(k.text.c_str(), "NOT") == 0) {
            ++at;
            Value inner = Unary(t, at, defs);
            return Value{0, inner.add};
        }
        if (k.kind == Token::Punct && (k.text == "-" || k.text == "~")) {
            ++at;
            Value inner = Unary(t, at, defs);
            return Value{k.text == "-" ? -inner.add : ~inner.add, 0};
        }
        if (k.kind == Token::Punct && k.text == "(") {
            ++at;
            Value inner = Expression(t, at, defs);
            if (t[at].kind != Token::Punct || t[at].text != ")") Fail(t[at].line, "')' expected");
            ++at;
            return inner;
        }
        if (k.kind == Token::Number) {
            ++at;
            return Value{k.value, 0};
        }
        if (k.kind == Token::Name) {
            ++at;
            if (auto d = defs.find(k.text); d != defs.end()) return Value{d->second, 0};
            for (const Symbol& s : kSymbols) {
                if (k.text == s.name) return Value{s.value, 0};
            }
            Fail(k.line, "unknown name '" + k.text + "'");
        }
        Fail(k.line, k.kind == Token::End ? "a number was expected at the end" : "a number was expected before '" + k.text + "'");
    }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool utf8_ = false;
};

bool IsBlockStart(const Token& t) {
    return (t.kind == Token::Name && strcasecmp(t.text.c_str(), "BEGIN") == 0) || (t.kind == Token::Punct && t.text == "{");
}
bool IsBlockEnd(const Token& t) {
    return (t.kind == Token::Name && strcasecmp(t.text.c_str(), "END") == 0) || (t.kind == Token::Punct && t.text == "}");
}
bool Is(const Token& t, const char* word) { return t.kind == Token::Name && strcasecmp(t.text.c_str(), word) == 0; }

struct Arg {
    bool isString = false;
    std::string text;
    Value value;
    int line = 0;
};

class DialogReader {
public:
    DialogReader(const std::vector<Token>& t, const std::map<std::string, long long>& defs) : t_(t), defs_(defs) {}

    std::vector<DialogTemplate> All() {
        std::vector<DialogTemplate> out;
        int depth = 0;
        while (t_[at_].kind != Token::End) {
            const Token& k = t_[at_];
            if (IsBlockStart(k)) {
                ++depth, ++at_;
                continue;
            }
            if (IsBlockEnd(k)) {
                if (depth == 0) Fail(k.line, "END without BEGIN");
                --depth, ++at_;
                continue;
            }
            if (depth == 0 && (k.kind == Token::Name || k.kind == Token::Number) &&
                (Is(t_[at_ + 1], "DIALOG") || Is(t_[at_ + 1], "DIALOGEX"))) {
                out.push_back(Dialog());
                continue;
            }
            ++at_;
        }
        if (depth) Fail(t_[at_].line, "BEGIN without END");
        return out;
    }

private:
    std::vector<Arg> Args() {
        std::vector<Arg> args;
        for (;;) {
            Arg a;
            a.line = t_[at_].line;
            if (t_[at_].kind == Token::String) {
                a.isString = true;
                a.text = t_[at_++].text;
            } else if (t_[at_].kind == Token::Name && ClassName(t_[at_].text)) {
                a.isString = true;
                a.text = ClassName(t_[at_++].text);
            } else {
                a.value = Reader::Expression(t_, at_, defs_);
            }
            args.push_back(a);
            if (t_[at_].kind != Token::Punct || t_[at_].text != ",") return args;
            ++at_;
        }
    }

    static const char* ClassName(const std::string& name) {
        for (const auto& c : kClassNames) {
            if (name == c.name) return c.value;
        }
        return nullptr;
    }

    static int Number(const Arg& a, const char* what) {
        if (a.isString) Fail(a.line, std::string(what) + " must be a number");
        return static_cast<int>(a.value.add & ~a.value.remove);
    }

    DialogTemplate Dialog() {
        DialogTemplate d;
        const Token& name = t_[at_++];
        d.name = name.text;
        if (name.kind == Token::Number) d.number = static_cast<int>(name.value);
        else if (auto it = defs_.find(name.text); it != defs_.end()) d.number = static_cast<int>(it->second);
        ++at_;  // DIALOG / DIALOGEX
        std::vector<Arg> rect = Args();
        if (rect.size() < 4) Fail(name.line, "the dialog needs x, y, width and height");
        d.x = Number(rect[0], "x"), d.y = Number(rect[1], "y"), d.cx = Number(rect[2], "width"),
        d.cy = Number(rect[3], "height");
        while (!IsBlockStart(t_[at_])) {
            const Token& k = t_[at_];
            if (k.kind == Token::End) Fail(k.line, "BEGIN expected for dialog " + std::string(d.name));
            ++at_;
            if (Is(k, "STYLE")) {
                Value v = Reader::Expression(t_, at_, defs_);
                d.style = static_cast<DWORD>(v.add & ~v.remove);
            } else if (Is(k, "EXSTYLE")) {
                Value v = Reader::Expression(t_, at_, defs_);
                d.exStyle = static_cast<DWORD>(v.add & ~v.remove);
            } else if (Is(k, "CAPTION")) {
                if (t_[at_].kind != Token::String) Fail(k.line, "CAPTION needs a text in quotes");
                d.caption = t_[at_++].text;
                d.style |= WS_CAPTION;
            } else if (Is(k, "FONT")) {
                std::vector<Arg> f = Args();
                if (f.size() < 2 || !f[1].isString) Fail(k.line, "FONT needs a size and a face name");
                d.pointSize = Number(f[0], "the font size");
                d.fontName = f[1].text;
                if (f.size() > 2) d.weight = Number(f[2], "the font weight");
                if (f.size() > 3) d.italic = Number(f[3], "italic") != 0;
                d.style |= DS_SETFONT;
            } else if (Is(k, "LANGUAGE") || Is(k, "CLASS") || Is(k, "MENU") || Is(k, "CHARACTERISTICS") ||
                       Is(k, "VERSION")) {
                Args();
            } else {
                Fail(k.line, "'" + k.text + "' is no dialog option");
            }
        }
        ++at_;  // BEGIN
        while (!IsBlockEnd(t_[at_])) {
            if (t_[at_].kind == Token::End) Fail(t_[at_].line, "END expected for dialog " + std::string(d.name));
            d.items.push_back(Control());
        }
        ++at_;  // END
        return d;
    }

    DialogItem Control() {
        const Token& k = t_[at_++];
        if (k.kind != Token::Name) Fail(k.line, "a control statement was expected before '" + k.text + "'");
        struct Kind {
            const char* keyword;
            const char* cls;
            DWORD style;
            bool hasText;
        };
        static const Kind kinds[] = {
            {"LTEXT", "Static", SS_LEFT | WS_GROUP, true},
            {"RTEXT", "Static", SS_RIGHT | WS_GROUP, true},
            {"CTEXT", "Static", SS_CENTER | WS_GROUP, true},
            {"PUSHBUTTON", "Button", BS_PUSHBUTTON | WS_TABSTOP, true},
            {"DEFPUSHBUTTON", "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, true},
            {"CHECKBOX", "Button", BS_CHECKBOX | WS_TABSTOP, true},
            {"AUTOCHECKBOX", "Button", BS_AUTOCHECKBOX | WS_TABSTOP, true},
            {"RADIOBUTTON", "Button", BS_RADIOBUTTON, true},
            {"AUTORADIOBUTTON", "Button", BS_AUTORADIOBUTTON, true},
            {"STATE3", "Button", BS_3STATE | WS_TABSTOP, true},
            {"AUTO3STATE", "Button", BS_AUTO3STATE | WS_TABSTOP, true},
            {"GROUPBOX", "Button", BS_GROUPBOX, true},
            {"EDITTEXT", "Edit", ES_LEFT | WS_BORDER | WS_TABSTOP, false},
            {"COMBOBOX", "ComboBox", CBS_SIMPLE | WS_TABSTOP, false},
        };
        std::vector<Arg> a = Args();
        DialogItem item{};
        DWORD base = WS_CHILD | WS_VISIBLE;
        std::size_t i = 0;
        if (Is(k, "CONTROL")) {
            if (a.size() < 8) Fail(k.line, "CONTROL needs text, id, class, style, x, y, width and height");
            item.text = a[0].isString ? a[0].text : std::to_string(Number(a[0], "the text"));
            item.id = Number(a[1], "the control id");
            if (!a[2].isString) Fail(a[2].line, "the control class must be a name in quotes");
            item.className = a[2].text;
            item.style = static_cast<DWORD>((base | a[3].value.add) & ~a[3].value.remove);
            i = 4;
        } else {
            const Kind* kind = nullptr;
            for (const Kind& kk : kinds) {
                if (Is(k, kk.keyword)) kind = &kk;
            }
            if (!kind) {
                if (Is(k, "LISTBOX") || Is(k, "SCROLLBAR") || Is(k, "ICON") || Is(k, "PUSHBOX"))
                    Fail(k.line, "the control " + k.text + " is not supported");
                Fail(k.line, "'" + k.text + "' is no control statement");
            }
            item.className = kind->cls;
            if (kind->hasText) {
                if (a.empty() || !a[0].isString) Fail(k.line, k.text + " needs a text in quotes first");
                item.text = a[0].text;
                i = 1;
            }
            if (a.size() < i + 5) Fail(k.line, k.text + " needs an id, x, y, width and height");
            item.id = Number(a[i], "the control id");
            ++i;
            item.style = base | kind->style;
            if (a.size() > i + 4)
                item.style = static_cast<DWORD>((item.style | a[i + 4].value.add) & ~a[i + 4].value.remove);
            if (a.size() > i + 5) item.exStyle = static_cast<DWORD>(Number(a[i + 5], "the extended style"));
            item.x = Number(a[i], "x"), item.y = Number(a[i + 1], "y"), item.cx = Number(a[i + 2], "width"),
            item.cy = Number(a[i + 3], "height");
            return item;
        }
        if (a.size() < i + 4) Fail(k.line, "x, y, width and height expected");
        item.x = Number(a[i], "x"), item.y = Number(a[i + 1], "y"), item.cx = Number(a[i + 2], "width"),
        item.cy = Number(a[i + 3], "height");
        if (a.size() > i + 4) item.exStyle = static_cast<DWORD>(Number(a[i + 4], "the extended style"));
        return item;
    }

    const std::vector<Token>& t_;
    const std::map<std::string, long long>& defs_;
    std::size_t at_ = 0;
};

}  // namespace

DialogTemplate& DialogTemplate::Add(LPCSTR className, LPCSTR text, DWORD itemStyle, int ix, int iy, int icx, int icy,
                                    int id, DWORD itemExStyle) {
    items.push_back(DialogItem{className, text ? text : "", itemStyle | WS_CHILD, itemExStyle, ix, iy, icx, icy, id});
    return *this;
}

bool ParseDialogScript(std::string_view script, std::vector<DialogTemplate>& out, std::string& error) {
    try {
        Reader reader(script);
        std::vector<Token> tokens = reader.Tokens();
        DialogReader dialogs(tokens, reader.defines);
        out = dialogs.All();
        return true;
    } catch (const Failure& f) {
        error = f.message;
        return false;
    }
}

bool LoadDialogTemplate(HINSTANCE module, LPCSTR name, DialogTemplate& out, std::string& error) {
    if (!module) module = AfxGetResourceHandle();
    HRSRC res = FindResourceA(module, name, RT_DIALOG);
    if (!res) {
        error = IS_INTRESOURCE(name) ? "no dialog resource " + std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                     : std::string("no dialog resource ") + name;
        return false;
    }
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, res)));
    std::vector<DialogTemplate> all;
    if (!data || !ParseDialogScript(std::string_view(data, SizeofResource(module, res)), all, error)) return false;
    for (DialogTemplate& d : all) {
        const bool match = IS_INTRESOURCE(name) ? d.number == static_cast<int>(reinterpret_cast<ULONG_PTR>(name))
                                                : strcasecmp(d.name, name) == 0;
        if (match) {
            out = std::move(d);
            return true;
        }
    }
    if (all.size() == 1) {
        out = std::move(all.front());
        return true;
    }
    error = all.empty() ? "the dialog resource holds no DIALOG statement" : "the dialog resource holds no statement of that name";
    return false;
}

}  // namespace NUVMfc

namespace {
HINSTANCE g_resources = nullptr;
}

HINSTANCE AfxGetResourceHandle() { return g_resources ? g_resources : GetModuleHandleA(nullptr); }
void AfxSetResourceHandle(HINSTANCE module) { g_resources = module; }
