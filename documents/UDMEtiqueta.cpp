#include "UDMEtiqueta.h"
#include "FIBReportSource.h"
#include "FIBQuery.h"
#include "ReportLayout.h"
#include "ReportXml.h"
#include "UDMMain.h"
#include "UEtiquetasRtf.h"
#include "UFormatos.h"
#include "USalida.h"
#include "UTextos.h"
#include "WaitCursor.h"

namespace {

void Define(TFIBDataSet& ds, const QStringList& sql)
{
    ds.SetDatabase(&DMMain->DataBase);
    ds.SetSelectSQL(sql);
}

// A code typed in a field: a whole number, or the conversion error (an
// empty field is none either).
qint64 Codigo(const QString& texto)
{
    if (Recorta(texto).isEmpty())
        throw EConvertError(QStringLiteral("'%1' no es un número entero válido").arg(texto));
    return TextoAEntero(texto);
}

QString Fichero(const char* nombre) { return Entorno.CaminoPrograma + QLatin1Char('/') + QLatin1String(nombre); }

} // namespace

TDMEtiqueta::TDMEtiqueta()
{
    FIBTransaction.StartTransaction();
    for (TFIBDataSet* ds : {&QEtiqueta, &QAdministrador, &QFormatos, &QFormato})
        ds->SetTransaction(&FIBTransaction);
    QEtiqueta.Name = QStringLiteral("QEtiqueta");
    Define(QEtiqueta, {QStringLiteral("SELECT * FROM VER_PROPIETARIO_DIRE")});
    QAdministrador.Name = QStringLiteral("QAdministrador");
    Define(QAdministrador, {QStringLiteral("SELECT * FROM ADMINISTRADOR")});
    QFormatos.Name = QStringLiteral("QFormatos");
    Define(QFormatos, {QStringLiteral("SELECT * FROM SYS_FORMATOS WHERE TIPO=2 ORDER BY CODIGO")});
    QFormato.Name = QStringLiteral("QFormato");
    Define(QFormato, {QStringLiteral("SELECT * FROM SYS_FORMATOS WHERE TIPO=2 AND CODIGO = ?CODIGO")});

    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(QStringLiteral("SELECT MIN(CODIGO) MINIMO,MAX(CODIGO) MAXIMO FROM EMP_PROPIETARIO "
                            "WHERE COMUNIDAD=?COMUNIDAD AND CODIGO <> 0"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    q.ExecQuery();
    primero_ = q.Fields(0)->IsNull() ? QString() : q.Fields(0)->AsString();
    ultimo_ = q.Fields(1)->IsNull() ? QString() : q.Fields(1)->AsString();
    q.Close();
    QFormatos.Open();
    if (!QFormatos.IsEmpty())
        primerFormato_ = QFormatos.FieldByName(QStringLiteral("CODIGO"))->AsString();
}

TDMEtiqueta::~TDMEtiqueta() = default;

QString TDMEtiqueta::Nombre(const QString& sql, const QString& parametro, const QString& codigo)
{
    bool numero = false;
    const qint64 valor = Recorta(codigo).toLongLong(&numero);
    if (!numero)
        return {};
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&FIBTransaction);
    q.SetSQL(sql);
    if (TFIBParam* comunidad = q.ParamByName(QStringLiteral("COMUNIDAD")))
        comunidad->SetAsInteger(Entorno.Comunidad);
    q.ParamByName(parametro)->SetAsInteger(valor);
    q.ExecQuery();
    return q.Eof() ? QString() : q.Fields(0)->AsString();
}

QString TDMEtiqueta::NombrePropietario(const QString& codigo)
{
    return Nombre(QStringLiteral("SELECT NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?CODIGO"),
                  QStringLiteral("CODIGO"), codigo);
}

QString TDMEtiqueta::NombreFormato(const QString& codigo)
{
    return Nombre(QStringLiteral("SELECT NOMBRE FROM SYS_FORMATOS WHERE CODIGO=?CODIGO"), QStringLiteral("CODIGO"), codigo);
}

QString TDMEtiqueta::NombreIdioma(const QString& codigo)
{
    return Nombre(QStringLiteral("SELECT NOMBRE FROM SYS_IDIOMAS WHERE CODIGO=?IDIOMA"), QStringLiteral("IDIOMA"), codigo);
}

QStringList TDMEtiqueta::SentenciaEtiquetas(const TPeticionEtiquetas& p)
{
    QStringList sql{QStringLiteral("SELECT * FROM VER_PROPIETARIO_DIRE"), QStringLiteral("WHERE COMUNIDAD=?COMUNIDAD AND")};
    if (p.Selectivo) {
        sql << QStringLiteral("TEXTO = 1 AND ACTIVO=1");
    } else {
        sql << QStringLiteral("CODIGO >= ?CODIGO1 AND CODIGO <= ?CODIGO2 AND");
        switch (p.Correo) {
        case TPeticionEtiquetas::Todos:
            sql << QStringLiteral("ACTIVO = 1");
            break;
        case TPeticionEtiquetas::ConCorreo:
            sql << QStringLiteral("ACTIVO = 1 AND rtrim(ltrim(e_mail))<> \"\"");
            break;
        case TPeticionEtiquetas::SinCorreo:
            sql << QStringLiteral("ACTIVO = 1 AND rtrim(ltrim(e_mail))= \"\"");
            break;
        }
        // The language travels as a parameter: a typed code is never SQL.
        if (!Recorta(p.Idioma).isEmpty())
            sql << QStringLiteral("AND IDIOMA=?IDIOMA");
    }
    // The order is one of the screen's fixed list, never typed.
    static const QStringList kOrdenes{QStringLiteral("CODIGO"),        QStringLiteral("NOMBRE"),
                                      QStringLiteral("DOMICILIO"),     QStringLiteral("CODIGO_POSTAL"),
                                      QStringLiteral("POBLACION"),     QStringLiteral("PROVINCIA"),
                                      QStringLiteral("IDIOMA")};
    sql << QStringLiteral("ORDER BY ") + (kOrdenes.contains(p.Orden) ? p.Orden : kOrdenes.front());
    return sql;
}

QByteArray TDMEtiqueta::Prepara(const TPeticionEtiquetas& p)
{
    QFormatos.Close();
    QFormatos.Open();
    if (QFormatos.IsEmpty())
        throw EAviso(QStringLiteral("No hay formatos de etiquetas definidos, creelos en formatos"));
    QAdministrador.Close();
    QAdministrador.Open();
    QFormato.Close();
    QFormato.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(Codigo(p.Formato));
    QFormato.Open();
    const QByteArray formato = QFormato.IsEmpty() ? QByteArray() : QFormato.FieldByName(QStringLiteral("FORMATO"))->AsBytes();
    QFormato.Close();
    if (formato.isEmpty())
        throw EAviso(QStringLiteral("No se ha confeccionado el formato de la etiqueta, hágalo en la opción de formatos"));

    QEtiqueta.Close();
    QEtiqueta.SetSelectSQL(SentenciaEtiquetas(p));
    QEtiqueta.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    if (!p.Selectivo) {
        QEtiqueta.ParamByName(QStringLiteral("CODIGO1"))->SetAsInteger(Codigo(p.Desde));
        QEtiqueta.ParamByName(QStringLiteral("CODIGO2"))->SetAsInteger(Codigo(p.Hasta));
        if (TFIBParam* idioma = QEtiqueta.ParamByName(QStringLiteral("IDIOMA")))
            idioma->SetAsInteger(Codigo(p.Idioma));
    }
    QEtiqueta.Open();
    return formato;
}

qdr::Document TDMEtiqueta::EtiquetasInforme(const TPeticionEtiquetas& p)
{
    const QByteArray formato = Prepara(p);
    const QString tmp = Fichero("tmp.rtf");
    GuardaFichero(tmp, formato);
    const qdr::Report informe = qdr::loadReport(tmp);
    TWaitCursor espera;
    qdr::TFIBReportSource etiquetas(QEtiqueta);
    qdr::TFIBReportSource administrador(QAdministrador);
    qdr::ReportData datos;
    datos.addDataSet(QStringLiteral("frDBDataSet1"), &etiquetas);
    datos.addDataSet(QStringLiteral("QAdministrador"), &administrador);
    return qdr::layoutReport(informe, datos);
}

QString TDMEtiqueta::EtiquetasWord(const TPeticionEtiquetas& p)
{
    const QByteArray formato = Prepara(p);
    TWaitCursor espera;
    const QString tmp2 = Fichero("tmp2.rtf");
    GuardaFichero(tmp2, formato);
    const QByteArray hoja = CargaFichero(tmp2);
    TField* nombre = QEtiqueta.FieldByName(QStringLiteral("NOMBRE"));
    TField* domicilio = QEtiqueta.FieldByName(QStringLiteral("DOMICILIO"));
    TField* postal = QEtiqueta.FieldByName(QStringLiteral("CODIGO_POSTAL"));
    TField* poblacion = QEtiqueta.FieldByName(QStringLiteral("POBLACION"));
    TField* provincia = QEtiqueta.FieldByName(QStringLiteral("PROVINCIA"));
    QEtiqueta.First();
    bool primera = true;
    const QByteArray fusion = FusionaEtiquetas(hoja, [&](TDireccionEtiqueta& fila) {
        if (!primera)
            QEtiqueta.Next();
        primera = false;
        if (QEtiqueta.Eof() || QEtiqueta.IsEmpty())
            return false;
        fila.Nombre = nombre->AsString();
        fila.Domicilio = domicilio->AsString();
        fila.CodigoPostal = postal->AsString();
        fila.Poblacion = poblacion->AsString();
        fila.Provincia = provincia->AsString();
        return true;
    });
    GuardaFichero(tmp2, fusion);
    return tmp2;
}
