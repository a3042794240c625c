// Where the report writer's message boxes go. The writer tells the user only when it cannot start
// or quit the spreadsheet application; the text is GBK and the box has an OK button alone. By
// default the text goes to standard error in the terminal's encoding; the host routes it to its
// command line or a dialog, and tests capture it.
#pragma once

#include <functional>

#include "win/CString.h"

namespace NUV {

using ReportMessageSink = std::function<void(const CString& text)>;

// Installs a sink and returns the one it replaces; an empty sink restores standard error.
ReportMessageSink SetReportMessageSink(ReportMessageSink sink);

// Shows a message through the current sink.
void ShowReportMessage(const CString& text);

}  // namespace NUV
