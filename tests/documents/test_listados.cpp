// User-defined listings against a fresh program database: runs with and
// without conditions, two-dataset listings, the exchange pair, the supplied
// listings run by code, and the screen "Creación de listados".
#include "Capturas.h"
#include "Ficheros.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "ReportDocument.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "UDBControles.h"
#include "UFListados.h"
#include "UHYDBGrid.h"
#include "UIntercambio.h"
#include "UListados.h"
#include "UNavigator.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <functional>

namespace {

using qdtest::LeeFichero;

// A format listing the master's NOMBRE and, under each, the detail's.
QByteArray Formato(bool conDetalle = false)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<report version=\"1\" name=\"Prueba\">\n"
                     "  <band kind=\"MasterData\" name=\"Datos\" dataset=\"frDBCampos\" height=\"5\">\n"
                     "    <text x=\"0\" y=\"0\" w=\"80\" h=\"5\" text='[frDBCampos.\"NOMBRE\"]'/>\n"
                     "  </band>\n";
    if (conDetalle)
        xml += "  <band kind=\"DetailData\" name=\"Fincas\" dataset=\"frDBDetalle\" height=\"5\">\n"
               "    <text x=\"10\" y=\"0\" w=\"80\" h=\"5\" text='- [frDBDetalle.\"NOMBRE\"]'/>\n"
               "  </band>\n";
    return xml + "</report>\n";
}

// The texts of the data bands, one line per band.
QStringList Filas(const qdr::Document& doc)
{
    QStringList l;
    for (const QStringList& fila : qdr::dataRows(doc))
        l << fila.join(u'|');
    return l;
}

class Listados : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (1, 'LOS ALMENDROS')");
        Entorno.Comunidad = 1;
        Entorno.CaminoPrograma = programa.path();
        const char* nombres[] = {"ANA RUIZ", "PEÑA LUIS", "EVA SANZ", "O\"BRIEN"};
        for (int i = 0; i < 4; ++i) {
            dm->QGen.SetSQL("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) VALUES (1, ?C, ?N)");
            dm->QGen.ParamByName("C")->SetAsInteger(i + 1);
            dm->QGen.ParamByName("N")->SetAsString(QString::fromUtf8(nombres[i]));
            dm->QGen.ExecQuery();
        }
        const std::tuple<int, int, const char*> fincas[] = {{1, 1, "1A"}, {1, 2, "2B"}, {2, 1, "3C"}, {3, 1, "4D"}};
        for (const auto& [propietario, codigo, nombre] : fincas) {
            dm->QGen.SetSQL("INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, COEFICIENTES, ACTIVO) "
                            "VALUES (1, ?P, ?C, ?N, 10, 1)");
            dm->QGen.ParamByName("P")->SetAsInteger(propietario);
            dm->QGen.ParamByName("C")->SetAsInteger(codigo);
            dm->QGen.ParamByName("N")->SetAsString(QLatin1String(nombre));
            dm->QGen.ExecQuery();
        }
        dm->TGenerica.CommitRetaining();
    }
    void Listado(int codigo, const QString& sql, const QByteArray& formato, const QList<TCondicion>& condiciones = {})
    {
        dm->QGen.SetSQL("INSERT INTO SYS_LISTADOS (CODIGO, NOMBRE, SQL, FICHERO) VALUES (?C, 'PRUEBA', ?S, ?F)");
        dm->QGen.ParamByName("C")->SetAsInteger(codigo);
        dm->QGen.ParamByName("S")->SetAsString(sql);
        if (formato.isEmpty())
            dm->QGen.ParamByName("F")->SetNull();
        else
            dm->QGen.ParamByName("F")->SetAsBytes(formato);
        dm->QGen.ExecQuery();
        int n = 0;
        for (const TCondicion& c : condiciones) {
            dm->QGen.SetSQL("INSERT INTO SYS_LISTADOS_CONDICIONES (CODIGO, NUMERO, OPERADOR, CAMPO, TIPOCAMPO, CONTENIDO, TABLA) "
                            "VALUES (?C, ?N, ?O, ?CA, ?T, ?CO, ?TA)");
            dm->QGen.ParamByName("C")->SetAsInteger(codigo);
            dm->QGen.ParamByName("N")->SetAsInteger(++n);
            dm->QGen.ParamByName("O")->SetAsString(c.Operador);
            dm->QGen.ParamByName("CA")->SetAsString(c.Campo);
            dm->QGen.ParamByName("T")->SetAsString(c.Tipo);
            dm->QGen.ParamByName("CO")->SetAsString(c.Contenido);
            dm->QGen.ParamByName("TA")->SetAsString(c.Tabla);
            dm->QGen.ExecQuery();
        }
        dm->TGenerica.CommitRetaining();
    }
    QString Fichero(const char* nombre) const { return programa.path() + "/" + nombre; }
};

