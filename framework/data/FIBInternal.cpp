#include "FIBInternal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace fib {

QString StatusText(const ISC_STATUS* status)
{
    QStringList lines;
    const ISC_STATUS* p = status;
    char buf[1024];
    while (fb_interpret(buf, sizeof buf, &p) > 0)
        lines << QString::fromUtf8(buf);
    return lines.join(QLatin1Char('\n'));
}

QString ExceptionMessage(const ISC_STATUS* status)
{
    // A refusal raised by a trigger or procedure: "exception N", then the
    // exception's name and its message (each the string after isc_random),
    // then where it was raised. The message is the last of those strings.
    if (status[0] != isc_arg_gds || status[1] != isc_except)
        return {};
    const ISC_STATUS* p = status;
    bool aleatorio = false;
    QString mensaje;
    while (*p != isc_arg_end) {
        const ISC_STATUS tipo = p[0];
        if (tipo == isc_arg_gds) {
            aleatorio = p[1] == isc_random;
            p += 2;
        } else if (tipo == isc_arg_cstring) {
            if (aleatorio)
                mensaje = QString::fromUtf8(reinterpret_cast<const char*>(p[2]), static_cast<qsizetype>(p[1]));
            aleatorio = false;
            p += 3;
        } else {
            if (aleatorio && tipo == isc_arg_string)
                mensaje = QString::fromUtf8(reinterpret_cast<const char*>(p[1]));
            aleatorio = false;
            p += 2;
        }
    }
    return mensaje;
}

void CheckStatus(const ISC_STATUS* status)
{
    if (status[0] == 1 && status[1] != 0) {
        const long sqlCode = isc_sqlcode(status);
        // The refusals of the database's own rules reach the user as their
        // message, without the engine's exception number, name and place.
        const QString propio = ExceptionMessage(status);
        // Every engine code of the status, for the everyday errors' explanations.
        std::vector<long> codigos;
        for (const ISC_STATUS* p = status; *p != isc_arg_end;) {
            if (p[0] == isc_arg_gds)
                codigos.push_back(static_cast<long>(p[1]));
            p += p[0] == isc_arg_cstring ? 3 : 2;
        }
        throw EFIBError(propio.isEmpty() ? StatusText(status) : propio, sqlCode, static_cast<long>(status[1]),
                        std::move(codigos));
    }
}

// --- SqlDA -----------------------------------------------------------------

SqlDA::SqlDA() { Resize(1); }

void SqlDA::Resize(int n)
{
    if (n < 1)
        n = 1;
    const std::size_t len = XSQLDA_LENGTH(n);
    mem_ = std::make_unique<char[]>(len);
    std::memset(mem_.get(), 0, len);
    get()->version = SQLDA_VERSION1;
    get()->sqln = static_cast<short>(n);
    data_.clear();
    nulls_.clear();
}

void SqlDA::AllocOutputBuffers()
{
    const int n = Count();
    std::vector<std::size_t> offsets(n);
    std::size_t total = 0;
    for (int i = 0; i < n; ++i) {
        const XSQLVAR& v = Var(i);
        std::size_t size = static_cast<unsigned short>(v.sqllen);
        if ((v.sqltype & ~1) == SQL_VARYING)
            size += 2;
        if (size == 0)
            size = 1;
        offsets[i] = total;
        total += (size + 7) & ~std::size_t(7);
    }
    data_.assign(total ? total : 8, 0);
    nulls_.assign(n ? n : 1, 0);
    for (int i = 0; i < n; ++i) {
        Var(i).sqldata = data_.data() + offsets[i];
        Var(i).sqlind = &nulls_[i];
    }
}

// --- columns -----------------------------------------------------------------

int BytesPerChar(short charsetId)
{
    switch (charsetId & 0xFF) {
    case 3: return 3; // UNICODE_FSS
    case 4: return 4; // UTF8
    default: return 1;
    }
}

std::size_t Utf8PrefixBytes(const char* s, std::size_t len, int n)
{
    if (n < 0 || len <= static_cast<std::size_t>(n))
        return len; // no more bytes than characters allowed: nothing to cut
    int chars = 0;
    std::size_t i = 0;
    while (i < len) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (chars == n)
            return i;
        int step = 1;
        if (c >= 0xF0) step = 4;
        else if (c >= 0xE0) step = 3;
        else if (c >= 0xC0) step = 2;
        i += step;
        ++chars;
    }
    return len;
}

