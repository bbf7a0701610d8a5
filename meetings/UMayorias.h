#pragma once
// Whether a decision of the meeting was carried, by the majorities of the Ley
// de Propiedad Horizontal (arts. 15 to 17): each agenda point needs one of
// five majorities; a double majority counts owners by head and coefficients
// by sum; owners who owe are left out unless the meeting restored them; for
// unanimity, three fifths and one third, an absent owner who does not object
// within 30 days counts in favour. QtCore only: the vote tab, the minutes'
// results and the tests all use these rules.
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

// The call the meeting was held in.
enum class TLlamada { Primera, Segunda };

// One owner called to the meeting: the vote row (one per owner, however many
// properties: its coefficient is their sum).
struct TVotoPropietario {
    int Propietario = 0; // the reserved owner 0 never counts
    double Coeficiente = 0;
    bool Presente = false; // in person or represented
    QChar Voto;            // 'S' yes, 'N' no, 'A' abstention; anything else, none
    bool Deudor = false;   // owes the community at the meeting (art. 15.2)
    bool Rehabilitado = false; // a debtor the meeting let vote (paid, or disputed the debt in time)
    bool Opone = false;    // an absent owner who objected within 30 days (art. 17.8)
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

enum class TEstadoAcuerdo { Aprobado, AprobadoProvisional, NoAprobado };

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
    // The absent owners counted in favour, and when that becomes final.
    int Ausentes = 0;
    QDate Firme;
};
// The result of one point on the meeting of `fecha`, as it stands on `hoy`.
TResultado ResultadoPunto(const QList<TVotoPropietario>& votos, TMayoria mayoria, TLlamada llamada,
                          const QDate& fecha, const QDate& hoy);
// "Aprobado", "Aprobado provisionalmente (firme el dd/mm/aaaa)", "No aprobado".
QString TextoEstado(const TResultado& r);