TCondicion C(const char* op, const char* campo, const char* tipo, const QString& contenido, const char* tabla = "")
{
    return {QLatin1String(op), QLatin1String(campo), QLatin1String(tipo), contenido, QLatin1String(tabla)};
}

const QString kPropietarios = QStringLiteral("SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD = 1 AND CODIGO > 0");
// Without a WHERE of its own, as a one-dataset listing with conditions must be.
const QString kTodos = QStringLiteral("SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO");

TEST_F(Listados, ConditionsChooseAndOrderTheRowsAndNoneLeaveTheStatementAlone)
{
    Listado(1, kPropietarios, Formato());
    Listado(2, kTodos, Formato(),
            {C("DESDE", "CODIGO", "N", "2"), C("ORDEN", "NOMBRE", "C", "DESC"), C("IGUAL", "NOMBRE", "C", "")});
    Listado(3, "SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO", Formato(),
            {C("IGUAL", "NOMBRE", "C", QStringLiteral("peña")), C("IGUAL", "COMUNIDAD", "N", "1")});
    Listado(4, "SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO", Formato(), {C("IGUAL", "NOMBRE", "C", "o\"b")});
    TDMFListados m;
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {1}));
    auto doc = m.EjecutaListado({});
    ASSERT_TRUE(doc);
    EXPECT_EQ(m.QCampos.SelectSQL(), QStringList{kPropietarios}) << "no condition: the statement as written";
    EXPECT_EQ(Filas(*doc).size(), 4);
    EXPECT_EQ(doc->title, QStringLiteral("Prueba")) << "the format's name";
    EXPECT_FALSE(m.QCampos.Active()) << "the datasets close after the run";

    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {2}));
    doc = m.EjecutaListado({});
    EXPECT_EQ(m.QCampos.SelectSQL(), (QStringList{kTodos, "WHERE CODIGO>=2", "ORDER BY NOMBRE DESC"}));
    EXPECT_EQ(Filas(*doc), (QStringList{"PEÑA LUIS", "O\"BRIEN", "EVA SANZ"}));

    // The content is upper-cased letter by letter: "peña" finds "PEÑA"; the
    // condition may name a column of the table the statement does not list.
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {3}));
    EXPECT_EQ(Filas(*m.EjecutaListado({})), QStringList{"PEÑA LUIS"});
    // A quotation mark in a content is searched for, not a broken statement.
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {4}));
    EXPECT_EQ(Filas(*m.EjecutaListado({})), QStringList{"O\"BRIEN"});

    // Conditions handed in are used instead of the stored ones.
    doc = m.EjecutaListado({}, QList<TCondicion>{C("IGUAL", "CODIGO", "N", "3")});
    EXPECT_EQ(Filas(*doc), QStringList{"EVA SANZ"});
}

TEST_F(Listados, TwoDatasetListingsTakeTheConditionsOfEachTable)
{
    const QString dos = kPropietarios + QStringLiteral(";SELECT NOMBRE FROM EMP_FINCAS WHERE COMUNIDAD = 1 AND "
                                                       "PROPIETARIO = ?CODIGO ");
    Listado(1, dos, Formato(true),
            {C("HASTA", "CODIGO", "N", "2", "EMP_PROPIETARIO"), C("ORDEN", "NOMBRE", "C", "DESC", "EMP_FINCAS"),
             C("IGUAL", "CODIGO", "N", "99")}); // no table: belongs to neither
    // The second name ends the text: it is empty, and the conditions without
    // table go to the detail.
    Listado(2, kPropietarios + QStringLiteral(";SELECT * FROM EMP_FINCAS"), Formato(true),
            {C("IGUAL", "CODIGO", "N", "1", "EMP_PROPIETARIO"), C("DISTI", "NOMBRE", "C", "2B")});
    TDMFListados m;
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {1}));
    EXPECT_TRUE(m.DosConjuntos());
    auto doc = m.EjecutaListado({});
    ASSERT_TRUE(doc);
    EXPECT_EQ(m.QCampos.SelectSQL(), (QStringList{kPropietarios.section(u';', 0, 0), " AND  CODIGO<=2"}));
    EXPECT_EQ(m.QDetalle.SelectSQL().value(1), "ORDER BY NOMBRE DESC");
    EXPECT_EQ(Filas(*doc), (QStringList{"ANA RUIZ", "- 2B", "- 1A", "PEÑA LUIS", "- 3C"}));

    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {2}));
    doc = m.EjecutaListado({});
    EXPECT_EQ(m.QDetalle.SelectSQL(), (QStringList{"SELECT * FROM EMP_FINCAS", "WHERE NOMBRE<>\"2B\""}));
    EXPECT_EQ(Filas(*doc), (QStringList{"ANA RUIZ", "- 1A", "- 3C", "- 4D"}));

    // What the grid offers for each table's conditions.
    m.RefrescaOfertas(QStringLiteral("EMP_FINCAS"));
    EXPECT_TRUE(m.Ofertas.Tipos.contains("NCOEFICIENTES")) << m.Ofertas.Tipos.join(',').toStdString();
    EXPECT_EQ(m.Ofertas.Tablas, (QStringList{"EMP_PROPIETARIO", QString()}));
    m.RefrescaOfertas({});
    EXPECT_EQ(m.Ofertas.Tipos, (QStringList{"NCODIGO", "CNOMBRE"}));
    EXPECT_FALSE(m.QCampos.Active());
}

