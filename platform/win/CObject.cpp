#include "win/CObject.h"

#include <cstring>
#include <vector>

namespace {

struct ClassRegistry {
    std::vector<CRuntimeClass*> classes;  // in registration order
};

ClassRegistry& TheRegistry() {
    static ClassRegistry* r = new ClassRegistry;  // modules unregister during their own unload
    return *r;
}

const CClassInit registerCObject(&CObject::classCObject);

}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    if (!base) return FALSE;
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base) return TRUE;
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(const char* className) {
    if (!className) return nullptr;
    ClassRegistry& r = TheRegistry();
    for (CRuntimeClass* c : r.classes)
        if (std::strcmp(c->m_lpszClassName, className) == 0) return c;
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* className) {
    CRuntimeClass* c = FromName(className);
    return c ? c->CreateObject() : nullptr;
}

CClassInit::CClassInit(CRuntimeClass* cls) : cls_(cls) {
    ClassRegistry& r = TheRegistry();
    r.classes.push_back(cls);
}

CClassInit::~CClassInit() {
    ClassRegistry& r = TheRegistry();
    for (auto it = r.classes.begin(); it != r.classes.end(); ++it) {
        if (*it == cls_) {
            r.classes.erase(it);
            return;
        }
    }
}
