// Input sources, the text tokeniser and the stack the editor reads from.
#include "acad/InputSource.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "acad/AcEdOutput.h"
#include "acad/MessageLoop.h"

namespace NUVAcad {

// ---- Input ----

Input Input::ofText(std::string gbk) {
    if (gbk.empty()) return enter();
    Input in;
    in.kind = Kind::Text;
    in.text = std::move(gbk);
    return in;
}

Input Input::cancel() {
    Input in;
    in.kind = Kind::Cancel;
    return in;
}

Input Input::end() {
    Input in;
    in.kind = Kind::End;
    return in;
}

Input Input::ofPoint(double x, double y, double z) {
    Input in;
    in.kind = Kind::Point;
    in.point[0] = x;
    in.point[1] = y;
    in.point[2] = z;
    return in;
}

Input Input::ofCursor(double x, double y, double z) {
    Input in = ofPoint(x, y, z);
    in.kind = Kind::Cursor;
    return in;
}

Input Input::ofReal(double v) {
    Input in;
    in.kind = Kind::Real;
    in.real = v;
    return in;
}

Input Input::ofInteger(int v) {
    Input in;
    in.kind = Kind::Integer;
    in.integer = v;
    return in;
}

Input Input::ofEntity(const ads_name e, const ads_point pick) {
    Input in;
    in.kind = Kind::Entity;
    ads_name_set(e, in.name);
    for (int i = 0; i < 3; ++i) in.point[i] = pick ? pick[i] : 0.0;
    return in;
}

Input Input::ofSelectionSet(const ads_name ss) {
    Input in;
    in.kind = Kind::SelectionSet;
    ads_name_set(ss, in.name);
    return in;
}

std::string Input::display() const {
    char buf[96];
    switch (kind) {
    case Kind::Text: return text;
    case Kind::Enter: return std::string();
    case Kind::Cancel: return "*Cancel*";
    case Kind::Point:
        std::snprintf(buf, sizeof buf, "%.6g,%.6g,%.6g", point[0], point[1], point[2]);
        return buf;
    case Kind::Real: std::snprintf(buf, sizeof buf, "%.6g", real); return buf;
    case Kind::Integer: return std::to_string(integer);
    case Kind::Entity: return "<Entity>";
    case Kind::SelectionSet: return "<Selection set>";
    case Kind::End: return std::string();
    case Kind::Cursor: return std::string();
    }
    return std::string();
}

// ---- ScriptedInput ----

ScriptedInput& ScriptedInput::push(Input in) {
    items_.push_back(Item{std::move(in)});
    return *this;
}
ScriptedInput& ScriptedInput::text(std::string gbk) { return push(Input::ofText(std::move(gbk))); }
ScriptedInput& ScriptedInput::cursor(double x, double y, double z) { return push(Input::ofCursor(x, y, z)); }
ScriptedInput& ScriptedInput::enter() { return push(Input::enter()); }
ScriptedInput& ScriptedInput::cancel() { return push(Input::cancel()); }
ScriptedInput& ScriptedInput::point(double x, double y, double z) { return push(Input::ofPoint(x, y, z)); }
ScriptedInput& ScriptedInput::real(double v) { return push(Input::ofReal(v)); }
ScriptedInput& ScriptedInput::integer(int v) { return push(Input::ofInteger(v)); }
ScriptedInput& ScriptedInput::entity(const ads_name e, const ads_point pick) { return push(Input::ofEntity(e, pick)); }
ScriptedInput& ScriptedInput::selectionSet(const ads_name ss) { return push(Input::ofSelectionSet(ss)); }
ScriptedInput& ScriptedInput::wait(unsigned ms) {
    Item it;
    it.isWait = true;
    it.waitMs = ms;
    items_.push_back(std::move(it));
    return *this;
}

std::size_t ScriptedInput::pending() const {
    return static_cast<std::size_t>(std::count_if(items_.begin(), items_.end(), [](const Item& i) { return !i.isWait; }));
}

bool ScriptedInput::exhausted() const {
    // Trailing waits still run when the reader comes by, but they answer nothing.
    return pending() == 0;
}

Input ScriptedInput::read(const InputRequest&) {
    while (!items_.empty()) {
        Item it = std::move(items_.front());
        items_.pop_front();
        if (it.isWait) {
            Wait(it.waitMs);
            continue;
        }
        return it.input;
    }
    return Input::end();
}

// ---- TextInput ----

std::size_t TextInput::expressionEnd(const std::string& s, std::size_t from) {
    int depth = 0;
    for (std::size_t i = from; i < s.size(); ++i) {
        char c = s[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            ++i;  // a double-byte character: its trail byte is never syntax
            continue;
        }
        switch (c) {
        case '"':
            for (++i; i < s.size() && s[i] != '"'; ++i) {
                if (s[i] == '\\' || static_cast<unsigned char>(s[i]) >= 0x80) ++i;
            }
            if (i >= s.size()) return std::string::npos;
            break;
        case ';':
            if (i + 1 < s.size() && s[i + 1] == '|') {
                std::size_t close = s.find("|;", i + 2);
                if (close == std::string::npos) return std::string::npos;
                i = close + 1;
            } else {
                while (i < s.size() && s[i] != '\n') ++i;
            }
            break;
        case '(': ++depth; break;
        case ')':
            if (--depth <= 0) return i + 1;
            break;
        default: break;
        }
    }
    return std::string::npos;
}

bool TextInput::exhausted() const {
    if (ended_) return true;
    if (haveLine_) return false;
    return !moreLines();
}

TextInput::LineStatus TextInput::fetch(const std::string& prompt) {
    if (ended_) return LineStatus::End;
    LineStatus status = readLine(prompt, line_);
    if (status == LineStatus::End) ended_ = true;
    haveLine_ = status == LineStatus::Line;
    pos_ = 0;
    return status;
}

Input TextInput::read(const InputRequest& request) {
    const bool command = request.level == InputRequest::Level::Command;
    if (!haveLine_) {
        for (;;) {
            LineStatus status = fetch(request.prompt);
            if (status == LineStatus::End) return Input::end();
            if (status == LineStatus::Cancel) return Input::cancel();
            if (command && !line_.empty() && line_[0] == ';') {
                haveLine_ = false;
                continue;
            }
            break;
        }
    }
    if (request.spacesAllowed) {
        std::string token = line_.substr(pos_);
        haveLine_ = false;
        return Input::ofText(std::move(token));
    }
    std::size_t open = pos_;
    if (open + 1 < line_.size() && line_[open] == '!' && line_[open + 1] == '(') ++open;
    if (open < line_.size() && line_[open] == '(') {
        // An AutoLISP expression runs to its closing parenthesis, over spaces and lines.
        std::string expr = line_.substr(pos_);
        std::size_t from = open - pos_;
        std::size_t end;
        while ((end = expressionEnd(expr, from)) == std::string::npos) {
            haveLine_ = false;
            LineStatus status = fetch("(_> ");
            if (status == LineStatus::Cancel) return Input::cancel();
            if (status == LineStatus::End) return Input::ofText(std::move(expr));
            expr += '\n';
            expr += line_;
        }
        // What follows on the last line stays input, after one separator.
        std::size_t tail = expr.size() - end;
        pos_ = line_.size() - tail;
        expr.resize(end);
        if (pos_ < line_.size() && line_[pos_] == ' ') ++pos_;
        else if (pos_ >= line_.size()) haveLine_ = false;
        return Input::ofText(std::move(expr));
    }
    std::size_t space = line_.find(' ', pos_);
    if (space == std::string::npos) {
        std::string token = line_.substr(pos_);
        haveLine_ = false;
        return Input::ofText(std::move(token));
    }
    std::string token = line_.substr(pos_, space - pos_);
    pos_ = space + 1;
    return Input::ofText(std::move(token));
}

// ---- ScriptInput ----

ScriptInput::ScriptInput(std::string gbk, bool echo) : text_(std::move(gbk)), echo_(echo) {}

TextInput::LineStatus ScriptInput::readLine(const std::string&, std::string& line) {
    if (next_ >= text_.size()) return LineStatus::End;
    std::size_t nl = text_.find('\n', next_);
    std::size_t end = nl == std::string::npos ? text_.size() : nl;
    line = text_.substr(next_, end - next_);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    next_ = nl == std::string::npos ? text_.size() : nl + 1;
    return LineStatus::Line;
}

// ---- The stack ----

namespace {
InputSource* base = nullptr;
std::vector<InputSource*> stack;
std::deque<std::unique_ptr<InputSource>> queued;
unsigned long cancels = 0;
bool haveCursor = false;
ads_point cursorAt = {0, 0, 0};
}  // namespace

void QueueInput(std::unique_ptr<InputSource> source) {
    if (source) queued.push_back(std::move(source));
}

void ClearQueuedInput() { queued.clear(); }

void SetBaseInput(InputSource* source) { base = source; }
InputSource* BaseInput() { return base; }

InputScope::InputScope(InputSource& source) : source_(&source) { stack.push_back(source_); }

InputScope::~InputScope() {
    auto it = std::find(stack.rbegin(), stack.rend(), source_);
    if (it != stack.rend()) stack.erase(std::next(it).base());
}

namespace {
InputSource* Answering(const InputSource* above = nullptr) {
    auto from = stack.rbegin();
    if (above) {
        auto at = std::find(stack.rbegin(), stack.rend(), above);
        if (at != stack.rend()) from = std::next(at);
    }
    for (auto it = from; it != stack.rend(); ++it)
        if (!(*it)->exhausted()) return *it;
    while (!queued.empty() && queued.front()->exhausted()) queued.pop_front();
    if (!queued.empty()) return queued.front().get();
    if (base && (!base->exhausted() || base->interactive())) return base;
    return nullptr;
}
}  // namespace

bool InputIsInteractive() {
    InputSource* s = Answering();
    return s && s->interactive();
}

Input ReadInput(const InputRequest& request) { return ReadInputBelow(nullptr, request); }

Input ReadInputBelow(const InputSource* above, const InputRequest& request) {
    const bool prompt = request.level == InputRequest::Level::Prompt;
    InputSource* s = Answering(above);
    if (!s) {
        // Nothing left to answer a command's prompt: the command is cancelled.
        if (!prompt) return Input::end();
        ++cancels;
        return Input::cancel();
    }
    Input in = s->read(request);
    while (in.is(Input::Kind::Cursor)) {
        haveCursor = true;
        for (int i = 0; i < 3; ++i) cursorAt[i] = in.point[i];
        if (request.cursorMoves) return in;
        s = Answering(above);
        if (!s) return prompt ? (++cancels, Input::cancel()) : Input::end();
        in = s->read(request);
    }
    if (prompt && in.is(Input::Kind::End)) in = Input::cancel();
    if (in.is(Input::Kind::Cancel)) ++cancels;
    if (!s->interactive() && s->echoes() && !in.is(Input::Kind::End)) {
        // As a person's terminal shows it: the prompt, the answer, and the Enter that ended it.
        WriteOutput(request.prompt);
        WriteOutput(in.display() + "\n");
    }
    in.shown = s->interactive() || s->echoes();
    return in;
}

unsigned long CancelCount() { return cancels; }

bool LastCursor(ads_point where) {
    if (!haveCursor) return false;
    for (int i = 0; i < 3; ++i) where[i] = cursorAt[i];
    return true;
}

void ForgetCursor() { haveCursor = false; }

}  // namespace NUVAcad
