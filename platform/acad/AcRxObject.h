// Runtime class descriptions: every database class answers desc(), isA(), isKindOf() and cast(),
// the way the host's code tests and narrows object pointers.
#pragma once

#include <string>

class AcRxClass {
public:
    AcRxClass(const char* name, const char* dxfName, const AcRxClass* parent)
        : name_(name), dxfName_(dxfName ? dxfName : ""), parent_(parent) {}
    const char* name() const { return name_.c_str(); }
    const char* dxfName() const { return dxfName_.c_str(); }
    const AcRxClass* myParent() const { return parent_; }
    bool isDerivedFrom(const AcRxClass* other) const {
        for (const AcRxClass* c = this; c; c = c->parent_)
            if (c == other) return true;
        return false;
    }

private:
    std::string name_;
    std::string dxfName_;
    const AcRxClass* parent_;
};

class AcRxObject {
public:
    virtual ~AcRxObject() = default;
    static const AcRxClass* desc() {
        static const AcRxClass c("AcRxObject", nullptr, nullptr);
        return &c;
    }
    virtual const AcRxClass* isA() const { return desc(); }
    bool isKindOf(const AcRxClass* c) const { return isA()->isDerivedFrom(c); }
    static AcRxObject* cast(AcRxObject* p) { return p; }
};

// Declares desc/isA/cast for a class derived from PARENT; DXFNAME is its entity or object type
// name in drawing files (empty for abstract classes).
#define NUV_ACRX_DECLARE(CLASS, PARENT, DXFNAME)                                          \
public:                                                                                   \
    static const AcRxClass* desc() {                                                      \
        static const AcRxClass c(#CLASS, DXFNAME, PARENT::desc());                        \
        return &c;                                                                        \
    }                                                                                     \
    const AcRxClass* isA() const override { return desc(); }                              \
    static CLASS* cast(AcRxObject* p) {                                                   \
        return p && p->isKindOf(desc()) ? static_cast<CLASS*>(p) : nullptr;               \
    }                                                                                     \
    static const CLASS* cast(const AcRxObject* p) {                                       \
        return p && p->isKindOf(desc()) ? static_cast<const CLASS*>(p) : nullptr;         \
    }
