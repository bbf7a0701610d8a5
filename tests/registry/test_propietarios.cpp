// The owners screen with its properties, addresses and remarks, driven with
// keys and clicks against a fresh program database: numbering, defaults, the
// bank boxes and their check digits, the IBAN, the coefficients, the lists'
// first active row, the opening balance of a deleted property, a commit that
// fails, the marker file, and on the real server a row another seat holds.
#include "CreaBaseDatos.h"
#include "Ficheros.h"
#include "Capturas.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "UDBControles.h"
#include "UDBRichEdit.h"
#include "UFIBDBEditDlg.h"
#include "UFIBDBEditfind.h"
#include "UFMain.h"
#include "UFPropietarios.h"
#include "UFormGest.h"
#include "UOrdenes.h"
#include "UPerfil.h"
#include "URegistro.h"

#include <QAction>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

namespace {

using qdtest::Activa;
using qdtest::EscribeEn;
using qdtest::Modales;
using qdtest::Teclea;

const QStringList kDomicilioFinca{"DOMICILIO", "COD_POSTAL", "POBLACION", "PROVINCIA"};

struct Pantalla {
    QPointer<TFPropietarios> w = new TFPropietarios;
    Pantalla() { Activa(w); }
    ~Pantalla() { delete w.data(); }
    TFPropietarios* operator->() const { return w.data(); }
    TDMPropietarios& dm() const { return *w->DM(); }
    QString Finca(const char* campo) const { return dm().QFincas.FieldByName(campo)->AsString(); }
    QString Propietario(const char* campo) const { return dm().QPropietario.FieldByName(campo)->AsString(); }
};

// Closes the modal window the answer is for (the general error message or a
// search dialog) without choosing anything.
void Cierra(QWidget* w)
{
    if (auto* d = qobject_cast<QDialog*>(w))
        d->reject();
    else
        w->close();
}

// Replaces what a box holds with `texto`, typed, and leaves it with Tab.
void Teclea(QLineEdit* caja, const QString& texto)
{
    caja->setFocus();
    caja->selectAll();
    if (texto.isEmpty())
        QTest::keyClick(caja, Qt::Key_Delete);
    else
        EscribeEn(caja, texto);
    QTest::keyClick(caja, Qt::Key_Tab);
}

class Propietarios : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA) "
            "VALUES (1, 'C.P. LAS ACACIAS', 'CALLE DE LAS ACACIAS, 4', '50012', 'ZARAGOZA', 'ZARAGOZA')");
        for (const char* banco : {"('0049', 'BANCO SANTANDER')", "('1234', 'BANCO DE PRUEBA')", "('2100', 'CAIXABANK')"})
            Sql(QStringLiteral("INSERT INTO SYS_BANCOS (ENTIDAD, NOMBRE) VALUES %1").arg(banco));
        Sql("INSERT INTO SYS_FORMAS_PAGO (CODIGO, NOMBRE) VALUES (1, 'RECIBO')");
        Sql("INSERT INTO SYS_FORMAS_PAGO (CODIGO, NOMBRE) VALUES (2, 'EFECTIVO')");
        Sql("INSERT INTO SYS_TIPOS_FINCA (CODIGO, NOMBRE) VALUES (1, 'VIVIENDA')");
        Sql("INSERT INTO SYS_USO_FINCAS (CODIGO, NOMBRE) VALUES (1, 'RESIDENCIAL')");
        Entorno.Comunidad = 1;
    }
    void Propietario(int codigo, const QString& nombre, int comunidad = 1)
    {
        Sql(QStringLiteral("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE, IDIOMA, FORMA_PAGO, BANCO, OFICINA, "
                           "DC, CUENTA_BANCO) VALUES (%1, %2, '%3', 1, 2, '2100', '0418', '45', '0200051332')")
                .arg(comunidad)
                .arg(codigo)
                .arg(nombre));
    }
    void Finca(int propietario, int codigo, int activo = 1, double coeficiente = 0)
    {
        Sql(QStringLiteral("INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, ACTIVO, COEFICIENTES) "
                           "VALUES (1, %1, %2, 'FINCA %2', %3, %4)")
                .arg(propietario)
                .arg(codigo)
                .arg(activo)
                .arg(coeficiente));
    }
    void Direccion(int propietario, int codigo, int activo)
    {
        Sql(QStringLiteral("INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, ACTIVO) "
                           "VALUES (1, %1, %2, 'DIRECCION %2', %3)")
                .arg(propietario)
                .arg(codigo)
                .arg(activo));
    }
};

TEST_F(Propietarios, OwnersAreNumberedWithinTheCommunityUnlessACodeIsTyped)
{
    Propietario(100, "DE OTRA COMUNIDAD", 2);
    Pantalla p;
    // No owner yet: no property or address either (it would belong to no one).
    try {
        p->NavFincas->EjecutarBoton(TNavigateBtn::nbInsert);
        ADD_FAILURE() << "a property without an owner";
    } catch (const EAviso& e) {
        EXPECT_EQ(e.Message(), "No hay ningún propietario: añada antes el propietario.");
    }
    EXPECT_THROW(p->NavDire->EjecutarBoton(TNavigateBtn::nbInsert), EAviso);
    EXPECT_EQ(p.dm().QFincas.State(), TDataSetState::dsBrowse);
    const struct {
        const char* codigo; // typed in the code box
        const char* nombre;
        int esperado;
    } casos[] = {{"", "PRIMERO", 1}, {"0", "CERO", 2}, {"57", "TECLEADO", 57}, {"", "SIGUIENTE", 58}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        Teclea(Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(QApplication::focusWidget(), p->DBECodigo);
        EscribeEn(p->DBECodigo, c.codigo);
        p->DBENombre->setFocus();
        EXPECT_EQ(p->DBECodigo->text(), *c.codigo && QString(c.codigo) != "0" ? c.codigo : "Alta");
        EscribeEn(p->DBENombre, c.nombre);
        Teclea(Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(Sql(QStringLiteral("SELECT CODIGO FROM EMP_PROPIETARIO WHERE COMUNIDAD = 1 AND NOMBRE = '%1'")
                          .arg(c.nombre))
                      .toInt(),
                  c.esperado);
    }
    // A new owner's defaults, and the bank data of one saved with none.
    EXPECT_EQ(Sql("SELECT IDIOMA || '/' || FORMA_PAGO || '/' || BANCO || '/' || OFICINA || '/' || DC || '/' || "
                  "CUENTA_BANCO FROM EMP_PROPIETARIO WHERE COMUNIDAD = 1 AND CODIGO = 1")
                  .toString(),
              "1/1/0000/0000/**/0000000000");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD = 2").toInt(), 1);
    // The reserved owner 0 is never listed.
    EXPECT_FALSE(p.dm().QPropietario.Locate("CODIGO", {0}));

    // The quick search by code and by name, within the community.
    p->EBusca->setFocus();
    EscribeEn(p->EBusca, "5");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Propietario("CODIGO") + "|" + QString::number(p.dm().QPropietario.RecordCount()), "57|2");
    p->EBusca->clear();
    EscribeEn(p->EBusca, "SIG");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Propietario("NOMBRE") + "|" + QString::number(p.dm().QPropietario.RecordCount()), "SIGUIENTE|1");
}