QByteArray CutUtf8(const QByteArray& s, int n)
{
    const std::size_t keep = Utf8PrefixBytes(s.constData(), static_cast<std::size_t>(s.size()), n);
    return keep == static_cast<std::size_t>(s.size()) ? s : s.left(static_cast<qsizetype>(keep));
}

ColumnInfo DescribeColumn(const XSQLVAR& v)
{
    ColumnInfo c;
    c.name = QString::fromUtf8(v.aliasname, v.aliasname_length);
    c.sqlName = QString::fromUtf8(v.sqlname, v.sqlname_length);
    c.relation = QString::fromUtf8(v.relname, v.relname_length);
    c.sqltype = static_cast<short>(v.sqltype & ~1);
    c.subtype = v.sqlsubtype;
    c.scale = v.sqlscale;
    c.sqllen = v.sqllen;
    switch (c.sqltype) {
    case SQL_TEXT:
    case SQL_VARYING:
        c.type = TFieldType::ftString;
        c.charSize = static_cast<unsigned short>(v.sqllen) / BytesPerChar(v.sqlsubtype);
        break;
    case SQL_SHORT: c.type = c.scale < 0 ? TFieldType::ftFloat : TFieldType::ftSmallint; break;
    case SQL_LONG: c.type = c.scale < 0 ? TFieldType::ftFloat : TFieldType::ftInteger; break;
    case SQL_INT64: c.type = c.scale < 0 ? TFieldType::ftFloat : TFieldType::ftLargeint; break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: c.type = TFieldType::ftFloat; break;
    case SQL_TIMESTAMP: c.type = TFieldType::ftDateTime; break;
    case SQL_TYPE_DATE: c.type = TFieldType::ftDate; break;
    case SQL_TYPE_TIME: c.type = TFieldType::ftTime; break;
    case SQL_BLOB: c.type = v.sqlsubtype == 1 ? TFieldType::ftMemo : TFieldType::ftBlob; break;
    case SQL_BOOLEAN: c.type = TFieldType::ftBoolean; break;
    default: c.type = TFieldType::ftUnknown; break;
    }
    return c;
}

// --- dates -------------------------------------------------------------------

// ISC dates count days from 17 November 1858 (Julian day 2400001).
static constexpr qint64 kIscEpochJulian = 2400001;

QDateTime DecodeTimestamp(const ISC_TIMESTAMP& ts)
{
    const QDate d = QDate::fromJulianDay(ts.timestamp_date + kIscEpochJulian);
    const QTime t = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ts.timestamp_time / 10));
    return MakeDateTime(d, t);
}

ISC_TIMESTAMP EncodeTimestamp(const QDateTime& dt)
{
    ISC_TIMESTAMP ts;
    ts.timestamp_date = static_cast<ISC_DATE>(dt.date().toJulianDay() - kIscEpochJulian);
    ts.timestamp_time = static_cast<ISC_TIME>(dt.time().msecsSinceStartOfDay()) * 10;
    return ts;
}

// --- records -----------------------------------------------------------------

void RowArena::BlockFree::operator()(char* p) const
{
#ifdef __linux__
    if (mapped) {
        munmap(p, size);
        return;
    }
#endif
    delete[] p;
}

char* RowArena::Allocate(std::size_t n)
{
    if (n > left_) {
        // Blocks double with the result, from a page for a short list to a
        // megabyte; a larger row gets a block of its own size.
        constexpr std::size_t kFirst = 4096, kLargest = 1024 * 1024;
        const std::size_t size = std::max(n, std::clamp(reserved_, kFirst, kLargest));
        BlockFree how{size, false};
        char* block = nullptr;
#ifdef __linux__
        // A large block is mapped with its pages in place: the rows fill it at
        // once, and taking its pages one fault at a time costs a walk of a
        // long list several per cent.
        if (size >= 256 * 1024) {
            void* m = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
            if (m != MAP_FAILED) {
                block = static_cast<char*>(m);
                how.mapped = true;
            }
        }
#endif
        std::unique_ptr<char, BlockFree> owned(block ? block : new char[size], how);
        block = owned.get();
        blocks_.push_back(std::move(owned));
        reserved_ += size;
        next_ = block;
        left_ = size;
    }
    char* p = next_;
    next_ += n;
    left_ -= n;
    return p;
}