TEST_F(Listados, AListingWithoutFormatOrWithABadStatementDoesNotRun)
{
    Listado(1, kPropietarios, {});
    Listado(2, kPropietarios + " ORDER BY NOMBRE", Formato(), {C("ORDEN", "CODIGO", "N", "")});
    TDMFListados m;
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {1}));
    try {
        m.EjecutaListado(QStringLiteral("PDF"));
        ADD_FAILURE();
    } catch (const EAviso& e) {
        EXPECT_STREQ(e.what(), "Debe primero confeccionar el listado.");
    }
    EXPECT_FALSE(QFile::exists(Fichero("tmp.pdf")));
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {2}));
    EXPECT_THROW(m.EjecutaListado({}), EFIBError) << "the server's own error";
    EXPECT_FALSE(m.QCampos.Active());
}

TEST_F(Listados, TheGridNumbersChecksAndTypesTheConditions)
{
    Listado(1, kTodos, Formato());
    TDMFListados m;
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {1}));
    m.RefrescaOfertas({});
    TFIBTableSet& c = m.QCondiciones;
    c.Append();
    c.FieldByName("OPERADOR")->SetText("ig");
    c.FieldByName("CAMPO")->SetAsString("CODIGO");
    EXPECT_EQ(c.FieldByName("TIPOCAMPO")->AsString(), "N") << "the type follows the field";
    c.FieldByName("CONTENIDO")->SetAsString("uno");
    try {
        c.Post();
        ADD_FAILURE();
    } catch (const EAviso& e) {
        EXPECT_STREQ(e.what(), "\"uno\" No es un valor numerico");
    }
    EXPECT_EQ(c.State(), TDataSetState::dsInsert) << "the row stays in edit";
    c.FieldByName("CONTENIDO")->SetAsString("3");
    c.Post();
    c.Append();
    c.FieldByName("OPERADOR")->SetText("e");
    EXPECT_EQ(c.FieldByName("OPERADOR")->AsString(), "EXPRE");
    EXPECT_EQ(c.FieldByName("TIPOCAMPO")->AsString(), "C");
    c.FieldByName("CONTENIDO")->SetAsString("nombre starting with 'E'");
    c.Post();
    EXPECT_EQ(Sql("SELECT LIST(NUMERO || OPERADOR || TIPOCAMPO, ',') FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 1")
                  .toString(),
              "1IGUALN,2EXPREC");
    EXPECT_EQ(Filas(*m.EjecutaListado({})), QStringList{"EVA SANZ"});
}

