// The queue of answers and the record of requests. The environment's answers are read once, at
// the first request.
#include "mfc/ModalAnswers.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <strings.h>

namespace NUVMfc {
namespace {

struct State {
    std::mutex lock;
    std::deque<ModalAnswer> queued;
    std::deque<INT_PTR> fromEnvironment;
    bool environmentRead = false;
    std::vector<ModalRecord> history;
};

State& TheState() {
    static State* s = new State;
    return *s;
}

void ReadEnvironment(State& s) {
    if (s.environmentRead) return;
    s.environmentRead = true;
    const char* v = std::getenv("NUV_MODAL_ANSWERS");
    if (!v) return;
    std::string all(v), word;
    for (std::size_t i = 0; i <= all.size(); ++i) {
        if (i == all.size() || all[i] == ',') {
            while (!word.empty() && std::isspace(static_cast<unsigned char>(word.back()))) word.pop_back();
            std::size_t start = 0;
            while (start < word.size() && std::isspace(static_cast<unsigned char>(word[start]))) ++start;
            word = word.substr(start);
            INT_PTR r = 0;
            if (!word.empty()) {
                if (ParseModalAnswer(word.c_str(), r)) s.fromEnvironment.push_back(r);
                else std::fprintf(stderr, "nuvmfc: NUV_MODAL_ANSWERS: '%s' is no answer (OK, CANCEL, YES, NO, ABORT, RETRY, IGNORE, CLOSE or a number)\n", word.c_str());
            }
            word.clear();
        } else {
            word += all[i];
        }
    }
}

}  // namespace

bool ParseModalAnswer(const char* word, INT_PTR& result) {
    if (!word || !*word) return false;
    static const struct {
        const char* name;
        INT_PTR value;
    } names[] = {{"OK", IDOK},         {"CANCEL", IDCANCEL}, {"ABORT", IDABORT}, {"RETRY", IDRETRY},
                 {"IGNORE", IDIGNORE}, {"YES", IDYES},       {"NO", IDNO},       {"CLOSE", IDCLOSE}};
    const char* w = word;
    if (strncasecmp(w, "ID", 2) == 0 && !std::isdigit(static_cast<unsigned char>(w[2]))) w += 2;
    for (const auto& n : names) {
        if (strcasecmp(w, n.name) == 0) {
            result = n.value;
            return true;
        }
    }
    char* end = nullptr;
    long long v = std::strtoll(word, &end, 0);
    if (end == word || *end) return false;
    result = static_cast<INT_PTR>(v);
    return true;
}

void QueueModalAnswer(ModalAnswer answer) {
    State& s = TheState();
    std::lock_guard<std::mutex> g(s.lock);
    s.queued.push_back(std::move(answer));
}

void QueueModalAnswer(INT_PTR result) {
    QueueModalAnswer([result](const ModalRequest&) { return result; });
}

std::size_t PendingModalAnswers() {
    State& s = TheState();
    std::lock_guard<std::mutex> g(s.lock);
    return s.queued.size();
}

void ClearModalAnswers() {
    State& s = TheState();
    std::lock_guard<std::mutex> g(s.lock);
    s.queued.clear();
}

std::vector<ModalRecord> ModalHistory() {
    State& s = TheState();
    std::lock_guard<std::mutex> g(s.lock);
    return s.history;
}

void ClearModalHistory() {
    State& s = TheState();
    std::lock_guard<std::mutex> g(s.lock);
    s.history.clear();
}

bool TakeModalAnswer(const ModalRequest& request, INT_PTR& result) {
    ModalAnswer answer;
    {
        State& s = TheState();
        std::lock_guard<std::mutex> g(s.lock);
        if (!s.queued.empty()) {
            answer = std::move(s.queued.front());
            s.queued.pop_front();
        } else {
            ReadEnvironment(s);
            if (s.fromEnvironment.empty()) return false;
            result = s.fromEnvironment.front();
            s.fromEnvironment.pop_front();
            return true;
        }
    }
    // Called outside the lock: the answer may open further modal requests.
    result = answer(request);
    return true;
}

void RecordModal(const ModalRequest& request, INT_PTR result, bool answered) {
    State& s = TheState();
    std::lock_guard<std::mutex> g(s.lock);
    s.history.push_back(ModalRecord{request.kind, request.caption, request.text, request.type, result, answered});
}

}  // namespace NUVMfc
