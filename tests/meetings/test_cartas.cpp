// Letters, minutes and working notes: the merge fields, the two generated
// lists character for character, the agenda's points, and every document
// read back by the RTF reader (and once by LibreOffice itself).
#include "Ficheros.h"
#include "Juntas.h"
#include "RtfText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

using qdtest::EscribeFichero;
using qdtest::Juntas;
using qdtest::LeeFichero;
using qdtest::Parrafos;

QByteArray B(int n) { return QByteArray(n, ' '); }
QByteArray Col(const QByteArray& texto, int ancho) { return texto + B(ancho - static_cast<int>(texto.size())); }

const QByteArray kCabecera = "\\par Propietario" + B(30) + "Finca" + B(14) + "Coeficiente";
const QByteArray kRepresentados = "\\par Representados" + B(28) + "Finca" + B(14) + "Coeficiente";
const QByteArray kBlanca = "\\par " + B(66);
// The list's last line: how many attended each way.
QByteArray Recuento(int personas, int representados)
{
    return "\\par " + Rtf::escapeText(QStringLiteral("Asistentes: %1 propietarios (%2 en persona, %3 y 0 por medios telemáticos)")
                                           .arg(personas + representados)
                                           .arg(personas)
                                           .arg(representados == 1 ? QStringLiteral("1 representado")
                                                                   : QStringLiteral("%1 representados").arg(representados)));
}

class Cartas : public Juntas {
protected:
    // Three owners: the first with two properties of 2,5 and 1,5,
    // the second with one of 3, the third with two of 1.
    void TresPropietarios()
    {
        Propietario(1, "CARMEN", {{"3B", 1}, {"3A", 1}});
        Propietario(2, "ANDRES", {{"1A", 2.5}, {"1B", 1.5}});
        Propietario(3, "BELEN", {{"2A", 3}});
    }
    void Representa(int propietario, const QString& representante)
    {
        TDMConvoca& m = Modulo();
        ASSERT_TRUE(m.QVotacion.Locate("PROPIETARIO", {propietario}));
        m.QVotacion.Edit();
        m.QVotacion.FieldByName("NOMBRE")->SetAsString(representante);
        m.QVotacion.Post();
    }
    // The current convocation's agenda and place, saved.
    void Agenda(const QString& orden, const QString& lugar)
    {
        TFIBTableSet& t = Modulo().QTabla;
        t.Edit();
        t.FieldByName("ORDEN")->SetAsString(orden);
        t.FieldByName("LUGAR")->SetAsString(lugar);
        t.Post();
    }
    QString Tmp1() const { return programa.path() + "/tmp1.rtf"; }
    // Merges a template holding `cuerpo` and returns the document.
    QByteArray Combina(const QByteArray& cuerpo, const QString& tipo = QStringLiteral("ACTA"))
    {
        EscribeFichero(Tmp1(), "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0 Courier New;}}\\pard\\f0 " + cuerpo + "}");
        Modulo().MergeDocument(tipo);
        return LeeFichero(Tmp1());
    }
};

TEST_F(Cartas, AttendanceListOfThreeOwnersInPersonWithSubtotalsAndGrandTotal)
{
    TresPropietarios();
    NuevaConvocatoria();
    Modulo().SetAttendanceAll(1);
    EXPECT_EQ(Modulo().BuildAttendeeList(),
              kCabecera +                                                    //
                  "\\par " + Col("ANDRES", 40) + " " + Col("1A", 20) + " 2,50000%" + //
                  "\\par " + B(40) + " " + Col("1B", 20) + " 1,50000%" +             //
                  "\\par " + B(40) + " " + "        Total coef.: 4,00000%" +          //
                  "\\par " + Col("BELEN", 40) + " " + Col("2A", 20) + " 3,00000%" +   //
                  "\\par " + Col("CARMEN", 40) + " " + Col("3A", 20) + " 1,00000%" +  //
                  "\\par " + B(40) + " " + Col("3B", 20) + " 1,00000%" +             //
                  "\\par " + B(40) + " " + "        Total coef.: 2,00000%" +          //
                  "\\par " + B(40) + " " + "Total general coef.: 9,00000%" +         //
                  kBlanca + kRepresentados + kBlanca + Recuento(3, 0));
    // Read back, every line is a paragraph of its own, headers included.
    const QStringList lineas = Parrafos("{\\rtf1\\ansi " + Modulo().BuildAttendeeList() + "}");
    EXPECT_EQ(lineas.value(1), QString("Propietario" + B(30) + "Finca" + B(14) + "Coeficiente"));
    EXPECT_EQ(lineas.value(11), QString("Representados" + B(28) + "Finca" + B(14) + "Coeficiente"));
}