TEST_F(Propietarios, OwnerBankBoxesArePaddedAsTypedAndAtSave)
{
    Propietario(1, "ANA");
    Pantalla p;
    Teclea(Qt::Key_E, Qt::ControlModifier);
    const struct {
        QLineEdit* caja;
        const char* campo;
        const char* tecleado;
        const char* guardado;    // as typed on leaving the box
        const char* nombreBanco; // beside the entity, following it
    } casos[] = {
        {p->DBEBanco, "BANCO", "49", "0049", "BANCO SANTANDER"},
        {p->DBEBanco, "BANCO", "0", "0", ""},
        {p->DBEBanco, "BANCO", "1234", "1234", "BANCO DE PRUEBA"},
        {p->DBEOficina, "OFICINA", "15", "0015", nullptr},
        {p->DBEOficina, "OFICINA", "", "", nullptr},
        {p->DBECuenta, "CUENTA_BANCO", "123", "0000000123", nullptr},
        {p->DBECuenta, "CUENTA_BANCO", "0", "0", nullptr},
        {p->DBECuenta, "CUENTA_BANCO", "1234567890", "1234567890", nullptr},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.campo) + " " + c.tecleado);
        Teclea(c.caja, c.tecleado);
        EXPECT_EQ(p.Propietario(c.campo), c.guardado);
        if (c.nombreBanco) {
            TFIBDataSet& banco = p.dm().QBancop;
            EXPECT_EQ(banco.IsEmpty() ? QString() : banco.FieldByName("NOMBRE")->AsString(), c.nombreBanco);
        }
    }
    // A short text that is not a whole number is refused and changes nothing.
    TField* oficina = p.dm().QPropietario.FieldByName("OFICINA");
    EXPECT_THROW(AsignaTexto(oficina, "AB"), EConvertError);
    EXPECT_EQ(oficina->AsString(), "");
    // At save: entity "0" and the empty branch take four zeros, the account "0" ten.
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT BANCO || '/' || OFICINA || '/' || CUENTA_BANCO FROM EMP_PROPIETARIO WHERE CODIGO = 1").toString(),
              "1234/0000/1234567890");

    // A property's entity is always padded, letters and all.
    Finca(1, 1);
    p.dm().QFincas.Close();
    p.dm().QFincas.Open();
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbEdit);
    AsignaTexto(p.dm().QFincas.FieldByName("BANCO"), "AB");
    EXPECT_EQ(p.Finca("BANCO"), "00AB");
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbCancel);
}

TEST_F(Propietarios, CheckDigitsAreSetAsABankBoxIsLeft)
{
    Propietario(1, "ANA");
    Pantalla p;
    Teclea(Qt::Key_E, Qt::ControlModifier);
    Teclea(p->DBEBanco, "0049");
    Teclea(p->DBEOficina, "1500");
    Teclea(p->DBECuenta, "");
    EXPECT_EQ(p.Propietario("DC"), "  ") << "nothing to check";
    Teclea(p->DBECuenta, "0000000001");
    EXPECT_EQ(p.Propietario("DC"), "05");
    Teclea(p->DBEDC, "06");
    EXPECT_EQ(p.Propietario("DC"), "**") << "digits that do not match";
    Teclea(p->DBEDC, "05");
    EXPECT_EQ(p.Propietario("DC"), "05");
    // Letters in a box read by the check: the conversion error, DC unchanged.
    Modales modales;
    QString error;
    modales.Espera([&](QWidget* w) {
        error = qdtest::Textos(w);
        Cierra(w);
    });
    Teclea(p->DBECuenta, "12345678AB");
    EXPECT_TRUE(error.contains("12345678AB")) << error.toStdString();
    EXPECT_EQ(p.Propietario("DC"), "05");
    Activa(p.w); // back from the message
    Teclea(p->DBECuenta, "0000000001");
    // Saved with the check digits box emptied: "**".
    p->DBEDC->setFocus();
    p->DBEDC->selectAll();
    QTest::keyClick(p->DBEDC, Qt::Key_Delete);
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT DC FROM EMP_PROPIETARIO WHERE CODIGO = 1").toString(), "**");

    // The property's boxes do the same for the property.
    Finca(1, 1);
    p.dm().QFincas.Close();
    p.dm().QFincas.Open();
    p->PCMain->setCurrentWidget(p->TSFincas);
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbEdit);
    Teclea(p->DBEBancoFinca, "2100");
    Teclea(p->DBEOficinaFinca, "0418");
    Teclea(p->DBEDCFinca, "");
    Teclea(p->DBECuentaFinca, "0200051332");
    EXPECT_EQ(p.Finca("DC"), "45");
    EXPECT_EQ(p->EIbanFinca->text(), "ES91 2100 0418 4502 0005 1332");
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(Sql("SELECT DC FROM EMP_FINCAS WHERE CODIGO = 1").toString(), "45");
}

