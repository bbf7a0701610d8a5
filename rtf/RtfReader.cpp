#include "RtfReader.h"

#include "RtfCodePage.h"
#include "RtfInternal.h"
#include "RtfKeywords.h"
#include "RtfLexer.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QLocale>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <variant>
#include <vector>

namespace Rtf {

using namespace detail;

namespace {

// 22 inches, the largest measure word processors accept; larger values in a
// damaged file would only upset the layout.
constexpr int kMaxTwips = 31680;
constexpr int kMaxCellsPerRow = 256;
constexpr int kMaxColumns = 128;
constexpr int kMaxTabs = 64;
constexpr qsizetype kMaxFieldCode = 4096;

int twips(int value) { return std::clamp(value, -kMaxTwips, kMaxTwips); }

// A document beyond the bounds, with the one it passed.
ERtfError tooBig(const QString& bound)
{
    return ERtfError(QStringLiteral("El documento es demasiado grande para abrirlo (%1).").arg(bound));
}

QString spanish(qint64 n) { return QLocale(QLocale::Spanish, QLocale::Spain).toString(n); }

QString spanishSize(qint64 bytes)
{
    return QLocale(QLocale::Spanish, QLocale::Spain).formattedDataSize(bytes, 0, QLocale::DataSizeTraditionalFormat);
}

enum class Dest : unsigned char {
    Body,       // document text
    NoText,     // groups that hold pictures or shapes but no text of their own
    FontTable,
    ColorTable,
    Pict,
    FieldInst,  // a field's code, kept to recognise hyperlinks
    ShapeName,  // the name of a shape property
};

enum class PictType : unsigned char { None, Png, Jpeg, Dib, Other };

struct CharState {
    int font = -1;
    int size = 24; // half-points
    int fg = 0;    // colour table indexes; 0 is "automatic"
    int bg = 0;
    int link = -1;
    unsigned char underline = QTextCharFormat::NoUnderline;
    unsigned char valign = QTextCharFormat::AlignNormal;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    bool caps = false;
    bool smallCaps = false;
    bool operator==(const CharState&) const = default;
};

size_t qHash(const CharState& c, size_t seed = 0)
{
    return qHashMulti(seed, c.font, c.size, c.fg, c.bg, c.link, c.underline, c.valign,
                      (c.bold << 0) | (c.italic << 1) | (c.strike << 2) | (c.hidden << 3) | (c.caps << 4)
                          | (c.smallCaps << 5));
}

struct TabStop {
    int pos;
    unsigned char kind;
    bool operator==(const TabStop&) const = default;
};

struct ParaState {
    unsigned char align = 0; // left, centre, right, justified
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    bool slmult = false;
    bool pagebb = false;
    bool intbl = false;
    int outline = -1;
    QList<TabStop> tabs;
    unsigned char pendingTab = QTextOption::LeftTab;
    bool operator==(const ParaState&) const = default;
};

struct Group {
    Dest dest = Dest::Body;
    CharState ch;
    ParaState pa;
    int uc = 1;
    int field = -1;
    int shape = -1;
    bool ownsPict = false;
    // A \upr group: of its halves only the \ud one is read, with the
    // destination the \upr group was opened in (kept in uprDest).
    bool upr = false;
    Dest uprDest = Dest::Body;
};

struct FontInfo {
    QString name;
    int codePage = 0; // 0: the document's
    QFont::StyleHint hint = QFont::AnyStyle;
};

struct Picture {
    PictType type = PictType::None;
    int picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
    QByteArray data;
    int nibble = -1;
    bool tooBig = false;
};

// The document is gathered first as paragraphs and tables, because a table's
// grid is known only when its rows are complete, then put into the
// QTextDocument in one go.
struct Run {
    qsizetype start;
    qsizetype len;
    int format;
};

struct Para {
    QString text;
    std::vector<Run> runs;
    int block = 0;
    int mark = 0; // character format of the paragraph mark (an empty line's size)
};

struct CellDef {
    int right = 0;
    int background = -1;
    bool hFirst = false, hNext = false, vFirst = false, vNext = false, border = false;
};

struct RowDef {
    int left = 0;
    int gap = 0;
    unsigned char align = 0;
    bool header = false;
    std::vector<CellDef> cells;
};

struct Cell {
    std::vector<Para> paras;
};

struct Row {
    std::vector<Cell> cells;
    RowDef def;
};

struct Table {
    std::vector<Row> rows;
    bool pageBreak = false;
};

using Item = std::variant<Para, Table>;

bool isFiltered(char16_t c)
{
    // Controls other than tab, and the characters QTextDocument keeps for its
    // own structure (object, frame and block marks).
    return (c < 0x20 && c != '\t') || c == 0x7F || c == 0x2029 || c == 0xFFFC || (c >= 0xFDD0 && c <= 0xFDEF)
        || c == 0xFFFE || c == 0xFFFF;
}

void repairSurrogates(QString& text)
{
    QChar* d = text.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i].isHighSurrogate() && i + 1 < n && d[i + 1].isLowSurrogate())
            ++i;
        else if (d[i].isSurrogate())
            d[i] = QChar(QChar::ReplacementCharacter);
    }
}

QByteArray bmpFromDib(const QByteArray& dib)
{
    if (dib.size() < 40)
        return {};
    auto le32 = [&](int at) {
        return quint32(uchar(dib[at])) | quint32(uchar(dib[at + 1])) << 8 | quint32(uchar(dib[at + 2])) << 16
            | quint32(uchar(dib[at + 3])) << 24;
    };
    const quint32 headerSize = le32(0);
    const int bitCount = uchar(dib[14]) | uchar(dib[15]) << 8;
    if (headerSize < 40 || headerSize > quint32(dib.size()))
        return {};
    quint32 colours = std::min<quint32>(le32(32), 256);
    if (colours == 0 && bitCount <= 8)
        colours = 1u << bitCount;
    quint32 offset = 14 + headerSize + colours * 4;
    if (le32(16) == 3 && headerSize == 40)
        offset += 12; // BI_BITFIELDS masks
    QByteArray bmp;
    bmp.reserve(dib.size() + 14);
    const quint32 fileSize = quint32(dib.size()) + 14;
    bmp += "BM";
    for (quint32 v : {fileSize, quint32(0), offset})
        for (int k = 0; k < 4; ++k)
            bmp += char((v >> (8 * k)) & 0xFF);
    bmp += dib;
    return bmp;
}

