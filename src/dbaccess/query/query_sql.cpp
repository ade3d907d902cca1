#include "dbaccess/query/query_sql.h"

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/text.h"
#include "dbaccess/dao_type.h"
#include "dbaccess/model.h"

namespace vt {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Row kinds (MSysQueries.Attribute).
namespace attr {
constexpr int kStart = 0;
constexpr int kType = 1;
constexpr int kParameter = 2;
constexpr int kOptions = 3;
constexpr int kRemoteDb = 4;
constexpr int kSource = 5;
constexpr int kColumn = 6;
constexpr int kJoin = 7;
constexpr int kWhere = 8;
constexpr int kGroupBy = 9;
constexpr int kHaving = 10;
constexpr int kOrderBy = 11;
constexpr int kEnd = 255;
}  // namespace attr

enum class Kind {
    Select = 1,
    MakeTable = 2,
    Append = 3,
    Update = 4,
    Delete = 5,
    Crosstab = 6,
    DataDefinition = 7,
    PassThrough = 8,
    Union = 9,
};

// Option bits of the attribute-3 row.
namespace opt {
constexpr int kAllFields = 0x01;
constexpr int kDistinct = 0x02;  // in a union: UNION rather than UNION ALL
constexpr int kOwnerAccess = 0x04;
constexpr int kDistinctRow = 0x08;
constexpr int kTop = 0x10;
constexpr int kPercent = 0x20;
}  // namespace opt

// Attribute-6 flag bits.
constexpr int kCrosstabPivot = 0x01;
constexpr int kCrosstabRowHeading = 0x02;
constexpr int kAppendValue = 0x8000;

constexpr std::string_view kUnionPartPrefix = "X7YZ_____";

std::optional<Kind> KindFromTypeRow(std::int32_t flag) {
    if (flag >= 1 && flag <= 9) {
        return static_cast<Kind>(flag);
    }
    return std::nullopt;
}

// MSysObjects.Flags & 0xF0 holds the DAO QueryDef type.
std::optional<Kind> KindFromCatalogue(std::int32_t flags) {
    switch (flags & 0xF0) {
        case 0: return Kind::Select;
        case 16: return Kind::Crosstab;
        case 32: return Kind::Delete;
        case 48: return Kind::Update;
        case 64: return Kind::Append;
        case 80: return Kind::MakeTable;
        case 96: return Kind::DataDefinition;
        case 112: return Kind::PassThrough;
        case 128: return Kind::Union;
        case 144: return Kind::PassThrough;  // pass-through returning no records
        default: return std::nullopt;
    }
}

// A parameter's type name; code 0 is an untyped value.
const char* ParameterTypeName(std::int32_t code) { return code == 0 ? "Value" : SqlTypeName(code); }

// The query's kind: its type row's when it has a known one (queries saved
// from the SQL view may have none), else the catalogue's, else a select.
Kind KindOf(const QueryDesign& design) {
    for (const QueryRow& row : design.rows) {
        if (row.attribute == attr::kType) {
            if (auto kind = KindFromTypeRow(row.flag)) {
                return *kind;
            }
            break;
        }
    }
    return KindFromCatalogue(design.flags).value_or(Kind::Select);
}

const QueryRow* TypeRow(const QueryDesign& design) {
    for (const QueryRow& row : design.rows) {
        if (row.attribute == attr::kType) {
            return &row;
        }
    }
    return nullptr;
}

// Appends `append(item)` for each of `items`, with ", " between them.
template <typename Items, typename Append>
void AppendCommaList(std::string& out, const Items& items, Append&& append) {
    bool first = true;
    for (const auto& item : items) {
        if (!first) {
            out += ", ";
        }
        first = false;
        append(item);
    }
}

// A stored name or value quoted in an error text, cut short when long so
// that the message stays readable.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 80;
    std::string out = "'";
    if (text.size() <= kShown) {
        out.append(text);
    } else {
        std::size_t cut = kShown;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;  // keep whole UTF-8 characters
        }
        out.append(text.substr(0, cut));
        out += "...";
    }
    out += "'";
    return out;
}

bool EndsWithSpace(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    const char last = text.back();
    return last == ' ' || last == '\r' || last == '\n' || last == '\t';
}