TEST_F(Cartas, ARepresentedOwnerIsListedApartAndCountsInTheSums)
{
    TresPropietarios();
    NuevaConvocatoria();
    Modulo().SetAttendanceAll(1);
    Representa(3, "DIEGO REPRESENTANTE");
    EXPECT_EQ(Modulo().BuildAttendeeList(),
              kCabecera +                                                    //
                  "\\par " + Col("ANDRES", 40) + " " + Col("1A", 20) + " 2,50000%" + //
                  "\\par " + B(40) + " " + Col("1B", 20) + " 1,50000%" +             //
                  "\\par " + B(40) + " " + "        Total coef.: 7,00000%" +          //
                  "\\par " + Col("CARMEN", 40) + " " + Col("3A", 20) + " 1,00000%" +  //
                  "\\par " + B(40) + " " + Col("3B", 20) + " 1,00000%" +             //
                  "\\par " + B(40) + " " + "        Total coef.: 2,00000%" +          //
                  "\\par " + B(40) + " " + "Total general coef.: 9,00000%" +         //
                  kBlanca + kRepresentados +                                         //
                  "\\par " + Col("BELEN/DIEGO REPRESENTANTE", 40) + " " + Col("2A", 20) + " " + " 3,00000%" + //
                  kBlanca + Recuento(2, 1));
}

TEST_F(Cartas, OrderedByCodeTheListFollowsTheOwnersCodes)
{
    TresPropietarios();
    NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    m.SetAttendanceAll(1);
    m.OrdenaVotaciones(1);
    m.QVotacion.First();
    EXPECT_EQ(m.QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 1) << "the vote rows by code too";
    QStringList propietarios;
    for (const QString& linea : Parrafos("{\\rtf1\\ansi " + m.BuildAttendeeList() + "}")) {
        const QString nombre = linea.left(40).trimmed();
        if (!nombre.isEmpty() && !linea.startsWith("Asistentes:"))
            propietarios << nombre;
    }
    EXPECT_EQ(propietarios, (QStringList{"Propietario", "CARMEN", "ANDRES", "BELEN", "Representados"}));
    // With no one attending: the two headers and the two blank lines only.
    m.SetAttendanceAll(0);
    EXPECT_EQ(m.BuildAttendeeList(), kCabecera + kBlanca + kRepresentados + kBlanca + Recuento(0, 0));
}