void RowArena::Clear()
{
    blocks_.clear();
    blocks_.shrink_to_fit();
    next_ = nullptr;
    left_ = 0;
    reserved_ = 0;
}

char* Record::Own(std::size_t n)
{
    own_ = std::make_unique_for_overwrite<char[]>(n);
    buf_ = own_.get();
    return own_.get();
}

std::size_t Record::Bytes() const
{
    if (!buf_)
        return 0;
    std::uint32_t last;
    std::memcpy(&last, buf_ + 4 + 4 * Count(), 4);
    return last & kMask;
}

Record Record::Build(const std::vector<CellIn>& cells)
{
    const std::uint32_t n = static_cast<std::uint32_t>(cells.size());
    std::size_t total = 4 + 4 * (n + 1);
    for (const CellIn& c : cells)
        total += c.null ? 0 : static_cast<std::size_t>(c.data.size());
    Record r;
    char* p = r.Own(total);
    std::memcpy(p, &n, 4);
    std::uint32_t pos = 4 + 4 * (n + 1);
    for (std::uint32_t i = 0; i < n; ++i) {
        const CellIn& c = cells[i];
        std::uint32_t o = pos;
        if (c.null)
            o |= kNull;
        else {
            std::memcpy(p + pos, c.data.constData(), c.data.size());
            pos += static_cast<std::uint32_t>(c.data.size());
            if (c.inlineBlob)
                o |= kInline;
        }
        std::memcpy(p + 4 + 4 * i, &o, 4);
    }
    std::memcpy(p + 4 + 4 * n, &pos, 4);
    return r;
}

Record Record::Nulls(int n) { return Build(std::vector<CellIn>(static_cast<std::size_t>(n))); }

Record::CellIn Record::Take(int i) const
{
    const Cell c = At(i);
    CellIn in;
    in.null = c.null;
    in.inlineBlob = c.inlineBlob;
    if (!c.null)
        in.data = QByteArray(c.data, static_cast<qsizetype>(c.len));
    return in;
}

Record Record::With(int i, const CellIn& cell) const
{
    std::vector<CellIn> cells(static_cast<std::size_t>(Count()));
    for (int k = 0; k < Count(); ++k)
        cells[k] = k == i ? cell : Take(k);
    return Build(cells);
}

Record Record::Clone() const
{
    Record r;
    if (!buf_)
        return r;
    const std::size_t size = Bytes();
    std::memcpy(r.Own(size), buf_, size);
    return r;
}

