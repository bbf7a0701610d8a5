#include "UFicheros.h"
#include "FIBError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
QString Megas(qint64 bytes) { return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024)); }
} // namespace

QByteArray LeeFicheroAcotado(const QString& fichero, qint64 maximo)
{
    const QString nombre = QDir::toNativeSeparators(fichero);
    const QFileInfo info(fichero);
    if (!info.exists())
        throw EAviso(QStringLiteral("No se puede abrir el fichero %1").arg(nombre));
    if (!info.isFile())
        throw EAviso(QStringLiteral("%1 no es un fichero corriente (es una carpeta, un dispositivo o una tubería) "
                                    "y no se lee.")
                         .arg(nombre));
    const auto demasiado = [&] {
        return EAviso(QStringLiteral("El fichero %1 pasa del tamaño máximo de %2 MB y no se lee.")
                          .arg(nombre, Megas(maximo)));
    };
    if (info.size() > maximo)
        throw demasiado();
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly))
        throw EAviso(QStringLiteral("No se puede abrir el fichero %1").arg(nombre));
    // One byte more than allowed tells a file that grew since it was looked at.
    QByteArray datos = f.read(maximo + 1);
    if (datos.size() > maximo)
        throw demasiado();
    return datos;
}
