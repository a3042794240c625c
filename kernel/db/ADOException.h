// The exception other modules throw for database failures: a code and a text, made on the free
// store and thrown as a pointer; the catcher releases it with Delete().
#pragma once

#include <cstdint>

#include "win/CException.h"
#include "win/CString.h"

class CADOException : public CException {
    DECLARE_DYNAMIC(CADOException)

public:
    CADOException(int errorCode = 0, CString errorText = "");
    ~CADOException() override;

    static CRuntimeClass* GetThisClass() { return RUNTIME_CLASS(CADOException); }
    // 0 for no error (code 0), 1 for any other code.
    static int GetError(int errorCode);

    std::int32_t m_lErrorCode;
    CString m_strErrorString;
};

// Throws a new CADOException with the code and a copy of the text.
[[noreturn]] void AfxThrowADOException(int errorCode, CString errorText);
