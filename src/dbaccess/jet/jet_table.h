#pragma once
// Table definitions (TDEF pages) and the rows of a table, read from a
// JetFile with every offset, count and chain checked.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_types.h"

namespace vt::jet {

// Turns stored text into UTF-8: code-page text in Jet3 files, UTF-16 with
// the optional one-byte compression in Jet4 and ACE files.
class TextDecoder {
public:
    TextDecoder(bool jet3, int codePage);
    std::string Decode(Bytes bytes) const;
    bool Jet3() const { return jet3_; }

private:
    bool jet3_;
    std::optional<CodePage> codePage_;
};

std::string Utf16ToUtf8(Bytes bytes);

struct Column {
    std::string name;
    std::uint8_t type = 0;
    std::uint16_t number = 0;     // the row layout's column number
    std::uint16_t varIndex = 0;   // slot in the variable-length offset table
    std::uint16_t ordinal = 0;    // the design position
    std::uint16_t lcid = 0;
    std::uint32_t complexId = 0;  // ACE complex columns: their MSysComplexColumns entry
    std::uint8_t flags = 0;
    std::uint8_t extraFlags = 0;
    std::uint16_t fixedOffset = 0;
    std::uint16_t length = 0;

    bool Fixed() const { return (flags & 0x01) != 0; }
    ColumnShape Shape() const { return ColumnShape{type, flags, length}; }
};

struct IndexColumn {
    std::uint16_t columnNumber = 0;
    bool descending = false;
};

struct RealIndex {
    std::vector<IndexColumn> columns;
    std::uint8_t flags = 0;
};

struct LogicalIndex {
    std::string name;
    std::uint32_t number = 0;
    std::uint32_t realIndex = 0;
    std::uint8_t type = 0;  // 0 normal, 1 primary key, 2 foreign key
    std::uint8_t relatedTableType = 0;
    std::uint32_t relatedTablePage = 0;
};

struct TableDefinition {
    std::uint32_t page = 0;
    std::uint8_t tableType = 0;
    std::uint16_t varColumnCount = 0;
    std::uint32_t usageMap = 0;  // row pointer of the owned-pages map
    std::vector<Column> columns;  // in stored order
    std::vector<RealIndex> realIndexes;
    std::vector<LogicalIndex> logicalIndexes;  // in stored order

    const Column* FindColumn(std::string_view name) const;
    const Column* ColumnByNumber(std::uint16_t number) const;
};

TableDefinition ReadTableDefinition(const JetFile& file, const TextDecoder& text,
                                    std::uint32_t page);

// One decoded row: the stored bytes of each column (by position in
// TableDefinition::columns), or none when the column is null or absent.
struct RowValue {
    bool present = false;
    Bytes bytes;  // for Boolean columns: empty, `present` is the value
};

class RowReader {
public:
    RowReader(const JetFile& file, const TextDecoder& text) : file_(file), text_(text) {}

    // Calls `visit` for every live row of the table.
    void ForEachRow(const TableDefinition& table,
                    const std::function<void(const std::vector<RowValue>&)>& visit) const;

    // The pages the usage map at `pointer` names.
    std::vector<std::uint32_t> UsageMapPages(std::uint32_t pointer) const;

    // A long value (memo/OLE) assembled from the row and its pages.
    std::vector<std::uint8_t> LongValue(Bytes stored) const;

    // Typed access to one column of a row.
    std::optional<std::int64_t> Integer(const Column* column, const std::vector<RowValue>& row,
                                        const TableDefinition& table) const;
    std::optional<std::string> Text(const Column* column, const std::vector<RowValue>& row,
                                    const TableDefinition& table) const;
    std::optional<std::vector<std::uint8_t>> Binary(const Column* column,
                                                    const std::vector<RowValue>& row,
                                                    const TableDefinition& table) const;

    // The bytes of row `row` on data page `page`; 3049 when there is none.
    Bytes RowAt(std::uint32_t page, std::uint32_t row, std::uint16_t* flags = nullptr) const;

private:
    // Row `row` of the data page `data`.
    Bytes RowOn(Bytes data, std::uint32_t row, std::uint16_t* flags) const;
    std::vector<RowValue> CrackRow(const TableDefinition& table, Bytes row) const;
    // The bytes at the place a moved row points to, following further moves;
    // every place reached is added to `targets`.
    Bytes FollowMovedRow(Bytes pointer,
                         std::set<std::pair<std::uint32_t, std::uint32_t>>& targets) const;
    const RowValue* ValueOf(const Column* column, const std::vector<RowValue>& row,
                            const TableDefinition& table) const;

    const JetFile& file_;
    const TextDecoder& text_;
    // Long-value bytes assembled so far: a damaged catalogue could make many
    // rows share one huge value, so the total is bounded, not just each one.
    mutable std::uint64_t longBytes_ = 0;
};

}  // namespace vt::jet
