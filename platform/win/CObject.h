// The framework's root class and its run-time class records: each class that declares itself
// dynamic gets one static CRuntimeClass naming it, its size, schema, base class and (for
// DYNCREATE classes) a factory. Records register themselves by name when their module is loaded
// and unregister when it is unloaded, so a class can be found and created from its name alone.
#pragma once

#include "win/WinTypes.h"

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;  // 0xFFFF when the class is not serialisable
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* m_pBaseClass;

    // A new object of this class, or null when it has no factory.
    CObject* CreateObject() const;
    // True for this class itself and for every class it derives from.
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;

    // The registered class of that exact name (case matters), or null.
    static CRuntimeClass* FromName(const char* className);
    static CObject* CreateObject(const char* className);
};

// Adds and removes a record from the registry by name; used by the IMPLEMENT_ macros.
struct CClassInit {
    explicit CClassInit(CRuntimeClass* cls);
    ~CClassInit();
    CClassInit(const CClassInit&) = delete;
    CClassInit& operator=(const CClassInit&) = delete;

private:
    CRuntimeClass* cls_;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* cls) const;

    static CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)              \
public:                                          \
    static CRuntimeClass class##class_name;      \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define NUV_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, factory)                                \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), schema,   \
                                                   factory, RUNTIME_CLASS(base_class_name)};                    \
    static const CClassInit nuvClassInit_##class_name(&class_name::class##class_name);                          \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    NUV_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                  \
    CObject* class_name::CreateObject() { return new class_name; }        \
    NUV_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)             \
    CObject* class_name::CreateObject() { return new class_name; }        \
    NUV_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject)