// One FROM item or a join of two of them, as the join rows are folded in.
struct FromNode {
    bool isJoin = false;
    std::string text;                     // plain item: its rendered text
    std::vector<std::string> keys;        // folded names the node answers to
    int joinType = 0;                     // join: 1 inner, 2 left, 3 right
    std::size_t left = 0;
    std::size_t right = 0;
    std::deque<std::string_view> conditions;
};

class SqlBuilder {
public:
    SqlBuilder(const QueryDesign& design, QueryDialect dialect)
        : design_(design), dialect_(dialect) {}

    std::string Build() {
        CheckAndSortRows();
        const Kind kind = KindOf(design_);
        if (kind == Kind::PassThrough || kind == Kind::DataDefinition) {
            return StoredText();
        }
        options_ = Single(attr::kOptions) ? Single(attr::kOptions)->flag : 0;

        std::string sql;
        AppendParameters(sql);
        switch (kind) {
            case Kind::Union: AppendUnion(sql); break;
            case Kind::Update: AppendUpdate(sql); break;
            case Kind::Append: AppendAppend(sql); break;
            case Kind::Crosstab: AppendCrosstab(sql); break;
            default: AppendSelectLike(sql, kind); break;
        }
        if (options_ & opt::kOwnerAccess) {
            sql += kCrLf;
            sql += "WITH OWNERACCESS OPTION";
        }
        sql += ';';
        sql += kCrLf;
        return sql;
    }

private:
    [[noreturn]] void Fail(const std::string& reason) const {
        throw ErrorException(kQueryDesignError,
                             "The stored design of query '" + design_.name +
                                 "' cannot be turned into SQL: " + reason + ".",
                             kEngineSource);
    }

    static std::string KindName(int attribute) {
        switch (attribute) {
            case attr::kType: return "type";
            case attr::kParameter: return "parameter";
            case attr::kOptions: return "options";
            case attr::kRemoteDb: return "source database";
            case attr::kSource: return "FROM source";
            case attr::kColumn: return "column";
            case attr::kJoin: return "join";
            case attr::kWhere: return "WHERE";
            case attr::kGroupBy: return "GROUP BY";
            case attr::kHaving: return "HAVING";
            case attr::kOrderBy: return "ORDER BY";
            default: return "attribute " + std::to_string(attribute);
        }
    }

    void CheckAndSortRows() {
        CheckSizes();
        SortRows();
        CheckCounts();
    }

    // Texts and Order values within what any real query holds.
    void CheckSizes() const {
        const auto& rows = design_.rows;
        if (rows.size() > query_limits::kMaxRows) {
            Fail("it has " + std::to_string(rows.size()) + " rows, more than " +
                 std::to_string(query_limits::kMaxRows));
        }
        std::size_t total = 0;
        for (const QueryRow& row : rows) {
            for (const auto* text : {&row.expression, &row.name1, &row.name2}) {
                if (!*text) {
                    continue;
                }
                if ((*text)->size() > query_limits::kMaxTextBytes) {
                    Fail("a " + KindName(row.attribute) + " row holds a text of " +
                         std::to_string((*text)->size()) + " bytes");
                }
                total += (*text)->size();
            }
            if (row.order.size() > query_limits::kMaxOrderBytes) {
                Fail("a " + KindName(row.attribute) + " row has an Order value of " +
                     std::to_string(row.order.size()) + " bytes");
            }
        }
        if (total > query_limits::kMaxDesignTextBytes) {
            Fail("its rows hold " + std::to_string(total) + " bytes of text");
        }
    }

    // By attribute, then by the unsigned Order bytes; each kind's rows kept.
    void SortRows() {
        const auto& rows = design_.rows;
        sorted_.reserve(rows.size());
        for (const QueryRow& row : rows) {
            sorted_.push_back(&row);
        }
        std::stable_sort(sorted_.begin(), sorted_.end(),
                         [](const QueryRow* a, const QueryRow* b) {
                             if (a->attribute != b->attribute) {
                                 return a->attribute < b->attribute;
                             }
                             return a->order < b->order;  // unsigned bytes, prefix first
                         });
        bool hasEnd = false;
        for (std::size_t i = 0; i < sorted_.size(); ++i) {
            const QueryRow* row = sorted_[i];
            if (i > 0 && sorted_[i - 1]->attribute == row->attribute &&
                sorted_[i - 1]->order == row->order) {
                // (ObjectId, Attribute, Order) is the table's unique key.
                Fail("two " + KindName(row->attribute) + " rows share one Order value");
            }
            if (row->attribute >= 0 && row->attribute < static_cast<int>(byKind_.size())) {
                byKind_[static_cast<std::size_t>(row->attribute)].push_back(row);
            }
            hasEnd = hasEnd || row->attribute == attr::kEnd;
        }
        // The end row is written last; without it the row set is cut short.
        if (!hasEnd) {
            Fail("its end row is missing");
        }
    }

