#pragma once
// The packed row format of the data-access layer and the column metadata it
// is read with. Kept free of the C API's headers.
#include "FIBTypes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace fib {

class SqlDA;

// Column metadata taken from a described output variable.
struct ColumnInfo {
    QString name;     // alias name, as the program addresses the column
    QString sqlName;  // the column's own name
    QString relation;
    short sqltype = 0; // without the nullable bit
    short subtype = 0;
    short scale = 0;
    short sqllen = 0;
    int charSize = 0;  // characters of a text column
    TFieldType type = TFieldType::ftUnknown;
};

// One cached row, packed in a single allocation:
// [count][offset 0]...[offset count][data]. An offset's top bit marks a null
// cell, the next bit a blob cell that holds content instead of a blob id.
class Record {
public:
    struct Cell {
        const char* data = nullptr;
        std::uint32_t len = 0;
        bool null = true;
        bool inlineBlob = false;
    };
    Record() = default;
    bool Empty() const { return !buf_; }
    int Count() const;
    Cell At(int i) const;
    std::size_t Bytes() const;
    const void* Id() const { return buf_.get(); }

    struct CellIn {
        QByteArray data;
        bool null = true;
        bool inlineBlob = false;
    };
    static Record Build(const std::vector<CellIn>& cells);
    static Record Nulls(int n);
    static Record FromOutput(const SqlDA& da, const std::vector<ColumnInfo>& cols);
    Record With(int i, const CellIn& cell) const;
    Record Clone() const;
    CellIn Take(int i) const;

private:
    static constexpr std::uint32_t kNull = 0x80000000u;
    static constexpr std::uint32_t kInline = 0x40000000u;
    static constexpr std::uint32_t kMask = 0x3FFFFFFFu;
    std::unique_ptr<char[]> buf_;
};

} // namespace fib
