#include "USistema.h"
#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

void BorraFicheros(const QString& directorio, const QString& mascara)
{
    // Without QDir::Hidden and QDir::System: no hidden files, no devices,
    // sockets or dangling links. Name filters ignore case unless told not to.
    QDir dir(directorio, mascara, QDir::NoSort, QDir::Files);
    for (const QString& nombre : dir.entryList())
        dir.remove(nombre);
}

std::optional<TVersionFichero> VersionFichero(const QString& fichero)
{
    const QString propio = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString pedido = QFileInfo(fichero).canonicalFilePath();
    if (pedido.isEmpty() || pedido != propio)
        return std::nullopt;
    const QStringList partes = QStringLiteral(QD_VERSION).split(u'.');
    TVersionFichero v;
    int* const campos[] = {&v.mayor, &v.menor, &v.revision, &v.compilacion};
    for (qsizetype i = 0; i < partes.size() && i < 4; ++i)
        *campos[i] = partes.at(i).toInt();
    return v;
}

QString TextoVersion(const TVersionFichero& version)
{
    return QString::asprintf("Versión %d.%d%d", version.mayor, version.menor, version.revision);
}

QString NombreSistemaOperativo()
{
    return plataforma::NombreSistema();
}
