#include "UMayorias.h"
#include "UFormatos.h"

#include <cmath>

namespace {

// Owners that count: never owner 0; a debtor only when the meeting restored him.
bool Cuenta(const TVotoPropietario& v)
{
    return v.Propietario != 0 && (!v.Deudor || v.Rehabilitado);
}

// Coefficients are percentages with five decimals: compared in hundred-thousandths.
long long Cienmilesimas(double coeficiente)
{
    return std::llround(coeficiente * 100000.0);
}

} // namespace

QString NombreMayoria(TMayoria m)
{
    switch (m) {
    case TMayoria::Simple: return QStringLiteral("Mayoría simple (art. 17.7)");
    case TMayoria::TresQuintos: return QStringLiteral("Tres quintos (art. 17.3)");
    case TMayoria::UnTercio: return QStringLiteral("Un tercio (art. 17.1)");
    case TMayoria::Doble: return QStringLiteral("Mayoría de propietarios y de cuotas (art. 17.2)");
    case TMayoria::Unanimidad: return QStringLiteral("Unanimidad (art. 17.6)");
    }
    return {};
}

TCenso Censo(const QList<TVotoPropietario>& votos)
{
    TCenso c;
    for (const TVotoPropietario& v : votos) {
        if (!Cuenta(v))
            continue;
        ++c.Propietarios;
        c.Coeficientes += v.Coeficiente;
        if (v.Presente) {
            ++c.Presentes;
            c.CoeficientesPresentes += v.Coeficiente;
        }
    }
    return c;
}

bool HayQuorum(const TCenso& c)
{
    return 2 * c.Presentes > c.Propietarios && 2 * Cienmilesimas(c.CoeficientesPresentes) > Cienmilesimas(c.Coeficientes);
}

bool OposicionEnPlazo(const QDate& oposicion, const QDate& notificada)
{
    return oposicion.isValid() && (!notificada.isValid() || oposicion <= notificada.addDays(DiasOposicion));
}

QString ErrorOposicion(const QDate& oposicion, const QDate& junta, const QDate& notificada)
{
    if (!oposicion.isValid())
        return QStringLiteral("Escriba la fecha en que el propietario comunicó su oposición.");
    if (junta.isValid() && oposicion < junta)
        return QStringLiteral("La oposición (%1) no puede ser anterior a la junta (%2).")
            .arg(FormatoFecha(oposicion), FormatoFecha(junta));
    if (!OposicionEnPlazo(oposicion, notificada))
        return QStringLiteral("Oposición fuera de plazo: el acta se notificó el %1 y los %2 días para oponerse "
                              "terminaron el %3; la oposición del %4 no se registra ni cuenta.")
            .arg(FormatoFecha(notificada))
            .arg(DiasOposicion)
            .arg(FormatoFecha(notificada.addDays(DiasOposicion)), FormatoFecha(oposicion));
    return {};
}

