// Writing RTF: what is written reads back the same, here and in LibreOffice
// Writer, in plain ASCII with the code page it declares.

#include "RtfReader.h"
#include "RtfTestUtil.h"
#include "RtfWriter.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <gtest/gtest.h>

using RtfTest::describe;

namespace {

QString roundTrip(const QTextDocument& doc)
{
    QTextDocument again;
    Rtf::read(Rtf::write(doc), again);
    return describe(again);
}

} // namespace

TEST(RtfWrite, SampleDocumentReadsBackTheSame)
{
    QTextDocument doc;
    RtfTest::buildSampleDocument(doc);
    EXPECT_EQ(roundTrip(doc).toStdString(), describe(doc).toStdString());
}

// qd-escrito.rtf is this writer's output for the sample document, and
// lo-reescrito.rtf what LibreOffice Writer saved after opening it (made by
// data/src/make-corpus.sh): Writer read the same text and formatting. When
// the writer's output changes, the new output must go through Writer again.
TEST(RtfWrite, LibreOfficeReadsTheSameDocument)
{
    QTextDocument sample;
    RtfTest::buildSampleDocument(sample);
    const QByteArray written = Rtf::write(sample);
    if (written != RtfTest::dataFile(QStringLiteral("qd-escrito.rtf"))) {
        const QString path = qEnvironmentVariable("QD_BINARY_DIR") + QStringLiteral("/qd-escrito.rtf");
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(written);
        ADD_FAILURE() << "the writer's output changed: copy " << path.toStdString()
                      << " to tests/rtf/data/ and run tests/rtf/data/src/make-corpus.sh";
    }
    for (const char* name : {"qd-escrito.rtf", "lo-reescrito.rtf"}) {
        QTextDocument doc;
        Rtf::read(RtfTest::dataFile(QString::fromLatin1(name)), doc);
        EXPECT_EQ(describe(doc).toStdString(), describe(sample).toStdString()) << name;
    }
}

class RtfCorpusRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(RtfCorpusRoundTrip, ReadsBackTheSame)
{
    QTextDocument doc;
    Rtf::read(RtfTest::dataFile(QString::fromLatin1(GetParam()) + QStringLiteral(".rtf")), doc);
    EXPECT_EQ(roundTrip(doc).toStdString(), describe(doc).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Files, RtfCorpusRoundTrip,
                         testing::Values("lo-carta", "lo-tabla", "lo-imagen", "lo-notas", "lo-texto", "word-carta",
                                         "wordpad-notas", "qd-campos"));

TEST(RtfWrite, AsciiOutputInTheDeclaredCodePage)
{
    QTextDocument doc;
    RtfTest::buildSampleDocument(doc);
    const QByteArray rtf = Rtf::write(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082\\uc1"));
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) { return c > 0 && c < 0x7F; }));
    EXPECT_TRUE(rtf.contains("Pe\\'f1a"));           // Windows-1252 characters as \'xx
    EXPECT_TRUE(rtf.contains("\\u8721?"));           // others as \uN with a fallback
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?")); // beyond 16 bits as a surrogate pair
    EXPECT_TRUE(rtf.contains("\\\\\\{llaves\\}"));
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\')
            ++i;
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth == 0) {
            EXPECT_EQ(i, rtf.size() - 2) << "the document's group closes at the end";
        }
    }
    EXPECT_EQ(depth, 0);
}

TEST(RtfWrite, PicturesKeepTheirEncoding)
{
    // A picture read from RTF is written with its own bytes (LibreOffice's
    // PNG here, which Qt would encode otherwise); a picture the document got
    // elsewhere is written as PNG.
    const QByteArray lo = RtfTest::dataFile(QStringLiteral("lo-imagen.rtf"));
    const qsizetype at = lo.indexOf("\\pngblip");
    const QByteArray hex = lo.mid(lo.indexOf('\n', at) + 1, 128); // signature, header and data
    QTextDocument doc;
    Rtf::read(lo, doc);
    EXPECT_TRUE(Rtf::write(doc).contains(hex));

    QTextDocument sample;
    RtfTest::buildSampleDocument(sample);
    EXPECT_TRUE(Rtf::write(sample).contains("{\\pict\\pngblip\\picw20\\pich10\\picwgoal600\\pichgoal300\n89504e47"));
}

TEST(RtfWrite, EmptyDocument)
{
    QTextDocument doc;
    QTextDocument again;
    Rtf::read(Rtf::write(doc), again);
    EXPECT_EQ(again.blockCount(), 1);
    EXPECT_TRUE(again.isEmpty());
}

TEST(RtfWrite, PageBreakAfterABlockBreaksBeforeTheNext)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("uno"));
    QTextBlockFormat after;
    after.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysAfter);
    c.setBlockFormat(after);
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("dos"));
    QTextDocument again;
    Rtf::read(Rtf::write(doc), again);
    ASSERT_EQ(again.blockCount(), 2);
    EXPECT_FALSE(again.begin().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_TRUE(again.lastBlock().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
}

TEST(RtfWrite, ListItemsKeepTheirLabels)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.createList(QTextListFormat::ListDecimal);
    c.insertText(QStringLiteral("uno"));
    c.insertBlock();
    c.insertText(QStringLiteral("dos"));
    QTextDocument again;
    Rtf::read(Rtf::write(doc), again);
    EXPECT_EQ(RtfTest::rawText(again).toStdString(), "1.\tuno\n2.\tdos");
}

TEST(RtfWrite, TableThatOpensTheDocument)
{
    // QTextDocument keeps an empty block before such a table; it is no
    // paragraph of the text.
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextTable* t = c.insertTable(1, 2);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("Liberation Sans")});
    t->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("a"), f);
    t->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("b"), f);
    const QByteArray rtf = Rtf::write(doc);
    EXPECT_FALSE(rtf.left(rtf.indexOf("\\trowd")).contains("\\par"));
    EXPECT_EQ(roundTrip(doc).toStdString(), describe(doc).toStdString());
}
