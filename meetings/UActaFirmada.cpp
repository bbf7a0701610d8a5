#include "UActaFirmada.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"

#include <QCryptographicHash>

QString HuellaActa(const QByteArray& acta)
{
    return QString::fromLatin1(QCryptographicHash::hash(acta, QCryptographicHash::Sha256).toHex());
}

bool TActaFirmada::Vigente(const QByteArray& acta) const { return !acta.isEmpty() && Huella == HuellaActa(acta); }

QString TActaFirmada::Estado(const QByteArray& acta) const
{
    const QString cuando = Fecha.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
    if (Vigente(acta))
        return QStringLiteral("Acta firmada por %1 el %2").arg(Firmante, cuando);
    return QStringLiteral("El Acta ha cambiado después de firmarla: la firma de %1 del %2 no vale para el Acta "
                          "actual (se guarda como versión anterior).")
        .arg(Firmante, cuando);
}

std::optional<TActaFirmada> LeeActaFirmada(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria,
                                           bool conPdf)
{
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("SELECT FIRMANTE, FECHA, HUELLA%1 FROM ACTAS_FIRMADAS WHERE COMUNIDAD = ?COMUNIDAD "
                            "AND CONVOCATORIA = ?CONVOCATORIA")
                 .arg(conPdf ? QStringLiteral(", PDF") : QString()));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria);
    q.ExecQuery();
    std::optional<TActaFirmada> r;
    if (!q.Eof()) {
        r = TActaFirmada{conPdf ? q.Fields(3)->AsBytes() : QByteArray(), q.Fields(0)->AsString(),
                         q.Fields(1)->AsDateTime(), q.Fields(2)->AsString()};
    }
    q.Close();
    return r;
}

void GuardaActaFirmada(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria, const TActaFirmada& a)
{
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("UPDATE OR INSERT INTO ACTAS_FIRMADAS (COMUNIDAD, CONVOCATORIA, PDF, FIRMANTE, FECHA, HUELLA) "
                            "VALUES (?COMUNIDAD, ?CONVOCATORIA, ?PDF, ?FIRMANTE, ?FECHA, ?HUELLA) "
                            "MATCHING (COMUNIDAD, CONVOCATORIA)"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria);
    q.ParamByName(QStringLiteral("PDF"))->SetAsBytes(a.Pdf);
    q.ParamByName(QStringLiteral("FIRMANTE"))->SetAsString(a.Firmante.left(200));
    q.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(a.Fecha);
    q.ParamByName(QStringLiteral("HUELLA"))->SetAsString(a.Huella);
    q.ExecQuery();
    tr.CommitRetaining();
}
