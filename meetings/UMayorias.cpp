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

TResultado ResultadoPunto(const QList<TVotoPropietario>& votos, TMayoria mayoria, TLlamada llamada,
                          const QDate& fecha, const QDate& hoy)
{
    TResultado r;
    const TCenso censo = Censo(votos);
    int ausentesSinOposicion = 0, oposiciones = 0;
    double coefAusentes = 0;
    for (const TVotoPropietario& v : votos) {
        if (!Cuenta(v))
            continue;
        if (!v.Presente) {
            if (v.Opone) {
                ++oposiciones;
            } else {
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
    bool estricta = true, ausentesCuentan = false;
    switch (mayoria) {
    case TMayoria::Simple:
    case TMayoria::Doble: break;
    case TMayoria::TresQuintos: num = 3; den = 5; estricta = false; ausentesCuentan = true; break;
    case TMayoria::UnTercio: num = 1; den = 3; estricta = false; ausentesCuentan = true; break;
    case TMayoria::Unanimidad: num = 1; den = 1; estricta = false; ausentesCuentan = true; break;
    }
    r.CoeficientesEstrictos = estricta;

    if (mayoria == TMayoria::Simple && llamada == TLlamada::Segunda) {
        // Second call: the majority of those present or represented, holding
        // more than half of the coefficients present.
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
    if (!ausentesCuentan || !presentesUnanimes || (mayoria == TMayoria::Unanimidad && oposiciones > 0))
        return r;
    // Absent owners who do not object within 30 days of the meeting count in
    // favour: the decision stands provisionally until then.
    r.Ausentes = ausentesSinOposicion;
    r.PropietariosAFavor = r.Si + ausentesSinOposicion;
    r.CoeficientesAFavor = r.CoefSi + coefAusentes;
    if (!alcanza(r.PropietariosAFavor, r.CoeficientesAFavor, censo.Propietarios, censo.Coeficientes, num, den, estricta))
        return r;
    r.Firme = fecha.addDays(30);
    r.Estado = hoy > r.Firme ? TEstadoAcuerdo::Aprobado : TEstadoAcuerdo::AprobadoProvisional;
    return r;
}

QString TextoEstado(const TResultado& r)
{
    switch (r.Estado) {
    case TEstadoAcuerdo::Aprobado: return QStringLiteral("Aprobado");
    case TEstadoAcuerdo::AprobadoProvisional:
        return QStringLiteral("Aprobado provisionalmente (firme el %1)").arg(FormatoFecha(r.Firme));
    case TEstadoAcuerdo::NoAprobado: return QStringLiteral("No aprobado");
    }
    return {};
}
