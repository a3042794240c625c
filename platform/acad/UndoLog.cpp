// The undo log is one flat list of records: step brackets (Begin/End), marks, and changes. A
// step at the top level is a bracket with everything inside it, or a run of changes made outside
// any bracket. Undoing walks the list backwards, so the oldest copy of an object is put back last
// and wins.
#include "acad/UndoLog.h"

#include <cctype>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbPolylines.h"
#include "acad/DbInternal.h"

namespace NUVAcad {

namespace {
constexpr size_t npos = static_cast<size_t>(-1);
}

// ---- Database side ----

AcDbObject* DbAccess::undoCopy(const AcDbObject* o) {
    AcDbObject* c = o->undoCopy();
    if (!c) return nullptr;
    c->owner_ = o->owner_;
    c->erased_ = o->erased_;
    c->xdict_ = o->xdict_;
    c->reactorIds_ = o->reactorIds_;
    c->syncReactorPtrs();
    return c;
}

void DbAccess::restoreObject(ObjectStub* s, AcDbObject* copy) {
    AcDbObject* live = s->object;
    copy->stub_ = s;
    s->object = copy;
    if (live) {
        live->stub_ = nullptr;
        delete live;
    } else {
        ++s->db->liveObjects_;
    }
}

void DbAccess::removeObject(ObjectStub* s) {
    AcDbObject* live = s->object;
    if (!live) return;
    s->object = nullptr;
    live->stub_ = nullptr;
    delete live;
    --s->db->liveObjects_;
}

void DbAccess::aboutToModify(AcDbObject* o) {
    ObjectStub* s = o->stub_;
    if (!s || !s->db->undoRecording_ || s->db->loading_) return;
    undoLogOf(s->db).aboutToModify(o);
}

void DbAccess::created(ObjectStub* s) {
    if (!s->db->undoRecording_ || s->db->loading_) return;
    undoLogOf(s->db).objectCreated(s);
}

UndoLog& undoLogOf(AcDbDatabase* db) {
    DatabaseStore& st = DbAccess::store(db);
    if (!st.undo) st.undo = std::make_unique<UndoLog>(db);
    return *st.undo;
}

// ---- Recording ----

UndoLog::UndoLog(AcDbDatabase* db) : db_(db) {}
UndoLog::~UndoLog() = default;

bool UndoLog::isRecording() const {
    return enabled_ && !undoing_ && db_->undoRecording() && !DbAccess::isLoading(db_);
}

void UndoLog::boundary() { touched_.clear(); }

void UndoLog::push(Record r) {
    if (r.kind == Kind::Begin || r.kind == Kind::End || r.kind == Kind::Mark) boundary();
    if (!undoing_ && !redoing_) redo_.clear();  // something new: what was undone stays undone
    records_.push_back(std::move(r));
}

void UndoLog::objectCreated(ObjectStub* stub) {
    if (!isRecording()) return;
    touched_.insert(stub);
    Record r{Kind::Created};
    r.stub = stub;
    push(std::move(r));
}

void UndoLog::aboutToModify(AcDbObject* obj) {
    if (!isRecording()) return;
    ObjectStub* stub = DbAccess::stubOf(obj);
    if (!stub || !touched_.insert(stub).second) return;
    AcDbObject* copy = DbAccess::undoCopy(obj);
    if (!copy) return;
    Record r{Kind::Modified};
    r.stub = stub;
    r.before.reset(copy);
    push(std::move(r));
    // A polyline's vertices change with it without being opened: keep them too.
    if (auto* ent = AcDbEntity::cast(obj); ent && ent->subentList())
        for (AcDbObjectId id : ent->subentList()->ids())
            if (AcDbObject* v = DbAccess::peek(id)) aboutToModify(v);
}

void UndoLog::recordCustom(std::function<void()> undo, std::function<void()> redo) {
    if (!isRecording() || !undo) return;
    Record r{Kind::Custom};
    r.extra = customs_.size();
    customs_.push_back(Custom{std::move(undo), std::move(redo)});
    push(std::move(r));
}

void UndoLog::setEnabled(bool enabled) {
    if (!enabled) {
        records_.clear();
        names_.clear();
        customs_.clear();
        redo_.clear();
        open_.clear();
        touched_.clear();
    }
    enabled_ = enabled;
}

// ---- Brackets ----

void UndoLog::beginCommand(const std::string& name) {
    Record r{Kind::Begin};
    r.extra = names_.size();
    names_.push_back(name);
    open_.emplace_back(false, records_.size());
    push(std::move(r));
}

int UndoLog::commandDepth() const {
    int n = 0;
    for (const auto& o : open_) n += o.first ? 0 : 1;
    return n;
}

bool UndoLog::inGroup() const {
    for (const auto& o : open_)
        if (o.first) return true;
    return false;
}

void UndoLog::endCommand(bool keep) {
    size_t k = open_.size();
    while (k > 0 && open_[k - 1].first) --k;
    if (k == 0) return;
    size_t begin = open_[k - 1].second;
    if (!keep && canUndoNow()) {
        undoing_ = true;
        undoDownTo(begin);
        undoing_ = false;
        open_.resize(k - 1);
        boundary();
        return;
    }
    while (open_.size() >= k) {
        open_.pop_back();
        push(Record{Kind::End});
    }
}

void UndoLog::beginGroup() {
    if (inGroup()) endGroup();
    Record r{Kind::Begin};
    r.group = true;
    r.extra = names_.size();
    names_.push_back("GROUP");
    open_.emplace_back(true, records_.size());
    push(std::move(r));
}

bool UndoLog::endGroup() {
    size_t k = open_.size();
    while (k > 0 && !open_[k - 1].first) --k;
    if (k == 0) return false;
    while (open_.size() >= k) {
        open_.pop_back();
        push(Record{Kind::End});
    }
    return true;
}

void UndoLog::closeOpen() {
    while (!open_.empty()) {
        open_.pop_back();
        push(Record{Kind::End});
    }
}

void UndoLog::mark() { push(Record{Kind::Mark}); }

bool UndoLog::hasMark() const {
    for (const Record& r : records_)
        if (r.kind == Kind::Mark) return true;
    return false;
}

// ---- Undoing ----

bool UndoLog::canUndoNow() const { return db_->numOpenObjects() == 0; }

void UndoLog::undoRecord(Record& r, RedoStep* redo) {
    if (redo && (r.kind == Kind::Created || r.kind == Kind::Modified)) {
        RedoChange c;
        c.stub = r.stub;
        if (AcDbObject* live = r.stub->object) c.after.reset(DbAccess::undoCopy(live));
        redo->changes.push_back(std::move(c));
    }
    switch (r.kind) {
    case Kind::Created: DbAccess::removeObject(r.stub); break;
    case Kind::Modified: DbAccess::restoreObject(r.stub, r.before.release()); break;
    case Kind::Custom: {
        Custom& c = customs_[r.extra];
        if (c.undo) c.undo();
        if (redo && c.redo) redo->changes.push_back(RedoChange{nullptr, nullptr, std::move(c)});
        customs_[r.extra] = Custom{};
        break;
    }
    default: break;
    }
}

void UndoLog::undoDownTo(size_t size, RedoStep* redo) {
    while (records_.size() > size) {
        undoRecord(records_.back(), redo);
        records_.pop_back();
    }
}

bool UndoLog::undoLastStep(size_t floor, std::string* name) {
    size_t start = lastStepStart(records_.size(), name);
    if (start == npos || records_.size() <= floor) return false;
    if (start < floor) start = floor;
    RedoStep step;
    if (name) step.name = *name;
    step.bracketed = records_[start].kind == Kind::Begin;
    step.group = step.bracketed && records_[start].group;
    undoDownTo(start, &step);
    redo_.push_back(std::move(step));
    return true;
}

size_t UndoLog::lastStepStart(size_t end, std::string* name) const {
    if (end == 0) return npos;
    const Record& last = records_[end - 1];
    if (last.kind == Kind::End) {
        int depth = 0;
        for (size_t j = end; j-- > 0;) {
            if (records_[j].kind == Kind::End) ++depth;
            else if (records_[j].kind == Kind::Begin && --depth == 0) {
                if (name) *name = names_[records_[j].extra];
                return j;
            }
        }
        return 0;  // an End without its Begin cannot be made; undo all that is left
    }
    if (last.kind == Kind::Begin || last.kind == Kind::Mark) {
        if (name) *name = last.kind == Kind::Begin ? names_[last.extra] : std::string();
        return end - 1;
    }
    size_t j = end - 1;
    while (j > 0) {
        Kind k = records_[j - 1].kind;
        if (k != Kind::Created && k != Kind::Modified && k != Kind::Custom) break;
        --j;
    }
    if (name) name->clear();
    return j;
}

Acad::ErrorStatus UndoLog::undo(int n, int* undone, std::vector<std::string>* undoneNames) {
    if (undone) *undone = 0;
    if (!canUndoNow()) return Acad::eWasOpenForWrite;
    closeOpen();
    redo_.clear();
    undoing_ = true;
    int count = 0;
    while (count < n && !records_.empty()) {
        if (records_.back().kind == Kind::Mark) {
            records_.pop_back();
            continue;
        }
        std::string name;
        undoLastStep(0, &name);
        ++count;
        if (undoneNames) undoneNames->push_back(name);
    }
    undoing_ = false;
    boundary();
    if (undone) *undone = count;
    return Acad::eOk;
}

Acad::ErrorStatus UndoLog::back(std::vector<std::string>* undoneNames) {
    if (!canUndoNow()) return Acad::eWasOpenForWrite;
    size_t target = 0;
    bool found = false;
    for (size_t j = records_.size(); j-- > 0;)
        if (records_[j].kind == Kind::Mark) {
            target = j;
            found = true;
            break;
        }
    if (undoneNames) {
        // The names of the outermost brackets being undone, last first.
        int depth = 0;
        for (size_t j = records_.size(); j-- > target;) {
            if (records_[j].kind == Kind::End) ++depth;
            else if (records_[j].kind == Kind::Begin) {
                if (depth <= 1) undoneNames->push_back(names_[records_[j].extra]);
                if (depth > 0) --depth;
            }
        }
    }
    redo_.clear();
    undoing_ = true;
    const size_t floor = found ? target + 1 : 0;
    for (std::string name; undoLastStep(floor, &name);) {
    }
    if (found) records_.pop_back();
    undoing_ = false;
    while (!open_.empty() && open_.back().second >= records_.size()) open_.pop_back();
    boundary();
    return Acad::eOk;
}

int UndoLog::numSteps() const {
    int count = 0;
    size_t end = records_.size();
    std::vector<std::pair<bool, size_t>> open = open_;
    // Open brackets count as one step each once closed; count them from their Begin.
    while (end > 0) {
        if (records_[end - 1].kind == Kind::Mark) {
            --end;
            continue;
        }
        if (!open.empty() && open.back().second < end) {
            // Everything after the innermost open Begin belongs to it.
            end = open.back().second;
            open.pop_back();
            if (open.empty()) ++count;
            continue;
        }
        size_t start = lastStepStart(end, nullptr);
        ++count;
        end = start;
    }
    return count;
}

Acad::ErrorStatus UndoLog::redo(std::vector<std::string>* redoneNames) {
    if (redo_.empty()) return Acad::eNotApplicable;
    if (!canUndoNow()) return Acad::eWasOpenForWrite;
    std::vector<RedoStep> steps = std::move(redo_);
    redo_.clear();
    redoing_ = true;
    closeOpen();
    for (auto s = steps.rbegin(); s != steps.rend(); ++s) {
        if (s->bracketed) {
            Record b{Kind::Begin};
            b.group = s->group;
            b.extra = names_.size();
            names_.push_back(s->name);
            push(std::move(b));
        } else {
            boundary();
        }
        // Each change is recorded as a command's would be, so U takes the step back again.
        for (auto c = s->changes.rbegin(); c != s->changes.rend(); ++c) {
            if (!c->stub) {
                c->custom.redo();
                recordCustom(c->custom.undo, c->custom.redo);
                continue;
            }
            if (AcDbObject* live = c->stub->object) aboutToModify(live);
            else if (c->after) objectCreated(c->stub);
            if (c->after) DbAccess::restoreObject(c->stub, c->after.release());
            else DbAccess::removeObject(c->stub);
        }
        if (s->bracketed) push(Record{Kind::End});
        boundary();
        if (redoneNames) redoneNames->push_back(s->name);
    }
    redoing_ = false;
    return Acad::eOk;
}

namespace {
bool leavesNoStep(const std::string& name) {
    size_t i = name.find_first_not_of("_.-'");
    if (i == std::string::npos) return true;
    std::string n;
    for (char c : name.substr(i)) n += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return n == "UNDO" || n == "U" || n == "REDO";
}
}  // namespace

void CommandStarted(AcDbDatabase* db, const std::string& name) {
    if (db && !leavesNoStep(name)) undoLogOf(db).beginCommand(name);
}

void CommandEnded(AcDbDatabase* db, const std::string& name) {
    if (db && !leavesNoStep(name)) undoLogOf(db).endCommand(true);
}

}  // namespace NUVAcad
