// The conditions of a listing as text: the clauses they make, the check run
// before one is saved, the operator typed in the grid, the table names of a
// two-dataset statement and the lines other screens hand over.
#include "FIBError.h"
#include "UFormatos.h"
#include "UListados.h"

#include <gtest/gtest.h>

namespace {

const QDate kHoy(2026, 12, 10);

TCondicion C(const char* op, const char* campo, const char* tipo, const QString& contenido, const char* tabla = "")
{
    return {QLatin1String(op), QLatin1String(campo), QLatin1String(tipo), contenido, QLatin1String(tabla)};
}

} // namespace

TEST(Condiciones, EachOperatorAndTypeMakesItsText)
{
    const struct {
        TCondicion condicion;
        const char* donde;
    } casos[] = {
        // Text: a LIKE on the beginning, except the comparisons and "different".
        {C("IGUAL", "NOMBRE", "C", "ana"), "WHERE NOMBRE LIKE \"ANA%\""},
        {C("DESDE", "NOMBRE", "C", "B"), "WHERE NOMBRE LIKE \"B%\""},
        {C("HASTA", "NOMBRE", "C", "B"), "WHERE NOMBRE LIKE \"B%\""},
        {C(">    ", "NOMBRE", "C", "B"), "WHERE NOMBRE LIKE \"B%\""},
        {C("<", "NOMBRE", "C", "B"), "WHERE NOMBRE LIKE \"B%\""},
        {C(">=", "NOMBRE", "C", "b"), "WHERE NOMBRE >= \"B\""},
        {C("<=", "NOMBRE", "C", "M"), "WHERE NOMBRE <= \"M\""},
        {C("DISTI", "NOMBRE", "C", "X"), "WHERE NOMBRE<>\"X\""},
        // Every letter is upper-cased, accented ones too, as names are stored;
        // a value holding "DATE" is only data.
        {C("IGUAL", "nombre", "C", QStringLiteral("peña garcía")), "WHERE NOMBRE LIKE \"PEÑA GARCÍA%\""},
        {C("IGUAL", "NOMBRE", "C", "update"), "WHERE NOMBRE LIKE \"UPDATE%\""},
        {C("DISTI", "FECHA_ALTA", "C", "date"), "WHERE FECHA_ALTA<>\"DATE\""},
        // A quotation mark in the content is data, not the end of the literal.
        {C("IGUAL", "NOMBRE", "C", QStringLiteral("O\"BRIEN")), "WHERE NOMBRE LIKE \"O\"\"BRIEN%\""},
        // Dates: the whole day, written month/day/year.
        {C("IGUAL", "FECHA", "F", "05/03/2026"),
         "WHERE FECHA>=\"03/05/2026 00:00:00\"AND FECHA<=\"03/05/2026 23:59:59\""},
        {C("DESDE", "FECHA", "F", "05/03/2026"), "WHERE FECHA>=\"03/05/2026 00:00:00\""},
        {C(">=", "FECHA", "F", "05/03/2026"), "WHERE FECHA>=\"03/05/2026 00:00:00\""},
        {C("HASTA", "FECHA", "F", "5/3/2026"), "WHERE FECHA<=\"03/05/2026 23:59:59\""},
        {C("<=", "FECHA", "F", "05/03/2026"), "WHERE FECHA<=\"03/05/2026 23:59:59\""},
        {C("DISTI", "FECHA", "F", "05/03/2026"), "WHERE FECHA<>\"03/05/2026\""},
        {C(">", "FECHA", "F", "05/03/2026"), "WHERE "},
        {C("<", "FECHA", "F", "05/03/2026"), "WHERE "},
        // Numbers: the decimal comma becomes a point.
        {C("IGUAL", "IMPORTE", "N", "1,5"), "WHERE IMPORTE=1.5"},
        {C("DESDE", "IMPORTE", "N", "2"), "WHERE IMPORTE>=2"},
        {C("HASTA", "IMPORTE", "N", "2"), "WHERE IMPORTE<=2"},
        {C("DISTI", "IMPORTE", "N", "-3"), "WHERE IMPORTE<>-3"},
        {C(">", "IMPORTE", "N", "2"), "WHERE IMPORTE>2"},
        {C("<", "IMPORTE", "N", "1.234,5"), "WHERE IMPORTE<1234.5"},
        // An expression as written, upper-cased; the word DATE in it is today.
        {C("EXPRE", "", "C", "importe > 0 or importe is null"), "WHERE IMPORTE > 0 OR IMPORTE IS NULL"},
        {C("EXPRE", "", "C", "nombre = 'update' and fecha < date"),
         "WHERE NOMBRE = 'UPDATE' AND FECHA < \"12/10/2026\""},
        // Empty contents, unknown operators and the order add nothing here.
        {C("IGUAL", "NOMBRE", "C", "  "), "WHERE "},
        {C("MAYOR", "NOMBRE", "C", "A"), "WHERE "},
        {C("ORDEN", "NOMBRE", "C", "ASC"), "WHERE "},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.condicion.Operador.toStdString() + " " + c.condicion.Tipo.toStdString() + " " +
                     c.condicion.Contenido.toStdString());
        EXPECT_EQ(ClausulaListado(1, {c.condicion}, {}, kHoy).toStdString(), c.donde);
    }
}

