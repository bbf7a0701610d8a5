#include "UAplicacion.h"
#include "FIBError.h"
#include "FIBTableDataSet.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "WaitCursor.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>

namespace {
void CursorEspera(bool ocupado)
{
    if (ocupado)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}
} // namespace

TAplicacion::TAplicacion(int& argc, char** argv) : QApplication(argc, argv)
{
    // Data fields are disabled while browsing; their text stays readable:
    // the normal text colour on the read-only background. A data-aware
    // combo box draws its text as button text.
    QPalette paleta = palette();
    paleta.setColor(QPalette::Disabled, QPalette::Text, paleta.color(QPalette::Active, QPalette::Text));
    paleta.setColor(QPalette::Disabled, QPalette::Base, paleta.color(QPalette::Active, QPalette::Window));
    setPalette(paleta);
    paleta.setColor(QPalette::Disabled, QPalette::ButtonText, paleta.color(QPalette::Active, QPalette::Text));
    setPalette(paleta, "TDBComboBoxValue");
    // Qt's own texts (standard buttons, file and print dialogs) in Spanish,
    // as the rest of the program.
    if (traductor_.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&traductor_);
    setApplicationName(QStringLiteral("QuorumDesk"));
    setApplicationVersion(QStringLiteral(QD_VERSION));
    SetWaitCursorHook(&CursorEspera);
    SetBeepHook(&QApplication::beep); // a row changed by another seat when editing begins
}

QString TextoError(const std::exception& e)
{
    const QString servidor = QString::fromUtf8(e.what());
    if (const auto* fib = dynamic_cast<const EFIBError*>(&e)) {
        const QString explicacion = fib->Explanation();
        if (!explicacion.isEmpty())
            return explicacion + QStringLiteral("\n\n") + servidor;
    }
    return servidor;
}

bool OfreceReconexion(const QString& textoServidor)
{
    for (;;) {
        QMessageBox pregunta(QMessageBox::Warning, QStringLiteral("Conexión perdida"),
                             QStringLiteral("Se ha perdido la conexión con la base de datos.\n\n"
                                            "¿Desea volver a conectar ahora? Lo que estuviera editando sigue en "
                                            "pantalla para grabarlo de nuevo."),
                             QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        pregunta.setDefaultButton(QMessageBox::Yes);
        // The engine's own words, for whoever looks after the server.
        pregunta.setDetailedText(textoServidor);
        if (pregunta.exec() != QMessageBox::Yes || !DMMain)
            return false;
        try {
            DMMain->DataBase.Reconnect();
            Mensaje(QStringLiteral("Se ha vuelto a conectar con la base de datos."), true);
            return true;
        } catch (const EFIBError& e) {
            QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("QuorumDesk"),
                                  QStringLiteral("No se puede volver a conectar con la base de datos.\n\n") + TextoError(e));
        }
    }
}

void MuestraError(const std::exception& e)
{
    if (dynamic_cast<const EAbort*>(&e))
        return;
    // A wait cursor left by the failed operation must not stay over the message.
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    // The program's own refusals are its warnings; anything else is the
    // general error message with the error's own text.
    if (const auto* aviso = dynamic_cast<const EAviso*>(&e)) {
        Mensaje(aviso->Message());
        return;
    }
    if (const auto* fib = dynamic_cast<const EFIBError*>(&e); fib && fib->ConnectionLost() && DMMain) {
        OfreceReconexion(QString::fromUtf8(fib->what()));
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("QuorumDesk"), TextoError(e));
}

bool TAplicacion::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        MuestraError(e);
    }
    return false;
}