namespace {

// Size and bytes of an output variable's value as stored in a row.
struct OutCell {
    const char* data;
    std::uint32_t len;
    bool null;
    double converted; // numbers with a scale are stored as doubles
};

inline double Scaled(qint64 v, short scale) { return static_cast<double>(v) / std::pow(10.0, -scale); }

OutCell Extract(const XSQLVAR& v, const ColumnInfo& c)
{
    OutCell o{nullptr, 0, false, 0};
    if ((v.sqltype & 1) && *v.sqlind < 0) {
        o.null = true;
        return o;
    }
    switch (c.sqltype) {
    case SQL_VARYING: {
        unsigned short len;
        std::memcpy(&len, v.sqldata, 2);
        o.data = v.sqldata + 2;
        o.len = len;
        break;
    }
    case SQL_TEXT: {
        // CHAR keeps its blank padding to the declared number of characters.
        o.data = v.sqldata;
        o.len = static_cast<unsigned short>(v.sqllen);
        if (BytesPerChar(c.subtype) > 1)
            o.len = static_cast<std::uint32_t>(Utf8PrefixBytes(v.sqldata, o.len, c.charSize));
        break;
    }
    case SQL_FLOAT: {
        float f;
        std::memcpy(&f, v.sqldata, 4);
        o.converted = f;
        o.data = nullptr;
        o.len = 8;
        break;
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        if (c.scale < 0) {
            qint64 raw = 0;
            if (c.sqltype == SQL_SHORT) { short s; std::memcpy(&s, v.sqldata, 2); raw = s; }
            else if (c.sqltype == SQL_LONG) { ISC_LONG l; std::memcpy(&l, v.sqldata, 4); raw = l; }
            else std::memcpy(&raw, v.sqldata, 8);
            o.converted = Scaled(raw, c.scale);
            o.len = 8;
        } else {
            o.data = v.sqldata;
            o.len = static_cast<std::uint32_t>(v.sqllen);
        }
        break;
    default:
        o.data = v.sqldata;
        o.len = static_cast<std::uint32_t>(v.sqllen);
        break;
    }
    return o;
}

} // namespace

Record Record::FromOutput(const SqlDA& da, const std::vector<ColumnInfo>& cols, RowArena* arena)
{
    const int n = static_cast<int>(cols.size());
    OutCell cells[64];
    std::vector<OutCell> many;
    OutCell* out = cells;
    if (n > 64) {
        many.resize(n);
        out = many.data();
    }
    std::size_t total = 4 + 4 * (static_cast<std::size_t>(n) + 1);
    for (int i = 0; i < n; ++i) {
        out[i] = Extract(da.Var(i), cols[i]);
        if (!out[i].null)
            total += out[i].len;
    }
    Record r;
    char* p = arena ? arena->Allocate(total) : r.Own(total);
    if (arena)
        r.buf_ = p;
    const std::uint32_t count = static_cast<std::uint32_t>(n);
    std::memcpy(p, &count, 4);
    std::uint32_t pos = 4 + 4 * (count + 1);
    for (int i = 0; i < n; ++i) {
        std::uint32_t o = pos;
        if (out[i].null)
            o |= kNull;
        else {
            if (out[i].data)
                std::memcpy(p + pos, out[i].data, out[i].len);
            else
                std::memcpy(p + pos, &out[i].converted, 8);
            pos += out[i].len;
        }
        std::memcpy(p + 4 + 4 * i, &o, 4);
    }
    std::memcpy(p + 4 + 4 * count, &pos, 4);
    return r;
}

// --- cells and values ------------------------------------------------------------

TFIBValue DecodeOutput(const XSQLVAR& var, const ColumnInfo& col, Record::Cell* raw)
{
    const OutCell o = Extract(var, col);
    Record::Cell cell;
    cell.null = o.null;
    cell.len = o.len;
    cell.data = o.data ? o.data : reinterpret_cast<const char*>(&o.converted);
    if (raw)
        *raw = cell;
    return DecodeCell(col, cell);
}

bool BlobIdOf(const Record::Cell& cell, ISC_QUAD& id)
{
    if (cell.null || cell.inlineBlob || cell.len != sizeof(ISC_QUAD))
        return false;
    std::memcpy(&id, cell.data, sizeof id);
    return true;
}

bool IsWholeNumber(TFieldType t)
{
    return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftLargeint ||
           t == TFieldType::ftBoolean;
}

qint64 CellInteger(const ColumnInfo& col, const Record::Cell& cell)
{
    switch (col.type) {
    case TFieldType::ftSmallint: { short s; std::memcpy(&s, cell.data, 2); return s; }
    case TFieldType::ftInteger: { ISC_LONG l; std::memcpy(&l, cell.data, 4); return l; }
    case TFieldType::ftLargeint: { qint64 l; std::memcpy(&l, cell.data, 8); return l; }
    case TFieldType::ftBoolean: return cell.data[0] ? 1 : 0;
    default: return 0;
    }
}

TFIBValue DecodeCell(const ColumnInfo& col, const Record::Cell& cell)
{
    if (cell.null)
        return TFIBValue();
    switch (col.type) {
    case TFieldType::ftString: {
        TFIBValue v;
        v.kind = TFIBValue::Kind::Text;
        v.bytes = QByteArray(cell.data, static_cast<qsizetype>(cell.len));
        return v;
    }
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
    case TFieldType::ftBoolean: return TFIBValue::Integer(CellInteger(col, cell));
    case TFieldType::ftFloat: {
        if (col.sqltype == SQL_DOUBLE || col.sqltype == SQL_D_FLOAT || col.sqltype == SQL_FLOAT || col.scale < 0) {
            double d;
            std::memcpy(&d, cell.data, 8);
            return TFIBValue::Float(d);
        }
        return TFIBValue();
    }
    case TFieldType::ftDateTime: {
        ISC_TIMESTAMP ts;
        std::memcpy(&ts, cell.data, sizeof ts);
        return TFIBValue::DateTime(DecodeTimestamp(ts));
    }
    case TFieldType::ftDate: {
        ISC_TIMESTAMP ts{0, 0};
        std::memcpy(&ts.timestamp_date, cell.data, 4);
        return TFIBValue::DateTime(DecodeTimestamp(ts));
    }
    case TFieldType::ftTime: {
        ISC_TIMESTAMP ts{static_cast<ISC_DATE>(QDate(1899, 12, 30).toJulianDay() - kIscEpochJulian), 0};
        std::memcpy(&ts.timestamp_time, cell.data, 4);
        return TFIBValue::DateTime(DecodeTimestamp(ts));
    }
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
        if (cell.inlineBlob)
            return TFIBValue::Bytes(QByteArray(cell.data, static_cast<qsizetype>(cell.len)));
        return TFIBValue();
    case TFieldType::ftUnknown: break;
    }
    return TFIBValue();
}

static QByteArray RawOf(const void* p, std::size_t n) { return QByteArray(static_cast<const char*>(p), static_cast<qsizetype>(n)); }

Record::CellIn EncodeCell(const ColumnInfo& col, const TFIBValue& v)
{
    Record::CellIn c;
    if (v.IsNull())
        return c;
    c.null = false;
    switch (col.type) {
    case TFieldType::ftString: {
        QByteArray text = (v.kind == TFIBValue::Kind::Text || v.kind == TFIBValue::Kind::Bytes)
                              ? v.bytes : v.AsString().toUtf8();
        c.data = CutUtf8(text, col.charSize);
        break;
    }
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
    case TFieldType::ftBoolean: {
        qint64 x = 0;
        switch (v.kind) {
        case TFIBValue::Kind::Integer: x = v.i; break;
        case TFIBValue::Kind::Float: x = std::llround(v.d); break;
        case TFIBValue::Kind::Text: x = TextToInteger(QString::fromUtf8(v.bytes)); break;
        default: throw EFIBError(QStringLiteral("Invalid value for integer field '%1'").arg(col.name));
        }
        if (col.type == TFieldType::ftSmallint) {
            if (x < -32768 || x > 32767)
                throw EFIBError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is -32768 to 32767").arg(x).arg(col.name));
            const short s = static_cast<short>(x);
            c.data = RawOf(&s, 2);
        } else if (col.type == TFieldType::ftInteger) {
            if (x < INT32_MIN || x > INT32_MAX)
                throw EFIBError(QStringLiteral("%1 is not a valid value for field '%2'").arg(x).arg(col.name));
            const ISC_LONG l = static_cast<ISC_LONG>(x);
            c.data = RawOf(&l, 4);
        } else if (col.type == TFieldType::ftBoolean) {
            const char b = x ? 1 : 0;
            c.data = RawOf(&b, 1);
        } else {
            c.data = RawOf(&x, 8);
        }
        break;
    }
    case TFieldType::ftFloat: {
        double d = 0;
        switch (v.kind) {
        case TFIBValue::Kind::Integer: d = static_cast<double>(v.i); break;
        case TFIBValue::Kind::Float: d = v.d; break;
        case TFIBValue::Kind::Text: d = TextToFloat(QString::fromUtf8(v.bytes)); break;
        default: throw EFIBError(QStringLiteral("Invalid value for float field '%1'").arg(col.name));
        }
        c.data = RawOf(&d, 8);
        break;
    }
    case TFieldType::ftDateTime:
    case TFieldType::ftDate:
    case TFieldType::ftTime: {
        QDateTime dt;
        if (v.kind == TFIBValue::Kind::DateTime) dt = v.dt;
        else if (v.kind == TFIBValue::Kind::Text) dt = TextToDateTime(QString::fromUtf8(v.bytes));
        else throw EFIBError(QStringLiteral("Invalid value for date field '%1'").arg(col.name));
        const ISC_TIMESTAMP ts = EncodeTimestamp(dt);
        if (col.type == TFieldType::ftDateTime) c.data = RawOf(&ts, sizeof ts);
        else if (col.type == TFieldType::ftDate) c.data = RawOf(&ts.timestamp_date, 4);
        else c.data = RawOf(&ts.timestamp_time, 4);
        break;
    }
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
        c.data = (v.kind == TFIBValue::Kind::Text || v.kind == TFIBValue::Kind::Bytes) ? v.bytes : v.AsString().toUtf8();
        c.inlineBlob = true;
        break;
    case TFieldType::ftUnknown:
        throw EFIBError(QStringLiteral("Field '%1' is of an unsupported type").arg(col.name));
    }
    return c;
}

// --- blobs -------------------------------------------------------------------

namespace {
class BlobHandle {
public:
    ~BlobHandle()
    {
        if (h) {
            ISC_STATUS_ARRAY st;
            if (writing)
                isc_cancel_blob(st, &h);
            else
                isc_close_blob(st, &h);
        }
    }
    isc_blob_handle h = 0;
    bool writing = false;
};
} // namespace

QByteArray ReadBlob(isc_db_handle* db, isc_tr_handle* tr, ISC_QUAD id)
{
    ISC_STATUS_ARRAY st;
    BlobHandle blob;
    isc_open_blob2(st, db, tr, &blob.h, &id, 0, nullptr);
    CheckStatus(st);
    QByteArray out;
    char buf[32768];
    for (;;) {
        unsigned short got = 0;
        const ISC_STATUS r = isc_get_segment(st, &blob.h, &got, sizeof buf, buf);
        if (r == isc_segstr_eof)
            break;
        if (r != 0 && r != isc_segment)
            CheckStatus(st);
        out.append(buf, got);
    }
    isc_close_blob(st, &blob.h);
    blob.h = 0;
    CheckStatus(st);
    return out;
}

ISC_QUAD WriteBlob(isc_db_handle* db, isc_tr_handle* tr, const QByteArray& bytes)
{
    ISC_STATUS_ARRAY st;
    BlobHandle blob;
    blob.writing = true;
    ISC_QUAD id{};
    isc_create_blob2(st, db, tr, &blob.h, &id, 0, nullptr);
    CheckStatus(st);
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const unsigned short len = static_cast<unsigned short>(std::min<qsizetype>(32768, bytes.size() - pos));
        isc_put_segment(st, &blob.h, len, bytes.constData() + pos);
        CheckStatus(st);
        pos += len;
    }
    isc_close_blob(st, &blob.h);
    blob.h = 0;
    CheckStatus(st);
    return id;
}

