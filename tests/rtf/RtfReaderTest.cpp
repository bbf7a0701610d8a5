// Reading RTF: documents written by LibreOffice Writer and in the manner of
// Word and WordPad, the parts of the format one by one, damaged input, and
// the bounds of what a stored document may cost.

#include "RtfReader.h"
#include "RtfTestUtil.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

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

QString errorOf(const QByteArray& rtf, const Rtf::ReadLimits& limits = {})
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old content"));
    try {
        Rtf::read(rtf, doc, limits);
    } catch (const Rtf::ERtfError& e) {
        EXPECT_TRUE(doc.isEmpty()) << "a failed read leaves the document empty";
        return e.message();
    }
    return QString();
}

} // namespace

// Every corpus file reads into the text and formatting described in the .txt
// file beside it (written out and checked by hand against the documents).
class RtfCorpusRead : public testing::TestWithParam<const char*> {};

TEST_P(RtfCorpusRead, GivesTheExpectedTextAndFormatting)
{
    const QString name = QString::fromLatin1(GetParam());
    QTextDocument doc;
    Rtf::read(RtfTest::dataFile(name + QStringLiteral(".rtf")), doc);
    EXPECT_EQ(describe(doc).toStdString(), QString::fromUtf8(RtfTest::dataFile(name + QStringLiteral(".txt"))).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Files, RtfCorpusRead,
                         testing::Values("lo-carta",      // paragraphs, character formats, tabs, page break
                                         "lo-tabla",      // table with a merged row and shaded header
                                         "lo-imagen",     // picture inside a shape field
                                         "lo-notas",      // heading, list labels, table, page break
                                         "lo-texto",      // plain text converted by Writer
                                         "word-carta",    // Word: rsid groups, themes, shppict, tables, header
                                         "wordpad-notas", // WordPad: \pntext, \uc2, fcharset204, metafile
                                         "qd-campos"));   // the program's own starter document

struct TextCase {
    const char* what;
    const char* rtf;
    const char16_t* text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.what; }

class RtfTextRead : public testing::TestWithParam<TextCase> {};

TEST_P(RtfTextRead, GivesTheCharacters)
{
    EXPECT_EQ(readRaw(GetParam().rtf).toStdString(), QString::fromUtf16(GetParam().text).toStdString())
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfTextRead,
    testing::Values(
        TextCase{"\\u with one fallback", R"({\rtf1\ansi\uc1 a\u241?b})", u"añb"},
        TextCase{"\\uc0: no fallback, blank delimiter", R"({\rtf1\ansi\uc0 a\u241 b})", u"añb"},
        TextCase{"\\uc2 skips an escape and a character", R"({\rtf1\ansi\uc2 a\u8364\'80\'80b})", u"a€b"},
        TextCase{"negative \\u", R"({\rtf1\ansi a\u-3913?b})", u"a\uF0B7b"},
        TextCase{"surrogate pair", R"({\rtf1\ansi \u-10179?\u-8704?})", u"\U0001F600"},
        TextCase{"lone surrogate", R"({\rtf1\ansi a\u-10179?b})", u"a\uFFFDb"},
        TextCase{"\\uc is scoped to its group", R"({\rtf1\ansi{\uc0 x}\u937?y})", u"xΩy"},
        TextCase{"a group ends the fallback", R"({\rtf1\ansi\uc2 \u937{a}b})", u"Ωab"},
        TextCase{"the fallback may be a control word", R"({\rtf1\ansi \u937\tab x})", u"Ωx"},
        TextCase{"huge \\u and \\uc", R"({\rtf1\ansi \uc99999999999 \u99999999999999999999 a{b}c})", u"\uFFFDbc"},
        TextCase{"\\ansicpg1251", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0})", u"Пр"},
        TextCase{"font character set beats the document page",
                 R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 A;}{\f1\fcharset161 B;}}\f0\'e1\f1\'e1})", u"áα"},
        TextCase{"\\mac", R"({\rtf1\mac \'96})", u"ñ"},
        TextCase{"\\pc", R"({\rtf1\pc \'a4})", u"ñ"},
        TextCase{"\\ansicpg65001", R"({\rtf1\ansi\ansicpg65001 \'c3\'b1})", u"ñ"},
        TextCase{"Shift-JIS font", R"({\rtf1\ansi{\fonttbl{\f0\fcharset128 MS Mincho;}}\f0\'93\'fa\'96\'7b})", u"日本"},
        TextCase{"raw bytes in the document page", "{\\rtf1\\ansi Pe\xf1" "a \x80}", u"Peña €"},
        TextCase{"escaped specials", R"({\rtf1 \\ \{x\} a\~b\-c\_d})", u"\\ {x} a\u00A0b\u00ADc\u2011d"},
        TextCase{"named characters",
                 R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote\emspace\enspace})",
                 u"—–•‘’“”\u2003\u2002"},
        TextCase{"line, tab, paragraph", R"({\rtf1 a\line b\tab c\par d})", u"a\u2028b\tc\nd"},
        TextCase{"backslash before a line end is a paragraph", "{\\rtf1 a\\\nb}", u"a\nb"},
        TextCase{"CR and LF are not text", "{\\rtf1 a\r\nb\nc}", u"abc"},
        TextCase{"a final \\par adds no empty paragraph", R"({\rtf1 a\par b\par })", u"a\nb"},
        TextCase{"empty paragraphs are kept", R"({\rtf1 a\par\par b})", u"a\n\nb"},
        TextCase{"destinations without text", R"({\rtf1{\info{\title X}}{\stylesheet{\s0 N;}}{\header H}{\footnote F}A{\*\bkmkstart b}B{\*\unknown Y}})",
                 u"AB"},
        TextCase{"an unknown destination without \\* is text", R"({\rtf1 {\xyzzy Q}R})", u"QR"},
        TextCase{"hidden text", R"({\rtf1 a{\v b}c\v d\v0 e})", u"ace"},
        TextCase{"list labels are text", R"({\rtf1 {\listtext 1.\tab}uno\par {\pntext\'b7\tab}dos\par {\*\pn{\pntxtb\'b7}}tres})",
                 u"1.\tuno\n·\tdos\ntres"},
        TextCase{"field result, not its code", R"({\rtf1 {\field{\*\fldinst PAGE }{\fldrslt 7}} de 9})", u"7 de 9"},
        TextCase{"control characters and the document's own marks are dropped",
                 "{\\rtf1 a\x01\x7f\\u64976?\\u65532?\\u1?b\\u8233?c}", u"ab\u2028c"},
        TextCase{"\\bin data outside a picture is not text", "{\\rtf1 a\\bin3 x{}c}", u"ac"},
        // \upr: the \ud half is read, the ANSI half for older readers is not.
        TextCase{"\\upr: the Unicode half, once", R"({\rtf1\ansi {\upr{rep\'f1o}{\*\ud{rep\u241\'f1o}}} fin\par})",
                 u"repño fin"},
        TextCase{"\\upr: paragraphs and \\uc of the Unicode half",
                 R"({\rtf1 a{\upr{\uc0 b\par c}{\*\ud{\uc2 b\u937\'3f\'3f\par c}}}d})", u"ab\u03A9\ncd"},
        TextCase{"\\upr: text beside the halves is not read", R"({\rtf1 a{\upr x{y}{\*\ud{z}}}b})", u"azb"},
        TextCase{"\\ud outside \\upr is an unknown destination", R"({\rtf1 a{\*\ud b}c})", u"ac"}));

