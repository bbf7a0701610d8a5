// The convocations' workspace driven with keys and clicks: the vote grid
// (tally per column, attendance by Enter and double-click, F4, the order),
// the owner count, the documents with the stub word processors of
// tests/forms/procesador, the e-mail hand-over to a stub xdg-email, and the
// publishing of the minutes on a loopback FTP server (pyftpdlib).
#include "Capturas.h"
#include "CreaBaseDatos.h"
#include "Ficheros.h"
#include "Juntas.h"
#include "Modales.h"
#include "Programas.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "UDBControles.h"
#include "UDBDateTimePicker.h"
#include "UFAcuerdos.h"
#include "UFConvoca.h"
#include "UFSTexto.h"
#include "UFSeguimiento.h"
#include "UFormGest.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "UOrdenes.h"
#include "UPerfil.h"
#include "UPublica.h"
#include "UVotaciones.h"
#include "RtfReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QUuid>
#include <functional>

namespace {

using qdtest::Activa;
using qdtest::EscribeFichero;
using qdtest::LeeFichero;
using qdtest::Modales;
using qdtest::Teclea;

QString Stubs() { return qEnvironmentVariable("QD_SOURCE_DIR") + QStringLiteral("/tests/forms/procesador"); }

// LibreOffice is needed to make PDF files; under CI its absence fails.
bool SinLibreOffice() { return qdtest::FaltaPrograma({"soffice"}); }

// A whole RTF document holding one line of text.
QByteArray Documento(const char* texto)
{
    return QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs24 ") + texto + "\\par }";
}

struct Pantalla {
    QPointer<TFConvoca> w = new TFConvoca;
    Pantalla() { Activa(w); }
    ~Pantalla() { delete w.data(); }
    TFConvoca* operator->() const { return w.data(); }
    TDMConvoca& dm() const { return *w->DM(); }
    TRejillaVotaciones* Rejilla() const { return w->TSVotaciones->DBGVotos; }
    // Makes the vote page current and the cell of the owner's row and the
    // field's column the grid's current cell.
    void Celda(int fila, const QString& campo) const
    {
        w->PCMain->setCurrentWidget(w->TSVotaciones);
        TRejillaVotaciones* g = Rejilla();
        int columna = -1;
        for (int c = 0; c < g->Modelo()->columnCount(); ++c)
            if (g->Modelo()->Campo(c)->FieldName() == campo)
                columna = c;
        ASSERT_GE(columna, 0) << campo.toStdString();
        g->setFocus();
        g->setCurrentIndex(g->Modelo()->index(fila, columna));
    }
    // The field of the grid's current cell.
    QString Columna() const
    {
        const TField* f = Rejilla()->Modelo()->Campo(Rejilla()->currentIndex().column());
        return f ? f->FieldName() : QString();
    }
    int Asiste(int propietario) const
    {
        TFIBTableSet& v = dm().QVotacion;
        EXPECT_TRUE(v.Locate("PROPIETARIO", {propietario}));
        return static_cast<int>(v.FieldByName("ASISTENCIA")->AsInteger());
    }
};

class Espacio : public qdtest::Juntas {
protected:
    void SetUp() override
    {
        Juntas::SetUp();
        Entorno.CaminoPrograma = programa.path();
        Propietarios();
        anterior = QDir::currentPath();
        QDir::setCurrent(programa.path());
    }
    void TearDown() override
    {
        QDir::setCurrent(anterior);
        qunsetenv("QD_PROCESADOR");
        qunsetenv("QD_PROCESADOR_ARGS");
        Juntas::TearDown();
    }
    void Propietarios()
    {
        Propietario(1, "ANA", {{"1A", 20}, {"1B", 5}});
        Propietario(2, "BEATRIZ", {{"2A", 30}});
        Propietario(3, "CARLOS", {{"3A", 45}});
    }
    // A convocation saved through its own module, seen by the screen opened next.
    void Convocatoria(const char* acta = nullptr, const char* carta = nullptr)
    {
        NuevaConvocatoria();
        TFIBTableSet& t = Modulo().QTabla;
        t.Edit();
        t.FieldByName("ORDEN")->SetAsString("1º.- Cuentas 2º.- Obras");
        if (acta)
            t.FieldByName("ACTA")->SetAsBytes(Documento(acta));
        if (carta)
            t.FieldByName("TEXTO")->SetAsBytes(Documento(carta));
        t.Post();
        conv.reset();
    }
    // A convocation every owner attends, its stored count of attendants still 0.
    void ConvocatoriaConTodos()
    {
        Convocatoria();
        Sql("UPDATE VOTACIONES SET ASISTENCIA = 1 WHERE COMUNIDAD = 1");
    }
    void PalabraProcesador(const char* que)
    {
        TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", Stubs());
        qputenv("QD_PROCESADOR", que);
        qputenv("QD_PROCESADOR_ARGS", (programa.path() + "/argumentos.txt").toUtf8());
    }
    // An owner's ten votes as stored, "_" for each point without one.
    QString Votos(int propietario)
    {
        QStringList p;
        for (int n = 1; n <= 10; ++n)
            p << QStringLiteral("COALESCE(NULLIF(P%1, ''), '_')").arg(n);
        return Sql(QStringLiteral("SELECT %1 FROM VOTACIONES WHERE COMUNIDAD = 1 AND PROPIETARIO = %2")
                       .arg(p.join(" || "))
                       .arg(propietario))
            .toString();
    }
    QByteArray Columna(const char* campo)
    {
        return Sql(QStringLiteral("SELECT %1 FROM CONVOCATORIAS WHERE COMUNIDAD = 1").arg(campo)).toByteArray();
    }
    QString anterior;
};

// --- the vote grid ----------------------------------------------------------------------------

TEST_F(Espacio, TheTallyShownFollowsTheVoteColumnAndMovingNeverReadsTheVoteRowsAgain)
{
    Convocatoria();
    Pantalla p;
    int aperturas = 0;
    auto despues = p.dm().QVotacion.AfterOpen;
    p.dm().QVotacion.AfterOpen = [&](TFIBDataSet& ds) {
        ++aperturas;
        despues(ds);
    };
    p.Celda(0, "P3");
    EXPECT_EQ(p.dm().PuntoMostrado(), 3);
    EXPECT_EQ(p.dm().QVotacionP.FieldByName("PUNTO")->AsInteger(), 3);
    EXPECT_EQ(p->TSVotaciones->Totales->LPunto->text(), "Punto 3");
    // From P3 to the name, with the arrow keys: point 1.
    Teclea(Qt::Key_Left);
    EXPECT_EQ(p.dm().PuntoMostrado(), 2);
    for (int i = 0; i < 4; ++i) // P1, how he attends, attendance, name
        Teclea(Qt::Key_Left);
    EXPECT_EQ(p.Rejilla()->Modelo()->Campo(p.Rejilla()->currentIndex().column())->FieldName(), "NOMBRE");
    EXPECT_EQ(p.dm().PuntoMostrado(), 1);
    EXPECT_EQ(p.dm().QVotacionP.FieldByName("PUNTO")->AsInteger(), 1);
    // Across the ten points and back.
    for (int i = 0; i < 12; ++i)
        Teclea(Qt::Key_Right);
    EXPECT_EQ(p.dm().PuntoMostrado(), 10);
    EXPECT_EQ(aperturas, 0) << "the vote rows were read again";
}

TEST_F(Espacio, AttendanceSwitchesByEnterAndDoubleClickAndEnterGoesToTheNextOwner)
{
    Convocatoria();
    Pantalla p;
    p.Celda(0, "ASISTENCIA"); // ANA
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.dm().QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 2) << "Enter goes on to the next owner";
    EXPECT_EQ(p->TSVotaciones->Totales->DBTAsistentes->text(), "1") << "the attendants' figures follow at once";
    EXPECT_EQ(p->TSVotaciones->Totales->DBTCoeficientes->text(), "25,00000%");
    EXPECT_EQ(p.Asiste(1), 1);
    // The last owner: switched, and the grid stays on him.
    p.Celda(2, "ASISTENCIA");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.dm().QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 3);
    EXPECT_EQ(p.dm().QVotacion.RecNo(), 3);
    EXPECT_EQ(p.Asiste(3), 1);
    // A double-click on the mark switches it back.
    p.Celda(2, "ASISTENCIA");
    TRejillaVotaciones* g = p.Rejilla();
    const QRect celda = g->visualRect(g->currentIndex());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, celda.center());
    EXPECT_EQ(p->TSVotaciones->Totales->DBTAsistentes->text(), "1");
    EXPECT_EQ(p.Asiste(3), 0);
    // Enter on another column does not switch anything.
    p.Celda(0, "NOMBRE");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Asiste(1), 1);
}

