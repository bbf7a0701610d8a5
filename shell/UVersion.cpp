#include "UVersion.h"
#include "UDMMain.h"
#include "UDescarga.h"
#include "UDialogos.h"
#include "UPerfil.h"
#include "USistema.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QWidget>
#include <optional>

namespace {
// "2.05" as 205: versions compare as the integers made of all their digits.
std::optional<int> NumeroVersion(const QString& texto)
{
    bool ok = false;
    const int n = ReemplazaCorta(texto.trimmed(), QStringLiteral("."), QString()).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}
} // namespace

void CompruebaVersion(QWidget* aviso)
{
    TFIBQuery& q = DMMain->QGen;
    if (!BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("CFGACT.CFG")).isEmpty())
        return;
    q.SetSQL(QStringLiteral("SELECT VERSION FROM SYS_VERSION WHERE CODIGO=1"));
    q.ExecQuery();
    const QString versionBD = q.Eof() ? QString() : q.FieldByName(QStringLiteral("VERSION"))->AsString().trimmed();
    q.Close();
    const auto propia = VersionFichero(QCoreApplication::applicationFilePath());
    const QString versionPrograma = propia ? TextoVersion(*propia).mid(7).trimmed() : QString();
    if (versionBD != versionPrograma && BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("QUORUMDESK.FDB")).isEmpty())
        Mensaje(QStringLiteral("TERMINAL CON VERSION DE QUORUMDESK DISTINTA A SERVIDOR"));

    const QString servidor = TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini")))
                                 .ReadString(QStringLiteral("Actualizacion"), QStringLiteral("Servidor"), QString());
    if (servidor.isEmpty())
        return; // no download server configured: as with no connection
    if (aviso) {
        aviso->show();
        aviso->repaint();
    }
    const QString historico = Entorno.CaminoPrograma + QStringLiteral("/historico7.txt");
    QFile::remove(historico);
    bool pendientes = false;
    {
        TConexionInternet conexion(QStringLiteral("ZerurOvozudir"));
        QString base = servidor;
        while (base.endsWith(QLatin1Char('/')))
            base.chop(1);
        if (conexion.Abierta() && DescargaFichero(base + QStringLiteral("/Descargas/historico7.txt"), historico, 30, conexion)) {
            QFile f(historico);
            if (f.open(QIODevice::ReadOnly)) {
                QStringList lineas = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
                while (!lineas.isEmpty() && lineas.last().trimmed().isEmpty())
                    lineas.removeLast();
                // An empty history, or one whose last line is not a version
                // (an error page), counts as no history.
                const auto ultima = lineas.isEmpty() ? std::nullopt : NumeroVersion(lineas.last().left(5));
                const auto actual = NumeroVersion(versionBD);
                pendientes = ultima && actual && *actual < *ultima;
            }
        }
    }
    QFile::remove(historico);
    if (aviso)
        aviso->hide();
    if (pendientes) {
        QMessageBox pregunta(QMessageBox::Critical, QStringLiteral("CONFIRMACIÓN"),
                             QStringLiteral(" HAY ACTUALIZACIONES PENDIENTES PARA QUORUMDESK. ¿ ACTUALIZAR AHORA ? "),
                             QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
        pregunta.exec(); // either answer ends the check; the updater has its own command
    }
}