TEST(RtfRead, CharacterFormatting)
{
    const QString got = readDescribed(
        R"({\rtf1\ansi\deff0{\fonttbl{\f0\froman Times New Roman;}{\f1\fswiss Arial;}}{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}
\f0\fs24 n{\b b}{\i i}{\ul u}{\uldash d}{\ulwave w}{\strike s}{\f1\fs36 A}{\cf1 r}{\cf7 x}{\highlight2 h}{\super p}{\sub q}{\b\plain z}{\b\b0 o}{\fs0 f})");
    EXPECT_EQ(got.toStdString(), R"(P
  "n" Times New Roman 12.0
  "b" Times New Roman 12.0 bold
  "i" Times New Roman 12.0 italic
  "u" Times New Roman 12.0 underline1
  "d" Times New Roman 12.0 underline2
  "w" Times New Roman 12.0 underline6
  "s" Times New Roman 12.0 strike
  "A" Arial 18.0
  "r" Times New Roman 12.0 color=#ff0000
  "x" Times New Roman 12.0
  "h" Times New Roman 12.0 bg=#0000ff
  "p" Times New Roman 12.0 super
  "q" Times New Roman 12.0 sub
  "zof" Times New Roman 12.0
)");
}

TEST(RtfRead, UprTakesFormattingAndFontNamesFromTheUnicodeHalf)
{
    EXPECT_EQ(readDescribed(R"({\rtf1{\fonttbl{\upr{\f0 Pe?a;}{\*\ud{\f0 Pe\u241\'f1a;}}}}\f0 {\upr{\i x}{\*\ud{\b y}}}z})")
                  .toStdString(),
              "P\n  \"y\" Peña 12.0 bold\n  \"z\" Peña 12.0\n");
}

