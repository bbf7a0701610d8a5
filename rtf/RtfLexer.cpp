#include "RtfLexer.h"

#include <climits>

namespace Rtf::detail {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isSpecial(char c) { return c == '\\' || c == '{' || c == '}'; }

} // namespace

Token Lexer::next()
{
    Token t;
    t.begin = pos_;
    if (pos_ >= size_) {
        t.end = pos_;
        return t;
    }
    const char c = data_[pos_];
    if (c == '{' || c == '}') {
        t.kind = c == '{' ? Tok::Open : Tok::Close;
        t.end = ++pos_;
        return t;
    }
    if (c == '\\')
        return readControl(pos_);

    qsizetype end = pos_ + 1;
    const qsizetype limit = maxTextRun_ > 0 && size_ - pos_ > maxTextRun_ ? pos_ + maxTextRun_ : size_;
    while (end < limit && !isSpecial(data_[end]))
        ++end;
    t.kind = Tok::Text;
    t.name = QByteArrayView(data_ + pos_, end - pos_);
    t.end = pos_ = end;
    return t;
}

Token Lexer::readControl(qsizetype start)
{
    Token t;
    t.begin = start;
    qsizetype p = start + 1;
    if (p >= size_) {
        // A lone backslash at the very end: nothing to read.
        t.end = pos_ = size_;
        return t;
    }
    const char c = data_[p];
    if (!isAsciiLetter(c)) {
        if (c == '\'') {
            const int hi = p + 1 < size_ ? hexValue(data_[p + 1]) : -1;
            const int lo = p + 2 < size_ ? hexValue(data_[p + 2]) : -1;
            if (hi >= 0 && lo >= 0) {
                t.kind = Tok::Hex;
                t.hex = static_cast<unsigned char>(hi * 16 + lo);
                t.end = pos_ = p + 3;
                return t;
            }
            // A broken escape is dropped with whatever hex digit it had.
            t.kind = Tok::Symbol;
            t.symbol = '\'';
            t.end = pos_ = p + 1 + (hi >= 0 ? 1 : 0);
            return t;
        }
        if (c == '\r' || c == '\n') {
            // A backslash before a line end is a paragraph mark.
            t.kind = Tok::Word;
            t.name = "par";
            t.end = pos_ = p + 1;
            return t;
        }
        t.kind = Tok::Symbol;
        t.symbol = c;
        t.end = pos_ = p + 1;
        return t;
    }

    const qsizetype nameStart = p;
    while (p < size_ && isAsciiLetter(data_[p]))
        ++p;
    t.kind = Tok::Word;
    t.name = QByteArrayView(data_ + nameStart, p - nameStart);
    bool negative = false;
    if (p + 1 < size_ && data_[p] == '-' && isAsciiDigit(data_[p + 1])) {
        negative = true;
        ++p;
    }
    if (p < size_ && isAsciiDigit(data_[p])) {
        long long value = 0;
        while (p < size_ && isAsciiDigit(data_[p])) {
            if (value <= INT_MAX)
                value = value * 10 + (data_[p] - '0');
            ++p;
        }
        if (negative)
            value = -value;
        t.param = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
        t.hasParam = true;
    }
    if (p < size_ && data_[p] == ' ') {
        ++p;
        t.spaceEnded = true;
    }
    pos_ = p;

    if (t.name == "bin" && t.hasParam && t.param > 0) {
        const qsizetype n = qMin<qsizetype>(t.param, size_ - pos_);
        t.kind = Tok::Bin;
        t.name = QByteArrayView(data_ + pos_, n);
        pos_ += n;
    }
    t.end = pos_;
    return t;
}

void Lexer::skipGroup()
{
    int depth = 1;
    while (pos_ < size_) {
        const char c = data_[pos_];
        if (c == '{') {
            ++depth;
            ++pos_;
        } else if (c == '}') {
            ++pos_;
            if (--depth == 0)
                return;
        } else if (c == '\\') {
            if (pos_ + 1 < size_ && data_[pos_ + 1] == 'b')
                readControl(pos_); // may be \bin, whose data can hold braces
            else
                pos_ += 2;
        } else {
            ++pos_;
            while (pos_ < size_ && !isSpecial(data_[pos_]))
                ++pos_;
        }
    }
    if (pos_ > size_)
        pos_ = size_;
}

} // namespace Rtf::detail