TEST_F(Espacio, HowEachOwnerAttendsIsChosenInTheGridAndGoesWithTheNameHeAttendsUnder)
{
    Convocatoria();
    Pantalla p;
    p.dm().SetAttendanceAll(1);
    TRejillaVotaciones* g = p.Rejilla();
    auto celda = [&](int fila, const QString& campo) {
        p.Celda(fila, campo);
        return g->currentIndex().data().toString().toStdString();
    };
    auto elige = [&](int fila, const QString& modo) {
        p.Celda(fila, "MODO");
        Teclea(Qt::Key_F2);
        auto* lista = qobject_cast<QComboBox*>(QApplication::focusWidget());
        ASSERT_NE(lista, nullptr) << "a list of the ways";
        EXPECT_EQ(lista->count(), 3);
        lista->setCurrentText(modo);
        Teclea(Qt::Key_Return);
        QCoreApplication::processEvents(); // the grid takes the choice once the key is handled
        Activa(p.w); // a message box closed leaves no window active
    };
    EXPECT_EQ(celda(0, "MODO"), "En persona");
    elige(0, "Telemático");
    EXPECT_EQ(celda(0, "MODO"), "Telemático");
    // A representative's name makes the row represented.
    p.Celda(1, "NOMBRE");
    Teclea(Qt::Key_F2);
    qdtest::Escribe("PEDRO REPRESENTANTE");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(celda(1, "MODO"), "Representado");
    // Represented without a representative's name: refused, with the way to do it.
    QString aviso;
    auto acepta = [&](QWidget* w) {
        aviso = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    };
    qdtest::AlAbrirse(acepta);
    elige(2, "Representado");
    EXPECT_TRUE(aviso.contains("nombre del representante")) << aviso.toStdString();
    EXPECT_EQ(celda(2, "MODO"), "En persona");
    // Attending himself, the owner's own name comes back.
    elige(1, "En persona");
    EXPECT_EQ(celda(1, "NOMBRE"), "BEATRIZ");
    p.Celda(2, "P1"); // leaving the row saves it
    EXPECT_EQ(Sql("SELECT LIST(MODO, '') FROM (SELECT MODO FROM VOTACIONES WHERE COMUNIDAD = 1 ORDER BY PROPIETARIO)").toString(), "200");
    // An absent owner attends no way until his attendance is marked.
    p.Celda(2, "ASISTENCIA");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(celda(2, "MODO"), "");
    qdtest::AlAbrirse(acepta);
    elige(2, "Telemático");
    EXPECT_EQ(aviso.toStdString(), "Marque primero la asistencia");
    EXPECT_EQ(Sql("SELECT MODO FROM VOTACIONES WHERE COMUNIDAD = 1 AND PROPIETARIO = 3").toInt(), 0);
}

TEST_F(Espacio, VotesTypedInTheGridAreTalliedByF4)
{
    Convocatoria();
    Pantalla p;
    p.dm().SetAttendanceAll(1);
    // ANA and BEATRIZ vote yes on point 2, CARLOS no: typed in lower case.
    for (const auto& [fila, voto] : {std::pair{0, "s"}, std::pair{1, "s"}, std::pair{2, "n"}}) {
        p.Celda(fila, "P2");
        qdtest::Escribe(voto);
        Teclea(Qt::Key_Return); // the cell's editor closes
    }
    p.Celda(0, "P2"); // leaving the row saves it
    Teclea(Qt::Key_F4);
    EXPECT_EQ(p.dm().PuntoMostrado(), 2);
    TFIBDataSet& tally = p.dm().QVotacionP;
    EXPECT_EQ(tally.FieldByName("VSI")->AsInteger(), 2);
    EXPECT_EQ(tally.FieldByName("VNO")->AsInteger(), 1);
    EXPECT_EQ(p->TSVotaciones->Totales->DBTCSi->text(), "55,00000%");
    EXPECT_EQ(p->TSVotaciones->Totales->DBTAsistentes->text(), "3");
    EXPECT_EQ(Sql("SELECT LIST(P2, '') FROM VOTACIONES WHERE COMUNIDAD = 1").toString(), "SSN");
}

TEST_F(Espacio, TheVotePageSaysWhetherThePointIsCarriedAndLeavesDebtorsOutUntilTheyMayVote)
{
    Convocatoria();
    Sql("UPDATE VOTACIONES SET SALDO = 10 WHERE PROPIETARIO = 3");
    Pantalla p;
    p.dm().SetAttendanceAll(1);
    TFAcuerdos* panel = p->TSVotaciones->Acuerdos;
    for (const auto& [fila, voto] : {std::pair{0, "s"}, std::pair{1, "n"}, std::pair{2, "s"}}) {
        p.Celda(fila, "P2");
        qdtest::Escribe(voto);
        Teclea(Qt::Key_Return);
    }
    p.Celda(0, "P2"); // leaving the row saves it
    emit panel->CbLlamada->activated(static_cast<int>(TLlamada::Primera));
    QCoreApplication::processEvents();
    // CARLOS owes: ANA alone in favour, of ANA and BEATRIZ.
    EXPECT_EQ(panel->LResultado->text(), "Punto 2: No aprobado");
    EXPECT_EQ(panel->LCifras->text(), "A favor: 1 propietario de 2 requeridos; 25,00000% de más de 27,50000%");
    TRejillaVotaciones* g = p.Rejilla();
    auto fondo = [g](int fila) {
        const QRect r = g->visualRect(g->Modelo()->index(fila, 1));
        return g->viewport()->grab().toImage().pixelColor(r.left() + 2, r.center().y());
    };
    EXPECT_EQ(fondo(2), QColor(0xf4, 0xc7, 0xc3)) << "the debtor's row is marked";
    EXPECT_NE(fondo(1), QColor(0xf4, 0xc7, 0xc3));
    // The meeting lets him vote: he counts, and the point is carried.
    p.Celda(2, "NOMBRE");
    ASSERT_TRUE(panel->ChVotaDeudor->isEnabled());
    panel->ChVotaDeudor->click();
    p.Celda(0, "P2");
    EXPECT_EQ(panel->LResultado->text(), "Punto 2: Aprobado");
    EXPECT_EQ(fondo(2), QColor(0xfc, 0xe8, 0xd5));
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM DEUDORES_VOTAN WHERE PROPIETARIO = 3").toInt(), 1);
    // The majority chosen for the point.
    emit panel->CbMayoria->activated(static_cast<int>(TMayoria::Unanimidad));
    EXPECT_EQ(panel->LResultado->text(), "Punto 2: No aprobado");
    p.Celda(0, "P1");
    EXPECT_EQ(panel->CbMayoria->currentIndex(), static_cast<int>(TMayoria::Simple));
}

TEST_F(Espacio, TheMeetingListingsShowThoseAttendingInTheOrderChosenOnTheirMenu)
{
    Convocatoria();
    Pantalla p;
    p.dm().SetAttendanceAll(1);
    p.Celda(0, "NOMBRE");
    QStringList titulos;
    auto cierra = [&](QWidget* w) {
        titulos << w->windowTitle();
        w->close();
    };
    qdtest::AlAbrirse(cierra);
    Teclea(Qt::Key_F7);
    auto condiciones = [this] {
        return Sql("SELECT LIST(TRIM(OPERADOR) || ' ' || TRIM(CAMPO) || ' ' || TRIM(CONTENIDO), '|') "
                   "FROM (SELECT * FROM SYS_LISTADOS_CONDICIONES WHERE CODIGO = 9001 ORDER BY NUMERO)")
            .toString();
    };
    TPaginaVotaciones* v = p->TSVotaciones;
    v->TbImprimeVotaciones->menu()->actions().at(1)->trigger(); // "Ordenado por propietario"
    EXPECT_EQ(v->OrdenListado(), "PROPIETARIO");
    qdtest::AlAbrirse(cierra);
    v->TbImprimeVotaciones->click();
    EXPECT_EQ(titulos, (QStringList{"Vista previa - Listado juntas", "Vista previa - Imprimir votaciones"}));
    EXPECT_EQ(condiciones().toStdString(), "IGUAL COMUNIDAD 1|IGUAL CONVOCATORIA 1|IGUAL ASISTENCIA 1|ORDEN PROPIETARIO ");
}

