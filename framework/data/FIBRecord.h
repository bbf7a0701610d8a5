#pragma once
// The packed row format of the data-access layer and the column metadata it
// is read with. Kept free of the C API's headers.
#include "FIBTypes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
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

// Storage for the rows a dataset fetches: rows are packed one after another
// in blocks that grow with the result, so that fetching costs no allocation
// per row. Everything is freed at once.
class RowArena {
public:
    RowArena() = default;
    RowArena(const RowArena&) = delete;
    RowArena& operator=(const RowArena&) = delete;
    char* Allocate(std::size_t n);
    void Clear();
    std::size_t Bytes() const { return reserved_; } // memory held by the blocks

private:
    // Frees a block as it was obtained: mapped, or from the heap.
    struct BlockFree {
        std::size_t size = 0;
        bool mapped = false;
        void operator()(char* p) const;
    };
    std::vector<std::unique_ptr<char, BlockFree>> blocks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t reserved_ = 0;
};

// One cached row, packed in a single buffer:
// [count][offset 0]...[offset count][data]. An offset's top bit marks a null
// cell, the next bit a blob cell that holds content instead of a blob id.
// The buffer is the record's own, or lies in the RowArena of the dataset that
// fetched it (and lives as long as that arena's contents).
class Record {
public:
    struct Cell {
        const char* data = nullptr;
        std::uint32_t len = 0;
        bool null = true;
        bool inlineBlob = false;
    };
    Record() = default;
    Record(Record&& o) noexcept : buf_(std::exchange(o.buf_, nullptr)), own_(std::move(o.own_)) {}
    Record& operator=(Record&& o) noexcept
    {
        if (this != &o) {
            own_ = std::move(o.own_);
            buf_ = std::exchange(o.buf_, nullptr);
        }
        return *this;
    }
    bool Empty() const { return !buf_; }
    int Count() const
    {
        std::uint32_t n = 0;
        if (buf_)
            std::memcpy(&n, buf_, 4);
        return static_cast<int>(n);
    }
    // Inline: lists read every cell of every row through here.
    Cell At(int i) const
    {
        Cell c;
        if (i < 0 || i >= Count())
            return c;
        std::uint32_t o[2];
        std::memcpy(o, buf_ + 4 + 4 * i, 8);
        const std::uint32_t start = o[0] & kMask;
        c.null = (o[0] & kNull) != 0;
        c.inlineBlob = (o[0] & kInline) != 0;
        c.len = (o[1] & kMask) - start;
        c.data = buf_ + start;
        return c;
    }
    std::size_t Bytes() const;
    std::size_t OwnBytes() const { return own_ ? Bytes() : 0; } // held outside any arena
    const void* Id() const { return buf_; }

    struct CellIn {
        QByteArray data;
        bool null = true;
        bool inlineBlob = false;
    };
    static Record Build(const std::vector<CellIn>& cells);
    static Record Nulls(int n);
    // The current row of a described output area; packed into `arena` when
    // one is given, otherwise into a buffer of the record's own.
    static Record FromOutput(const SqlDA& da, const std::vector<ColumnInfo>& cols, RowArena* arena = nullptr);
    Record With(int i, const CellIn& cell) const;
    Record Clone() const; // always a buffer of its own
    CellIn Take(int i) const;

private:
    static constexpr std::uint32_t kNull = 0x80000000u;
    static constexpr std::uint32_t kInline = 0x40000000u;
    static constexpr std::uint32_t kMask = 0x3FFFFFFFu;
    char* Own(std::size_t n);
    const char* buf_ = nullptr;
    std::unique_ptr<char[]> own_;
};

} // namespace fib