TEST(RtfRead, FontTableWithoutEntryGroups)
{
    EXPECT_EQ(readDescribed(R"({\rtf1{\fonttbl\f0\fswiss Arial;\f1\froman Times;}\f1 x})").toStdString(),
              "P\n  \"x\" Times 12.0\n");
}

TEST(RtfRead, ParagraphFormattingAppliesToTheWholeParagraph)
{
    // The properties in force at \par format the paragraph, wherever they
    // appear in it; \pard starts over.
    const QString got = readDescribed(
        R"({\rtf1 \qc\li300\ri150\fi-150\sb60\sa120 a\par \pard b\qr\par \pard\tx1500\tqr\tx6000\qj c\par \pard\pagebb d})");
    EXPECT_EQ(got.toStdString(), R"(P center left=20.0 right=10.0 indent=-10.0 top=4.0 bottom=8.0
  "a" 12.0
P right
  "b" 12.0
P justify tab0=100.0 tab1=400.0
  "c" 12.0
P pagebreak
  "d" 12.0
)");
}

TEST(RtfRead, PageBreaksAndSections)
{
    QTextDocument doc;
    Rtf::read(R"({\rtf1 a\page b\par c\par\page\par d\sect\sectd\sbknone e\sect\sectd f})", doc);
    std::vector<std::pair<QString, bool>> blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks.emplace_back(b.text(), bool(b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore));
    const std::vector<std::pair<QString, bool>> expected = {
        {QStringLiteral("a"), false}, {QStringLiteral("b"), true}, {QStringLiteral("c"), false},
        {QString(), true},            {QStringLiteral("d"), false}, {QStringLiteral("e"), false},
        {QStringLiteral("f"), true}};
    EXPECT_EQ(blocks, expected);
}

