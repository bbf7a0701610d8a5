#include "UCorreo.h"
#include "Platform.h"
#include "UProcesos.h"
#include "UTextos.h"

#include <QDir>
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

QString ExplicaCorreo(int estado, const QString& adjunto)
{
    if (estado == 0)
        return {};
    const QString donde = adjunto.isEmpty()
                              ? QString()
                              : QStringLiteral("\rEl documento está en %1: puede adjuntarlo a un mensaje a mano.")
                                    .arg(QDir::toNativeSeparators(QFileInfo(adjunto).absoluteFilePath()));
    // xdg-email's status 3: a tool it needs, the mail program, is missing.
    if (estado == -1 || estado == 3)
        return QStringLiteral("No hay ningún programa de correo configurado en este equipo, así que el mensaje no se "
                              "ha podido preparar.") +
               donde +
               QStringLiteral("\rPara enviar desde el programa, instale un programa de correo y elíjalo como "
                              "aplicación de correo predeterminada en la configuración del escritorio%1.")
                   .arg(estado == -1 ? QStringLiteral(" (hace falta también la orden xdg-email, del paquete xdg-utils)")
                                     : QString());
    return QStringLiteral("El programa de correo no ha aceptado el mensaje (código %1).").arg(estado) + donde;
}