TEST_F(Propietarios, TheIbanIsShownOnlyForACompleteAndRightAccount)
{
    const struct {
        const char *entidad, *oficina, *dc, *cuenta, *iban;
    } casos[] = {
        // Published Spanish examples.
        {"2100", "0418", "45", "0200051332", "ES91 2100 0418 4502 0005 1332"},
        {"2100", "0813", "61", "0123456789", "ES79 2100 0813 6101 2345 6789"},
        {"0049", "1500", "05", "0000000001", "ES44 0049 1500 0500 0000 0001"},
        {"2100", "0418", "46", "0200051332", ""}, // wrong check digits
        {"2100", "0418", "**", "0200051332", ""},
        {"2100", "0418", "  ", "0200051332", ""},
        {"2100", "418", "45", "0200051332", ""}, // incomplete
        {"2100", "0418", "45", "200051332", ""},
        {"0000", "0000", "**", "0000000000", ""}, // no bank
        {"21A0", "0418", "45", "0200051332", ""},
    };
    for (const auto& c : casos)
        EXPECT_EQ(IbanCuenta(c.entidad, c.oficina, c.dc, c.cuenta), c.iban) << c.entidad << c.oficina << c.dc << c.cuenta;

    // Beside the owner's account, following it as it is edited.
    Propietario(1, "ANA");
    Pantalla p;
    EXPECT_EQ(p->EIban->text(), "ES91 2100 0418 4502 0005 1332");
    Teclea(Qt::Key_E, Qt::ControlModifier);
    Teclea(p->DBECuenta, "0200051333");
    EXPECT_EQ(p->EIban->text(), "");
    Teclea(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(p->EIban->text(), "ES91 2100 0418 4502 0005 1332");
}

TEST_F(Propietarios, NewPropertiesAndAddressesTakeTheOwnersAndTheCommunitysDataAndTheNextCode)
{
    Propietario(1, "ANA");
    Finca(1, 1);
    Finca(1, 5);
    Pantalla p;
    p->PCMain->setCurrentWidget(p->TSFincas);
    p->GridFincas->setFocus();
    Teclea(Qt::Key_Insert, Qt::ControlModifier); // the property's own key menu
    ASSERT_EQ(p.dm().QFincas.State(), TDataSetState::dsInsert);
    EXPECT_EQ(p.dm().QPropietario.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(QApplication::focusWidget(), p->DBENombreFinca);
    QStringList copiados;
    for (const char* campo : {"COMUNIDAD", "PROPIETARIO", "FORMA_PAGO", "BANCO", "OFICINA", "DC", "CUENTA_BAN", "TIPO_FINCA",
                              "USO_FINCA", "ACTIVO", "DOMICILIO", "COD_POSTAL", "POBLACION", "PROVINCIA"})
        copiados << p.Finca(campo);
    EXPECT_EQ(copiados.join("|"), "1|1|2|2100|0418|45|0200051332|1|1|1|CALLE DE LAS ACACIAS, 4|50012|ZARAGOZA|ZARAGOZA");
    EXPECT_EQ(p.dm().QFincas.FieldByName("CODIGO")->DisplayText(), "Alta");
    EscribeEn(p->DBENombreFinca, "3º B");
    p.dm().QFincas.FieldByName("CODIGO")->SetAsInteger(99); // whatever it holds
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM EMP_FINCAS WHERE NOMBRE = '3º B'").toInt(), 6);

    // The first address of an owner is 1.
    p->PCMain->setCurrentWidget(p->TSDirecciones);
    p->NavDire->EjecutarBoton(TNavigateBtn::nbInsert);
    EXPECT_EQ(QApplication::focusWidget(), p->DBEDomicilioDire);
    EXPECT_EQ(p.dm().QDire.FieldByName("POBLACION")->AsString() + "|" + p.dm().QDire.FieldByName("ACTIVO")->AsString(),
              "ZARAGOZA|1");
    p->DBEDomicilioDire->selectAll();
    EscribeEn(p->DBEDomicilioDire, "CALLE NUEVA, 1");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM EMP_DIRECCIONES WHERE DOMICILIO = 'CALLE NUEVA, 1'").toInt(), 1);
}

TEST_F(Propietarios, WithoutTheCommunitysRowNewPropertiesAndAddressesHaveNoAddress)
{
    Entorno.Comunidad = 7; // no SYS_COMUNIDAD row
    Propietario(1, "ANA", 7);
    Pantalla p;
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbInsert);
    EXPECT_EQ(p.Finca("DOMICILIO") + p.Finca("POBLACION"), "");
    EXPECT_EQ(p.Finca("COMUNIDAD"), "7");
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(Sql("SELECT CODIGO FROM EMP_FINCAS WHERE COMUNIDAD = 7").toInt(), 1);
    p->NavDire->EjecutarBoton(TNavigateBtn::nbInsert);
    EXPECT_EQ(p.dm().QDire.FieldByName("DOMICILIO")->AsString(), "");
    p->NavDire->EjecutarBoton(TNavigateBtn::nbCancel);
}

TEST_F(Propietarios, PropertyAndAddressListsLandOnTheirFirstActiveRow)
{
    Propietario(1, "ANA");
    Finca(1, 1, 0);
    Finca(1, 2, 1);
    Finca(1, 3, 1);
    Direccion(1, 1, 0);
    Direccion(1, 2, 1);
    Propietario(2, "BEA");
    Finca(2, 1, 0);
    Finca(2, 2, 0);
    Direccion(2, 1, 1);
    Pantalla p;
    auto codigos = [&] {
        return p.Finca("CODIGO") + "/" + p.dm().QDire.FieldByName("CODIGO")->AsString();
    };
    EXPECT_EQ(codigos(), "2/2");
    Teclea(Qt::Key_S, Qt::ControlModifier); // the next owner
    EXPECT_EQ(p.Propietario("NOMBRE"), "BEA");
    EXPECT_EQ(codigos(), "2/1") << "no active property: the last one";
    // The mark images of the "Activa" column.
    EXPECT_EQ(p->GridFincas->CamposAMarcar(), QStringList{"ACTIVO"});
    EXPECT_EQ(p->GridDire->CamposChecked(), QStringList{"1"});
    Teclea(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(codigos(), "2/2");
}

TEST_F(Propietarios, DeletingAPropertyTakesOnlyItsOpeningBalanceOfTheYear)
{
    Propietario(1, "ANA");
    Finca(1, 1);
    Finca(1, 2);
    auto saldo = [&](int ejercicio, int finca, const char* periodo) {
        Sql(QStringLiteral("INSERT INTO EMP_SALDOS_APER_FINCAS (COMUNIDAD, EJERCICIO, PROPIETARIO, FINCA, PERIODO, SALDO) "
                           "VALUES (1, %1, 1, %2, '%3', 10)")
                .arg(ejercicio)
                .arg(finca)
                .arg(periodo));
    };
    saldo(0, 1, "00"); // the one that goes
    saldo(0, 1, "01");
    saldo(2024, 1, "00");
    saldo(0, 2, "00");
    auto saldos = [&] {
        return Sql("SELECT LIST(EJERCICIO || '-' || FINCA || '-' || PERIODO, ' ') FROM "
                   "(SELECT * FROM EMP_SALDOS_APER_FINCAS ORDER BY EJERCICIO, FINCA, PERIODO)")
            .toString();
    };
    Pantalla p;
    ASSERT_EQ(p.Finca("CODIGO"), "1");

    // Another seat holds the property: neither it nor its balance goes, not
    // even with the next save.
    qdtest::Connection otro(base);
    TFIBQuery q;
    q.SetDatabase(&otro.db);
    q.SetTransaction(&otro.tr);
    q.SetSQL("UPDATE EMP_FINCAS SET NOMBRE = 'OCUPADA' WHERE COMUNIDAD = 1 AND PROPIETARIO = 1 AND CODIGO = 1");
    q.ExecQuery();
    Modales modales;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(qobject_cast<QMessageBox*>(w)->text(), " ¿ Borrar la finca ? ");
        qdtest::Pulsa(w, "Aceptar");
    });
    try {
        p->NavFincas->EjecutarBoton(TNavigateBtn::nbDelete);
        ADD_FAILURE() << "a property another seat holds was deleted";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(qdtest::IsLockConflict(e.Message())) << e.what();
    }
    otro.tr.Rollback();
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbNext);
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbEdit);
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbPost); // commits the module's work
    EXPECT_EQ(saldos(), "0-1-00 0-1-01 0-2-00 2024-1-00");

    p->NavFincas->EjecutarBoton(TNavigateBtn::nbFirst);
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); });
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbDelete);
    EXPECT_EQ(saldos(), "0-1-01 0-2-00 2024-1-00");
    EXPECT_EQ(Sql("SELECT LIST(CODIGO) FROM EMP_FINCAS WHERE PROPIETARIO = 1").toString(), "2");
}

