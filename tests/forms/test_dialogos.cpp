// The message, question and input windows, driven with real key and mouse
// events offscreen, both directly and through Mensaje, Pregunta and PideDato.
#include "UFAsk.h"
#include "UFInput2.h"
#include "UFStop.h"
#include "Modales.h"
#include "Teclado.h"
#include "UDialogos.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>
#include <QFileDialog>
#include <QMessageBox>
#include <gtest/gtest.h>

#include <functional>

namespace {

QString U(const char* texto) { return QString::fromUtf8(texto); }

// Keys go where a person's keys would: to the widget with the focus.
QWidget* Foco(QWidget* ventana)
{
    QWidget* f = ventana->focusWidget();
    return f ? f : ventana;
}

void TeclaEn(QWidget* ventana, Qt::Key tecla, Qt::KeyboardModifiers mod = Qt::NoModifier)
{
    QTest::keyClick(Foco(ventana), tecla, mod);
}

bool SinCajaDeCierre(const QWidget* w)
{
    const Qt::WindowFlags f = w->windowFlags();
    return f.testFlag(Qt::CustomizeWindowHint) && !f.testFlag(Qt::WindowCloseButtonHint);
}

TEST(TFStop, WarningAndInformationLooks)
{
    TFStop aviso;
    aviso.Prepara(U("No se puede exportar el formato"), false);
    EXPECT_EQ(aviso.windowTitle(), U("¡ Atención !"));
    EXPECT_TRUE(aviso.ImAviso->isVisibleTo(&aviso));
    EXPECT_FALSE(aviso.ImInfo->isVisibleTo(&aviso));
    EXPECT_EQ(aviso.Cadena->objectName(), U("Cadena"));
    EXPECT_EQ(aviso.BtAceptar->text(), U("&Aceptar"));
    EXPECT_TRUE(aviso.BtAceptar->isDefault());
    EXPECT_TRUE(SinCajaDeCierre(&aviso));

    TFStop info;
    info.Prepara(U("Se va a proceder a actualizar la base de datos, pulse una tecla"), true);
    EXPECT_EQ(info.windowTitle(), U("Información"));
    EXPECT_TRUE(info.ImInfo->isVisibleTo(&info));
    EXPECT_FALSE(info.ImAviso->isVisibleTo(&info));
}

TEST(TFStop, CarriageReturnsStartNewLines)
{
    TFStop una, tres;
    una.Prepara(U("USUARIO CONECTADO"), false);
    tres.Prepara(U("USUARIO CONECTADO\rDESDE:\r05/03/2012 10:00:00"), false);
    EXPECT_EQ(tres.Cadena->text(), U("USUARIO CONECTADO\nDESDE:\n05/03/2012 10:00:00"));
    const int linea = tres.Cadena->fontMetrics().lineSpacing();
    EXPECT_GE(tres.Cadena->sizeHint().height(), 3 * linea);
    EXPECT_LT(una.Cadena->sizeHint().height(), 2 * linea);
}

TEST(Mensaje, EnterAnswersEscDoesNot)
{
    bool abierta = false, siguioTrasEsc = false;
    QString titulo, texto;
    qdtest::AlAbrirse([&](QWidget* w) {
        abierta = true;
        titulo = w->windowTitle();
        texto = w->findChild<QLabel*>(U("Cadena"))->text();
        TeclaEn(w, Qt::Key_Escape);
        siguioTrasEsc = w->isVisible();
        TeclaEn(w, Qt::Key_Return);
    });
    Mensaje(U("No existe el fichero adjunto de formato"));
    EXPECT_TRUE(abierta);
    EXPECT_TRUE(siguioTrasEsc);
    EXPECT_EQ(titulo, U("¡ Atención !"));
    EXPECT_EQ(texto, U("No existe el fichero adjunto de formato"));
}

TEST(Mensaje, CentredOnTheScreen)
{
    QPoint centro, pantalla;
    qdtest::AlAbrirse([&](QWidget* w) {
        centro = w->frameGeometry().center();
        pantalla = w->screen()->availableGeometry().center();
        QTest::mouseClick(w->findChild<QPushButton*>(U("BtAceptar")), Qt::LeftButton);
    });
    Mensaje(U("Información"), true);
    EXPECT_LE((centro - pantalla).manhattanLength(), 10);
}

TEST(TFAsk, ThreeAnswersShowThreeButtonsInOrder)
{
    TFAsk ventana;
    ventana.Prepara(U("El formato ya existe"), {U("Reemplazar"), U("Añadir"), U("Abandonar")});
    EXPECT_EQ(ventana.windowTitle(), U("¡ Atención !"));
    EXPECT_EQ(ventana.LbPregunta->text(), U("El formato ya existe"));
    EXPECT_EQ(ventana.BtOp1->text(), U("Reemplazar"));
    EXPECT_EQ(ventana.BtOp2->text(), U("Añadir"));
    EXPECT_EQ(ventana.BtOp3->text(), U("Abandonar"));
    EXPECT_TRUE(ventana.BtOp3->isVisibleTo(&ventana));
    EXPECT_FALSE(ventana.BtOp4->isVisibleTo(&ventana));
    EXPECT_TRUE(ventana.windowFlags().testFlag(Qt::WindowCloseButtonHint) ||
                !ventana.windowFlags().testFlag(Qt::CustomizeWindowHint));

    ventana.Prepara(U("¿Seguro?"), {U("Sí")});
    EXPECT_TRUE(ventana.BtOp1->isVisibleTo(&ventana));
    EXPECT_FALSE(ventana.BtOp2->isVisibleTo(&ventana));
    EXPECT_FALSE(ventana.BtOp3->isVisibleTo(&ventana));
}

TEST(Pregunta, ReturnsTheNumberOfTheButtonPressed)
{
    const QStringList tres{U("Reemplazar"), U("Añadir"), U("Abandonar")};
    for (int n = 1; n <= 3; ++n) {
        qdtest::AlAbrirse([n](QWidget* w) {
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("BtOp%1").arg(n)), Qt::LeftButton);
        });
        EXPECT_EQ(Pregunta(U("El formato ya existe"), tres), n);
    }
    // four answers
    qdtest::AlAbrirse([](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>(U("BtOp4")), Qt::LeftButton); });
    EXPECT_EQ(Pregunta(U("¿Qué hacemos?"), {U("Uno"), U("Dos"), U("Tres"), U("Cuatro")}), 4);
}

