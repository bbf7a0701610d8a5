// The search key of the lookup fields: F2 opens the search dialog as a key
// without character would, other keys do nothing.
#include "Modales.h"
#include "TestDatabase.h"
#include "UFIBDBEditDlg.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UHYDBGrid.h"
#include "UFIBEditFind.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

TEST(TeclaBusqueda, F2OpensTheSearchOfTheFieldAndOtherKeysDoNothing)
{
    qdtest::Connection c(qdtest::FreshDatabase(QStringLiteral("teclabusqueda"), QStringLiteral(R"SQL(
CREATE TABLE SYS_IDIOMAS (CODIGO INTEGER NOT NULL PRIMARY KEY, NOMBRE VARCHAR(30));
INSERT INTO SYS_IDIOMAS VALUES (1, 'Castellano');
INSERT INTO SYS_IDIOMAS VALUES (4, 'Euskera');
INSERT INTO SYS_IDIOMAS VALUES (41, 'Sueco');
)SQL")));
    c.db.SetDefaultTransaction(&c.tr);
    QWidget form;
    auto* campo = new TEditFind2000;
    auto* plano = new QLineEdit;
    auto* filas = new QVBoxLayout(&form);
    filas->addWidget(campo);
    filas->addWidget(plano);
    campo->Base_de_datos = &c.db;
    campo->Tabla_a_buscar = QStringLiteral("SYS_IDIOMAS");
    campo->CampoNum = QStringLiteral("CODIGO");
    campo->CampoStr = QStringLiteral("NOMBRE");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    // The key adds nothing to the search text: the list starts with every
    // row, or with the field's text when the typed character is added to it.
    const struct {
        bool reemplaza;
        const char* busqueda;
        int filas;
    } casos[] = {{true, "", 3}, {false, "4", 2}};
    for (const auto& k : casos) {
        SCOPED_TRACE(k.busqueda);
        campo->setText(QStringLiteral("4"));
        campo->ReemplazarCaracter = k.reemplaza;
        qdtest::Modales modales;
        QString busqueda;
        int filasVistas = -1;
        modales.Espera([&](QWidget* w) {
            auto* d = qobject_cast<TFIBDBEDITDLG*>(w);
            ASSERT_NE(d, nullptr);
            busqueda = d->FIBEdit->text();
            filasVistas = d->DBGFind->Modelo()->rowCount();
            d->reject();
        });
        TeclaBusqueda(campo, Qt::Key_F2);
        EXPECT_EQ(busqueda, QString::fromLatin1(k.busqueda));
        EXPECT_EQ(filasVistas, k.filas);
        EXPECT_EQ(campo->text(), QStringLiteral("4")); // cancelled: as it was
    }

    // Other keys, and fields that are no lookup, are left alone.
    qdtest::Modales ninguna;
    TeclaBusqueda(campo, Qt::Key_F3);
    TeclaBusqueda(campo, Qt::Key_S);
    plano->setText(QStringLiteral("abc"));
    TeclaBusqueda(plano, Qt::Key_F2);
    EXPECT_EQ(plano->text(), QStringLiteral("abc"));
    EXPECT_TRUE(ninguna.Vistos().isEmpty());
}
