#pragma once
// Rebuilds a stored query's SQL text, as QueryDef.SQL returns it, from the
// query's MSysQueries rows.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/error.h"
#include "dbaccess/query/query_rows.h"

namespace vt {

// The engine generation of the file the rows come from. It decides how a
// derived table (a sub-SELECT in FROM) is written.
enum class QueryDialect {
    Jet,  // Jet 3 / Jet 4 .mdb: [SELECT ...]. AS x
    Ace,  // ACE .accdb: (SELECT ...)  AS x
};

namespace query_limits {
// Jet caps an SQL statement at about 64K characters; a stored text far past
// that is damage, not a query.
inline constexpr std::size_t kMaxTextBytes = 256 * 1024;
inline constexpr std::size_t kMaxDesignTextBytes = 1024 * 1024;
inline constexpr std::size_t kMaxRows = 4096;
// FROM sources and join rows; Jet allows far fewer (32 tables per query).
inline constexpr std::size_t kMaxSources = 1024;
inline constexpr std::size_t kMaxJoins = 2048;
// Order is Binary(510) in Jet4 and ACE files.
inline constexpr std::size_t kMaxOrderBytes = 510;
}  // namespace query_limits

// The number a query whose rows give no valid SQL is reported with: its
// stored design is damaged as far as the engine is concerned.
inline constexpr std::int32_t kQueryDesignError = err::kEngineDamaged;

// The query's SQL text: engine-built text ends with ";" CR LF, stored
// pass-through and data-definition text is returned as stored up to its
// first NUL. Throws ErrorException (kQueryDesignError, kEngineSource), whose
// description names the query, when the rows cannot give valid SQL.
std::string BuildQuerySql(const QueryDesign& design, QueryDialect dialect);

// DAO's QueryDef.Type for the stored design (QueryDefTypeEnum): 112 for a
// pass-through query, 144 when the catalogue marks it as returning no records.
std::int32_t QueryDefType(const QueryDesign& design);

// A pass-through query's connect string (its type row's Name1); empty for
// every other query.
std::string PassThroughConnect(const QueryDesign& design);

// `name` as an SQL identifier: unchanged when it is already in brackets or
// is made of letters (any script), combining marks, digits and "_", does
// not start with a digit and is not a reserved word; otherwise in brackets.
// Returns false when the name cannot be written (empty, or a "]" inside).
bool TryBracketIdentifier(std::string_view name, std::string& out);

// Whether `word` is one of the Jet SQL reserved words (case-insensitive).
bool IsJetReservedWord(std::string_view word);

}  // namespace vt
