#include "UDialogos.h"
#include "UFAsk.h"
#include "UFInput2.h"
#include "UFStop.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QScreen>

void CentraEnPantalla(QWidget* ventana, bool ajusta)
{
    QScreen* pantalla = ventana->isVisible() ? ventana->screen() : QGuiApplication::primaryScreen();
    if (!pantalla)
        return;
    if (ajusta)
        ventana->adjustSize();
    QRect marco = ventana->frameGeometry();
    marco.moveCenter(pantalla->availableGeometry().center());
    ventana->move(marco.topLeft());
}

void Mensaje(const QString& texto, bool informativo)
{
    TFStop ventana(QApplication::activeWindow());
    ventana.Prepara(texto, informativo);
    CentraEnPantalla(&ventana);
    ventana.exec();
}

int Pregunta(const QString& texto, const QStringList& respuestas)
{
    TFAsk ventana(QApplication::activeWindow());
    ventana.Prepara(texto, respuestas);
    CentraEnPantalla(&ventana);
    ventana.exec();
    return ventana.Respuesta();
}

QString PideDato(const QString& titulo, const QString& etiqueta, const QString& inicial)
{
    TFInput2 ventana(QApplication::activeWindow());
    ventana.Prepara(titulo, etiqueta, inicial);
    CentraEnPantalla(&ventana);
    ventana.exec();
    return ventana.Resultado();
}

qint64 FechaFichero(const QString& fichero)
{
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly)) {
        QMessageBox caja(QMessageBox::NoIcon, QApplication::applicationName(),
                         QStringLiteral("No se puede abrir el fichero"), QMessageBox::Ok,
                         QApplication::activeWindow());
        caja.exec();
        return -1;
    }
    return f.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
}