QString hyperlinkTarget(const QString& code)
{
    const QString trimmed = code.trimmed();
    if (!trimmed.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    QString url, anchor;
    qsizetype i = 9;
    bool nextIsAnchor = false;
    while (i < trimmed.size()) {
        while (i < trimmed.size() && trimmed[i].isSpace())
            ++i;
        if (i >= trimmed.size())
            break;
        QString token;
        if (trimmed[i] == u'"') {
            const qsizetype close = trimmed.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? trimmed.size() : close;
            token = trimmed.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            const qsizetype start = i;
            while (i < trimmed.size() && !trimmed[i].isSpace())
                ++i;
            token = trimmed.mid(start, i - start);
            if (token.startsWith(u'\\')) {
                nextIsAnchor = token == QLatin1String("\\l");
                continue;
            }
        }
        if (nextIsAnchor)
            anchor = token;
        else if (url.isEmpty())
            url = token;
        nextIsAnchor = false;
    }
    if (!anchor.isEmpty())
        url += u'#' + anchor;
    return url;
}

class Reader {
public:
    Reader(QByteArrayView input, QTextDocument& doc, const ReadLimits& limits)
        : lex_(input), doc_(doc), limits_(limits)
    {
    }

    void run()
    {
        lex_.next(); // the opening brace, checked by the caller
        parse();
        finishDocument();
        build();
    }

private:
    // ---- parsing -------------------------------------------------------

    void parse()
    {
        bool atGroupStart = false;
        bool starred = false;
        for (;;) {
            const Token t = lex_.next();
            if (t.kind != Tok::Text && t.kind != Tok::Hex && !pending_.isEmpty())
                flushText();
            switch (t.kind) {
            case Tok::End:
                return;
            case Tok::Open:
                skip_ = 0;
                if (st_.upr && !opensUnicodeHalf()) {
                    // The ANSI half of \upr, for readers that ignore \ud: the
                    // \ud half repeats its text.
                    lex_.skipGroup();
                    atGroupStart = false;
                    starred = false;
                    continue;
                }
                openGroup();
                atGroupStart = true;
                starred = false;
                continue;
            case Tok::Close:
                skip_ = 0;
                if (stack_.empty())
                    return; // the document's own group has ended
                closeGroup();
                break;
            case Tok::Symbol:
                if (t.symbol == '*' && atGroupStart) {
                    starred = true;
                    continue;
                }
                if (skip_ > 0)
                    --skip_;
                else
                    symbol(t.symbol);
                break;
            case Tok::Word:
                if (skip_ > 0)
                    --skip_;
                else
                    word(t, atGroupStart, starred);
                break;
            case Tok::Hex:
                if (skip_ > 0)
                    --skip_;
                else
                    hexByte(t.hex);
                break;
            case Tok::Text:
                text(t.name);
                break;
            case Tok::Bin:
                if (skip_ > 0)
                    --skip_;
                else if (st_.dest == Dest::Pict)
                    appendPictureBytes(t.name);
                break;
            }
            atGroupStart = false;
            starred = false;
        }
    }

    void openGroup()
    {
        if (qsizetype(stack_.size()) + 1 >= limits_.maxGroupDepth)
            throw ERtfError(QStringLiteral("El documento RTF anida más de %1 grupos.").arg(limits_.maxGroupDepth));
        stack_.push_back(st_);
        st_.ownsPict = false;
        st_.upr = false;
    }

    // After the opening brace of a group: whether it starts with \ud or \*\ud.
    bool opensUnicodeHalf() const
    {
        Lexer peek = lex_;
        Token t = peek.next();
        if (t.kind == Tok::Symbol && t.symbol == '*')
            t = peek.next();
        return t.kind == Tok::Word && t.name == "ud";
    }

    void closeGroup()
    {
        if (st_.dest == Dest::FontTable && fontOpen_ && stack_.back().dest == Dest::FontTable)
            finishFont();
        const bool ownsPict = st_.ownsPict;
        st_ = std::move(stack_.back());
        stack_.pop_back();
        if (ownsPict)
            finishPicture();
    }

    // Drops the rest of the group just opened.
    void skipGroup()
    {
        lex_.skipGroup();
        st_ = std::move(stack_.back());
        stack_.pop_back();
    }

    void text(QByteArrayView bytes)
    {
        qsizetype i = 0;
        // Fallback characters of a \uN: CR and LF are not characters.
        while (skip_ > 0 && i < bytes.size()) {
            if (bytes[i] != '\r' && bytes[i] != '\n')
                --skip_;
            ++i;
        }
        switch (st_.dest) {
        case Dest::Body:
        case Dest::FieldInst:
        case Dest::ShapeName:
            appendPending(bytes.sliced(i));
            break;
        case Dest::FontTable:
            while (i < bytes.size()) {
                const qsizetype semi = bytes.indexOf(';', i);
                appendPending(bytes.sliced(i, (semi < 0 ? bytes.size() : semi) - i));
                if (semi < 0)
                    break;
                flushText();
                if (fontOpen_)
                    finishFont();
                else
                    fontName_.clear(); // a name without \fN names nothing
                i = semi + 1;
            }
            break;
        case Dest::ColorTable:
            for (; i < bytes.size(); ++i)
                if (bytes[i] == ';')
                    finishColor();
            break;
        case Dest::Pict:
            appendPictureHex(bytes.sliced(i));
            break;
        case Dest::NoText:
            break;
        }
    }

    void appendPending(QByteArrayView bytes)
    {
        qsizetype start = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' || bytes[i] == '\n') {
                pending_.append(bytes.data() + start, i - start);
                start = i + 1;
            }
        }
        pending_.append(bytes.data() + start, bytes.size() - start);
    }

    void hexByte(unsigned char byte)
    {
        switch (st_.dest) {
        case Dest::Body:
        case Dest::FieldInst:
        case Dest::ShapeName:
        case Dest::FontTable:
            pending_ += char(byte);
            break;
        case Dest::Pict: {
            const char c = char(byte);
            appendPictureBytes(QByteArrayView(&c, 1));
            break;
        }
        default:
            break;
        }
    }

    int codePage() const
    {
        if (st_.dest == Dest::FontTable)
            return font_.codePage ? font_.codePage : docCodePage_;
        const auto it = fonts_.constFind(st_.ch.font);
        return it != fonts_.cend() && it->codePage ? it->codePage : docCodePage_;
    }

    void flushText()
    {
        if (pending_.isEmpty())
            return;
        switch (st_.dest) {
        case Dest::Body:
            if (!st_.ch.hidden) {
                decoded_.clear();
                decodeAppend(decoded_, pending_, codePage());
                appendBody(decoded_);
            }
            break;
        case Dest::FontTable:
            decodeAppend(fontName_, pending_, codePage());
            break;
        case Dest::FieldInst:
            if (st_.field >= 0 && fieldCodes_[st_.field].size() < kMaxFieldCode)
                decodeAppend(fieldCodes_[st_.field], pending_, codePage());
            break;
        case Dest::ShapeName:
            if (shapeProperty_.size() < 64)
                decodeAppend(shapeProperty_, pending_, 1252);
            break;
        default:
            break;
        }
        pending_.clear();
    }

    void appendChar(char16_t c)
    {
        switch (st_.dest) {
        case Dest::Body:
            if (!st_.ch.hidden)
                appendBody(QStringView(&c, 1));
            break;
        case Dest::FontTable:
            fontName_ += QChar(c);
            break;
        case Dest::FieldInst:
            if (st_.field >= 0 && fieldCodes_[st_.field].size() < kMaxFieldCode)
                fieldCodes_[st_.field] += QChar(c);
            break;
        default:
            break;
        }
    }

    void appendBody(QStringView s)
    {
        const qsizetype before = cur_.text.size();
        for (const QChar c : s) {
            const char16_t u = c.unicode();
            if (!isFiltered(u))
                cur_.text += c;
            else if (u == 0x2029)
                cur_.text += QChar(QChar::LineSeparator);
        }
        const qsizetype added = cur_.text.size() - before;
        if (added == 0)
            return;
        const int format = charFormat();
        if (!cur_.runs.empty() && cur_.runs.back().format == format
            && cur_.runs.back().start + cur_.runs.back().len == before) {
            cur_.runs.back().len += added;
        } else {
            countRun();
            cur_.runs.push_back({before, added, format});
        }
    }

    void countRun()
    {
        if (++runCount_ > limits_.maxRuns)
            throw tooBig(QStringLiteral("más de %1 cambios de formato").arg(spanish(limits_.maxRuns)));
    }

    void symbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            hexByte(static_cast<unsigned char>(c));
            break;
        case '~': appendChar(0x00A0); break;
        case '-': appendChar(0x00AD); break;
        case '_': appendChar(0x2011); break;
        case '\t': appendChar('\t'); break;
        default: break; // \: \| and broken escapes
        }
    }

    void word(const Token& t, bool atGroupStart, bool starred)
    {
        const Kw kw = keyword(t.name);
        const int p = t.param;
        const bool on = !t.hasParam || p != 0;
        const bool unicodeHalf = kw == Kw::Ud && atGroupStart && !stack_.empty() && stack_.back().upr;
        if (atGroupStart && starred && kw != Kw::Shppict && kw != Kw::Fldinst && kw != Kw::Shpinst && !unicodeHalf) {
            skipGroup(); // an optional destination this reader does not know
            return;
        }
        CharState& ch = st_.ch;
        ParaState& pa = st_.pa;
        switch (kw) {
        case Kw::Unknown:
            if (pendingBorder_ && t.name.startsWith("brdr") && t.name != "brdrw" && t.name != "brdrcf") {
                cellDef_.border = true;
                pendingBorder_ = false;
            }
            break;
        case Kw::SkipDest:
            if (atGroupStart)
                skipGroup();
            break;
        // document
        case Kw::Rtf: break;
        case Kw::Ansi: docCodePage_ = 1252; break;
        case Kw::Mac: docCodePage_ = 10000; break;
        case Kw::Pc: docCodePage_ = 437; break;
        case Kw::Pca: docCodePage_ = 850; break;
        case Kw::Ansicpg:
            if (isKnownCodePage(p))
                docCodePage_ = p;
            break;
        case Kw::Deff:
            deff_ = p;
            ch.font = p;
            break;
        case Kw::Uc: st_.uc = std::clamp(p, 0, 16); break;
        case Kw::U: {
            const int code = p < 0 ? p + 65536 : p;
            appendChar(code >= 0 && code <= 0xFFFF ? char16_t(code) : char16_t(0xFFFD));
            skip_ = st_.uc;
            break;
        }
        // destinations
        case Kw::Fonttbl: st_.dest = Dest::FontTable; break;
        case Kw::Colortbl:
            st_.dest = Dest::ColorTable;
            colors_.clear();
            break;
        case Kw::Pict:
            st_.dest = Dest::Pict;
            st_.ownsPict = true;
            picture_ = Picture{};
            break;
        case Kw::Field:
            newField();
            break;
        case Kw::Fldinst:
            if (st_.field < 0)
                newField();
            st_.dest = Dest::FieldInst;
            break;
        case Kw::Fldrslt:
            st_.dest = Dest::Body;
            if (st_.field >= 0) {
                int& link = fieldLinks_[st_.field];
                if (link == kLinkUnknown) {
                    const QString target = hyperlinkTarget(fieldCodes_[st_.field]);
                    link = -1;
                    if (!target.isEmpty()) {
                        links_.push_back(target);
                        link = int(links_.size()) - 1;
                    }
                }
                if (link >= 0)
                    ch.link = link;
            }
            break;
        case Kw::Shp:
            shapeHasPicture_.push_back(false);
            st_.shape = int(shapeHasPicture_.size()) - 1;
            break;
        case Kw::Shpinst: st_.dest = Dest::NoText; break;
        case Kw::Sp:
            st_.dest = Dest::NoText;
            shapeProperty_.clear();
            break;
        case Kw::Sn:
            st_.dest = Dest::ShapeName;
            shapeProperty_.clear();
            break;
        case Kw::Sv:
            if (shapeProperty_ == QLatin1String("pib"))
                st_.dest = Dest::NoText; // the shape's picture
            else if (atGroupStart)
                skipGroup();
            break;
        case Kw::Shptxt:
        case Kw::Shppict:
        case Kw::Result:
        case Kw::Listtext:
        case Kw::Pntext:
            st_.dest = Dest::Body;
            break;
        case Kw::Shprslt:
            // The result repeats a picture the shape already gave.
            if (st_.shape >= 0 && shapeHasPicture_[st_.shape] && atGroupStart)
                skipGroup();
            else
                st_.dest = Dest::Body;
            break;
        case Kw::Object: st_.dest = Dest::NoText; break;
        case Kw::Upr:
            if (atGroupStart) {
                st_.upr = true;
                st_.uprDest = st_.dest;
                st_.dest = Dest::NoText;
            }
            break;
        case Kw::Ud:
            if (unicodeHalf)
                st_.dest = stack_.back().uprDest;
            break;
        // fonts and colours
        case Kw::F:
            if (st_.dest == Dest::FontTable) {
                if (fontOpen_)
                    finishFont();
                fontOpen_ = true;
                fontNumber_ = p;
                font_ = FontInfo{};
                fontName_.clear();
            } else {
                ch.font = p;
            }
            break;
        case Kw::Fnil: break;
        case Kw::Froman: font_.hint = QFont::Serif; break;
        case Kw::Fswiss: font_.hint = QFont::SansSerif; break;
        case Kw::Fmodern: font_.hint = QFont::TypeWriter; break;
        case Kw::Fscript: font_.hint = QFont::Cursive; break;
        case Kw::Fdecor: font_.hint = QFont::Decorative; break;
        case Kw::Ftech: break;
        case Kw::Fcharset:
            if (!fontCpgGiven_)
                font_.codePage = codePageForCharset(p);
            break;
        case Kw::Cpg:
            if (isKnownCodePage(p)) {
                font_.codePage = p;
                fontCpgGiven_ = true;
            }
            break;
        case Kw::Red: red_ = std::clamp(p, 0, 255); break;
        case Kw::Green: green_ = std::clamp(p, 0, 255); break;
        case Kw::Blue: blue_ = std::clamp(p, 0, 255); break;
        // character formatting
        case Kw::Plain: {
            const int link = ch.link;
            ch = CharState{};
            ch.font = deff_;
            ch.link = link;
            break;
        }
        case Kw::B: ch.bold = on; break;
        case Kw::I: ch.italic = on; break;
        case Kw::Ul: ch.underline = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline; break;
        case Kw::Ulnone: ch.underline = QTextCharFormat::NoUnderline; break;
        case Kw::Uld: ch.underline = on ? QTextCharFormat::DotLine : QTextCharFormat::NoUnderline; break;
        case Kw::Uldash: ch.underline = on ? QTextCharFormat::DashUnderline : QTextCharFormat::NoUnderline; break;
        case Kw::Uldashd: ch.underline = on ? QTextCharFormat::DashDotLine : QTextCharFormat::NoUnderline; break;
        case Kw::Uldashdd:
            ch.underline = on ? QTextCharFormat::DashDotDotLine : QTextCharFormat::NoUnderline;
            break;
        case Kw::Ulwave: ch.underline = on ? QTextCharFormat::WaveUnderline : QTextCharFormat::NoUnderline; break;
        case Kw::Strike: ch.strike = on; break;
        case Kw::Fs: ch.size = t.hasParam && p > 0 ? std::min(p, 3276) : 24; break;
        case Kw::Cf: ch.fg = std::max(p, 0); break;
        case Kw::Cb:
        case Kw::Highlight:
        case Kw::Chcbpat:
            ch.bg = std::max(p, 0);
            break;
        case Kw::Super: ch.valign = QTextCharFormat::AlignSuperScript; break;
        case Kw::Sub: ch.valign = QTextCharFormat::AlignSubScript; break;
        case Kw::Nosupersub: ch.valign = QTextCharFormat::AlignNormal; break;
        case Kw::Up: ch.valign = on ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal; break;
        case Kw::Dn: ch.valign = on ? QTextCharFormat::AlignSubScript : QTextCharFormat::AlignNormal; break;
        case Kw::Caps: ch.caps = on; break;
        case Kw::Scaps: ch.smallCaps = on; break;
        case Kw::V: ch.hidden = on; break;
        // paragraph formatting
        case Kw::Pard: pa = ParaState{}; break;
        case Kw::Ql: pa.align = 0; break;
        case Kw::Qc: pa.align = 1; break;
        case Kw::Qr: pa.align = 2; break;
        case Kw::Qj: pa.align = 3; break;
        case Kw::Li: pa.li = twips(p); break;
        case Kw::Ri: pa.ri = twips(p); break;
        case Kw::Fi: pa.fi = twips(p); break;
        case Kw::Sb: pa.sb = std::clamp(p, 0, kMaxTwips); break;
        case Kw::Sa: pa.sa = std::clamp(p, 0, kMaxTwips); break;
        case Kw::Sl: pa.sl = twips(p); break;
        case Kw::Slmult: pa.slmult = on; break;
        case Kw::Pagebb: pa.pagebb = on; break;
        case Kw::Tqr: pa.pendingTab = QTextOption::RightTab; break;
        case Kw::Tqc: pa.pendingTab = QTextOption::CenterTab; break;
        case Kw::Tqdec: pa.pendingTab = QTextOption::DelimiterTab; break;
        case Kw::Tx:
            if (pa.tabs.size() < kMaxTabs)
                pa.tabs.append({std::clamp(p, 0, kMaxTwips), pa.pendingTab});
            pa.pendingTab = QTextOption::LeftTab;
            break;
        case Kw::Intbl: pa.intbl = on; break;
        case Kw::Itap: pa.intbl = p > 0; break;
        case Kw::Outlinelevel: pa.outline = p; break;
        // characters and structure
        case Kw::Par:
            if (st_.dest == Dest::Body)
                endParagraph(false);
            break;
        case Kw::Nestcell:
            if (st_.dest == Dest::Body)
                endParagraph(false);
            break;
        case Kw::Cell:
            if (st_.dest == Dest::Body)
                endParagraph(true);
            break;
        case Kw::Row:
            if (st_.dest == Dest::Body) {
                if (!cur_.text.isEmpty())
                    endParagraph(true);
                endRow();
            }
            break;
        case Kw::Nestrow: break;
        case Kw::Line: appendChar(QChar::LineSeparator); break;
        case Kw::Tab: appendChar('\t'); break;
        case Kw::Page:
            if (st_.dest == Dest::Body && !pa.intbl) {
                if (!cur_.text.isEmpty())
                    endParagraph(false);
                pageBreakPending_ = true;
            }
            break;
        case Kw::Sect:
            if (st_.dest == Dest::Body) {
                if (!cur_.text.isEmpty())
                    endParagraph(false);
                sectionPending_ = true;
                sectionNewPage_ = true;
            }
            break;
        case Kw::Sectd:
        case Kw::Sbkpage:
            sectionNewPage_ = true;
            break;
        case Kw::Sbknone: sectionNewPage_ = false; break;
        case Kw::Emdash: appendChar(0x2014); break;
        case Kw::Endash: appendChar(0x2013); break;
        case Kw::Bullet: appendChar(0x2022); break;
        case Kw::Lquote: appendChar(0x2018); break;
        case Kw::Rquote: appendChar(0x2019); break;
        case Kw::Ldblquote: appendChar(0x201C); break;
        case Kw::Rdblquote: appendChar(0x201D); break;
        case Kw::Emspace: appendChar(0x2003); break;
        case Kw::Enspace: appendChar(0x2002); break;
        case Kw::Qmspace: appendChar(0x2005); break;
        case Kw::Zwj: appendChar(0x200D); break;
        case Kw::Zwnj: appendChar(0x200C); break;
        case Kw::Ltrmark: appendChar(0x200E); break;
        case Kw::Rtlmark: appendChar(0x200F); break;
        // tables
        case Kw::Trowd:
            rowDef_ = RowDef{};
            cellDef_ = CellDef{};
            break;
        case Kw::Cellx:
            cellDef_.right = twips(p);
            if (rowDef_.cells.size() < kMaxCellsPerRow)
                rowDef_.cells.push_back(cellDef_);
            cellDef_ = CellDef{};
            pendingBorder_ = false;
            break;
        case Kw::Clmgf: cellDef_.hFirst = true; break;
        case Kw::Clmrg: cellDef_.hNext = true; break;
        case Kw::Clvmgf: cellDef_.vFirst = true; break;
        case Kw::Clvmrg: cellDef_.vNext = true; break;
        case Kw::Clcbpat: cellDef_.background = p; break;
        case Kw::Clbrdr: pendingBorder_ = true; break;
        case Kw::Brdrnone: pendingBorder_ = false; break;
        case Kw::Trgaph: rowDef_.gap = std::clamp(p, 0, kMaxTwips); break;
        case Kw::Trleft: rowDef_.left = twips(p); break;
        case Kw::Trql: rowDef_.align = 0; break;
        case Kw::Trqc: rowDef_.align = 1; break;
        case Kw::Trqr: rowDef_.align = 2; break;
        case Kw::Trhdr: rowDef_.header = on; break;
        // pictures
        case Kw::Pngblip: picture_.type = PictType::Png; break;
        case Kw::Jpegblip: picture_.type = PictType::Jpeg; break;
        case Kw::Dibitmap: picture_.type = PictType::Dib; break;
        case Kw::OtherPicture: picture_.type = PictType::Other; break;
        case Kw::Picw: picture_.picw = p; break;
        case Kw::Pich: picture_.pich = p; break;
        case Kw::Picwgoal: picture_.goalw = p; break;
        case Kw::Pichgoal: picture_.goalh = p; break;
        case Kw::Picscalex: picture_.scalex = p; break;
        case Kw::Picscaley: picture_.scaley = p; break;
        }
    }

    void newField()
    {
        fieldCodes_.emplace_back();
        fieldLinks_.push_back(kLinkUnknown);
        st_.field = int(fieldCodes_.size()) - 1;
    }

    void finishFont()
    {
        flushText();
        FontInfo info = font_;
        info.name = fontName_.trimmed();
        fonts_.insert(fontNumber_, info);
        fontOpen_ = false;
        fontCpgGiven_ = false;
        fontName_.clear();
        font_ = FontInfo{};
    }

    void finishColor()
    {
        if (colors_.size() < 65536)
            colors_.push_back(red_ < 0 && green_ < 0 && blue_ < 0
                                  ? QColor()
                                  : QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
        red_ = green_ = blue_ = -1;
    }

    // ---- pictures ------------------------------------------------------

    void appendPictureHex(QByteArrayView hex)
    {
        if (picture_.tooBig)
            return;
        QByteArray& data = picture_.data;
        if (data.size() + hex.size() / 2 > limits_.maxPictureBytes) {
            picture_.tooBig = true;
            data.clear();
            data.squeeze();
            return;
        }
        int nibble = picture_.nibble;
        for (const char c : hex) {
            int v;
            if (c >= '0' && c <= '9')
                v = c - '0';
            else if (c >= 'a' && c <= 'f')
                v = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                v = c - 'A' + 10;
            else
                continue;
            if (nibble < 0) {
                nibble = v;
            } else {
                data += char(nibble << 4 | v);
                nibble = -1;
            }
        }
        picture_.nibble = nibble;
    }

    void appendPictureBytes(QByteArrayView bytes)
    {
        if (picture_.tooBig)
            return;
        if (picture_.data.size() + bytes.size() > limits_.maxPictureBytes) {
            picture_.tooBig = true;
            picture_.data.clear();
            picture_.data.squeeze();
            return;
        }
        picture_.data.append(bytes);
    }

    void finishPicture()
    {
        Picture pic = std::move(picture_);
        picture_ = Picture{};
        if ((st_.dest != Dest::Body && st_.dest != Dest::NoText) || st_.ch.hidden || pic.tooBig)
            return;
        QByteArray data;
        const char* type = nullptr;
        switch (pic.type) {
        case PictType::Png: data = pic.data; type = "png"; break;
        case PictType::Jpeg: data = pic.data; type = "jpeg"; break;
        case PictType::Dib: data = bmpFromDib(pic.data); type = "bmp"; break;
        default: return; // metafiles and device-dependent bitmaps: left out
        }
        if (data.isEmpty())
            return;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, type);
        const QSize size = reader.size();
        if (!size.isValid() || size.isEmpty())
            return;
        const qint64 pixels = qint64(size.width()) * size.height();
        if (pixels > limits_.maxPicturePixels || pixels_ + pixels > limits_.maxTotalPicturePixels)
            return;
        QImage image;
        if (!reader.read(&image))
            return;
        countRun();
        pixels_ += pixels;

        const QString name = QStringLiteral("rtfimage:%1").arg(++imageCount_);
        doc_.addResource(QTextDocument::ImageResource, QUrl(name), image);
        QTextImageFormat format;
        format.setName(name);
        const double sx = pic.scalex > 0 ? std::min(pic.scalex, 1000) / 100.0 : 1.0;
        const double sy = pic.scaley > 0 ? std::min(pic.scaley, 1000) / 100.0 : 1.0;
        const double w = pic.goalw > 0 ? std::min(pic.goalw, kMaxTwips) / kTwipsPerUnit : image.width();
        const double h = pic.goalh > 0 ? std::min(pic.goalh, kMaxTwips) / kTwipsPerUnit : image.height();
        format.setWidth(w * sx);
        format.setHeight(h * sy);
        format.setProperty(kImageBytesProperty, data);
        format.setProperty(kImageTypeProperty, QString::fromLatin1(type));
        charFormats_.push_back(format);
        const int index = int(charFormats_.size()) - 1;
        const qsizetype at = cur_.text.size();
        cur_.text += QChar(QChar::ObjectReplacementCharacter);
        cur_.runs.push_back({at, 1, index});
        if (st_.shape >= 0)
            shapeHasPicture_[st_.shape] = true;
    }

    // ---- paragraphs and tables -----------------------------------------

    int charFormat()
    {
        if (lastCharIndex_ >= 0 && st_.ch == lastChar_)
            return lastCharIndex_;
        auto it = charIndex_.constFind(st_.ch);
        if (it == charIndex_.cend()) {
            charFormats_.push_back(toCharFormat(st_.ch));
            it = charIndex_.insert(st_.ch, int(charFormats_.size()) - 1);
        }
        lastChar_ = st_.ch;
        lastCharIndex_ = *it;
        return *it;
    }

    QColor color(int index) const
    {
        return index >= 0 && size_t(index) < colors_.size() ? colors_[index] : QColor();
    }

    QTextCharFormat toCharFormat(const CharState& c) const
    {
        QTextCharFormat f;
        const auto font = fonts_.constFind(c.font);
        if (font != fonts_.cend() && !font->name.isEmpty()) {
            f.setFontFamilies({font->name});
            if (font->hint != QFont::AnyStyle)
                f.setFontStyleHint(font->hint);
        }
        f.setFontPointSize(c.size / 2.0);
        if (c.bold)
            f.setFontWeight(QFont::Bold);
        if (c.italic)
            f.setFontItalic(true);
        if (c.underline != QTextCharFormat::NoUnderline)
            f.setUnderlineStyle(QTextCharFormat::UnderlineStyle(c.underline));
        if (c.strike)
            f.setFontStrikeOut(true);
        if (const QColor fg = color(c.fg); c.fg > 0 && fg.isValid())
            f.setForeground(fg);
        if (const QColor bg = color(c.bg); c.bg > 0 && bg.isValid())
            f.setBackground(bg);
        if (c.valign != QTextCharFormat::AlignNormal)
            f.setVerticalAlignment(QTextCharFormat::VerticalAlignment(c.valign));
        if (c.caps)
            f.setFontCapitalization(QFont::AllUppercase);
        else if (c.smallCaps)
            f.setFontCapitalization(QFont::SmallCaps);
        if (c.link >= 0) {
            f.setAnchor(true);
            f.setAnchorHref(links_[c.link]);
        }
        return f;
    }

    int blockFormat(const ParaState& p)
    {
        if (lastBlockIndex_ >= 0 && p == lastBlock_)
            return lastBlockIndex_;
        QTextBlockFormat f;
        static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
        f.setAlignment(kAlign[p.align]);
        if (p.li)
            f.setLeftMargin(p.li / kTwipsPerUnit);
        if (p.ri)
            f.setRightMargin(p.ri / kTwipsPerUnit);
        if (p.fi)
            f.setTextIndent(p.fi / kTwipsPerUnit);
        if (p.sb)
            f.setTopMargin(p.sb / kTwipsPerUnit);
        if (p.sa)
            f.setBottomMargin(p.sa / kTwipsPerUnit);
        if (p.sl != 0) {
            if (p.slmult && p.sl > 0)
                f.setLineHeight(std::clamp(p.sl * 100.0 / 240.0, 10.0, 1000.0), QTextBlockFormat::ProportionalHeight);
            else if (!p.slmult)
                f.setLineHeight(std::abs(p.sl) / kTwipsPerUnit,
                                p.sl > 0 ? QTextBlockFormat::MinimumHeight : QTextBlockFormat::FixedHeight);
        }
        if (!p.tabs.isEmpty()) {
            QList<QTextOption::Tab> tabs;
            for (const TabStop& t : p.tabs)
                tabs.append(QTextOption::Tab(t.pos / kTwipsPerUnit, QTextOption::TabType(t.kind),
                                             t.kind == QTextOption::DelimiterTab ? QChar(u',') : QChar()));
            f.setTabPositions(tabs);
        }
        if (p.pagebb)
            f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        if (p.outline >= 0 && p.outline < 6)
            f.setHeadingLevel(p.outline + 1);
        blockFormats_.push_back(f);
        lastBlock_ = p;
        lastBlockIndex_ = int(blockFormats_.size()) - 1;
        return lastBlockIndex_;
    }

    bool takePageBreak()
    {
        const bool brk = pageBreakPending_ || (sectionPending_ && sectionNewPage_);
        pageBreakPending_ = sectionPending_ = false;
        return brk;
    }

    void endParagraph(bool endsCell)
    {
        if (++blockCount_ > limits_.maxParagraphs)
            throw tooBig(QStringLiteral("más de %1 párrafos").arg(spanish(limits_.maxParagraphs)));
        flushText();
        repairSurrogates(cur_.text);
        ParaState p = st_.pa;
        const bool inTable = p.intbl || endsCell;
        if (!inTable) {
            closeTable();
            if (takePageBreak())
                p.pagebb = true;
        } else if (table_.rows.empty() && row_.cells.empty() && cell_.paras.empty()) {
            // A break before a table's first paragraph breaks before the table.
            table_.pageBreak = takePageBreak() || p.pagebb;
            p.pagebb = false;
        }
        p.intbl = false;
        p.pendingTab = QTextOption::LeftTab;
        cur_.block = blockFormat(p);
        cur_.mark = charFormat();
        if (inTable) {
            cell_.paras.push_back(std::move(cur_));
            if (endsCell) {
                row_.cells.push_back(std::move(cell_));
                cell_ = Cell{};
            }
        } else {
            items_.emplace_back(std::move(cur_));
        }
        cur_ = Para{};
    }

    void endRow()
    {
        if (!cell_.paras.empty()) {
            row_.cells.push_back(std::move(cell_));
            cell_ = Cell{};
        }
        row_.def = rowDef_;
        if (row_.cells.empty() && row_.def.cells.empty())
            return;
        cellCount_ += qint64(std::max(row_.cells.size(), row_.def.cells.size()));
        if (cellCount_ > limits_.maxTableCells)
            throw tooManyCells();
        table_.rows.push_back(std::move(row_));
        row_ = Row{};
    }

    void closeTable()
    {
        if (!cell_.paras.empty() || !row_.cells.empty())
            endRow();
        if (!table_.rows.empty())
            items_.emplace_back(std::move(table_));
        table_ = Table{};
    }

    ERtfError tooManyCells() const
    {
        return tooBig(QStringLiteral("sus tablas tienen más de %1 celdas").arg(spanish(limits_.maxTableCells)));
    }

    void finishDocument()
    {
        flushText();
        if (!cur_.text.isEmpty())
            endParagraph(false);
        closeTable();
    }

    // ---- building the QTextDocument ------------------------------------

    void build()
    {
        // QTextDocument keeps a block before every table and one after it; a
        // table goes at the end of the block before it, and the block after
        // it takes the next paragraph.
        //
        // The tables are laid out first: a grid may hold more cells than its
        // rows gave, and a document beyond the bound is refused before the
        // QTextDocument is touched.
        std::vector<TableLayout> tables;
        for (const Item& item : items_)
            if (const Table* table = std::get_if<Table>(&item))
                tables.push_back(layoutTable(*table));
        QTextCursor cursor(&doc_);
        // One edit block: outside one every insertion measures the cursor's
        // position in its line, which makes a paragraph of many runs cost
        // the square of their number.
        cursor.beginEditBlock();
        bool fresh = true; // the cursor's block is empty and still unused
        auto table = tables.cbegin();
        for (const Item& item : items_) {
            if (const Para* para = std::get_if<Para>(&item)) {
                writePara(cursor, *para, fresh ? Start::Fresh : Start::New);
                fresh = false;
            } else {
                insertTable(cursor, *table++);
                fresh = true;
            }
        }
        cursor.endEditBlock();
    }

    enum class Start : unsigned char {
        New,      // a block of its own after the cursor's
        Fresh,    // the cursor's block, empty and unused
        CellFirst // the first block of a table cell
    };

    // A cell keeps its own format (spans, background) in the character format
    // of its first block, which must be merged into, not replaced. A new block
    // takes its formats as it is inserted: setting them afterwards costs as
    // much again.
    void writePara(QTextCursor& cursor, const Para& para, Start start) const
    {
        switch (start) {
        case Start::New:
            cursor.insertBlock(blockFormats_[para.block], charFormats_[para.mark]);
            break;
        case Start::Fresh:
            cursor.setBlockFormat(blockFormats_[para.block]);
            cursor.setBlockCharFormat(charFormats_[para.mark]);
            break;
        case Start::CellFirst:
            cursor.setBlockFormat(blockFormats_[para.block]);
            cursor.mergeBlockCharFormat(charFormats_[para.mark]);
            break;
        }
        for (const Run& run : para.runs)
            cursor.insertText(para.text.mid(run.start, run.len), charFormats_[run.format]);
    }

    // Merged-away cells are written empty; their paragraph mark is no text.
    static bool hasText(const Cell& cell)
    {
        return std::any_of(cell.paras.begin(), cell.paras.end(), [](const Para& p) { return !p.text.isEmpty(); });
    }

    struct Placed {
        int row, col, rowSpan, colSpan;
        const CellDef* def;
        std::vector<const Cell*> contents;
    };

    struct TableLayout {
        const Table* table;
        int columns;
        QList<QTextLength> widths; // empty: Qt's own
        std::vector<Placed> placed;
        std::vector<char> dropped; // cells merged into the one above
    };

    // Places the cells of each row on one grid made of the distinct cell
    // edges of all rows, so that a row with a merged (wider) cell lines up
    // with the others.
    TableLayout layoutTable(const Table& table)
    {
        static const CellDef kNoDef;
        std::vector<int> edges;
        for (const Row& row : table.rows) {
            int x = row.def.left;
            edges.push_back(x);
            for (const CellDef& d : row.def.cells) {
                x = std::max(d.right, x + 1);
                edges.push_back(x);
            }
        }
        std::sort(edges.begin(), edges.end());
        std::vector<int> grid;
        for (int e : edges)
            if (grid.empty() || e - grid.back() > 20)
                grid.push_back(e);
        const bool useEdges = grid.size() >= 2 && grid.size() - 1 <= size_t(kMaxColumns);
        auto column = [&](int x) {
            const auto it = std::lower_bound(grid.begin(), grid.end(), x - 20);
            return int(it - grid.begin());
        };

        std::vector<Placed> placed;
        int columns = 1;
        std::vector<std::vector<int>> rowCells(table.rows.size());
        for (size_t r = 0; r < table.rows.size(); ++r) {
            const Row& row = table.rows[r];
            const size_t n = std::max(row.cells.size(), row.def.cells.size());
            int col = useEdges ? column(row.def.left) : 0;
            int x = row.def.left;
            for (size_t i = 0; i < n; ++i) {
                const CellDef* def = i < row.def.cells.size() ? &row.def.cells[i] : &kNoDef;
                const Cell* content = i < row.cells.size() ? &row.cells[i] : nullptr;
                int end = col + 1;
                if (useEdges && i < row.def.cells.size()) {
                    x = std::max(def->right, x + 1);
                    end = std::max(column(x), col + 1);
                }
                if (def->hNext && !rowCells[r].empty()) {
                    Placed& prev = placed[rowCells[r].back()];
                    prev.colSpan = end - prev.col;
                    if (content && hasText(*content))
                        prev.contents.push_back(content);
                } else {
                    rowCells[r].push_back(int(placed.size()));
                    placed.push_back({int(r), col, 1, end - col, def, {}});
                    if (content)
                        placed.back().contents.push_back(content);
                }
                col = end;
            }
            columns = std::max(columns, col);
        }
        const qint64 gridCells = qint64(table.rows.size()) * columns;
        gridCells_ += gridCells;
        if (gridCells_ > limits_.maxTableCells)
            throw tooManyCells();

        // Vertical merges: a continuation cell joins the cell above that
        // starts in the same column and spans the same columns.
        std::vector<int> owner(size_t(gridCells), -1);
        auto ownerAt = [&](int r, int c) -> int& { return owner[size_t(r) * columns + c]; };
        std::vector<char> dropped(placed.size(), 0);
        for (size_t k = 0; k < placed.size(); ++k) {
            Placed& p = placed[k];
            if (p.def->vNext && p.row > 0) {
                const int above = ownerAt(p.row - 1, p.col);
                if (above >= 0) {
                    Placed& top = placed[above];
                    if (top.col == p.col && top.colSpan == p.colSpan && top.row + top.rowSpan == p.row) {
                        ++top.rowSpan;
                        for (const Cell* c : p.contents)
                            if (hasText(*c))
                                top.contents.push_back(c);
                        for (int c = p.col; c < p.col + p.colSpan; ++c)
                            ownerAt(p.row, c) = above;
                        dropped[k] = 1;
                        continue;
                    }
                }
            }
            for (int c = p.col; c < p.col + p.colSpan; ++c)
                ownerAt(p.row, c) = int(k);
        }

        QList<QTextLength> widths;
        if (useEdges && int(grid.size()) - 1 >= columns)
            for (int c = 0; c < columns; ++c)
                widths.append(QTextLength(QTextLength::FixedLength, (grid[c + 1] - grid[c]) / kTwipsPerUnit));
        return {&table, columns, std::move(widths), std::move(placed), std::move(dropped)};
    }

    void insertTable(QTextCursor& cursor, const TableLayout& layout) const
    {
        const Table& table = *layout.table;
        const std::vector<Placed>& placed = layout.placed;
        QTextTableFormat tf;
        tf.setCellSpacing(0);
        tf.setBorderCollapse(true);
        const Row& first = table.rows.front();
        tf.setCellPadding(first.def.gap > 0 ? first.def.gap / kTwipsPerUnit : 2.0);
        bool borders = false;
        for (const Placed& p : placed)
            borders = borders || p.def->border;
        tf.setBorder(borders ? 1 : 0);
        tf.setBorderStyle(borders ? QTextFrameFormat::BorderStyle_Solid : QTextFrameFormat::BorderStyle_None);
        tf.setBorderBrush(Qt::black);
        if (first.def.align == 1)
            tf.setAlignment(Qt::AlignHCenter);
        else if (first.def.align == 2)
            tf.setAlignment(Qt::AlignRight);
        int headers = 0;
        while (size_t(headers) < table.rows.size() && table.rows[headers].def.header)
            ++headers;
        tf.setHeaderRowCount(headers);
        if (!layout.widths.isEmpty())
            tf.setColumnWidthConstraints(layout.widths);
        if (table.pageBreak)
            tf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);

        QTextTable* qt = cursor.insertTable(int(table.rows.size()), layout.columns, tf);
        for (size_t k = 0; k < placed.size(); ++k) {
            if (layout.dropped[k])
                continue;
            const Placed& p = placed[k];
            if (p.rowSpan > 1 || p.colSpan > 1)
                qt->mergeCells(p.row, p.col, p.rowSpan, p.colSpan);
            QTextTableCell cell = qt->cellAt(p.row, p.col);
            if (const QColor bg = color(p.def->background); p.def->background > 0 && bg.isValid()) {
                QTextTableCellFormat cf = cell.format().toTableCellFormat();
                cf.setBackground(bg);
                cell.setFormat(cf);
            }
            QTextCursor cc = cell.firstCursorPosition();
            bool firstPara = true;
            for (const Cell* content : p.contents) {
                for (const Para& para : content->paras) {
                    writePara(cc, para, firstPara ? Start::CellFirst : Start::New);
                    firstPara = false;
                }
            }
        }
        cursor.setPosition(qt->lastPosition() + 1);
    }

    Lexer lex_;
    QTextDocument& doc_;
    const ReadLimits& limits_;

    Group st_;
    std::vector<Group> stack_;
    int skip_ = 0;
    QByteArray pending_;
    QString decoded_;

    int docCodePage_ = 1252;
    int deff_ = -1;
    QHash<int, FontInfo> fonts_;
    FontInfo font_;
    QString fontName_;
    int fontNumber_ = 0;
    bool fontOpen_ = false;
    bool fontCpgGiven_ = false;
    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;

    static constexpr int kLinkUnknown = -2;
    std::vector<QString> fieldCodes_;
    std::vector<int> fieldLinks_; // index in links_, -1 none, kLinkUnknown not yet looked at
    std::vector<QString> links_;
    std::vector<bool> shapeHasPicture_;
    QString shapeProperty_;

    Picture picture_;
    int imageCount_ = 0;
    qint64 pixels_ = 0;

    Para cur_;
    bool pageBreakPending_ = false;
    bool sectionPending_ = false;
    bool sectionNewPage_ = true;
    std::vector<Item> items_;
    Table table_;
    Row row_;
    Cell cell_;
    RowDef rowDef_;
    CellDef cellDef_;
    bool pendingBorder_ = false;
    qint64 cellCount_ = 0;
    qint64 blockCount_ = 0;
    qint64 runCount_ = 0;
    qint64 gridCells_ = 0;

    std::vector<QTextCharFormat> charFormats_;
    QHash<CharState, int> charIndex_;
    CharState lastChar_;
    int lastCharIndex_ = -1;
    std::vector<QTextBlockFormat> blockFormats_;
    ParaState lastBlock_;
    int lastBlockIndex_ = -1;
};

qsizetype rtfStart(const QByteArray& bytes)
{
    qsizetype i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf") ? i : -1;
}

} // namespace

bool isRtf(const QByteArray& bytes)
{
    return rtfStart(bytes) >= 0;
}

void read(const QByteArray& rtf, QTextDocument& doc, const ReadLimits& limits)
{
    doc.clear();
    if (rtf.size() > limits.maxInputBytes)
        throw tooBig(QStringLiteral("más de %1").arg(spanishSize(limits.maxInputBytes)));
    const qsizetype start = rtfStart(rtf);
    if (start < 0)
        throw ERtfError(QStringLiteral("El contenido no es un documento RTF (no empieza por «{\\rtf»)."));
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    try {
        Reader(QByteArrayView(rtf).sliced(start), doc, limits).run();
    } catch (...) {
        doc.clear();
        doc.setUndoRedoEnabled(undo);
        throw;
    }
    doc.setUndoRedoEnabled(undo);
}

} // namespace Rtf
