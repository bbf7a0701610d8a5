#include "RtfTestUtil.h"

#include <QBuffer>
#include <QFile>
#include <QTextCursor>
#include <QImage>

#include <functional>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

#include <gtest/gtest.h>

namespace RtfTest {

QByteArray dataFile(const QString& name)
{
    QFile f(qEnvironmentVariable("QD_SOURCE_DIR") + QStringLiteral("/tests/rtf/data/") + name);
    if (!f.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing test file " << name.toStdString();
    return f.readAll();
}

namespace {

QString fmt(double v) { return QString::number(v, 'f', 1); }

void describeBlock(QString& out, const QTextDocument& doc, const QTextBlock& b, const QString& indent)
{
    const QTextBlockFormat bf = b.blockFormat();
    out += indent + QStringLiteral("P");
    const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        out += QStringLiteral(" center");
    else if (a & Qt::AlignRight)
        out += QStringLiteral(" right");
    else if (a & Qt::AlignJustify)
        out += QStringLiteral(" justify");
    if (bf.leftMargin() != 0)
        out += QStringLiteral(" left=") + fmt(bf.leftMargin());
    if (bf.rightMargin() != 0)
        out += QStringLiteral(" right=") + fmt(bf.rightMargin());
    if (bf.textIndent() != 0)
        out += QStringLiteral(" indent=") + fmt(bf.textIndent());
    if (bf.topMargin() != 0)
        out += QStringLiteral(" top=") + fmt(bf.topMargin());
    if (bf.bottomMargin() != 0)
        out += QStringLiteral(" bottom=") + fmt(bf.bottomMargin());
    if (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        out += QStringLiteral(" pagebreak");
    for (const QTextOption::Tab& t : bf.tabPositions())
        out += QStringLiteral(" tab%1=%2").arg(int(t.type)).arg(fmt(t.position));
    out += u'\n';
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const QTextCharFormat cf = f.charFormat();
        out += indent + QStringLiteral("  ");
        if (cf.isImageFormat()) {
            const QTextImageFormat img = cf.toImageFormat();
            const QVariant res = doc.resource(QTextDocument::ImageResource, QUrl(img.name()));
            const QImage image = res.value<QImage>();
            out += QStringLiteral("[image %1x%2 %3x%4]\n")
                       .arg(fmt(img.width()), fmt(img.height()))
                       .arg(image.width())
                       .arg(image.height());
            continue;
        }
        const QFont font = cf.font().resolve(doc.defaultFont());
        QString text = f.text();
        text.replace(QChar::LineSeparator, QStringLiteral("<br>"));
        text.replace(u'\t', QStringLiteral("<tab>"));
        // The family only when the run names one: the default one depends on
        // the machine.
        const QString family = cf.fontFamilies().toStringList().value(0);
        out += u'"' + text + QStringLiteral("\" ") + (family.isEmpty() ? QString() : family + u' ')
            + fmt(font.pointSizeF());
        if (font.bold())
            out += QStringLiteral(" bold");
        if (font.italic())
            out += QStringLiteral(" italic");
        if (cf.underlineStyle() != QTextCharFormat::NoUnderline)
            out += QStringLiteral(" underline%1").arg(int(cf.underlineStyle()));
        if (font.strikeOut())
            out += QStringLiteral(" strike");
        if (cf.foreground().style() != Qt::NoBrush)
            out += QStringLiteral(" color=") + cf.foreground().color().name();
        if (cf.background().style() != Qt::NoBrush)
            out += QStringLiteral(" bg=") + cf.background().color().name();
        if (cf.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            out += QStringLiteral(" super");
        if (cf.verticalAlignment() == QTextCharFormat::AlignSubScript)
            out += QStringLiteral(" sub");
        if (cf.isAnchor())
            out += QStringLiteral(" link=") + cf.anchorHref();
        out += u'\n';
    }
}

void describeFrame(QString& out, const QTextDocument& doc, QTextFrame* frame, const QString& indent)
{
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            const QTextTableFormat tf = table->format();
            out += indent + QStringLiteral("TABLE %1x%2").arg(table->rows()).arg(table->columns());
            if (tf.border() > 0)
                out += QStringLiteral(" border");
            if (tf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
                out += QStringLiteral(" pagebreak");
            out += u'\n';
            for (int r = 0; r < table->rows(); ++r) {
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c)
                        continue;
                    out += indent + QStringLiteral(" CELL %1,%2").arg(r).arg(c);
                    if (cell.rowSpan() > 1 || cell.columnSpan() > 1)
                        out += QStringLiteral(" span=%1x%2").arg(cell.rowSpan()).arg(cell.columnSpan());
                    if (cell.format().background().style() != Qt::NoBrush)
                        out += QStringLiteral(" bg=") + cell.format().background().color().name();
                    out += u'\n';
                    for (auto ci = cell.begin(); !ci.atEnd(); ++ci)
                        if (ci.currentBlock().isValid())
                            describeBlock(out, doc, ci.currentBlock(), indent + QStringLiteral("  "));
                }
            }
        } else if (it.currentFrame()) {
            describeFrame(out, doc, it.currentFrame(), indent);
        } else {
            describeBlock(out, doc, it.currentBlock(), indent);
        }
    }
}

} // namespace

QString rawText(const QTextDocument& doc)
{
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks.append(b.text());
    return blocks.join(u'\n');
}

