#pragma once
// Internals of the data-access layer: status checking, descriptor areas, the
// packed row format and the conversions between C API buffers and values.
// Only the layer's own units include this header.
#include "FIBError.h"
#include "FIBTypes.h"
#include "FIBRecord.h"

#include <ibase.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

static_assert(sizeof(isc_db_handle) == sizeof(std::uint32_t), "handle size");

namespace fib {

// Throws EFIBError with every line of the server's text when the status
// vector holds an error. The single place where status vectors are read.
void CheckStatus(const ISC_STATUS* status);
// The server's text of a status vector, every line.
QString StatusText(const ISC_STATUS* status);
// The message of a database exception (a trigger's or procedure's refusal);
// empty for any other error.
QString ExceptionMessage(const ISC_STATUS* status);

// Owner of an XSQLDA and of the buffers its variables point to.
class SqlDA {
public:
    SqlDA();
    void Resize(int n);       // room for n variables; contents lost
    XSQLDA* get() { return reinterpret_cast<XSQLDA*>(mem_.get()); }
    const XSQLDA* get() const { return reinterpret_cast<const XSQLDA*>(mem_.get()); }
    int Count() const { return get()->sqld; }
    int Capacity() const { return get()->sqln; }
    XSQLVAR& Var(int i) { return get()->sqlvar[i]; }
    const XSQLVAR& Var(int i) const { return get()->sqlvar[i]; }
    // Buffers for output: one for each variable after describe.
    void AllocOutputBuffers();

private:
    std::unique_ptr<char[]> mem_;
    std::vector<char> data_;
    std::vector<short> nulls_;
};

ColumnInfo DescribeColumn(const XSQLVAR& var);
int BytesPerChar(short charsetId);
// Cuts UTF-8 text to at most n characters (n < 0: no limit).
QByteArray CutUtf8(const QByteArray& s, int n);
std::size_t Utf8PrefixBytes(const char* s, std::size_t len, int n); // the bytes CutUtf8 keeps

// Cell values as program values. A blob cell that holds an id gives
// Kind::Bytes only through the dataset, which reads the blob.
TFIBValue DecodeCell(const ColumnInfo& col, const Record::Cell& cell);
// Whole-number columns (IsWholeNumber): the value of a cell that is not null.
bool IsWholeNumber(TFieldType t);
qint64 CellInteger(const ColumnInfo& col, const Record::Cell& cell);
// The value of a described output variable (a blob gives its id's bytes).
TFIBValue DecodeOutput(const XSQLVAR& var, const ColumnInfo& col, Record::Cell* raw = nullptr);
Record::CellIn EncodeCell(const ColumnInfo& col, const TFIBValue& v);
bool BlobIdOf(const Record::Cell& cell, ISC_QUAD& id);

// Reads and writes blobs as bytes, byte for byte.
QByteArray ReadBlob(isc_db_handle* db, isc_tr_handle* tr, ISC_QUAD id);
ISC_QUAD WriteBlob(isc_db_handle* db, isc_tr_handle* tr, const QByteArray& bytes);

// Input binding of one parameter position.
struct ParamSlot {
    std::vector<char> data;
    short ind = 0;
};
struct BindRules {
    bool datasetNulls = false; // null text as "", null number as 0
    bool cutText = false;      // text longer than its column cut to fit
};
void BindValue(XSQLVAR& var, const XSQLVAR& described, ParamSlot& slot, const TFIBValue& value,
               const BindRules& rules, const std::function<ISC_QUAD(const QByteArray&)>& makeBlob);

// Date conversions of the C API's formats.
QDateTime DecodeTimestamp(const ISC_TIMESTAMP& ts);
ISC_TIMESTAMP EncodeTimestamp(const QDateTime& dt);

} // namespace fib
