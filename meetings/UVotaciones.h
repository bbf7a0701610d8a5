#pragma once
// The vote page of the convocations' workspace: attendance and
// representation of every owner called, the votes on the ten agenda points,
// the convocation's attendance totals and the tally of the point shown.
#include "DataSource.h"
#include "UHYDBGrid.h"

#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QToolBar;
class QToolButton;
class TDBEdit;
class TDBText;
class TDMConvoca;
class TFAcuerdos;
class THYMNavigator;

// The vote grid: one row per owner called. A vote column made current shows
// its point's tally; the attendance column is switched by double-click or
// Enter (which then goes to the next owner); F4 computes the tallies.
class TRejillaVotaciones : public THYTDBGrid {
    Q_OBJECT
public:
    TRejillaVotaciones(TDMConvoca& dm, QWidget* parent = nullptr);

    // The agenda point of a grid column: 1 to 10 for the vote columns, 1
    // for any other.
    int PuntoDeColumna(int columna) const;
    // A cell's editor is open.
    bool Escribiendo() const { return state() == QAbstractItemView::EditingState; }
    // F7: the meeting listing.
    std::function<void()> AlPulsarF7;
    // Marks the rows of owners who owe: 1 left out of the votes, 2 let vote.
    void SetDeudor(std::function<int(int propietario)> deudor);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    bool EnAsistencia() const;
    void ColumnaCambiada(const QModelIndex& actual);
    TDMConvoca& dm_;
};

// The totals under the grid: the convocation's attendants and the sum of
// their coefficients, the current owner's debt, and the tally ("Si", "No",
// "Abstención") of the agenda point shown.
class TTotalesVotacion : public QWidget {
    Q_OBJECT
public:
    TTotalesVotacion(TDMConvoca& dm, QWidget* parent = nullptr);
    ~TTotalesVotacion() override;

    TDBText* DBTAsistentes;
    TDBText* DBTCoeficientes;
    TDBEdit* DBESaldo;
    QLabel* LPunto; // which point the tally is of
    TDBText *DBTVSi, *DBTVNo, *DBTVAbs;
    TDBText *DBTCSi, *DBTCNo, *DBTCAbs;

private:
    TDataSource dsPunto_;
};

class TPaginaVotaciones : public QWidget {
    Q_OBJECT
public:
    TPaginaVotaciones(TDMConvoca& dm, QWidget* parent = nullptr);
    ~TPaginaVotaciones() override;

    QToolBar* ToolBarVotos;
    TDBText* DBTCodigo;
    TDBText* DBTDescripcion;
    QToolButton* TbActivaTodos;
    QToolButton* TbDesactivaTodos;
    QToolButton* TbCalcula;
    QToolButton* TbListado;
    QToolButton* TbSaldos;
    QToolButton* TbImprimeVotaciones;
    QComboBox* CbOrden;
    THYMNavigator* NavVotos;
    TDBText* DBTPropietario;
    TRejillaVotaciones* DBGVotos;
    TTotalesVotacion* Totales;
    // What the law asks of the point shown, and of the owner shown.
    TFAcuerdos* Acuerdos;
    THYTDBGrid* DBGFincas;
    TDBText* DBTTotalCoeficientes;

    // The supplied listings of the meeting (9000 "Listado juntas", 9001
    // "Imprimir votaciones") for the current vote row's convocation, those
    // attending, in the order chosen on the listing buttons' menu, to the
    // preview.
    void PrintMeetingListing(int codigo);
    // "FINCA" or "PROPIETARIO".
    QString OrdenListado() const { return ordenListado_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    class TEnlace;
    // Brings the law's panel up to the convocation, owner and votes on
    // screen; while the page is hidden, once it is shown again.
    void ActualizaAcuerdos(bool convocatoria, bool votos);

    TDMConvoca& dm_;
    TDataSource dsPropi_, dsFincas_;
    std::unique_ptr<TEnlace> enlaceConvocatoria_, enlaceVotos_;
    bool convocatoriaPendiente_ = true, votosPendientes_ = true;
    QString ordenListado_ = QStringLiteral("FINCA");
    qint64 convocatoriaMostrada_ = -1;
};