TEST_F(Espacio, TheFollowUpTabMakesItsRowsFromTheAgendaWhenShown)
{
    Convocatoria();
    Pantalla p;
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM DETALLE").toInt(), 0);
    p->PCMain->setCurrentWidget(p->TSSeguimiento);
    EXPECT_EQ(p->PCMain->tabText(p->PCMain->indexOf(p->TSSeguimiento)), "Se&guimiento");
    EXPECT_EQ(Sql("SELECT LIST(TRIM(DES), '|') FROM (SELECT DES FROM DETALLE ORDER BY NUMERO)").toString(),
              "1º.- Cuentas|2º.- Obras");
}

TEST_F(Espacio, EscKeepsTheScreenWhileAVoteRowIsTypedAndClosingSavesIt)
{
    ConvocatoriaConTodos();
    Pantalla p;
    p.Celda(0, "P1");
    qdtest::Escribe("s");
    Teclea(Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor hands its text over after Return
    ASSERT_EQ(p.dm().QVotacion.State(), TDataSetState::dsEdit);
    Teclea(Qt::Key_Escape);
    EXPECT_TRUE(p->isVisible()) << "a row being typed keeps the screen";
    p->close();
    EXPECT_EQ(Sql("SELECT P1 FROM VOTACIONES WHERE COMUNIDAD = 1 AND PROPIETARIO = 1").toString(), "S");
}

TEST_F(Espacio, TheOrderChoiceReadsTheVoteRowsByNameOrByCode)
{
    Propietario(4, "AARON", {{"4A", 1}});
    Convocatoria();
    Pantalla p;
    auto codigos = [&] {
        QList<qint64> l;
        TFIBTableSet& v = p.dm().QVotacion;
        for (v.First(); !v.Eof(); v.Next())
            l << v.FieldByName("PROPIETARIO")->AsInteger();
        return l;
    };
    EXPECT_EQ(codigos(), (QList<qint64>{4, 1, 2, 3}));
    p->TSVotaciones->CbOrden->setCurrentIndex(1);
    EXPECT_EQ(codigos(), (QList<qint64>{1, 2, 3, 4}));
    EXPECT_EQ(p.dm().OrdenVotaciones(), 1) << "the attendance list of the minutes follows";
    p->TSVotaciones->CbOrden->setCurrentIndex(0);
    EXPECT_EQ(codigos(), (QList<qint64>{4, 1, 2, 3}));
}

// --- what the clerk types on the vote grid is never lost ---------------------------------------

TEST_F(Espacio, AColumnOrARowTypedFromTheFirstVoteLandsOnItsOwnersAndPoints)
{
    qdtest::Modales ningunAviso;
    Propietario(4, "DANIEL", {{"4A", 1}});
    Propietario(5, "ELENA", {{"5A", 1}});
    // Everybody attends while the convocation's stored count is still 0: the
    // first vote saved counts them and reads the convocation again.
    ConvocatoriaConTodos();
    Pantalla p;
    ASSERT_EQ(p.dm().QTabla.FieldByName("ASISTENTES")->AsInteger(), 0);
    // Down the column of point 3: letter, Enter, Down.
    p.Celda(0, "P3");
    const char* columna = "snasn";
    for (int fila = 0; fila < 5; ++fila) {
        qdtest::Escribe(QString(QChar(columna[fila])));
        Teclea(Qt::Key_Return);
        Teclea(Qt::Key_Down);
        EXPECT_EQ(p.Columna(), "P3") << "after the vote of row " << fila;
    }
    EXPECT_EQ(p->TSVotaciones->Totales->DBTAsistentes->text(), "5");
    // Along the row of the third owner (CARLOS): letter, Right; and letter,
    // Enter, Right.
    p.Celda(2, "P1");
    for (const char* voto : {"s", "n", "a", "s"}) {
        qdtest::Escribe(voto);
        Teclea(Qt::Key_Right);
    }
    qdtest::Escribe("n");
    Teclea(Qt::Key_Return);
    Teclea(Qt::Key_Right);
    qdtest::Escribe("a");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Columna(), "P6");
    p.Celda(0, "P6"); // leaving the row saves it
    EXPECT_EQ(Votos(1), "__S_______");
    EXPECT_EQ(Votos(2), "__N_______");
    EXPECT_EQ(Votos(3), "SNASNA____");
    EXPECT_EQ(Votos(4), "__S_______");
    EXPECT_EQ(Votos(5), "__N_______");
}

TEST_F(Espacio, AVoteCellTakesSNAOrBlankInEitherCaseAndOnlyFromAnOwnerWhoAttends)
{
    Convocatoria();
    Sql("UPDATE VOTACIONES SET ASISTENCIA = 1 WHERE COMUNIDAD = 1 AND PROPIETARIO <> 3");
    Pantalla p;
    struct Caso {
        int propietario; // ANA 1, BEATRIZ 2, CARLOS 3 (absent); row = code - 1
        const char* tecleado; // empty: the vote rubbed out
        const char* guardado;
        const char* mensaje; // the refusal, if any
    };
    for (const Caso& c : {Caso{1, "s", "S_________", nullptr}, Caso{1, "N", "N_________", nullptr},
                          Caso{1, "x", "N_________", "no es un voto"}, Caso{1, "1", "N_________", "no es un voto"},
                          Caso{1, "", "__________", nullptr}, Caso{2, "a", "A_________", nullptr},
                          Caso{3, "s", "__________", "Marque primero la asistencia"}}) {
        SCOPED_TRACE(std::string(c.tecleado) + " for owner " + std::to_string(c.propietario));
        qdtest::Modales modales;
        if (c.mensaje) {
            modales.Espera([&c](QWidget* w) {
                EXPECT_TRUE(qdtest::Textos(w).contains(QString::fromUtf8(c.mensaje))) << qdtest::Textos(w).toStdString();
                qdtest::Pulsa(w, "Aceptar");
            });
        }
        p.Celda(c.propietario - 1, "P1");
        if (*c.tecleado) {
            qdtest::Escribe(c.tecleado);
        } else {
            Teclea(Qt::Key_F2);
            Teclea(Qt::Key_End);
            Teclea(Qt::Key_Backspace);
        }
        Teclea(Qt::Key_Return);
        if (c.mensaje) {
            Activa(p.w);
            EXPECT_FALSE(p.Rejilla()->Escribiendo());
            EXPECT_EQ(p.Rejilla()->currentIndex().data().toString(), QString(c.guardado).left(1).remove('_'))
                << "the cell shows what is stored";
        }
        p.Celda(c.propietario % 3, "P1"); // leaving the row saves it
        EXPECT_EQ(Votos(c.propietario), c.guardado);
    }
}

TEST_F(Espacio, AVoteBeingTypedIsStoredBeforeTheOrderChangesOrAButtonReadsTheRowsAgain)
{
    qdtest::Modales ningunAviso;
    ConvocatoriaConTodos();
    Pantalla p;
    p.Celda(1, "P2"); // BEATRIZ
    qdtest::Escribe("s");
    Teclea(Qt::Key_Return);
    ASSERT_EQ(p.dm().QVotacion.State(), TDataSetState::dsEdit);
    p->TSVotaciones->CbOrden->setCurrentIndex(1);
    EXPECT_EQ(Votos(2), "_S________");
    EXPECT_EQ(p.dm().QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 2) << "the same owner stays current";
    EXPECT_EQ(p.Columna(), "P2");
    // A letter still in its cell's editor when a button is pressed.
    for (QToolButton* boton : {p->TSVotaciones->TbSaldos, p->TSVotaciones->TbActivaTodos}) {
        SCOPED_TRACE(boton->text().toStdString());
        p.Celda(1, "P3");
        qdtest::Escribe("n");
        ASSERT_TRUE(p.Rejilla()->Escribiendo());
        boton->click();
        EXPECT_EQ(Votos(2), "_SN_______");
        Sql("UPDATE VOTACIONES SET P3 = '' WHERE COMUNIDAD = 1 AND PROPIETARIO = 2");
        p->TSVotaciones->NavVotos->EjecutarBoton(TNavigateBtn::nbRefresh);
    }
}