TEST_F(Listados, TheExchangePairTravelsByteForByteAndImportsAboveTheSuppliedListings)
{
    Listado(7, QString(kPropietarios).replace(" FROM", "\nFROM"), Formato(true),
            {C("IGUAL", "NOMBRE", "C", QStringLiteral("peña")), C("ORDEN", "CODIGO", "N", "DESC", "EMP_PROPIETARIO")});
    TDMFListados m;
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {7}));
    const QStringList lineas = m.LineasIntercambio();
    ASSERT_EQ(lineas.size(), 6);
    EXPECT_EQ(lineas[4], QStringLiteral("IGUALNOMBRE             Cpeña") + QString(36, u' ') + QString(30, u' '));
    QDir(programa.path()).mkdir("salida");
    const QString carpeta = programa.path() + "/salida";
    EscribeIntercambio(carpeta, 7, lineas, m.QTabla.FieldByName("FICHERO")->AsBytes());
    const QByteArray txt = LeeFichero(carpeta + "/FORMATO00007.TXT");
    // The statement's line break stays, a bare line feed inside its line.
    EXPECT_TRUE(txt.startsWith("PRUEBA\r\n1\r\n" + QString(kPropietarios).replace(" FROM", "\nFROM").toUtf8() +
                               "\r\nVACIO\r\n"))
        << txt.toStdString();
    EXPECT_TRUE(txt.contains("Cpe\xf1" "a ")) << "one byte a character";
    EXPECT_EQ(LeeFichero(carpeta + "/FORMATO00007.FRF"), Formato(true));

    // Into the database with the supplied listings: above the highest code.
    const TParIntercambio par = ParImportacion(carpeta + "/FORMATO00007.FRF");
    EXPECT_EQ(par.Codigo, 7);
    EXPECT_TRUE(m.ExisteCodigo(7));
    m.Importa(par.Frf, LeeLineasIntercambio(par.Txt), par.Codigo, false);
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->AsInteger(), 9010);
    EXPECT_EQ(m.QTabla.FieldByName("SQL")->AsString(), QString(kPropietarios).replace(" FROM", "\nFROM"));
    EscribeIntercambio(programa.path(), 9010, m.LineasIntercambio(), m.QTabla.FieldByName("FICHERO")->AsBytes());
    EXPECT_EQ(LeeFichero(Fichero("FORMATO09010.TXT")), txt);
    EXPECT_EQ(LeeFichero(Fichero("FORMATO09010.FRF")), Formato(true));

    // Replacing keeps the conditions the listing has; the imported follow.
    m.Importa(par.Frf, LeeLineasIntercambio(par.Txt), par.Codigo, true);
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->AsInteger(), 7);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 7").toInt(), 4);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS").toInt(), 5);

    // A statement longer than its column is refused, not cut.
    QStringList larga = lineas;
    larga[2] = kTodos + QStringLiteral(" WHERE NOMBRE <> '") + QString(200, u'x') + u'\'';
    EXPECT_THROW(m.Importa(par.Frf, larga, 7, false), EAviso);
    EXPECT_EQ(m.QTabla.State(), TDataSetState::dsBrowse);

    // A refused condition leaves nothing imported.
    QStringList mala = lineas;
    mala[4].replace(24, 1, u'N');
    EXPECT_THROW(m.Importa(par.Frf, mala, 7, false), EAviso);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS").toInt(), 5);
}

// The listing 9000 as the meeting list and the convocation workspace run it.
class Suministrados : public Listados {
protected:
    void SetUp() override
    {
        Listados::SetUp();
        Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES, FECHA) VALUES (1, 1, 'ORDINARIA', '2026-06-01')");
        Sql("EXECUTE PROCEDURE VOTACIONES_PROPI(1, 1)");
        Sql("UPDATE VOTACIONES SET ASISTENCIA = 1 WHERE COMUNIDAD = 1 AND CONVOCATORIA = 1 AND PROPIETARIO IN (1, 2)");
    }
    QStringList Lineas(const char* convocatoria = "1")
    {
        return {LineaCondicion("IGUAL", "COMUNIDAD", "N", "1"), LineaCondicion("IGUAL", "CONVOCATORIA", "N", convocatoria),
                LineaCondicion("IGUAL", "ASISTENCIA", "N", "1"), LineaCondicion("ORDEN", "PROPIETARIO", "C", "")};
    }
};

TEST_F(Suministrados, TheRunUsesTheLinesItWasHandedAndStoresThem)
{
    ASSERT_GT(Sql("SELECT COUNT(*) FROM VOTACIONES WHERE CONVOCATORIA = 1 AND ASISTENCIA = 1").toInt(), 0);
    ListadoPredefinido(9000, Lineas(), QStringLiteral("EXCEL"));
    const QString csv = QString::fromUtf8(LeeFichero(Fichero("tmp.csv")));
    EXPECT_TRUE(csv.contains("1A;") && csv.contains("3C;")) << csv.toStdString();
    EXPECT_FALSE(csv.contains("4D")) << "only those who attended";
    EXPECT_LT(csv.indexOf("ANA RUIZ"), csv.indexOf(QStringLiteral("PEÑA LUIS")));
    EXPECT_EQ(Sql("SELECT LIST(OPERADOR || CAMPO || CONTENIDO, ',') FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 9000")
                  .toString(),
              "IGUALCOMUNIDAD1,IGUALCONVOCATORIA1,IGUALASISTENCIA1,ORDENPROPIETARIO");

    // Another seat holds the stored conditions: this run still gets its own rows.
    qdtest::Connection otra(base, "SYSDBA", TDMMain::kPassword);
    otra.db.ExecuteImmediate("UPDATE SYS_LISTADOS_CONDICIONES SET CONTENIDO = '2' WHERE CODIGO = 9000 AND NUMERO = 2",
                             otra.tr);
    QStringList propias = Lineas();
    propias[3] = LineaCondicion("ORDEN", "FINCA", "C", "DESC");
    ListadoPredefinido(9000, propias, QStringLiteral("EXCEL"));
    const QString csv2 = QString::fromUtf8(LeeFichero(Fichero("tmp.csv")));
    EXPECT_LT(csv2.indexOf("3C"), csv2.indexOf("1A")) << csv2.toStdString();
    otra.tr.Rollback();

    // A refused line stops the run before anything is stored.
    EXPECT_THROW(ListadoPredefinido(9000, {LineaCondicion("IGUAL", "CONVOCATORIA", "N", "uno")}, "EXCEL"), EAviso);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 9000").toInt(), 4);
    EXPECT_THROW(ListadoPredefinido(8999, {}, "EXCEL"), EAviso);
}

