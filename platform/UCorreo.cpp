#include "UCorreo.h"
#include "Platform.h"
#include "UProcesos.h"
#include "UTextos.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>

int EnviaCorreo(const QString& asunto, const QString& cuerpo, const QString& adjunto,
                const QString& direccion, const QString& /*nombre*/,
                const QString& /*direccionRemitente*/, const QString& /*nombreRemitente*/, bool ocultos)
{
    QStringList argumentos{QStringLiteral("--utf8")};
    if (!asunto.isEmpty())
        argumentos << QStringLiteral("--subject") << asunto;
    if (!cuerpo.isEmpty())
        argumentos << QStringLiteral("--body") << cuerpo;
    if (!adjunto.isEmpty())
        argumentos << QStringLiteral("--attach") << QFileInfo(adjunto).absoluteFilePath();
    for (const QString& d : direccion.split(u';')) {
        const QString limpia = Recorta(d);
        if (limpia.isEmpty())
            continue;
        if (ocultos)
            argumentos << QStringLiteral("--bcc");
        argumentos << limpia;
    }
    const auto pid = plataforma::Lanza(QStringLiteral("xdg-email"), argumentos, false);
    if (!pid)
        return -1;
    // xdg-email hands the message over and ends; with some mail programs it
    // stays until the program closes, and then the message is already shown.
    QElapsedTimer reloj;
    reloj.start();
    while (reloj.elapsed() < 15000) {
        if (const auto estado = plataforma::Termino(*pid))
            return *estado;
        EsperaPintando(50);
    }
    plataforma::Abandona(*pid);
    return 0;
}