TEST_F(Espacio, AfterALostConnectionTheVoteBeingTypedStaysAndIsSavedAgain)
{
    ConvocatoriaConTodos();
    Pantalla p;
    p.Celda(0, "P4");
    qdtest::Escribe("a");
    Teclea(Qt::Key_Return);
    ASSERT_EQ(p.dm().QVotacion.State(), TDataSetState::dsEdit);
    // The server ends this seat's attachment (as when it stops or the network fails).
    const qint64 conexion = Sql("SELECT CURRENT_CONNECTION FROM RDB$DATABASE").toLongLong();
    {
        qdtest::Connection otra(base);
        otra.db.ExecuteImmediate(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = %1").arg(conexion),
                                 otra.tr);
        otra.tr.Commit();
    }
    {
        qdtest::Modales modales;
        modales.Espera([](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), "Conexión perdida");
            qdtest::Pulsa(w, "Sí");
        });
        modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); });
        Teclea(Qt::Key_Down); // leaving the row saves it: the connection is gone
    }
    TFIBTableSet& v = p.dm().QVotacion;
    EXPECT_EQ(v.State(), TDataSetState::dsEdit) << "the vote stays on screen";
    EXPECT_EQ(v.FieldByName("P4")->AsString(), "A");
    EXPECT_EQ(v.FieldByName("PROPIETARIO")->AsInteger(), 1);
    Activa(p.w);
    p.Rejilla()->setFocus();
    Teclea(Qt::Key_Down); // saved again, on the new connection
    EXPECT_EQ(Votos(1), "___A______");
    EXPECT_EQ(v.FieldByName("PROPIETARIO")->AsInteger(), 2);
    EXPECT_EQ(p.Columna(), "P4");
    v.Last();
    EXPECT_EQ(v.RecordCount(), 3) << "every vote row is there again";
}

// Two seats on the test server: this one, whose screens run on the main
// data module, and another seat's convocations module on its own attachment.
class DosPuestos : public Espacio {
protected:
    void SetUp() override
    {
        Espacio::SetUp();
        QD_REQUIRE_SERVER();
        if (qdtest::ServerPassword() != QLatin1String(TDMMain::kPassword)) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << "the test server's SYSDBA password must be the program's";
            GTEST_SKIP() << "the test server's SYSDBA password is not the program's: test skipped";
        }
        servidor = qdtest::ServerHost() + ":" + qdtest::TempDir() + "/votos-" +
                   QUuid::createUuid().toString(QUuid::Id128).left(12) + ".fdb";
        TOpcionesBD o;
        o.ForcedWrites = false;
        o.Usuario = qdtest::ServerUser();
        o.Clave = qdtest::ServerPassword();
        CreaBaseDatos(servidor, o);
        TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("datos", "BaseDeDatos", servidor);
        DMMain = nullptr;
        dm.reset();
        dm = Sesion();
        otraSesion = Sesion();
        Entorno.CaminoPrograma = programa.path();
        Comunidad();
        Propietarios();
        Convocatoria();
        Sql("UPDATE VOTACIONES SET ASISTENCIA = 1 WHERE COMUNIDAD = 1 AND PROPIETARIO <> 3");
        DMMain = otraSesion.get();
        otro = std::make_unique<TDMConvoca>();
        DMMain = dm.get();
    }
    void TearDown() override
    {
        otro.reset();
        otraSesion.reset();
        DMMain = dm.get();
        Espacio::TearDown(); // the database goes with the tests' folder
    }
    std::unique_ptr<TDMMain> Sesion()
    {
        auto s = std::make_unique<TDMMain>();
        DMMain = s.get();
        EXPECT_TRUE(s->DataModuleCreate({.Aviso = [](const QString& texto, bool) { ADD_FAILURE() << texto.toStdString(); },
                                         .PideCamino = [](const QString&) -> std::optional<QString> { return std::nullopt; },
             .PrimerArranque = {},
             .PideClave = {}}));
        return s;
    }
    // The other seat types a vote in a row and leaves it.
    void VotaOtro(int propietario, const char* campo, const char* voto)
    {
        TFIBTableSet& v = otro->QVotacion;
        ASSERT_TRUE(v.Locate("PROPIETARIO", {propietario}));
        v.Edit();
        v.FieldByName(campo)->SetText(voto);
        v.Post();
    }
    QString servidor; // in the tests' temporary folder
    std::unique_ptr<TDMMain> otraSesion;
    std::unique_ptr<TDMConvoca> otro;
};

TEST_F(DosPuestos, BothSeatsMarkingAnOwnerLeaveHimAsTheyMarkedAndTheGridsRefreshShowsTheOther)
{
    qdtest::Modales ningunAviso;
    Pantalla p;
    // Both see CARLOS absent; the other seat marks him present, then this one.
    ASSERT_TRUE(otro->QVotacion.Locate("PROPIETARIO", {3}));
    otro->ToggleAttendance();
    p.Celda(2, "ASISTENCIA");
    ASSERT_EQ(p.dm().QVotacion.FieldByName("ASISTENCIA")->AsInteger(), 0) << "not read again yet";
    Teclea(Qt::Key_Return);
    EXPECT_EQ(Sql("SELECT ASISTENCIA FROM VOTACIONES WHERE COMUNIDAD = 1 AND PROPIETARIO = 3").toInt(), 1)
        << "present, as both marked him";
    EXPECT_EQ(p->TSVotaciones->Totales->DBTAsistentes->text(), "3");

    // The other seat takes BEATRIZ out and votes for ANA; this seat's
    // refresh shows both, on the same cell.
    ASSERT_TRUE(otro->QVotacion.Locate("PROPIETARIO", {2}));
    otro->ToggleAttendance();
    VotaOtro(1, "P5", "n");
    p.Celda(2, "P5");
    p->TSVotaciones->NavVotos->EjecutarBoton(TNavigateBtn::nbRefresh);
    EXPECT_EQ(p.Columna(), "P5");
    EXPECT_EQ(p.dm().QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 3);
    EXPECT_EQ(p.Asiste(2), 0);
    ASSERT_TRUE(p.dm().QVotacion.Locate("PROPIETARIO", {1}));
    EXPECT_EQ(p.dm().QVotacion.FieldByName("P5")->AsString(), "N");
    EXPECT_EQ(p->TSVotaciones->Totales->DBTAsistentes->text(), "2");
}

TEST_F(DosPuestos, AVoteTypedOverAnotherSeatsChangeIsRefusedAndTheRowShowsAsItIs)
{
    Pantalla p;
    const QString cambiado = QStringLiteral("Otro usuario ha cambiado este registro mientras usted lo editaba");
    auto refusal = [&cambiado](qdtest::Modales& modales) {
        modales.Espera([&cambiado](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).contains(cambiado)) << qdtest::Textos(w).toStdString();
            qdtest::Pulsa(w, "Aceptar");
        });
    };
    // The other seat votes in a cell this seat still shows empty, which it
    // then types into.
    VotaOtro(1, "P4", "a");
    {
        qdtest::Modales modales;
        refusal(modales);
        p.Celda(0, "P4");
        qdtest::Escribe("s");
        Teclea(Qt::Key_Return);
    }
    Activa(p.w);
    EXPECT_FALSE(p.Rejilla()->Escribiendo());
    p.Celda(1, "P4");
    EXPECT_EQ(Votos(1), "___A______") << "the first vote stays";
    ASSERT_TRUE(p.dm().QVotacion.Locate("PROPIETARIO", {1}));
    EXPECT_EQ(p.dm().QVotacion.FieldByName("P4")->AsString(), "A") << "shown as it now is";

    // This seat is typing in the row when the other saves the same cell.
    p.Celda(1, "P6"); // BEATRIZ
    qdtest::Escribe("s");
    Teclea(Qt::Key_Return);
    VotaOtro(2, "P6", "n");
    {
        qdtest::Modales modales;
        refusal(modales);
        Teclea(Qt::Key_Up); // leaving the row saves it
    }
    EXPECT_EQ(Votos(2), "_____N____");
    ASSERT_TRUE(p.dm().QVotacion.Locate("PROPIETARIO", {2}));
    EXPECT_EQ(p.dm().QVotacion.FieldByName("P6")->AsString(), "N");
}

TEST_F(Espacio, TheOwnerCountLeavesOwnerZeroOutAndCountsEachActiveAddress)
{
    // Owner 0 is the register's reserved one.
    for (const auto& [propietario, direccion, activa] :
         {std::tuple{0, 1, 1}, std::tuple{1, 1, 1}, std::tuple{1, 2, 1}, std::tuple{2, 1, 0}, std::tuple{3, 1, 1}})
        Sql(QStringLiteral("INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, ACTIVO) VALUES (1, %1, %2, %3)")
                .arg(propietario)
                .arg(direccion)
                .arg(activa));
    Pantalla p;
    EXPECT_EQ(p->LPropietarios->text(), "Nº Propietarios: 3");
}

