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
    if (ref_.sheet->fitToPages) return _variant_t(false);
    return _variant_t(static_cast<long>(ref_.sheet->printZoom));
}

void PageSetup::PutZoom(const _variant_t& zoom) {
    CheckPrinter("Zoom");
    if (zoom.vt == VT_BOOL) {
        if (zoom.boolVal) Fail("Unable to set the Zoom property of the PageSetup class: True is no zoom");
        ref_.book->saved = false;
        ref_.sheet->fitToPages = true;
        return;
    }
    long z = static_cast<long>(zoom);
    if (z < 10 || z > 400) Fail("Unable to set the Zoom property of the PageSetup class: it must be between 10 and 400");
    ref_.book->saved = false;
    ref_.sheet->printZoom = static_cast<int>(z);
    ref_.sheet->fitToPages = false;
}

int PageSetup::Pages(const _variant_t& pages, const char* property) const {
    if (pages.vt == VT_BOOL && !pages.boolVal) return 0;
    const long n = pages.vt == VT_BOOL ? 0 : static_cast<long>(pages);
    if (n < 1 || n > 32767)
        Fail(std::string("Unable to set the ") + property + " property of the PageSetup class: it must be False or 1 to 32767");
    return static_cast<int>(n);
}

_variant_t PageSetup::GetFitToPagesWide() {
    CheckPrinter("FitToPagesWide");
    return ref_.sheet->fitWide ? _variant_t(static_cast<long>(ref_.sheet->fitWide)) : _variant_t(false);
}

void PageSetup::PutFitToPagesWide(const _variant_t& pages) {
    CheckPrinter("FitToPagesWide");
    ref_.sheet->fitWide = Pages(pages, "FitToPagesWide");
    ref_.book->saved = false;
}

_variant_t PageSetup::GetFitToPagesTall() {
    CheckPrinter("FitToPagesTall");
    return ref_.sheet->fitTall ? _variant_t(static_cast<long>(ref_.sheet->fitTall)) : _variant_t(false);
}

void PageSetup::PutFitToPagesTall(const _variant_t& pages) {
    CheckPrinter("FitToPagesTall");
    ref_.sheet->fitTall = Pages(pages, "FitToPagesTall");
    ref_.book->saved = false;
}

XlPageOrientation PageSetup::GetOrientation() {
    CheckPrinter("Orientation");
    return ref_.sheet->landscape ? xlLandscape : xlPortrait;
}

void PageSetup::PutOrientation(XlPageOrientation orientation) {
    CheckPrinter("Orientation");
    if (orientation != xlPortrait && orientation != xlLandscape)
        Fail("Unable to set the Orientation property of the PageSetup class: it must be xlPortrait or xlLandscape");
    ref_.sheet->landscape = orientation == xlLandscape;
    ref_.book->saved = false;
}

}  // namespace Excel
