// Page setup of a sheet. Its properties need a printer, as in the application, so they fail
// when none is active.
#include "excel/AppState.h"
#include "excel/Automation.h"

namespace Excel {

using namespace NUVExcel;

void PageSetup::CheckPrinter(const char* property) const {
    ref_.Check();
    if (ref_.app->printer.empty())
        Fail(std::string("Unable to get the ") + property + " property of the PageSetup class: no printer is installed");
}

_variant_t PageSetup::GetZoom() {
    CheckPrinter("Zoom");
    return _variant_t(static_cast<long>(ref_.sheet->printZoom));
}

void PageSetup::PutZoom(const _variant_t& zoom) {
    CheckPrinter("Zoom");
    long z = static_cast<long>(zoom);
    if (z < 10 || z > 400) Fail("Unable to set the Zoom property of the PageSetup class: it must be between 10 and 400");
    ref_.book->saved = false;
    ref_.sheet->printZoom = static_cast<int>(z);
}

}  // namespace Excel
