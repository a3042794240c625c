// The framework's wrappers of graphics objects: a CGdiObject owns the handle attached to it and
// deletes it when it is destroyed; CBitmap is the wrapper of a bitmap handle.
#pragma once

#include "win/CObject.h"
#include "win/Gdi.h"

class CGdiObject : public CObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() override { DeleteObject(); }

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    // Takes ownership of the handle; FALSE when a handle is already attached or none is given.
    BOOL Attach(HGDIOBJ object);
    // Gives up ownership: the handle is returned and no longer deleted by this wrapper.
    HGDIOBJ Detach();
    // Deletes the attached object; FALSE when there is none.
    BOOL DeleteObject();

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    int GetBitmap(BITMAP* out) const { return GetObjectA(m_hObject, sizeof(BITMAP), out); }
};