    void CheckCounts() const {
        for (int single : {attr::kType, attr::kOptions, attr::kRemoteDb, attr::kWhere,
                           attr::kHaving, attr::kStart, attr::kEnd}) {
            if (Rows(single).size() > 1) {
                Fail("it has " + std::to_string(Rows(single).size()) + " " +
                     KindName(single) + " rows");
            }
        }
        if (Rows(attr::kSource).size() > query_limits::kMaxSources) {
            Fail("it has more than " + std::to_string(query_limits::kMaxSources) +
                 " FROM sources");
        }
        if (Rows(attr::kJoin).size() > query_limits::kMaxJoins) {
            Fail("it has more than " + std::to_string(query_limits::kMaxJoins) + " joins");
        }
    }

    const std::vector<const QueryRow*>& Rows(int attribute) const {
        return byKind_[static_cast<std::size_t>(attribute)];
    }

    const QueryRow* Single(int attribute) const {
        const auto& rows = Rows(attribute);
        return rows.empty() ? nullptr : rows.front();
    }

    std::string StoredText() const {
        const QueryRow* type = Single(attr::kType);
        if (!type || !type->expression) {
            Fail("its stored SQL text is missing");
        }
        const std::string& text = *type->expression;
        return text.substr(0, text.find('\0'));
    }

    // Expression of a row that must have one.
    const std::string& Expr(const QueryRow* row) const {
        if (!row->expression || row->expression->empty()) {
            Fail("a " + KindName(row->attribute) + " row has no expression");
        }
        return *row->expression;
    }

    void AppendIdent(std::string& out, const std::string& name, const char* what) const {
        if (!TryBracketIdentifier(name, out)) {
            Fail(std::string("the ") + what + " name " + Quoted(name) +
                 " cannot be written as an SQL name");
        }
    }

