#pragma once
// The program's session opened on a benchmark's database as the program opens
// it: the profile in QUORUMDESK_CONFIG_DIR points at it, the environment
// starts afresh, warnings are printed.
#include "CreaBaseDatos.h"
#include "UDMMain.h"
#include "UPerfil.h"

#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace qdbench {

// The program's folders in `dir` and there a database of one community of
// `propietarios` owners with two properties each (forced writes off: a
// throw-away database); its path.
inline QString BaseSintetica(const QTemporaryDir& dir, int propietarios)
{
    qputenv("QUORUMDESK_HOME", dir.path().toUtf8());
    qputenv("QUORUMDESK_CONFIG_DIR", dir.filePath(QStringLiteral("cfg")).toUtf8());
    const QString base = dir.filePath(QStringLiteral("quorumdesk.fdb"));
    TOpcionesBD o;
    o.Contenido = TContenidoBD::Sintetica;
    o.Comunidades = 1;
    o.Propietarios = propietarios;
    o.Fincas = 2;
    o.ForcedWrites = false;
    CreaBaseDatos(base, o);
    return base;
}

inline bool AbreSesion(TDMMain& sesion, const QString& base)
{
    TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini"))).WriteString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), base);
    Entorno = TREntorno{};
    DMMain = &sesion;
    return sesion.DataModuleCreate({.Aviso = [](const QString& texto, bool) { std::printf("%s\n", qPrintable(texto)); },
                                    .PideCamino = [](const QString&) -> std::optional<QString> { return std::nullopt; },
             .PrimerArranque = {},
             .PideClave = {}});
}

} // namespace qdbench
