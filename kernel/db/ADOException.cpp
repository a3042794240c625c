#include "db/ADOException.h"

IMPLEMENT_DYNAMIC(CADOException, CException)

CADOException::CADOException(int errorCode, CString errorText)
    : CException(TRUE), m_lErrorCode(errorCode), m_strErrorString(errorText) {}

CADOException::~CADOException() = default;

int CADOException::GetError(int errorCode) { return errorCode == 0 ? 0 : 1; }

void AfxThrowADOException(int errorCode, CString errorText) { throw new CADOException(errorCode, errorText); }
