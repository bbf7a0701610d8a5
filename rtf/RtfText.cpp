#include "RtfText.h"

#include "RtfCodePage.h"
#include "RtfInternal.h"
#include "RtfKeywords.h"
#include "RtfLexer.h"

#include <algorithm>
#include <array>
#include <map>
#include <functional>
#include <vector>

namespace Rtf {

namespace detail {

void appendEscaped(QByteArray& out, QStringView text, const EscapeOptions& options)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x7F) {
            if (c == '\\' || c == '{' || c == '}')
                out += '\\';
            out += static_cast<char>(c);
            continue;
        }
        switch (c) {
        case '\t':
            out += "\\tab ";
            continue;
        case '\r':
        case '\n':
            if (options.lineEndsAsPar && !(c == '\n' && i > 0 && text[i - 1] == u'\r'))
                out += "\\par ";
            continue;
        case 0x2028:
            out += "\\line ";
            continue;
        case 0x00A0:
            out += "\\~";
            continue;
        case 0x00AD:
            out += "\\-";
            continue;
        case 0x2011:
            out += "\\_";
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7F || c == 0xFFFC || c == 0xFFFE || c == 0xFFFF || (c >= 0xFDD0 && c <= 0xFDEF))
            continue; // other controls and the object mark have no place in text
        const int cp1252 = toCp1252(c);
        if (!options.unicodeAlways && cp1252 >= 0) {
            out += "\\'";
            out += QByteArray::number(cp1252, 16).rightJustified(2, '0');
            continue;
        }
        out += "\\u";
        out += QByteArray::number(static_cast<short>(c));
        if (options.fallbackChars == 0)
            out += ' '; // a digit that follows must not join the number
        for (int k = 0; k < options.fallbackChars; ++k) {
            if (k == 0 && options.fallbackChars == 1 && cp1252 >= 0) {
                out += "\\'";
                out += QByteArray::number(cp1252, 16).rightJustified(2, '0');
            } else {
                out += '?';
            }
        }
    }
}

} // namespace detail

using namespace detail;

QByteArray escapeText(QStringView value)
{
    QByteArray out;
    out.reserve(value.size() + 16);
    appendEscaped(out, value, EscapeOptions{true, 1, true});
    return out;
}

namespace {

enum class GroupKind : unsigned char {
    Text,
    Hidden,     // a field is never looked for in it
    Upr,        // \upr, whose two halves are both text
    UprUnicode, // the \ud half of a \upr group
};

// Hidden: tables, pictures, field codes, document information and every
// {\*...} group but a \upr's \ud half. Headers and footers are text.
GroupKind groupKind(Lexer peek, bool inUpr)
{
    Token first = peek.next();
    const bool starred = first.kind == Tok::Symbol && first.symbol == '*';
    if (starred)
        first = peek.next();
    if (first.kind != Tok::Word)
        return starred ? GroupKind::Hidden : GroupKind::Text;
    const Kw kw = keyword(first.name);
    if (kw == Kw::Ud && inUpr)
        return GroupKind::UprUnicode;
    if (starred)
        return GroupKind::Hidden;
    switch (kw) {
    case Kw::Upr:
        return GroupKind::Upr;
    case Kw::Fonttbl:
    case Kw::Colortbl:
    case Kw::Pict:
    case Kw::Fldinst:
        return GroupKind::Hidden;
    case Kw::SkipDest:
        return !first.name.startsWith("header") && !first.name.startsWith("footer") ? GroupKind::Hidden
                                                                                    : GroupKind::Text;
    default:
        return GroupKind::Text;
    }
}

struct Kept {
    qsizetype begin;
    qsizetype end;
    bool addBlank; // a control word that a removed character delimited
};

struct Replacement {
    qsizetype begin;
    qsizetype end;
    int uc;
    bool leadBlank;
    std::vector<Kept> kept;
};

// Finds the occurrences of a field in the document's text (see the header for
// what counts). One pass over the bytes; a failed partial match resumes right
// after its first character, so overlapping candidates are not missed.
class FieldScanner {
public:
    FieldScanner(const QByteArray& rtf, QStringView field) : lex_(rtf), field_(field)
    {
        lex_.setMaxTextRun(1);
        setCodePage(1252);
    }

