#pragma once
// Outside programs some tests need (LibreOffice, NSS's tools, pdfsig): a
// test without them is skipped on a developer's machine and fails under CI,
// where the packages are installed.
#include <QStandardPaths>
#include <QString>
#include <gtest/gtest.h>
#include <initializer_list>

namespace qdtest {

inline bool FaltaPrograma(std::initializer_list<const char*> programas)
{
    for (const char* p : programas) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(p)).isEmpty())
            continue;
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            ADD_FAILURE() << p << " is not installed";
        return true;
    }
    return false;
}

} // namespace qdtest
