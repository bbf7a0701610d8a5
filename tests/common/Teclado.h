#pragma once
// Driving a screen as its user does: shown as the active window, keys to the
// control that has the focus, any text typed character by character.
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace qdtest {

inline void Activa(QWidget* w)
{
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

// Keys go to the focused control, or to the active window when none has it.
inline void Teclea(Qt::Key tecla, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QWidget* foco = QApplication::focusWidget();
    if (!foco)
        foco = QApplication::activeWindow();
    // Offscreen, a closed message box leaves no window active: say so
    // instead of sending keys nowhere.
    ASSERT_NE(foco, nullptr) << "a key with no window active";
    QTest::keyClick(foco, tecla, m);
}

// Types the text into `w` with real key events. Characters outside ASCII
// (ñ, º, accented letters) go one by one as keys without a key code: Qt's
// keyClicks cannot send them.
inline void EscribeEn(QWidget* w, const QString& texto)
{
    for (const QChar c : texto) {
        if (c.unicode() < 128)
            QTest::keyClicks(w, QString(c));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Types the text into the focused control.
inline void Escribe(const QString& texto)
{
    ASSERT_NE(QApplication::focusWidget(), nullptr) << "typing with no field focused";
    EscribeEn(QApplication::focusWidget(), texto);
}

} // namespace qdtest
