// The data-aware controls: the value-mapping list, the date picker, and the
// edit, masked edit, memo, check box and label, driven with real keys and
// clicks: what they show for each record, when the record goes into edit
// state, what reaches the field and the table, and what they refuse.
#include "ControlesSchema.h"
#include "DbComboBoxValue.h"
#include "FIBTableDataSet.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "UDBDateTimePicker.h"
#include "UFormatos.h"

#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ControlesTest : public ::testing::Test {
protected:
    ControlesTest() : c(FreshControlesDb())
    {
        convoca.SetDatabase(&c.db);
        convoca.SetTransaction(&c.tr);
        convoca.Opciones.Include(TOpcionesTableSet::OrdenarPorPk);
        convoca.AddField<TFloatField>("IMPORTE")->DisplayFormat = MascaraMoneda;
        convoca.AddField<TFIBStringField>("HORA1")->EditMask = "!90:00;1;_";
        convoca.SetTableName("CONVOCA");
        convoca.Open();

        auto* filas = new QFormLayout(&form);
        filas->addRow("Descripción", eDes);
        filas->addRow("Importe", eImporte);
        filas->addRow("Fecha", eFecha);
        filas->addRow("Hora", eHora);
        filas->addRow("Tipo", cTipo);
        filas->addRow("Fecha junta", pFecha);
        filas->addRow("Notas", mNotas);
        filas->addRow("", xActiva);
        filas->addRow("Nombre", lDes);
        filas->addRow("Otro", otro);
        const std::pair<TDBEdit*, const char*> edits[] = {
            {eDes, "DES"}, {eImporte, "IMPORTE"}, {eFecha, "FECHA"}, {eHora, "HORA1"}};
        for (auto [e, campo] : edits) {
            e->SetDataSource(&ds);
            e->SetDataField(campo);
        }
        cTipo->SetItems({"1 - JUNTA ORDINARIA", "2 - JUNTA EXTRAORDINARIA"});
        cTipo->SetValues({"1", "2"});
        cTipo->SetDataSource(&ds);
        cTipo->SetDataField("TIPO");
        pFecha->SetDataSource(&ds);
        pFecha->SetDataField("FECHA");
        mNotas->SetDataSource(&ds);
        mNotas->SetDataField("NOTAS");
        xActiva->SetDataSource(&ds);
        xActiva->SetDataField("ACTIVA");
        xActiva->setText("Activa");
        lDes->SetDataSource(&ds);
        lDes->SetDataField("DES");
        form.resize(420, 360);
        form.show();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    QString Guardado(const QString& columna, int codigo)
    {
        TFIBQuery q;
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
        q.SetSQL("SELECT " + columna + " FROM CONVOCA WHERE CODIGO = " + QString::number(codigo));
        q.ExecQuery();
        return q.Fields(0)->IsNull() ? "<null>" : q.Fields(0)->AsString();
    }

    void Fila(int codigo) { ASSERT_TRUE(convoca.Locate("CODIGO", {codigo})); }

    qdtest::Connection c;
    TFIBTableSet convoca;
    TDataSource ds{&convoca};
    QWidget form;
    TDBEdit* eDes = new TDBEdit;
    TDBEdit* eImporte = new TDBEdit;
    TDBEdit* eFecha = new TDBEdit;
    TDBEdit* eHora = new TDBEdit;
    TDBComboBoxValue* cTipo = new TDBComboBoxValue;
    TDBDateTimePicker* pFecha = new TDBDateTimePicker;
    TDBMemo* mNotas = new TDBMemo;
    TDBCheckBox* xActiva = new TDBCheckBox;
    TDBText* lDes = new TDBText;
    QLineEdit* otro = new QLineEdit;
};

} // namespace

