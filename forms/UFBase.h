#pragma once
// The base of every maintenance screen: navigator tool bar with the placement
// buttons, the quick-search bar, a record page whose panel holds the screen's
// input controls and a table page with the grid. Each screen names its
// section of the per-user placement file by its form number, creates its data
// module right after this base and hands it to Conecta.
#include "UControlEdit.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "UTeclas.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

class TDBEdit;
class TDMBase;

// Whether a screen whose navigator may be editing a record can close. While
// it edits, asks "El registro está en edición. ¿Desea grabarlo?": "Sí" saves
// the record and "No" drops it, each through the navigator, and the screen
// closes; "Cancelar" keeps it. A save the database refuses shows its error
// and the screen stays open in edit.
bool PuedeCerrarse(THYMNavigator& navegador);

class TFBase : public QWidget {
    Q_OBJECT
public:
    // Reads the screen's placement, or centres it. A placement value that is
    // not an integer is an error (the screen is not created).
    explicit TFBase(int numeroFormulario, QSize inicial = {696, 487});
    ~TFBase() override;

    int NumeroFormulario() const { return numero_; }
    // The placement file of the current user: "USUARIO" + the user code in
    // four digits + ".INI", in the program directory (letter case ignored).
    static QString FicheroColocacion();

    QToolBar* ToolBar1;
    THYMNavigator* HYMNavigator1;
    QToolButton* TbGuarda;
    QToolButton* TbRest;
    QToolBar* ToolBar2;
    QLabel* LBusca;
    QLineEdit* EBusca;
    QTabWidget* PCMain;
    QWidget* TSFicha;
    QWidget* PEdit;
    QWidget* TSTabla;
    THYTDBGrid* HYTDBGrid1;
    TControlEdit* CEMain;
    TPopUpTeclas* CEUpTeclas;

    // The placement buttons.
    void GuardaPosicion();
    void RestauraPosicion();

    // Before a tool that works on the stored record: the record being typed,
    // if any, is saved through the navigator, as its Post button does. False
    // when the save is refused: the error is shown, the edit stays and the
    // tool does not go on.
    bool GuardaRegistro();
    // Stores a document edited outside the program (read from the working
    // file `fichero`) into the current record's `campo`, through the
    // navigator: edit, then post. True when stored. When the database refuses
    // it, the error is shown, the screen stays in edit with the document (to
    // save again with the navigator, or drop), the file is kept as an edit not
    // stored of the document `clave`, and the user is told so.
    bool GuardaDocumentoEditado(const QString& campo, const QByteArray& editado, const QString& fichero,
                                const QString& clave);

protected:
    // Binds the screen's data module: edit controller, navigator and grid on
    // its data source, and the search bar on its quick search (the bar is
    // hidden when the module declares none).
    void Conecta(TDMBase& dm);
    // A labelled input control on the record page (or in a group of it), one
    // row each.
    void AnadeCampo(const QString& etiqueta, QWidget* control, QFormLayout* grupo = nullptr);
    TDBEdit* CampoTexto(const QString& etiqueta, const QString& campo, int caracteres, QFormLayout* grupo = nullptr);
    // The navigator's click, after the dataset action: the search bar and the
    // key field follow edit mode. Screens that add their own call this first.
    virtual void NavegadorClick(TNavigateBtn boton);
    // A button of the tool bar that stays usable while the record is edited:
    // its action calls GuardaRegistro first.
    static void UsableEnEdicion(QToolButton* boton);

    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void AplicaColocacion();
    bool Editando() const;
    int numero_;
    QFormLayout* campos_;
    TDMBase* dm_ = nullptr;
};
