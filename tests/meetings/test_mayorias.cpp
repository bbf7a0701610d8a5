// Whether a decision was carried, by the majorities of the law: tables of
// cases with owners, coefficients, attendance, votes and objections, in
// first and second call.
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

TVotoPropietario Opone(TVotoPropietario v, const QDate& dia = QDate(2026, 3, 10))
{
    v.Oposicion = dia;
    return v;
}

// A community of owners of equal share: those present with their votes
// ('S', 'N', 'A', or ' ' for none), then `ausentes` absent owners.
QList<TVotoPropietario> Junta(const char* presentes, int ausentes)
{
    const int n = static_cast<int>(qstrlen(presentes)) + ausentes;
    QList<TVotoPropietario> votos;
    for (int i = 0; i < n; ++i)
        votos << P(i + 1, 100.0 / n, i < static_cast<int>(qstrlen(presentes)), i < static_cast<int>(qstrlen(presentes)) ? presentes[i] : ' ');
    return votos;
}

const QDate kJunta(2026, 3, 2);
const QDate kNotificada(2026, 3, 9);
const TMayoria kMayorias[] = {TMayoria::Simple, TMayoria::TresQuintos, TMayoria::UnTercio, TMayoria::Doble,
                              TMayoria::Unanimidad};

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
         {P(1, 25, true, 'S'), P(2, 25, true, 'S'), P(3, 25, true, 'N'), P(4, 25, true, 'A')},
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
        const TResultado r = ResultadoPunto(c.votos, c.mayoria, c.llamada, kNotificada, kJunta);
        EXPECT_EQ(static_cast<int>(r.Estado), static_cast<int>(c.esperado)) << TextoEstado(r).toStdString();
        EXPECT_EQ(r.PropietariosAFavor, c.aFavor);
        EXPECT_EQ(r.PropietariosRequeridos, c.requeridos);
    }
}

TEST(Mayorias, InFirstCallNothingIsAdoptedWithoutQuorumAndWithoutTheCallNothingIsDecided)
{
    using enum TEstadoAcuerdo;
    // Four of ten owners present, all in favour: no quorum.
    const QList<TVotoPropietario> sinQuorum = Junta("SSSS", 6);
    // Six of ten, all in favour: quorum; every rule but unanimity is met by
    // those present, unanimity waits for the absent owners.
    const QList<TVotoPropietario> conQuorum = Junta("SSSSSS", 4);
    struct {
        TMayoria mayoria;
        TEstadoAcuerdo conQuorum;
    } casos[] = {{TMayoria::Simple, Aprobado}, {TMayoria::TresQuintos, Aprobado}, {TMayoria::UnTercio, Aprobado},
                 {TMayoria::Doble, Aprobado}, {TMayoria::Unanimidad, AprobadoProvisional}};
    for (const auto& c : casos) {
        SCOPED_TRACE(NombreMayoria(c.mayoria).toStdString());
        const TResultado sin = ResultadoPunto(sinQuorum, c.mayoria, TLlamada::Primera, kNotificada, kJunta);
        EXPECT_EQ(sin.Estado, SinQuorum);
        EXPECT_EQ(TextoEstado(sin), "No aprobado (sin quórum en primera convocatoria)");
        EXPECT_EQ(sin.Si, 4) << "the votes cast are still told";
        EXPECT_EQ(ResultadoPunto(conQuorum, c.mayoria, TLlamada::Primera, kNotificada, kJunta).Estado, c.conQuorum);
        // In second call no quorum is asked for.
        EXPECT_NE(ResultadoPunto(sinQuorum, c.mayoria, TLlamada::Segunda, kNotificada, kJunta).Estado, SinQuorum);
        const TResultado sinLlamada = ResultadoPunto(conQuorum, c.mayoria, TLlamada::SinIndicar, kNotificada, kJunta);
        EXPECT_EQ(sinLlamada.Estado, SinLlamada);
        EXPECT_EQ(TextoEstado(sinLlamada), "Sin resultado (falta indicar la convocatoria)");
    }
}