TEST(RtfRead, HyperlinkField)
{
    EXPECT_EQ(readDescribed(
                  R"({\rtf1 {\field{\*\fldinst {HYPERLINK "https://ejemplo.es/a" \\l "sec"}}{\fldrslt {\ul web}}} y})")
                  .toStdString(),
              "P\n  \"web\" 12.0 underline1 link=https://ejemplo.es/a#sec\n  \" y\" 12.0\n");
}

struct PictureCase {
    const char* what;
    QByteArray rtf;
    const char* described;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.what; }

class RtfPictureRead : public testing::TestWithParam<PictureCase> {};

TEST_P(RtfPictureRead, KeepsOrSkipsThePicture)
{
    EXPECT_EQ(readDescribed(GetParam().rtf).toStdString(), GetParam().described) << GetParam().what;
}

namespace {
const QByteArray kPng = RtfTest::pictGroup(20, 10, "PNG");
const char* const kWithImage = "P\n  \"a\" 12.0\n  [image 20.0x10.0 20x10]\n  \"b\" 12.0\n";
const char* const kWithoutImage = "P\n  \"ab\" 12.0\n";
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfPictureRead,
    testing::Values(
        PictureCase{"PNG", "{\\rtf1 a" + kPng + "b}", kWithImage},
        PictureCase{"JPEG", "{\\rtf1 a" + RtfTest::pictGroup(20, 10, "JPEG") + "b}", kWithImage},
        PictureCase{"DIB", "{\\rtf1 a" + RtfTest::pictGroup(20, 10, "DIB") + "b}", kWithImage},
        PictureCase{"\\bin data",
                    [] {
                        QByteArray hex = kPng.mid(kPng.indexOf(' ') + 1);
                        hex.chop(1);
                        const QByteArray raw = QByteArray::fromHex(hex);
                        return "{\\rtf1 a{\\pict\\pngblip\\picwgoal300\\pichgoal150\\bin" + QByteArray::number(raw.size())
                            + ' ' + raw + "}b}";
                    }(),
                    kWithImage},
        PictureCase{"Word: shppict is used, nonshppict is not",
                    "{\\rtf1 a{\\*\\shppict" + kPng + "}{\\nonshppict{\\pict\\wmetafile8 0100}}b}", kWithImage},
        PictureCase{"shape picture, its result not repeated",
                    "{\\rtf1 a{\\shp{\\*\\shpinst{\\sp{\\sn fillBlip}{\\sv " + kPng + "}}{\\sp{\\sn pib}{\\sv " + kPng
                        + "}}}{\\shprslt " + kPng + "}}b}",
                    kWithImage},
        PictureCase{"metafile left out", "{\\rtf1 a{\\pict\\wmetafile8\\picw100\\pich100 010009000003}b}", kWithoutImage},
        PictureCase{"damaged PNG left out", "{\\rtf1 a{\\pict\\pngblip 89504e470d0a1a0a0000}b}", kWithoutImage},
        PictureCase{"no data", "{\\rtf1 a{\\pict\\pngblip}b}", kWithoutImage}));

TEST(RtfRead, PicturesBeyondTheLimitsAreLeftOut)
{
    Rtf::ReadLimits limits;
    limits.maxPicturePixels = 199;
    QTextDocument doc;
    Rtf::read("{\\rtf1 a" + kPng + "b}", doc, limits);
    EXPECT_EQ(describe(doc).toStdString(), kWithoutImage);

    limits = Rtf::ReadLimits{};
    limits.maxPictureBytes = 50;
    Rtf::read("{\\rtf1 a" + kPng + "b}", doc, limits);
    EXPECT_EQ(describe(doc).toStdString(), kWithoutImage);

    limits = Rtf::ReadLimits{};
    limits.maxTotalPicturePixels = 300;
    Rtf::read("{\\rtf1 a" + kPng + kPng + "b}", doc, limits);
    EXPECT_EQ(describe(doc).toStdString(), kWithImage) << "the first picture fits, the second does not";
}

TEST(RtfRead, TableGridFromCellEdges)
{
    // Row 2 has one cell over the first two columns; row 3 merges vertically
    // with row 2 in the last column; row definitions after the content, as
    // Word writes them, count.
    const QString got = readDescribed(
        R"({\rtf1 \trowd\cellx1000\cellx2000\cellx3000\intbl a\cell b\cell c\cell\row
\trowd\cellx2000\clvmgf\cellx3000\intbl d\cell e\cell\row
\intbl f\cell g\cell\cell{\trowd\cellx1000\cellx2000\clvmrg\cellx3000\row}\pard after})");
    EXPECT_EQ(got.toStdString(), R"(P
TABLE 3x3
 CELL 0,0
  P
    "a" 12.0
 CELL 0,1
  P
    "b" 12.0
 CELL 0,2
  P
    "c" 12.0
 CELL 1,0 span=1x2
  P
    "d" 12.0
 CELL 1,2 span=2x1
  P
    "e" 12.0
 CELL 2,0
  P
    "f" 12.0
 CELL 2,1
  P
    "g" 12.0
P
  "after" 12.0
)");
}

