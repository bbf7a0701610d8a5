// "Listado citas": the range and user asked for, run through the supplied
// listing.
#include "Capturas.h"
#include "Ficheros.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "UFIBDBEditfind.h"
#include "UFListCitas.h"
#include "UOrdenes.h"
#include "UPerfil.h"

#include "UDBDateTimePicker.h"
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

class ListCitas : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Entorno.CaminoPrograma = programa.path();
        Entorno.Usuario = 1;
        Sql("INSERT INTO SYS_USUARIO (CODIGO, NOMBRE) VALUES (2, 'MARTA')");
        const QDate hoy = QDate::currentDate();
        Cita(hoy, 1, 1, "REVISAR ASCENSOR");
        Cita(hoy.addDays(15), 2, 1, "LLAMAR AL PRESIDENTE");
        Cita(hoy.addDays(16), 1, 1, "FUERA DEL PLAZO");
        Cita(hoy.addDays(3), 1, 1, "");
        Cita(hoy.addDays(2), 1, 2, "CITA DE MARTA");
        // Calc is the test stub: it leaves the file and ends.
        TIniFile(FicheroPerfil("quorumdesk.ini"))
            .WriteString("Word", "Path", qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/forms/procesador");
        w = new TFListCitas;
        qdtest::Activa(w);
    }
    void TearDown() override
    {
        delete w.data();
        ProgramaAbierto::TearDown();
    }
    void Cita(const QDate& dia, int hora, int usuario, const char* texto)
    {
        Sql(QStringLiteral("INSERT INTO CALENDARIO (FECHA, HORA, USUARIO, TEXTO) VALUES ('%1', %2, %3, '%4')")
                .arg(dia.toString(Qt::ISODate))
                .arg(hora)
                .arg(usuario)
                .arg(QString::fromUtf8(texto)));
    }
    QString Csv() { return QString::fromUtf8(qdtest::LeeFichero(programa.path() + "/tmp.csv")); }
    QPointer<TFListCitas> w;
};

} // namespace

TEST_F(ListCitas, TodayAndTheNextFifteenDaysOfTheLoggedInUserByDefault)
{
    EXPECT_EQ(w->DDesde->date(), QDate::currentDate());
    EXPECT_EQ(w->DHasta->date(), QDate::currentDate().addDays(15));
    EXPECT_EQ(w->EdUsuario->text(), "1");
    EXPECT_EQ(w->LUsuario->text(), "ADMINISTRADOR");
    const QString desde = QDate::currentDate().toString("dd/MM/yyyy");
    const QString hasta = QDate::currentDate().addDays(15).toString("dd/MM/yyyy");
    auto col = [](const QString& s) { return s.leftJustified(20, ' '); };
    EXPECT_EQ(w->Lineas().join('|').toStdString(), (QStringList{col(">=") + col("FECHA") + col("F") + col(desde),
                                        col("<=") + col("FECHA") + col("F") + col(hasta),
                                        col("IGUAL") + col("USUARIO") + col("N") + col("1"),
                                        col("DISTI") + col("TEXTO") + col("C") + col("\"\"")}).join('|').toStdString());
    qdtest::Captura("listado-citas", w);
}

TEST_F(ListCitas, TheRangeBothEndsIncludedOfOneUserOrOfEveryUser)
{
    QTest::mouseClick(w->BtExcel, Qt::LeftButton);
    QString csv = Csv();
    EXPECT_TRUE(csv.contains("REVISAR ASCENSOR")) << csv.toStdString();
    EXPECT_TRUE(csv.contains("LLAMAR AL PRESIDENTE")) << "the last day is included";
    EXPECT_FALSE(csv.contains("FUERA DEL PLAZO"));
    EXPECT_FALSE(csv.contains("CITA DE MARTA")) << "another user's";

    w->EdUsuario->clear();
    EXPECT_EQ(w->Lineas().size(), 3);
    QTest::mouseClick(w->BtExcel, Qt::LeftButton);
    csv = Csv();
    EXPECT_TRUE(csv.contains("REVISAR ASCENSOR")) << csv.toStdString();
    EXPECT_TRUE(csv.contains("CITA DE MARTA"));
    EXPECT_FALSE(csv.contains("FUERA DEL PLAZO"));
}

TEST_F(ListCitas, TheCommandIsInTheManagementMenu)
{
    RegistraOrdenesListCitas();
    bool hay = false;
    for (const TOrden& o : OrdenesRegistradas())
        if (o.Id == "ListadoCitas")
            hay = o.Menu == TMenuOrden::Gestion && o.Posicion == 40 && o.Titulo == "Listado citas";
    EXPECT_TRUE(hay);
}