TEST(Mayorias, AbsentOwnersCountInFavourForEveryMajorityOverTheWholeCommunityButOneThird)
{
    using enum TEstadoAcuerdo;
    // Ten owners: six present (two yes, one no, three abstentions) and four
    // absent. Those present adopted it; alone they reach no rule but, in
    // second call, not the simple majority of those present either.
    const QList<TVotoPropietario> votos = Junta("SSNAAA", 4);
    // Everybody present in favour, four absent: unanimity only with them.
    const QList<TVotoPropietario> unanimes = Junta("SSSSSS", 4);
    struct {
        TMayoria mayoria;
        TEstadoAcuerdo primera, segunda;
        int aFavor; // in first call
    } casos[] = {
        {TMayoria::Simple, AprobadoProvisional, NoAprobado, 6},        // 17.7: in second call, those present only
        {TMayoria::Doble, AprobadoProvisional, AprobadoProvisional, 6}, // 17.2
        {TMayoria::TresQuintos, AprobadoProvisional, AprobadoProvisional, 6},
        {TMayoria::UnTercio, NoAprobado, NoAprobado, 2},               // 17.1: never with absent owners
        {TMayoria::Unanimidad, NoAprobado, NoAprobado, 2},             // a no present ends it
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(NombreMayoria(c.mayoria).toStdString());
        const TResultado primera = ResultadoPunto(votos, c.mayoria, TLlamada::Primera, QDate(), kJunta);
        EXPECT_EQ(primera.Estado, c.primera) << TextoEstado(primera).toStdString();
        EXPECT_EQ(primera.PropietariosAFavor, c.aFavor);
        EXPECT_EQ(primera.Ausentes, c.aFavor - 2);
        EXPECT_EQ(ResultadoPunto(votos, c.mayoria, TLlamada::Segunda, QDate(), kJunta).Estado, c.segunda);
    }
    for (TLlamada llamada : {TLlamada::Primera, TLlamada::Segunda})
        EXPECT_EQ(ResultadoPunto(unanimes, TMayoria::Unanimidad, llamada, QDate(), kJunta).Estado, AprobadoProvisional);
    // Until the minutes are notified the thirty days have not begun.
    EXPECT_EQ(TextoEstado(ResultadoPunto(votos, TMayoria::TresQuintos, TLlamada::Primera, QDate(), kJunta.addYears(1))),
              "Aprobado provisionalmente (pendiente de notificar el acta)");
}

TEST(Mayorias, AbsentOwnersOnlyCompleteADecisionThosePresentAdopted)
{
    using enum TEstadoAcuerdo;
    struct {
        const char* que;
        QList<TVotoPropietario> votos;
        TMayoria mayoria;
        TEstadoAcuerdo esperado;
    } casos[] = {
        {"one yes and three noes, six absent owners, three fifths", Junta("SNNN", 6), TMayoria::TresQuintos, NoAprobado},
        {"the same under the double majority", Junta("SNNN", 6), TMayoria::Doble, NoAprobado},
        {"more yes by head, more no by coefficient",
         {P(1, 5, true, 'S'), P(2, 5, true, 'S'), P(3, 20, true, 'N'), P(4, 20, false), P(5, 25, false), P(6, 25, false)},
         TMayoria::TresQuintos, NoAprobado},
        {"a tie among those present adopts nothing", Junta("SN", 8), TMayoria::TresQuintos, NoAprobado},
        {"nobody present voting", Junta("AA", 8), TMayoria::Doble, NoAprobado},
        {"two yes and one no, seven absent owners", Junta("SSN", 7), TMayoria::TresQuintos, AprobadoProvisional},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.que);
        const TResultado r = ResultadoPunto(c.votos, c.mayoria, TLlamada::Segunda, kNotificada, kJunta);
        EXPECT_EQ(r.Estado, c.esperado) << TextoEstado(r).toStdString();
    }
}

