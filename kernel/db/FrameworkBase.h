// The framework's exception base and bitmap wrapper, in the form the database layer and its
// callers use them: an exception object lives on the free store and is released with Delete();
// a CBitmap owns the bitmap handle attached to it.
#pragma once

#include "win/CObject.h"
#include "win/Gdi.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)

public:
    // With auto-delete on, Delete() frees the object (it was made with new and thrown).
    explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
    ~CException() override = default;

    void Delete() {
        if (m_bAutoDelete) delete this;
    }
    // The text of the failure, for a message; the base has none and returns FALSE.
    virtual BOOL GetErrorMessage(char* buffer, UINT bufferSize, UINT* helpContext = nullptr) const;

    BOOL m_bAutoDelete;
};

class CGdiObject : public CObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() override { DeleteObject(); }

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    // Takes ownership of the handle; FALSE when a handle is already attached or none is given.
    BOOL Attach(HGDIOBJ object);
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
