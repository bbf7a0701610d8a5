#include "SchemaTest.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QUuid>

namespace qdschema {

namespace {

void Construye(TBase base, const QString& path)
{
    TOpcionesBD o;
    o.ForcedWrites = false;
    switch (base) {
    case TBase::Programa: CreaBaseDatos(path, o); break;
    case TBase::Demo: o.Contenido = TContenidoBD::Demo; CreaBaseDatos(path, o); break;
    case TBase::Taldemar: CreaBaseTaldemar(path, o); break;
    case TBase::TaldemarDemo: o.Contenido = TContenidoBD::Demo; CreaBaseTaldemar(path, o); break;
    case TBase::Halvenbook: CreaBaseHalvenbook(path, o); break;
    case TBase::HalvenbookDemo: o.Contenido = TContenidoBD::Demo; CreaBaseHalvenbook(path, o); break;
    }
}

} // namespace

QString Copia(TBase base)
{
    return qdtest::FreshDatabaseFrom(QStringLiteral("schema-%1").arg(static_cast<int>(base)),
                                     [base](const QString& path) { Construye(base, path); });
}

TFIBValue Dia(int anio, int mes, int dia) { return TFIBValue::DateTime(MakeDateTime(QDate(anio, mes, dia))); }

void TBaseTest::Abre(TBase base)
{
    con.reset();
    con = std::make_unique<qdtest::Connection>(Copia(base));
}

void TBaseTest::Prepara(TFIBQuery& q, const QString& sql, const TParametros& p)
{
    q.SetDatabase(&con->db);
    q.SetTransaction(&con->tr);
    q.SetSQL(sql);
    for (const auto& [nombre, valor] : p) {
        TFIBParam* param = q.ParamByName(nombre);
        if (!param)
            throw std::runtime_error("unknown parameter " + nombre.toStdString());
        param->SetValue(valor);
    }
}

void TBaseTest::Ejecuta(const QString& sql, const TParametros& p)
{
    TFIBQuery q;
    Prepara(q, sql, p);
    q.ExecQuery();
}

QList<QVariantList> TBaseTest::Filas(const QString& sql, const TParametros& p)
{
    TFIBQuery q;
    Prepara(q, sql, p);
    q.ExecQuery();
    QList<QVariantList> filas;
    while (!q.Eof()) {
        QVariantList fila;
        for (int i = 0; i < q.FieldCount(); ++i)
            fila << (q.Fields(i)->IsNull() ? QVariant() : q.Fields(i)->AsVariant());
        filas << fila;
        q.Next();
    }
    return filas;
}

QVariant TBaseTest::Valor(const QString& sql, const TParametros& p)
{
    const QList<QVariantList> filas = Filas(sql, p);
    return filas.isEmpty() ? QVariant() : filas.first().value(0);
}

QString TBaseTest::Fallo(const QString& sql, const TParametros& p)
{
    try {
        Ejecuta(sql, p);
    } catch (const EFIBError& e) {
        return e.Message();
    }
    return QString();
}

void TBaseTest::Comunidad(int codigo, const QString& nombre)
{
    Ejecuta(QStringLiteral("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (?C, ?N)"),
            {{QStringLiteral("C"), I(codigo)}, {QStringLiteral("N"), T(nombre)}});
}

void TBaseTest::Propietario(int comunidad, int codigo, const QString& nombre)
{
    Ejecuta(QStringLiteral("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) VALUES (?C, ?P, ?N)"),
            {{QStringLiteral("C"), I(comunidad)}, {QStringLiteral("P"), I(codigo)}, {QStringLiteral("N"), T(nombre)}});
}

void TBaseTest::Finca(int comunidad, int propietario, int codigo, double coeficiente, int activo, const QString& nombre)
{
    Ejecuta(QStringLiteral("INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, COEFICIENTES, ACTIVO) "
                           "VALUES (?C, ?P, ?F, ?N, ?K, ?A)"),
            {{QStringLiteral("C"), I(comunidad)}, {QStringLiteral("P"), I(propietario)}, {QStringLiteral("F"), I(codigo)},
             {QStringLiteral("N"), T(nombre.isEmpty() ? QStringLiteral("FINCA %1").arg(codigo) : nombre)},
             {QStringLiteral("K"), F(coeficiente)}, {QStringLiteral("A"), I(activo)}});
}

void TBaseTest::Direccion(int comunidad, int propietario, int codigo, int activo)
{
    Ejecuta(QStringLiteral("INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, ACTIVO) "
                           "VALUES (?C, ?P, ?D, 'CALLE MAYOR, 1', ?A)"),
            {{QStringLiteral("C"), I(comunidad)}, {QStringLiteral("P"), I(propietario)}, {QStringLiteral("D"), I(codigo)},
             {QStringLiteral("A"), I(activo)}});
}

} // namespace qdschema