TEST_F(Propietarios, CoefficientsShowFiveDecimalsTakeAPointAsCommaAndAddUpForTheCommunity)
{
    Propietario(1, "ANA");
    Finca(1, 1, 1, 4.25);
    Finca(1, 2, 1, 95.75);
    Finca(1, 3, 0, 30); // inactive: does not count
    Pantalla p;
    p->PCMain->setCurrentWidget(p->TSTabla); // under the owners' list
    EXPECT_EQ(p->LCoeficientes->text(), "Suma de coeficientes de las fincas activas: 100,00000%");
    p->PCMain->setCurrentWidget(p->TSFincas);
    EXPECT_EQ(p->DBECoeficiente->text(), "4,25000%");
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbEdit);
    p->DBECoeficiente->setFocus();
    EXPECT_EQ(p->DBECoeficiente->text(), "4,25000");
    p->DBECoeficiente->selectAll();
    EscribeEn(p->DBECoeficiente, "4.5");
    EXPECT_EQ(p->DBECoeficiente->text(), "4,5");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT COEFICIENTES FROM EMP_FINCAS WHERE CODIGO = 1").toDouble(), 4.5);
    // The total no longer makes 100: marked.
    p->PCMain->setCurrentWidget(p->TSTabla);
    EXPECT_EQ(p->LCoeficientes->text(),
              "Suma de coeficientes de las fincas activas: 100,25000%   ¡ No suman el 100,00000% !");
    EXPECT_TRUE(p->LCoeficientes->styleSheet().contains("color")) << "marked";
    // The owner's properties go with him, and with them his coefficients.
    Modales modales;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(qobject_cast<QMessageBox*>(w)->text(), " ¿ Borrar el propietario ? ");
        qdtest::Pulsa(w, "Aceptar");
    });
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbDelete);
    EXPECT_EQ(p->LCoeficientes->text(),
              "Suma de coeficientes de las fincas activas: 0,00000%   ¡ No suman el 100,00000% !");
}

TEST_F(Propietarios, TheMarkerFileHidesThePropertysAddress)
{
    Propietario(1, "ANA");
    auto visibles = [](TFPropietarios* w) {
        QStringList etiquetas;
        for (QLabel* l : w->PFinca->findChildren<QLabel*>())
            if (l->isVisibleTo(w->PFinca) && !l->text().isEmpty())
                etiquetas << l->text();
        return etiquetas;
    };
    {
        Pantalla p;
        EXPECT_TRUE(visibles(p.w).contains("Código Postal"));
    }
    qdtest::EscribeFichero(programa.path() + "/KORVALEN.CFG", "");
    Pantalla p;
    const QStringList quedan = visibles(p.w);
    for (const char* oculta : {"Domicilio", "Código Postal", "Población", "Provincia"})
        EXPECT_FALSE(quedan.contains(QString::fromUtf8(oculta))) << oculta;
    EXPECT_TRUE(quedan.contains("Inquilino"));
    int cajas = 0;
    for (TDBEdit* e : p->PFinca->findChildren<TDBEdit*>())
        cajas += e->isVisibleTo(p->PFinca) && kDomicilioFinca.contains(e->DataField()) ? 1 : 0;
    EXPECT_EQ(cajas, 0);
}

