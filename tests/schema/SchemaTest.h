#pragma once
// Databases built by the schema library once per test program and copied for
// each test, and a fixture with short helpers for running SQL on them.
#include "CreaBaseDatos.h"
#include "TestDatabase.h"

#include "FIBQuery.h"
#include "FIBTypes.h"

#include <QList>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace qdschema {

enum class TBase { Programa, Demo, Taldemar, TaldemarDemo, Halvenbook, HalvenbookDemo };

// A fresh copy of a database of the given kind.
QString Copia(TBase base);

using TParametros = std::vector<std::pair<QString, TFIBValue>>;

inline TFIBValue I(qint64 v) { return TFIBValue::Integer(v); }
inline TFIBValue F(double v) { return TFIBValue::Float(v); }
inline TFIBValue T(const QString& s) { return TFIBValue::Text(s); }
TFIBValue Dia(int anio, int mes, int dia);

class TBaseTest : public ::testing::Test {
protected:
    // Opens a fresh copy of the base (the program's empty database unless
    // the test opens another).
    void SetUp() override { Abre(TBase::Programa); }
    void Abre(TBase base);

    // Runs a statement in the connection's transaction.
    void Ejecuta(const QString& sql, const TParametros& p = {});
    // Every row of a select, each as a list of values.
    QList<QVariantList> Filas(const QString& sql, const TParametros& p = {});
    // The first column of the first row (invalid when there is none).
    QVariant Valor(const QString& sql, const TParametros& p = {});
    // The server's text when the statement fails; empty when it succeeds.
    QString Fallo(const QString& sql, const TParametros& p = {});
    void Confirma() { con->tr.CommitRetaining(); }

    // A community with owners and properties for the procedures' tests.
    void Comunidad(int codigo, const QString& nombre = QStringLiteral("C.P. PRUEBA"));
    void Propietario(int comunidad, int codigo, const QString& nombre);
    void Finca(int comunidad, int propietario, int codigo, double coeficiente, int activo = 1,
               const QString& nombre = QString());
    void Direccion(int comunidad, int propietario, int codigo, int activo);

    std::unique_ptr<qdtest::Connection> con;

private:
    void Prepara(TFIBQuery& q, const QString& sql, const TParametros& p);
};

} // namespace qdschema
