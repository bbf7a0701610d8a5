// "Listado de juntas": the four condition lines for each order, the
// attendance it lists, and its buttons to the preview and to a file.
#include "Capturas.h"
#include "Ficheros.h"
#include "Juntas.h"
#include "Modales.h"
#include "Teclado.h"
#include "UFIBDBEditDlg.h"
#include "UFIBDBEditfind.h"
#include "UFListJuntas.h"
#include "UListados.h"
#include "UPerfil.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

class ListJuntas : public qdtest::Juntas {
protected:
    void SetUp() override
    {
        Juntas::SetUp();
        Entorno.CaminoPrograma = programa.path();
        Propietario(1, QStringLiteral("ANA RUIZ"), {{"1A", 30}, {"2B", 20}});
        Propietario(2, QStringLiteral("BEATRIZ PEÑA"), {{"0C", 50}});
        Propietario(3, QStringLiteral("CARLOS SANZ"), {{"3D", 0}});
        convocatoria = NuevaConvocatoria();
        Sql(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA = 1 WHERE COMUNIDAD = 1 AND CONVOCATORIA = %1 "
                           "AND PROPIETARIO IN (1, 2)")
                .arg(convocatoria));
        // Calc is the test stub: it leaves the file and ends.
        TIniFile(FicheroPerfil("quorumdesk.ini"))
            .WriteString("Word", "Path", qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/forms/procesador");
        w = new TFListJuntas;
        qdtest::Activa(w);
    }
    void TearDown() override
    {
        delete w.data();
        Juntas::TearDown();
    }
    QString Csv() { return QString::fromUtf8(qdtest::LeeFichero(programa.path() + "/tmp.csv")); }
    qint64 convocatoria = 0;
    QPointer<TFListJuntas> w;
};

TEST_F(ListJuntas, TheFourLinesForEachOrderAndAnEmptyConvocation)
{
    EXPECT_EQ(w->windowTitle(), "Listado de juntas");
    EXPECT_EQ(QApplication::focusWidget(), w->EdConvoca);
    EXPECT_EQ(w->CbOrden->currentText(), "Finca");
    const auto linea = [](const char* op, const char* campo, const char* tipo, const QString& contenido) {
        return LineaCondicion(QLatin1String(op), QLatin1String(campo), QLatin1String(tipo), contenido);
    };
    const struct {
        int orden;
        const char* campo;
        const char* convocatoria;
    } casos[] = {{0, "FINCA", "1"}, {1, "PROPIETARIO", "1"}, {0, "FINCA", ""}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.campo);
        w->CbOrden->setCurrentIndex(c.orden);
        w->EdConvoca->setText(QLatin1String(c.convocatoria));
        EXPECT_EQ(w->Lineas(), (QStringList{linea("IGUAL", "COMUNIDAD", "N", "1"),
                                            linea("IGUAL", "CONVOCATORIA", "N", QLatin1String(c.convocatoria)),
                                            linea("IGUAL", "ASISTENCIA", "N", "1"),
                                            linea("ORDEN", c.campo, "C", QString())}));
    }
    EXPECT_EQ(w->Lineas().at(1).size(), 80);
    EXPECT_EQ(w->EdConvoca->CondicionBusqueda, "Comunidad=1");
}

TEST_F(ListJuntas, TheButtonsRunTheAttendanceToTheirTargets)
{
    w->EdConvoca->setText(QString::number(convocatoria));
    w->CbOrden->setCurrentIndex(1);
    QTest::mouseClick(w->BtExcel, Qt::LeftButton);
    const QString porPropietario = Csv();
    EXPECT_TRUE(porPropietario.contains("ANA RUIZ")) << porPropietario.toStdString();
    EXPECT_FALSE(porPropietario.contains("CARLOS SANZ")) << "only those who attended";
    EXPECT_LT(porPropietario.indexOf("ANA RUIZ"), porPropietario.indexOf(QStringLiteral("BEATRIZ PEÑA")));
    w->CbOrden->setCurrentIndex(0);
    QTest::mouseClick(w->BtExcel, Qt::LeftButton);
    const QString porFinca = Csv();
    EXPECT_LT(porFinca.indexOf("0C"), porFinca.indexOf("1A")) << porFinca.toStdString();

    qdtest::AlAbrirse([](QWidget* p) {
        EXPECT_EQ(p->windowTitle(), "Vista previa - Listado juntas");
        p->close();
    });
    QTest::mouseClick(w->BtAceptar, Qt::LeftButton);
    qdtest::Captura("listado-juntas", w);
    EXPECT_FALSE(w->BtWord->icon().isNull());
    EXPECT_EQ(w->BtPdf->toolTip(), "Formato Acrobat Reader");
    EXPECT_EQ(w->BtHtml->toolTip(), "Formato Internet Explorer");

    // Escape closes without running anything.
    QFile::remove(programa.path() + "/tmp.csv");
    qdtest::Activa(w);
    qdtest::Teclea(Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(QFile::exists(programa.path() + "/tmp.csv"));
}

TEST_F(ListJuntas, TheConvocationSearchOffersOnlyTheCurrentCommunitys)
{
    Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (2, 'OTRA')");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES) VALUES (2, 1, 'DE LA OTRA')");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES) VALUES (2, 7, 'DE LA OTRA')");
    int filas = -1;
    qdtest::AlAbrirse([&](QWidget* w) {
        auto* d = qobject_cast<TFIBDBEDITDLG*>(w);
        if (!d) {
            ADD_FAILURE() << qdtest::Textos(w).toStdString();
            w->close();
            return;
        }
        d->FIBFind.FetchAll();
        filas = d->FIBFind.RecordCount();
        for (d->FIBFind.First(); !d->FIBFind.Eof(); d->FIBFind.Next())
            EXPECT_EQ(d->FIBFind.FieldByName("COMUNIDAD")->AsInteger(), 1);
        d->reject();
    });
    w->EdConvoca->setFocus();
    qdtest::Teclea(Qt::Key_F2);
    EXPECT_EQ(filas, 1);
}

} // namespace