TEST_F(Cartas, DebtorsAreTheAttendingOwnersWhoOwe)
{
    Propietario(1, "ANA", {{"1A", 10}});
    Propietario(2, "BEATRIZ", {{"2A", 10}});
    Propietario(3, "CARLOS", {{"3A", 10}});
    const qint64 c = NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    const QByteArray cabecera = "\\par Propietario" + B(35) + "Saldo";
    EXPECT_EQ(m.BuildDebtorList(), cabecera);
    Sql(QStringLiteral("UPDATE VOTACIONES SET SALDO = 1234.5 WHERE CONVOCATORIA = %1 AND PROPIETARIO IN (1, 3)").arg(c));
    Sql(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA = 1 WHERE CONVOCATORIA = %1 AND PROPIETARIO IN (1, 2)").arg(c));
    EXPECT_EQ(m.BuildDebtorList(), cabecera + "\\par " + Col("ANA", 40) + " " + "  1.234,50");
}

TEST_F(Cartas, TheSixteenFieldsAreMergedInTheirOrderWithTheConvocationsData)
{
    Sql("UPDATE ADMINISTRADOR SET PERSONA = ' MARTA ', CIF = 'B50123456', DOMICILIO = 'COSO, 98', "
        "POBLACION = 'ZARAGOZA' WHERE CODIGO = 1");
    Propietario(1, "ANA", {{"1A", 10}});
    NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    m.QTabla.Edit();
    m.QTabla.FieldByName("HORA1")->SetAsString("18:00");
    m.QTabla.FieldByName("HORA2")->SetAsString("18:30");
    m.QTabla.FieldByName("FECHA")->SetAsDateTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    // A field later in the order, typed as the place, is merged too; one
    // earlier in the order, typed as the community's name, is not.
    m.QTabla.FieldByName("LUGAR")->SetAsString(" [Hora1] en [Comunidad] ");
    m.QTabla.Post();
    Sql("UPDATE SYS_COMUNIDAD SET NOMBRE = 'COMUNIDAD [Lugar]' WHERE CODIGO = 1");
    const QByteArray d = Combina(
        "[Lugar]\\par [Hora2]\\par [Administrador]|[AdministradorCif]|[AdministradorDomicilio]|[AdministradorPoblacion]\\par "
        "[ComunidadDomicilio]|[ComunidadPoblacion]|[Presidente]\\par [Fecha1]\\par [Fecha]\\par [Lugar]");
    EXPECT_EQ(Parrafos(d),
              (QStringList{"18:00 en COMUNIDAD [Lugar]", "18:30", " MARTA |B50123456|COSO, 98|ZARAGOZA",
                           "CALLE MAYOR, 1|ZARAGOZA|LUIS PRESIDENTE", "05 de marzo de 2024",
                           FormatoFechaHora(QDateTime::currentDateTime(), "dd \"de\" mmmm \"de\" yyyy"),
                           "18:00 en COMUNIDAD [Lugar]"}));
    // The merged document is the column's, the row left in edit mode.
    EXPECT_EQ(m.QTabla.State(), TDataSetState::dsEdit);
    EXPECT_EQ(m.QTabla.FieldByName("ACTA")->AsBytes(), d);
    EXPECT_TRUE(m.QTabla.FieldByName("TEXTO")->AsBytes().isEmpty());
    m.QTabla.Post();
    EXPECT_FALSE(m.QAdmin.Active());
    EXPECT_FALSE(m.QComu.Active());

    // The letter goes to its own column.
    Combina("[Presidente]", "CONVOCATORIA");
    EXPECT_EQ(Parrafos(m.QTabla.FieldByName("TEXTO")->AsBytes()), QStringList{"LUIS PRESIDENTE"});
}

TEST_F(Cartas, ValuesAreTextNeverRtf)
{
    Propietario(1, "{A}\\B Ñúñez", {{"1º A", 10}});
    NuevaConvocatoria("Sala {1}\\ \"Ñ\"");
    TDMConvoca& m = Modulo();
    m.SetAttendanceAll(1);
    Sql("UPDATE VOTACIONES SET SALDO = 7 WHERE PROPIETARIO = 1");
    const QStringList p = Parrafos(Combina("[Lugar]\\par [Asistentes]\\par [Deudores]"));
    ASSERT_GE(p.size(), 6) << p.join('|').toStdString();
    EXPECT_EQ(p[0], "Sala {1}\\ \"Ñ\"");
    EXPECT_EQ(p[3], "{A}\\B Ñúñez" + QString(29, ' ') + " 1º A" + QString(16, ' ') + " 10,00000%");
    EXPECT_TRUE(p.contains("{A}\\B Ñúñez" + QString(29, ' ') + "       7,00") ) << p.join('|').toStdString();
}

TEST_F(Cartas, AgendaMarkersStartParagraphsWhileTheDocumentHoldsPuntos)
{
    const QByteArray plantilla = "[Lugar]\\par [Puntos]";
    NuevaConvocatoria();
    const struct {
        const char* caso;
        QString orden;
        QString lugar;
        QStringList parrafos;
    } casos[] = {
        {"one line", "1º.- Cuentas 2º.- Presidente", "Sala", {"Sala", "", "1º.- Cuentas ", "2º.- Presidente"}},
        {"a line each", "1º.- Cuentas\r\n2º.- Presidente\r\n   y vicepresidente", "Sala",
         {"Sala", "", "1º.- Cuentas", "2º.- Presidente", "   y vicepresidente"}},
        {"a marker in the place", "Orden:\n1º.- Cuentas", "Sala 3º.- B", {"Sala ", "3º.- B", "Orden:", "1º.- Cuentas"}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        Agenda(c.orden, c.lugar);
        EXPECT_EQ(Parrafos(Combina(plantilla)), c.parrafos);
        Modulo().QTabla.Cancel();
    }
    // As the agenda is written: the blank before each marker stays.
    EXPECT_EQ(ReplaceField("{\\rtf1 [Puntos]}", "[Puntos]", "1º.- Cuentas 2º.- Presidente"),
              "{\\rtf1 \\par 1\\u186\\'ba.- Cuentas \\par 2\\u186\\'ba.- Presidente}");
    // Without "[Puntos]" in the document a marker is text like any other.
    EXPECT_EQ(Parrafos(ReplaceField("{\\rtf1 [Lugar]}", "[Lugar]", "Sala 3º.- B")), QStringList{"Sala 3º.- B"});
    // A template without fields passes through unchanged; a field twice is replaced twice.
    EXPECT_EQ(ReplaceField("{\\rtf1 Hola}", "[Lugar]", "X"), "{\\rtf1 Hola}");
    EXPECT_EQ(ReplaceField("{\\rtf1 [Lugar]-[Lugar]}", "[Lugar]", "[Lugar]"), "{\\rtf1 [Lugar]-[Lugar]}");
    EXPECT_EQ(ReplaceField("{\\rtf1 [Lugar]-[Lugar]}", "[Lugar]", "X"), "{\\rtf1 X-X}");
}

TEST_F(Cartas, TheNotesPutEachAgendaPointOnItsOwnPage)
{
    Sql("UPDATE ADMINISTRADOR SET EMPRESA = 'FINCAS ARAGÓN' WHERE CODIGO = 1");
    NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    m.QTabla.Edit();
    m.QTabla.FieldByName("ORDEN")->SetAsString("Junta: 1º.- Cuentas. 2º.- Obras. 3º.- Ruegos.");
    m.QTabla.Post();
    m.WriteNotesDocument();
    const QByteArray notas = LeeFichero(Tmp1());
    EXPECT_EQ(notas.count("\\page "), 2);
    EXPECT_TRUE(notas.contains("\r\n\\par \\pard\\fs22 1\\u186\\'ba.- Cuentas. \r\n\\par \\page \r\n"));
    QTextDocument doc;
    Rtf::read(notas, doc);
    QStringList parrafos;
    int saltos = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        parrafos << b.text();
        saltos += (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) ? 1 : 0;
    }
    EXPECT_EQ(saltos, 2);
    EXPECT_EQ(parrafos.value(0), "FINCAS ARAGÓN");
    EXPECT_TRUE(parrafos.contains("COMUNIDAD DE PROPIETARIOS: RESIDENCIAL LOS ALMENDROS"));
    EXPECT_TRUE(parrafos.contains("POBLACION: 50001 ZARAGOZA"));
    EXPECT_TRUE(parrafos.contains("FECHA: " + FormatoFecha(QDate::currentDate())));
    EXPECT_TRUE(parrafos.contains("1º.- Cuentas. "));
    EXPECT_TRUE(parrafos.contains("3º.- Ruegos."));
    EXPECT_FALSE(m.QAdmin.Active());
}

TEST(PuntosDelOrden, EachPointRunsFromItsMarkerToTheNext)
{
    QString agenda = "Previo 1º.- Uno 3º.- Tres";
    QList<QByteArray> lineas;
    ExtractAgendaPoint(1, agenda, lineas);
    EXPECT_EQ(lineas, QList<QByteArray>{"\\par \\pard\\fs22 1\\u186\\'ba.- Uno 3\\u186\\'ba.- Tres"});
    EXPECT_EQ(agenda, "s") << "no marker 2: only the last character is left";
    agenda = "Previo 1º.- Uno 2º.- Dos";
    lineas.clear();
    ExtractAgendaPoint(2, agenda, lineas);
    EXPECT_EQ(lineas, (QList<QByteArray>{"\\par \\page ", "\\par \\pard\\fs22 2\\u186\\'ba.- Dos"}));
    ExtractAgendaPoint(1, agenda, lineas);
    EXPECT_EQ(lineas.size(), 2) << "point 1 is gone from what is left";
    agenda = "1º.- Uno 2º.- Dos";
    lineas.clear();
    ExtractAgendaPoint(1, agenda, lineas);
    EXPECT_EQ(lineas, QList<QByteArray>{"\\par \\pard\\fs22 1\\u186\\'ba.- Uno "});
    EXPECT_EQ(agenda, "2º.- Dos");
    ExtractAgendaPoint(5, agenda, lineas);
    EXPECT_EQ(lineas.size(), 1);
}

TEST_F(Cartas, LibreOfficeReadsAMergedLetterWithItsNames)
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            FAIL() << "LibreOffice (soffice) is not installed";
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: the real-document test is skipped";
    }
    Propietario(1, "{A}\\B Ñúñez", {{"1A", 60}});
    Propietario(2, "ZOE", {{"2A", 40}});
    NuevaConvocatoria("Sala común");
    Modulo().SetAttendanceAll(1);
    Combina("Junta de [Comunidad] en [Lugar]\\par [Asistentes]\\par Fin", "CONVOCATORIA");
    QTemporaryDir salida;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice, {"--headless", "-env:UserInstallation=" + QUrl::fromLocalFile(salida.path() + "/perfil").toString(),
                      "--convert-to", "txt:Text (encoded):UTF8", "--outdir", salida.path(), Tmp1()});
    ASSERT_TRUE(p.waitForFinished(180000)) << p.readAll().toStdString();
    const QString texto = QString::fromUtf8(LeeFichero(salida.path() + "/tmp1.txt"));
    ASSERT_FALSE(texto.isEmpty()) << p.readAll().toStdString();
    EXPECT_TRUE(texto.contains("Junta de RESIDENCIAL LOS ALMENDROS en Sala común")) << texto.toStdString();
    EXPECT_TRUE(texto.contains("{A}\\B Ñúñez" + QString(29, ' ') + " 1A")) << texto.toStdString();
    EXPECT_TRUE(texto.contains("\nRepresentados ")) << "the headers start their own lines";
    EXPECT_TRUE(texto.contains("Total general coef.: 100,00000%"));
}

} // namespace