QByteArray pictGroup(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0x30, 0x90, 0x30));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    const bool dib = qstrcmp(format, "DIB") == 0;
    image.save(&buffer, dib ? "BMP" : format);
    if (dib)
        data.remove(0, 14); // a DIB is a BMP file without its file header
    const char* kind = dib ? "\\dibitmap0" : qstrcmp(format, "JPEG") == 0 ? "\\jpegblip" : "\\pngblip";
    return QByteArray("{\\pict") + kind + "\\picwgoal" + QByteArray::number(width * 15) + "\\pichgoal"
        + QByteArray::number(height * 15) + ' ' + data.toHex() + '}';
}

void buildSampleDocument(QTextDocument& doc)
{
    doc.clear();
    doc.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 12));
    QTextCursor c(&doc);
    auto text = [&](const QString& s, const std::function<void(QTextCharFormat&)>& style = {}) {
        QTextCharFormat f;
        f.setFontFamilies({QStringLiteral("Liberation Serif")});
        f.setFontPointSize(12);
        if (style)
            style(f);
        c.insertText(s, f);
    };
    QTextBlockFormat title;
    title.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(title);
    text(QStringLiteral("Acta de la junta"), [](QTextCharFormat& f) {
        f.setFontFamilies({QStringLiteral("Liberation Sans")});
        f.setFontPointSize(16);
        f.setFontWeight(QFont::Bold);
    });

    QTextBlockFormat body;
    body.setAlignment(Qt::AlignJustify);
    body.setLeftMargin(20);
    body.setRightMargin(10);
    body.setTextIndent(15);
    body.setTopMargin(5);
    body.setBottomMargin(8);
    c.insertBlock(body);
    text(QStringLiteral("Texto normal, "));
    text(QStringLiteral("negrita"), [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    text(QStringLiteral(", "));
    text(QStringLiteral("cursiva"), [](QTextCharFormat& f) { f.setFontItalic(true); });
    text(QStringLiteral(", "));
    text(QStringLiteral("subrayado"), [](QTextCharFormat& f) { f.setFontUnderline(true); });
    text(QStringLiteral(", "));
    text(QStringLiteral("tachado"), [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    text(QStringLiteral(", "));
    text(QStringLiteral("rojo"), [](QTextCharFormat& f) { f.setForeground(QColor(0xc0, 0, 0)); });
    text(QStringLiteral(", "));
    text(QStringLiteral("fondo"), [](QTextCharFormat& f) { f.setBackground(QColor(0xff, 0xff, 0)); });
    text(QStringLiteral(" y m"));
    text(QStringLiteral("2"), [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    text(QStringLiteral(" de H"));
    text(QStringLiteral("2"), [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    text(QStringLiteral("O."));

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    text(QStringLiteral("Peña, 1º, 1.250 € — «así» ∑ Ω \\{llaves} 😀"));

    QTextBlockFormat tabs;
    tabs.setTabPositions({QTextOption::Tab(100, QTextOption::LeftTab), QTextOption::Tab(400, QTextOption::RightTab)});
    c.insertBlock(tabs);
    text(QStringLiteral("Código\tNombre\tImporte"));

    c.insertBlock(QTextBlockFormat());
    text(QStringLiteral("línea uno") + QChar(QChar::LineSeparator) + QStringLiteral("línea dos"));

    QTextBlockFormat page;
    page.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    c.insertBlock(page);
    text(QStringLiteral("Segunda página"));

    QTextTableFormat tf;
    tf.setBorder(1);
    tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    tf.setCellPadding(4);
    tf.setCellSpacing(0);
    tf.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 200), QTextLength(QTextLength::FixedLength, 150),
                                  QTextLength(QTextLength::FixedLength, 100)});
    QTextTable* table = c.insertTable(3, 3, tf);
    table->mergeCells(2, 0, 1, 2);
    table->mergeCells(0, 2, 2, 1);
    const QString cells[3][3] = {{QStringLiteral("Propietario"), QStringLiteral("Finca"), QStringLiteral("Nota")},
                                 {QStringLiteral("José Muñoz"), QStringLiteral("1º A"), QString()},
                                 {QStringLiteral("Total"), QString(), QStringLiteral("4,25%")}};
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) {
            QTextTableCell cell = table->cellAt(r, col);
            if (cell.row() != r || cell.column() != col)
                continue;
            if (r == 0) {
                QTextTableCellFormat cf = cell.format().toTableCellFormat();
                cf.setBackground(QColor(0xdd, 0xdd, 0xdd));
                cell.setFormat(cf);
            }
            QTextCursor cc = cell.firstCursorPosition();
            QTextCharFormat f;
            f.setFontFamilies({QStringLiteral("Liberation Serif")});
            f.setFontPointSize(12);
            f.setFontWeight(r == 0 ? QFont::Bold : QFont::Normal);
            cc.insertText(cells[r][col], f);
        }
    }
    c.setPosition(table->lastPosition() + 1);
    text(QStringLiteral("Logotipo: "));
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(QColor(0x20, 0x60, 0xa0));
    doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo.png")), image);
    QTextImageFormat img;
    img.setName(QStringLiteral("logo.png"));
    img.setWidth(40);
    img.setHeight(20);
    c.insertImage(img);
    text(QStringLiteral(" y "));
    text(QStringLiteral("la web"), [](QTextCharFormat& f) {
        f.setAnchor(true);
        f.setAnchorHref(QStringLiteral("https://www.ejemplo.es/juntas?id=1"));
    });

    c.insertBlock(QTextBlockFormat());
    text(QStringLiteral("Letra fija"), [](QTextCharFormat& f) {
        f.setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
        f.setFontPointSize(8);
    });
    c.insertBlock(QTextBlockFormat());
    c.insertBlock(QTextBlockFormat());
    text(QStringLiteral("Fin"));
}

QString describe(const QTextDocument& doc)
{
    QString out;
    describeFrame(out, doc, doc.rootFrame(), QString());
    return out;
}

} // namespace RtfTest
