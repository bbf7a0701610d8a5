#pragma once
// Driving a screen as its user does: shown as the active window, keys to the
// control that has the focus.
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
    QTest::keyClick(foco ? foco : QApplication::activeWindow(), tecla, m);
}

inline void Escribe(const QString& texto)
{
    ASSERT_NE(QApplication::focusWidget(), nullptr) << "typing with no field focused";
    QTest::keyClicks(QApplication::focusWidget(), texto);
}

} // namespace qdtest
