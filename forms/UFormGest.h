#pragma once
// The window list: one instance per screen, an entry in "Ventanas" for each
// screen opened from a command, and the focus handed to the last entry's
// screen when one closes.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>

// A "Ventanas" entry: owned by the screen it stands for, showing the caption
// and icon of the command that opened it; choosing it runs that command again.
class TRIMenuItem : public QAction {
    Q_OBJECT
public:
    TRIMenuItem(QWidget* ventana, QAction* orden);
    ~TRIMenuItem() override;
};

void AsignaMenuVentanas(QMenu* menu);
QMenu* MenuVentanas();
int VentanasAbiertas();
void CierraVentanas();

// The open window whose name is the class name without its leading "T".
QWidget* VentanaAbierta(const char* clase);
// Opens at most one window of a class (see AbreVentana below).
QWidget* AbreVentana(const char* clase, const std::function<QWidget*()>& crea, QAction* origen);

// Brings an open window of class T to the front, or creates one (owned by
// the application, freed when closed), shows it and, when the origin is a
// command, lists it under "Ventanas". A creation that fails leaves no window.
template <class T>
T* AbreVentana(QAction* origen)
{
    return static_cast<T*>(AbreVentana(T::staticMetaObject.className(), [] { return new T; }, origen));
}
