// Whether a decision was carried, by the majorities of the law: tables of
// cases with owners, coefficients, attendance and votes.
#include "UMayorias.h"

#include <gtest/gtest.h>

namespace {

// An owner called: code, coefficient, present or not, vote.
TVotoPropietario P(int codigo, double coef, bool presente, char voto = ' ')
{
    TVotoPropietario v;
    v.Propietario = codigo;
    v.Coeficiente = coef;
    v.Presente = presente;
    v.Voto = QChar(voto);
    return v;
}

TVotoPropietario Deudor(TVotoPropietario v, bool rehabilitado = false)
{
    v.Deudor = true;
    v.Rehabilitado = rehabilitado;
    return v;
}

TVotoPropietario Opone(TVotoPropietario v)
{
    v.Opone = true;
    return v;
}

const QDate kJunta(2026, 3, 2);

struct Caso {
    const char* que;
    QList<TVotoPropietario> votos;
    TMayoria mayoria;
    TLlamada llamada;
    TEstadoAcuerdo esperado;
    int aFavor;       // owners counted in favour
    int requeridos;   // owners the rule requires
};

TEST(Mayorias, EachRuleDecidesByOwnersAndCoefficients)
{
    using enum TEstadoAcuerdo;
    const TMayoria simple = TMayoria::Simple;
    const Caso casos[] = {
        {"simple, first call: the majority of all owners and of all coefficients",
         {P(1, 25, true, 'S'), P(2, 25, true, 'S'), P(3, 25, true, 'S'), P(4, 25, false)},
         simple, TLlamada::Primera, Aprobado, 3, 3},
        {"simple, first call: half the owners is no majority",
         {P(1, 25, true, 'S'), P(2, 25, true, 'S'), P(3, 25, true, 'N'), P(4, 25, false)},
         simple, TLlamada::Primera, NoAprobado, 2, 3},
        {"simple, second call: the majority of those present, with more than half their coefficients",
         {P(1, 30, true, 'S'), P(2, 30, true, 'S'), P(3, 10, true, 'N'), P(4, 30, false)},
         simple, TLlamada::Segunda, Aprobado, 2, 2},
        {"simple, second call: a majority of heads holding less than half the coefficients present",
         {P(1, 10, true, 'S'), P(2, 10, true, 'S'), P(3, 50, true, 'N'), P(4, 30, false)},
         simple, TLlamada::Segunda, NoAprobado, 2, 2},
        {"the reserved owner 0 never counts",
         {P(0, 0, true, 'S'), P(1, 60, true, 'S'), P(2, 40, true, 'N')},
         TMayoria::Doble, TLlamada::Primera, NoAprobado, 1, 2},
        {"double majority: an owner with three properties is one owner holding their sum",
         {P(1, 10 + 10 + 10, true, 'S'), P(2, 35, true, 'S'), P(3, 35, true, 'N')},
         TMayoria::Doble, TLlamada::Primera, Aprobado, 2, 2},
        {"one third of the owners and of the coefficients, present",
         {P(1, 20, true, 'S'), P(2, 20, true, 'S'), P(3, 15, true, 'N'), P(4, 15, true, 'N'), P(5, 15, false),
          P(6, 15, false)},
         TMayoria::UnTercio, TLlamada::Primera, Aprobado, 2, 2},
        {"unanimity: one vote against ends it",
         {P(1, 50, true, 'S'), P(2, 30, true, 'S'), P(3, 20, true, 'N')},
         TMayoria::Unanimidad, TLlamada::Primera, NoAprobado, 2, 3},
        {"unanimity: an abstention present ends it too",
         {P(1, 50, true, 'S'), P(2, 30, true, 'S'), P(3, 20, true, 'A')},
         TMayoria::Unanimidad, TLlamada::Primera, NoAprobado, 2, 3},
        {"unanimity of everybody present and called",
         {P(1, 50, true, 'S'), P(2, 30, true, 'S'), P(3, 20, true, 's')},
         TMayoria::Unanimidad, TLlamada::Primera, Aprobado, 3, 3},
        {"a debtor is left out of the tally and of the total",
         {Deudor(P(1, 25, true, 'N')), P(2, 25, true, 'S'), P(3, 25, true, 'S'), P(4, 25, true, 'N')},
         simple, TLlamada::Primera, Aprobado, 2, 2},
        {"a debtor the meeting restored counts again",
         {Deudor(P(1, 25, true, 'N'), true), P(2, 25, true, 'S'), P(3, 25, true, 'S'), P(4, 25, true, 'N')},
         simple, TLlamada::Primera, NoAprobado, 2, 3},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        const TResultado r = ResultadoPunto(c.votos, c.mayoria, c.llamada, kJunta, kJunta);
        EXPECT_EQ(static_cast<int>(r.Estado), static_cast<int>(c.esperado)) << TextoEstado(r).toStdString();
        EXPECT_EQ(r.PropietariosAFavor, c.aFavor);
        EXPECT_EQ(r.PropietariosRequeridos, c.requeridos);
    }
}

TEST(Mayorias, AbsentOwnersCountInFavourUntilThirtyDaysUnlessTheyObject)
{
    // Five owners of 20 %: one votes yes, four are absent; three fifths need three.
    QList<TVotoPropietario> votos{P(1, 20, true, 'S'), P(2, 20, false), P(3, 20, false), P(4, 20, false),
                                  P(5, 20, false)};
    TResultado r = ResultadoPunto(votos, TMayoria::TresQuintos, TLlamada::Primera, kJunta, kJunta.addDays(10));
    EXPECT_EQ(r.Estado, TEstadoAcuerdo::AprobadoProvisional);
    EXPECT_EQ(r.Ausentes, 4);
    EXPECT_EQ(r.PropietariosAFavor, 5);
    EXPECT_EQ(r.Firme, QDate(2026, 4, 1));
    EXPECT_EQ(TextoEstado(r), "Aprobado provisionalmente (firme el 01/04/2026)");
    // Final once the thirty days have passed.
    r = ResultadoPunto(votos, TMayoria::TresQuintos, TLlamada::Primera, kJunta, QDate(2026, 4, 2));
    EXPECT_EQ(r.Estado, TEstadoAcuerdo::Aprobado);
    // Two objections still leave three in favour; a third turns the result.
    votos[1] = Opone(votos[1]);
    votos[2] = Opone(votos[2]);
    r = ResultadoPunto(votos, TMayoria::TresQuintos, TLlamada::Primera, kJunta, kJunta);
    EXPECT_EQ(r.Estado, TEstadoAcuerdo::AprobadoProvisional);
    EXPECT_EQ(r.PropietariosAFavor, 3);
    votos[3] = Opone(votos[3]);
    r = ResultadoPunto(votos, TMayoria::TresQuintos, TLlamada::Primera, kJunta, kJunta);
    EXPECT_EQ(r.Estado, TEstadoAcuerdo::NoAprobado);
    // One third: a yes of 10 % with two absent owners of 30 % each carries
    // provisionally; one objection still leaves a third, the second turns it.
    QList<TVotoPropietario> tercio{P(1, 10, true, 'S'), P(2, 30, true, 'N'), P(3, 30, false), P(4, 30, false)};
    EXPECT_EQ(ResultadoPunto(tercio, TMayoria::UnTercio, TLlamada::Primera, kJunta, kJunta).Estado,
              TEstadoAcuerdo::AprobadoProvisional);
    tercio[2] = Opone(tercio[2]);
    EXPECT_EQ(ResultadoPunto(tercio, TMayoria::UnTercio, TLlamada::Primera, kJunta, kJunta).Estado,
              TEstadoAcuerdo::AprobadoProvisional);
    tercio[3] = Opone(tercio[3]);
    EXPECT_EQ(ResultadoPunto(tercio, TMayoria::UnTercio, TLlamada::Primera, kJunta, kJunta).Estado,
              TEstadoAcuerdo::NoAprobado);
    // For unanimity a single objection is enough; absent owners do not help a
    // simple or a double majority.
    QList<TVotoPropietario> todos{P(1, 60, true, 'S'), P(2, 40, false)};
    EXPECT_EQ(ResultadoPunto(todos, TMayoria::Unanimidad, TLlamada::Primera, kJunta, kJunta).Estado,
              TEstadoAcuerdo::AprobadoProvisional);
    todos[1] = Opone(todos[1]);
    EXPECT_EQ(ResultadoPunto(todos, TMayoria::Unanimidad, TLlamada::Primera, kJunta, kJunta).Estado,
              TEstadoAcuerdo::NoAprobado);
    const QList<TVotoPropietario> pocos{P(1, 40, true, 'S'), P(2, 30, false), P(3, 30, false)};
    EXPECT_EQ(ResultadoPunto(pocos, TMayoria::Doble, TLlamada::Primera, kJunta, kJunta).Estado, TEstadoAcuerdo::NoAprobado);
}

TEST(Mayorias, TheQuorumOfTheFirstCallAtItsBoundary)
{
    struct {
        const char* que;
        QList<TVotoPropietario> votos;
        bool quorum;
    } casos[] = {
        {"half plus one owner holding exactly half the coefficients",
         {P(1, 10, true), P(2, 15, true), P(3, 25, true), P(4, 50, false)}, false},
        {"half plus one owner holding more than half", {P(1, 10, false), P(2, 15, true), P(3, 25, true), P(4, 50, true)}, true},
        {"exactly half the owners holding most coefficients", {P(1, 10, false), P(2, 15, false), P(3, 25, true), P(4, 50, true)}, false},
        {"a debtor present does not make the quorum",
         {Deudor(P(1, 10, true)), P(2, 15, true), P(3, 35, true), P(4, 40, false)}, true},
    };
    for (const auto& c : casos) {
        const TCenso censo = Censo(c.votos);
        EXPECT_EQ(HayQuorum(censo), c.quorum) << c.que;
    }
    EXPECT_EQ(Censo(casos[3].votos).Propietarios, 3);
    EXPECT_DOUBLE_EQ(Censo(casos[3].votos).CoeficientesPresentes, 50);
}

} // namespace
