#include "dbaccess/jet/jet_table.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "common/text.h"

namespace vt::jet {
namespace {

constexpr std::uint8_t kDataPage = 0x01;
constexpr std::uint8_t kTableDefinitionPage = 0x02;
constexpr std::uint8_t kUsageMapPage = 0x05;
constexpr std::uint16_t kRowOffsetMask = 0x1FFF;
constexpr std::uint16_t kRowDeleted = 0x8000;
constexpr std::uint16_t kRowOverflow = 0x4000;

// Row pointers hold the row number in the low byte and the page above it.
std::uint32_t PointerPage(std::uint32_t pointer) { return pointer >> 8; }
std::uint32_t PointerRow(std::uint32_t pointer) { return pointer & 0xFF; }

struct Layout {
    std::size_t typeOffset, maxColsOffset, varColsOffset, colsOffset, indexesOffset,
        realIndexesOffset, usageMapOffset, realIndexBlockOffset, realIndexBlockSize;
    std::size_t columnSize, realIndexSize, logicalIndexSize;
};

constexpr Layout kJet3Layout{0x14, 0x15, 0x17, 0x19, 0x1B, 0x1F, 0x23, 0x2B, 8, 18, 39, 20};
constexpr Layout kJet4Layout{0x28, 0x29, 0x2B, 0x2D, 0x2F, 0x33, 0x37, 0x3F, 12, 25, 52, 28};

// Reads a length-prefixed name at `pos` and moves past it.
std::string ReadName(Bytes buffer, std::size_t& pos, const TextDecoder& text) {
    std::size_t length;
    if (text.Jet3()) {
        length = buffer.U8(pos);
        pos += 1;
    } else {
        length = buffer.U16(pos);
        pos += 2;
    }
    const Bytes raw = buffer.Sub(pos, length);
    pos += length;
    return text.Jet3() ? text.Decode(raw) : Utf16ToUtf8(raw);
}

// UTF-8 for `count` UTF-16 units; a lone surrogate becomes U+FFFD.
template <typename UnitAt>
std::string DecodeUtf16(std::size_t count, UnitAt unitAt) {
    // Most names are ASCII: a byte per unit, written in place.
    std::string out(count, '\0');
    std::size_t i = 0;
    for (; i < count && unitAt(i) < 0x80; ++i) {
        out[i] = static_cast<char>(unitAt(i));
    }
    out.resize(i);
    for (; i < count; ++i) {
        char32_t cp = unitAt(i);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && unitAt(i + 1) >= 0xDC00 &&
            unitAt(i + 1) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string FromUtf16(const std::u16string& units) {
    return DecodeUtf16(units.size(), [&units](std::size_t i) { return units[i]; });
}

}  // namespace

std::string Utf16ToUtf8(Bytes bytes) {
    const std::uint8_t* data = bytes.data();
    return DecodeUtf16(bytes.size() / 2, [data](std::size_t i) {
        return static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    });
}

TextDecoder::TextDecoder(bool jet3, int codePage) : jet3_(jet3) {
    if (!jet3) {
        return;
    }
    try {
        codePage_ = CodePage::Open(codePage);
    } catch (const ErrorException&) {
        // An unknown code page in the header: read the text as Western.
        codePage_ = CodePage::Open(1252);
    }
}

std::string TextDecoder::Decode(Bytes bytes) const {
    if (jet3_) {
        return codePage_->Decode(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    if (bytes.size() >= 2 && bytes.data()[0] == 0xFF && bytes.data()[1] == 0xFE) {
        // Compressed text: runs of one-byte characters and of UTF-16 units,
        // separated by zero bytes; it starts with a one-byte run.
        std::u16string units;
        bool compressed = true;
        std::size_t start = 2;
        const auto flush = [&](std::size_t end) {
            if (compressed) {
                for (std::size_t i = start; i < end; ++i) {
                    units.push_back(static_cast<char16_t>(bytes.data()[i]));
                }
            } else {
                for (std::size_t i = start; i + 1 < end; i += 2) {
                    units.push_back(static_cast<char16_t>(bytes.data()[i] | (bytes.data()[i + 1] << 8)));
                }
            }
        };
        for (std::size_t i = 2; i < bytes.size(); ++i) {
            if (bytes.data()[i] == 0x00) {
                flush(i);
                compressed = !compressed;
                start = i + 1;
            }
        }
        flush(bytes.size());
        return FromUtf16(units);
    }
    return Utf16ToUtf8(bytes);
}

const Column* TableDefinition::FindColumn(std::string_view name) const {
    for (const Column& column : columns) {
        if (SameName(column.name, name)) {
            return &column;
        }
    }
    return nullptr;
}

const Column* TableDefinition::ColumnByNumber(std::uint16_t number) const {
    for (const Column& column : columns) {
        if (column.number == number) {
            return &column;
        }
    }
    return nullptr;
}

namespace {

// A table definition's bytes, gathered from the pages it continues over.
std::vector<std::uint8_t> GatherDefinition(const JetFile& file, std::uint32_t page) {
    std::vector<std::uint8_t> buffer;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t current = page;
    bool first = true;
    while (current != 0) {
        if (!seen.insert(current).second) {
            Damaged("a table definition's pages form a loop");
        }
        file.CountDefinitionPage();
        const Bytes data = file.Page(current);
        if (data.U8(0) != kTableDefinitionPage) {
            Damaged("a table definition points at a page that holds something else");
        }
        const std::size_t from = first ? 0 : 8;
        buffer.insert(buffer.end(), data.data() + from, data.data() + data.size());
        first = false;
        current = data.U32(4);
    }
    return buffer;
}

// Walks the records of a table definition in their stored order.
struct DefinitionCursor {
    Bytes tdef;
    const Layout& layout;
    const TextDecoder& text;
    std::size_t pos = 0;

    // `count` records of `each` bytes must fit in what follows before
    // anything is sized from the count.
    void NeedRecords(std::uint64_t count, std::uint64_t each, const char* what) const {
        if (pos > tdef.size() || count * each > tdef.size() - pos) {
            Damaged(std::string("a table definition declares more ") + what + " than it holds");
        }
    }
    Bytes Record(std::size_t i, std::size_t each) const { return tdef.Sub(pos + i * each, each); }
};

Column ReadColumn(Bytes d, bool jet3) {
    Column c;
    c.type = d.U8(0);
    if (jet3) {
        c.number = d.U16(1);
        c.varIndex = d.U16(3);
        c.ordinal = d.U16(5);
        c.lcid = d.U16(9);
        c.flags = d.U8(13);
        c.fixedOffset = d.U16(14);
        c.length = d.U16(16);
    } else {
        c.number = d.U16(5);
        c.varIndex = d.U16(7);
        c.ordinal = d.U16(9);
        c.lcid = d.U16(11);
        c.complexId = d.U32(11);
        c.flags = d.U8(15);
        c.extraFlags = d.U8(16);
        c.fixedOffset = d.U16(21);
        c.length = d.U16(23);
    }
    return c;
}

void ReadColumns(DefinitionCursor& at, std::uint32_t count, TableDefinition& table) {
    at.NeedRecords(count, at.layout.columnSize, "columns");
    table.columns.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        table.columns.push_back(ReadColumn(at.Record(i, at.layout.columnSize), at.text.Jet3()));
    }
    at.pos += count * at.layout.columnSize;
    for (Column& c : table.columns) {
        c.name = ReadName(at.tdef, at.pos, at.text);
    }
}

RealIndex ReadRealIndex(Bytes d, bool jet3) {
    const std::size_t slots = jet3 ? 0 : 4;
    RealIndex index;
    for (std::size_t s = 0; s < 10; ++s) {
        const std::uint16_t number = d.U16(slots + s * 3);
        if (number == 0xFFFF) {
            continue;
        }
        index.columns.push_back(IndexColumn{number, d.U8(slots + s * 3 + 2) != 0x01});
    }
    // Usage map and first page (8 bytes), then, in Jet 4, 4 unknown bytes.
    index.flags = d.U8(slots + 30 + 8 + (jet3 ? 0 : 4));
    return index;
}

void ReadRealIndexes(DefinitionCursor& at, std::uint32_t count, TableDefinition& table) {
    at.NeedRecords(count, at.layout.realIndexSize, "indexes");
    table.realIndexes.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        table.realIndexes.push_back(ReadRealIndex(at.Record(i, at.layout.realIndexSize), at.text.Jet3()));
    }
    at.pos += count * at.layout.realIndexSize;
}

void ReadLogicalIndexes(DefinitionCursor& at, std::uint32_t count, TableDefinition& table) {
    at.NeedRecords(count, at.layout.logicalIndexSize, "indexes");
    const std::size_t b = at.text.Jet3() ? 0 : 4;
    table.logicalIndexes.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const Bytes d = at.Record(i, at.layout.logicalIndexSize);
        LogicalIndex& index = table.logicalIndexes[i];
        index.number = d.U32(b);
        index.realIndex = d.U32(b + 4);
        index.relatedTableType = d.U8(b + 8);
        index.relatedTablePage = d.U32(b + 13);
        index.type = d.U8(b + 19);
        if (index.realIndex >= table.realIndexes.size()) {
            Damaged("an index points at index data that does not exist");
        }
    }
    at.pos += count * at.layout.logicalIndexSize;
    for (LogicalIndex& index : table.logicalIndexes) {
        index.name = ReadName(at.tdef, at.pos, at.text);
    }
}

}  // namespace

TableDefinition ReadTableDefinition(const JetFile& file, const TextDecoder& text,
                                    std::uint32_t page) {
    const std::vector<std::uint8_t> buffer = GatherDefinition(file, page);
    const Bytes tdef(buffer.data(), buffer.size());
    const Layout& layout = text.Jet3() ? kJet3Layout : kJet4Layout;

    TableDefinition table;
    table.page = page;
    table.tableType = tdef.U8(layout.typeOffset);
    table.varColumnCount = tdef.U16(layout.varColsOffset);
    const std::uint32_t columnCount = tdef.U16(layout.colsOffset);
    const std::uint32_t logicalCount = tdef.U32(layout.indexesOffset);
    const std::uint32_t realCount = tdef.U32(layout.realIndexesOffset);
    table.usageMap = tdef.U32(layout.usageMapOffset);

    // The real indexes' row counts come first; they are not needed.
    DefinitionCursor at{tdef, layout, text, layout.realIndexBlockOffset};
    at.NeedRecords(realCount, layout.realIndexBlockSize, "indexes");
    at.pos += realCount * layout.realIndexBlockSize;
    ReadColumns(at, columnCount, table);
    ReadRealIndexes(at, realCount, table);
    ReadLogicalIndexes(at, logicalCount, table);
    return table;
}

Bytes RowReader::RowAt(std::uint32_t page, std::uint32_t row, std::uint16_t* flags) const {
    const Bytes data = file_.Page(page);
    if (data.U8(0) != kDataPage) {
        Damaged("a row pointer leads to a page that holds no rows");
    }
    return RowOn(data, row, flags);
}

Bytes RowReader::RowOn(Bytes data, std::uint32_t row, std::uint16_t* flags) const {
    const std::size_t countOffset = text_.Jet3() ? 0x08 : 0x0C;
    const std::size_t tableOffset = countOffset + 2;
    const std::uint32_t count = data.U16(countOffset);
    if (row >= count) {
        Damaged("a row pointer names a row that its page does not have");
    }
    const std::uint16_t entry = data.U16(tableOffset + row * 2);
    const std::size_t start = entry & kRowOffsetMask;
    // A row ends where the row before it starts; the first row ends at the
    // end of the page.
    std::size_t end = data.size();
    if (row > 0) {
        end = data.U16(tableOffset + (row - 1) * 2) & kRowOffsetMask;
    }
    if (flags != nullptr) {
        *flags = entry & (kRowDeleted | kRowOverflow);
    }
    if (start < tableOffset + count * 2 || start > end || end > data.size()) {
        if ((entry & kRowDeleted) != 0 && flags != nullptr) {
            return Bytes();  // a deleted row may have lost its space
        }
        Damaged("a row's position on its page is impossible");
    }
    return data.Sub(start, end - start);
}

std::vector<std::uint32_t> RowReader::UsageMapPages(std::uint32_t pointer) const {
    const Bytes map = RowAt(PointerPage(pointer), PointerRow(pointer));
    if (map.empty()) {
        Damaged("a table's page map is empty");
    }
    std::vector<std::uint32_t> pages;
    const auto addBits = [&](Bytes bits, std::uint64_t firstPage) {
        for (std::size_t i = 0; i < bits.size(); ++i) {
            const std::uint8_t byte = bits.data()[i];
            if (byte == 0) {
                continue;
            }
            for (int bit = 0; bit < 8; ++bit) {
                if ((byte & (1u << bit)) == 0) {
                    continue;
                }
                const std::uint64_t page = firstPage + i * 8 + static_cast<std::uint64_t>(bit);
                if (page >= file_.PageCount()) {
                    Damaged("a table's page map names a page past the end of the file");
                }
                pages.push_back(static_cast<std::uint32_t>(page));
            }
        }
    };
    switch (map.U8(0)) {
        case 0x00:  // the map itself: first page, then one bit per page
            addBits(map.From(5), map.U32(1));
            break;
        case 0x01: {  // a list of map pages, each covering a fixed range of pages
            const std::size_t perPage = (file_.PageSize() - 4) * 8;
            std::unordered_set<std::uint32_t> seen;
            for (std::size_t i = 0; 1 + i * 4 + 4 <= map.size(); ++i) {
                const std::uint32_t mapPage = map.U32(1 + i * 4);
                if (mapPage == 0) {
                    continue;
                }
                if (!seen.insert(mapPage).second) {
                    Damaged("a table's page map repeats itself");
                }
                const Bytes data = file_.Page(mapPage);
                if (data.U8(0) != kUsageMapPage) {
                    Damaged("a table's page map points at a page that is not a map");
                }
                addBits(data.From(4), static_cast<std::uint64_t>(i) * perPage);
            }
            break;
        }
        default:
            Damaged("a table's page map has an unknown kind");
    }
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    return pages;
}

namespace {

// Where a row's parts lie.
struct RowLayout {
    std::uint32_t columns = 0;  // columns the row was written with
    Bytes nullMask;             // one bit per column: set when it has a value
    std::size_t fixedEnd = 0;   // end of the fixed-length part
    std::vector<std::size_t> offsets;  // variable-length starts, plus the end
    std::size_t varEnd = 0;     // end of the variable-length part
};

// Jet 3 keeps one-byte offsets, with a jump table for each 256 bytes.
void ReadJet3Offsets(Bytes row, std::size_t maskSize, RowLayout& layout) {
    const std::size_t length = row.size();
    if (length < maskSize + 1) {
        Damaged("a row is shorter than its own layout");
    }
    const std::size_t rowEnd = length - 1;
    const std::uint32_t varCount = row.U8(rowEnd - maskSize);
    std::size_t jumps = (length - 1) / 256;
    if (rowEnd < maskSize + jumps + 1) {
        Damaged("a row is shorter than its own layout");
    }
    const std::size_t offsetsEnd = rowEnd - maskSize - jumps - 1;
    if (offsetsEnd < varCount) {
        Damaged("a row's table of variable-length columns is impossible");
    }
    // The last jump entry may be a filler that marks nothing.
    if ((offsetsEnd - varCount) / 256 < jumps) {
        --jumps;
    }
    std::size_t jumpsUsed = 0;
    layout.offsets.resize(varCount + 1);
    for (std::size_t i = 0; i <= varCount; ++i) {
        while (jumpsUsed < jumps && i == row.U8(rowEnd - maskSize - jumpsUsed - 1)) {
            ++jumpsUsed;
        }
        layout.offsets[i] = row.U8(offsetsEnd - i) + jumpsUsed * 256;
    }
    layout.fixedEnd = std::min(layout.fixedEnd, offsetsEnd - varCount);
}

// Jet 4 and ACE keep two-byte offsets.
void ReadJet4Offsets(Bytes row, std::size_t maskSize, RowLayout& layout) {
    const std::size_t length = row.size();
    if (length < maskSize + 4) {
        Damaged("a row is shorter than its own layout");
    }
    const std::uint32_t varCount = row.U16(length - maskSize - 2);
    const std::uint64_t tableBytes = 2ull * (varCount + 1) + 2;
    if (tableBytes + maskSize > length) {
        Damaged("a row's table of variable-length columns is impossible");
    }
    layout.offsets.resize(varCount + 1);
    for (std::size_t i = 0; i <= varCount; ++i) {
        layout.offsets[i] = row.U16(length - maskSize - 4 - i * 2);
    }
    layout.fixedEnd = length - maskSize - static_cast<std::size_t>(tableBytes);
}

RowLayout LayOutRow(Bytes row, bool jet3, bool hasVarColumns) {
    const std::size_t countSize = jet3 ? 1 : 2;
    const std::size_t length = row.size();
    RowLayout layout;
    layout.columns = jet3 ? row.U8(0) : row.U16(0);
    const std::size_t maskSize = (layout.columns + 7) / 8;
    if (length < countSize + maskSize) {
        Damaged("a row is shorter than its own layout");
    }
    layout.nullMask = row.Sub(length - maskSize, maskSize);
    layout.fixedEnd = length - maskSize;
    if (hasVarColumns) {
        if (jet3) {
            ReadJet3Offsets(row, maskSize, layout);
        } else {
            ReadJet4Offsets(row, maskSize, layout);
        }
        if (!layout.offsets.empty()) {
            layout.fixedEnd = std::min(layout.fixedEnd, layout.offsets[0]);
        }
    }
    layout.varEnd = layout.offsets.empty() ? layout.fixedEnd
                                           : std::min<std::size_t>(layout.offsets.back(), length);
    return layout;
}

RowValue ColumnValue(const Column& column, Bytes row, const RowLayout& layout, bool jet3) {
    RowValue value;
    if (column.number >= layout.columns || column.number / 8u >= layout.nullMask.size()) {
        return value;  // added after this row was written
    }
    const bool bit = (layout.nullMask.data()[column.number / 8] >> (column.number % 8)) & 1;
    if (column.type == coltype::kBoolean) {
        value.present = bit;
        return value;
    }
    if (!bit) {
        return value;
    }
    if (column.Fixed()) {
        const std::size_t start = (jet3 ? 1 : 2) + column.fixedOffset;
        if (start + column.length > layout.fixedEnd) {
            return value;
        }
        value.present = true;
        value.bytes = row.Sub(start, column.length);
        return value;
    }
    if (static_cast<std::size_t>(column.varIndex) + 1 >= layout.offsets.size()) {
        return value;
    }
    const std::size_t start = layout.offsets[column.varIndex];
    const std::size_t end = layout.offsets[column.varIndex + 1];
    if (start > end || end > layout.varEnd) {
        Damaged("a row's variable-length column lies outside the row");
    }
    value.present = true;
    value.bytes = row.Sub(start, end - start);
    return value;
}

}  // namespace

std::vector<RowValue> RowReader::CrackRow(const TableDefinition& table, Bytes row) const {
    const RowLayout layout = LayOutRow(row, text_.Jet3(), table.varColumnCount > 0);
    std::vector<RowValue> values;
    values.reserve(table.columns.size());
    for (const Column& column : table.columns) {
        values.push_back(ColumnValue(column, row, layout, text_.Jet3()));
    }
    return values;
}

namespace {

// A row as its page lists it; a moved row holds the pointer to its new place.
struct ListedRow {
    std::uint32_t page, row;
    bool moved;
    Bytes bytes;
};

}  // namespace

void RowReader::ForEachRow(const TableDefinition& table,
                           const std::function<void(const std::vector<RowValue>&)>& visit) const {
    std::vector<ListedRow> rows;
    const std::size_t countOffset = text_.Jet3() ? 0x08 : 0x0C;
    for (const std::uint32_t page : UsageMapPages(table.usageMap)) {
        const Bytes data = file_.Page(page);
        if (data.U8(0) != kDataPage || data.U32(4) != table.page) {
            Damaged("a table's page map names a page of another table");
        }
        const std::uint32_t count = data.U16(countOffset);
        for (std::uint32_t r = 0; r < count; ++r) {
            // Deleted rows are most of a catalogue page's slots once a design
            // has been edited; they are passed over unread.
            if ((data.U16(countOffset + 2 + r * 2) & kRowDeleted) != 0) {
                continue;
            }
            std::uint16_t flags = 0;
            const Bytes bytes = RowOn(data, r, &flags);
            rows.push_back(ListedRow{page, r, (flags & kRowOverflow) != 0, bytes});
        }
    }
    // A row moved elsewhere leaves a pointer behind; read it there, once.
    std::set<std::pair<std::uint32_t, std::uint32_t>> targets;
    std::vector<Bytes> resolved(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        resolved[i] = rows[i].moved ? FollowMovedRow(rows[i].bytes, targets) : rows[i].bytes;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool isTarget = !rows[i].moved && targets.count({rows[i].page, rows[i].row}) != 0;
        if (!isTarget && !resolved[i].empty()) {
            visit(CrackRow(table, resolved[i]));
        }
    }
}

Bytes RowReader::FollowMovedRow(Bytes bytes,
                                std::set<std::pair<std::uint32_t, std::uint32_t>>& targets) const {
    std::set<std::pair<std::uint32_t, std::uint32_t>> hops;
    for (;;) {
        if (bytes.size() < 4) {
            Damaged("a moved row's pointer is cut short");
        }
        const std::uint32_t pointer = bytes.U32(0);
        const std::pair<std::uint32_t, std::uint32_t> target{PointerPage(pointer), PointerRow(pointer)};
        if (!hops.insert(target).second || hops.size() > 16) {
            Damaged("moved rows point at each other in a loop");
        }
        targets.insert(target);
        std::uint16_t flags = 0;
        bytes = RowAt(target.first, target.second, &flags);
        if ((flags & kRowOverflow) == 0) {
            return bytes;
        }
    }
}

std::vector<std::uint8_t> RowReader::LongValue(Bytes stored) const {
    if (stored.size() < 12) {
        Damaged("a long value's header is cut short");
    }
    const std::uint32_t header = stored.U32(0);
    const std::size_t length = header & 0x3FFFFFFF;
    // Nothing in a file can be longer than the file itself.
    if (length > file_.PageCount() * static_cast<std::uint64_t>(file_.PageSize())) {
        Damaged("a long value declares more bytes than the file holds");
    }
    constexpr std::uint64_t kLongValueBudget = 256ull << 20;
    longBytes_ += length;
    if (longBytes_ > kLongValueBudget) {
        Damaged("its catalogue holds more long-value data than any design needs");
    }
    const std::uint32_t pointer = stored.U32(4);
    std::vector<std::uint8_t> out;
    if ((header & 0x80000000u) != 0) {
        const Bytes inline_ = stored.Sub(12, length);
        out.assign(inline_.data(), inline_.data() + inline_.size());
    } else if ((header & 0x40000000u) != 0) {
        const Bytes row = RowAt(PointerPage(pointer), PointerRow(pointer));
        const Bytes data = row.Sub(0, length);
        out.assign(data.data(), data.data() + data.size());
    } else {
        std::set<std::uint32_t> seen;
        std::uint32_t next = pointer;
        while (out.size() < length) {
            if (next == 0) {
                Damaged("a long value ends before its declared length");
            }
            if (!seen.insert(next).second) {
                Damaged("a long value's pages form a loop");
            }
            const Bytes row = RowAt(PointerPage(next), PointerRow(next));
            next = row.U32(0);
            const Bytes part = row.From(4);
            const std::size_t take = std::min(part.size(), length - out.size());
            out.insert(out.end(), part.data(), part.data() + take);
        }
    }
    return out;
}

const RowValue* RowReader::ValueOf(const Column* column, const std::vector<RowValue>& row,
                                   const TableDefinition& table) const {
    if (column == nullptr) {
        return nullptr;
    }
    const std::size_t index = static_cast<std::size_t>(column - table.columns.data());
    if (index >= row.size() || !row[index].present) {
        return nullptr;
    }
    return &row[index];
}

std::optional<std::int64_t> RowReader::Integer(const Column* column, const std::vector<RowValue>& row,
                                               const TableDefinition& table) const {
    if (column != nullptr && column->type == coltype::kBoolean) {
        return ValueOf(column, row, table) != nullptr ? 1 : 0;
    }
    const RowValue* value = ValueOf(column, row, table);
    if (value == nullptr) {
        return std::nullopt;
    }
    const Bytes& b = value->bytes;
    switch (column->type) {
        case coltype::kByte:
            return b.U8(0);
        case coltype::kInteger:
            return static_cast<std::int16_t>(b.U16(0));
        case coltype::kLong:
            return b.I32(0);
        default:
            return std::nullopt;
    }
}

std::optional<std::string> RowReader::Text(const Column* column, const std::vector<RowValue>& row,
                                           const TableDefinition& table) const {
    const RowValue* value = ValueOf(column, row, table);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (column->type == coltype::kText) {
        return text_.Decode(value->bytes);
    }
    if (column->type == coltype::kMemo) {
        const std::vector<std::uint8_t> bytes = LongValue(value->bytes);
        return text_.Decode(Bytes(bytes.data(), bytes.size()));
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> RowReader::Binary(const Column* column,
                                                           const std::vector<RowValue>& row,
                                                           const TableDefinition& table) const {
    const RowValue* value = ValueOf(column, row, table);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (column->type == coltype::kOle || column->type == coltype::kMemo) {
        return LongValue(value->bytes);
    }
    return std::vector<std::uint8_t>(value->bytes.data(), value->bytes.data() + value->bytes.size());
}

}  // namespace vt::jet
