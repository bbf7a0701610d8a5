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

    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void AplicaColocacion();
    bool Editando() const;
    int numero_;
    QFormLayout* campos_;
    TDMBase* dm_ = nullptr;
};