TEST(Pregunta, KeysAnswerWithTheFocusedButton)
{
    const QStringList tres{U("Reemplazar"), U("Añadir"), U("Abandonar")};
    qdtest::AlAbrirse([](QWidget* w) { TeclaEn(w, Qt::Key_Return); });
    EXPECT_EQ(Pregunta(U("El formato ya existe"), tres), 1);

    qdtest::AlAbrirse([](QWidget* w) {
        TeclaEn(w, Qt::Key_Tab);
        TeclaEn(w, Qt::Key_Tab);
        TeclaEn(w, Qt::Key_Space);
    });
    EXPECT_EQ(Pregunta(U("El formato ya existe"), tres), 3);
}

TEST(Pregunta, ClosingWithoutAnAnswerGivesZero)
{
    const QStringList tres{U("Reemplazar"), U("Añadir"), U("Abandonar")};
    qdtest::AlAbrirse([](QWidget* w) { w->close(); });
    EXPECT_EQ(Pregunta(U("El formato ya existe"), tres), 0);
    qdtest::AlAbrirse([](QWidget* w) { TeclaEn(w, Qt::Key_Escape); });
    EXPECT_EQ(Pregunta(U("El formato ya existe"), tres), 0);
}

TEST(TFInput2, PointIsEnteredAsComma)
{
    TFInput2 ventana;
    ventana.Prepara(U("Coeficiente"), U("Valor"), U(""));
    QTest::keyClicks(ventana.EdInput, U("3.5"));
    EXPECT_EQ(ventana.EdInput->text(), U("3,5"));
    QTest::keyClick(ventana.EdInput, Qt::Key_Period, Qt::KeypadModifier);
    EXPECT_EQ(ventana.EdInput->text(), U("3,5,"));
    qdtest::EscribeEn(ventana.EdInput, U(" año ñ"));
    EXPECT_EQ(ventana.EdInput->text(), U("3,5, año ñ"));
    EXPECT_EQ(ventana.BtAceptar->text(), U("&Aceptar"));
    EXPECT_EQ(ventana.BtCancelar->text(), U("&Cancelar"));
    EXPECT_TRUE(ventana.BtAceptar->isDefault());
}

