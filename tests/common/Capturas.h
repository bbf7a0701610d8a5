#pragma once
// Pictures of the screens for the user guide, taken while the tests drive
// them, when asked for: QD_CAPTURAS names the folder they go to.
#include <QString>
#include <QWidget>

namespace qdtest {

inline void Captura(const QString& nombre, QWidget* w)
{
    const QString carpeta = qEnvironmentVariable("QD_CAPTURAS");
    if (!carpeta.isEmpty())
        w->grab().save(carpeta + QLatin1Char('/') + nombre + QStringLiteral(".png"));
}

} // namespace qdtest
