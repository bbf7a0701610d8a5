// The formats supplied with the program, run on data shaped like the views
// their listings read (VER_JUNTAS, VER_VOTACIONES, VER_CITAS,
// VER_PROPIETARIO_DIRE) and the rows of QComunidad and QAdministrador.
#include "ReportError.h"
#include "ReportExport.h"
#include "ReportLayout.h"
#include "ReportXml.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace qdr;

namespace {

Report supplied(const QString& file)
{
    return loadReport(qEnvironmentVariable("QD_SOURCE_DIR") + QStringLiteral("/report/supplied/") + file);
}

struct Fixture {
    MemoryDataSource comunidad{{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")}};
    MemoryDataSource admin{{QStringLiteral("CODIGO"), QStringLiteral("EMPRESA")}};
    ReportData data;
    Fixture()
    {
        comunidad.addRow({7, QStringLiteral("C.P. Calle Mayor 12")});
        admin.addRow({1, QStringLiteral("Fincas Ruiz S.L.")});
        comunidad.first();
        admin.first();
        data.addDataSet(QStringLiteral("QComunidad"), &comunidad);
        data.addDataSet(QStringLiteral("QAdministrador"), &admin);
    }
};

QString allText(const Document& doc)
{
    QStringList out;
    for (const Page& p : doc.pages)
        for (const Primitive& it : p.items)
            if (it.kind == PrimitiveKind::Text)
                out << it.text;
    return out.join(QLatin1Char('|'));
}

const QDateTime kJunta(QDate(2024, 5, 20), QTime(0, 0));

} // namespace

TEST(ReportSupplied, Listing9000ShowsAttendingOwnersPropertiesAndCoefficients)
{
    Fixture f;
    MemoryDataSource juntas({QStringLiteral("COMUNIDAD"), QStringLiteral("CONVOCATORIA"), QStringLiteral("ASISTENCIA"),
                             QStringLiteral("CODIGO_P"), QStringLiteral("PROPIETARIO"), QStringLiteral("REPRESENTADO"),
                             QStringLiteral("COEFICIENTE_P"), QStringLiteral("CODIGO_F"), QStringLiteral("FINCA"),
                             QStringLiteral("COEFICIENTE"), QStringLiteral("FECHA"), QStringLiteral("DES")});
    juntas.addRow({7, 3, 1, 1, QStringLiteral("Ana Ruiz"), QStringLiteral("Ana Ruiz"), 14.75, 1, QStringLiteral("1º A"), 4.25, kJunta, QStringLiteral("Ordinaria 2024")});
    juntas.addRow({7, 3, 1, 1, QStringLiteral("Ana Ruiz"), QStringLiteral("Ana Ruiz"), 14.75, 2, QStringLiteral("Local 1"), 10.5, kJunta, QStringLiteral("Ordinaria 2024")});
    juntas.addRow({7, 3, 1, 4, QStringLiteral("Luis Peña"), QStringLiteral("Marta Gil"), 5.0, 5, QStringLiteral("2º B"), 5.0, kJunta, QStringLiteral("Ordinaria 2024")});
    f.data.addDataSet(QStringLiteral("frDBCampos"), &juntas);
    const QString text = allText(layoutReport(supplied(QStringLiteral("9000.frf")), f.data));
    for (const char* expected : {"C.P. Calle Mayor 12", "LISTADO DE ASISTENTES A LA JUNTA", "Convocatoria 3 - Ordinaria 2024",
                                 "Fecha junta: 20/05/2024", "1º A|Ana Ruiz|En persona|4,25000%|14,75000%",
                                 "2º B|Luis Peña|Marta Gil|5,00000%|5,00000%", "Fincas representadas:|3",
                                 "19,75000%", "Fincas Ruiz S.L.|Página 1 de 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

TEST(ReportSupplied, Listing9001ShowsEachOwnersVotesAndTheTallies)
{
    Fixture f;
    QStringList fields = {QStringLiteral("COMUNIDAD"), QStringLiteral("CONVOCATORIA"), QStringLiteral("ASISTENCIA"),
                          QStringLiteral("CODIGO_P"), QStringLiteral("PROPIETARIO"), QStringLiteral("REPRESENTADO"),
                          QStringLiteral("COEFICIENTE_P"), QStringLiteral("FINCA")};
    for (int p = 1; p <= 10; ++p)
        fields << QStringLiteral("P%1").arg(p);
    fields << QStringLiteral("SALDO") << QStringLiteral("FECHA") << QStringLiteral("DES");
    MemoryDataSource votos(fields);
    auto row = [&](int code, const QString& name, double coef, const QString& votes, double saldo) {
        QVariantList r = {7, 3, 1, code, name, name, coef, QStringLiteral("F%1").arg(code)};
        for (int p = 0; p < 10; ++p)
            r << (p < votes.size() ? QString(votes[p]) : QString());
        r << saldo << kJunta << QStringLiteral("Extraordinaria");
        votos.addRow(r);
    };
    row(1, QStringLiteral("Ana Ruiz"), 14.75, QStringLiteral("SSN"), 0.0);
    row(2, QStringLiteral("Luis Peña"), 5.0, QStringLiteral("SNA"), 1234.5);
    row(3, QStringLiteral("Eva Sanz"), 30.25, QStringLiteral("SAA"), 0.0);
    f.data.addDataSet(QStringLiteral("frDBCampos"), &votos);
    const Document doc = layoutReport(supplied(QStringLiteral("9001.frf")), f.data);
    EXPECT_GT(doc.pages.front().width, doc.pages.front().height); // landscape
    const QString text = allText(doc);
    for (const char* expected : {"VOTACIONES DE LA JUNTA", "F2|Luis Peña|En persona|5,00000%|S|N|A|1.234,50",
                                 "Asistentes:|3", "50,00000%",
                                 // Point 1: three yes; point 2: one each; point 3: one no, two abstentions.
                                 "Punto 1|3|0|0|50,00000%|0,00000%|0,00000%",
                                 "Punto 2|1|1|1|14,75000%|5,00000%|30,25000%",
                                 "Punto 3|0|1|2|0,00000%|14,75000%|35,25000%",
                                 "Punto 10|0|0|0|"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

TEST(ReportSupplied, Listing9009GroupsTheAppointmentsByDay)
{
    Fixture f;
    MemoryDataSource citas({QStringLiteral("FECHA"), QStringLiteral("HORA"), QStringLiteral("HORA2"), QStringLiteral("TEXTO"),
                            QStringLiteral("USUARIO"), QStringLiteral("NOMBRE_USUARIO"), QStringLiteral("LLAMADA")});
    citas.addRow({kJunta, 1, 9, QStringLiteral("Visita al portal"), 1, QStringLiteral("ADMINISTRADOR"), 0});
    citas.addRow({kJunta, 2, 0, QStringLiteral("Sin hora"), 1, QStringLiteral("ADMINISTRADOR"), 0});
    citas.addRow({kJunta.addDays(1), 1, 10, QStringLiteral("Junta C.P. Mayor"), 2, QStringLiteral("LAURA"), 0});
    f.data.addDataSet(QStringLiteral("frDBCampos"), &citas);
    const QString text = allText(layoutReport(supplied(QStringLiteral("9009.frf")), f.data));
    for (const char* expected : {"LISTADO DE CITAS", "lunes 20 de mayo de 2024|9|ADMINISTRADOR|Visita al portal|ADMINISTRADOR|Sin hora",
                                 "martes 21 de mayo de 2024|10|LAURA|Junta C.P. Mayor", "Citas:|3"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

TEST(ReportSupplied, LabelSheetPutsTwentyFourLabelsOnAnA4Page)
{
    Fixture f;
    MemoryDataSource owners({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("DOMICILIO"),
                             QStringLiteral("CODIGO_POSTAL"), QStringLiteral("POBLACION"), QStringLiteral("PROVINCIA"),
                             QStringLiteral("COMUNIDAD")});
    for (int i = 1; i <= 25; ++i)
        owners.addRow({i, QStringLiteral("Propietario %1").arg(i), QStringLiteral("Calle Mayor %1").arg(i),
                       QStringLiteral("28001"), QStringLiteral("Madrid"), QStringLiteral("Madrid"), 7});
    f.data.addDataSet(QStringLiteral("frDBDataSet1"), &owners);
    const Document doc = layoutReport(supplied(QStringLiteral("etiquetas-a4-3x8.frf")), f.data);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(doc.pages[0].width, 210.0);
    EXPECT_EQ(doc.pages[0].height, 297.0);
    QList<QPointF> names;
    for (const Primitive& it : doc.pages[0].items)
        if (it.text.startsWith(QStringLiteral("Propietario ")))
            names << it.rect.topLeft();
    ASSERT_EQ(names.size(), 24);
    EXPECT_EQ(names[1], QPointF(74, 3.5));  // second label: next column
    EXPECT_EQ(names[3], QPointF(4, 40.5));  // fourth: second row
    EXPECT_EQ(names[23], QPointF(144, 262.5));
    EXPECT_TRUE(allText(doc).contains(QStringLiteral("28001 Madrid")));
}

TEST(ReportSupplied, StartingFormatOfANewListingRunsOnAnyData)
{
    Fixture f;
    MemoryDataSource any({QStringLiteral("X")});
    any.addRow({1});
    f.data.addDataSet(QStringLiteral("frDBCampos"), &any);
    const Document doc = layoutReport(supplied(QStringLiteral("listado.frf")), f.data);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_TRUE(allText(doc).contains(QStringLiteral("C.P. Calle Mayor 12|Fincas Ruiz S.L.")));
}