TEST_F(Propietarios, F2AndConsultaOpenTheSearchOfTheLookupBeingTypedIn)
{
    Propietario(1, "ANA");
    Pantalla p;
    EXPECT_FALSE(p->TbConsulta->isEnabled()) << "usable only while editing";
    Teclea(Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(p->TbConsulta->isEnabled());
    Modales modales;
    QStringList vistas;
    auto cancela = [&](QWidget* w) {
        auto* d = qobject_cast<TFIBDBEDITDLG*>(w);
        ASSERT_NE(d, nullptr) << w->windowTitle().toStdString();
        vistas << d->Tabla_a_buscar();
        d->reject();
    };
    // The focus goes back to the screen once the dialog has gone.
    auto vuelve = [&] { Activa(p.w); };
    modales.Espera(cancela);
    p->DBEIdioma->setFocus();
    Teclea(Qt::Key_F2);
    vuelve();
    QTest::keyClick(p->DBENombre, Qt::Key_F2); // not a lookup: nothing
    modales.Espera(cancela);
    p->DBEBanco->setFocus();
    QTest::mouseClick(p->TbConsulta, Qt::LeftButton);
    EXPECT_EQ(vistas, (QStringList{"SYS_IDIOMAS", "SYS_BANCOS"}));
    vuelve();
    Teclea(Qt::Key_X, Qt::ControlModifier);

    // The property's four lookups and its own "Consulta F2".
    p->PCMain->setCurrentWidget(p->TSFincas);
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbInsert);
    EXPECT_TRUE(p->TbConsultaFinca->isEnabled());
    for (QLineEdit* campo : {static_cast<QLineEdit*>(p->DBETipoFinca), static_cast<QLineEdit*>(p->DBEUsoFinca)}) {
        modales.Espera(cancela);
        campo->setFocus();
        Teclea(Qt::Key_F2);
        vuelve();
    }
    modales.Espera(cancela);
    p->DBEFormaPagoFinca->setFocus();
    QTest::mouseClick(p->TbConsultaFinca, Qt::LeftButton);
    vuelve();
    EXPECT_EQ(vistas.mid(2), (QStringList{"SYS_TIPOS_FINCA", "SYS_USO_FINCAS", "SYS_FORMAS_PAGO"}));
    // Not paid by bank: Tab from the payment method goes straight to the type.
    p->DBEFormaPagoFinca->selectAll();
    EscribeEn(p->DBEFormaPagoFinca, "2");
    QTest::keyClick(p->DBEFormaPagoFinca, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), p->DBETipoFinca);
    EXPECT_EQ(p.Finca("FORMA_PAGO"), "2");
    p->DBEFormaPagoFinca->setFocus();
    p->DBEFormaPagoFinca->selectAll();
    EscribeEn(p->DBEFormaPagoFinca, "1");
    QTest::keyClick(p->DBEFormaPagoFinca, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), p->DBEBancoFinca);
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbCancel);
}

TEST_F(Propietarios, APartBeingEditedHoldsTheRestOfTheScreenStill)
{
    Propietario(1, "ANA");
    Finca(1, 1);
    Pantalla p;
    QStringList pestanas;
    for (int i = 0; i < p->PCMain->count(); ++i)
        pestanas << p->PCMain->tabText(i);
    for (QTabWidget* t : {p->PCFincas, p->PCDire})
        for (int i = 0; i < t->count(); ++i)
            pestanas << t->tabText(i);
    EXPECT_EQ(pestanas.join(" "), "&Ficha &Tabla Fi&ncas &Direcciones &Observaciones Fic&ha Ta&bla &Observaciones Fic&ha Ta&bla");
    EXPECT_EQ(p->PCMain->currentWidget(), p->TSFicha);
    EXPECT_EQ(p->HYMNavigator1->DelMessage, " ¿ Borrar el propietario ? ");
    EXPECT_EQ(p->NavDire->DelMessage, " ¿ Borra la dirección ? ");

    // Editing a property: only its page and tab, no owner moves, no search.
    p->PCMain->setCurrentWidget(p->TSFincas);
    p->PCFincas->setCurrentWidget(p->TSTablaFinca);
    p->GridFincas->setFocus();
    Teclea(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(p.dm().QFincas.State(), TDataSetState::dsEdit);
    EXPECT_EQ(p->PCFincas->currentWidget(), p->TSFichaFinca);
    EXPECT_EQ(QApplication::focusWidget(), p->DBENombreFinca);
    for (int i = 0; i < p->PCMain->count(); ++i)
        EXPECT_EQ(p->PCMain->isTabVisible(i), p->PCMain->widget(i) == p->TSFincas) << i;
    EXPECT_FALSE(p->PCFincas->isTabVisible(p->PCFincas->indexOf(p->TSTablaFinca)));
    EXPECT_FALSE(p->HYMNavigator1->Boton(TNavigateBtn::nbNext)->isEnabled());
    EXPECT_FALSE(p->EBusca->isEnabled());
    // Esc does not close the screen; closing asks, and "No" drops the edit.
    EscribeEn(p->DBENombreFinca, "X");
    Teclea(Qt::Key_Escape);
    Teclea(Qt::Key_Escape);
    ASSERT_TRUE(p.w);
    EXPECT_TRUE(p->isVisible());
    Modales modales;
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Cancelar"); });
    EXPECT_FALSE(p->close());
    EXPECT_EQ(p.dm().QFincas.State(), TDataSetState::dsEdit);
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Sí"); });
    p->DBENombreFinca->end(false);
    EscribeEn(p->DBENombreFinca, "Y");
    EXPECT_TRUE(p->close());
    EXPECT_EQ(Sql("SELECT NOMBRE FROM EMP_FINCAS WHERE CODIGO = 1").toString(), "FINCA 1Y");
}

TEST_F(Propietarios, RemarksAreRichTextEditedThroughTheirOwnNavigators)
{
    Propietario(1, "ANA");
    Finca(1, 1);
    // Written by another program, with a group this one does not know.
    const QByteArray ajeno = "{\\rtf1\\ansi{\\*\\ajeno dato}Nota antigua\\par}";
    Sql("UPDATE EMP_PROPIETARIO SET OBS = '" + QString::fromLatin1(ajeno) + "' WHERE CODIGO = 1");
    Pantalla p;
    EXPECT_TRUE(p->DBRObs->editor()->toPlainText().contains("Nota antigua"));
    // Saved untouched, it goes back byte for byte.
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbEdit);
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost);
    p->NavObs->EjecutarBoton(TNavigateBtn::nbEdit);
    p->NavObs->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(Sql("SELECT OBS FROM EMP_PROPIETARIO WHERE CODIGO = 1").toByteArray(), ajeno);
    for (THYMNavigator* nav : {p->NavObs, p->NavObsFinca}) {
        QStringList visibles;
        for (TNavigateBtn b : {TNavigateBtn::nbFirst, TNavigateBtn::nbInsert, TNavigateBtn::nbDelete, TNavigateBtn::nbEdit,
                               TNavigateBtn::nbPost, TNavigateBtn::nbCancel, TNavigateBtn::nbRefresh})
            visibles << (nav->VisibleButtons().Contains(b) ? "1" : "0");
        EXPECT_EQ(visibles.join(""), "0001111");
    }
    const struct {
        QWidget* pagina;
        TDBRichEdit* notas;
        const char* sql;
    } casos[] = {{p->TSObservaciones, p->DBRObs, "SELECT OBS FROM EMP_PROPIETARIO WHERE CODIGO = 1"},
                 {p->TSObsFinca, p->DBRObsFinca, "SELECT OBSERVACIONES FROM EMP_FINCAS WHERE CODIGO = 1"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.sql);
        p->PCMain->setCurrentWidget(p->TSFincas);
        p->PCFincas->setCurrentWidget(p->TSFichaFinca);
        MuestraPagina(c.pagina);
        c.pagina->setFocus();
        EXPECT_TRUE(c.notas->isReadOnly());
        Teclea(Qt::Key_E, Qt::ControlModifier);
        EXPECT_FALSE(c.notas->isReadOnly());
        EXPECT_EQ(QApplication::focusWidget(), c.notas->editor());
        EscribeEn(c.notas->editor(), "Paga en la oficina");
        Teclea(Qt::Key_G, Qt::ControlModifier);
        const QByteArray rtf = Sql(c.sql).toByteArray();
        EXPECT_TRUE(rtf.startsWith("{\\rtf")) << rtf.left(40).toStdString();
        EXPECT_TRUE(rtf.contains("Paga en la oficina"));
        EXPECT_TRUE(c.notas->isReadOnly());
    }
}

