// Tooltips: the tools are kept here; the tip itself is Qt's tooltip window.
#include "mfc/ToolTipCtrl.h"

#include <QFontMetrics>
#include <QToolTip>

#include "mfc/MfcInternal.h"
#include "mfc/Text.h"

namespace NUVMfc::detail {
namespace {

class ToolTipClass : public WindowClass {
public:
    const char* Name() const override { return TOOLTIPS_CLASS; }
    QWidget* Make(DWORD, DWORD, QWidget* parent) const override {
        auto* w = new QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint);
        w->hide();
        return w;
    }
    bool Fits(const QWidget*) const override { return false; }
};

const ToolTipClass g_toolTipClass;
const bool g_registered = (RegisterClass(&g_toolTipClass), true);

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;

// Breaks lines wider than width pixels between words (or anywhere, for text without blanks).
QString Wrap(const QString& text, int width) {
    if (width <= 0) return text;
    QFontMetrics fm(QToolTip::font());
    QStringList out;
    for (const QString& line : text.split('\n')) {
        QString current;
        for (QChar c : line) {
            QString next = current + c;
            if (fm.horizontalAdvance(next) > width && !current.isEmpty()) {
                const qsizetype blank = current.lastIndexOf(' ');
                if (blank > 0) {
                    out << current.left(blank);
                    current = current.mid(blank + 1) + c;
                } else {
                    out << current;
                    current = c;
                }
            } else {
                current = next;
            }
        }
        out << current;
    }
    return out.join('\n');
}

}  // namespace
}  // namespace NUVMfc::detail

using NUVMfc::detail::kHideTimer;
using NUVMfc::detail::kShowTimer;

BEGIN_MESSAGE_MAP(CToolTipCtrl, CWnd)
ON_WM_TIMER()
END_MESSAGE_MAP()

CToolTipCtrl::CToolTipCtrl() = default;

CToolTipCtrl::~CToolTipCtrl() {
    if (!shown_.IsEmpty()) QToolTip::hideText();
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    return CreateEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | style, CRect(0, 0, 0, 0), parent, 0);
}

CToolTipCtrl::Tool* CToolTipCtrl::Locate(HWND window, UINT_PTR id) {
    for (Tool& t : tools_) {
        if (t.window == window && t.id == id) return &t;
    }
    return nullptr;
}

const CToolTipCtrl::Tool* CToolTipCtrl::Locate(HWND window, UINT_PTR id) const {
    return const_cast<CToolTipCtrl*>(this)->Locate(window, id);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCSTR text, LPCRECT rect, UINT_PTR id) {
    if (!m_hWnd || !wnd || !wnd->m_hWnd) return FALSE;
    QString check;
    if (text && text != LPSTR_TEXTCALLBACK && !NUVMfc::ToQString(text, check)) return FALSE;
    Tool t{wnd->m_hWnd, id, rect == nullptr, rect ? *rect : RECT{0, 0, 0, 0},
           CString(text && text != LPSTR_TEXTCALLBACK ? text : "")};
    if (Tool* old = Locate(t.window, id)) *old = t;
    else tools_.push_back(t);
    return TRUE;
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id) {
    if (!wnd) return;
    for (auto it = tools_.begin(); it != tools_.end(); ++it) {
        if (it->window == wnd->m_hWnd && it->id == id) {
            if (pending_ == &*it) Pop();
            tools_.erase(it);
            return;
        }
    }
}

void CToolTipCtrl::UpdateTipText(LPCSTR text, CWnd* wnd, UINT_PTR id) {
    if (Tool* t = wnd ? Locate(wnd->m_hWnd, id) : nullptr) {
        t->text = text ? text : "";
        if (pending_ == t && !shown_.IsEmpty()) Show();
    }
}

void CToolTipCtrl::GetText(CString& text, CWnd* wnd, UINT_PTR id) const {
    const Tool* t = wnd ? Locate(wnd->m_hWnd, id) : nullptr;
    text = t ? t->text : CString();
}

void CToolTipCtrl::SetToolRect(CWnd* wnd, UINT_PTR id, LPCRECT rect) {
    if (Tool* t = wnd ? Locate(wnd->m_hWnd, id) : nullptr) {
        t->whole = rect == nullptr;
        if (rect) t->rect = *rect;
    }
}

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(tools_.size()); }

void CToolTipCtrl::Activate(BOOL activate) {
    active_ = activate != FALSE;
    if (!active_) Pop();
}

int CToolTipCtrl::SetMaxTipWidth(int width) {
    const int old = maxWidth_;
    maxWidth_ = width;
    return old;
}

void CToolTipCtrl::SetDelayTime(UINT delay) {
    initial_ = static_cast<int>(delay);
    autoPop_ = static_cast<int>(delay) * 10;
}

void CToolTipCtrl::SetDelayTime(DWORD which, int delay) {
    if (which == TTDT_INITIAL) initial_ = delay < 0 ? 500 : delay;
    else if (which == TTDT_AUTOPOP) autoPop_ = delay < 0 ? 5000 : delay;
    else if (which == TTDT_AUTOMATIC) SetDelayTime(static_cast<UINT>(delay < 0 ? 500 : delay));
}

int CToolTipCtrl::GetDelayTime(DWORD which) const {
    return which == TTDT_AUTOPOP ? autoPop_ : initial_;
}

void CToolTipCtrl::RelayEvent(LPMSG msg) {
    if (!msg || !m_hWnd) return;
    switch (msg->message) {
        case WM_MOUSEMOVE: {
            const POINT p{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
            const Tool* over = nullptr;
            for (const Tool& t : tools_) {
                if (t.window != msg->hwnd) continue;
                RECT r = t.rect;
                if (t.whole) ::GetClientRect(t.window, &r);
                if (PtInRect(&r, p)) {
                    over = &t;
                    break;
                }
            }
            if (over != pending_) Pop();
            if (!over || !active_) return;
            at_ = p;
            ::ClientToScreen(msg->hwnd, &at_);
            if (pending_ == over && !shown_.IsEmpty()) return;
            pending_ = over;
            SetTimer(kShowTimer, static_cast<UINT>(std::max(1, initial_)));
            return;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            Pop();
            return;
        default:
            return;
    }
}

void CToolTipCtrl::Show() {
    if (!pending_ || !active_ || pending_->text.IsEmpty()) return;
    CWnd* tool = CWnd::FromHandle(pending_->window);
    QWidget* w = tool ? tool->GetQWidget() : nullptr;
    if (!w) return;
    const QString text = NUVMfc::detail::Wrap(NUVMfc::ToQStringOrReport(pending_->text.str(), "tooltip"), maxWidth_);
    QToolTip::showText(QPoint(at_.x, at_.y + 20), text, w, QRect(), autoPop_);
    shown_ = pending_->text;
    SetTimer(kHideTimer, static_cast<UINT>(std::max(1, autoPop_)));
}

void CToolTipCtrl::Pop() {
    if (m_hWnd) {
        KillTimer(kShowTimer);
        KillTimer(kHideTimer);
    }
    if (!shown_.IsEmpty()) QToolTip::hideText();
    shown_.Empty();
    pending_ = nullptr;
}

void CToolTipCtrl::OnTimer(UINT_PTR id) {
    if (id == kShowTimer) {
        KillTimer(kShowTimer);
        Show();
    } else if (id == kHideTimer) {
        Pop();
    }
}
