// Shared by the programs that test windows: the Qt application (offscreen under ctest, through
// QT_QPA_PLATFORM in the test's environment), made once, and helpers to type and wait.
#pragma once

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "mfc/WinApp.h"
#include "mfc/Wnd.h"

// fontconfig keeps its caches until the process ends; they are not this program's leaks.
extern "C" __attribute__((used)) inline const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

class QtTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { ASSERT_TRUE(NUVMfc::EnsureApplication()); }

protected:
    void TearDown() override { NUVMfc::ProcessPendingEvents(); }

    // Types text that may hold characters beyond ASCII (QTest::keyClicks cannot), one key event
    // per character, as an input method delivers them.
    static void Type(QWidget* w, const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            // A character beyond the basic plane is one key event of two UTF-16 units.
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
            i += n - 1;
        }
    }
    static void Type(CWnd& wnd, const char* utf8) { Type(wnd.GetQWidget(), QString::fromUtf8(utf8)); }
    static void Key(CWnd& wnd, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(wnd.GetQWidget(), key, mods);
    }
    // Shows a top-level window and makes it the active one, so focus moves at once.
    static void ShowActive(QWidget* w) {
        w->show();
        QApplication::setActiveWindow(w);
        NUVMfc::ProcessPendingEvents();
    }
    // The colour painted at a point of the widget, as RGB with red in the low byte.
    static unsigned PaintedColour(QWidget* w, QPoint at) {
        const QImage image = w->grab().toImage();
        const QRgb p = image.pixel(at);
        return static_cast<unsigned>(qRed(p)) | (static_cast<unsigned>(qGreen(p)) << 8) |
               (static_cast<unsigned>(qBlue(p)) << 16);
    }
};
