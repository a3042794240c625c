#include "report/ReportMessage.h"

#include "mfc/MessageBox.h"

namespace NUV {

void ShowReportMessage(const CString& text) { AfxMessageBox(text, MB_OK, 0); }

}  // namespace NUV