    // Every occurrence, or only the first one.
    std::vector<Replacement> run(bool firstOnly = false)
    {
        std::vector<Replacement> found;
        if (field_.isEmpty())
            return found;
        for (;;) {
            if (firstOnly && !found.empty())
                return found;
            const Token t = lex_.next();
            const qsizetype wordEnd = lastWordEnd_;
            lastWordEnd_ = -1;
            switch (t.kind) {
            case Tok::End:
                return found;
            case Tok::Open: {
                skip_ = 0;
                const bool inUpr = !edges_.empty() && edges_.back().depth == ucStack_.size() && edges_.back().upr;
                const GroupKind kind = groupKind(lex_, inUpr);
                if (kind == GroupKind::Hidden) {
                    lex_.skipGroup();
                    neutral(t.begin, lex_.pos(), false);
                    break;
                }
                if (kind == GroupKind::Upr || kind == GroupKind::UprUnicode) {
                    if (matched_ > 0) {
                        breakMatch(); // rescans this brace from the restored position
                        break;
                    }
                    edges_.push_back({ucStack_.size() + 1, kind == GroupKind::Upr});
                }
                ucStack_.push_back(uc_);
                if (matched_ > 0)
                    journal_.push_back(-1);
                neutral(t.begin, t.end, false);
                break;
            }
            case Tok::Close:
                skip_ = 0;
                if (!edges_.empty() && edges_.back().depth == ucStack_.size()) {
                    if (matched_ > 0) {
                        breakMatch();
                        break;
                    }
                    edges_.pop_back();
                }
                if (!ucStack_.empty()) {
                    if (matched_ > 0)
                        journal_.push_back(uc_);
                    uc_ = ucStack_.back();
                    ucStack_.pop_back();
                }
                neutral(t.begin, t.end, false);
                break;
            case Tok::Word: {
                if (skip_ > 0) {
                    --skip_;
                    breakMatch();
                    break;
                }
                const Kw kw = keyword(t.name);
                if (kw == Kw::Uc && t.hasParam)
                    uc_ = std::clamp(t.param, 0, 16);
                else if (kw == Kw::Ansicpg && t.hasParam)
                    setCodePage(t.param);
                if (kw == Kw::U) {
                    // Once the match is given up, the lexer is back before
                    // this word, so the fallback is skipped when it comes again.
                    if (matched_ > 0)
                        breakMatch();
                    else
                        skip_ = uc_;
                } else if (breaksText(kw)) {
                    breakMatch();
                } else {
                    neutral(t.begin, t.end, !t.spaceEnded);
                    if (!t.spaceEnded)
                        lastWordEnd_ = t.end;
                }
                break;
            }
            case Tok::Symbol:
                if (skip_ > 0) {
                    --skip_;
                    breakMatch();
                } else if (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}') {
                    character(QChar(t.symbol), t, found, wordEnd);
                } else {
                    breakMatch();
                }
                break;
            case Tok::Hex:
                if (skip_ > 0) {
                    --skip_;
                    breakMatch();
                } else {
                    character((*table_)[t.hex], t, found, wordEnd);
                }
                break;
            case Tok::Text: {
                const unsigned char byte = static_cast<unsigned char>(t.name[0]);
                if (byte == '\r' || byte == '\n') {
                    neutral(t.begin, t.end, false);
                } else if (skip_ > 0) {
                    --skip_;
                    breakMatch();
                } else {
                    character((*table_)[byte], t, found, wordEnd);
                }
                break;
            }
            case Tok::Bin:
                skip_ = 0;
                breakMatch();
                break;
            }
        }
    }

private:
    // Each code page's characters are worked out once: a merge scans many
    // small pieces of a document, each with a scanner of its own.
    void setCodePage(int cp)
    {
        using Table = std::array<QChar, 256>;
        thread_local std::map<int, Table> tables;
        const int known = isKnownCodePage(cp) ? cp : 1252;
        auto it = tables.find(known);
        if (it == tables.end()) {
            QByteArray all(256, Qt::Uninitialized);
            for (int i = 0; i < 256; ++i)
                all[i] = static_cast<char>(i);
            QString decoded;
            decodeAppend(decoded, all, known);
            Table t;
            for (int i = 0; i < 256; ++i)
                t[i] = decoded.size() == 256 ? decoded.at(i) : QChar(i < 0x80 ? i : 0xFFFD);
            it = tables.emplace(known, t).first;
        }
        table_ = &it->second;
    }

    void character(QChar c, const Token& t, std::vector<Replacement>& found, qsizetype wordEnd)
    {
        if (c != field_[matched_]) {
            if (matched_ > 0) {
                breakMatch(); // rescans this character from the restored position
                return;
            }
            return;
        }
        if (matched_ == 0) {
            current_ = Replacement{t.begin, t.end, uc_, wordEnd == t.begin, {}};
            resume_ = lex_;
            journal_.clear();
        }
        current_.end = t.end;
        if (++matched_ == field_.size()) {
            found.push_back(std::move(current_));
            matched_ = 0;
            journal_.clear();
        }
    }

    void neutral(qsizetype begin, qsizetype end, bool addBlank)
    {
        if (matched_ > 0)
            current_.kept.push_back({begin, end, addBlank});
    }

