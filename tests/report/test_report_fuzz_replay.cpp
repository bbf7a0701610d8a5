// Replays the format loader's fuzzing corpus and the supplied formats: every
// input loads or is refused with a clear error, and nothing crashes.
#include "fuzz/FuzzReportFormat.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TEST(ReportFuzzReplay, CorpusAndSuppliedFormats)
{
    const QString src = qEnvironmentVariable("QD_SOURCE_DIR");
    int files = 0;
    for (const QString& folder : {QStringLiteral("/tests/report/data/fuzz-corpus"), QStringLiteral("/report/supplied")}) {
        const QDir dir(src + folder);
        for (const QFileInfo& fi : dir.entryInfoList(QDir::Files)) {
            QFile f(fi.filePath());
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << fi.filePath().toStdString();
            const QByteArray bytes = f.readAll();
            const QString fault =
                qdrfuzz::checkFormatBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
            EXPECT_TRUE(fault.isEmpty()) << fi.fileName().toStdString() << ": " << fault.toStdString();
            ++files;
        }
    }
    EXPECT_GE(files, 10);
}
