#include "UAcuerdos.h"
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"
#include "RtfText.h"
#include "UFormatos.h"

namespace {

QString Propietarios(int n) { return n == 1 ? QStringLiteral("1 propietario") : QStringLiteral("%1 propietarios").arg(n); }

} // namespace

void TAcuerdos::Lee(int comunidad, int convocatoria)
{
    comunidad_ = comunidad;
    convocatoria_ = convocatoria;
    TFIBQuery q;
    q.SetDatabase(&db_);
    q.SetTransaction(&tr_);
    q.SetSQL(QStringLiteral("SELECT C.FECHA, A.LLAMADA, A.M1, A.M2, A.M3, A.M4, A.M5, A.M6, A.M7, A.M8, A.M9, A.M10 "
                            "FROM CONVOCATORIAS C LEFT JOIN ACUERDOS A ON A.COMUNIDAD = C.COMUNIDAD "
                            "AND A.CONVOCATORIA = C.CODIGO WHERE C.COMUNIDAD = ?COMUNIDAD AND C.CODIGO = ?CODIGO"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(convocatoria);
    q.ExecQuery();
    fecha_ = q.Eof() ? QDate() : q.Fields(0)->AsDateTime().date();
    llamada_ = q.Eof() ? 0 : static_cast<int>(q.Fields(1)->AsInteger());
    for (int p = 0; p < PuntosConvocatoria; ++p) {
        const qint64 m = q.Eof() ? 0 : q.Fields(2 + p)->AsInteger();
        mayorias_[static_cast<std::size_t>(p)] =
            m >= 0 && m <= static_cast<int>(TMayoria::Unanimidad) ? static_cast<TMayoria>(m) : TMayoria::Simple;
    }
    q.Close();

    rehabilitados_.clear();
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO FROM DEUDORES_VOTAN WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CODIGO"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(convocatoria);
    for (q.ExecQuery(); !q.Eof(); q.Next())
        rehabilitados_.insert(static_cast<int>(q.Fields(0)->AsInteger()));
    q.Close();

    oposiciones_.clear();
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO, PUNTO FROM OPOSICIONES WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CODIGO"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(convocatoria);
    for (q.ExecQuery(); !q.Eof(); q.Next())
        oposiciones_.insert(q.Fields(0)->AsInteger() * 100 + q.Fields(1)->AsInteger());
    q.Close();
    LeeVotos();
}

void TAcuerdos::LeeVotos()
{
    filas_.clear();
    indice_.clear();
    TFIBQuery q;
    q.SetDatabase(&db_);
    q.SetTransaction(&tr_);
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO, COEFICIENTES, ASISTENCIA, SALDO, P1, P2, P3, P4, P5, P6, P7, P8, P9, P10 "
                            "FROM VOTACIONES WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CODIGO"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad_);
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(convocatoria_);
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
        TFilaVoto f;
        f.Propietario = static_cast<int>(q.Fields(0)->AsInteger());
        f.Coeficiente = q.Fields(1)->AsFloat();
        f.Presente = q.Fields(2)->AsInteger() == 1;
        f.Saldo = q.Fields(3)->AsFloat();
        for (int p = 0; p < PuntosConvocatoria; ++p) {
            const QString v = q.Fields(4 + p)->AsString().trimmed();
            f.Votos[static_cast<std::size_t>(p)] = v.isEmpty() ? QChar() : v.at(0).toUpper();
        }
        indice_.insert(f.Propietario, static_cast<int>(filas_.size()));
        filas_ << f;
    }
    q.Close();
}

void TAcuerdos::Escribe(const QString& sql, const QList<QPair<QString, qint64>>& parametros)
{
    TFIBQuery q;
    q.SetDatabase(&db_);
    q.SetTransaction(&tr_);
    q.SetSQL(sql);
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad_);
    q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria_);
    for (const auto& [nombre, valor] : parametros)
        q.ParamByName(nombre)->SetAsInteger(valor);
    q.ExecQuery();
}

void TAcuerdos::EscribeAcuerdos(const QString& columna, int valor)
{
    Escribe(QStringLiteral("UPDATE OR INSERT INTO ACUERDOS (COMUNIDAD, CONVOCATORIA, %1) "
                           "VALUES (?COMUNIDAD, ?CONVOCATORIA, ?VALOR) MATCHING (COMUNIDAD, CONVOCATORIA)")
                .arg(columna),
            {{QStringLiteral("VALOR"), valor}});
}

void TAcuerdos::SetLlamada(TLlamada llamada)
{
    const int valor = llamada == TLlamada::Segunda ? 2 : 1;
    EscribeAcuerdos(QStringLiteral("LLAMADA"), valor);
    llamada_ = valor;
}

void TAcuerdos::SetMayoria(int punto, TMayoria mayoria)
{
    EscribeAcuerdos(QStringLiteral("M%1").arg(punto), static_cast<int>(mayoria));
    mayorias_.at(static_cast<std::size_t>(punto - 1)) = mayoria;
}

bool TAcuerdos::Deudor(int propietario) const
{
    const auto i = indice_.constFind(propietario);
    return i != indice_.cend() && filas_.at(*i).Saldo > 0.005;
}

