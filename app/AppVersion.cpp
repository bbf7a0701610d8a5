#include "AppVersion.h"

QString VersionPrograma()
{
    return QStringLiteral(QD_VERSION);
}