TEST_F(Propietarios, ACommitThatFailsDropsTheChangeAndLeavesTheListsUsable)
{
    Propietario(1, "ANA");
    Finca(1, 1);
    Propietario(2, "BEA");
    Sql("CREATE EXCEPTION E_PRUEBA 'La confirmación falla'");
    Sql("CREATE TRIGGER FALLA_AL_CONFIRMAR ON TRANSACTION COMMIT AS BEGIN "
        "IF (EXISTS (SELECT 1 FROM EMP_FINCAS WHERE NOMBRE = 'FALLA')) THEN EXCEPTION E_PRUEBA; END");
    Pantalla p;
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbInsert);
    EscribeEn(p->DBENombreFinca, "FALLA");
    try {
        p->NavFincas->EjecutarBoton(TNavigateBtn::nbPost);
        ADD_FAILURE() << "the failed commit was not reported";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(e.Message().contains("La confirmación falla")) << e.what();
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_FINCAS").toInt(), 1) << "the change is dropped";
    ASSERT_TRUE(p.dm().QPropietario.Active());
    EXPECT_EQ(p.Propietario("NOMBRE"), "ANA");
    EXPECT_EQ(p.Finca("NOMBRE"), "FINCA 1");
    // Usable: another owner, another save.
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbCancel);
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbNext);
    EXPECT_EQ(p.Propietario("NOMBRE"), "BEA");
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbInsert);
    EscribeEn(p->DBENombreFinca, "BUENA");
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(Sql("SELECT PROPIETARIO FROM EMP_FINCAS WHERE NOMBRE = 'BUENA'").toInt(), 2);
}

TEST_F(Propietarios, TheMainWindowOpensTheScreenFromItsMenuAndToolBar)
{
    RegistraOrdenesRegistro();
    TFMain principal;
    EXPECT_EQ(principal.MenuArchivos->actions().value(0)->text(), "Propietarios y Fincas");
    QStringList botones;
    for (QToolButton* b : principal.Herramientas->findChildren<QToolButton*>())
        if (!b->text().isEmpty())
            botones << b->text();
    EXPECT_EQ(botones.mid(0, 3), (QStringList{"Selección", "Comunidades", "Propietarios"}));
    principal.OrdenPantalla("Propietarios")->trigger();
    QWidget* w = VentanaAbierta("TFPropietarios");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Mantenimiento de propietarios");
    EXPECT_EQ(static_cast<TFPropietarios*>(w)->NumeroFormulario(), 102);
    CierraVentanas();
}

// This seat on the server's copy of the demo database.
class PropietariosServidor : public Propietarios {
protected:
    void SetUp() override
    {
        Propietarios::SetUp();
        QD_REQUIRE_SERVER();
        if (qdtest::ServerPassword() != QLatin1String(TDMMain::kPassword)) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                FAIL() << "the test server's SYSDBA password must be the program's";
            GTEST_SKIP() << "the test server's SYSDBA password is not the program's: test skipped";
        }
        servidor = qdtest::ServerHost() + ":" + qdtest::TempDir() + "/" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".fdb";
        TOpcionesBD o;
        o.Contenido = TContenidoBD::Demo;
        o.ForcedWrites = false;
        o.Usuario = qdtest::ServerUser();
        o.Clave = qdtest::ServerPassword();
        CreaBaseDatos(servidor, o);
        DMMain = nullptr;
        dm.reset();
        TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("datos", "BaseDeDatos", servidor);
        dm = std::make_unique<TDMMain>();
        DMMain = dm.get();
        ASSERT_TRUE(dm->DataModuleCreate(
            {.Aviso = [](const QString& texto, bool) { ADD_FAILURE() << texto.toStdString(); },
             .PideCamino = [](const QString&) -> std::optional<QString> { return std::nullopt; },
             .PrimerArranque = {},
             .PideClave = {}}));
    }
    QString servidor;
};

