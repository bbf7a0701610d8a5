#pragma once
// The edit controller of a screen or sub-editor: switches between browsing and
// editing — which page is reachable, which panel accepts input, which other
// control is locked.
#include "DataSource.h"
#include "UTeclas.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

class QTabWidget;

// The tab widget a page belongs to (nullptr when the widget is no page).
QTabWidget* ControlDePaginas(const QWidget* pagina);
// Brings a page to the front of its tab widget.
void MuestraPagina(QWidget* pagina);

class TControlEdit : public QObject {
    Q_OBJECT
public:
    // `propietario` is the screen: the key menu becomes its popup menu.
    explicit TControlEdit(QWidget* propietario, const QString& nombre = QStringLiteral("CEMain"));

    QWidget* Propietario() const { return propietario_; }

    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.SetDataSource(ds); }

    // The page that shows the record being edited.
    QWidget* FichaEdicion() const { return fichaEdicion_; }
    void SetFichaEdicion(QWidget* pagina) { fichaEdicion_ = pagina; }
    // The page that stays alone while editing.
    QWidget* FichaExclusiva() const { return fichaExclusiva_; }
    void SetFichaExclusiva(QWidget* pagina) { fichaExclusiva_ = pagina; }
    // The panel of the record's input controls: enabled only while editing.
    QWidget* PanelEdicion() const { return panelEdicion_; }
    void SetPanelEdicion(QWidget* panel);
    // A control disabled while editing (a screen's own toolbar when a
    // sub-editor edits).
    QWidget* Complementario() const { return complementario_; }
    void SetComplementario(QWidget* control);
    // The key menu; assigning it also makes it the owner screen's popup menu
    // and gives it this controller's key map.
    TPopUpTeclas* PopUpMenu() const { return popUp_; }
    void SetPopUpMenu(TPopUpTeclas* menu);
    // The key map, applied to the key menu. Forgotten with the key menu.
    TTeclas* Teclas() const { return teclas_; }
    void SetTeclas(TTeclas* teclas);

    bool Edicion() const { return edicion_; }
    // Switches edit mode; nothing happens when the mode already is `on`.
    void ActivarEdicion(bool on);
    // Shows FichaEdicion.
    void MostrarFicha();

private:
    QPointer<QWidget> propietario_;
    TDataLink enlace_;
    QPointer<QWidget> fichaEdicion_, fichaExclusiva_, panelEdicion_, complementario_;
    QPointer<TPopUpTeclas> popUp_;
    QPointer<TTeclas> teclas_;
    QMetaObject::Connection menuDestruido_;
    bool edicion_ = false;
    // The pages disabled while editing, to be enabled again afterwards.
    QList<QPointer<QWidget>> deshabilitadas_;
};