TEST(RtfRead, TablesThatEndBadly)
{
    // No \row at the end; more cells than definitions; a cell without \intbl.
    EXPECT_EQ(readRaw(R"({\rtf1 \trowd\cellx1000\cellx2000\intbl a\cell b\cell})").toStdString(), "\na\nb\n");
    EXPECT_EQ(readRaw(R"({\rtf1 \trowd\cellx1000\intbl a\cell b\cell c\cell\row})").toStdString(), "\na\nb\nc\n");
    EXPECT_EQ(readRaw(R"({\rtf1 x\par a\cell\row y})").toStdString(), "x\na\ny");
    EXPECT_EQ(readRaw(R"({\rtf1 \row\row\cellx100\row z})").toStdString(), "\n\nz");
}

struct BoundCase {
    const char* what;
    QByteArray rtf;
    Rtf::ReadLimits limits;
    const char* error; // empty: the document is read
};

void PrintTo(const BoundCase& c, std::ostream* os) { *os << c.what; }

class RtfBounds : public testing::TestWithParam<BoundCase> {};

TEST_P(RtfBounds, RefusesOnlyBeyondTheBound)
{
    EXPECT_EQ(errorOf(GetParam().rtf, GetParam().limits).toStdString(), GetParam().error) << GetParam().what;
}

namespace {

QByteArray paragraphs(int n)
{
    return "{\\rtf1 " + QByteArray("\\par ").repeated(n) + "}";
}

QByteArray rowsOfFourCells(int rows)
{
    return "{\\rtf1 " + QByteArray("\\trowd\\cellx100\\cellx200\\cellx300\\cellx400\\row ").repeated(rows) + "}";
}

// One cell a row, each ending further right: the grid has a column per row.
QByteArray staircase(int rows)
{
    QByteArray rtf = "{\\rtf1 ";
    for (int r = 1; r <= rows; ++r)
        rtf += "\\trowd\\cellx" + QByteArray::number(r * 100) + "\\intbl x\\cell\\row ";
    return rtf + "}";
}

const char* const kTooManyCells = "El documento es demasiado grande para abrirlo (sus tablas tienen más de 100 celdas).";

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfBounds,
    testing::Values(
        BoundCase{"10 paragraphs", paragraphs(10), {.maxParagraphs = 10}, ""},
        BoundCase{"11 paragraphs", paragraphs(11), {.maxParagraphs = 10},
                  "El documento es demasiado grande para abrirlo (más de 10 párrafos)."},
        BoundCase{"a cell's paragraphs count", R"({\rtf1 \trowd\cellx100\intbl a\par b\par c\cell\row})",
                  {.maxParagraphs = 2}, "El documento es demasiado grande para abrirlo (más de 2 párrafos)."},
        BoundCase{"25 rows of 4 cells", rowsOfFourCells(25), {.maxTableCells = 100}, ""},
        BoundCase{"26 rows of 4 cells", rowsOfFourCells(26), {.maxTableCells = 100}, kTooManyCells},
        BoundCase{"a grid of 10 x 10 from 10 cells", staircase(10), {.maxTableCells = 100}, ""},
        BoundCase{"a grid of 11 x 11 from 11 cells", staircase(11), {.maxTableCells = 100}, kTooManyCells},
        BoundCase{"runs of one format are one", R"({\rtf1 a{\b b}{\b c}{\i d}e\par f})", {.maxRuns = 5}, ""},
        BoundCase{"one run more", R"({\rtf1 a{\b b}{\b c}{\i d}e\par f{\b g}})", {.maxRuns = 5},
                  "El documento es demasiado grande para abrirlo (más de 5 cambios de formato)."},
        BoundCase{"a picture is a run", "{\\rtf1 a" + RtfTest::pictGroup(2, 2, "PNG") + "b}", {.maxRuns = 2},
                  "El documento es demasiado grande para abrirlo (más de 2 cambios de formato)."},
        BoundCase{"bytes at the bound", "{\\rtf1 hola mundo}", {.maxInputBytes = 18}, ""},
        BoundCase{"a byte more", "{\\rtf1 hola mundo}", {.maxInputBytes = 17},
                  "El documento es demasiado grande para abrirlo (más de 17 bytes)."}));