TEST_F(ControlesTest, ComboShowsTheEntryOfTheStoredValueOrNone)
{
    EXPECT_EQ(cTipo->currentText(), "1 - JUNTA ORDINARIA");
    EXPECT_EQ(cTipo->ValorActual(), "1");
    Fila(2); // TIPO "3" is not listed
    EXPECT_EQ(cTipo->currentIndex(), -1);
    EXPECT_EQ(cTipo->currentText(), "");
    Fila(3);
    EXPECT_EQ(cTipo->currentText(), "2 - JUNTA EXTRAORDINARIA");
    EXPECT_EQ(cTipo->DropDownCount(), 8);
    EXPECT_FALSE(cTipo->isEditable());

    TDBComboBoxValue lista;
    lista.SetItems({"Ha llamado", "Ha venido", "Otro"});
    lista.SetValues({"0", ""});
    const QStringList valores{"0", "Ha venido", "Otro", ""};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lista.ValorDeEntrada(i), valores[i]) << i;
    // Sorted entries keep their own values.
    lista.SetItems({"Zeta", "Alfa"});
    lista.SetValues({"Z", "A"});
    lista.SetSorted(true);
    EXPECT_EQ(lista.itemText(0), "Alfa");
    EXPECT_EQ(lista.ValorDeEntrada(0), "A");
}

TEST_F(ControlesTest, ChoosingAnEntryEditsTheRecordAndStoresItsValue)
{
    Fila(2);
    int cambios = 0;
    cTipo->OnChange = [&](TDBComboBoxValue&) { ++cambios; };
    cTipo->setFocus();
    QTest::keyClick(cTipo, Qt::Key_2); // the text search finds "2 - JUNTA EXTRAORDINARIA"
    EXPECT_EQ(convoca.State(), TDataSetState::dsEdit);
    EXPECT_EQ(cTipo->currentText(), "2 - JUNTA EXTRAORDINARIA");
    EXPECT_EQ(cTipo->ValorActual(), "2");
    EXPECT_EQ(cambios, 1);
    // The field receives the value when the list loses the focus.
    EXPECT_EQ(convoca.FieldByName("TIPO")->AsString(), "3");
    otro->setFocus();
    EXPECT_EQ(convoca.FieldByName("TIPO")->AsString(), "2");
    convoca.Post();
    EXPECT_EQ(Guardado("TIPO", 2), "2");

    // Up and Down choose too, and posting writes what is shown.
    cTipo->setFocus();
    QTest::keyClick(cTipo, Qt::Key_Up);
    EXPECT_EQ(cTipo->ValorActual(), "1");
    convoca.Post();
    EXPECT_EQ(Guardado("TIPO", 2), "1");
}

TEST_F(ControlesTest, ComboRefusesWhatTheRecordOrFieldCannotTake)
{
    // Esc goes back to the field's value.
    cTipo->setFocus();
    QTest::keyClick(cTipo, Qt::Key_Down);
    EXPECT_EQ(cTipo->ValorActual(), "2");
    QTest::keyClick(cTipo, Qt::Key_Escape);
    EXPECT_EQ(cTipo->ValorActual(), "1");
    EXPECT_EQ(cTipo->currentText(), "1 - JUNTA ORDINARIA");
    convoca.Cancel();

    // A read-only list: Up and Down leave the selection and the record alone.
    cTipo->SetReadOnly(true);
    QTest::keyClick(cTipo, Qt::Key_Down);
    EXPECT_EQ(cTipo->currentText(), "1 - JUNTA ORDINARIA");
    EXPECT_EQ(convoca.State(), TDataSetState::dsBrowse);
    cTipo->SetReadOnly(false);

    // On a number field, a letter is not a valid key: no search, no choice.
    TDBComboBoxValue numero;
    numero.SetItems({"Siete", "Cero"});
    numero.SetValues({"7", "0"});
    numero.SetDataSource(&ds);
    numero.SetDataField("N");
    numero.show();
    numero.setFocus();
    EXPECT_EQ(numero.currentText(), "Siete");
    QTest::keyClick(&numero, Qt::Key_C, Qt::NoModifier);
    EXPECT_EQ(numero.currentText(), "Siete");
    EXPECT_EQ(convoca.State(), TDataSetState::dsBrowse);
}

TEST_F(ControlesTest, ComboThatCannotWriteItsValueKeepsTheFocus)
{
    TDBComboBoxValue numero(&form);
    numero.SetItems({"Mal"});
    numero.SetValues({"x"}); // not a number for the integer field N
    numero.SetDataSource(&ds);
    numero.SetDataField("N");
    numero.show();
    numero.setFocus();
    QTest::keyClick(&numero, Qt::Key_Down);
    EXPECT_EQ(numero.ValorActual(), "x");
    EXPECT_THROW(otro->setFocus(), EConvertError);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), &numero);
    EXPECT_EQ(convoca.FieldByName("N")->AsInteger(), 7);
}

