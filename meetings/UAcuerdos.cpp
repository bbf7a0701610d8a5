#include "UAcuerdos.h"
#include "FIBDatabase.h"
#include "FIBError.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"
#include "RtfText.h"
#include "UFormatos.h"

#include <algorithm>

namespace {

QString Propietarios(int n) { return n == 1 ? QStringLiteral("1 propietario") : QStringLiteral("%1 propietarios").arg(n); }

// A time of call as typed through its mask ("18:00", " 9:30"); nothing when
// no digit was typed.
QString Hora(const QString& hora)
{
    const QString h = hora.trimmed();
    return std::any_of(h.begin(), h.end(), [](QChar c) { return c.isDigit(); }) ? h : QString();
}

// The day a convocation's minutes were notified; null for none.
void EscribeNotificada(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria, const QDate& fecha)
{
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("UPDATE OR INSERT INTO ACUERDOS (COMUNIDAD, CONVOCATORIA, NOTIFICADA) "
                            "VALUES (?COMUNIDAD, ?CONVOCATORIA, ?NOTIFICADA) MATCHING (COMUNIDAD, CONVOCATORIA)"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria);
    if (fecha.isValid())
        q.ParamByName(QStringLiteral("NOTIFICADA"))->SetAsDateTime(fecha.startOfDay());
    else
        q.ParamByName(QStringLiteral("NOTIFICADA"))->SetNull();
    q.ExecQuery();
}

} // namespace

QString NombreModo(TModoAsistencia modo)
{
    switch (modo) {
    case TModoAsistencia::EnPersona: return QStringLiteral("En persona");
    case TModoAsistencia::Representado: return QStringLiteral("Representado");
    case TModoAsistencia::Telematico: return QStringLiteral("Telemático");
    }
    return {};
}

TModoAsistencia ModoDeValor(qint64 valor)
{
    return valor == 1 ? TModoAsistencia::Representado : valor == 2 ? TModoAsistencia::Telematico : TModoAsistencia::EnPersona;
}

std::optional<TModoAsistencia> ModoDeTexto(const QString& texto)
{
    const QString t = texto.trimmed();
    for (TModoAsistencia m : {TModoAsistencia::EnPersona, TModoAsistencia::Representado, TModoAsistencia::Telematico}) {
        const QString nombre = NombreModo(m);
        if (t.compare(nombre, Qt::CaseInsensitive) == 0 || (t.size() == 1 && t.at(0).toUpper() == nombre.at(0).toUpper()))
            return m;
    }
    return std::nullopt;
}

void TAsistencia::Suma(TModoAsistencia modo)
{
    switch (modo) {
    case TModoAsistencia::EnPersona: ++EnPersona; break;
    case TModoAsistencia::Representado: ++Representados; break;
    case TModoAsistencia::Telematico: ++Telematicos; break;
    }
}

QString TextoAsistencia(const TAsistencia& a)
{
    return QStringLiteral("Asistentes: %1 (%2 en persona, %3 y %4 por medios telemáticos)")
        .arg(Propietarios(a.Total()))
        .arg(a.EnPersona)
        .arg(a.Representados == 1 ? QStringLiteral("1 representado") : QStringLiteral("%1 representados").arg(a.Representados))
        .arg(a.Telematicos);
}

QString TextoConvocatoria(TLlamada llamada, const QString& hora1, const QString& hora2)
{
    if (llamada == TLlamada::SinIndicar)
        return QStringLiteral("(falta indicar la convocatoria)");
    const bool primera = llamada == TLlamada::Primera;
    const QString hora = Hora(primera ? hora1 : hora2);
    const QString texto = primera ? QStringLiteral("primera convocatoria") : QStringLiteral("segunda convocatoria");
    return hora.isEmpty() ? texto : texto + QStringLiteral(", a las ") + hora;
}

