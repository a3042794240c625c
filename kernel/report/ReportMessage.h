// The report writer's messages: it tells the user only when it cannot start or quit the
// spreadsheet application. The text (GBK) is shown in a modal message box with an OK button alone
// and no help context, which scripts and tests answer like every modal request
// (mfc/ModalAnswers.h); where no display exists at all, it goes to standard error instead.
#pragma once

#include "win/CString.h"

namespace NUV {

void ShowReportMessage(const CString& text);

}  // namespace NUV
