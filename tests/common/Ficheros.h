#pragma once
// Files of a test's own: written whole, read whole.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace qdtest {

inline void EscribeFichero(const QString& ruta, const QByteArray& datos)
{
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << ruta.toStdString();
    ASSERT_EQ(f.write(datos), datos.size()) << ruta.toStdString();
}

// The whole file; empty when it cannot be read.
inline QByteArray LeeFichero(const QString& ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace qdtest