TEST(PideDato, AceptarReturnsTheTypedText)
{
    QString titulo, etiqueta, inicial;
    qdtest::AlAbrirse([&](QWidget* w) {
        titulo = w->windowTitle();
        etiqueta = w->findChild<QLabel*>(U("LbDato"))->text();
        auto* campo = w->findChild<QLineEdit*>(U("EdInput"));
        inicial = campo->text();
        // the proposed text is selected: typing replaces it
        QTest::keyClicks(campo, U("27"));
        TeclaEn(w, Qt::Key_Return);
    });
    EXPECT_EQ(PideDato(U("Formatos"), U("Copiar este formato al código"), U("13")), U("27"));
    EXPECT_EQ(titulo, U("Formatos"));
    EXPECT_EQ(etiqueta, U("Copiar este formato al código"));
    EXPECT_EQ(inicial, U("13"));

    qdtest::AlAbrirse([](QWidget* w) {
        auto* campo = w->findChild<QLineEdit*>(U("EdInput"));
        QTest::keyClick(campo, Qt::Key_End);
        QTest::keyClicks(campo, U(".25"));
        QTest::mouseClick(w->findChild<QPushButton*>(U("BtAceptar")), Qt::LeftButton);
    });
    EXPECT_EQ(PideDato(U("Coeficiente"), U("Nuevo valor"), U("4")), U("4,25"));
}

TEST(PideDato, CancelarGivesAnEmptyTextEvenAfterTyping)
{
    qdtest::AlAbrirse([](QWidget* w) {
        QTest::keyClicks(w->findChild<QLineEdit*>(U("EdInput")), U("99"));
        QTest::mouseClick(w->findChild<QPushButton*>(U("BtCancelar")), Qt::LeftButton);
    });
    EXPECT_EQ(PideDato(U("Formatos"), U("Copiar este formato al código"), U("13")), U(""));

    qdtest::AlAbrirse([](QWidget* w) {
        QTest::keyClicks(w->findChild<QLineEdit*>(U("EdInput")), U("99"));
        TeclaEn(w, Qt::Key_Escape);
    });
    EXPECT_EQ(PideDato(U("Formatos"), U("Copiar este formato al código"), U("13")), U(""));

    qdtest::AlAbrirse([](QWidget* w) { TeclaEn(w, Qt::Key_C, Qt::AltModifier); });
    EXPECT_EQ(PideDato(U("Formatos"), U("Copiar este formato al código"), U("13")), U(""));
}

TEST(PideDato, TheCloseBoxKeepsTheText)
{
    qdtest::AlAbrirse([](QWidget* w) {
        auto* campo = w->findChild<QLineEdit*>(U("EdInput"));
        QTest::keyClick(campo, Qt::Key_End);
        qdtest::EscribeEn(campo, U("ñ"));
        w->close();
    });
    EXPECT_EQ(PideDato(U("Formatos"), U("Código"), U("1")), U("1ñ"));
}

} // namespace

TEST(TextosDeQt, StandardButtonsAndFileDialogsSpeakSpanish)
{
    QMessageBox caja(QMessageBox::Question, U("Confirmación"), U("¿Seguro?"),
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    const std::pair<QMessageBox::StandardButton, const char*> botones[] = {
        {QMessageBox::Yes, "&Sí"}, {QMessageBox::No, "&No"}, {QMessageBox::Ok, "&Aceptar"}, {QMessageBox::Cancel, "&Cancelar"}};
    for (const auto& [boton, texto] : botones)
        EXPECT_EQ(caja.button(boton)->text().remove(U("&")), U(texto).remove(U("&")));
    QFileDialog dialogo;
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    QStringList textos;
    for (QPushButton* b : dialogo.findChildren<QPushButton*>())
        textos << b->text().remove(U("&"));
    EXPECT_TRUE(textos.contains(U("Cancelar"))) << textos.join(U(", ")).toStdString();
    EXPECT_TRUE(textos.contains(U("Abrir"))) << textos.join(U(", ")).toStdString();
}
