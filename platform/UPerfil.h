#pragma once
#include "EUtilesError.h"

#include <QString>
#include <QStringList>

// The program's places on this machine and its profile (INI) files.
//
// Program directory (CaminoPrograma): the executable's directory, or the
// environment variable QUORUMDESK_HOME. Configuration folder, where profile
// files are opened by bare name: QUORUMDESK_CONFIG_DIR, else the user's
// configuration folder + "/quorumdesk". Profile file names are matched
// without regard to letter case, so "quorumdesk.ini" and "QuorumDesk.ini" are
// one file.
QString CarpetaPrograma();
QString CarpetaConfiguracion();
QString FicheroPerfil(const QString& nombre);

// The file named `nombre` in `carpeta`, letter case ignored; empty when none.
QString BuscaFichero(const QString& carpeta, const QString& nombre);

// A profile file: sections and keys matched without regard to case; lines it
// does not understand are kept as they are and ignored.
class TIniFile {
public:
    // The largest profile file read (bytes); a longer one is refused with
    // EUtilesError.
    static constexpr qint64 kMaximoPerfil = 1024 * 1024;
    explicit TIniFile(const QString& fichero);
    QString ReadString(const QString& seccion, const QString& clave, const QString& defecto) const;
    // Writes at once; throws EUtilesError when the file cannot be written.
    void WriteString(const QString& seccion, const QString& clave, const QString& valor);
    bool SectionExists(const QString& seccion) const;
    // Makes the file readable and writable by its owner only (it holds a
    // password); later writes keep that.
    void HazPrivado();
    // Removes the section with its keys; nothing happens when there is none.
    void EraseSection(const QString& seccion);
    QString Fichero() const { return fichero_; }

private:
    void Lee();
    void Guarda();
    QString fichero_;
    QStringList lineas_;
};