// --- documents --------------------------------------------------------------------------------

TEST_F(Espacio, AnEmptyLetterStartsFromALetterTemplateOrFromAnEmptyDocument)
{
    Sql("INSERT INTO SYS_TEXTOS (CODIGO, NOMBRE, IDIOMA, TEXTO) VALUES (1, 'CARTA', 1, "
        "'{\\rtf1\\ansi\\pard Junta en [Lugar]\\par }')");
    Sql("INSERT INTO SYS_TEXTOS (CODIGO, NOMBRE, IDIOMA) VALUES (2, 'ACTA', 2)");
    Sql("INSERT INTO SYS_TEXTOS (CODIGO, NOMBRE, IDIOMA) VALUES (3, 'OTRA CARTA', 1)");
    Convocatoria();
    PalabraProcesador("sin-guardar");
    Pantalla p;
    // No template chosen: the word processor opens an empty document.
    QStringList listadas;
    qdtest::AlAbrirse([&](QWidget* w) {
        auto* s = qobject_cast<TFSTexto*>(w);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(w->windowTitle(), "Seleccione un texto tipo");
        for (s->QTextos.First(); !s->QTextos.Eof(); s->QTextos.Next())
            listadas << s->QTextos.FieldByName("NOMBRE")->AsString();
        s->reject();
    });
    p->TbConvocatoria->click();
    EXPECT_EQ(listadas, (QStringList{"CARTA", "OTRA CARTA"})) << "letters only";
    const QStringList vacio = qdtest::Parrafos(Columna("TEXTO"));
    EXPECT_TRUE(Columna("TEXTO").startsWith("{\\rtf1"));
    EXPECT_EQ(vacio.join("").trimmed(), "") << vacio.join("|").toStdString();
    EXPECT_EQ(QString::fromUtf8(LeeFichero(programa.path() + "/argumentos.txt")).trimmed().split('\n').last(),
              programa.path() + "/tmp1.rtf");

    // Made again from the first template, merged, and edited.
    PalabraProcesador("edita");
    qdtest::Modales m;
    m.Espera([](QWidget* w) {
        auto* q = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->text(), "Sobrescribir la convocatoria actual, ¿Continuar?");
        q->button(QMessageBox::Yes)->click();
    });
    m.Espera([](QWidget* w) {
        auto* s = qobject_cast<TFSTexto*>(w);
        ASSERT_NE(s, nullptr);
        s->Rejilla->setFocus();
        s->QTextos.First();
        QTest::keyClick(s->Rejilla, Qt::Key_Return);
    });
    p->TbConvocatoria->menu()->actions().at(1)->trigger();
    const QString carta = qdtest::Parrafos(Columna("TEXTO")).join("|");
    EXPECT_TRUE(carta.contains("Junta en SALA COMUN")) << carta.toStdString();
    EXPECT_TRUE(carta.contains("Editado en el procesador")) << carta.toStdString();
    EXPECT_FALSE(QFile::exists(programa.path() + "/tmp1.rtf"));
}

TEST_F(Espacio, NewMinutesAskFirstAndNoKeepsThem)
{
    Convocatoria("Acta aprobada");
    PalabraProcesador("edita");
    Pantalla p;
    const QByteArray antes = Columna("ACTA");
    qdtest::AlAbrirse([](QWidget* w) {
        auto* q = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->windowTitle(), "Confirmación");
        EXPECT_EQ(q->text(), "Sobrescribir el Acta actual, ¿Continuar?");
        q->button(QMessageBox::No)->click();
    });
    p->TbActa->menu()->actions().at(1)->trigger();
    EXPECT_EQ(Columna("ACTA"), antes);
    EXPECT_FALSE(QFile::exists(programa.path() + "/argumentos.txt")) << "no word processor was started";
    // Consulted, the stored minutes are edited as they are.
    p->TbActa->menu()->actions().at(0)->trigger();
    const QString acta = qdtest::Parrafos(Columna("ACTA")).join("|");
    EXPECT_TRUE(acta.startsWith("Acta aprobada|")) << acta.toStdString();
    EXPECT_TRUE(acta.endsWith("|Editado en el procesador")) << acta.toStdString();
}

TEST_F(Espacio, EmptyNotesStartFromTheAgendaAndRemarksStayInTheirFile)
{
    Convocatoria();
    PalabraProcesador("sin-guardar");
    Pantalla p;
    p->TbNotas->click();
    const QString notas = qdtest::Parrafos(Columna("NOTAS")).join("|");
    EXPECT_TRUE(notas.contains("1º.- Cuentas")) << notas.toStdString();
    EXPECT_TRUE(notas.contains("2º.- Obras")) << notas.toStdString();
    p->TbObservaciones->click();
    EXPECT_TRUE(Columna("OBS").startsWith("{\\rtf1"));
    EXPECT_TRUE(QFile::exists(programa.path() + "/tmp.rtf"));
}

TEST_F(Espacio, ADocumentButtonSavesTheAgendaBeingTypedFirst)
{
    Convocatoria();
    PalabraProcesador("sin-guardar");
    Pantalla p;
    TFIBTableSet& t = p.dm().QTabla;
    t.Edit();
    t.FieldByName("ORDEN")->SetAsString("1º.- Ascensor");
    p->TbNotas->click();
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
    const QString notas = qdtest::Parrafos(Columna("NOTAS")).join("|");
    EXPECT_TRUE(notas.contains("1º.- Ascensor")) << notas.toStdString();
}

TEST_F(Espacio, TheDateOfANewConvocationIsTypedAsPeopleTypeIt)
{
    Pantalla p;
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    auto* texto = p->DBDFecha->findChild<QLineEdit*>();
    ASSERT_NE(texto, nullptr);
    QTest::mouseClick(texto, Qt::LeftButton, {}, QPoint(texto->width() - 4, texto->height() / 2));
    qdtest::Escribe("15/01/2027");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(p.dm().QTabla.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Sql("SELECT FECHA FROM CONVOCATORIAS WHERE COMUNIDAD = 1").toDateTime().date(), QDate(2027, 1, 15));
}

TEST_F(Espacio, MinutesWhoseSaveIsRefusedStayOnScreenAndInTheirFileUntilStored)
{
    Convocatoria("Acta aprobada");
    PalabraProcesador("edita");
    Pantalla p;
    TFIBTableSet& t = p.dm().QTabla;
    const QByteArray antes = Columna("ACTA");
    const QString tmp1 = programa.path() + "/tmp1.rtf";
    // Another seat holds the convocation's row.
    qdtest::Connection otro(base);
    otro.db.ExecuteImmediate("UPDATE CONVOCATORIAS SET LUGAR = LUGAR WHERE COMUNIDAD = 1", otro.tr);
    Modales m;
    QStringList vistos;
    auto anota = [&](QWidget* w) {
        auto* caja = qobject_cast<QMessageBox*>(w);
        vistos << (caja ? caja->text() : qdtest::Textos(w));
        static_cast<QDialog*>(w)->reject();
    };
    m.Espera(anota);
    m.Espera(anota);
    p->TbActa->click();
    ASSERT_EQ(vistos.size(), 2);
    EXPECT_TRUE(qdtest::IsLockConflict(vistos[0])) << vistos[0].toStdString();
    EXPECT_TRUE(vistos[1].contains("no se ha guardado")) << vistos[1].toStdString();
    EXPECT_TRUE(vistos[1].contains("Grabar")) << vistos[1].toStdString();
    EXPECT_EQ(t.State(), TDataSetState::dsEdit) << "the edited minutes stay on screen";
    EXPECT_TRUE(p->HYMNavigator1->EnEdicion());
    EXPECT_TRUE(t.FieldByName("ACTA")->AsBytes().contains("Editado en el procesador"));
    EXPECT_EQ(Columna("ACTA"), antes);
    const QByteArray editado = LeeFichero(tmp1);
    EXPECT_TRUE(editado.contains("Editado en el procesador"));

    // The button again while the row is still held: the save is retried and
    // refused, the file stays as it was.
    m.Espera(anota);
    p->TbActa->click();
    EXPECT_EQ(vistos.size(), 3);
    EXPECT_EQ(LeeFichero(tmp1), editado);
    // Dropped on screen, kept in the file; once the row is free the next
    // opening offers it back, and taken, it is edited on and stored.
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
    otro.tr.Rollback();
    EXPECT_EQ(LeeFichero(tmp1), editado);
    m.Espera([](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).contains("no llegó a guardarse")) << qdtest::Textos(w).toStdString();
        qdtest::Pulsa(w, "Sí");
    });
    p->TbActa->click();
    const QString acta = qdtest::Parrafos(Columna("ACTA")).join("|");
    EXPECT_TRUE(acta.startsWith("Acta aprobada|")) << acta.toStdString();
    EXPECT_TRUE(acta.endsWith("|Editado en el procesador|Editado en el procesador")) << acta.toStdString();
    EXPECT_FALSE(QFile::exists(tmp1));
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
}