    void AppendParameterName(std::string& out, const std::string& name) const {
        if (name.find('[') != std::string::npos) {
            out += name;  // typed in SQL, kept as typed
            return;
        }
        // Forms!My Form!Control: each segment bracketed on its own.
        std::vector<std::string_view> segments;
        std::string_view rest = name;
        bool allNamed = true;
        for (;;) {
            const std::size_t bang = rest.find('!');
            segments.push_back(rest.substr(0, bang));
            allNamed = allNamed && !segments.back().empty();
            if (bang == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(bang + 1);
        }
        if (!allNamed) {
            if (name.find(']') != std::string::npos) {
                Fail("the parameter name " + Quoted(name) + " cannot be written as an SQL name");
            }
            out += "[" + name + "]";
            return;
        }
        for (std::size_t i = 0; i < segments.size(); ++i) {
            if (i > 0) {
                out += '!';
            }
            AppendIdent(out, std::string(segments[i]), "parameter");
        }
    }

    void AppendParameters(std::string& sql) const {
        const auto& params = Rows(attr::kParameter);
        if (params.empty()) {
            return;
        }
        sql += "PARAMETERS ";
        AppendCommaList(sql, params, [&](const QueryRow* row) {
            if (!row->name1 || row->name1->empty()) {
                Fail("a parameter has no name");
            }
            AppendParameterName(sql, *row->name1);
            const char* type = ParameterTypeName(row->flag);
            if (!type) {
                Fail("the parameter " + Quoted(*row->name1) + " has the unknown type code " +
                     std::to_string(row->flag));
            }
            sql += ' ';
            sql += type;
            // The declared size of a Text parameter (LvExtra, Jet 4 and later).
            const std::optional<std::int32_t> size = row->lvExtra;
            if (row->flag == DaoCode(DaoType::kText) && size && *size != 0) {
                if (*size < 0 || *size > 255) {
                    Fail("the parameter " + Quoted(*row->name1) + " has the text size " +
                         std::to_string(*size));
                }
                sql += " ( " + std::to_string(*size) + " )";
            }
        });
        sql += ';';
        sql += kCrLf;
    }

    // " IN 'path' [type]" for a source or target in another database.
    void AppendRemoteDb(std::string& out, const std::optional<std::string>& path,
                        const std::optional<std::string>& type) const {
        const bool hasPath = path && !path->empty();
        const bool hasType = type && !type->empty();
        // Access writes an empty remote-database row for every local query.
        if (!hasPath && !hasType) {
            return;
        }
        out += " IN '";
        if (hasPath) {
            for (char c : *path) {
                out += c;
                if (c == '\'') {
                    out += '\'';
                }
            }
        }
        out += '\'';
        if (hasType) {
            if (type->find(']') != std::string::npos) {
                Fail("the database type " + Quoted(*type) + " cannot be written in brackets");
            }
            out += " [";
            out += *type;
            out += ']';
        }
    }

    void AppendSourceRemoteDb(std::string& out) const {
        if (const QueryRow* remote = Single(attr::kRemoteDb)) {
            AppendRemoteDb(out, remote->name1, remote->expression);
        }
    }

    void AppendTargetRemoteDb(std::string& out) const {
        const QueryRow* type = Single(attr::kType);
        AppendRemoteDb(out, type->name2, type->expression);
    }

    // ---- FROM ------------------------------------------------------------

    FromNode PlainSource(const QueryRow* row) const {
        FromNode node;
        const bool hasName = row->name1 && !row->name1->empty();
        const bool hasAlias = row->name2 && !row->name2->empty();
        const bool hasExpr = row->expression && !row->expression->empty();
        if (hasExpr && !hasName) {
            // Derived table.
            if (dialect_ == QueryDialect::Ace) {
                node.text = "(" + *row->expression + ")";
                if (hasAlias) {
                    node.text += "  AS ";
                    AppendIdent(node.text, *row->name2, "alias");
                }
            } else {
                node.text = "[" + *row->expression + "].";
                if (hasAlias) {
                    node.text += " AS ";
                    AppendIdent(node.text, *row->name2, "alias");
                }
            }
            if (!hasAlias) {
                Fail("a derived table has no alias");
            }
        } else {
            if (!hasName) {
                Fail("a FROM source has no name");
            }
            if (hasExpr) {
                // A table of another database, named by its path.
                node.text = "[" + *row->expression + "].";
            }
            AppendIdent(node.text, *row->name1, "table");
            if (hasAlias) {
                node.text += " AS ";
                AppendIdent(node.text, *row->name2, "alias");
            }
        }
        node.keys.push_back(FoldCase(hasAlias ? *row->name2 : *row->name1));
        return node;
    }

    static bool Contains(const FromNode& node, const std::string& foldedKey) {
        return std::find(node.keys.begin(), node.keys.end(), foldedKey) != node.keys.end();
    }

    void RenderNode(std::string& out, std::size_t index, bool nested) const {
        const FromNode& node = nodes_[index];
        if (!node.isJoin) {
            out += node.text;
            return;
        }
        if (nested) {
            out += '(';
        }
        RenderNode(out, node.left, true);
        switch (node.joinType) {
            case 1: out += " INNER JOIN "; break;
            case 2: out += " LEFT JOIN "; break;
            default: out += " RIGHT JOIN "; break;
        }
        RenderNode(out, node.right, true);
        out += " ON ";
        if (node.conditions.size() == 1) {
            out += node.conditions.front();
        } else {
            bool first = true;
            for (std::string_view condition : node.conditions) {
                out += first ? "(" : " AND (";
                out += condition;
                out += ')';
                first = false;
            }
        }
        if (nested) {
            out += ')';
        }
    }

    // Merges the first items holding the join row's two names into a join at
    // the end of `list`; a row between names already joined adds its
    // condition to that join, in front.
    void FoldJoin(const QueryRow* row, std::vector<std::size_t>& list) {
        if (!row->name1 || row->name1->empty() || !row->name2 || row->name2->empty()) {
            Fail("a join row does not name both of its tables");
        }
        if (row->flag < 1 || row->flag > 3) {
            Fail("the join between " + Quoted(*row->name1) + " and " + Quoted(*row->name2) +
                 " has the unknown join type " + std::to_string(row->flag));
        }
        const std::string& condition = Expr(row);
        const std::string leftKey = FoldCase(*row->name1);
        const std::string rightKey = FoldCase(*row->name2);
        std::optional<std::size_t> a;
        std::optional<std::size_t> b;
        for (std::size_t i = 0; i < list.size() && !(a && b); ++i) {
            const FromNode& node = nodes_[list[i]];
            if (!a && Contains(node, leftKey)) {
                a = i;
                if (!b && Contains(node, rightKey)) {
                    b = i;
                }
            } else if (!b && Contains(node, rightKey)) {
                b = i;
            }
        }
        if (!a || !b) {
            Fail("a join names " + Quoted(!a ? *row->name1 : *row->name2) +
                 ", which is not among its FROM sources");
        }
        if (*a == *b) {
            FromNode& existing = nodes_[list[*a]];
            if (!existing.isJoin || existing.joinType != row->flag) {
                Fail("the joins between " + Quoted(*row->name1) + " and " +
                     Quoted(*row->name2) + " are inconsistent");
            }
            existing.conditions.push_front(condition);
            return;
        }
        FromNode join;
        join.isJoin = true;
        join.joinType = row->flag;
        join.left = list[*a];
        join.right = list[*b];
        join.conditions.push_back(condition);
        join.keys = nodes_[join.left].keys;
        const auto& rightKeys = nodes_[join.right].keys;
        join.keys.insert(join.keys.end(), rightKeys.begin(), rightKeys.end());
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(std::max(*a, *b)));
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(std::min(*a, *b)));
        nodes_.push_back(std::move(join));
        list.push_back(nodes_.size() - 1);
    }

    // The FROM list with its joins nested as Access nests them.
    std::string FromList() {
        nodes_.clear();
        std::vector<std::size_t> list;
        for (const QueryRow* row : Rows(attr::kSource)) {
            nodes_.push_back(PlainSource(row));
            list.push_back(nodes_.size() - 1);
        }
        for (const QueryRow* row : Rows(attr::kJoin)) {
            FoldJoin(row, list);
        }
        std::string out;
        AppendCommaList(out, list, [&](std::size_t node) { RenderNode(out, node, false); });
        return out;
    }

    bool HasFrom() const {
        return !Rows(attr::kSource).empty() || !Rows(attr::kJoin).empty();
    }

    // ---- clauses ---------------------------------------------------------

    std::string Predicate() const {
        std::string pred;
        if (options_ & opt::kDistinct) {
            pred += "DISTINCT ";
        } else if (options_ & opt::kDistinctRow) {
            pred += "DISTINCTROW ";
        }
        if (options_ & (opt::kTop | opt::kPercent)) {
            const QueryRow* options = Single(attr::kOptions);
            const std::string value = options->name1.value_or("");
            const bool numeric =
                !value.empty() && value.size() <= 20 &&
                std::all_of(value.begin(), value.end(),
                            [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
            if (!numeric) {
                Fail("its TOP value " + Quoted(value) + " is not a number");
            }
            pred += "TOP " + value;
            if (options_ & opt::kPercent) {
                pred += " PERCENT";
            }
            pred += ' ';
        }
        return pred;
    }

    void AppendColumn(std::string& out, const QueryRow* row) const {
        out += Expr(row);
        if (row->name1 && !row->name1->empty()) {
            out += " AS ";
            AppendIdent(out, *row->name1, "column alias");
        }
    }

    std::string ColumnList(const std::vector<const QueryRow*>& columns) const {
        std::string out;
        AppendCommaList(out, columns, [&](const QueryRow* row) { AppendColumn(out, row); });
        if (options_ & opt::kAllFields) {
            out += out.empty() ? "*" : ", *";
        }
        if (out.empty()) {
            out = "*";
        }
        return out;
    }

    std::vector<const QueryRow*> ColumnsWhere(int mask, bool set) const {
        std::vector<const QueryRow*> out;
        for (const QueryRow* row : Rows(attr::kColumn)) {
            if (((row->flag & mask) != 0) == set) {
                out.push_back(row);
            }
        }
        return out;
    }

    void AppendExpressionClause(std::string& sql, int attribute, const char* keyword) const {
        const QueryRow* row = Single(attribute);
        if (!row || !row->expression || row->expression->empty()) {
            return;
        }
        sql += kCrLf;
        sql += keyword;
        sql += *row->expression;
    }

    void AppendGroupBy(std::string& sql, bool crosstab) const {
        std::vector<const QueryRow*> shown;
        for (const QueryRow* row : Rows(attr::kGroupBy)) {
            // The pivot's own grouping is added by the engine and not shown.
            if (!crosstab || (row->flag & kCrosstabRowHeading)) {
                shown.push_back(row);
            }
        }
        std::string items;
        AppendCommaList(items, shown, [&](const QueryRow* row) { items += Expr(row); });
        if (!items.empty()) {
            sql += kCrLf;
            sql += "GROUP BY ";
            sql += items;
        }
    }

    void AppendOrderBy(std::string& sql) const {
        const auto& rows = Rows(attr::kOrderBy);
        if (rows.empty()) {
            return;
        }
        sql += kCrLf;
        sql += "ORDER BY ";
        AppendCommaList(sql, rows, [&](const QueryRow* row) {
            sql += Expr(row);
            if (row->name1 && SameName(*row->name1, "D")) {
                sql += " DESC";
            }
        });
    }

    // SELECT ... FROM ... WHERE ... GROUP BY ... HAVING ... ORDER BY, or the
    // DELETE form of it.
    void AppendSelectBody(std::string& sql, Kind kind,
                          const std::vector<const QueryRow*>& columns) {
        sql += kind == Kind::Delete ? "DELETE " : "SELECT ";
        sql += Predicate();
        sql += ColumnList(columns);
        if (kind == Kind::MakeTable) {
            const QueryRow* type = Single(attr::kType);
            if (!type || !type->name1 || type->name1->empty()) {
                Fail("its target table is missing");
            }
            sql += " INTO ";
            AppendIdent(sql, *type->name1, "target table");
            AppendTargetRemoteDb(sql);
        }
        if (HasFrom()) {
            sql += kCrLf;
            sql += "FROM ";
            sql += FromList();
            AppendSourceRemoteDb(sql);
        }
        AppendExpressionClause(sql, attr::kWhere, "WHERE ");
        AppendGroupBy(sql, kind == Kind::Crosstab);
        AppendExpressionClause(sql, attr::kHaving, "HAVING ");
        AppendOrderBy(sql);
    }

    void AppendSelectLike(std::string& sql, Kind kind) {
        AppendSelectBody(sql, kind, Rows(attr::kColumn));
    }

    void AppendCrosstab(std::string& sql) {
        const auto values = ColumnsWhere(kCrosstabPivot | kCrosstabRowHeading, false);
        const auto pivots = ColumnsWhere(kCrosstabPivot, true);
        if (values.size() != 1) {
            Fail("it has " + std::to_string(values.size()) +
                 " TRANSFORM values instead of one");
        }
        if (pivots.size() != 1) {
            Fail("it has " + std::to_string(pivots.size()) +
                 " PIVOT columns instead of one");
        }
        sql += "TRANSFORM ";
        AppendColumn(sql, values.front());
        sql += kCrLf;
        AppendSelectBody(sql, Kind::Crosstab, ColumnsWhere(kCrosstabRowHeading, true));
        sql += kCrLf;
        sql += "PIVOT ";
        sql += Expr(pivots.front());
    }

    void AppendAppend(std::string& sql) {
        const QueryRow* type = Single(attr::kType);
        if (!type || !type->name1 || type->name1->empty()) {
            Fail("its target table is missing");
        }
        const auto values = ColumnsWhere(kAppendValue, true);
        const auto selected = ColumnsWhere(kAppendValue, false);
        const auto& targetRows = values.empty() ? selected : values;

        sql += "INSERT INTO ";
        AppendIdent(sql, *type->name1, "target table");
        std::size_t named = 0;
        for (const QueryRow* row : targetRows) {
            named += (row->name2 && !row->name2->empty()) ? 1 : 0;
        }
        if (named > 0) {
            if (named != targetRows.size()) {
                Fail("some appended columns have no target column");
            }
            sql += " ( ";
            AppendCommaList(sql, targetRows, [&](const QueryRow* row) {
                AppendIdent(sql, *row->name2, "target column");
            });
            sql += " )";
        }
        AppendTargetRemoteDb(sql);
        sql += kCrLf;
        if (!values.empty()) {
            sql += "VALUES (";
            AppendCommaList(sql, values, [&](const QueryRow* row) { sql += Expr(row); });
            sql += ')';
            return;
        }
        AppendSelectBody(sql, Kind::Append, selected);
    }

    void AppendUpdate(std::string& sql) {
        if (!HasFrom()) {
            Fail("it names no table to update");
        }
        const auto& items = Rows(attr::kColumn);
        if (items.empty()) {
            Fail("it sets no column");
        }
        sql += "UPDATE ";
        // Unique records; the other predicates have no UPDATE form.
        if (options_ & opt::kDistinctRow) {
            sql += "DISTINCTROW ";
        }
        sql += FromList();
        AppendSourceRemoteDb(sql);
        sql += " SET ";
        AppendCommaList(sql, items, [&](const QueryRow* row) {
            if (!row->name2 || row->name2->empty()) {
                Fail("an updated column has no target");
            }
            // Stored already bracketed as needed; dots may sit inside brackets.
            sql += *row->name2;
            sql += " = ";
            sql += Expr(row);
        });
        AppendExpressionClause(sql, attr::kWhere, "WHERE ");
    }

    void AppendUnion(std::string& sql) const {
        // Jet splits a union at its last UNION: the first part keeps any earlier ones.
        std::vector<std::pair<std::size_t, const QueryRow*>> parts;
        for (const QueryRow* row : Rows(attr::kSource)) {
            const std::string_view alias = row->name2 ? std::string_view(*row->name2) : "";
            if (alias.substr(0, kUnionPartPrefix.size()) != kUnionPartPrefix) {
                Fail("a source of the union is not one of its parts");
            }
            const std::string_view number = alias.substr(kUnionPartPrefix.size());
            std::size_t n = 0;
            if (number.empty() || number.size() > 4 ||
                !std::all_of(number.begin(), number.end(),
                             [](char c) { return c >= '0' && c <= '9'; })) {
                Fail("the union part " + Quoted(alias) + " has no number");
            }
            for (char c : number) {
                n = n * 10 + static_cast<std::size_t>(c - '0');
            }
            parts.emplace_back(n, row);
        }
        std::stable_sort(parts.begin(), parts.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        if (parts.size() < 2) {
            Fail("it has " + std::to_string(parts.size()) + " union parts instead of two");
        }
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].first != i + 1) {
                Fail("its union parts are not numbered 1 to " + std::to_string(parts.size()));
            }
        }
        const char* keyword = (options_ & opt::kDistinct) ? "UNION " : "UNION ALL ";
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const std::string& text = Expr(parts[i].second);
            if (i > 0) {
                // The first part normally ends with the whitespace the user
                // typed before UNION; keep the words apart when it does not.
                if (!EndsWithSpace(sql)) {
                    sql += ' ';
                }
                sql += keyword;
            }
            sql += text;
        }
        AppendOrderBy(sql);
    }

    const QueryDesign& design_;
    QueryDialect dialect_;
    std::vector<const QueryRow*> sorted_;
    std::array<std::vector<const QueryRow*>, 256> byKind_;
    std::vector<FromNode> nodes_;
    std::int32_t options_ = 0;
};

}  // namespace

std::string BuildQuerySql(const QueryDesign& design, QueryDialect dialect) {
    return SqlBuilder(design, dialect).Build();
}

std::int32_t QueryDefType(const QueryDesign& design) {
    switch (KindOf(design)) {
        case Kind::Select: return 0;
        case Kind::Crosstab: return 16;
        case Kind::Delete: return 32;
        case Kind::Update: return 48;
        case Kind::Append: return 64;
        case Kind::MakeTable: return 80;
        case Kind::DataDefinition: return 96;
        case Kind::Union: return 128;
        case Kind::PassThrough:
            return (design.flags & 0xF0) == query_type::kPassThroughBulk
                       ? query_type::kPassThroughBulk
                       : query_type::kPassThrough;
    }
    return 0;
}

std::string PassThroughConnect(const QueryDesign& design) {
    if (KindOf(design) != Kind::PassThrough) {
        return {};
    }
    const QueryRow* type = TypeRow(design);
    return type != nullptr && type->name1 ? *type->name1 : std::string();
}

}  // namespace vt