TEST_F(Suministrados, EachTargetWritesItsFile)
{
    for (const char* destino : {"PDF", "HTML", "EXCEL", "WORD"}) {
        SCOPED_TRACE(destino);
        ListadoPredefinido(9000, Lineas(), QLatin1String(destino));
    }
    QProcess texto;
    texto.start("pdftotext", {Fichero("tmp.pdf"), "-"});
    ASSERT_TRUE(texto.waitForFinished(20000));
    const QString pdf = QString::fromUtf8(texto.readAllStandardOutput());
    EXPECT_TRUE(pdf.contains("LISTADO DE ASISTENTES A LA JUNTA")) << pdf.toStdString();
    EXPECT_TRUE(pdf.contains(QStringLiteral("PEÑA LUIS")));
    EXPECT_TRUE(pdf.contains("LOS ALMENDROS")) << "the community's row";
    const QString html = QString::fromUtf8(LeeFichero(Fichero("tmp.htm")));
    EXPECT_TRUE(html.contains("ANA RUIZ")) << html.left(400).toStdString();
    EXPECT_TRUE(LeeFichero(Fichero("tmp.rtf")).startsWith("{\\rtf1"));
    const QStringList csv = QString::fromUtf8(LeeFichero(Fichero("tmp.csv"))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_FALSE(csv.isEmpty());
    EXPECT_TRUE(csv.filter("ANA RUIZ").value(0).contains(';'));

    // The preview: an empty convocation makes its condition inactive.
    qdtest::AlAbrirse([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Vista previa - Listado juntas");
        w->close();
    });
    ListadoPredefinido(9000, Lineas(""));
}

TEST_F(Suministrados, AnOpenListingsScreenKeepsWhatItIsEditing)
{
    Listado(1, kPropietarios, Formato());
    QPointer<TFListados> w = new TFListados;
    qdtest::Activa(w);
    TFIBTableSet& t = w->DM()->QTabla;
    ASSERT_TRUE(t.Locate("CODIGO", {1}));
    t.Edit();
    t.FieldByName("NOMBRE")->SetAsString("CAMBIADO");
    ListadoPredefinido(9000, Lineas(), QStringLiteral("EXCEL"));
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(t.State(), TDataSetState::dsEdit);
    EXPECT_EQ(t.FieldByName("NOMBRE")->AsString(), "CAMBIADO");
    t.Post();
    EXPECT_EQ(Sql("SELECT NOMBRE FROM SYS_LISTADOS WHERE CODIGO = 1").toString(), "CAMBIADO");
    delete w.data();
}

TEST_F(Listados, TheScreenAddsListingsBelowTheSuppliedOnesAndRunsWithF7)
{
    QPointer<TFListados> w = new TFListados;
    qdtest::Activa(w);
    EXPECT_EQ(w->windowTitle(), "Creación de listados");
    qdtest::Teclea(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), w->DBECodigo) << "adding starts in the code";
    w->DBENombre->setFocus();
    QTest::keyClicks(w->DBENombre, "PROPIETARIOS");
    qdtest::Teclea(Qt::Key_G, Qt::ControlModifier);
    TFIBTableSet& t = w->DM()->QTabla;
    EXPECT_EQ(t.FieldByName("CODIGO")->AsInteger(), 1);
    EXPECT_EQ(t.FieldByName("SQL")->AsString(), "SELECT * FROM VER_CITAS");

    // Without format, F7 says so.
    qdtest::AlAbrirse([](QWidget* m) {
        EXPECT_TRUE(qdtest::Textos(m).contains("Debe primero confeccionar el listado."));
        qdtest::Pulsa(m, "Aceptar");
    });
    qdtest::Teclea(Qt::Key_F7);
    qdtest::Activa(w);

    t.Edit();
    t.FieldByName("SQL")->SetAsString(kPropietarios + ";SELECT NOMBRE FROM EMP_FINCAS WHERE PROPIETARIO=?CODIGO ");
    t.FieldByName("FICHERO")->SetAsBytes(Formato(true));
    t.Post();
    w->PCMain->setCurrentWidget(w->TSCondiciones);
    EXPECT_EQ(QApplication::focusWidget(), w->GridCondiciones);
    EXPECT_FALSE(w->GridCondiciones->isColumnHidden(1)) << "the table column of a two-dataset listing";
    EXPECT_TRUE(w->DM()->Ofertas.Campos.contains("NOMBRE"));
    w->NavCondiciones->EjecutarBoton(TNavigateBtn::nbInsert);
    TFIBTableSet& c = w->DM()->QCondiciones;
    EXPECT_FALSE(w->ToolBar1->isEnabled()) << "the listing stays while its condition is edited";
    c.FieldByName("OPERADOR")->SetText("h");
    c.FieldByName("TABLA")->SetAsString("EMP_PROPIETARIO");
    c.FieldByName("CAMPO")->SetAsString("CODIGO");
    c.FieldByName("CONTENIDO")->SetAsString("1");
    qdtest::AlAbrirse([](QWidget* p) {
        EXPECT_EQ(p->windowTitle(), "Vista previa - Prueba");
        p->close();
    });
    qdtest::Teclea(Qt::Key_F7);
    EXPECT_EQ(c.State(), TDataSetState::dsBrowse) << "the condition being edited is saved first";
    EXPECT_TRUE(w->ToolBar1->isEnabled());
    EXPECT_TRUE(w->NavCondiciones->Boton(TNavigateBtn::nbInsert)->isEnabled());
    qdtest::Captura("listados-condiciones", w);
    EXPECT_EQ(Sql("SELECT TIPOCAMPO FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 1").toString(), "N");
    w->PCMain->setCurrentWidget(w->TSFicha);
    qdtest::Captura("listados-ficha", w);
    delete w.data();
}