TEST(Condiciones, TodayIsDateAndTheClausesJoinInOrder)
{
    // "DATE" as a date content is today; in an expression too.
    EXPECT_EQ(ClausulaListado(1, {C("IGUAL", "FECHA", "F", "DATE")}, {}, QDate::currentDate()),
              QStringLiteral("WHERE FECHA>=\"%1 00:00:00\"AND FECHA<=\"%1 23:59:59\"")
                  .arg(QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy"))));
    EXPECT_EQ(ClausulaListado(1, {C("EXPRE", "", "C", "fecha < date")}, {}, kHoy),
              QStringLiteral("WHERE FECHA < \"12/10/2026\""));
    // Only "DATE" in capitals is today's: a lower-case one does not convert.
    EXPECT_THROW(ClausulaListado(1, {C("DESDE", "FECHA", "F", "date")}, {}, kHoy), EConvertError);

    const QList<TCondicion> varias{
        C(">", "FECHA", "F", "01/01/2026"), // left out, with its joining AND
        C("IGUAL", "COMUNIDAD", "N", "1"),
        C("ORDEN", "FINCA", "C", ""),
        C("IGUAL", "NOMBRE", "C", ""),      // inactive
        C("DESDE", "CODIGO", "N", "10"),
        C("ORDEN", "IMPORTE", "N", "desc"),
        C("ORDEN", "CODIGO", "N", "ASC"),
        C("IGUAL", "CODIGO", "N", "7", "OTRA"), // another table's
    };
    EXPECT_EQ(ClausulaListado(1, varias, {}, kHoy), QStringLiteral("WHERE COMUNIDAD=1 AND CODIGO>=10"));
    EXPECT_EQ(ClausulaListado(2, varias, {}, kHoy), QStringLiteral("ORDER BY FINCA,IMPORTE DESC,CODIGO ASC"));
    EXPECT_EQ(ClausulaListado(1, varias, QStringLiteral("OTRA"), kHoy), QStringLiteral("WHERE CODIGO=7"));
    EXPECT_EQ(ClausulaListado(2, varias, QStringLiteral("OTRA"), kHoy), QStringLiteral("ORDER BY "));
    EXPECT_EQ(ClausulaListado(1, {}, {}, kHoy), QStringLiteral("WHERE "));
}

TEST(Condiciones, TheCheckBeforeSavingRefusesWhatDoesNotSuitTheType)
{
    const QString noNumero = QStringLiteral("\"ASCII_VAL('')OR 1=1\" No es un valor numerico");
    const struct {
        const char* operador;
        const char* tipo;
        QString contenido;
        QString error;
    } casos[] = {
        {"IGUAL", "X", "1", QStringLiteral("Los tipos posibles son: Fecha, Carácter, Numérico")},
        {"IGUAL", "", "", QStringLiteral("Los tipos posibles son: Fecha, Carácter, Numérico")},
        {"IGUAL", "F", "31/02/2026", QStringLiteral("\"31/02/2026\" No es una fecha valida")},
        {"DESDE", "F", "mañana", QStringLiteral("\"mañana\" No es una fecha valida")},
        {"IGUAL", "N", "1.5", QStringLiteral("\"1.5\" No es un valor numerico")},
        {"IGUAL", "N", "dos", QStringLiteral("\"dos\" No es un valor numerico")},
        // A direction is the order's only: in any other condition a content
        // beginning with ASC or DESC is checked as what it is.
        {"IGUAL", "N", "ASCII_VAL('')OR 1=1", noNumero},
        {"DESDE", "N", "ASCII_VAL('')OR 1=1", noNumero},
        {"HASTA", "N", "DESC", QStringLiteral("\"DESC\" No es un valor numerico")},
        {"DISTI", "N", "asc", QStringLiteral("\"asc\" No es un valor numerico")},
        {">=   ", "N", "DESCUENTO", QStringLiteral("\"DESCUENTO\" No es un valor numerico")},
        {"<", "N", "ASC", QStringLiteral("\"ASC\" No es un valor numerico")},
        {"IGUAL", "F", "DESC", QStringLiteral("\"DESC\" No es una fecha valida")},
        // Accepted: dates, directions of an order, today, numbers with the comma, any text.
        {"IGUAL", "F", "28/02/2026", {}},
        {"IGUAL", "F", "DATE", {}},
        {"IGUAL", "F", "date", {}},
        {"ORDEN", "F", "desc", {}},
        {"IGUAL", "F", "", {}},
        {"ORDEN", "N", "ASC", {}},
        {" ORDEN ", "N", "Desc", {}},
        {"IGUAL", "N", "-1,25", {}},
        {"IGUAL", "C", "lo que sea \"", {}},
        {"IGUAL", "C", "ASCII_VAL('')OR 1=1", {}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.operador) + " " + c.tipo + " " + c.contenido.toStdString());
        const QString op = QLatin1String(c.operador);
        EXPECT_EQ(ErrorCondicion(op, QLatin1String(c.tipo), c.contenido), c.error);
        if (c.error.isEmpty()) {
            EXPECT_NO_THROW(CompruebaCondicion(op, QLatin1String(c.tipo), c.contenido));
        } else {
            try {
                CompruebaCondicion(op, QLatin1String(c.tipo), c.contenido);
                ADD_FAILURE() << "accepted";
            } catch (const EAviso& e) {
                EXPECT_EQ(QString::fromUtf8(e.what()), c.error);
            }
        }
    }
}

TEST(Condiciones, OnlyNumbersAndKnownColumnsGoIntoTheStatement)
{
    // A stored content that is no number (saved before it was checked) is
    // refused when the clause is built, never written into it.
    for (const char* contenido : {"ASCII_VAL('')OR 1=1", "DESC", "1;DELETE"}) {
        SCOPED_TRACE(contenido);
        EXPECT_THROW(ClausulaListado(1, {C("IGUAL", "CONVOCATORIA", "N", contenido)}, {}, kHoy), EAviso);
    }

    const QStringList columnas{"COMUNIDAD", "CONVOCATORIA", "Nombre"};
    const struct {
        TCondicion condicion;
        bool aceptada;
    } casos[] = {
        {C("IGUAL", "CONVOCATORIA", "N", "1"), true},
        {C("ORDEN", " nombre ", "C", ""), true},
        {C("IGUAL", "(SELECT FIRST 1 CLAVE FROM SYS_USUARIO)", "C", "A"), false},
        {C("ORDEN", "(SELECT 1 FROM RDB$DATABASE)", "N", ""), false},
        {C("DESDE", "COMUNIDAD OR 1=1 --", "N", "1"), false},
        // Conditions that write no field are not asked for one.
        {C("IGUAL", "(SELECT 1)", "C", ""), true},
        {C("EXPRE", "LO QUE SEA", "C", "COMUNIDAD = 1"), true},
        {C(">", "(SELECT 1)", "F", "01/01/2026"), true},
        // Another table's condition is checked with that table's columns.
        {C("IGUAL", "(SELECT 1)", "N", "1", "OTRA"), true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.condicion.Operador.toStdString() + " " + c.condicion.Campo.toStdString());
        if (c.aceptada) {
            EXPECT_NO_THROW(CompruebaCampos({c.condicion}, {}, columnas));
        } else {
            try {
                CompruebaCampos({c.condicion}, {}, columnas);
                ADD_FAILURE() << "accepted";
            } catch (const EAviso& e) {
                EXPECT_TRUE(e.Message().contains(c.condicion.Campo.trimmed())) << e.what();
            }
        }
    }
}

TEST(Condiciones, TypedOperatorsTablesAndLines)
{
    const std::pair<const char*, const char*> operadores[] = {
        {"", "DESDE"},   {"d", "DESDE"}, {"h", "HASTA"}, {"ig", "IGUAL"}, {"o", "ORDEN"},
        {"di", "DISTI"}, {"e", "EXPRE"}, {">=", ">="},   {"x", "X"},      {"iguales", "IGUALES"}};
    for (const auto& [tecleado, guardado] : operadores)
        EXPECT_EQ(OperadorTecleado(QLatin1String(tecleado)), QLatin1String(guardado)) << tecleado;
    EXPECT_EQ(OperadoresCondicion().size(), 10);
    EXPECT_EQ(OperadoresCondicion().at(6), QStringLiteral(">=   "));

    const QString dos = QStringLiteral("select * from emp_propietario where comunidad=1;"
                                       "SELECT * FROM EMP_FINCAS WHERE PROPIETARIO=?CODIGO");
    EXPECT_EQ(TablaListado(dos, 1), QStringLiteral("EMP_PROPIETARIO"));
    EXPECT_EQ(TablaListado(dos, 2), QStringLiteral("EMP_FINCAS"));
    // A name that ends the text has no blank after it; one too long neither.
    EXPECT_EQ(TablaListado(QStringLiteral("SELECT * FROM A ;SELECT * FROM EMP_FINCAS"), 2), QString());
    EXPECT_EQ(TablaListado(QStringLiteral("SELECT * FROM NOMBRE_DE_TABLA_MUY_LARGO_DE_VERAS X"), 1), QString());
    EXPECT_EQ(TablaListado(QStringLiteral("SELECT 1"), 1), QString());

    const QString linea = LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("CONVOCATORIA"), QStringLiteral("N"),
                                         QStringLiteral(" 12 "));
    EXPECT_EQ(linea.size(), 80) << "the table column may be left out";
    EXPECT_EQ(linea.mid(20, 20), QStringLiteral("CONVOCATORIA        "));
    EXPECT_EQ(CondicionDeLinea(linea), C("IGUAL", "CONVOCATORIA", "N", "12"));
    EXPECT_EQ(CondicionDeLinea(LineaCondicion("ORDEN", "FINCA", "C", "", "EMP_FINCAS")),
              C("ORDEN", "FINCA", "C", "", "EMP_FINCAS"));
    // Each column cut to the width it is stored in.
    EXPECT_EQ(CondicionDeLinea(LineaCondicion("IGUALES", "CAMPO", "NN", "1")).Operador, QStringLiteral("IGUAL"));
}
