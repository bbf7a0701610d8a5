// What the law asks of a convocation's decisions, kept in the database and
// given to the minutes as "[Resultados]" and "[Convocatoria]"; how each
// owner attended, in the minutes' attendance list.
#include "Ficheros.h"
#include "Juntas.h"
#include "UAcuerdos.h"
#include "UFAcuerdos.h"
#include "FIBError.h"
#include "Modales.h"
#include "UFormatos.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

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
        EXPECT_EQ(a.Llamada(), TLlamada::SinIndicar);
        EXPECT_EQ(a.Mayoria(2), TMayoria::Simple);
        EXPECT_EQ(a.Resultado(2).Estado, TEstadoAcuerdo::SinLlamada);
        a.SetLlamada(TLlamada::Primera);
        EXPECT_EQ(a.Resultado(2).Estado, TEstadoAcuerdo::Aprobado); // 2 of 3 owners, 60 %
        a.SetMayoria(3, TMayoria::Unanimidad);
        a.SetLlamada(TLlamada::Segunda);
        a.SetOposicion(3, 3, true, QDate::currentDate());
    }
    {
        TAcuerdos a = Lee();
        EXPECT_EQ(a.Mayoria(3), TMayoria::Unanimidad);
        EXPECT_EQ(a.Llamada(), TLlamada::Segunda);
        EXPECT_EQ(a.FechaOposicion(3, 3), QDate::currentDate());
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
        const TResultado r = a.Resultado(2); // ANA, with EVA absent counted in favour
        EXPECT_EQ(r.Estado, TEstadoAcuerdo::AprobadoProvisional);
        EXPECT_EQ(r.PropietariosAFavor, 2);
        a.SetRehabilitado(2, true);
    }
    TAcuerdos a = Lee();
    EXPECT_TRUE(a.Rehabilitado(2));
    EXPECT_EQ(a.Censo().Propietarios, 3);
    EXPECT_EQ(a.Resultado(2).Estado, TEstadoAcuerdo::Aprobado);
    a.SetRehabilitado(2, false);
    EXPECT_FALSE(Lee().Rehabilitado(2));
}

TEST_F(Acuerdos, ObjectionsRunFromTheMinutesNotification)
{
    const QDate hoy = QDate::currentDate();
    dm->QGen.SetSQL("UPDATE CONVOCATORIAS SET FECHA=?FECHA WHERE COMUNIDAD=1 AND CODIGO=?CODIGO");
    dm->QGen.ParamByName("FECHA")->SetAsDateTime(hoy.addDays(-40).startOfDay());
    dm->QGen.ParamByName("CODIGO")->SetAsInteger(convocatoria);
    dm->QGen.ExecQuery();
    dm->TGenerica.CommitRetaining();
    {
        TAcuerdos a = Lee();
        a.SetLlamada(TLlamada::Segunda);
        a.SetMayoria(3, TMayoria::Unanimidad);
        EXPECT_THROW(a.SetNotificada(hoy.addDays(-41)), EAviso) << "not before the meeting";
        EXPECT_EQ(a.Resultado(3, hoy).Firme, QDate());
        a.SetNotificada(hoy.addDays(-35));
        // Out of its thirty days an objection is refused and nothing is written.
        EXPECT_THROW(a.SetOposicion(3, 3, true, hoy), EAviso);
        EXPECT_FALSE(a.Opone(3, 3));
    }
    {
        TAcuerdos a = Lee();
        EXPECT_FALSE(a.Opone(3, 3));
        EXPECT_EQ(a.Notificada(), hoy.addDays(-35));
        EXPECT_EQ(TextoEstado(a.Resultado(3, hoy.addDays(-6))), "Aprobado provisionalmente (firme el " + FormatoFecha(hoy.addDays(-5)) + ")");
        EXPECT_EQ(a.Resultado(3, hoy).Estado, TEstadoAcuerdo::Aprobado);
        a.SetOposicion(3, 3, true, hoy.addDays(-5)); // the thirtieth day
        EXPECT_EQ(a.Resultado(3, hoy).Estado, TEstadoAcuerdo::NoAprobado);
    }
    // Sending the minutes again keeps the first notification's day.
    EXPECT_FALSE(AnotaActaNotificada(dm->DataBase, dm->TGenerica, 1, convocatoria, hoy));
    EXPECT_EQ(Lee().Notificada(), hoy.addDays(-35));
    EXPECT_TRUE(AnotaActaNotificada(dm->DataBase, dm->TGenerica, 1, convocatoria + 1, hoy));
}

