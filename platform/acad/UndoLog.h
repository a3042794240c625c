// Undo recording of one drawing. Before an object first changes in a stretch of work, a whole
// copy of it is kept; undoing puts that copy back in the object's place, so the object keeps its
// id and handle. A created object is removed again (its id then names nothing). Work is split
// into steps: a command, an UNDO BEgin/End group (one step however many commands it holds), or
// changes made outside any command. Marks sit between steps. Nothing may be open while undoing.
// What the last UNDO undid can be done again (REDO) until anything new is recorded.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "acad/AcDbCore.h"

class AcDbDatabase;
class AcDbObject;

namespace NUVAcad {

struct ObjectStub;

class UndoLog {
public:
    explicit UndoLog(AcDbDatabase* db);
    ~UndoLog();
    UndoLog(const UndoLog&) = delete;
    UndoLog& operator=(const UndoLog&) = delete;

    // ---- Recording (called by the database at its open, close and create points) ----
    bool isRecording() const;
    void objectCreated(ObjectStub* stub);
    void aboutToModify(AcDbObject* obj);
    // A change outside the objects (the view, for instance), how to put it back and how to make
    // it again (without a redo function REDO leaves that change undone).
    void recordCustom(std::function<void()> undo, std::function<void()> redo = nullptr);
    // UNDO Control None (false) forgets everything and records nothing; All (true) records again.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

    // ---- Steps ----
    // A command begins and ends; commands run by a command nest inside it. keep=false (the
    // command failed) undoes what the command changed since it began.
    void beginCommand(const std::string& name);
    void endCommand(bool keep = true);
    int commandDepth() const;
    // UNDO BEgin / End. A BEgin while a group is open ends that group first; End without an open
    // group returns false.
    void beginGroup();
    bool endGroup();
    bool inGroup() const;
    // UNDO Mark, and whether a mark is left to go back to.
    void mark();
    bool hasMark() const;
    // UNDO Back: undoes everything after the latest mark and removes the mark; with no mark,
    // everything recorded. Open commands and groups whose start is undone are closed.
    Acad::ErrorStatus back(std::vector<std::string>* undoneNames = nullptr);
    // UNDO n and U (n = 1): undoes up to n steps, last first; open commands and groups are closed
    // first. Marks that are passed are removed and are not counted. `undone` receives how many
    // steps were undone, and `undoneNames` their names (a command's name, "GROUP", or an empty
    // name for changes made outside commands).
    Acad::ErrorStatus undo(int n, int* undone = nullptr, std::vector<std::string>* undoneNames = nullptr);
    // Steps that can be undone.
    int numSteps() const;
    // REDO: makes again, oldest first, each step the last undo() or back() took back, as steps
    // of their own. Anything recorded after that undo (a command, a mark, a change) forgets
    // them. eNotApplicable when there is nothing to redo.
    Acad::ErrorStatus redo(std::vector<std::string>* redoneNames = nullptr);
    bool canRedo() const { return !redo_.empty(); }

private:
    enum class Kind : uint8_t { Begin, End, Mark, Created, Modified, Custom };
    struct Record {
        explicit Record(Kind k) : kind(k) {}
        Kind kind;
        bool group = false;            // Begin: an UNDO group rather than a command
        ObjectStub* stub = nullptr;    // Created, Modified
        std::unique_ptr<AcDbObject> before;  // Modified: the object as it was
        size_t extra = 0;              // Begin: index of its name; Custom: of its function
    };

    struct Custom {
        std::function<void()> undo, redo;
    };
    // A change as it was before its undo, to be made again: the object's state then (null when
    // it was not there), or a custom change.
    struct RedoChange {
        ObjectStub* stub = nullptr;
        std::unique_ptr<AcDbObject> after;
        Custom custom;
    };
    struct RedoStep {
        std::string name;
        bool bracketed = false, group = false;
        std::vector<RedoChange> changes;  // in the order they were undone
    };

    void boundary();
    void push(Record r);
    void closeOpen();
    void undoRecord(Record& r, RedoStep* redo);
    void undoDownTo(size_t size, RedoStep* redo = nullptr);
    // Undoes the last top-level step above `floor`, keeping it for REDO; false when none is left.
    bool undoLastStep(size_t floor, std::string* name);
    bool canUndoNow() const;
    // Index of the record that starts the last top-level step, or npos.
    size_t lastStepStart(size_t end, std::string* name) const;

    AcDbDatabase* db_;
    bool enabled_ = true;
    bool undoing_ = false;
    std::vector<Record> records_;
    std::vector<std::string> names_;
    std::vector<Custom> customs_;
    std::vector<RedoStep> redo_;  // in the order they were undone
    bool redoing_ = false;
    // Open brackets, innermost last: true for a group; with the record index of their Begin.
    std::vector<std::pair<bool, size_t>> open_;
    // Objects already copied since the last boundary: one copy each is enough.
    std::unordered_set<const ObjectStub*> touched_;
};

// The undo log of a drawing (made when first asked for).
UndoLog& undoLogOf(AcDbDatabase* db);

// The command loop's side: every command run in a document is one step of its drawing's log,
// except UNDO, U and REDO themselves (and their "_", "." and "-" forms), which work on the steps and
// leave none. Each CommandStarted is matched by one CommandEnded with the same name.
void CommandStarted(AcDbDatabase* db, const std::string& name);
void CommandEnded(AcDbDatabase* db, const std::string& name);

}  // namespace NUVAcad
