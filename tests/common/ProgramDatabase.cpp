#include "ProgramDatabase.h"
#include "CreaBaseDatos.h"
#include "TestDatabase.h"

namespace qdtest {

QString FreshProgramDatabase(bool demo)
{
    return FreshDatabaseFrom(demo ? QStringLiteral("program-demo") : QStringLiteral("program"), [demo](const QString& path) {
        TOpcionesBD o;
        o.ForcedWrites = false;
        o.Contenido = demo ? TContenidoBD::Demo : TContenidoBD::Vacia;
        CreaBaseDatos(path, o);
    });
}

} // namespace qdtest