TEST_F(Acuerdos, TheMinutesGiveEachPointsResult)
{
    {
        TAcuerdos a = Lee();
        a.SetLlamada(TLlamada::Primera);
        a.SetMayoria(2, TMayoria::TresQuintos);
        a.SetMayoria(3, TMayoria::Unanimidad);
        dm->TGenerica.CommitRetaining();
    }
    const QString plantilla = programa.path() + "/tmp1.rtf";
    auto combina = [&] {
        EscribeFichero(plantilla, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0 Courier New;}}\\pard\\f0 "
                                  "Resultados:\\par [Resultados]\\par Fin}");
        Modulo().MergeDocument("ACTA");
        Modulo().QTabla.Cancel();
        return Parrafos(LeeFichero(plantilla));
    };
    const QStringList esperado{"Resultados:", "",
                           "Asistentes: 2 propietarios (2 en persona, 0 representados y 0 por medios telemáticos)",
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
                           "Resultado: Aprobado provisionalmente (pendiente de notificar el acta)",
                           "Fin"};
    EXPECT_EQ(combina().join('\n').toStdString(), esperado.join('\n').toStdString());

    // Without quorum in first call every point says so.
    Sql("UPDATE VOTACIONES SET ASISTENCIA=0 WHERE PROPIETARIO=2");
    EXPECT_EQ(combina().filter("Resultado: ").join('|').toStdString(),
              QStringList(3, "Resultado: No aprobado (sin quórum en primera convocatoria)").join('|').toStdString());
}

