// The Application object and the running-object table: one application registers itself as
// the active one, which GetActiveObject finds until it quits.
#include <cstring>

#include "excel/AppState.h"
#include "excel/Automation.h"

namespace NUVExcel {

namespace {

std::weak_ptr<AppState>& Active() {
    static std::weak_ptr<AppState> a;
    return a;
}

}  // namespace

HRESULT GetActiveObject(const char* progId, IUnknown** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!progId || std::strcmp(progId, "Excel.Application") != 0) return MK_E_UNAVAILABLE;
    std::shared_ptr<AppState> app;
    {
        app = Active().lock();
    }
    if (!app || app->quit) return MK_E_UNAVAILABLE;
    auto* obj = new Excel::_Application(app);
    obj->AddRef();
    *out = obj;
    return S_OK;
}

void RegisterServer(bool installed) {
    if (installed)
        NUVCom::RegisterClass("Excel.Application", []() -> IUnknown* { return new Excel::_Application(); });
    else
        NUVCom::RegisterClass("Excel.Application", []() -> IUnknown* { return nullptr; });
}

namespace {
struct Registrar {
    Registrar() { RegisterServer(true); }
} g_registrar;
}  // namespace

}  // namespace NUVExcel

namespace Excel {

using namespace NUVExcel;

_Application::_Application() : state_(std::make_shared<AppState>()) {
    auto running = Active().lock();
    if (!running || running->quit) Active() = state_;
}

_Application::_Application(std::shared_ptr<AppState> state) : state_(std::move(state)) {}

void _Application::CheckRunning() const {
    if (state_->quit) Disconnected();
}

WorkbooksPtr _Application::GetWorkbooks() {
    CheckRunning();
    return WorkbooksPtr(new Workbooks(state_));
}

VARIANT_BOOL _Application::GetVisible() {
    CheckRunning();
    return state_->visible ? VARIANT_TRUE : VARIANT_FALSE;
}

void _Application::PutVisible(VARIANT_BOOL visible) {
    CheckRunning();
    state_->visible = visible != 0;
}

VARIANT_BOOL _Application::GetDisplayAlerts() {
    CheckRunning();
    return state_->alerts ? VARIANT_TRUE : VARIANT_FALSE;
}

void _Application::PutDisplayAlerts(VARIANT_BOOL alerts) {
    CheckRunning();
    state_->alerts = alerts != 0;
}

long _Application::GetSheetsInNewWorkbook() {
    CheckRunning();
    return state_->sheetsInNewWorkbook;
}

void _Application::PutSheetsInNewWorkbook(long count) {
    CheckRunning();
    if (count < 1 || count > 255) Fail("The number of sheets in a new workbook must be between 1 and 255");
    state_->sheetsInNewWorkbook = count;
}

_bstr_t _Application::GetActivePrinter() {
    CheckRunning();
    return TextBstr(state_->printer);
}

void _Application::PutActivePrinter(const _bstr_t& printer) {
    CheckRunning();
    if (printer.length() == 0) Fail("Unable to set the ActivePrinter property: no printer named");
    state_->printer = printer.utf8();
}

void _Application::Quit() {
    CheckRunning();
    for (auto& b : state_->books) b->data.core->open = false;
    state_->books.clear();
    state_->quit = true;
    if (Active().lock() == state_) Active().reset();
}

}  // namespace Excel
