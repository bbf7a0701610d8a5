// The notice board's copy of the minutes names nobody.
#include "Ficheros.h"
#include "Juntas.h"
#include "UTablon.h"

using namespace qdtest;

namespace {

class Tablon : public Juntas {};

} // namespace

TEST_F(Tablon, TheCopyOfTheMinutesNamesPropertiesInsteadOfPeople)
{
    const QString largo = QStringLiteral("GARCÍA FERNÁNDEZ DE LA TORRE, MARÍA JOSE");
    const QString representante = QStringLiteral("Martínez {Ñúñez}\\ Pedro");
    Propietario(1, largo, {{"3ºB", 30}});
    Propietario(2, "ANA", {{"1A", 20}, {"1B", 10}});
    Propietario(3, "ANA MARIA LOPEZ", {{"2C", 25}});
    Propietario(4, "LUIS PEREZ", {{"4D", 15}});
    NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    m.SetAttendanceAll(1);
    ASSERT_TRUE(m.QVotacion.Locate("PROPIETARIO", {1}));
    m.QVotacion.Edit();
    m.QVotacion.FieldByName("NOMBRE")->SetAsString(representante);
    m.QVotacion.Post();
    Sql("UPDATE VOTACIONES SET SALDO = 50 WHERE PROPIETARIO = 4");
    const QString plantilla = programa.path() + "/tmp1.rtf";
    EscribeFichero(plantilla, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0 Courier New;}}\\pard\\f0 "
                              "Asisten:\\par [Asistentes]\\par Deudores:\\par [Deudores]\\par Fin}");
    m.MergeDocument("ACTA");
    const QByteArray acta = LeeFichero(plantilla);
    ASSERT_TRUE(Parrafos(acta).join('\n').contains("LUIS PEREZ"));

    const QByteArray copia = CopiaParaTablon(acta, NombresDeLaJunta(dm->DataBase, dm->TGenerica, 1, 1));
    const QString texto = Parrafos(copia).join('\n');
    for (const QString& nombre : {largo, representante, QStringLiteral("ANA"), QStringLiteral("ANA MARIA LOPEZ"),
                                  QStringLiteral("LUIS PEREZ")})
        EXPECT_FALSE(texto.contains(nombre.left(12), Qt::CaseInsensitive)) << nombre.toStdString() << "\n"
                                                                            << texto.toStdString();
    EXPECT_TRUE(texto.contains("Finca 4D")) << texto.toStdString();        // the debtor
    EXPECT_TRUE(texto.contains("Fincas 1A, 1B")) << texto.toStdString();   // two properties
    EXPECT_TRUE(texto.contains("Finca 2C")) << texto.toStdString();        // not taken for ANA's
    EXPECT_TRUE(texto.contains("Finca 3ºB/Representante de Finca 3ºB")) << texto.toStdString();
    EXPECT_TRUE(texto.startsWith("Asisten:")) << texto.toStdString();
    EXPECT_TRUE(texto.endsWith("Fin")) << texto.toStdString();
}