void TAcuerdos::Lee(int comunidad, int convocatoria)
{
    comunidad_ = comunidad;
    convocatoria_ = convocatoria;
    TFIBQuery q;
    q.SetDatabase(&db_);
    q.SetTransaction(&tr_);
    q.SetSQL(QStringLiteral("SELECT C.FECHA, A.LLAMADA, A.NOTIFICADA, "
                            "A.M1, A.M2, A.M3, A.M4, A.M5, A.M6, A.M7, A.M8, A.M9, A.M10 "
                            "FROM CONVOCATORIAS C LEFT JOIN ACUERDOS A ON A.COMUNIDAD = C.COMUNIDAD "
                            "AND A.CONVOCATORIA = C.CODIGO WHERE C.COMUNIDAD = ?COMUNIDAD AND C.CODIGO = ?CODIGO"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(convocatoria);
    q.ExecQuery();
    auto fecha = [&](int i) { return q.Eof() || q.Fields(i)->IsNull() ? QDate() : q.Fields(i)->AsDateTime().date(); };
    fecha_ = fecha(0);
    const qint64 llamada = q.Eof() ? 0 : q.Fields(1)->AsInteger();
    llamada_ = llamada == 1 ? TLlamada::Primera : llamada == 2 ? TLlamada::Segunda : TLlamada::SinIndicar;
    notificada_ = fecha(2);
    for (int p = 0; p < PuntosConvocatoria; ++p) {
        const qint64 m = q.Eof() ? 0 : q.Fields(3 + p)->AsInteger();
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
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO, PUNTO, FECHA FROM OPOSICIONES WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CODIGO"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(convocatoria);
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
        // An objection written without its day is taken as made on the
        // meeting's (or today, for a meeting without date).
        QDate dia = q.Fields(2)->IsNull() ? fecha_ : q.Fields(2)->AsDateTime().date();
        if (!dia.isValid())
            dia = QDate::currentDate();
        oposiciones_.insert(q.Fields(0)->AsInteger() * 100 + q.Fields(1)->AsInteger(), dia);
    }
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
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO, COEFICIENTES, ASISTENCIA, SALDO, MODO, P1, P2, P3, P4, P5, P6, P7, P8, P9, P10 "
                            "FROM VOTACIONES WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CODIGO"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad_);
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(convocatoria_);
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
        TFilaVoto f;
        f.Propietario = static_cast<int>(q.Fields(0)->AsInteger());
        f.Coeficiente = q.Fields(1)->AsFloat();
        f.Presente = q.Fields(2)->AsInteger() == 1;
        f.Saldo = q.Fields(3)->AsFloat();
        f.Modo = ModoDeValor(q.Fields(4)->AsInteger());
        for (int p = 0; p < PuntosConvocatoria; ++p) {
            const QString v = q.Fields(5 + p)->AsString().trimmed();
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

const TFilaVoto* TAcuerdos::Fila(int propietario) const
{
    const auto i = indice_.constFind(propietario);
    return i == indice_.cend() ? nullptr : &filas_.at(*i);
}

void TAcuerdos::SetLlamada(TLlamada llamada)
{
    EscribeAcuerdos(QStringLiteral("LLAMADA"), static_cast<int>(llamada));
    llamada_ = llamada;
}

void TAcuerdos::SetNotificada(const QDate& fecha)
{
    if (fecha.isValid() && fecha_.isValid() && fecha < fecha_)
        throw EAviso(QStringLiteral("El acta no puede notificarse (%1) antes de la junta (%2).")
                         .arg(FormatoFecha(fecha), FormatoFecha(fecha_)));
    EscribeNotificada(db_, tr_, comunidad_, convocatoria_, fecha);
    notificada_ = fecha;
}

void TAcuerdos::SetMayoria(int punto, TMayoria mayoria)
{
    EscribeAcuerdos(QStringLiteral("M%1").arg(punto), static_cast<int>(mayoria));
    mayorias_.at(static_cast<std::size_t>(punto - 1)) = mayoria;
}

bool TAcuerdos::Deudor(int propietario) const
{
    const TFilaVoto* f = Fila(propietario);
    return f && f->Saldo > 0.005;
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

QDate TAcuerdos::FechaOposicion(int propietario, int punto) const
{
    return oposiciones_.value(static_cast<qint64>(propietario) * 100 + punto);
}

void TAcuerdos::SetOposicion(int propietario, int punto, bool opone, const QDate& fecha)
{
    if (opone) {
        const QString error = ErrorOposicion(fecha, fecha_, notificada_);
        if (!error.isEmpty())
            throw EAviso(error);
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
        oposiciones_.insert(static_cast<qint64>(propietario) * 100 + punto, fecha);
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
        v.Oposicion = FechaOposicion(f.Propietario, punto);
        votos << v;
    }
    return votos;
}

TCenso TAcuerdos::Censo() const { return ::Censo(Votos(1)); }

TAsistencia TAcuerdos::Asistencia() const
{
    TAsistencia a;
    for (const TFilaVoto& f : filas_)
        if (f.Presente && f.Propietario != 0)
            a.Suma(f.Modo);
    return a;
}

TResultado TAcuerdos::Resultado(int punto, const QDate& hoy) const
{
    return ResultadoPunto(Votos(punto), Mayoria(punto), Llamada(), notificada_, hoy);
}

bool AnotaActaNotificada(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria, const QDate& fecha)
{
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("SELECT NOTIFICADA FROM ACUERDOS WHERE COMUNIDAD = ?COMUNIDAD AND CONVOCATORIA = ?CONVOCATORIA"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria);
    q.ExecQuery();
    const bool anotada = !q.Eof() && !q.Fields(0)->IsNull();
    q.Close();
    if (anotada)
        return false;
    EscribeNotificada(db, tr, comunidad, convocatoria, fecha);
    return true;
}

QString TextoCifras(const TResultado& r)
{
    // Without a rule to apply there are no figures to meet.
    if (r.Estado == TEstadoAcuerdo::SinLlamada || r.Estado == TEstadoAcuerdo::SinQuorum)
        return {};
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
    linea(TextoAsistencia(acuerdos.Asistencia()));
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
