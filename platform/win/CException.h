// The framework's exception base. An exception object lives on the free store and is released
// with Delete(), so a handler can discard it without knowing how it was made.
#pragma once

#include "win/CObject.h"

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
