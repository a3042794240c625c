// The date-time picker class on QDateTimeEdit. The platform's picture letters are Qt's, except
// "tt" (AM/PM), which Qt writes "AP".
#include "mfc/DateTimeCtrl.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>

#include "mfc/MfcInternal.h"
#include "mfc/Text.h"

namespace NUVMfc::detail {
namespace {

QString DefaultFormat(DWORD style) {
    if ((style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) return QStringLiteral("HH:mm:ss");
    if (style & DTS_LONGDATEFORMAT) return QString::fromUtf8("yyyy'年'M'月'd'日'");
    return QStringLiteral("yyyy-MM-dd");
}

// The platform's picture as a Qt format: quoted text is copied, "tt" becomes "AP", "t" "A".
QString QtFormat(const QString& picture) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar c = picture[i];
        if (c == '\'') {
            quoted = !quoted;
            out += c;
        } else if (!quoted && c == 't') {
            const bool two = i + 1 < picture.size() && picture[i + 1] == 't';
            out += two ? QStringLiteral("AP") : QStringLiteral("A");
            if (two) ++i;
        } else {
            out += c;
        }
    }
    return out;
}

SYSTEMTIME ToSystemTime(const QDateTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.date().year());
    st.wMonth = static_cast<WORD>(t.date().month());
    st.wDayOfWeek = static_cast<WORD>(t.date().dayOfWeek() % 7);  // 0 = Sunday
    st.wDay = static_cast<WORD>(t.date().day());
    st.wHour = static_cast<WORD>(t.time().hour());
    st.wMinute = static_cast<WORD>(t.time().minute());
    st.wSecond = static_cast<WORD>(t.time().second());
    st.wMilliseconds = static_cast<WORD>(t.time().msec());
    return st;
}

class DateTimeClass : public WindowClass {
public:
    const char* Name() const override { return DATETIMEPICK_CLASS; }
    CWnd* MakeWrapper() const override { return new CDateTimeCtrl; }
    QWidget* Make(DWORD style, DWORD, QWidget* parent) const override {
        auto* e = new QDateTimeEdit(QDateTime::currentDateTime(), parent);
        e->setCalendarPopup(!(style & DTS_UPDOWN) && (style & DTS_TIMEFORMAT) != DTS_TIMEFORMAT);
        e->setDisplayFormat(DefaultFormat(style));
        e->setMinimumDateTime(QDateTime(QDate(1752, 9, 14), QTime(0, 0)));
        e->setMaximumDateTime(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)));
        if (style & DTS_RIGHTALIGN) e->setAlignment(Qt::AlignRight);
        return e;
    }
    bool Fits(const QWidget* w) const override { return qobject_cast<const QDateTimeEdit*>(w) != nullptr; }
    void Wire(WindowRecord& rec) const override {
        auto* e = static_cast<QDateTimeEdit*>(rec.widget.data());
        const HWND h = rec.handle;
        QObject::connect(e, &QDateTimeEdit::dateTimeChanged, rec.hook, [h](const QDateTime& t) {
            WindowRecord* r = Find(h);
            if (!r) return;
            NMDATETIMECHANGE change{};
            change.nmhdr.code = DTN_DATETIMECHANGE;
            change.dwFlags = GDT_VALID;
            change.st = ToSystemTime(t);
            NotifyParent(r, &change.nmhdr);
        });
    }
    QString Text(const WindowRecord& rec) const override {
        auto* e = qobject_cast<QDateTimeEdit*>(rec.widget);
        return e ? e->text() : QString();
    }
    void SetText(WindowRecord&, const QString&) const override {}
    bool Proc(WindowRecord&, UINT message, WPARAM, LPARAM, LRESULT& result) const override {
        if (message != WM_GETDLGCODE) return false;
        result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    }
};

const DateTimeClass g_dateTimeClass;
const bool g_registered = (RegisterClass(&g_dateTimeClass), true);

QDateTimeEdit* Edit(const CWnd* w) { return qobject_cast<QDateTimeEdit*>(w->GetQWidget()); }

}  // namespace
}  // namespace NUVMfc::detail

using NUVMfc::detail::Edit;

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID) {
    return CWnd::Create(DATETIMEPICK_CLASS, nullptr, style, rect, parent, nID);
}

BOOL CDateTimeCtrl::SetTime(const COleDateTime& time) {
    QDateTimeEdit* e = Edit(this);
    if (!e || time.GetStatus() != COleDateTime::valid) return FALSE;
    const QDateTime t(QDate(time.GetYear(), time.GetMonth(), time.GetDay()),
                      QTime(time.GetHour(), time.GetMinute(), time.GetSecond()));
    if (!t.isValid() || t < e->minimumDateTime() || t > e->maximumDateTime()) return FALSE;
    QSignalBlocker block(e);
    e->setDateTime(t);
    return TRUE;
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time) {
    if (!time) return FALSE;
    return SetTime(COleDateTime(time->wYear, time->wMonth, time->wDay, time->wHour, time->wMinute, time->wSecond));
}

BOOL CDateTimeCtrl::GetTime(COleDateTime& time) const {
    QDateTimeEdit* e = Edit(this);
    if (!e) return FALSE;
    const QDateTime t = e->dateTime();
    time.SetDateTime(t.date().year(), t.date().month(), t.date().day(), t.time().hour(), t.time().minute(),
                     t.time().second());
    return time.GetStatus() == COleDateTime::valid;
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* time) const {
    QDateTimeEdit* e = Edit(this);
    if (!e || !time) return static_cast<DWORD>(GDT_ERROR);
    *time = NUVMfc::detail::ToSystemTime(e->dateTime());
    return GDT_VALID;
}

BOOL CDateTimeCtrl::SetFormat(LPCSTR format) {
    QDateTimeEdit* e = Edit(this);
    if (!e) return FALSE;
    if (!format) {
        e->setDisplayFormat(NUVMfc::detail::DefaultFormat(GetStyle()));
        return TRUE;
    }
    QString picture;
    if (!NUVMfc::ToQString(format, picture)) return FALSE;
    e->setDisplayFormat(NUVMfc::detail::QtFormat(picture));
    return TRUE;
}

CWnd* CDateTimeCtrl::GetMonthCalCtrl() const {
    QDateTimeEdit* e = Edit(this);
    if (!e || !e->calendarPopup()) return nullptr;
    QCalendarWidget* c = e->calendarWidget();
    return c && c->isVisible() ? CWnd::FromHandle(CWnd::HandleOf(c)) : nullptr;
}
