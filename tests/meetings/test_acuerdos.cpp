// What the law asks of a convocation's decisions, kept in the database and
// given to the minutes as "[Resultados]".
#include "Ficheros.h"
#include "Juntas.h"
#include "UAcuerdos.h"
#include "UFAcuerdos.h"
#include "UFormatos.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

using namespace qdtest;

namespace {

class Acuerdos : public Juntas {
protected:
    // Three owners; a convocation of three points held yesterday, where ANA
    // and LUIS attend and EVA does not.
    void SetUp() override
    {
        Juntas::SetUp();
        Propietario(1, "ANA", {{"3A", 30}});
        Propietario(2, "LUIS", {{"2B", 30}});
        Propietario(3, "EVA", {{"1C", 40}});
        convocatoria = static_cast<int>(NuevaConvocatoria());
        TFIBTableSet& t = Modulo().QTabla;
        t.Edit();
        t.FieldByName("ORDEN")->SetAsString("1º.- Cuentas\r\n2º.- Obras del ascensor\r\n3º.- Cambio de estatutos");
        t.FieldByName("FECHA")->SetAsDateTime(ayer.startOfDay());
        t.Post();
        Sql("UPDATE VOTACIONES SET ASISTENCIA=1, P1='S', P2='S', P3='S' WHERE PROPIETARIO=1");
        Sql("UPDATE VOTACIONES SET ASISTENCIA=1, P1='N', P2='s', P3='S' WHERE PROPIETARIO=2");
    }
    // The convocation as another seat reads it afterwards.
    TAcuerdos Lee()
    {
        dm->TGenerica.CommitRetaining();
        TAcuerdos a(dm->DataBase, dm->TGenerica);
        a.Lee(1, convocatoria);
        return a;
    }
    const QDate ayer = QDate::currentDate().addDays(-1);
    int convocatoria = 0;
};

} // namespace

TEST_F(Acuerdos, WhatTheUserRecordsIsKeptAndDecidesThePoints)
{
    {
        TAcuerdos a = Lee();
        EXPECT_EQ(a.Fecha(), ayer);
        EXPECT_FALSE(a.LlamadaRegistrada());
        EXPECT_EQ(a.Mayoria(2), TMayoria::Simple);
        EXPECT_EQ(a.Resultado(2).Estado, TEstadoAcuerdo::Aprobado); // 2 of 3 owners, 60 %
        a.SetMayoria(3, TMayoria::Unanimidad);
        a.SetLlamada(TLlamada::Segunda);
        a.SetOposicion(3, 3, true, QDate::currentDate());
    }
    {
        TAcuerdos a = Lee();
        EXPECT_EQ(a.Mayoria(3), TMayoria::Unanimidad);
        EXPECT_TRUE(a.LlamadaRegistrada());
        EXPECT_EQ(a.Llamada(), TLlamada::Segunda);
        EXPECT_TRUE(a.Opone(3, 3));
        EXPECT_EQ(a.Resultado(3).Estado, TEstadoAcuerdo::NoAprobado); // the absent owner objected
        a.SetOposicion(3, 3, false);
        EXPECT_EQ(a.Resultado(3).Estado, TEstadoAcuerdo::AprobadoProvisional);
    }
    // A debtor is left out until the meeting restores him.
    Sql("UPDATE VOTACIONES SET SALDO=120.5 WHERE PROPIETARIO=2");
    {
        TAcuerdos a = Lee();
        EXPECT_FALSE(a.Opone(3, 3));
        EXPECT_TRUE(a.Deudor(2));
        EXPECT_EQ(a.Censo().Propietarios, 2);
        a.SetMayoria(2, TMayoria::Doble);
        EXPECT_EQ(a.Resultado(2).Estado, TEstadoAcuerdo::NoAprobado); // ANA alone: 1 of 2, 30 of 70
        a.SetRehabilitado(2, true);
    }
    TAcuerdos a = Lee();
    EXPECT_TRUE(a.Rehabilitado(2));
    EXPECT_EQ(a.Censo().Propietarios, 3);
    EXPECT_EQ(a.Resultado(2).Estado, TEstadoAcuerdo::Aprobado);
    a.SetRehabilitado(2, false);
    EXPECT_FALSE(Lee().Rehabilitado(2));
}