// The bounds of stored documents themselves. A refusal comes before the
// document is built, so an input beyond them costs one parse at most.
TEST(RtfRead, StoredDocumentBounds)
{
    const qint64 n = Rtf::kMaxDocumentParagraphs;
    QTextDocument doc;
    Rtf::read(paragraphs(n), doc);
    EXPECT_EQ(doc.blockCount(), n);
    EXPECT_EQ(errorOf(paragraphs(n + 1)).toStdString(),
              "El documento es demasiado grande para abrirlo (más de 100.000 párrafos).");

    // Bytes: blanks after the document's group, which reading never reaches.
    EXPECT_EQ(readRaw(QByteArray("{\\rtf1 a}").leftJustified(Rtf::kMaxDocumentBytes, ' ')).toStdString(), "a");
    EXPECT_EQ(errorOf(QByteArray("{\\rtf1 a}").leftJustified(Rtf::kMaxDocumentBytes + 1, ' ')).toStdString(),
              "El documento es demasiado grande para abrirlo (más de 32 MB).");
}

TEST(RtfRead, RefusesWhatIsNotRtf)
{
    for (const QByteArray& bytes : {QByteArray(), QByteArray("Hola"), QByteArray("{\\rt"), QByteArray("\x89PNG\r\n"),
                                    QByteArray("<html><body>{\\rtf1}</body></html>")})
        EXPECT_EQ(errorOf(bytes).toStdString(), "El contenido no es un documento RTF (no empieza por «{\\rtf»).")
            << bytes.toStdString();
    EXPECT_TRUE(Rtf::isRtf("\xEF\xBB\xBF\r\n {\\rtf1 x}"));
}

TEST(RtfRead, DeepNestingIsRefusedUnlessSkipped)
{
    const QByteArray deep = QByteArray(100000, '{') + "x" + QByteArray(100000, '}');
    EXPECT_EQ(errorOf("{\\rtf1 " + deep + "}").toStdString(), "El documento RTF anida más de 512 grupos.");
    // Inside a destination that is skipped, nesting costs nothing.
    EXPECT_EQ(readRaw("{\\rtf1 a{\\*\\x" + deep + "}b}").toStdString(), "ab");
    EXPECT_EQ(readRaw("{\\rtf1 " + QByteArray(300, '{') + "x" + QByteArray(300, '}') + "}").toStdString(), "x");
}

struct DamagedCase {
    const char* what;
    QByteArray rtf;
    const char16_t* text;
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.what; }

class RtfDamagedRead : public testing::TestWithParam<DamagedCase> {};

TEST_P(RtfDamagedRead, ReadsAsFarAsItGoes)
{
    EXPECT_EQ(readRaw(GetParam().rtf).toStdString(), QString::fromUtf16(GetParam().text).toStdString())
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfDamagedRead,
    testing::Values(DamagedCase{"missing closing braces", R"({\rtf1 {\b bold {\i more)", u"bold more"},
                    DamagedCase{"text after the document's group", R"({\rtf1 a}}}b)", u"a"},
                    DamagedCase{"truncated in a control word", R"({\rtf1 a\par b\pa)", u"a\nb"},
                    DamagedCase{"truncated after a backslash", "{\\rtf1 a\\", u"a"},
                    DamagedCase{"truncated hex escape", R"({\rtf1 a\'4)", u"a"},
                    DamagedCase{"broken hex escape", R"({\rtf1 a\'zzb})", u"azzb"},
                    DamagedCase{"\\bin longer than the file", "{\\rtf1 a{\\pict\\bin999999999 xx", u"a"},
                    DamagedCase{"negative \\bin", R"({\rtf1 a\bin-5 b})", u"ab"},
                    DamagedCase{"huge parameters",
                                R"({\rtf1 \fs99999999999\li-2147483649\cellx99999999999\sl-99999999\tx-5 a})", u"a"},
                    DamagedCase{"NUL bytes", QByteArray("{\\rtf1 a\0b}\0", 12), u"ab"},
                    DamagedCase{"unterminated font table", R"({\rtf1{\fonttbl{\f0 Arial)", u""},
                    DamagedCase{"picture without end", "{\\rtf1 a{\\pict\\pngblip 89504e47", u"a"},
                    DamagedCase{"table words out of place", R"({\rtf1 \cellx5\clvmrg\row\nestrow\cell a})", u"\n\n\na"}));
