#pragma once
// Facts of the operating system and of the program's files.
#include <QString>
#include <optional>

// Deletes every ordinary file (not hidden, not a directory, link to a
// directory, device or socket) of `directorio` whose name matches the
// wildcard `mascara`, letter case ignored.
void BorraFicheros(const QString& directorio, const QString& mascara);

struct TVersionFichero {
    int mayor = 0;
    int menor = 0;
    int revision = 0;
    int compilacion = 0;
};

// The version of a program file: the program's own file carries the version
// it was built with; any other file has none.
std::optional<TVersionFichero> VersionFichero(const QString& fichero);

// "Versión %d.%d%d" of major, minor and release: 2.0.5 gives "Versión 2.05".
QString TextoVersion(const TVersionFichero& version);

// The operating system's name: on Linux the PRETTY_NAME of os-release.
QString NombreSistemaOperativo();