    // Gives up the partial match and goes back to just after its first
    // character, undoing the group changes made since.
    void breakMatch()
    {
        if (matched_ == 0)
            return;
        for (auto it = journal_.rbegin(); it != journal_.rend(); ++it) {
            if (*it < 0) {
                uc_ = ucStack_.back();
                ucStack_.pop_back();
            } else {
                ucStack_.push_back(uc_);
                uc_ = *it;
            }
        }
        journal_.clear();
        uc_ = current_.uc;
        lex_ = resume_;
        matched_ = 0;
        skip_ = 0;
        lastWordEnd_ = -1;
    }

    Lexer lex_;
    QStringView field_;
    const std::array<QChar, 256>* table_ = nullptr;
    std::vector<int> ucStack_;
    // Open \upr groups and their \ud halves, by depth in ucStack_: a match
    // never crosses their edges, since each half is read on its own.
    struct Edge {
        size_t depth;
        bool upr;
    };
    std::vector<Edge> edges_;
    int uc_ = 1;
    int skip_ = 0;
    qsizetype lastWordEnd_ = -1;
    qsizetype matched_ = 0;
    Replacement current_{};
    Lexer resume_{QByteArrayView()};
    // Group changes during a partial match: -1 an opened group, otherwise the
    // \uc value of a closed one.
    std::vector<int> journal_;
};

// The document with each found occurrence replaced by value(its index in
// found, the \uc in force there); found is in document order.
QByteArray rebuild(const QByteArray& rtf, const std::vector<Replacement>& found,
                   const std::function<QByteArray(std::size_t index, int uc)>& value)
{
    if (found.empty())
        return rtf;
    QByteArray out;
    out.reserve(rtf.size() + qsizetype(found.size()) * 32);
    qsizetype pos = 0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const Replacement& r = found[i];
        out.append(rtf.constData() + pos, r.begin - pos);
        if (r.leadBlank)
            out += ' ';
        out += value(i, r.uc);
        for (const Kept& k : r.kept) {
            out.append(rtf.constData() + k.begin, k.end - k.begin);
            if (k.addBlank)
                out += ' ';
        }
        pos = r.end;
    }
    out.append(rtf.constData() + pos, rtf.size() - pos);
    return out;
}

} // namespace

QByteArray replaceField(const QByteArray& rtf, QStringView field, QStringView value, int* count)
{
    const std::vector<Replacement> found = FieldScanner(rtf, field).run();
    if (count)
        *count = int(found.size());
    return rebuild(rtf, found, [&](std::size_t, int uc) {
        QByteArray out;
        appendEscaped(out, value, EscapeOptions{true, uc, true});
        return out;
    });
}

QByteArray replaceFirstFields(const QByteArray& rtf, std::initializer_list<FieldValue> fields, int* count)
{
    // Each field is looked for in the document as given; the replacements
    // are then made in one pass, in document order. Occurrences of different
    // fields never overlap: each is a run of text characters of its own.
    std::vector<Replacement> found;
    std::vector<QStringView> values;
    for (const FieldValue& f : fields) {
        std::vector<Replacement> one = FieldScanner(rtf, f.field).run(true);
        if (one.empty())
            continue;
        found.push_back(std::move(one.front()));
        values.push_back(f.value);
    }
    if (count)
        *count = int(found.size());
    std::vector<std::size_t> order(found.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return found[a].begin < found[b].begin; });
    std::vector<Replacement> sorted;
    sorted.reserve(found.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(found[i]));
    return rebuild(rtf, sorted, [&](std::size_t i, int uc) {
        QByteArray out;
        appendEscaped(out, values[order[i]], EscapeOptions{true, uc, true});
        return out;
    });
}

QByteArray replaceFieldRtf(const QByteArray& rtf, QStringView field, const QByteArray& fragment, int* count)
{
    QByteArray text = fragment;
    // "\par" at the end would run into the text that follows the field.
    qsizetype i = text.size();
    while (i > 0 && isAsciiDigit(text[i - 1]))
        --i;
    if (i > 0 && text[i - 1] == '-')
        --i;
    const qsizetype digitsStart = i;
    while (i > 0 && isAsciiLetter(text[i - 1]))
        --i;
    if (i < digitsStart && i > 0 && text[i - 1] == '\\') {
        // A backslash that is itself escaped ("\\par") does not start a word.
        qsizetype slashes = 0;
        for (qsizetype k = i - 1; k >= 0 && text[k] == '\\'; --k)
            ++slashes;
        if (slashes % 2 == 1)
            text += ' ';
    }
    const std::vector<Replacement> found = FieldScanner(rtf, field).run();
    if (count)
        *count = int(found.size());
    return rebuild(rtf, found, [&](std::size_t, int) { return text; });
}

} // namespace Rtf