TEST_F(PropietariosServidor, APropertyAnotherSeatIsChangingGivesTheLockConflict)
{
    Entorno.Comunidad = 1;
    Pantalla p;
    ASSERT_EQ(p.Finca("CODIGO"), "1");

    // The other seat is changing the property.
    qdtest::Connection otro(servidor, qdtest::ServerUser(), qdtest::ServerPassword());
    TFIBQuery q;
    q.SetDatabase(&otro.db);
    q.SetTransaction(&otro.tr);
    q.SetSQL("UPDATE EMP_FINCAS SET INQUILINO = 'OTRO PUESTO' WHERE COMUNIDAD = 1 AND PROPIETARIO = 1 AND CODIGO = 1");
    q.ExecQuery();
    p->PCMain->setCurrentWidget(p->TSFincas);
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbEdit);
    EscribeEn(p->DBENombreFinca, " BIS");
    try {
        p->NavFincas->EjecutarBoton(TNavigateBtn::nbPost);
        ADD_FAILURE() << "saved over a row another seat holds";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(qdtest::IsLockConflict(e.Message())) << e.what();
    }
    EXPECT_EQ(p.dm().QFincas.State(), TDataSetState::dsEdit) << "the edit stays, to save again or cancel";
    EXPECT_TRUE(p->NavFincas->EnEdicion());
    otro.tr.Rollback();
    p->NavFincas->EjecutarBoton(TNavigateBtn::nbPost);
    q.SetSQL("SELECT NOMBRE FROM EMP_FINCAS WHERE COMUNIDAD = 1 AND PROPIETARIO = 1 AND CODIGO = 1");
    otro.tr.StartTransaction();
    q.ExecQuery();
    EXPECT_TRUE(q.Fields(0)->AsString().endsWith(" BIS")) << q.Fields(0)->AsString().toStdString();
    q.Close();
}

TEST_F(PropietariosServidor, APropertyAnotherSeatDeletedFirstKeepsItsOpeningBalance)
{
    Entorno.Comunidad = 1;
    Pantalla p;
    ASSERT_EQ(p.Finca("CODIGO"), "1");
    const QString propietario = p.Finca("PROPIETARIO");
    auto saldo = [&] {
        return Sql("SELECT COUNT(*) FROM EMP_SALDOS_APER_FINCAS WHERE COMUNIDAD = 1 AND PROPIETARIO = " + propietario +
                   " AND FINCA = 1 AND PERIODO = '00' AND EJERCICIO = " + QString::number(Entorno.Ejercicio))
            .toInt();
    };
    Sql(QStringLiteral("INSERT INTO EMP_SALDOS_APER_FINCAS (COMUNIDAD, EJERCICIO, PROPIETARIO, FINCA, PERIODO, SALDO) "
                       "VALUES (1, %1, %2, 1, '00', 10)")
            .arg(Entorno.Ejercicio)
            .arg(propietario));
    ASSERT_EQ(saldo(), 1);
    // The other seat deletes the property (not its balance) and commits.
    {
        qdtest::Connection otro(servidor, qdtest::ServerUser(), qdtest::ServerPassword());
        otro.db.ExecuteImmediate("DELETE FROM EMP_FINCAS WHERE COMUNIDAD = 1 AND PROPIETARIO = " + propietario +
                                     " AND CODIGO = 1",
                                 otro.tr);
        otro.tr.Commit();
    }
    Modales modales;
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); });
    try {
        p->NavFincas->EjecutarBoton(TNavigateBtn::nbDelete);
        ADD_FAILURE() << "a property already gone was deleted";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("ya no existe")) << e.what();
    }
    // The next save commits the module's work: the balance is still there.
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbEdit);
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(saldo(), 1);
}

TEST_F(Propietarios, AnOwnerNeedsANameAndTheMessageNamesTheField)
{
    Propietario(1, "ANA");
    Pantalla p;
    const struct {
        const char* caso;
        TNavigateBtn accion; // insert a new owner or edit the first
        const char* nombre;
    } casos[] = {
        {"a new owner left blank", TNavigateBtn::nbInsert, nullptr},
        {"a new owner with a code and spaces for a name", TNavigateBtn::nbInsert, "   "},
        {"an owner's name cleared", TNavigateBtn::nbEdit, ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        p->HYMNavigator1->EjecutarBoton(c.accion);
        if (c.accion == TNavigateBtn::nbInsert && c.nombre)
            EscribeEn(p->DBECodigo, "7");
        if (c.nombre) {
            p->DBENombre->setFocus();
            p->DBENombre->selectAll();
            QTest::keyClick(p->DBENombre, Qt::Key_Delete);
            EscribeEn(p->DBENombre, c.nombre);
        }
        try {
            p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost);
            ADD_FAILURE() << "saved without a name";
        } catch (const EAviso& e) {
            EXPECT_EQ(e.Message(), "Escriba el nombre del propietario: el campo Nombre no puede quedar vacío.");
        }
        EXPECT_TRUE(p->HYMNavigator1->EnEdicion()) << "the record stays, to be completed or cancelled";
        p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
        EXPECT_EQ(Sql("SELECT COUNT(*) || '/' || MIN(NOMBRE) FROM EMP_PROPIETARIO WHERE COMUNIDAD = 1 AND CODIGO <> 0")
                      .toString(),
                  "1/ANA");
    }
}

TEST_F(Propietarios, WhileLinkedToTheAccountsTheStatusLineSaysWhatTheImportOverwrites)
{
    for (const int enlace : {0, 1}) {
        SCOPED_TRACE(enlace);
        Entorno.EnlaceContable = enlace;
        Pantalla p;
        EXPECT_EQ(p->SbEstado->isVisible(), enlace == 1);
        auto* texto = p->SbEstado->findChild<QLabel*>("LEnlace");
        ASSERT_EQ(texto != nullptr, enlace == 1);
        if (texto) {
            EXPECT_TRUE(texto->isVisible());
            EXPECT_EQ(texto->text(),
                      "Comunidad enlazada con Taldemar: los datos de los propietarios (nombre, teléfonos, e-mail, NIF, "
                      "idioma, forma de pago, cuenta, avisos y observaciones), sus fincas y sus direcciones vienen de "
                      "Taldemar; la próxima importación sobrescribe lo que se cambie aquí.");
            qdtest::Captura("propietarios-enlazada", p.w);
        }
    }
}

