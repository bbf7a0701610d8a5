// Speed of the RTF component on a document of about 5 MB written the way
// Word writes (revision-id groups around every run, pictures twice: PNG and a
// metafile fallback), with tables and Spanish text. Prints MB/s for reading,
// writing and a merge-field replacement, and ratios to two baselines measured
// in the same run: the tokenizer alone (the floor for any reader) and Qt's own
// HTML import of the same document (the cost of filling a QTextDocument).
// First, what refusing a document beyond the bounds of stored documents costs.

#include "RtfLexer.h"
#include "RtfReader.h"
#include "RtfText.h"
#include "RtfWriter.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QByteArray noisePng(QRandomGenerator& rng, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 3 + y) & 0xFF, rng.bounded(256), (y * 2) & 0xFF));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

QByteArray hexLines(const QByteArray& data)
{
    const QByteArray hex = data.toHex();
    QByteArray out;
    out.reserve(hex.size() + hex.size() / 128 * 2);
    for (qsizetype i = 0; i < hex.size(); i += 128)
        out += hex.mid(i, 128) + "\r\n";
    return out;
}

QByteArray makeDocument(qsizetype target)
{
    QRandomGenerator rng(20240301);
    static const char* const words[] = {"junta", "propietarios", "comunidad", "Pe\\'f1a", "derrama", "cuota",
                                        "presidente", "aprobaci\\'f3n", "ascensor", "fachada", "acuerdo", "votaci\\'f3n",
                                        "coeficiente", "\\u8364\\'80", "1\\'ba", "se\\'f1or", "a\\'f1o", "convocatoria"};
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang3082{\\fonttbl{\\f0\\fswiss\\fcharset0 Calibri;}"
                     "{\\f1\\froman\\fcharset0 Times New Roman;}}{\\colortbl;\\red0\\green0\\blue0;\\red192\\green0\\blue0;}"
                     "{\\*\\generator Microsoft Word 11.0;}{\\info{\\title Acta}}\\paperw11906\\paperh16838\r\n";
    int paragraph = 0;
    while (rtf.size() < target) {
        ++paragraph;
        if (paragraph % 60 == 0) {
            const QByteArray png = noisePng(rng, 240, 180);
            rtf += "{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}\\picw6350\\pich4763"
                   "\\picwgoal3600\\pichgoal2700\\pngblip\r\n"
                 + hexLines(png) + "}}{\\nonshppict{\\pict\\wmetafile8\\picw6350\\pich4763\\picwgoal3600\\pichgoal2700\r\n"
                 + hexLines(png.left(png.size() / 2)) + "}}\\par\r\n";
            continue;
        }
        if (paragraph % 40 == 0) {
            for (int r = 0; r < 6; ++r) {
                rtf += "\\trowd\\trgaph108\\trleft-108\\clbrdrt\\brdrs\\brdrw10\\cellx3000\\clbrdrt\\brdrs\\brdrw10"
                       "\\cellx6000\\clbrdrt\\brdrs\\brdrw10\\cellx8500\\pard\\plain\\intbl\\f0\\fs22 ";
                for (int c = 0; c < 3; ++c)
                    rtf += "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1234 " + QByteArray(words[rng.bounded(18)])
                        + " " + QByteArray::number(r * 3 + c) + "\\cell }";
                rtf += "\\row\r\n";
            }
            rtf += "\\pard\\plain\\ql\\f0\\fs22 ";
        }
        rtf += "\\pard\\plain\\ltrpar\\qj\\li0\\ri0\\sa160\\sl259\\slmult1\\widctlpar\\f0\\fs22\\lang3082 ";
        const int runs = 3 + rng.bounded(5);
        for (int k = 0; k < runs; ++k) {
            rtf += "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 ";
            if (k % 3 == 1)
                rtf += "\\b";
            if (k % 4 == 2)
                rtf += "\\i\\cf2";
            rtf += "\\insrsid" + QByteArray::number(1000 + k) + ' ';
            const int n = 5 + rng.bounded(20);
            for (int w = 0; w < n; ++w)
                rtf += QByteArray(words[rng.bounded(18)]) + (w + 1 < n ? " " : ". ");
            rtf += "}";
        }
        rtf += "\\par\r\n";
    }
    rtf += "}";
    return rtf;
}

// Best of several runs, in milliseconds.
double best(int runs, const std::function<void()>& f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    return *std::min_element(times.begin(), times.end());
}

double mbPerSecond(qsizetype bytes, double ms) { return bytes / 1e6 / (ms / 1000.0); }

double peakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// n short paragraphs ("text\par"), reserved up front so that building the
// input raises the memory peak no higher than the input itself.
QByteArray shortParagraphs(int n, const QByteArray& text)
{
    QByteArray rtf;
    rtf.reserve(qsizetype(n) * (text.size() + 16) + 16);
    rtf += "{\\rtf1\\ansi ";
    for (int i = 0; i < n; ++i)
        rtf += text + QByteArray::number(i) + "\\par\r\n";
    rtf += "}";
    return rtf;
}

// Reads a document that must be refused; the time until the refusal.
double refusalMs(const QByteArray& rtf)
{
    QTextDocument doc;
    QElapsedTimer t;
    t.start();
    try {
        Rtf::read(rtf, doc);
        std::puts("(the document was not refused)");
    } catch (const Rtf::ERtfError&) {
    }
    return t.nsecsElapsed() / 1e6;
}

// Two million short paragraphs: within the size bound, so that the paragraph
// bound refuses them, and over it as the editor once got them (18 s and 780 MB
// before there were bounds). Run first, while the memory peak is the input's.
void refusals()
{
    const int paragraphs = 2'000'000;
    {
        const QByteArray dense = shortParagraphs(paragraphs, "p");
        const double before = peakMb();
        const double ms = refusalMs(dense);
        std::printf("refusal of %.1f MB of %d paragraphs (paragraph bound): %.1f ms (goal <= 250)\n",
                    dense.size() / 1e6, paragraphs, ms);
        std::printf("memory peak added by that refusal: %.1f MB (goal <= 100)\n", peakMb() - before);
    }
    const QByteArray big = shortParagraphs(paragraphs, "Punto ");
    std::printf("refusal of %.1f MB of %d paragraphs (size bound): %.3f ms (goal <= 10)\n", big.size() / 1e6,
                paragraphs, refusalMs(big));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    refusals();

    const QByteArray rtf = makeDocument(5 * 1000 * 1000);
    const int runs = 5;

    QTextDocument doc;
    const double readMs = best(runs, [&] { Rtf::read(rtf, doc); });
    int images = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            images += it.fragment().charFormat().isImageFormat() ? 1 : 0;

    double lexMs = best(runs, [&] {
        Rtf::detail::Lexer lex(rtf);
        long tokens = 0;
        for (Rtf::detail::Token t = lex.next(); t.kind != Rtf::detail::Tok::End; t = lex.next())
            ++tokens;
        if (tokens == 0)
            std::puts("no tokens");
    });

    QByteArray written;
    const double writeMs = best(runs, [&] { written = Rtf::write(doc); });

    const QString html = doc.toHtml();
    QTextDocument htmlDoc;
    const double htmlMs = best(runs, [&] { htmlDoc.setHtml(html); });

    // One paragraph of 40 000 runs: filling a QTextDocument run by run costs
    // the square of the runs unless it is one edit block.
    const QByteArray manyRuns = "{\\rtf1 " + QByteArray("{\\b x}{\\i y}").repeated(20000) + "}";
    QTextDocument runsDoc;
    const double runsMs = best(3, [&] { Rtf::read(manyRuns, runsDoc); });

    int count = 0;
    const double mergeMs = best(runs, [&] { Rtf::replaceField(rtf, u"[Lugar]", u"Sala {3}", &count); });

    std::printf("document size: %.2f MB\n", rtf.size() / 1e6);
    std::printf("document paragraphs: %d\n", doc.blockCount());
    std::printf("document pictures: %d\n", images);
    std::printf("document characters: %d\n", doc.characterCount());
    std::printf("read: %.1f ms\n", readMs);
    std::printf("read speed: %.1f MB/s\n", mbPerSecond(rtf.size(), readMs));
    std::printf("tokenizer only: %.1f ms\n", lexMs);
    std::printf("tokenizer speed: %.1f MB/s\n", mbPerSecond(rtf.size(), lexMs));
    std::printf("read / tokenizer: %.1f times\n", readMs / lexMs);
    std::printf("Qt HTML import (%.2f MB of HTML, pictures by reference): %.1f ms\n", html.toUtf8().size() / 1e6,
                htmlMs);
    std::printf("read / HTML import: %.2f times\n", readMs / htmlMs);
    std::printf("write (%.2f MB written): %.1f ms\n", written.size() / 1e6, writeMs);
    std::printf("write speed: %.1f MB/s\n", mbPerSecond(written.size(), writeMs));
    std::printf("merge field: %.1f ms\n", mergeMs);
    std::printf("merge field speed: %.1f MB/s\n", mbPerSecond(rtf.size(), mergeMs));
    std::printf("one paragraph of 40000 runs: %.1f ms\n", runsMs);
    return 0;
}