// --- parameter binding ------------------------------------------------------------

namespace {

bool IsTextType(short t) { return t == SQL_TEXT || t == SQL_VARYING; }
bool IsNumberType(short t)
{
    return t == SQL_SHORT || t == SQL_LONG || t == SQL_FLOAT || t == SQL_DOUBLE || t == SQL_D_FLOAT;
}
bool IsDateType(short t) { return t == SQL_TIMESTAMP || t == SQL_TYPE_DATE || t == SQL_TYPE_TIME; }

void PutVarying(XSQLVAR& var, ParamSlot& slot, const QByteArray& text)
{
    const unsigned short len = static_cast<unsigned short>(std::min<qsizetype>(text.size(), 32765));
    slot.data.resize(2 + len);
    std::memcpy(slot.data.data(), &len, 2);
    std::memcpy(slot.data.data() + 2, text.constData(), len);
    var.sqltype = SQL_VARYING + 1;
    var.sqllen = static_cast<short>(len);
    var.sqlscale = 0;
}

template <typename T>
void PutFixed(XSQLVAR& var, ParamSlot& slot, short type, const T& value)
{
    slot.data.resize(sizeof(T));
    std::memcpy(slot.data.data(), &value, sizeof(T));
    var.sqltype = static_cast<short>(type + 1);
    var.sqllen = sizeof(T);
    var.sqlscale = 0;
    var.sqlsubtype = 0;
}

} // namespace