TEST_F(Acuerdos, TheMinutesStateTheCallAndHowEachOwnerAttended)
{
    TDMConvoca& m = Modulo();
    // ANA in person, LUIS by his representative, EVA by telematic means.
    Sql("UPDATE VOTACIONES SET ASISTENCIA=1 WHERE PROPIETARIO=3");
    m.CalculateVotes();
    m.QVotacion.Close();
    m.QVotacion.Open();
    ASSERT_TRUE(m.QVotacion.Locate("PROPIETARIO", {2}));
    m.QVotacion.Edit();
    m.QVotacion.FieldByName("NOMBRE")->SetText("PEDRO REPRESENTANTE");
    m.QVotacion.Post();
    ASSERT_TRUE(m.QVotacion.Locate("PROPIETARIO", {3}));
    m.QVotacion.Edit();
    m.QVotacion.FieldByName("MODO")->SetText("Telemático");
    m.QVotacion.Post();
    TFIBTableSet& t = m.QTabla;
    t.Edit();
    t.FieldByName("HORA1")->SetAsString("18:00");
    t.FieldByName("HORA2")->SetAsString("18:30");
    t.Post();

    const QString plantilla = programa.path() + "/tmp1.rtf";
    auto acta = [&] {
        EscribeFichero(plantilla, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0 Courier New;}}\\pard\\f0 "
                                  "Reunidos en [Convocatoria]:\\par [Asistentes]\\par [Resultados]}");
        m.MergeDocument("ACTA");
        m.QTabla.Cancel();
        return Parrafos(LeeFichero(plantilla));
    };
    EXPECT_EQ(acta().value(0), "Reunidos en (falta indicar la convocatoria):");
    TAcuerdos a = Lee();
    a.SetLlamada(TLlamada::Primera);
    dm->TGenerica.CommitRetaining();
    EXPECT_EQ(acta().value(0), "Reunidos en primera convocatoria, a las 18:00:");
    a.SetLlamada(TLlamada::Segunda);
    dm->TGenerica.CommitRetaining();
    const QStringList p = acta();
    EXPECT_EQ(p.value(0), "Reunidos en segunda convocatoria, a las 18:30:");
    const QString recuento = "Asistentes: 3 propietarios (1 en persona, 1 representado y 1 por medios telemáticos)";
    auto linea = [&](const QString& inicio) {
        const QStringList l = p.filter(QRegularExpression("^" + QRegularExpression::escape(inicio)));
        return l.isEmpty() ? QString() : l.first().simplified();
    };
    EXPECT_EQ(linea("ANA"), "ANA 3A 30,00000%");
    EXPECT_EQ(linea("EVA"), "EVA 1C 40,00000% (telemático)");
    EXPECT_EQ(linea("LUIS/"), "LUIS/PEDRO REPRESENTANTE 2B 30,00000%");
    EXPECT_EQ(p.count(recuento), 2) << "in the attendance list and in the results\n" << p.join('\n').toStdString();
    EXPECT_EQ(TextoConvocatoria(TLlamada::Primera, "  :  ", "18:30"), "primera convocatoria") << "no hour typed";
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
    EXPECT_EQ(panel.LResultado->text(), "Punto 2: Sin resultado (falta indicar la convocatoria)");
    EXPECT_EQ(panel.LCifras->text(), "");

    int cambios = 0;
    QObject::connect(&panel, &TFAcuerdos::Cambiado, [&] { ++cambios; });
    emit panel.CbLlamada->activated(1);
    EXPECT_EQ(panel.LResultado->text(), "Punto 2: Aprobado");
    EXPECT_EQ(panel.LCifras->text(), "A favor: 2 propietarios de 2 requeridos; 60,00000% de más de 50,00000%");
    emit panel.CbMayoria->activated(static_cast<int>(TMayoria::Unanimidad));
    EXPECT_EQ(panel.LResultado->text(), "Punto 2: Aprobado provisionalmente (pendiente de notificar el acta)");
    panel.ENotificada->setText(FormatoFecha(QDate::currentDate()));
    panel.ENotificada->setModified(true);
    emit panel.ENotificada->editingFinished();
    EXPECT_EQ(panel.LResultado->text(),
              "Punto 2: Aprobado provisionalmente (firme el " + FormatoFecha(QDate::currentDate().addDays(30)) + ")");
    panel.MuestraPropietario(2);
    EXPECT_FALSE(panel.ChVotaDeudor->isEnabled()); // owes nothing
    EXPECT_FALSE(panel.ChOpone->isEnabled());      // attended
    panel.MuestraPropietario(3);
    ASSERT_TRUE(panel.ChOpone->isEnabled());
    EXPECT_EQ(panel.EFechaOposicion->text(), FormatoFecha(QDate::currentDate())) << "today by default";

    // An objection after its thirty days is refused with the reason.
    QString aviso;
    qdtest::AlAbrirse([&](QWidget* w) {
        aviso = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    });
    panel.EFechaOposicion->setText(FormatoFecha(QDate::currentDate().addDays(31)));
    panel.ChOpone->click();
    EXPECT_TRUE(aviso.startsWith("Oposición fuera de plazo")) << aviso.toStdString();
    EXPECT_FALSE(panel.ChOpone->isChecked());
    EXPECT_FALSE(Lee().Opone(3, 2));

    panel.EFechaOposicion->setText(FormatoFecha(QDate::currentDate().addDays(30)));
    panel.ChOpone->click();
    EXPECT_EQ(panel.LResultado->text(), "Punto 2: No aprobado");
    emit panel.CbLlamada->activated(2);
    EXPECT_EQ(cambios, 5);
    // With the simple majority in second call absent owners do not count:
    // no objection to record.
    emit panel.CbMayoria->activated(static_cast<int>(TMayoria::Simple));
    EXPECT_FALSE(panel.ChOpone->isEnabled());

    TAcuerdos a = Lee();
    EXPECT_EQ(a.Mayoria(2), TMayoria::Simple);
    EXPECT_EQ(a.FechaOposicion(3, 2), QDate::currentDate().addDays(30));
    EXPECT_EQ(a.Llamada(), TLlamada::Segunda);
    EXPECT_EQ(a.Notificada(), QDate::currentDate());

    // A point the agenda has no text for gets no verdict.
    panel.MuestraAgenda({"Cuentas", "", "Estatutos"});
    EXPECT_EQ(panel.LResultado->text(), "Punto 2: sin texto en el orden del día");
    EXPECT_EQ(panel.LCifras->text(), "");
    panel.MuestraPunto(3);
    EXPECT_TRUE(panel.LResultado->text().startsWith("Punto 3: ")) << panel.LResultado->text().toStdString();
    EXPECT_NE(panel.LResultado->text(), "Punto 3: sin texto en el orden del día");
}
