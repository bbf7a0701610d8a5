#pragma once
// The meeting planner "Planificador de juntas": a month calendar in which the
// planned days stand out, the time slots of the chosen day (created by the
// database when the day is planned) typed in a grid, and every slot that
// carries a description, newest first. Shared by all communities and users.
#include "FIBQuery.h"
#include "UDMBase.h"
#include "UNombresComunidad.h"

#include <QColor>
#include <QDate>
#include <QDialog>
#include <QSet>
#include <array>
#include <memory>

class QLabel;
class QTabWidget;
class QToolButton;
class TDBText;
class TFIBDBEditfind;
class THYMNavigator;
class THYTDBGrid;

// --- the month calendar ----------------------------------------------------------------

inline constexpr int kCeldasCalendario = 42; // six weeks, Monday first

// One cell of the calendar: its date (its day number is what it shows) and
// how that number is drawn.
struct TCeldaCalendario {
    QDate Fecha;
    QColor Color;
    bool Negrita = false;
    bool Subrayada = false;
};

// The date of the first cell for the month of `referencia`: the first of the
// month goes in the first row unless it is a Monday, which starts the second
// row, so that the week before it shows too.
QDate PrimeraCelda(const QDate& referencia);

// The 42 cells of the month of `referencia`, from PrimeraCelda on, one day
// each. Later rules win: another month's day black; the month's own blue and
// bold; a day whose number is the reference's red, bold and underlined (in the
// neighbouring months too); a planned day magenta, bold and underlined.
std::array<TCeldaCalendario, kCeldasCalendario> CeldasCalendario(const QDate& referencia,
                                                                 const QSet<QDate>& planificados);

// --- the data ------------------------------------------------------------------------------

class TDMPlanifica : public TDMBase {
public:
    TDMPlanifica();

    TFIBTableSet QTabla; // the slots of the day shown
    TFIBDataSet QPte;    // the slots with a description, newest first
    TDataSource DsPte{&QPte};
    TFIBQuery SpGen;     // the day's count, the procedure, the month's planned days
    TNombresComunidad Comunidades;

    // Whether the day has slots.
    bool Planificado(const QDate& dia);
    // The planned days from `desde` to `hasta`, in one statement.
    QSet<QDate> DiasPlanificados(const QDate& desde, const QDate& hasta);
    // Has the database create the day's slots, and commits.
    void CreaDia(const QDate& dia);
    // Reads the day's slots into QTabla.
    void AbreDia(const QDate& dia);
};

// --- the window ----------------------------------------------------------------------------

class TFPlanifica : public QDialog {
    Q_OBJECT
public:
    explicit TFPlanifica(QWidget* parent = nullptr);
    ~TFPlanifica() override;
    TDMPlanifica* DM() const { return dm_.get(); }

    QLabel* LbPlanificacion; // "Planificación para el día: "
    TDBText* DBTComunidad;   // the name of the current slot's community
    QToolButton* SbAnterior;
    QLabel* LbMes;
    QToolButton* SbSiguiente;
    std::array<QLabel*, kCeldasCalendario> Lbe{}; // Lbe1 … Lbe42
    QLabel* LbHoy;
    QTabWidget* PCPlanifica;
    QWidget* TSPendientes;
    THYMNavigator* NavPendientes;
    THYTDBGrid* DBGPendientes;
    QWidget* TSDia;
    THYMNavigator* NavDia;
    THYTDBGrid* DBGDia;

    QDate Referencia() const { return referencia_; }
    QDate Seleccionado() const { return seleccionado_; }
    const std::array<TCeldaCalendario, kCeldasCalendario>& Celdas() const { return celdas_; }

    // The month before or after the one shown (-1 or 1).
    void CambiaMes(int meses);
    // A click on cell 1 … 42: the day becomes the selected one; a day not
    // planned yet is planned on the user's Yes.
    void PulsaDia(int celda);

protected:
    void reject() override;
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void ConstruyeCalendario();
    void Titulos();
    void MuestraDia();
    void ActivaDia(bool activo);

    std::unique_ptr<TDMPlanifica> dm_;
    TFIBDBEditfind* buscaComunidad_; // F2 on the day's community column
    QDate referencia_;
    QDate seleccionado_;
    std::array<TCeldaCalendario, kCeldasCalendario> celdas_{};
};

// The command "Planificador de juntas" of the main window.
void RegistraOrdenesPlanificador();
