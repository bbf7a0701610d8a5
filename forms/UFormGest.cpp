#include "UFormGest.h"

#include <memory>

namespace {
QPointer<QMenu> g_menu;

// An empty menu opened from the menu bar leaves the bar unable to open it
// again: the menu is offered only while it lists a screen.
void OfreceMenu()
{
    if (g_menu)
        g_menu->menuAction()->setEnabled(!g_menu->actions().isEmpty());
}
} // namespace

TRIMenuItem::TRIMenuItem(QWidget* ventana, QAction* orden) : QAction(orden->icon(), orden->text(), ventana)
{
    connect(this, &QAction::triggered, orden, &QAction::trigger);
}

TRIMenuItem::~TRIMenuItem()
{
    if (!g_menu)
        return;
    g_menu->removeAction(this);
    OfreceMenu();
    const QList<QAction*> entradas = g_menu->actions();
    if (!entradas.isEmpty()) {
        if (auto* ventana = qobject_cast<QWidget*>(entradas.last()->parent())) {
            ventana->activateWindow();
            ventana->raise();
            ventana->setFocus();
        }
    }
}

void AsignaMenuVentanas(QMenu* menu)
{
    g_menu = menu;
    OfreceMenu();
}
QMenu* MenuVentanas() { return g_menu; }

int VentanasAbiertas() { return g_menu ? static_cast<int>(g_menu->actions().size()) : 0; }

void CierraVentanas()
{
    if (!g_menu)
        return;
    for (QAction* a : g_menu->actions()) {
        if (auto* ventana = qobject_cast<QWidget*>(a->parent()))
            ventana->close();
    }
}

QWidget* VentanaAbierta(const char* clase)
{
    const QString nombre = QString::fromLatin1(clase).mid(1);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == nombre && !w->isHidden()) // a closed window waits hidden for deletion
            return w;
    }
    return nullptr;
}

QWidget* AbreVentana(const char* clase, const std::function<QWidget*()>& crea, QAction* origen)
{
    if (QWidget* abierta = VentanaAbierta(clase)) {
        if (abierta->isMinimized())
            abierta->showNormal();
        abierta->show();
        abierta->raise();
        abierta->activateWindow();
        return abierta;
    }
    std::unique_ptr<QWidget> nueva(crea()); // a creation that throws leaves nothing behind
    nueva->setObjectName(QString::fromLatin1(clase).mid(1));
    nueva->setAttribute(Qt::WA_DeleteOnClose);
    if (origen && g_menu) {
        g_menu->addAction(new TRIMenuItem(nueva.get(), origen));
        OfreceMenu();
    }
    QWidget* w = nueva.release();
    w->show();
    return w;
}