TEST_F(ControlesTest, DatePickerShowsTheFieldAndWritesEveryChangeAtOnce)
{
    EXPECT_EQ(pFecha->date(), QDate(2024, 3, 15));
    EXPECT_EQ(pFecha->displayFormat(), "dd/MM/yyyy");
    Fila(3); // null date
    EXPECT_EQ(pFecha->date(), QDate(1899, 12, 30));
    Fila(2); // 02/04/2024 10:20
    EXPECT_EQ(pFecha->date(), QDate(2024, 4, 2));
    EXPECT_EQ(convoca.State(), TDataSetState::dsBrowse);
    pFecha->setFocus();
    pFecha->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(pFecha, Qt::Key_Up);
    // At once: edit state, the new date without time part.
    EXPECT_EQ(convoca.State(), TDataSetState::dsEdit);
    EXPECT_EQ(convoca.FieldByName("FECHA")->AsDateTime(), MakeDateTime(QDate(2024, 4, 3)));
    EXPECT_EQ(eFecha->text(), "03/04/2024");
    convoca.Post();
    EXPECT_EQ(Guardado("FECHA", 2), "03/04/2024");

    // As a time picker it shows and writes the time of day.
    pFecha->SetKind(TDBDateTimePicker::TDateTimeKind::dtkTime);
    Fila(1);
    EXPECT_EQ(pFecha->time(), QTime(0, 0));
    pFecha->setFocus();
    pFecha->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClick(pFecha, Qt::Key_Up);
    EXPECT_EQ(convoca.FieldByName("FECHA")->AsDateTime(), MakeDateTime(QDate(1899, 12, 30), QTime(1, 0)));
    convoca.Cancel();

    // A read-only picker takes no change and the record stays browsing.
    pFecha->SetKind(TDBDateTimePicker::TDateTimeKind::dtkDate);
    pFecha->SetReadOnly(true);
    pFecha->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(pFecha, Qt::Key_Up);
    EXPECT_EQ(pFecha->date(), QDate(2024, 3, 15));
    EXPECT_EQ(convoca.State(), TDataSetState::dsBrowse);
}

TEST_F(ControlesTest, ADateIsTypedOverTheShownOneWithOrWithoutSeparatorsAndAWrongOneIsRefused)
{
    const int siglo = QDate::currentDate().year() / 100 * 100;
    // How the typing ends: Enter, leaving the field, or the record's post.
    enum class Fin { Enter, Sale, Graba };
    const struct {
        const char* tecleado;
        Fin fin;
        QDate fecha; // invalid: refused, the field keeps its date
    } casos[] = {
        {"15/01/2027", Fin::Enter, {2027, 1, 15}}, {"15012027", Fin::Sale, {2027, 1, 15}},
        {"15-1-27", Fin::Graba, {siglo + 27, 1, 15}}, {"3/4/2030", Fin::Enter, {2030, 4, 3}},
        {"15/01/0120", Fin::Enter, {}}, {"31022027", Fin::Sale, {}}, {"1-1-2101", Fin::Graba, {}},
    };
    QLineEdit* texto = pFecha->findChild<QLineEdit*>();
    ASSERT_NE(texto, nullptr);
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tecleado);
        Fila(1);
        // Clicked anywhere in the field, the digits start a new date.
        QTest::mouseClick(texto, Qt::LeftButton, {}, QPoint(texto->width() / 2, texto->height() / 2));
        ASSERT_TRUE(pFecha->hasFocus());
        qdtest::Escribe(QString::fromLatin1(c.tecleado));
        EXPECT_EQ(convoca.State(), TDataSetState::dsEdit);
        EXPECT_EQ(texto->text(), QString::fromLatin1(c.tecleado));
        auto termina = [&] {
            switch (c.fin) {
            case Fin::Enter: QTest::keyClick(pFecha, Qt::Key_Return); break;
            case Fin::Sale: otro->setFocus(); break;
            case Fin::Graba: convoca.Post(); break;
            }
        };
        if (c.fecha.isValid()) {
            termina();
            if (convoca.State() == TDataSetState::dsEdit)
                convoca.Post();
            EXPECT_EQ(pFecha->date(), c.fecha);
            EXPECT_EQ(Guardado("FECHA", 1), FormatoFecha(c.fecha));
            continue;
        }
        EXPECT_THROW(termina(), EConvertError);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), pFecha) << "the field keeps the focus";
        EXPECT_EQ(texto->text(), QString::fromLatin1(c.tecleado)) << "and what was typed, to mend it";
        EXPECT_EQ(convoca.State(), TDataSetState::dsEdit);
        // Esc drops the typing: the stored date shows again.
        QTest::keyClick(pFecha, Qt::Key_Escape);
        EXPECT_NE(texto->text(), QString::fromLatin1(c.tecleado));
        convoca.Cancel();
        EXPECT_EQ(pFecha->date(), TextoAFecha(Guardado("FECHA", 1)));
    }
}

