// A backup of the program's database with 100 000 owners (two properties
// each), set against the standard tool's backup ("gbak -b") of the same file
// in the same run: the backup alone, and the backup with its verification
// (restored aside, every table compared). Three rounds of each, the first
// included; the figures are the totals' ratios. Asserts nothing.
#include "FIBDatabase.h"
#include "FIBService.h"
#include "Medidas.h"
#include "SesionBench.h"
#include "UCopias.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString base = qdbench::BaseSintetica(dir, 100000);
    const QStringList params{QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=masterkey")};
    const QString fbk = dir.filePath(QStringLiteral("medida.fbk"));
    const QString copias = dir.filePath(QStringLiteral("copias"));
    constexpr int kRondas = 3;
    double gbak = 0, copia = 0, verificada = 0;
    for (int i = 0; i < kRondas; ++i) {
        // Each in turn, so that the file's pages are as warm for one as for the other.
        gbak += qdbench::Mejor(1, [&] {
            if (QProcess::execute(QStringLiteral("gbak"), {QStringLiteral("-b"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), base, fbk}) != 0)
                std::printf("gbak failed\n");
        });
        QFile::remove(fbk);
        TFIBDatabase db;
        db.SetDBName(base);
        db.SetDBParams(params);
        copia += qdbench::Mejor(1, [&] { BackupDatabase(db, fbk); });
        QFile::remove(fbk);
        db.Open();
        verificada += qdbench::Mejor(1, [&] { HazCopia(db, copias); });
        db.Close();
        QDir(copias).removeRecursively();
    }
    std::printf("gbak -b: %.0f ms\n", gbak / kRondas);
    std::printf("backup: %.0f ms\n", copia / kRondas);
    std::printf("backup and verification: %.0f ms\n", verificada / kRondas);
    std::printf("backup / gbak -b: %.2f ratio (goal <= 1.1)\n", copia / gbak);
    std::printf("backup and verification / gbak -b: %.2f ratio (goal <= 2.5)\n", verificada / gbak);
    return 0;
}
