#pragma once
// Tokenizer of RTF bytes, shared by the reader and the merge-field replacement.
// It never allocates and never reads past the input: every token is a view
// into the caller's bytes.

#include <QByteArrayView>

namespace Rtf::detail {

enum class Tok : unsigned char {
    End,    // no more input
    Open,   // {
    Close,  // }
    Word,   // \name or \nameN
    Symbol, // \ followed by one non-letter (\~, \*, \{ ...), except \'
    Hex,    // \'xx
    Text,   // a run of plain bytes (may contain CR and LF, which RTF ignores)
    Bin     // \binN and the N raw bytes that follow it
};

struct Token {
    Tok kind = Tok::End;
    QByteArrayView name;  // Word: the letters; Text and Bin: the bytes
    int param = 0;        // Word: the numeric parameter, clamped to int
    bool hasParam = false;
    bool spaceEnded = false; // Word: a blank delimiter was consumed with it
    char symbol = 0;      // Symbol: the character after the backslash
    unsigned char hex = 0;// Hex: the byte value
    qsizetype begin = 0;  // byte offsets of the whole token in the input
    qsizetype end = 0;
};

class Lexer {
public:
    explicit Lexer(QByteArrayView input) : data_(input.data()), size_(input.size()) {}

    // Longest Text token to return; the merge scanner asks for one byte at a
    // time so that a match may start anywhere inside a run.
    void setMaxTextRun(qsizetype n) { maxTextRun_ = n; }

    Token next();

    // Called after an Open token: consumes the rest of that group, nested
    // groups and \bin data included, up to and with its closing brace (or the
    // end of input). Cheap: no tokens are built.
    void skipGroup();

    qsizetype pos() const { return pos_; }
    qsizetype size() const { return size_; }
    QByteArrayView bytes(qsizetype from, qsizetype to) const { return {data_ + from, to - from}; }

private:
    Token readControl(qsizetype start);

    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    qsizetype maxTextRun_ = -1;
};

inline bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace Rtf::detail