TEST_F(Propietarios, DeletingAnOwnerWithVoteRowsNamesTheirConvocationsFirst)
{
    Propietario(1, "ANA");
    Propietario(2, "BEA");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES, FECHA) VALUES (1, 3, 'ORDINARIA 2025', '05/12/2025')");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES) VALUES (1, 5, 'EXTRAORDINARIA')");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES) VALUES (1, 6, 'SIN ANA')");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES) VALUES (2, 3, 'DE OTRA COMUNIDAD')");
    // BEA votes only in another community's convocation, with the code of
    // ANA's convocation 3.
    for (const char* voto : {"(1, 3, 1)", "(1, 5, 1)", "(2, 3, 2)", "(2, 3, 1)"})
        Sql(QStringLiteral("INSERT INTO VOTACIONES (COMUNIDAD, CONVOCATORIA, PROPIETARIO) VALUES %1").arg(voto));
    Pantalla p;
    const struct {
        const char* caso;
        int propietario;
        const char* respuesta;
        const char* pregunta;
        int quedan; // owners left
    } casos[] = {
        {"an owner with votes, kept", 1, "Cancelar",
         " ¿ Borrar el propietario ? \n\nTiene filas de votación en estas convocatorias, que se conservan con su "
         "nombre y su coeficiente:\n3 ORDINARIA 2025 (12/05/2025)\n5 EXTRAORDINARIA",
         2},
        {"the same owner, deleted", 1, "Aceptar", nullptr, 1},
        {"an owner without votes", 2, "Aceptar", " ¿ Borrar el propietario ? ", 0},
    };
    QString pregunta;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        ASSERT_TRUE(p.dm().QPropietario.Locate("CODIGO", {c.propietario}));
        Modales modales;
        modales.Espera([&](QWidget* w) {
            pregunta = qobject_cast<QMessageBox*>(w)->text();
            qdtest::Pulsa(w, c.respuesta);
        });
        p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbDelete);
        if (c.pregunta) {
            EXPECT_EQ(pregunta, QString::fromUtf8(c.pregunta));
        }
        EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD = 1 AND CODIGO <> 0").toInt(), c.quedan);
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM VOTACIONES").toInt(), 4) << "the vote rows stay";
}

TEST_F(Propietarios, ANameSearchIgnoresCaseAndAccentsOnAnyWordAndAnEmptyBoxShowsEveryOwner)
{
    const char* const nombres[] = {"GARCÍA RAMOS, ANA", "RAMOS GIL, LUIS", "PÉREZ LÓPEZ, MARÍA",
                                   "DE LA FUENTE SOLER, JOSÉ MARÍA", "BARRAMOS OLMO, EVA", "Ruiz García, Pilar"};
    int codigo = 0;
    for (const char* n : nombres)
        Propietario(++codigo, QString::fromUtf8(n));
    Propietario(15, "QUINCE");
    Pantalla p;
    const auto buscar = [&](const QString& texto) {
        p->EBusca->setFocus();
        p->EBusca->selectAll();
        QTest::keyClick(p->EBusca, Qt::Key_Delete);
        EscribeEn(p->EBusca, texto);
        Teclea(Qt::Key_Return);
    };
    const auto listados = [&] {
        QList<qint64> codigos;
        TFIBTableSet& t = p.dm().QPropietario;
        for (t.First(); !t.Eof(); t.Next())
            codigos << t.FieldByName("CODIGO")->AsInteger();
        return codigos;
    };
    const struct {
        const char* texto;
        QList<qint64> codigos; // in name order, or code order for a code
    } casos[] = {
        {"ramos", {1, 2}}, {"Ramos", {1, 2}}, {"RAMOS", {1, 2}}, {"garcia", {1, 6}}, {"GARCÍA", {1, 6}},
        {"garcía ramos", {1}}, {"maria", {4, 3}}, {"JOSE MARIA", {4}}, {"pilar", {6}}, {"amos", {}},
        {"1", {1, 15}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        buscar(QString::fromUtf8(c.texto));
        EXPECT_EQ(listados(), c.codigos);
    }
    // A code keeps its statement.
    EXPECT_EQ(p.dm().QPropietario.SelectSQL().value(1), " and CODIGO LIKE \"1%\"");

    // The box emptied, by keys: every owner again, in the list's own order,
    // and a refresh keeps them.
    buscar("ramos");
    ASSERT_EQ(listados().size(), 2);
    p->EBusca->setFocus();
    p->EBusca->selectAll();
    QTest::keyClick(p->EBusca, Qt::Key_Backspace);
    EXPECT_EQ(listados(), (QList<qint64>{1, 2, 3, 4, 5, 6, 15}));
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbRefresh);
    EXPECT_EQ(listados().size(), 7);
    // Enter on a box left blank does the same.
    buscar("ramos");
    buscar("  ");
    EXPECT_EQ(listados().size(), 7);
}

// The demo database, as a new user first sees the screen.
class PropietariosDemo : public qdtest::ProgramaAbierto {
protected:
    PropietariosDemo() : ProgramaAbierto(true) {}
    void Guarda(const QString& nombre, QWidget* w) { qdtest::Captura(nombre, w); }
};

TEST_F(PropietariosDemo, TheDemoCommunityShowsItsRegisterWhoseCoefficientsMake100)
{
    Entorno.Comunidad = 1;
    Pantalla p;
    EXPECT_TRUE(p->EIban->text().startsWith("ES")) << "the first owner pays by bank";
    EXPECT_FALSE(p.dm().QFincas.IsEmpty());
    EXPECT_FALSE(p.dm().QDire.IsEmpty());
    Guarda("propietarios-ficha", p.w);
    p->PCMain->setCurrentWidget(p->TSTabla);
    EXPECT_EQ(p->LCoeficientes->text(), "Suma de coeficientes de las fincas activas: 100,00000%");
    Guarda("propietarios-tabla", p.w);
    p->PCMain->setCurrentWidget(p->TSFincas);
    Guarda("propietarios-fincas", p.w);
    // An owner who lives elsewhere: the flat's address is kept, not active.
    for (int i = 0; i < 3; ++i)
        p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbNext);
    EXPECT_EQ(p.dm().QDire.FieldByName("CODIGO")->AsInteger(), 2);
    p->PCMain->setCurrentWidget(p->TSDirecciones);
    p->PCDire->setCurrentWidget(p->TSTablaDire);
    Guarda("propietarios-direcciones", p.w);
    p->PCMain->setCurrentWidget(p->TSObservaciones);
    p->TSObservaciones->setFocus();
    Teclea(Qt::Key_E, Qt::ControlModifier);
    EscribeEn(p->DBRObs->editor(), "Prefiere que le llamen por la tarde. Tiene llave del cuarto de contadores.");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    Guarda("propietarios-observaciones", p.w);
}

} // namespace
