// Plain values into RTF: escaping and merge fields.

#include "RtfReader.h"
#include "RtfTestUtil.h"
#include "RtfText.h"

#include <QTextDocument>

#include <gtest/gtest.h>

using RtfTest::describe;
using RtfTest::rawText;

namespace {

QString readRaw(const QByteArray& rtf)
{
    QTextDocument doc;
    Rtf::read(rtf, doc);
    return rawText(doc);
}

QString readDescribed(const QByteArray& rtf)
{
    QTextDocument doc;
    Rtf::read(rtf, doc);
    return describe(doc);
}

} // namespace

TEST(RtfEscape, Values)
{
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"{Sala} 3\\B", R"(\{Sala\} 3\\B)"},
        {u"Peña", R"(Pe\u241\'f1a)"},
        {u"1.250 €", R"(1.250 \u8364\'80)"},
        {u"Ω", R"(\u937?)"},
        {u"\U0001F600", R"(\u-10179?\u-8704?)"},
        {u"a\nb\r\nc\rd", R"(a\par b\par c\par d)"},
        {u"a\tb", R"(a\tab b)"},
        {u"\\par", R"(\\par)"},
        {u"a\u0001\u007Fb", "ab"},
    };
    for (const auto& [value, rtf] : cases)
        EXPECT_EQ(Rtf::escapeText(QString::fromUtf16(value)).toStdString(), rtf);
}

TEST(RtfEscape, ValuesReadBackAsTyped)
{
    for (const char16_t* value : {u"{Sala} 3\\B", u"Peña", u"C/ Mayor, 5 - 2º B", u"«Ñandú» 1.250 € ∑ Ω \U0001F600",
                                  u"\\par \\b {", u"}}}", u"línea 1\nlínea 2", u"a\tb", u"1234", u""}) {
        const QString v = QString::fromUtf16(value);
        const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}\\f0 <" + Rtf::escapeText(v) + ">\\par}";
        EXPECT_EQ(readRaw(rtf).toStdString(), (u'<' + v + u'>').toStdString());
    }
}

TEST(RtfMerge, FieldOfTheStarterDocument)
{
    const QByteArray doc = RtfTest::dataFile(QStringLiteral("qd-campos.rtf"));
    int count = -1;
    const QByteArray merged = Rtf::replaceField(doc, u"[Lugar]", u"{Sala} 3\\B", &count);
    EXPECT_EQ(count, 1);
    QString expected = readRaw(doc);
    expected.replace(QStringLiteral("[Lugar] –"), QStringLiteral("{Sala} 3\\B –"));
    EXPECT_EQ(readRaw(merged).toStdString(), expected.toStdString());
}

