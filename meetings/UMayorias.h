#pragma once
// Whether a decision of the meeting was carried, by the majorities of the Ley
// de Propiedad Horizontal (arts. 15 to 17): each agenda point needs one of
// five majorities; a double majority counts owners by head and coefficients
// by sum; owners who owe are left out unless the meeting restored them; in
// first call nothing is adopted without quorum; absent owners who do not
// object within 30 days of being notified of the minutes count in favour of
// a decision that those present adopted. QtCore only: the vote tab, the
// minutes' results and the tests all use these rules.
#include <QDate>
#include <QList>
#include <QString>

// The majority an agenda point needs.
enum class TMayoria {
    Simple,      // art. 17.7 (the default)
    TresQuintos, // art. 17.3: three fifths of the owners and of the coefficients
    UnTercio,    // art. 17.1: one third of each
    Doble,       // art. 17.2: the majority of the owners and of the coefficients
    Unanimidad,  // art. 17.6
};
QString NombreMayoria(TMayoria m);

// The call the meeting was held in; none until the user records it.
enum class TLlamada { SinIndicar, Primera, Segunda };

// One owner called to the meeting: the vote row (one per owner, however many
// properties: its coefficient is their sum).
struct TVotoPropietario {
    int Propietario = 0; // the reserved owner 0 never counts
    double Coeficiente = 0;
    bool Presente = false; // in person, represented or by telematic means
    QChar Voto;            // 'S' yes, 'N' no, 'A' abstention; anything else, none
    bool Deudor = false;   // owes the community at the meeting (art. 15.2)
    bool Rehabilitado = false; // a debtor the meeting let vote (paid, or disputed the debt in time)
    QDate Oposicion;       // the day an absent owner objected to the decision (art. 17.8); null if he did not
};

// The owners and coefficients that count: the community's total, those present.
struct TCenso {
    int Propietarios = 0;
    double Coeficientes = 0;
    int Presentes = 0;
    double CoeficientesPresentes = 0;
};
TCenso Censo(const QList<TVotoPropietario>& votos);

// Art. 16.2: in first call, a majority of the owners holding a majority of
// the coefficients, present or represented. None is needed in second call.
bool HayQuorum(const TCenso& censo);

// The days an absent owner has to object, from the notification of the minutes.
inline constexpr int DiasOposicion = 30;
// Whether an objection of that day counts: always while the minutes are not
// notified, and up to the 30th day after their notification.
bool OposicionEnPlazo(const QDate& oposicion, const QDate& notificada);
// Why an objection of that day cannot be recorded (before the meeting, or
// after its 30 days), or nothing when it can.
QString ErrorOposicion(const QDate& oposicion, const QDate& junta, const QDate& notificada);

enum class TEstadoAcuerdo {
    Aprobado,
    AprobadoProvisional, // carried by absent owners who may still object
    NoAprobado,
    SinQuorum,           // first call without quorum: nothing is adopted
    SinLlamada,          // the call is not recorded: no verdict
};

struct TResultado {
    TEstadoAcuerdo Estado = TEstadoAcuerdo::NoAprobado;
    // The figures that decide it: owners and coefficients in favour (absent
    // owners counted in favour included where the rule counts them) against
    // what the rule requires of each.
    int PropietariosAFavor = 0;
    double CoeficientesAFavor = 0;
    int PropietariosRequeridos = 0;
    double CoeficientesRequeridos = 0;
    bool CoeficientesEstrictos = true; // the coefficients must exceed the figure (not reach it)
    // The votes cast by those present.
    int Si = 0, No = 0, Abstenciones = 0;
    double CoefSi = 0, CoefNo = 0, CoefAbstenciones = 0;
    // The absent owners counted in favour, and the day the decision becomes
    // final (null while the minutes are not notified).
    int Ausentes = 0;
    QDate Firme;
};
// The result of one point of a meeting whose minutes were notified on
// `notificada` (null while they are not), as it stands on `hoy`.
TResultado ResultadoPunto(const QList<TVotoPropietario>& votos, TMayoria mayoria, TLlamada llamada,
                          const QDate& notificada, const QDate& hoy);
// "Aprobado", "Aprobado provisionalmente (firme el dd/mm/aaaa)", "No aprobado (sin quórum …)" …
QString TextoEstado(const TResultado& r);