TEST_F(ControlesTest, EditShowsTheDisplayTextAndTakesNumbersWithTheDecimalComma)
{
    EXPECT_EQ(eImporte->text(), "1.234,50");
    EXPECT_EQ(eImporte->alignment() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(lDes->text(), "Junta ordinaria");
    EXPECT_TRUE(eImporte->isReadOnly()); // browsing
    eImporte->setFocus();
    EXPECT_EQ(eImporte->text(), "1234,5");
    eImporte->selectAll();
    QTest::keyClicks(eImporte, "99.7x,75"); // "." and "x" are refused
    EXPECT_EQ(convoca.State(), TDataSetState::dsEdit);
    EXPECT_EQ(eImporte->text(), "997,75");
    otro->setFocus();
    EXPECT_DOUBLE_EQ(convoca.FieldByName("IMPORTE")->AsFloat(), 997.75);
    EXPECT_EQ(eImporte->text(), "997,75");

    // A date is typed and shown "dd/mm/yyyy"; a day that does not exist is
    // refused and the field keeps the focus.
    eFecha->setFocus();
    eFecha->selectAll();
    QTest::keyClicks(eFecha, "31/02/2024");
    EXPECT_THROW(otro->setFocus(), EConvertError);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), eFecha);
    eFecha->selectAll();
    QTest::keyClicks(eFecha, "1/2/2025");
    otro->setFocus();
    EXPECT_EQ(eFecha->text(), "01/02/2025");

    // Text with accents, and the label that follows the field.
    eDes->setFocus();
    eDes->end(false);
    qdtest::EscribeEn(eDes, " año ñú");
    convoca.Post(); // the post collects what the focused field holds
    EXPECT_EQ(Guardado("DES", 1), "Junta ordinaria año ñú");
    EXPECT_EQ(Guardado("IMPORTE", 1), "997,75");
    EXPECT_EQ(Guardado("FECHA", 1), "01/02/2025");
    EXPECT_EQ(lDes->text(), "Junta ordinaria año ñú");

    // Esc takes back what was typed.
    eDes->selectAll();
    QTest::keyClicks(eDes, "otra");
    QTest::keyClick(eDes, Qt::Key_Escape);
    EXPECT_EQ(eDes->text(), "Junta ordinaria año ñú");
    convoca.Cancel();

    // An empty number is stored as the layer stores a null number.
    eImporte->setFocus();
    eImporte->selectAll();
    QTest::keyClick(eImporte, Qt::Key_Delete);
    otro->setFocus();
    EXPECT_TRUE(convoca.FieldByName("IMPORTE")->IsNull());
    convoca.Cancel();
}

// A label on a calculated field shows it again when a column it is made from
// changes, not only when the record moves.
TEST_F(ControlesTest, LabelOnACalculatedFieldFollowsTheColumnsItIsMadeFrom)
{
    convoca.Close();
    convoca.AddField<TStringField>("LARGO")->Calculated = true;
    convoca.OnCalcFields = [](TFIBDataSet& d) {
        d.FieldByName("LARGO")->SetAsString(QString::number(d.FieldByName("DES")->AsString().size()));
    };
    convoca.Open();
    TDBText largo;
    largo.SetDataSource(&ds);
    largo.SetDataField("LARGO");
    EXPECT_EQ(largo.text(), "15"); // "Junta ordinaria"
    convoca.Edit();
    convoca.FieldByName("DES")->SetAsString("Junta");
    EXPECT_EQ(largo.text(), "5");
    convoca.Cancel();
    EXPECT_EQ(largo.text(), "15");
}