TEST(RtfMerge, EveryOccurrenceOnceWithoutRescanning)
{
    int count = 0;
    const QByteArray merged =
        Rtf::replaceField(R"({\rtf1 [Lugar] y {\b [Lugar]} [[Lugar]]})", u"[Lugar]", u"[Lugar][Lugar]", &count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(readRaw(merged).toStdString(), "[Lugar][Lugar] y [Lugar][Lugar] [[Lugar][Lugar]]");
}

TEST(RtfMerge, FieldSplitByFormattingAsWordWritesIt)
{
    // Word split "[Lugar]" in two runs with their own revision ids; the value
    // takes the first run's formatting and the rest of the document is intact.
    const QByteArray doc = RtfTest::dataFile(QStringLiteral("word-carta.rtf"));
    ASSERT_FALSE(doc.contains("[Lugar]"));
    int count = 0;
    const QByteArray merged = Rtf::replaceField(doc, u"[Lugar]", u"Peña Hall", &count);
    EXPECT_EQ(count, 1);
    QString expected = readDescribed(doc);
    expected.replace(QStringLiteral("\"[Lugar]\" Calibri 11.0 italic"), QStringLiteral("\"Peña Hall\" Calibri 11.0 italic"));
    EXPECT_EQ(readDescribed(merged).toStdString(), expected.toStdString());
}

TEST(RtfMerge, WhatIsNotTheField)
{
    // Broken by a paragraph, a tab, other text, a \u character (or its
    // fallback), the edge of a \upr group; inside font names, {\*...} groups,
    // field codes and pictures.
    const QByteArray doc = R"({\rtf1{\fonttbl{\f0 [Lugar];}}{\*\bkmkstart [Lugar]}[Lu\par gar] [Lu\tab gar] [Lu{x}gar] [Lu\u103?ar] )"
                           R"([\u241[Lugar] [Lu{\upr{x}{\*\ud{x}}}gar] [Lu{\upr{gar]}{\*\ud{gar]}}} )"
                           R"({\field{\*\fldinst [Lugar]}{\fldrslt r}}{\pict\pngblip [Lugar]} ok[Lugar]})";
    int count = 0;
    const QByteArray merged = Rtf::replaceField(doc, u"[Lugar]", u"X", &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(merged, QByteArray(doc).replace("ok[Lugar]", "okX"));
}

TEST(RtfMerge, BothHalvesOfUpr)
{
    // Readers that take the \ud half and older ones that take the ANSI half
    // both show the value.
    int count = 0;
    const QByteArray merged = Rtf::replaceField(R"({\rtf1 {\upr{[Lugar] 1\'ba}{\*\ud{[Lugar] 1\u186\'ba}}} fin})",
                                                u"[Lugar]", u"Peña", &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(merged.toStdString(), R"({\rtf1 {\upr{Pe\u241\'f1a 1\'ba}{\*\ud{Pe\u241\'f1a 1\u186\'ba}}} fin})");
    EXPECT_EQ(readRaw(merged).toStdString(), "Peña 1º fin");
}

TEST(RtfMerge, ValueFitsWhereItGoes)
{
    struct Case {
        const char* what;
        QByteArray doc;
        const char16_t* value;
        const char* text;
    };
    const Case cases[] = {
        {"control word right before the field", R"({\rtf1 \b[Lugar]})", u"Peña", "Peña"},
        {"control word inside the field before a digit", R"({\rtf1 {\i [Lugar\i0]5}})", u"Peña", "Peña5"},
        {"\\uc0 in force", R"({\rtf1\uc0 [Lugar]5})", u"ñ", "ñ5"},
        {"\\uc2 in force", R"({\rtf1\uc2 [Lugar]xy})", u"Ω", "Ωxy"},
        {"escapes inside the field", R"({\rtf1 [Lug\'61r]})", u"v", "v"},
        {"plain text, not RTF", "Lugar: [Lugar].", u"aquí", "Lugar: aqu\\u237\\'ed."},
    };
    for (const Case& c : cases) {
        const QByteArray merged = Rtf::replaceField(c.doc, u"[Lugar]", QString::fromUtf16(c.value));
        if (Rtf::isRtf(merged))
            EXPECT_EQ(readRaw(merged).toStdString(), c.text) << c.what;
        else
            EXPECT_EQ(merged.toStdString(), c.text) << c.what;
    }
    EXPECT_EQ(readDescribed(Rtf::replaceField(R"({\rtf1 {\i [Lugar\i0]5}})", u"[Lugar]", u"P")).toStdString(),
              "P\n  \"P\" 12.0 italic\n  \"5\" 12.0\n");
}

TEST(RtfMerge, RtfFragments)
{
    // A generated list goes in as it is; one that ends in a control word does
    // not swallow the text after the field.
    EXPECT_EQ(readRaw(Rtf::replaceFieldRtf(R"({\rtf1 A[Asistentes]B})", u"[Asistentes]", R"(\par Uno\par)")).toStdString(),
              "A\nUno\nB");
    EXPECT_EQ(readRaw(Rtf::replaceFieldRtf(R"({\rtf1 A[Asistentes]B})", u"[Asistentes]", R"(\par x\\)")).toStdString(),
              "A\nx\\B");
}

TEST(RtfMerge, NothingToReplace)
{
    const QByteArray doc = RtfTest::dataFile(QStringLiteral("lo-tabla.rtf"));
    int count = -1;
    EXPECT_EQ(Rtf::replaceField(doc, u"[Lugar]", u"x", &count), doc);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Rtf::replaceField(doc, u"", u"x", &count), doc);
    EXPECT_EQ(count, 0);
}

TEST(RtfMerge, FirstOccurrenceOfEachFieldInOnePass)
{
    int count = -1;
    const QByteArray merged = Rtf::replaceFirstFields(
        R"({\rtf1\uc2 [B] {\b [A]} [A] [B][C]})",
        {{u"[A]", u"[B] é"}, {u"[B]", u"{x}"}, {u"[D]", u"nunca"}}, &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(readRaw(merged).toStdString(), "{x} [B] é [A] [B][C]")
        << "only the first of each, values never taken for fields";
    EXPECT_TRUE(merged.contains("\\u233??")) << "the fallback follows \\uc2: " << merged.toStdString();
    EXPECT_EQ(Rtf::replaceFirstFields(R"({\rtf1 [Lu{\i ga}r]})", {{u"[Lugar]", u"Sala"}}, &count), R"({\rtf1 Sala{\i }})");
    EXPECT_EQ(count, 1) << "a field split by formatting";
}
