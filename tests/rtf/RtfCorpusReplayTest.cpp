// Every RTF file the tests and the fuzzer have collected goes through the same
// check as a fuzzer input, so a plain build covers them: the test corpus, the
// fuzzer's seeds and the inputs of past fuzzer findings.

#include "RtfFuzzCheck.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TEST(RtfCorpusReplay, EveryCollectedInputPassesTheFuzzCheck)
{
    const QString root = qEnvironmentVariable("QD_SOURCE_DIR");
    int files = 0;
    for (const QString& folder : {QStringLiteral("/tests/rtf/data"), QStringLiteral("/fuzz/rtf/seeds"),
                                  QStringLiteral("/fuzz/rtf/regressions")}) {
        const QDir dir(root + folder);
        for (const QString& name : dir.entryList(QDir::Files)) {
            if (name.endsWith(QLatin1String(".txt")) || name.startsWith(u'.'))
                continue;
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
            EXPECT_EQ(RtfFuzz::checkInput(f.readAll()).toStdString(), "") << (folder + u'/' + name).toStdString();
            ++files;
        }
    }
    EXPECT_GE(files, 20) << "the corpus was not found under " << root.toStdString();
}