TResultado ResultadoPunto(const QList<TVotoPropietario>& votos, TMayoria mayoria, TLlamada llamada,
                          const QDate& notificada, const QDate& hoy)
{
    TResultado r;
    const TCenso censo = Censo(votos);
    int ausentesSinOposicion = 0;
    double coefAusentes = 0;
    for (const TVotoPropietario& v : votos) {
        if (!Cuenta(v))
            continue;
        if (!v.Presente) {
            if (!OposicionEnPlazo(v.Oposicion, notificada)) {
                ++ausentesSinOposicion;
                coefAusentes += v.Coeficiente;
            }
            continue;
        }
        switch (v.Voto.toUpper().unicode()) {
        case u'S': ++r.Si; r.CoefSi += v.Coeficiente; break;
        case u'N': ++r.No; r.CoefNo += v.Coeficiente; break;
        case u'A': ++r.Abstenciones; r.CoefAbstenciones += v.Coeficiente; break;
        default: break;
        }
    }
    r.PropietariosAFavor = r.Si;
    r.CoeficientesAFavor = r.CoefSi;
    // Art. 16.2: without the call there is no rule to apply, and a meeting in
    // first call without quorum is not constituted.
    if (llamada == TLlamada::SinIndicar) {
        r.Estado = TEstadoAcuerdo::SinLlamada;
        return r;
    }
    if (llamada == TLlamada::Primera && !HayQuorum(censo)) {
        r.Estado = TEstadoAcuerdo::SinQuorum;
        return r;
    }

    // A share of the whole community, reached when both the owners and the
    // coefficients in favour come to it (a fraction reached, or a majority
    // exceeded when `estricta`).
    auto alcanza = [](int aFavor, double coefAFavor, int total, double coefTotal, int num, int den, bool estricta) {
        const long long cf = Cienmilesimas(coefAFavor), ct = Cienmilesimas(coefTotal);
        return estricta ? (static_cast<long long>(aFavor) * den > static_cast<long long>(total) * num && cf * den > ct * num)
                        : (static_cast<long long>(aFavor) * den >= static_cast<long long>(total) * num && cf * den >= ct * num);
    };
    // The owners a share requires: the least whole number that reaches it.
    auto requeridos = [](int total, int num, int den, bool estricta) {
        return estricta ? total * num / den + 1 : (total * num + den - 1) / den;
    };

    int num = 1, den = 2;
    bool estricta = true;
    switch (mayoria) {
    case TMayoria::Simple:
    case TMayoria::Doble: break;
    case TMayoria::TresQuintos: num = 3; den = 5; estricta = false; break;
    case TMayoria::UnTercio: num = 1; den = 3; estricta = false; break;
    case TMayoria::Unanimidad: num = 1; den = 1; estricta = false; break;
    }
    r.CoeficientesEstrictos = estricta;

    if (mayoria == TMayoria::Simple && llamada == TLlamada::Segunda) {
        // Second call: the majority of those present or represented, holding
        // more than half of the coefficients present; absent owners add nothing.
        r.PropietariosRequeridos = censo.Presentes / 2 + 1;
        r.CoeficientesRequeridos = censo.CoeficientesPresentes / 2;
        const bool ok = alcanza(r.Si, r.CoefSi, censo.Presentes, censo.CoeficientesPresentes, 1, 2, true);
        r.Estado = ok ? TEstadoAcuerdo::Aprobado : TEstadoAcuerdo::NoAprobado;
        return r;
    }

    r.PropietariosRequeridos = requeridos(censo.Propietarios, num, den, estricta);
    r.CoeficientesRequeridos = censo.Coeficientes * num / den;
    // Unanimity asks everybody present to say yes: a no or an abstention ends it.
    const bool presentesUnanimes = mayoria != TMayoria::Unanimidad || (r.No == 0 && r.Abstenciones == 0 && r.Si == censo.Presentes);
    if (presentesUnanimes && alcanza(r.Si, r.CoefSi, censo.Propietarios, censo.Coeficientes, num, den, estricta)) {
        r.Estado = TEstadoAcuerdo::Aprobado;
        return r;
    }
    // Art. 17.8: absent owners count in favour for every majority over the
    // whole community except one third, whose cost falls only on those who
    // voted for it; and they only complete a decision that those present
    // adopted: more in favour than against, by head and by coefficient.
    const bool adoptadoPorPresentes = r.Si > r.No && Cienmilesimas(r.CoefSi) > Cienmilesimas(r.CoefNo);
    if (mayoria == TMayoria::UnTercio || !presentesUnanimes || !adoptadoPorPresentes)
        return r;
    r.Ausentes = ausentesSinOposicion;
    r.PropietariosAFavor = r.Si + ausentesSinOposicion;
    r.CoeficientesAFavor = r.CoefSi + coefAusentes;
    if (!alcanza(r.PropietariosAFavor, r.CoeficientesAFavor, censo.Propietarios, censo.Coeficientes, num, den, estricta))
        return r;
    // Provisional until the 30 days after the minutes' notification have run.
    r.Estado = TEstadoAcuerdo::AprobadoProvisional;
    if (notificada.isValid()) {
        r.Firme = notificada.addDays(DiasOposicion);
        if (hoy > r.Firme)
            r.Estado = TEstadoAcuerdo::Aprobado;
    }
    return r;
}

QString TextoEstado(const TResultado& r)
{
    switch (r.Estado) {
    case TEstadoAcuerdo::Aprobado: return QStringLiteral("Aprobado");
    case TEstadoAcuerdo::AprobadoProvisional:
        return r.Firme.isValid() ? QStringLiteral("Aprobado provisionalmente (firme el %1)").arg(FormatoFecha(r.Firme))
                                 : QStringLiteral("Aprobado provisionalmente (pendiente de notificar el acta)");
    case TEstadoAcuerdo::NoAprobado: return QStringLiteral("No aprobado");
    case TEstadoAcuerdo::SinQuorum: return QStringLiteral("No aprobado (sin quórum en primera convocatoria)");
    case TEstadoAcuerdo::SinLlamada: return QStringLiteral("Sin resultado (falta indicar la convocatoria)");
    }
    return {};
}