void TAcuerdos::SetRehabilitado(int propietario, bool valor)
{
    if (valor)
        Escribe(QStringLiteral("UPDATE OR INSERT INTO DEUDORES_VOTAN (COMUNIDAD, CONVOCATORIA, PROPIETARIO) "
                               "VALUES (?COMUNIDAD, ?CONVOCATORIA, ?PROPIETARIO) MATCHING (COMUNIDAD, CONVOCATORIA, PROPIETARIO)"),
                {{QStringLiteral("PROPIETARIO"), propietario}});
    else
        Escribe(QStringLiteral("DELETE FROM DEUDORES_VOTAN WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CONVOCATORIA "
                               "AND PROPIETARIO = ?PROPIETARIO"),
                {{QStringLiteral("PROPIETARIO"), propietario}});
    if (valor)
        rehabilitados_.insert(propietario);
    else
        rehabilitados_.remove(propietario);
}

bool TAcuerdos::Opone(int propietario, int punto) const
{
    return oposiciones_.contains(static_cast<qint64>(propietario) * 100 + punto);
}

void TAcuerdos::SetOposicion(int propietario, int punto, bool opone, const QDate& fecha)
{
    if (opone) {
        TFIBQuery q;
        q.SetDatabase(&db_);
        q.SetTransaction(&tr_);
        q.SetSQL(QStringLiteral("UPDATE OR INSERT INTO OPOSICIONES (COMUNIDAD, CONVOCATORIA, PROPIETARIO, PUNTO, FECHA) "
                                "VALUES (?COMUNIDAD, ?CONVOCATORIA, ?PROPIETARIO, ?PUNTO, ?FECHA) "
                                "MATCHING (COMUNIDAD, CONVOCATORIA, PROPIETARIO, PUNTO)"));
        q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad_);
        q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria_);
        q.ParamByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(propietario);
        q.ParamByName(QStringLiteral("PUNTO"))->SetAsInteger(punto);
        q.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(fecha.startOfDay());
        q.ExecQuery();
        oposiciones_.insert(static_cast<qint64>(propietario) * 100 + punto);
    } else {
        Escribe(QStringLiteral("DELETE FROM OPOSICIONES WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CONVOCATORIA "
                               "AND PROPIETARIO = ?PROPIETARIO AND PUNTO = ?PUNTO"),
                {{QStringLiteral("PROPIETARIO"), propietario}, {QStringLiteral("PUNTO"), punto}});
        oposiciones_.remove(static_cast<qint64>(propietario) * 100 + punto);
    }
}

QList<TVotoPropietario> TAcuerdos::Votos(int punto) const
{
    QList<TVotoPropietario> votos;
    votos.reserve(filas_.size());
    for (const TFilaVoto& f : filas_) {
        TVotoPropietario v;
        v.Propietario = f.Propietario;
        v.Coeficiente = f.Coeficiente;
        v.Presente = f.Presente;
        v.Voto = f.Votos.at(static_cast<std::size_t>(punto - 1));
        v.Deudor = f.Saldo > 0.005;
        v.Rehabilitado = rehabilitados_.contains(f.Propietario);
        v.Opone = Opone(f.Propietario, punto);
        votos << v;
    }
    return votos;
}

TCenso TAcuerdos::Censo() const { return ::Censo(Votos(1)); }

TResultado TAcuerdos::Resultado(int punto, const QDate& hoy) const
{
    return ResultadoPunto(Votos(punto), Mayoria(punto), Llamada(), fecha_, hoy);
}

QString TextoCifras(const TResultado& r)
{
    return QStringLiteral("A favor: %1 de %2 requeridos; %3 de %4%5")
        .arg(Propietarios(r.PropietariosAFavor))
        .arg(r.PropietariosRequeridos)
        .arg(FormatoCoeficiente(r.CoeficientesAFavor), r.CoeficientesEstrictos ? QStringLiteral("más de ") : QString(),
             FormatoCoeficiente(r.CoeficientesRequeridos));
}

QByteArray ListaResultados(const TAcuerdos& acuerdos, const QStringList& textosPuntos, const QDate& hoy)
{
    QByteArray l;
    auto linea = [&](const QString& texto) { l += "\\par " + Rtf::escapeText(texto); };
    for (int p = 1; p <= PuntosConvocatoria && p <= textosPuntos.size(); ++p) {
        const QString texto = textosPuntos.at(p - 1).trimmed();
        if (texto.isEmpty())
            continue;
        const TResultado r = acuerdos.Resultado(p, hoy);
        linea(texto);
        linea(QStringLiteral("Mayoría requerida: ") + NombreMayoria(acuerdos.Mayoria(p)));
        linea(QStringLiteral("A favor: %1, %2").arg(Propietarios(r.Si), FormatoCoeficiente(r.CoefSi)));
        linea(QStringLiteral("En contra: %1, %2").arg(Propietarios(r.No), FormatoCoeficiente(r.CoefNo)));
        linea(QStringLiteral("Abstenciones: %1, %2").arg(Propietarios(r.Abstenciones), FormatoCoeficiente(r.CoefAbstenciones)));
        if (r.Ausentes > 0)
            linea(QStringLiteral("Ausentes que no se oponen, contados a favor: %1, %2")
                      .arg(Propietarios(r.Ausentes), FormatoCoeficiente(r.CoeficientesAFavor - r.CoefSi)));
        linea(QStringLiteral("Resultado: ") + TextoEstado(r));
    }
    return l;
}

QString AvisoPlazo(int tipo, const QDate& notificada, const QDate& fecha)
{
    if (tipo != 1 || !notificada.isValid() || !fecha.isValid())
        return {};
    const qint64 dias = notificada.daysTo(fecha);
    if (dias >= 6)
        return {};
    return QStringLiteral("Una junta ordinaria se convoca con seis días de antelación como mínimo (art. 16.3): "
                          "entre la notificación (%1) y la junta (%2) hay %3 días.")
        .arg(FormatoFecha(notificada), FormatoFecha(fecha))
        .arg(dias);
}
