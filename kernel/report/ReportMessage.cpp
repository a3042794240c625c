#include "report/ReportMessage.h"

#include <cstdio>

#include "win/Encoding.h"

namespace NUV {

namespace {
ReportMessageSink& Sink() {
    static ReportMessageSink sink;
    return sink;
}
}  // namespace

ReportMessageSink SetReportMessageSink(ReportMessageSink sink) {
    ReportMessageSink old = std::move(Sink());
    Sink() = std::move(sink);
    return old;
}

void ShowReportMessage(const CString& text) {
    if (Sink()) {
        Sink()(text);
        return;
    }
    std::fprintf(stderr, "%s\n", NUVWin::GbkToTerminal(text.str()).c_str());
}

}  // namespace NUV