// --- e-mail -----------------------------------------------------------------------------------

TEST_F(Espacio, TheNoticeBoardsCopyOfTheMinutesNamesNobodyAndIsNotStored)
{
    Convocatoria("Asisten ANA, BEATRIZ y CARLOS.");
    const QByteArray acta = Columna("ACTA");
    PalabraProcesador("edita");
    Pantalla p;
    QMenu* menu = p->TbTablon->menu();
    ASSERT_NE(menu, nullptr);
    menu->actions().at(1)->trigger(); // the minutes
    const QString copia = qdtest::Parrafos(LeeFichero(programa.path() + "/tablon.rtf")).join('\n');
    EXPECT_TRUE(copia.startsWith("Asisten Fincas 1A, 1B, Finca 2A y Finca 3A.")) << copia.toStdString();
    EXPECT_EQ(Columna("ACTA"), acta) << "the copy is never stored";
    // A convocation without its letter says so.
    qdtest::Modales m;
    m.Espera([](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).contains("La convocatoria no tiene carta de convocatoria."));
        qdtest::Pulsa(w, "Aceptar");
    });
    menu->actions().at(0)->trigger();
}

TEST_F(Espacio, AnOrdinaryMeetingNotifiedFewerThanSixDaysBeforeIsWarnedOfAndStillSaved)
{
    Convocatoria();
    Sql(QStringLiteral("UPDATE CONVOCATORIAS SET TIPO = 1, FECHAT = NULL, FECHA = '%1'")
            .arg(QDate::currentDate().addDays(3).toString(Qt::ISODate)));
    Pantalla p;
    EXPECT_TRUE(p->LAvisoPlazo->isVisibleTo(p.w)) << "notified today, held in three days";
    EXPECT_TRUE(p->LAvisoPlazo->text().contains("hay 3 días")) << p->LAvisoPlazo->text().toStdString();
    TFIBTableSet& t = p.dm().QTabla;
    t.Edit();
    t.FieldByName("FECHAT")->SetAsDateTime(QDate::currentDate().addDays(-3).startOfDay());
    EXPECT_FALSE(p->LAvisoPlazo->isVisibleTo(p.w)) << "six days";
    t.FieldByName("TIPO")->SetAsInteger(2);
    t.FieldByName("FECHAT")->SetAsDateTime(QDate::currentDate().startOfDay());
    EXPECT_FALSE(p->LAvisoPlazo->isVisibleTo(p.w)) << "an extraordinary meeting";
    t.FieldByName("TIPO")->SetAsInteger(1);
    EXPECT_TRUE(p->LAvisoPlazo->isVisibleTo(p.w));
    t.Post();
    EXPECT_EQ(Sql("SELECT TIPO FROM CONVOCATORIAS").toInt(), 1) << "a warning, not a refusal";
}

// A stand-in for the office's PDF conversion, in a folder made the word
// processor's: writes <outdir>/<document's name>.pdf. Shell built-ins only, so
// that it runs with any PATH.
void OficinaQueConvierte(const QTemporaryDir& carpeta)
{
    EscribeFichero(carpeta.filePath("soffice"),
                   "#!/bin/sh\nsalida=\"\"; ultimo=\"\"\n"
                   "while [ $# -gt 0 ]; do\n"
                   "  if [ \"$1\" = \"--outdir\" ]; then shift; salida=\"$1\"; fi\n"
                   "  ultimo=\"$1\"; shift\ndone\n"
                   "nombre=\"${ultimo##*/}\"; nombre=\"${nombre%.*}\"\n"
                   "printf '%%PDF-1.4 prueba\\n' > \"$salida/$nombre.pdf\"\n");
    QFile::setPermissions(carpeta.filePath("soffice"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", carpeta.path());
}

class Correo : public Espacio {
protected:
    void SetUp() override
    {
        Espacio::SetUp();
        pathAntes = qgetenv("PATH");
        EscribeFichero(bin.filePath("xdg-email"), "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
                                                  "\"$QD_SALIDA\"\nexit ${QD_ESTADO:-0}\n");
        QFile::setPermissions(bin.filePath("xdg-email"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        qputenv("QD_SALIDA", bin.filePath("args").toLocal8Bit());
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + pathAntes);
    }
    void TearDown() override
    {
        qputenv("PATH", pathAntes);
        qunsetenv("QD_SALIDA");
        qunsetenv("QD_ESTADO");
        Espacio::TearDown();
    }
    void Correos(const char* ana, const char* beatriz)
    {
        Sql(QStringLiteral("UPDATE EMP_PROPIETARIO SET E_MAIL = '%1' WHERE CODIGO = 1").arg(ana));
        Sql(QStringLiteral("UPDATE EMP_PROPIETARIO SET E_MAIL = '%1' WHERE CODIGO = 2").arg(beatriz));
    }
    QStringList Argumentos() const
    {
        QStringList l = QString::fromUtf8(LeeFichero(bin.filePath("args"))).split('\n');
        l.removeAll(QString());
        return l;
    }
    // The message the screen shows when the button is pressed.
    QString Aviso(QToolButton* boton)
    {
        QString texto;
        qdtest::AlAbrirse([&](QWidget* w) {
            texto = qdtest::Textos(w);
            qdtest::Pulsa(w, "Aceptar");
        });
        // A real click: an error reaches the user through the event loop's boundary.
        QTest::mouseClick(boton, Qt::LeftButton);
        return texto;
    }
    QTemporaryDir bin;
    QByteArray pathAntes;
};

TEST_F(Correo, NothingIsSentWithoutADocumentOrWithoutAddresses)
{
    Convocatoria("Acta");
    Correos("  ", "");
    Pantalla p;
    EXPECT_TRUE(Aviso(p->TbEnviaConvocatoriaPdf).contains("Debe crear primero el texto"));
    EXPECT_TRUE(Aviso(p->TbEnviaConvocatoria).contains("Debe crear primero el texto"));
    EXPECT_TRUE(Aviso(p->TbEnviaActaPdf).contains("Propietarios sin dirección de correo electrónico"));
    EXPECT_TRUE(Aviso(p->TbEnviaActa).contains("Propietarios sin dirección de correo electrónico"));
    EXPECT_FALSE(QFile::exists(bin.filePath("args"))) << "the mail program was started";
}

TEST_F(Correo, ThePdfIsMadeFromTheStoredLetterAndSentToEveryOwnerAsBlindCopies)
{
    if (SinLibreOffice())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    Convocatoria(nullptr, "Convocatoria de la junta ordinaria");
    Correos(" ana@ejemplo.es ", "beatriz@ejemplo.es");
    // Whatever another convocation left in the folder is not what goes.
    EscribeFichero(programa.path() + "/CONVOCATORIA.pdf", "%PDF-1.4 de otra comunidad");
    Pantalla p;
    p->TbEnviaConvocatoriaPdf->click();
    const QString pdf = programa.path() + "/CONVOCATORIA.pdf";
    EXPECT_EQ(Argumentos(), (QStringList{"--utf8", "--subject", "RESIDENCIAL LOS ALMENDROS", "--attach", pdf, "--bcc",
                                         "ana@ejemplo.es", "--bcc", "beatriz@ejemplo.es"}));
    QProcess texto;
    texto.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(texto.waitForFinished(60000));
    EXPECT_TRUE(QString::fromUtf8(texto.readAllStandardOutput()).contains("Convocatoria de la junta ordinaria"));
}

TEST_F(Correo, AConversionThatFailsIsToldAndSendsNothing)
{
    Convocatoria("Acta");
    Correos("ana@ejemplo.es", "");
    QTemporaryDir sinOficina;
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", sinOficina.path());
    Pantalla p;
    const QString aviso = Aviso(p->TbEnviaActaPdf);
    EXPECT_TRUE(aviso.contains("No se ha podido convertir el documento a PDF")) << aviso.toStdString();
    EXPECT_FALSE(QFile::exists(bin.filePath("args")));
    EXPECT_FALSE(QFile::exists(programa.path() + "/ACTA.pdf"));
}

TEST_F(Correo, WithoutAMailProgramTheUserIsToldWhereThePdfIsAndHowToSetOneUp)
{
    Convocatoria("Acta de la junta");
    Correos("ana@ejemplo.es", "");
    QTemporaryDir oficina;
    OficinaQueConvierte(oficina);
    QTemporaryDir vacio;
    const struct {
        const char* caso;
        std::function<void()> prepara;
        const char* dice;
    } casos[] = {
        // xdg-email finds no mail program: its status 3.
        {"no mail program", [] { qputenv("QD_ESTADO", "3"); }, "No hay ningún programa de correo configurado"},
        {"no mail interface", [&] { qputenv("PATH", vacio.path().toLocal8Bit()); }, "xdg-utils"},
        {"refused", [] { qputenv("QD_ESTADO", "4"); }, "no ha aceptado el mensaje (código 4)"},
    };
    Pantalla p;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        c.prepara();
        const QString aviso = Aviso(p->TbEnviaActaPdf);
        EXPECT_TRUE(aviso.contains(QString::fromUtf8(c.dice))) << aviso.toStdString();
        EXPECT_TRUE(aviso.contains(programa.path() + "/ACTA.pdf")) << "where the PDF is: " << aviso.toStdString();
        EXPECT_FALSE(aviso.contains("código 3")) << aviso.toStdString();
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + pathAntes);
        qunsetenv("QD_ESTADO");
    }
    EXPECT_TRUE(LeeFichero(programa.path() + "/ACTA.pdf").startsWith("%PDF"));
}

TEST_F(Espacio, SavePdfWritesTheStoredLetterOrMinutesWhereTheUserChooses)
{
    Convocatoria("Acta de la junta");
    QTemporaryDir oficina;
    OficinaQueConvierte(oficina);
    Pantalla p;
    ASSERT_NE(p->TbGuardaPdf, nullptr);
    EXPECT_EQ(p->TbGuardaPdf->toolTip(), QStringLiteral("Guardar PDF…"));
    const QList<QAction*> acciones = p->TbGuardaPdf->menu()->actions();
    ASSERT_EQ(acciones.size(), 2);
    QDir(programa.path()).mkdir("elegida");
    const QString destino = programa.path() + "/elegida/acta de junio";
    {
        Modales m;
        m.Espera([&](QWidget* d) {
            auto* dialogo = qobject_cast<QFileDialog*>(d);
            ASSERT_NE(dialogo, nullptr);
            EXPECT_EQ(dialogo->windowTitle(), "Guardar PDF");
            auto* nombre = dialogo->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(nombre, nullptr);
            nombre->setText(destino);
            static_cast<QDialog*>(dialogo)->accept();
        });
        acciones[1]->trigger();
    }
    EXPECT_TRUE(LeeFichero(destino + ".pdf").startsWith("%PDF")) << "the suffix is added";
    // The letter was never written: nothing to save, and no dialog.
    qdtest::AlAbrirse([](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).contains("Debe crear primero el texto"));
        qdtest::Pulsa(w, "Aceptar");
    });
    acciones[0]->trigger();
}