TEST_F(Acuerdos, TheMinutesGiveEachPointsResult)
{
    {
        TAcuerdos a = Lee();
        a.SetMayoria(2, TMayoria::TresQuintos);
        a.SetMayoria(3, TMayoria::Unanimidad);
        dm->TGenerica.CommitRetaining();
    }
    const QString plantilla = programa.path() + "/tmp1.rtf";
    EscribeFichero(plantilla, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0 Courier New;}}\\pard\\f0 "
                              "Resultados:\\par [Resultados]\\par Fin}");
    Modulo().MergeDocument("ACTA");
    const QString firme = FormatoFecha(ayer.addDays(30));
    const QStringList esperado{"Resultados:", "",
                           "1º.- Cuentas",
                           "Mayoría requerida: Mayoría simple (art. 17.7)",
                           "A favor: 1 propietario, 30,00000%",
                           "En contra: 1 propietario, 30,00000%",
                           "Abstenciones: 0 propietarios, 0,00000%",
                           "Resultado: No aprobado",
                           "2º.- Obras del ascensor",
                           "Mayoría requerida: Tres quintos (art. 17.3)",
                           "A favor: 2 propietarios, 60,00000%",
                           "En contra: 0 propietarios, 0,00000%",
                           "Abstenciones: 0 propietarios, 0,00000%",
                           "Resultado: Aprobado",
                           "3º.- Cambio de estatutos",
                           "Mayoría requerida: Unanimidad (art. 17.6)",
                           "A favor: 2 propietarios, 60,00000%",
                           "En contra: 0 propietarios, 0,00000%",
                           "Abstenciones: 0 propietarios, 0,00000%",
                           "Ausentes que no se oponen, contados a favor: 1 propietario, 40,00000%",
                           "Resultado: Aprobado provisionalmente (firme el " + firme + ")",
                           "Fin"};
    EXPECT_EQ(Parrafos(LeeFichero(plantilla)).join('\n').toStdString(), esperado.join('\n').toStdString());
}

TEST(Plazo, AnOrdinaryMeetingIsNotifiedSixDaysBefore)
{
    const QDate junta(2027, 3, 15);
    struct {
        int tipo;
        QDate notificada;
        bool aviso;
    } casos[] = {
        {1, junta.addDays(-6), false}, {1, junta.addDays(-5), true}, {1, junta, true},
        {1, junta.addDays(1), true},   {2, junta.addDays(-1), false}, {1, QDate(), false},
    };
    for (const auto& c : casos)
        EXPECT_EQ(!AvisoPlazo(c.tipo, c.notificada, junta).isEmpty(), c.aviso)
            << c.tipo << " " << c.notificada.toString().toStdString();
    EXPECT_EQ(AvisoPlazo(1, junta.addDays(-2), junta).toStdString(),
              "Una junta ordinaria se convoca con seis días de antelación como mínimo (art. 16.3): "
              "entre la notificación (13/03/2027) y la junta (15/03/2027) hay 2 días.");
}

TEST_F(Acuerdos, TheVoteTabsPanelShowsAndRecordsWhatDecidesAPoint)
{
    TFAcuerdos panel(dm->DataBase, dm->TGenerica);
    panel.MuestraConvocatoria(1, convocatoria);
    panel.MuestraPunto(2);
    EXPECT_EQ(panel.CbLlamada->currentText(), "Sin indicar");
    EXPECT_TRUE(panel.LQuorum->text().startsWith("Quórum de primera convocatoria: sí (2 de 3 propietarios, 60,00000% de 100,00000%)"))
        << panel.LQuorum->text().toStdString();
    EXPECT_EQ(panel.LResultado->text(), "Punto 2: Aprobado");
    EXPECT_EQ(panel.LCifras->text(), "A favor: 2 propietarios de 2 requeridos; 60,00000% de más de 50,00000%");

    int cambios = 0;
    QObject::connect(&panel, &TFAcuerdos::Cambiado, [&] { ++cambios; });
    emit panel.CbMayoria->activated(static_cast<int>(TMayoria::Unanimidad));
    EXPECT_EQ(panel.LResultado->text(),
              "Punto 2: Aprobado provisionalmente (firme el " + FormatoFecha(ayer.addDays(30)) + ")");
    panel.MuestraPropietario(2);
    EXPECT_FALSE(panel.ChVotaDeudor->isEnabled()); // owes nothing
    EXPECT_FALSE(panel.ChOpone->isEnabled());      // attended
    panel.MuestraPropietario(3);
    ASSERT_TRUE(panel.ChOpone->isEnabled());
    panel.ChOpone->click();
    EXPECT_EQ(panel.LResultado->text(), "Punto 2: No aprobado");
    emit panel.CbLlamada->activated(2);
    EXPECT_EQ(cambios, 3);

    TAcuerdos a = Lee();
    EXPECT_EQ(a.Mayoria(2), TMayoria::Unanimidad);
    EXPECT_TRUE(a.Opone(3, 2));
    EXPECT_EQ(a.Llamada(), TLlamada::Segunda);
}