TEST_F(ControlesTest, MaskedTimeKeepsBlanksInPlace)
{
    EXPECT_EQ(eHora->inputMask(), "09:99;_");
    EXPECT_EQ(eHora->displayText(), "18:30");
    Fila(3); // " 9:00"
    EXPECT_EQ(eHora->displayText(), "_9:00");
    Fila(2); // null
    EXPECT_EQ(eHora->displayText(), "__:__");
    eHora->setFocus();
    eHora->setCursorPosition(0);
    QTest::keyClicks(eHora, "0945");
    otro->setFocus();
    EXPECT_EQ(convoca.FieldByName("HORA1")->AsString(), "09:45");
    // An untouched mask stores nothing.
    eHora->setFocus();
    eHora->selectAll();
    QTest::keyClick(eHora, Qt::Key_Backspace);
    otro->setFocus();
    EXPECT_TRUE(convoca.FieldByName("HORA1")->IsNull());
    convoca.Cancel();
    Fila(3);
    eHora->setFocus();
    eHora->setCursorPosition(3);
    QTest::keyClicks(eHora, "15");
    otro->setFocus();
    EXPECT_EQ(convoca.FieldByName("HORA1")->AsString(), " 9:15");

    const struct {
        const char* programa;
        const char* qt;
    } mascaras[] = {{"!90:00;1;_", "09:99;_"},
                    {"00/00/0000;1;_", "99/99/9999;_"},
                    {">LL-0000;0; ", ">AA-9999; "},
                    {"\\A999", "\\A000;_"}};
    for (const auto& m : mascaras)
        EXPECT_EQ(AnalizaMascara(m.programa).qt, m.qt) << m.programa;
    EXPECT_FALSE(AnalizaMascara(">LL-0000;0; ").guardaLiterales);
}

TEST_F(ControlesTest, MemoCheckBoxAndReadOnlyDataSet)
{
    EXPECT_EQ(mNotas->toPlainText(), "Primera nota");
    mNotas->setFocus();
    mNotas->moveCursor(QTextCursor::End);
    QTest::keyClicks(mNotas, " y segunda");
    EXPECT_EQ(convoca.State(), TDataSetState::dsEdit);
    otro->setFocus();
    convoca.Post();
    EXPECT_EQ(Guardado("NOTAS", 1), "Primera nota y segunda");

    EXPECT_EQ(xActiva->checkState(), Qt::Checked);
    Fila(3); // null
    EXPECT_EQ(xActiva->checkState(), Qt::PartiallyChecked);
    Fila(2); // "0"
    EXPECT_EQ(xActiva->checkState(), Qt::Unchecked);
    QTest::mouseClick(xActiva, Qt::LeftButton, {}, QPoint(8, xActiva->height() / 2));
    EXPECT_EQ(xActiva->checkState(), Qt::Checked);
    EXPECT_EQ(convoca.FieldByName("ACTIVA")->AsString(), "1");
    convoca.Post();
    EXPECT_EQ(Guardado("ACTIVA", 2), "1");
    xActiva->SetValueChecked("S;1");
    xActiva->SetValueUnchecked("N");
    EXPECT_EQ(xActiva->checkState(), Qt::Checked);
    QTest::mouseClick(xActiva, Qt::LeftButton, {}, QPoint(8, xActiva->height() / 2));
    EXPECT_EQ(convoca.FieldByName("ACTIVA")->AsString(), "N");
    convoca.Cancel();

    // Over a dataset that cannot be modified nothing takes a key or a click.
    TFIBDataSet solo;
    solo.SetDatabase(&c.db);
    solo.SetTransaction(&c.tr);
    solo.SetSelectSQL({"SELECT * FROM CONVOCA ORDER BY CODIGO"});
    solo.Open();
    TDataSource dsSolo(&solo);
    eDes->SetDataSource(&dsSolo);
    xActiva->SetDataSource(&dsSolo);
    cTipo->SetDataSource(&dsSolo);
    eDes->setFocus();
    QTest::keyClicks(eDes, "zz");
    EXPECT_EQ(eDes->text(), "Junta ordinaria");
    QTest::mouseClick(xActiva, Qt::LeftButton, {}, QPoint(8, xActiva->height() / 2));
    EXPECT_EQ(xActiva->checkState(), Qt::Checked);
    cTipo->setFocus();
    QTest::keyClick(cTipo, Qt::Key_2);
    EXPECT_EQ(cTipo->currentText(), "1 - JUNTA ORDINARIA");
    EXPECT_EQ(solo.State(), TDataSetState::dsBrowse);
}