// --- publishing -------------------------------------------------------------------------------

// A loopback FTP server with one user whose home is a folder of the test.
class ServidorFtp {
public:
    explicit ServidorFtp(int puerto, const QString& clave = QStringLiteral("secreta"))
    {
        const char* guion =
            "import sys\n"
            "from pyftpdlib.authorizers import DummyAuthorizer\n"
            "from pyftpdlib.handlers import FTPHandler\n"
            "from pyftpdlib.servers import FTPServer\n"
            "a = DummyAuthorizer()\n"
            "a.add_user('admin', sys.argv[3], sys.argv[2], perm='elradfmwMT')\n"
            "class Activo(FTPHandler):\n"
            "    # passive mode refused: a transfer that works was made in active mode\n"
            "    def ftp_PASV(self, line): self.respond('502 Sin modo pasivo.')\n"
            "    def ftp_EPSV(self, line): self.respond('502 Sin modo pasivo.')\n"
            "Activo.authorizer = a\n"
            "s = FTPServer(('127.0.0.1', int(sys.argv[1])), Activo)\n"
            "print(s.address[1], flush=True)\n"
            "s.serve_forever()\n";
        proceso.start("/usr/bin/python3", {"-c", guion, QString::number(puerto), raiz.path(), clave});
        if (proceso.waitForReadyRead(15000))
            puerto_ = proceso.readLine().trimmed().toInt();
    }
    ~ServidorFtp()
    {
        proceso.kill();
        proceso.waitForFinished();
    }
    int Puerto() const { return puerto_; }
    QString Ruta(const QString& remota) const { return raiz.path() + remota; }

private:
    QTemporaryDir raiz;
    QProcess proceso;
    int puerto_ = 0;
};

class Publicacion : public Espacio {
protected:
    void Parametros(const QString& host, const QString& usuario, const QString& clave, int puerto)
    {
        Sql(QStringLiteral("UPDATE SYS_PARAMETROS SET HOST = '%1', USUARIO = '%2', CLAVE = '%3', PUERTO = %4, "
                           "DIRECTORIO = '/web/actas/'")
                .arg(host, usuario, clave)
                .arg(puerto));
    }
    // The plain message UploadFile ends with.
    QString Sube()
    {
        QString texto;
        qdtest::AlAbrirse([&](QWidget* w) {
            auto* caja = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(caja, nullptr);
            EXPECT_EQ(caja->icon(), QMessageBox::NoIcon);
            texto = caja->text();
            caja->accept();
        });
        QLineEdit estado;
        UploadFile("ACTA.PDF", "/web/actas/com012/", programa.path(), &estado);
        return texto;
    }
};

TEST_F(Publicacion, AMissingHostUserOrPasswordIsToldAndNothingIsSent)
{
    const struct {
        const char *host, *usuario, *clave, *aviso;
    } casos[] = {{" ", "admin", "secreta", "Nombre Host no valido"},
                 {"127.0.0.1", "", "secreta", "Nombre Usuario no valido"},
                 {"127.0.0.1", "admin", "  ", "Clave no valida"}};
    for (const auto& c : casos) {
        Parametros(c.host, c.usuario, c.clave, 1);
        EXPECT_EQ(Sube(), c.aviso);
    }
}

TEST_F(Publicacion, TheServerIsCheckedBeforeTheMinutesAreConverted)
{
    Convocatoria("Acta");
    // No office at all: a conversion tried would say so.
    QTemporaryDir sinOficina;
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", sinOficina.path());
    const struct {
        const char *host, *usuario, *clave, *aviso;
    } casos[] = {{"", "admin", "secreta", "Nombre Host no valido"},
                 {"127.0.0.1", " ", "secreta", "Nombre Usuario no valido"},
                 {"127.0.0.1", "admin", "", "Clave no valida"},
                 // All there: only now is the conversion tried, and it fails.
                 {"127.0.0.1", "admin", "secreta", "No se ha podido convertir el documento a PDF"}};
    Pantalla p;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.aviso);
        Parametros(c.host, c.usuario, c.clave, 1);
        Modales m;
        m.Espera([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); });
        QString aviso;
        m.Espera([&](QWidget* w) {
            aviso = qdtest::Textos(w);
            w->close();
        });
        QTest::mouseClick(p->TbPublica, Qt::LeftButton);
        EXPECT_TRUE(aviso.contains(QString::fromUtf8(c.aviso))) << aviso.toStdString();
        EXPECT_FALSE(QFile::exists(programa.path() + "/ACTA.PDF"));
    }
}

TEST_F(Publicacion, TheUserAndPasswordGoAsStored)
{
    ServidorFtp servidor(0, QStringLiteral(" clave con blancos "));
    if (servidor.Puerto() == 0) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            ADD_FAILURE() << "pyftpdlib is not installed";
        GTEST_SKIP() << "pyftpdlib is not installed";
    }
    EscribeFichero(programa.path() + "/ACTA.PDF", "%PDF-1.4 acta");
    Parametros("127.0.0.1", "admin", " clave con blancos ", servidor.Puerto());
    EXPECT_EQ(Sube(), "Fichero publicado.");
    EXPECT_EQ(LeeFichero(servidor.Ruta("/web/actas/com012/ACTA.PDF")), "%PDF-1.4 acta");
}

