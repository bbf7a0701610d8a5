#include "UControlEdit.h"
#include "UTeclas.h"

#include <QStackedWidget>
#include <QTabWidget>

QTabWidget* ControlDePaginas(const QWidget* pagina)
{
    if (!pagina)
        return nullptr;
    // A page sits in the tab widget's stack.
    auto* pila = qobject_cast<QStackedWidget*>(pagina->parentWidget());
    auto* tabs = pila ? qobject_cast<QTabWidget*>(pila->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(const_cast<QWidget*>(pagina)) >= 0 ? tabs : nullptr;
}

void MuestraPagina(QWidget* pagina)
{
    if (QTabWidget* tabs = ControlDePaginas(pagina)) {
        tabs->setTabVisible(tabs->indexOf(pagina), true);
        tabs->setCurrentWidget(pagina);
    }
}

TControlEdit::TControlEdit(QWidget* propietario, const QString& nombre)
    : QObject(propietario), propietario_(propietario)
{
    setObjectName(nombre);
}

void TControlEdit::SetPanelEdicion(QWidget* panel)
{
    panelEdicion_ = panel;
    // The panel follows the mode from the start: disabled while browsing.
    if (panelEdicion_)
        panelEdicion_->setEnabled(edicion_);
}

void TControlEdit::SetComplementario(QWidget* control)
{
    complementario_ = control;
    if (complementario_)
        complementario_->setEnabled(!edicion_);
}

void TControlEdit::SetPopUpMenu(TPopUpTeclas* menu)
{
    disconnect(menuDestruido_);
    popUp_ = menu;
    if (propietario_)
        AsignaMenuEmergente(propietario_, menu);
    if (!menu) {
        teclas_ = nullptr;
        return;
    }
    menuDestruido_ = connect(menu, &QObject::destroyed, this, [this] { teclas_ = nullptr; });
    if (teclas_)
        menu->SetTeclas(teclas_);
}

void TControlEdit::SetTeclas(TTeclas* teclas)
{
    teclas_ = teclas;
    if (popUp_ && teclas_)
        popUp_->SetTeclas(teclas_);
}

void TControlEdit::ActivarEdicion(bool on)
{
    if (on == edicion_)
        return;
    edicion_ = on;
    if (fichaExclusiva_ && fichaEdicion_) {
        if (QTabWidget* tabs = ControlDePaginas(fichaExclusiva_)) {
            const int propia = tabs->indexOf(fichaExclusiva_);
            if (on) {
                // The page being edited is the only one reachable: hidden
                // pages are disabled too, or Ctrl+Tab and the mouse wheel on
                // the tab bar would still bring them up.
                deshabilitadas_.clear();
                for (int i = 0; i < tabs->count(); ++i) {
                    if (i == propia)
                        continue;
                    tabs->setTabVisible(i, false);
                    if (tabs->isTabEnabled(i)) {
                        tabs->setTabEnabled(i, false);
                        deshabilitadas_.append(tabs->widget(i));
                    }
                }
            } else {
                tabs->setTabVisible(propia, true);
                tabs->setCurrentIndex(propia);
                for (const QPointer<QWidget>& pagina : std::as_const(deshabilitadas_))
                    if (pagina && tabs->indexOf(pagina) >= 0)
                        tabs->setTabEnabled(tabs->indexOf(pagina), true);
                deshabilitadas_.clear();
                for (int i = 0; i < tabs->count(); ++i)
                    tabs->setTabVisible(i, true);
            }
        }
    }
    if (panelEdicion_)
        panelEdicion_->setEnabled(on);
    if (complementario_)
        complementario_->setEnabled(!on);
}

void TControlEdit::MostrarFicha() { MuestraPagina(fichaEdicion_); }