TEST_F(Listados, F7StoresTheContentStillBeingTypedInItsCell)
{
    Listado(1, kTodos, Formato());
    QPointer<TFListados> w = new TFListados;
    qdtest::Activa(w);
    w->PCMain->setCurrentWidget(w->TSCondiciones);
    w->NavCondiciones->EjecutarBoton(TNavigateBtn::nbInsert);
    TFIBTableSet& c = w->DM()->QCondiciones;
    c.FieldByName("OPERADOR")->SetText("IGUAL");
    c.FieldByName("CAMPO")->SetAsString("CODIGO");
    // "Contenido" typed with real keys; F7 while its editor is still open.
    THYTDBGrid* g = w->GridCondiciones;
    g->setFocus();
    g->setCurrentIndex(g->Modelo()->index(g->currentIndex().row(), 4));
    QTest::keyClick(g, Qt::Key_F2);
    ASSERT_TRUE(g->Escribiendo());
    qdtest::Escribe("2");
    qdtest::AlAbrirse([](QWidget* p) { p->close(); });
    qdtest::Teclea(Qt::Key_F7);
    EXPECT_FALSE(g->Escribiendo());
    EXPECT_EQ(c.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Sql("SELECT CONTENIDO FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 1").toString().trimmed(), "2");
    delete w.data();
}

TEST_F(Listados, DesigningAListingBeingTypedSavesItFirst)
{
    QPointer<TFListados> w = new TFListados;
    qdtest::Activa(w);
    qdtest::Teclea(Qt::Key_Insert, Qt::ControlModifier);
    w->DBENombre->setFocus();
    QTest::keyClicks(w->DBENombre, "NUEVO");
    ASSERT_TRUE(w->TbConfeccion->isEnabled()) << "usable while the listing is typed";
    qdtest::Modales m;
    QString titulo;
    m.Espera([&](QWidget* d) {
        titulo = d->windowTitle();
        d->close();
    });
    QTest::mouseClick(w->TbConfeccion, Qt::LeftButton);
    EXPECT_EQ(w->DM()->QTabla.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS WHERE NOMBRE = 'NUEVO'").toInt(), 1);
    EXPECT_TRUE(titulo.endsWith("NUEVO")) << "the designer went on with the stored listing: " << titulo.toStdString();
    delete w.data();
}

TEST_F(Listados, ADeletedListingTakesItsConditionsWithIt)
{
    Listado(1, kTodos, Formato(), {C("IGUAL", "CODIGO", "N", "1")});
    Listado(2, kTodos, Formato(), {C("IGUAL", "CODIGO", "N", "2")});
    TDMFListados m;
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {2}));
    m.QTabla.Delete();
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 2").toInt(), 0);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 1").toInt(), 1);
    // The next listing gets code 2 again, and starts without conditions.
    m.QTabla.Append();
    m.QTabla.FieldByName("NOMBRE")->SetAsString("NUEVO");
    m.QTabla.Post();
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->AsInteger(), 2);
    EXPECT_TRUE(m.Condiciones().isEmpty());
}

TEST_F(Listados, AListingWhoseStatementFailsCanStillBeOpenedAndMended)
{
    Listado(1, "SELECT * FROM NO_EXISTE", Formato());
    QPointer<TFListados> w = new TFListados;
    qdtest::Activa(w);
    qdtest::AlAbrirse([](QWidget* m) {
        EXPECT_TRUE(qdtest::Textos(m).contains("NO_EXISTE")) << qdtest::Textos(m).toStdString();
        m->close();
    });
    w->PCMain->setCurrentWidget(w->TSCondiciones);
    EXPECT_TRUE(w->DM()->Ofertas.Campos.isEmpty());
    TFIBTableSet& t = w->DM()->QTabla;
    t.Edit();
    t.FieldByName("SQL")->SetAsString(kTodos);
    t.Post();
    w->RefrescaOfertas();
    EXPECT_EQ(w->DM()->Ofertas.Campos, (QStringList{"CODIGO", "NOMBRE"}));
    delete w.data();
}