void BindValue(XSQLVAR& var, const XSQLVAR& described, ParamSlot& slot, const TFIBValue& in,
               const BindRules& rules, const std::function<ISC_QUAD(const QByteArray&)>& makeBlob)
{
    var = described;
    var.sqlind = &slot.ind;
    const short type = static_cast<short>(described.sqltype & ~1);
    TFIBValue v = in;
    if (v.IsNull() && rules.datasetNulls) {
        // Text and number columns written through datasets never receive NULL.
        if (IsTextType(type))
            v = TFIBValue::Text(QString());
        else if (IsNumberType(type))
            v = TFIBValue::Integer(0);
    }
    if (v.IsNull()) {
        slot.ind = -1;
        slot.data.assign(std::max<std::size_t>(8, static_cast<unsigned short>(described.sqllen) + 2), 0);
        var.sqltype = static_cast<short>(type == SQL_NULL ? SQL_NULL + 1 : (described.sqltype | 1));
        var.sqldata = slot.data.data();
        return;
    }
    slot.ind = 0;
    const bool textValue = v.kind == TFIBValue::Kind::Text || v.kind == TFIBValue::Kind::Bytes;
    if (type == SQL_BLOB && v.kind == TFIBValue::Kind::BlobId) {
        ISC_QUAD id;
        std::memcpy(&id, v.bytes.constData(), sizeof id);
        PutFixed(var, slot, SQL_BLOB, id);
        var.sqlsubtype = described.sqlsubtype;
    } else if (v.kind == TFIBValue::Kind::BlobId) {
        throw EFIBError(QStringLiteral("A blob cannot be given to a parameter of another type"));
    } else if (type == SQL_BLOB) {
        const QByteArray bytes = textValue ? v.bytes : v.AsString().toUtf8();
        const ISC_QUAD id = makeBlob(bytes);
        PutFixed(var, slot, SQL_BLOB, id);
        var.sqlsubtype = described.sqlsubtype;
    } else if (IsTextType(type)) {
        QByteArray text = textValue ? v.bytes : v.AsString().toUtf8();
        if (rules.cutText)
            text = CutUtf8(text, static_cast<unsigned short>(described.sqllen) / BytesPerChar(described.sqlsubtype));
        PutVarying(var, slot, text);
    } else if (IsDateType(type)) {
        QDateTime dt;
        if (v.kind == TFIBValue::Kind::DateTime) dt = v.dt;
        else if (textValue) dt = TextToDateTime(QString::fromUtf8(v.bytes));
        else throw EFIBError(QStringLiteral("Invalid value for a date parameter"));
        PutFixed(var, slot, SQL_TIMESTAMP, EncodeTimestamp(dt));
    } else if (v.kind == TFIBValue::Kind::Float || (textValue && (type == SQL_FLOAT || type == SQL_DOUBLE || type == SQL_D_FLOAT || described.sqlscale < 0))) {
        const double d = v.kind == TFIBValue::Kind::Float ? v.d : TextToFloat(QString::fromUtf8(v.bytes));
        PutFixed(var, slot, SQL_DOUBLE, d);
    } else if (v.kind == TFIBValue::Kind::Integer || textValue) {
        if (textValue && (type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64 || type == SQL_BOOLEAN)) {
            PutFixed(var, slot, SQL_INT64, static_cast<ISC_INT64>(TextToInteger(QString::fromUtf8(v.bytes))));
        } else if (textValue) {
            PutVarying(var, slot, v.bytes); // let the server convert (SQL_NULL and other types)
            var.sqlsubtype = 0;
        } else if (type == SQL_BOOLEAN) {
            const char b = v.i ? 1 : 0;
            PutFixed(var, slot, SQL_BOOLEAN, b);
        } else {
            PutFixed(var, slot, SQL_INT64, static_cast<ISC_INT64>(v.i));
        }
    } else {
        PutFixed(var, slot, SQL_TIMESTAMP, EncodeTimestamp(v.dt));
    }
    var.sqldata = slot.data.data();
}

} // namespace fib
