// Internal: the Qt event filter of one window. It sits on the window's widget (and on the
// widgets whose events are the window's, such as a list's viewport), turns each input, focus,
// paint and size event into the framework's messages, and lets the widget have the event only
// when the window procedure asks for the default. It also owns the window's Qt timers.
#pragma once

#include <QObject>

namespace NUVMfc::detail {

struct WindowRecord;

class WindowHook : public QObject {
public:
    explicit WindowHook(WindowRecord* rec) : rec_(rec) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    bool Key(QObject* watched, QEvent* event);
    bool Mouse(QObject* watched, QEvent* event);
    bool Paint(QObject* watched, QEvent* event);
    WindowRecord* rec_;
};

}  // namespace NUVMfc::detail
