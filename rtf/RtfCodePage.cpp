#include "RtfCodePage.h"

#include <QStringDecoder>

#include <array>
#include <map>
#include <memory>

namespace Rtf::detail {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; five bytes there are
// unassigned.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

using Table = std::array<char16_t, 256>;

const char* codecName(int cp)
{
    switch (cp) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 852: return "IBM852";
    case 866: return "IBM866";
    case 874: return "windows-874";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 65001: return "UTF-8";
    default: return nullptr;
    }
}

bool isMultiByte(int cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 65001; }

Table makeCp1252()
{
    Table t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<char16_t>(i);
    for (int i = 0; i < 32; ++i)
        t[0x80 + i] = kCp1252High[i];
    return t;
}

// Tables are built on first use and kept for the life of the process (a few
// pages at most; the program is single-threaded).
const Table* singleByteTable(int cp)
{
    static const Table cp1252 = makeCp1252();
    if (cp == 1252)
        return &cp1252;
    static std::map<int, std::unique_ptr<Table>> tables;
    auto it = tables.find(cp);
    if (it != tables.end())
        return it->second.get();
    const char* name = codecName(cp);
    if (!name || isMultiByte(cp))
        return nullptr;
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return nullptr;
    auto table = std::make_unique<Table>();
    for (int i = 0; i < 256; ++i) {
        const char byte = static_cast<char>(i);
        const QString s = decoder.decode(QByteArrayView(&byte, 1));
        (*table)[i] = s.size() == 1 ? s.at(0).unicode() : char16_t(0xFFFD);
        decoder.resetState();
    }
    return tables.emplace(cp, std::move(table)).first->second.get();
}

} // namespace

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252; // symbol fonts: the bytes are the glyph numbers
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;
    }
}

bool isKnownCodePage(int codePage)
{
    return codePage == 1252 || codecName(codePage) != nullptr;
}

void decodeAppend(QString& out, QByteArrayView bytes, int codePage)
{
    if (bytes.isEmpty())
        return;
    if (isMultiByte(codePage)) {
        QStringDecoder decoder(codecName(codePage));
        if (decoder.isValid()) {
            out += decoder.decode(bytes);
            return;
        }
        codePage = 1252;
    }
    const Table* table = singleByteTable(codePage);
    if (!table)
        table = singleByteTable(1252);
    const qsizetype start = out.size();
    out.resize(start + bytes.size());
    QChar* dst = out.data() + start;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar((*table)[static_cast<unsigned char>(bytes[i])]);
}

int toCp1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c && c != 0xFFFD)
            return 0x80 + i;
    return -1;
}

} // namespace Rtf::detail