TEST_F(Publicacion, TheMinutesGoToTheCommunitysFolderByteForByteInActiveMode)
{
    if (SinLibreOffice())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    // Port 0 means the FTP port, 21, which only the superuser may serve on.
    ServidorFtp servidor(21);
    if (servidor.Puerto() != 21)
        GTEST_SKIP() << "no FTP server on port 21 (pyftpdlib missing, or port 21 not allowed)";
    Parametros("127.0.0.1", "admin", "secreta", 0);
    Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (12, 'C.P. DOCE')");
    Entorno.Comunidad = 12;
    Entorno.NombreComunidad = "C.P. DOCE";
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, ACTA) VALUES (12, 1, '" + Documento("Acta de la junta doce") + "')");
    Pantalla p;
    qdtest::Modales m;
    m.Espera([](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click(); });
    QString fin;
    m.Espera([&](QWidget* w) {
        fin = qobject_cast<QMessageBox*>(w)->text();
        qobject_cast<QMessageBox*>(w)->accept();
    });
    p->TbPublica->click();
    EXPECT_EQ(fin, "Fichero publicado.");
    EXPECT_EQ(p->EEstado->text(), " ");
    const QByteArray local = LeeFichero(programa.path() + "/ACTA.PDF");
    ASSERT_TRUE(local.startsWith("%PDF"));
    EXPECT_EQ(LeeFichero(servidor.Ruta("/web/actas/com012/ACTA.PDF")), local);
}

TEST_F(Publicacion, AnFtpFailureReachesTheUserWithTheClientsError)
{
    ServidorFtp servidor(0);
    if (servidor.Puerto() == 0) {
        // The test command installs it: under CI its absence is a fault.
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            ADD_FAILURE() << "pyftpdlib is not installed";
        GTEST_SKIP() << "pyftpdlib is not installed";
    }
    EscribeFichero(programa.path() + "/ACTA.PDF", "%PDF-1.4 acta");
    // A wrong password; then a file that is not there.
    Parametros("127.0.0.1", "admin", "otra", servidor.Puerto());
    QLineEdit estado;
    try {
        UploadFile("ACTA.PDF", "/web/", programa.path(), &estado);
        ADD_FAILURE() << "a login refused was taken";
    } catch (const EUtilesError& e) {
        EXPECT_TRUE(e.Message().startsWith("Error FTP: ")) << e.Message().toStdString();
    }
    EXPECT_EQ(estado.text(), "Conectando con el servidor ...") << "the status keeps its last text";
    Parametros("127.0.0.1", "admin", "secreta", servidor.Puerto());
    EXPECT_THROW(UploadFile("NO-HAY.PDF", "/web/", programa.path(), &estado), EUtilesError);
    // And with a port of its own, the file goes where asked.
    EXPECT_EQ(Sube(), "Fichero publicado.");
    EXPECT_EQ(LeeFichero(servidor.Ruta("/web/actas/com012/ACTA.PDF")), "%PDF-1.4 acta");
}

TEST(DirectorioActas, IsTheFolderFollowedByTheCommunityInThreeDigits)
{
    EXPECT_EQ(DirectorioActas("/web/actas/", 12), "/web/actas/com012/");
    EXPECT_EQ(DirectorioActas("", 7), "com007/");
    EXPECT_EQ(DirectorioActas("w/", 1234), "w/com1234/");
}

TEST_F(Espacio, TheCommandOpensTheScreenOnce)
{
    RegistraOrdenesConvocatorias();
    const TOrden* orden = OrdenRegistrada("Convocatorias");
    ASSERT_NE(orden, nullptr);
    EXPECT_EQ(orden->Titulo, "Convocatorias y Actas");
    EXPECT_EQ(orden->Menu, TMenuOrden::Gestion);
    EXPECT_EQ(orden->Posicion, 10);
    EXPECT_EQ(orden->TextoHerramienta, "Convocatorias ");
    orden->Abre(nullptr);
    QWidget* w = VentanaAbierta("TFConvoca");
    ASSERT_NE(w, nullptr);
    orden->Abre(nullptr);
    EXPECT_EQ(VentanaAbierta("TFConvoca"), w) << "one window only";
    EXPECT_EQ(w->windowTitle(), "Convocatorias y Actas");
    EXPECT_EQ(static_cast<TFConvoca*>(w)->NumeroFormulario(), 0);
    CierraVentanas();
}

// --- the meeting of the user guide, on the demo data --------------------------------------------

class Demo : public qdtest::ProgramaAbierto {
protected:
    Demo() : ProgramaAbierto(true) {}
};

TEST_F(Demo, AMeetingFromTheLetterToTheVotes)
{
    Entorno.Comunidad = 1;
    Entorno.NombreComunidad = Sql("SELECT NOMBRE FROM SYS_COMUNIDAD WHERE CODIGO = 1").toString();
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", Stubs());
    qputenv("QD_PROCESADOR", "sin-guardar");
    Pantalla p;
    EXPECT_EQ(p.dm().QTabla.FieldByName("LUGAR")->AsString(), "SALA COMÚN DEL EDIFICIO");
    qdtest::Captura("convocatorias-ficha", p.w);

    // The letter from the demo's template, merged with the convocation.
    qdtest::AlAbrirse([](QWidget* w) {
        auto* s = qobject_cast<TFSTexto*>(w);
        ASSERT_NE(s, nullptr);
        s->Rejilla->setFocus();
        QTest::keyClick(s->Rejilla, Qt::Key_Return);
    });
    p->TbConvocatoria->click();
    qunsetenv("QD_PROCESADOR");
    const QByteArray carta = p.dm().QTabla.FieldByName("TEXTO")->AsBytes();
    const QString texto = qdtest::Parrafos(carta).join("\n");
    EXPECT_TRUE(texto.contains("SALA COMÚN DEL EDIFICIO")) << texto.toStdString();
    EXPECT_FALSE(texto.contains("[Lugar]"));
    QTextEdit vista;
    vista.setReadOnly(true);
    vista.setWindowTitle("tmp1.rtf");
    Rtf::read(carta, *vista.document());
    vista.resize(820, 640);
    vista.show();
    qdtest::Captura("convocatorias-carta", &vista);
    vista.hide();
    Activa(p.w);

    // On the day: who attends, one owner represented, the votes on point 3.
    TRejillaVotaciones* g = p.Rejilla();
    const int filas = p.dm().QVotacion.RecordCount();
    ASSERT_GE(filas, 4);
    for (int fila = 0; fila < filas - 1; ++fila) {
        p.Celda(fila, "ASISTENCIA");
        Teclea(Qt::Key_Return);
    }
    // The representative's name typed over the owner's.
    p.Celda(1, "NOMBRE");
    const qint64 representado = p.dm().QVotacion.FieldByName("PROPIETARIO")->AsInteger();
    Teclea(Qt::Key_F2);
    qdtest::Escribe("JUAN PÉREZ (REPRESENTANTE)");
    Teclea(Qt::Key_Return);
    const char* votos = "SSNSASSS";
    for (int fila = 0; fila < filas - 1; ++fila) {
        p.Celda(fila, "P3");
        qdtest::Escribe(QString(QChar(votos[fila % 8])).toLower());
        Teclea(Qt::Key_Return);
    }
    p.Celda(1, "P3");
    Teclea(Qt::Key_F4);
    EXPECT_GT(p.dm().QVotacionP.FieldByName("VSI")->AsInteger(), 0);
    EXPECT_EQ(p.dm().QTabla.FieldByName("ASISTENTES")->AsInteger(), filas - 1);
    ASSERT_TRUE(p.dm().QVotacion.Locate("PROPIETARIO", {representado}));
    EXPECT_EQ(p.dm().QVotacion.FieldByName("NOMBRE")->AsString(), "JUAN PÉREZ (REPRESENTANTE)");
    EXPECT_NE(p->TSVotaciones->DBTPropietario->text(), "JUAN PÉREZ (REPRESENTANTE)")
        << "beside the grid, the owner's own name";
    g->setFocus();
    qdtest::Captura("convocatorias-votaciones", p.w);
}

} // namespace
