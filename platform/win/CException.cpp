#include "win/CException.h"

IMPLEMENT_DYNAMIC(CException, CObject)

BOOL CException::GetErrorMessage(char* buffer, UINT bufferSize, UINT* helpContext) const {
    if (helpContext) *helpContext = 0;
    if (buffer && bufferSize) buffer[0] = '\0';
    return FALSE;
}