// Exchange files that try what a listing may not, or that are no file to
// read: each refused with a message, nothing imported, no row changed.
TEST_F(Listados, AHostileExchangeFileIsRefusedAndChangesNothing)
{
    const QString clave = Sql("SELECT CLAVE FROM SYS_USUARIO WHERE CODIGO = 1").toString();
    const int propietarios = Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO").toInt();
    QDir(programa.path()).mkdir("entrada");
    const QString frf = programa.path() + "/entrada/FORMATO00020.FRF";
    const QString txt = programa.path() + "/entrada/FORMATO00020.TXT";
    auto pareja = [&](const QByteArray& texto) {
        QFile::remove(txt);
        QFile::remove(frf);
        qdtest::EscribeFichero(txt, texto);
        qdtest::EscribeFichero(frf, Formato());
    };
    auto conSql = [&](const QByteArray& sql) { pareja("HOSTIL\r\n1\r\n" + sql + "\r\nVACIO\r\n"); };
    const struct {
        const char* caso;
        std::function<void()> prepara;
        const char* mensaje;
    } casos[] = {
        {"delete", [&] { conSql("DELETE FROM EMP_PROPIETARIO WHERE CODIGO<>0"); }, "solo puede leer datos"},
        {"update", [&] { conSql("UPDATE SYS_USUARIO SET CLAVE='X' WHERE CODIGO=1"); }, "solo puede leer datos"},
        {"two statements", [&] { conSql("SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO;DELETE FROM EMP_FINCAS"); },
         "solo puede leer datos"},
        {"procedure", [&] { conSql("EXECUTE PROCEDURE VOTACIONES_PROPI(1, 1)"); }, "solo puede leer datos"},
        {"huge text",
         [&] {
             pareja({});
             QFile f(txt);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             ASSERT_TRUE(f.resize(kMaximoTxtIntercambio + 1));
         },
         "tamaño máximo de 1 MB"},
        {"text linked to a device",
         [&] {
             pareja({});
             QFile::remove(txt);
             ASSERT_TRUE(QFile::link("/dev/zero", txt));
         },
         "no es un fichero corriente"},
        {"format linked to a device",
         [&] {
             conSql(kTodos.toUtf8());
             QFile::remove(frf);
             ASSERT_TRUE(QFile::link("/dev/urandom", frf));
         },
         "no es un fichero corriente"},
    };
    TDMFListados m;
    const int listados = Sql("SELECT COUNT(*) FROM SYS_LISTADOS").toInt();
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        c.prepara();
        try {
            const TParIntercambio par = ParImportacion(frf);
            m.Importa(par.Frf, LeeLineasIntercambio(par.Txt), par.Codigo, false);
            ADD_FAILURE() << "imported";
        } catch (const EAviso& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.mensaje))) << e.what();
        }
        EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_LISTADOS").toInt(), listados);
        EXPECT_EQ(m.QTabla.State(), TDataSetState::dsBrowse);
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO").toInt(), propietarios);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_FINCAS").toInt(), 4);
    EXPECT_EQ(Sql("SELECT CLAVE FROM SYS_USUARIO WHERE CODIGO = 1").toString(), clave);

    // A comment in a statement of several lines ends at its line, there and back.
    conSql("SELECT CODIGO, NOMBRE -- quien\nFROM EMP_PROPIETARIO");
    const TParIntercambio par = ParImportacion(frf);
    m.Importa(par.Frf, LeeLineasIntercambio(par.Txt), par.Codigo, false);
    EXPECT_EQ(m.SQL(), "SELECT CODIGO, NOMBRE -- quien\nFROM EMP_PROPIETARIO");
    EXPECT_EQ(Filas(*m.EjecutaListado({})).size(), propietarios);
    EXPECT_EQ(m.LineasIntercambio().value(2), m.SQL());
}