TEST(Mayorias, ObjectionsCountWithinThirtyDaysOfTheMinutesNotification)
{
    using enum TEstadoAcuerdo;
    // Five owners of 20 %: two vote yes, three are absent; three fifths need
    // three, so two objections still leave it carried and a third turns it.
    const QDate plazo = kNotificada.addDays(30);
    QList<TVotoPropietario> votos = Junta("SS", 3);
    votos[2] = Opone(votos[2], kJunta.addDays(1));
    votos[3] = Opone(votos[3], kJunta.addDays(1));
    struct {
        const char* que;
        QDate tercera;    // the third absent owner's objection
        QDate notificada; // of the minutes
        QDate hoy;
        const char* texto;
    } casos[] = {
        {"without objection, minutes not notified", {}, {}, plazo.addDays(5),
         "Aprobado provisionalmente (pendiente de notificar el acta)"},
        {"without objection, within the thirty days", {}, kNotificada, plazo, "Aprobado provisionalmente (firme el 08/04/2026)"},
        {"without objection, once they have run", {}, kNotificada, plazo.addDays(1), "Aprobado"},
        {"an objection before the notification counts", kJunta.addDays(2), {}, kJunta.addDays(2), "No aprobado"},
        {"an objection on the thirtieth day counts", plazo, kNotificada, plazo, "No aprobado"},
        {"an objection on the thirty-first day does not", plazo.addDays(1), kNotificada, plazo.addDays(1), "Aprobado"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.que);
        votos[4] = Opone(votos[4], c.tercera);
        EXPECT_EQ(TextoEstado(ResultadoPunto(votos, TMayoria::TresQuintos, TLlamada::Segunda, c.notificada, c.hoy)), c.texto);
    }
    // For unanimity a single objection in time is enough.
    const QList<TVotoPropietario> todos{P(1, 60, true, 'S'), Opone(P(2, 40, false), plazo)};
    EXPECT_EQ(ResultadoPunto(todos, TMayoria::Unanimidad, TLlamada::Segunda, kNotificada, plazo).Estado, NoAprobado);

    // What may be recorded.
    struct {
        QDate oposicion, notificada;
        bool admitida;
    } registros[] = {
        {kJunta, {}, true},           {kJunta.addDays(90), {}, true}, {plazo, kNotificada, true},
        {plazo.addDays(1), kNotificada, false}, {kJunta.addDays(-1), {}, false}, {{}, {}, false},
    };
    for (const auto& r : registros)
        EXPECT_EQ(ErrorOposicion(r.oposicion, kJunta, r.notificada).isEmpty(), r.admitida)
            << r.oposicion.toString().toStdString() << " " << r.notificada.toString().toStdString();
    EXPECT_EQ(ErrorOposicion(plazo.addDays(1), kJunta, kNotificada).toStdString(),
              "Oposición fuera de plazo: el acta se notificó el 09/03/2026 y los 30 días para oponerse terminaron el "
              "08/04/2026; la oposición del 09/04/2026 no se registra ni cuenta.");
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
        {"exactly half the coefficients present, to the hundred-thousandth",
         {P(1, 16.66667, true), P(2, 16.66666, true), P(3, 16.66667, true), P(4, 50, false)}, false},
        {"one hundred-thousandth more than half", {P(1, 16.66667, true), P(2, 16.66667, true), P(3, 16.66667, true), P(4, 49.99999, false)}, true},
    };
    for (const auto& c : casos) {
        const TCenso censo = Censo(c.votos);
        EXPECT_EQ(HayQuorum(censo), c.quorum) << c.que;
    }
    EXPECT_EQ(Censo(casos[3].votos).Propietarios, 3);
    EXPECT_DOUBLE_EQ(Censo(casos[3].votos).CoeficientesPresentes, 50);
}

} // namespace