// What a listing holds runs only to read: a statement stored by other means
// is refused before it runs, and a SELECT whose procedure writes is stopped by
// the read-only transaction.
TEST_F(Listados, AStoredListingOnlyReads)
{
    const int propietarios = Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO").toInt();
    Sql("CREATE PROCEDURE BORRA_UNO RETURNS (NOMBRE VARCHAR(40)) AS BEGIN "
        "DELETE FROM EMP_PROPIETARIO WHERE CODIGO = 4; NOMBRE = 'X'; SUSPEND; END");
    Listado(1, "DELETE FROM EMP_PROPIETARIO WHERE CODIGO<>0", Formato());
    Listado(2, kTodos + ";UPDATE SYS_USUARIO SET CLAVE='X'", Formato(true));
    Listado(3, "SELECT NOMBRE FROM BORRA_UNO", Formato());
    Listado(4, kTodos, Formato(), {C("EXPRE", "", "C", "(SELECT COUNT(*) FROM BORRA_UNO) > 0")});
    TDMFListados m;
    for (int codigo : {1, 2}) {
        SCOPED_TRACE(codigo);
        ASSERT_TRUE(m.QTabla.Locate("CODIGO", {codigo}));
        EXPECT_THROW(m.EjecutaListado({}), EAviso);
        EXPECT_THROW(m.RefrescaOfertas({}), EAviso) << "the field lists read it too";
    }
    for (int codigo : {3, 4}) {
        SCOPED_TRACE(codigo);
        ASSERT_TRUE(m.QTabla.Locate("CODIGO", {codigo}));
        try {
            m.EjecutaListado({});
            ADD_FAILURE() << "ran";
        } catch (const EFIBError& e) {
            EXPECT_TRUE(e.Message().contains("read-only")) << e.what();
        }
        EXPECT_FALSE(m.QCampos.Active());
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO").toInt(), propietarios);
    EXPECT_NE(Sql("SELECT CLAVE FROM SYS_USUARIO WHERE CODIGO = 1").toString(), "X");
}

TEST_F(Listados, AListingWithACharacterTheFileCannotHoldIsNotExported)
{
    Listado(1, kTodos, Formato());
    Sql(QStringLiteral("UPDATE SYS_LISTADOS SET NOMBRE = 'CUOTAS EN €' WHERE CODIGO = 1"));
    TDMFListados m;
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {1}));
    try {
        EscribeIntercambio(programa.path(), 1, m.LineasIntercambio(), m.QTabla.FieldByName("FICHERO")->AsBytes());
        ADD_FAILURE() << "exported";
    } catch (const EAviso& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("«€» (U+20AC)"))) << e.what();
    }
    EXPECT_FALSE(QFile::exists(Fichero("FORMATO00001.TXT")));
}

// Hostile conditions on the supplied listing that the meeting list runs for
// community 1: each is refused or lists community 1's rows only.
TEST_F(Suministrados, NoConditionListsAnotherCommunitysRows)
{
    Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (2, 'OTRA')");
    Sql("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) VALUES (2, 1, 'ZOE AJENA')");
    Sql("INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, COEFICIENTES, ACTIVO) VALUES (2, 1, 1, '9Z', 10, 1)");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES, FECHA) VALUES (2, 1, 'AJENA', '2026-06-01')");
    Sql("EXECUTE PROCEDURE VOTACIONES_PROPI(2, 1)");
    Sql("UPDATE VOTACIONES SET ASISTENCIA = 1 WHERE COMUNIDAD = 2");
    auto corre = [&](const QStringList& lineas) {
        QFile::remove(Fichero("tmp.csv"));
        ListadoPredefinido(9000, lineas, QStringLiteral("EXCEL"));
        return QString::fromUtf8(LeeFichero(Fichero("tmp.csv")));
    };
    // The other community's row is there to be found.
    ASSERT_TRUE(corre({LineaCondicion("IGUAL", "COMUNIDAD", "N", "2")}).contains("ZOE AJENA"));

    QStringList casos;
    for (const QString& op : OperadoresCondicion())
        for (const char* contenido : {"ASCII_VAL('')OR 1=1", "DESC OR 1=1", "ASC)OR(1=1"})
            casos << LineaCondicion(op, "CONVOCATORIA", "N", contenido);
    casos << LineaCondicion("IGUAL", "1=1 OR COMUNIDAD", "N", "2")
          << LineaCondicion("ORDEN", "(SELECT 1 FROM RDB$DATABASE)", "N", "")
          << LineaCondicion("IGUAL", "PROPIETARIO", "C", "UPDATE")
          << LineaCondicion("IGUAL", "PROPIETARIO", "C", QStringLiteral("garcía"))
          << LineaCondicion("IGUAL", "PROPIETARIO", "C", "\" OR 1=1 OR \"")
          << LineaCondicion("DESDE", "FECHA", "F", "DESC OR 1=1");
    for (const QString& caso : casos) {
        SCOPED_TRACE(caso.simplified().toStdString());
        QString csv;
        try {
            csv = corre({LineaCondicion("IGUAL", "COMUNIDAD", "N", "1"), caso});
        } catch (const EAviso&) {
            continue; // refused with a message
        }
        EXPECT_FALSE(csv.contains("ZOE AJENA")) << csv.toStdString();
    }
}

} // namespace
