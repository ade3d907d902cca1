// The Jet reader: real databases give the facts recorded for them; its building blocks
// work on small images made here; hostile input ends in a clear engine error, quickly,
// never in a crash; no file read is ever changed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <variant>
#include <sstream>

#include "common/error.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/jet/jet_table.h"
#include "dbaccess/open.h"

namespace vt::jet {
namespace {

namespace fs = std::filesystem;
using Bytes8 = std::vector<std::uint8_t>;
constexpr std::int32_t kDamaged = err::kEngineDamaged, kForeign = err::kEngineUnrecognisedFormat;

std::string DataPath(const std::string& relative) { return std::string(VT_TEST_DATA_DIR) + "/jet/" + relative; }
Bytes8 ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes8(std::istreambuf_iterator<char>(in), {});
}
Bytes View(const Bytes8& b) { return Bytes(b.data(), b.size()); }
std::uint32_t Get(const Bytes8& b, std::size_t at, int n) { return n == 0 ? 0 : b.at(at) | Get(b, at + 1, n - 1) << 8; }  // LE
void Put(Bytes8& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) {
        b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// The error `action` ends in (number 0: none); the engine is its source.
ErrorRecord ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ErrorException& e) {
        EXPECT_EQ(e.record().source, kEngineSource);
        return e.record();
    }
    return {};
}

// Reads `bytes` within 5 s: 0, or the error number; the error names the file (3031 need not).
std::int32_t ReadNumber(const Bytes8& bytes) {
    const auto start = std::chrono::steady_clock::now();
    const ErrorRecord e = ErrorOf([&] {
        (void)SnapshotSchema(*ReadJetDatabase(bytes.data(), bytes.size(), "/damaged/copy.mdb", std::nullopt));
    });
    const bool named = e.description.find("/damaged/copy.mdb") != std::string::npos;
    EXPECT_TRUE(e.number == 0 || e.number == err::kEngineBadPassword || named) << e.description;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    return e.number;
}

// QueryDef.SQL of the nine queries of Jackcess's queryTestV* files.
const std::map<std::string, std::string>& KnownSql() {
    static const auto sql = nlohmann::json::parse(std::ifstream(DataPath("jackcess/queryTest-sql.json"))).get<std::map<std::string, std::string>>();
    return sql;
}

// A database as the manifest counts it (user tables, links, queries but ~sq_*, relations
// but MSysNavPane*, the tables' non-foreign indexes, their fields with each property),
// then each query whose SQL fails or, in a queryTestV* file, is not the known one.
std::string Summary(const Database& db) {
    int n[10] = {};
    for (std::size_t i = 0; i < db.TableDefCount(); ++i) {
        const TableDef t = db.TableDefAt(i);
        if (t.IsLinked() || t.IsOdbcLinked()) {
            ++n[1];
        } else if (!t.IsSystem() && t.name.rfind("MSys", 0) != 0) {  // also MSysCompactError
            ++n[0];
            for (const IndexDef& x : t.indexes) {
                n[4] += !x.foreign;
            }
            for (const FieldDef& f : t.fields) {
                n[5] += !f.defaultValue.empty(), n[6] += f.required, n[7] += f.allowZeroLength;
                n[8] += !f.validationRule.empty(), n[9] += !f.validationText.empty();
            }
        }
    }
    const DatabaseInfo info = db.Info();
    const bool known = fs::path(info.path).filename().string().rfind("queryTestV", 0) == 0;
    std::string problems;
    for (std::size_t i = 0; i < db.QueryDefCount(); ++i) {
        const std::string name = db.QueryDefNameAt(i);
        n[2] += name.rfind("~sq_", 0) != 0;
        try {
            const std::string sql = db.QueryDefAt(i).sql;
            problems += known && (KnownSql().count(name) == 0 || KnownSql().at(name) != sql) ? "\n" + name + ": " + sql : "";
        } catch (const ErrorException& e) {
            problems += "\n" + name + " has no SQL: " + e.what();
        }
    }
    for (std::size_t i = 0; i < db.RelationCount(); ++i) {
        n[3] += db.RelationAt(i).name.rfind("MSysNavPane", 0) != 0;
    }
    // The manifest also counts the index on each version-history column, which
    // the DAO view leaves to the engine with its column.
    for (const std::string& note : db.Notes()) {
        n[4] += note.find("keeps the version history") != std::string::npos;
    }
    std::ostringstream s;
    s << info.engine << " cp" << info.codePage << " sort" << info.collatingOrder << " T" << n[0] << "/L" << n[1] << "/Q" << n[2]
      << "/R" << n[3] << "/I" << n[4] << " Default" << n[5] << " Required" << n[6] << " AZL" << n[7] << " ValRule" << n[8]
      << " ValText" << n[9] << problems;
    return s.str();
}

// The item called `name`, or an empty one.
template <typename T>
const T& Named(const std::vector<T>& items, const std::string& name) {
    static const T none;
    const auto found = std::find_if(items.begin(), items.end(), [&](const T& item) { return item.name == name; });
    return found == items.end() ? none : *found;
}

// One fact of a file: "password P", "table T" (hex attributes [Connect] [SourceTableName]
// fields/indexes), "field T.F" (type/size/attributes, properties), "index T.I" ("-"
// descending), "relation R", "parameters Q" (LvExtra), or names in collection order
// ("tables", "relations", "queries" with kind flags, "fields T" with positions, "indexes T").
std::string Fact(const std::string& path, const std::string& what) {
    const std::string kind = what.substr(0, what.find(' ')), name = what.substr(what.find(' ') + 1);
    if (kind == "password") {
        try {
            OpenDatabaseFile(path, OpenOptions{name == "(none)" ? std::nullopt : std::optional(name)});
            return "opens";
        } catch (const ErrorException& e) {
            std::string text = e.record().description;
            if (const auto at = text.find(path); at != std::string::npos) {
                text.replace(at, path.size(), "<file>");
            }
            return std::to_string(e.number()) + " " + text + " " + e.record().source;
        }
    }
    const auto opened = OpenDatabaseFile(path, OpenOptions{"password"});  // which each other file must ignore
    const auto& db = dynamic_cast<const JetDatabase&>(*opened);
    const Schema& s = db.schema();
    const TableDef& table = Named(s.tableDefs, name.substr(0, name.find('.')));
    const std::string member = name.substr(name.find('.') + 1);
    std::ostringstream out;
    const auto list = [&](const auto& items, const auto& text) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            out << (i == 0 ? "" : ",") << text(i);
        }
    };
    EXPECT_EQ(db.Info().path, fs::absolute(path).lexically_normal().string());
    if (kind == "tables") {
        list(s.tableDefs, [&](std::size_t i) { return db.TableDefAt(i).name; });
    } else if (kind == "relations") {
        list(s.relations, [&](std::size_t i) { return db.RelationAt(i).name; });
    } else if (kind == "queries") {
        list(s.queryDefs, [&](std::size_t i) {
            return db.QueryDefNameAt(i) + ":" + std::to_string(db.details().queries.at(i).flags & 0xF0);
        });
    } else if (kind == "parameters") {  // name=LvExtra: a Text parameter's declared size
        for (const QueryRow& row : Named(db.details().queries, name).rows) {
            out << (row.attribute == 2 ? row.name1.value_or("") + "=" + (row.lvExtra ? std::to_string(*row.lvExtra) : "none") + " " : "");
        }
    } else if (kind == "notes") {
        list(db.Notes(), [&](std::size_t i) { return db.Notes()[i]; });
    } else if (kind == "fields") {
        list(table.fields, [&](std::size_t i) { return table.fields[i].name + "@" + std::to_string(table.fields[i].ordinalPosition); });
    } else if (kind == "indexes") {
        list(table.indexes, [&](std::size_t i) { return table.indexes[i].name; });
    } else if (kind == "table") {
        out << std::hex << std::uppercase << table.attributes << std::dec << " [" << table.connect << "] ["
            << table.sourceTableName << "] " << table.fields.size() << "/" << table.indexes.size();
    } else if (kind == "relation") {
        const Relation& r = Named(s.relations, name);
        out << r.table << " " << r.foreignTable << " " << r.attributes;
        for (const RelationField& f : r.fields) {
            out << " " << f.name << "=" << f.foreignName;
        }
    } else if (const FieldDef& f = Named(table.fields, member); kind == "field") {
        out << DaoCode(f.type) << "/" << f.size << "/" << f.attributes << (f.required ? " required" : "")
            << (f.allowZeroLength ? " azl" : "") << (f.defaultValue.empty() ? "" : " default " + f.defaultValue)
            << (f.validationRule.empty() ? "" : " rule " + f.validationRule)
            << (f.validationText.empty() ? "" : " text " + f.validationText)
            << (f.expression.empty() ? "" : " = " + f.expression);
    } else if (kind == "properties") {  // of "(database)", a table, "table.field" or a query
        const std::vector<Property>& p = name == "(database)" ? s.info.properties
                                         : name.find('.') != std::string::npos ? Named(table.fields, member).properties
                                         : table.name.empty() ? Named(s.queryDefs, name).properties
                                                              : table.properties;
        list(p, [&](std::size_t i) {
            std::ostringstream value;
            std::visit([&](const auto& v) { value << std::boolalpha << v; }, p[i].value);
            return p[i].name + ":" + std::to_string(p[i].type) + "=" + value.str();
        });
    } else if (kind == "query") {  // type, connect string, returns records
        const QueryDef& q = Named(s.queryDefs, name);
        out << q.type << " [" << q.connect << "] " << (q.returnsRecords ? "records" : "none");
    } else if (const IndexDef& x = Named(table.indexes, member); kind == "index") {
        list(x.fields, [&](std::size_t i) { return (x.Descending(i) ? "-" : "") + x.fields[i]; });
        out << (x.primary ? " primary" : "") << (x.unique ? " unique" : "") << (x.foreign ? " foreign" : "")
            << (x.required ? " required" : "") << (x.ignoreNulls ? " ignoreNulls" : "") << (x.clustered ? " clustered" : "");
    }
    return out.str();
}

struct FactCase {
    const char *file, *what, *expected;
};

void PrintTo(const FactCase& c, std::ostream* os) { *os << c.file << ": " << c.what; }

class FactTest : public ::testing::TestWithParam<FactCase> {};

TEST_P(FactTest, ReaderGivesTheRecordedValue) {
    const std::string file = GetParam().file, path = file.rfind("shared/", 0) ? DataPath(file) : VT_SHARED_TESTDATA_DIR + file.substr(6);
    if (!fs::exists(path)) {
        GTEST_SKIP() << "shared test data not present: " << path;
    }
    EXPECT_EQ(Fact(path, GetParam().what), GetParam().expected);
}

constexpr const char *kKros = "kros-msaccess/MsAccessSchema.mdb", *kIndex97 = "jackcess/indexTestV1997.mdb",
                      *kIndex2000 = "jackcess/indexTestV2000.mdb", *kTest97 = "jackcess/testV1997.mdb",
                      *kOdbc = "jackcess/odbcLinkerTestV2007.accdb", *kLinker = "jackcess/linkerTestV2007.accdb",
                      *kDeleted = "mdb-reader/withdeletedcol.accdb", *kProtected = "mdb-reader/V2003_with-password.mdb",
                      *kComplex = "jackcess/complexDataTestV2007.accdb";
constexpr const char* kWrongPassword = "3031 '<file>': Not a valid password. DAO.DBEngine";

INSTANTIATE_TEST_SUITE_P(Files, FactTest, ::testing::Values(
    // Only the right password opens a protected file.
    FactCase{kProtected, "password (none)", kWrongPassword},
    FactCase{kProtected, "password Password", kWrongPassword},
    FactCase{kProtected, "password ", kWrongPassword},
    FactCase{kProtected, "password password", "opens"},
    // Collection order: by name ignoring case; fields by stored position
    // (col3 inserted after col2; col4 deleted); indexes as stored.
    FactCase{kIndex97, "tables", "MSysAccessObjects,MSysACEs,MSysModules,MSysModules2,MSysObjects,MSysQueries,MSysRelationships,Table1,Table2,Table3"},
    FactCase{kIndex2000, "relations", "MSysNavPaneGroupCategoriesMSysNavPaneGroups,MSysNavPaneGroupsMSysNavPaneGroupToObjects,Table2Table1,Table3Table1"},
    FactCase{"jackcess/queryTestV1997.mdb", "queries", "AppendQuery:64,CrosstabQuery:16,DataDefinitionQuery:96,DeleteQuery:32,MakeTableQuery:80,PassthroughQuery:112,SelectQuery:0,UnionQuery:128,UpdateQuery:48"},
    FactCase{"mdb-reader/withinsertedcol.accdb", "fields Table1", "col1@0,col3@1,col2@2"},
    FactCase{kDeleted, "fields Table1", "col1@0,col2@1,col3@2,col5@4,col6@5,col7@6,col8@7"},
    FactCase{"jackcess/delColTestV1997.mdb", "fields Table1", "id@0,id2@1,data@2,data2@3"},
    FactCase{kIndex97, "indexes Table2", ".rC,id,PrimaryKey"},
    // Relations: delete cascade 0x1000, update cascade 0x100, not enforced 2.
    FactCase{kIndex97, "relation Table2Table1", "Table2 Table1 4096 id=otherfk1"},
    FactCase{kIndex2000, "relation Table3Table1", "Table3 Table1 256 id=otherfk2"},
    FactCase{kLinker, "relation Table1Table2", "Table1 Table2 2 Field1=Field1"},
    // Enforced relations' indexes: the many side's, and the one side's that
    // shares the primary key's data.
    FactCase{kIndex97, "index Table1.Table2Table1", "otherfk1 foreign"},
    FactCase{kIndex2000, "index Table2..rC", "id unique foreign required"},
    FactCase{kIndex97, "index Table2.PrimaryKey", "id primary unique required"},
    FactCase{kIndex2000, "index Table2.PrimaryKey", "id primary unique required"},
    FactCase{kKros, "index IndexesTest.I_Index", "ColIndex1,-ColIndex2Desc,ColIndex3"},
    FactCase{kKros, "index IndexesTest.I_UniqueIndex", "ColUniqueIndex unique"},
    FactCase{"jackcess/compIndexTestV2000.mdb", "index Table1.CD_AGENTE", "-CD_AGENTE"},
    // Notes of what DAO cannot create: a Large Number, but not Byte, Single, Decimal...
    FactCase{"mdb-reader/bigint.accdb", "notes", "Table 'Table', field 'Numeric' has the Large Number type, which DAO cannot create; the module leaves it out."},
    FactCase{kKros, "notes", "Table 'SchemaTest', field 'ColDecimal' has the Decimal type, which DAO cannot create; the module leaves it out."},
    // Complex columns get their DAO types; the engine keeps an append-only
    // memo's history in a column (and index) of its own, not in the DAO view.
    FactCase{kComplex, "fields Table1", "id@0,memo-data@1,append-memo-data@2,multi-value-data@3,attach-data@4"},
    FactCase{kComplex, "field Table1.attach-data", "101/4/1"},
    FactCase{kComplex, "field Table1.multi-value-data", "109/4/1"},
    FactCase{kComplex, "notes", "Table 'Table1', field 'VersionHistory_F5F8918F-0A3F-4DA9-AE71-184EE5012880' keeps the version history of an append-only memo field; the history is not re-created."},
    FactCase{"jackcess/calcFieldTestV2010.accdb", "field Table1.LastFirstLen", "4/4/1 = Len([LastFirst])"},
    // Stored properties beyond the DAO members, in stored order with their DAO
    // types: numbers, Booleans, text, binary as hex; none of a carried one.
    FactCase{kTest97, "properties Table1", "Orientation:2=0,OrderByOn:1=false,DefaultView:2=2"},
    FactCase{kKros, "properties SchemaTest.ColInt32", "GUID:9=DDA6151413DCDB47B0188E16FE28E45B,ColumnWidth:3=-1,"
             "ColumnOrder:3=0,ColumnHidden:1=false,DecimalPlaces:2=255,DisplayControl:3=109,TextAlign:2=0,AggregateType:4=-1,"
             "ResultType:2=0,CurrencyLCID:4=0"},
    FactCase{"ucanaccess/accessLike.mdb", "properties q_like2", "RecordLocks:2=0,ODBCTimeout:3=60,"
             "RecordsetType:2=0,OrderByOn:1=false,Orientation:2=0,DefaultView:2=2,GUID:9=CD8A35D693872444B2C6E44C76AD6E19,"
             "DOL:11=0ACC0E5500000000FF580579D0C5664A83F733D79CB5FF7900000000BF88DE09D318E640000000000000000074005F006C00"
             "69006B00650032000000000000009B0607F4DE87DD47B74497193BBF895507000000FF580579D0C5664A83F733D79CB5FF794300610"
             "06D0070006F003200000000000000000000000000000000000000000000000C000000050000000000000000000000000000000000,"
             "FilterOnLoad:1=false,OrderByOnLoad:1=true"},
    FactCase{kTest97, "properties (database)", "ANSI Query Mode:4=0,Themed Form Controls:4=1,AccessVersion:10=07.53,"
             "ProjVer:3=35,NavPane Closed:4=0,NavPane Width:4=215,NavPane Category:4=0,NavPane View By:4=0,NavPane Sort By:4=1"},
    // A pass-through query's kind, connect string and records.
    FactCase{"jackcess/queryTestV1997.mdb", "query PassthroughQuery", "112 [ODBC;] records"},
    FactCase{"jackcess/queryTestV1997.mdb", "query SelectQuery", "0 [] records"},
    // Fields: Kros' loader asserts these; Jet 3 text sizes count bytes; a
    // GUID AutoNumber keeps GenGUID(); decrypted files give theirs.
    FactCase{kKros, "field SchemaTest.ColInt32", "3/2/1 default 32"},
    FactCase{kKros, "field SchemaTest.ColVarCharNotNull", "10/200/2 required azl default \"Lorem ipsum\""},
    FactCase{kKros, "field SchemaTest.ColText", "12/0/2 azl"},
    FactCase{kKros, "field IndexesTest.Id", "4/4/17"},
    FactCase{kTest97, "field Table1.A", "10/50/2"},
    FactCase{kTest97, "field Table1.C", "2/1/1 default 0"},
    FactCase{kTest97, "field Table4.data", "15/16/1 default GenGUID()"},
    FactCase{"jackcess/fixedTextTestV2000.mdb", "field users.c_flag_", "10/1/1 required"},
    FactCase{"ucanaccess/accessLike.mdb", "field t_like1.a1", "10/50/2 azl default \"rrr\" rule CLng(\"a1\")>2"},
    FactCase{"jackcessencrypt/db97-enc.mdb", "field Table1.ID", "4/4/17"},
    FactCase{"jackcessencrypt/db-enc.mdb", "field Table1.col2", "4/4/1 default 0"},
    // Tables: links, Access-hidden (Flags 0x8), temporary, local, system.
    FactCase{kLinker, "table Table2", "40000000 [;DATABASE=Z:\\jackcess_test\\linkeeTest.accdb] [Table1] 0/0"},
    FactCase{kOdbc, "table Ordrar", "20000000 [ODBC;DSN=Magnapinna;Description=Safexit;UID=safexit;PWD=DummyPassword;APP=Microsoft Office;DATABASE=safexit] [dbo.Ordrar] 20/5"},
    FactCase{kOdbc, "table Lokal", "1 [] [] 11/1"},
    FactCase{kDeleted, "table ~TMPCLP517911", "1 [] [] 2/0"},
    FactCase{kIndex97, "table Table1", "0 [] [] 5/4"},
    FactCase{kIndex97, "table MSysObjects", "80000000 [] [] 17/2"},
    FactCase{kIndex97, "table MSysAccessObjects", "2 [] [] 2/1"},
    // A file of the shared test data: Text parameters keep their declared size.
    FactCase{"shared/linq2db/Data/BLToolkitData.mdb", "parameters Patient_SelectByName", "[@firstName]=50 [@lastName]=50 "},
    FactCase{"shared/linq2db/Data/BLToolkitData.mdb", "parameters Person_Delete", "[@PersonID]=none "}));

// In a child process: the figures of `path` on stderr, exit status 0 when they are `expected`
// (or, when nothing is expected, when it opens). It opens without a password, then, while that
// is wrong, with those the samples' projects use.
[[noreturn]] void ReadInChild(const std::string& path, const std::string& expected) {
    alarm(60);  // a hang ends in SIGALRM
    std::string answer;
    for (const std::string password : {"", "password", "ucanaccess", "Test123", "1234", "Vellum tide \xC3\x9F\xE2\x82\xAC\xF0\x9F\x98\x80"}) {
        try {
            answer = Summary(*OpenDatabaseFile(path, OpenOptions{password.empty() ? std::nullopt : std::optional(password)}));
            break;
        } catch (const ErrorException& e) {
            answer = "ERR " + std::to_string(e.number());
            if (e.number() != err::kEngineBadPassword) {
                break;
            }
        }
    }
    std::fputs(answer.c_str(), stderr);
    const bool opened = answer.rfind("ERR", 0) != 0;
    std::_Exit((expected.empty() ? opened : answer == expected) ? 0 : 1);
}

// path -> its manifest line as Summary() gives it; files no tool could read
// (Office encryption) have no figures there and must open with their password.
std::map<std::string, std::string> Manifest(const fs::path& file) {
    const std::regex row(R"(^\| ([^|]+?) \|.*\| (Jet3|Jet4|ACE\d+)[^|;]*; cp(\d+); sort (\d+) \| )"
                         R"((T\d+/L\d+/Q\d+)(?:\+\d+sq)?(/R\d+/I\d+) \|([^|]*)\|.*\| ([^|]*) \|\s*$)");
    std::map<std::string, std::string> result;
    std::ifstream in(file);
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_search(line, m, row)) {
            std::string facts = m[2].str() + " cp" + m[3].str() + " sort" + m[4].str() + " " + m[5].str() + m[6].str();
            const std::string features = m[7];
            for (const char* name : {"Default", "Required", "AZL", "ValRule", "ValText"}) {
                std::smatch count;  // "Default×6": the sign is UTF-8 C3 97
                const bool found = std::regex_search(features, count, std::regex(name + std::string("\xC3\x97(\\d+)")));
                facts += " " + std::string(name) + (found ? count[1].str() : "0");
            }
            result[m[1]] = m[8].str().rfind("no", 0) == 0 ? "" : facts;
        }
    }
    return result;
}

// Every database under `root` gives its line of root/MANIFEST.md, each read in a child process.
void Sweep(const fs::path& root, std::size_t least) {
    const auto manifest = Manifest(root / "MANIFEST.md");
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string(), path = entry.path().string();
        const bool damaged = entry.path().parent_path().filename() == "damaged";  // kept to fail
        if (entry.is_regular_file() && (ext == ".mdb" || ext == ".accdb") && !damaged) {
            ++files;
            const auto found = manifest.find(fs::relative(entry.path(), root).string());
            const std::string expected = found == manifest.end() ? "not in the manifest" : found->second;
            EXPECT_EXIT(ReadInChild(path, expected), ::testing::ExitedWithCode(0), "") << path << "\nexpected: " << expected;
        }
    }
    EXPECT_GE(files, least);
    EXPECT_EQ(manifest.size(), files) << "the manifest's file table was not understood";
}

// The copies in tests/data/jet carry their lines of the shared manifest.
TEST(Sweep, EachFileHereGivesItsManifestFiguresAndItsQueriesSql) { Sweep(DataPath(""), 18); }

TEST(Sweep, EachSharedTestDatabaseGivesItsManifestFiguresAndItsQueriesSql) {
    if (!fs::is_directory(VT_SHARED_TESTDATA_DIR)) {
        GTEST_SKIP() << "shared test data not present at " << VT_SHARED_TESTDATA_DIR;
    }
    Sweep(VT_SHARED_TESTDATA_DIR, 100);
}

TEST(FieldShape, StoredColumnBecomesDaoTypeSizeAndAttributes) {
    const std::tuple<const char*, ColumnShape, bool, const char*> cases[] = {  // type/size/attributes
        {"Long AutoNumber", {0x04, 0x07, 4}, false, "4/4/17"},
        {"plain Long", {0x04, 0x03, 4}, false, "4/4/1"},
        {"Jet4 text counts characters", {0x0A, 0x02, 100}, false, "10/50/2"},
        {"Jet3 text counts bytes", {0x0A, 0x02, 50}, true, "10/50/2"},
        {"fixed-length text", {0x0A, 0x03, 2}, false, "10/1/1"},
        {"memo", {0x0C, 0x02, 0}, false, "12/0/2"},
        {"hyperlink memo", {0x0C, 0x82, 0}, false, "12/0/32770"},
        {"hyperlink bit on text: no hyperlink", {0x0A, 0x82, 20}, false, "10/10/2"},
        {"OLE object", {0x0B, 0x02, 0}, false, "11/0/2"},
        {"system column", {0x04, 0x13, 4}, false, "4/4/8193"},
        {"Yes/No", {0x01, 0x03, 1}, false, "1/1/1"},
        {"GUID AutoNumber", {0x0F, 0x43, 16}, false, "15/16/1"},
        {"Decimal", {0x10, 0x03, 17}, false, "20/16/1"},
        {"Large Number", {0x13, 0x03, 8}, false, "16/8/1"},
        {"complex column keeps its byte, no AutoNumber bit", {0x12, 0x07, 4}, false, "18/4/1"},
        {"unknown type keeps its byte", {0x46, 0x02, 510}, false, "70/510/2"},
    };
    for (const auto& [what, column, jet3, expected] : cases) {
        const FieldShape f = MapFieldDesign(column, jet3);
        EXPECT_EQ(std::to_string(DaoCode(f.type)) + "/" + std::to_string(f.size) + "/" + std::to_string(f.attributes), expected) << what;
    }
}

TEST(Text, Jet4PlainAndCompressedJet3ByCodePage) {
    const std::tuple<bool, int, Bytes8, const char*> cases[] = {
        {false, 1252, {'A', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE}, "A\xC3\xA9\xF0\x9F\x98\x80"},  // Aé U+1F600
        {false, 1252, {0xFF, 0xFE, 'a', 'b', 0x00, 0xC9, 0x03, 0x00, 'c'}, "ab\xCF\x89" "c"},  // compressed runs
        {false, 1252, {0x00, 0xD8}, "\xEF\xBF\xBD"},  // an unpaired surrogate
        {true, 1252, {'c', 'a', 'f', 0xE9}, "caf\xC3\xA9"},
        {true, 1250, {0x9A}, "\xC5\xA1"},  // š in code page 1250
    };
    for (const auto& [jet3, codePage, bytes, utf8] : cases) {
        EXPECT_EQ(TextDecoder(jet3, codePage).Decode(View(bytes)), utf8);
    }
}

// A Jet 4 image: the header (masked area all zero), page 1 holding `rows`.
Bytes8 Image(const std::vector<Bytes8>& rows) {
    Bytes8 b(4 * 4096, 0);
    b[1] = b[0x14] = 0x01;
    std::memcpy(b.data() + 4, "Standard Jet DB", 15);
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    Rc4Apply(key, 4, b.data() + 0x18, 128);  // stored bytes = the mask
    b[4096] = 0x01, b[4096 + 0x0C] = static_cast<std::uint8_t>(rows.size());  // a data page, its row count
    std::size_t end = 4096;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        std::copy(rows[i].begin(), rows[i].end(), b.begin() + static_cast<std::ptrdiff_t>(4096 + end));
        Put(b, 4096 + 0x0E + 2 * i, static_cast<std::uint32_t>(end), 2);
    }
    return b;
}

// The stored password (Jet 4: up to 20 UTF-16 characters, Jet 3: 20 bytes)
// is checked before the catalogue: the right one gets to its blank page.
TEST(Password, StoredPasswordIsReadInFull) {
    const std::tuple<bool, std::u16string, std::string> cases[] = {
        {false, u"w\u0100", "w\xC4\x80"},  // the last character's low byte is 0
        {false, u"abcdefghijklmnopqrst", "abcdefghijklmnopqrst"},
        {true, u"abcdefghijklmnopqrstX", "abcdefghijklmnopqrst"}};  // X follows the 20 bytes
    for (const auto& [jet3, stored, right] : cases) {
        Bytes8 image = Image({});
        image[0x14] = jet3 ? 0 : 1;
        for (std::size_t i = 0; i < stored.size(); ++i) {
            image[0x42 + (jet3 ? i : 2 * i)] ^= static_cast<std::uint8_t>(stored[i]);
            image[0x43 + 2 * i] ^= jet3 ? 0 : static_cast<std::uint8_t>(stored[i] >> 8);
        }
        const auto open = [&](std::string p) { return ErrorOf([&] { ReadJetDatabase(image.data(), image.size(), "x", p); }).number; };
        EXPECT_EQ(open(right), kDamaged) << right;
        EXPECT_EQ(open(right.substr(0, right.size() - 1)), err::kEngineBadPassword) << right;
    }
}

// A long value's header: length and kind, row pointer (page << 8 | row).
Bytes8 LongHeader(std::uint32_t lengthAndKind, std::uint32_t pointer, const Bytes8& inlineData = {}) {
    Bytes8 h(12, 0);
    Put(h, 0, lengthAndKind, 4), Put(h, 4, pointer, 4);
    h.insert(h.end(), inlineData.begin(), inlineData.end());
    return h;
}

constexpr std::uint32_t kInline = 0x80000000u, kSingle = 0x40000000u, kRow0 = 0x100, kRow1 = 0x101, kRow2 = 0x102;

TEST(LongValues, InlineSinglePageAndChainedValuesAreAssembledDamagedOnesEndIn3049) {
    const Bytes8 image = Image({{0x01, 0x01, 0, 0, 'h', 'e', 'l', 'l', 'o', ' '},  // next: row 1
                                {0, 0, 0, 0, 'w', 'o', 'r', 'l', 'd'},
                                {0x02, 0x01, 0, 0, 'x', 'y'}});  // next: itself
    const JetFile file(View(image));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);
    const auto read = [&](const Bytes8& header) { return rows.LongValue(View(header)); };
    EXPECT_EQ(read(LongHeader(kInline | 3, 0, {'a', 'b', 'c'})), (Bytes8{'a', 'b', 'c'}));
    EXPECT_EQ(read(LongHeader(kSingle | 4, kRow1)), (Bytes8{0, 0, 0, 0}));
    EXPECT_EQ(read(LongHeader(11, kRow0)), (Bytes8{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}));
    for (const Bytes8& header : {LongHeader(100, kRow2),            // a cyclic chain
                                 LongHeader(0x3FFFFFFF, kRow0),     // longer than the file
                                 LongHeader(kInline | 500, 0),      // inline past its row
                                 LongHeader(kSingle | 500, kRow2),  // longer than its row
                                 LongHeader(kSingle | 2, 0x205),    // page 2 holds no rows
                                 LongHeader(kSingle | 2, 0x7705),   // a page past the end
                                 LongHeader(kSingle | 2, 0x103),    // no such row
                                 Bytes8{1, 2, 3}}) {                // the header cut short
        EXPECT_EQ(ErrorOf([&] { read(header); }).number, kDamaged);
    }
}

TEST(UsageMaps, InlineAndReferenceMapsNameTheirPagesOrEndIn3049) {
    Bytes8 image = Image({{0x00, 0x01, 0x00, 0x00, 0x00, 0x05},  // inline from page 1: pages 1, 3
                          {0x01, 0x02, 0x00, 0x00, 0x00},        // map page 2 for the first range
                          {0x01, 0, 0, 0, 0, 0x02, 0, 0, 0},     // map page 2 for the second range
                          {0x07, 0x00},                          // an unknown kind
                          {0x00, 0x00, 0x01, 0x00, 0x00, 0x01},  // inline: page 256 of 4
                          Bytes8{}});                            // empty
    image[2 * 4096] = 0x05;      // page 2: a map page
    image[2 * 4096 + 4] = 0x0A;  // bits 1 and 3
    const JetFile file(View(image));
    const TextDecoder text(false, 1252);
    const RowReader rows(file, text);
    EXPECT_EQ(rows.UsageMapPages(0x100), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(rows.UsageMapPages(0x101), (std::vector<std::uint32_t>{1, 3}));
    for (std::uint32_t pointer = 0x102; pointer <= 0x105; ++pointer) {
        EXPECT_EQ(ErrorOf([&] { rows.UsageMapPages(pointer); }).number, kDamaged) << pointer;
    }
    image[2 * 4096] = 0x01;  // the reference now leads to a page that is no map
    const JetFile other(View(image));
    EXPECT_EQ(ErrorOf([&] { RowReader(other, text).UsageMapPages(0x101); }).number, kDamaged);
}

bool Jet3(const Bytes8& b) { return b.at(0x14) == 0; }
std::size_t PageSize(const Bytes8& b) { return Jet3(b) ? 2048 : 4096; }
std::size_t CatalogPage(const Bytes8& b) { return 2 * PageSize(b); }  // always page 2
std::size_t CatalogMapRow(const Bytes8& b) {  // where the catalogue's page-map row starts
    const std::uint32_t pointer = Get(b, CatalogPage(b) + (Jet3(b) ? 0x23 : 0x37), 4);
    const std::size_t page = (pointer >> 8) * PageSize(b);
    return page + (Get(b, page + (Jet3(b) ? 0x0A : 0x0E) + (pointer & 0xFF) * 2, 2) & 0x1FFF);
}

// Where the catalogue's column `name` is described (its type byte first).
std::size_t CatalogColumn(const Bytes8& b, const std::string& name) {
    const bool j3 = Jet3(b);
    const std::size_t page = CatalogPage(b), count = Get(b, page + (j3 ? 0x19 : 0x2D), 2), each = j3 ? 18 : 25;
    const std::size_t first = page + (j3 ? 0x2B : 0x3F) + Get(b, page + (j3 ? 0x1F : 0x33), 4) * (j3 ? 8 : 12);
    for (std::size_t i = 0, at = first + count * each; i < count; ++i) {
        const std::size_t length = Get(b, at, j3 ? 1 : 2), step = j3 ? 1 : 2;  // Jet 4: UTF-16
        std::string text;
        for (std::size_t k = 0; k < length; k += step) {
            text += static_cast<char>(b.at(at + step + k));
        }
        if (text == name) {
            return first + i * each;
        }
        at += step + length;
    }
    throw std::logic_error("the catalogue has no column " + name);
}

// Adds to the catalogue's page map the first data page of another table.
void MapAnotherTablesPage(Bytes8& b) {
    const std::size_t map = CatalogMapRow(b), size = PageSize(b), first = Get(b, map + 1, 4);
    for (std::size_t p = first + 1;; ++p) {
        const std::size_t owner = Get(b, p * size + 4, 4);
        if (b.at(p * size) == 0x01 && owner != 2 && owner < b.size() / size && b.at(owner * size) == 0x02) {
            b.at(map + 5 + (p - first) / 8) |= static_cast<std::uint8_t>(1 << (p - first) % 8);
            return;
        }
    }
}

const std::tuple<const char*, std::function<void(Bytes8&)>, std::int32_t> kDamage[] = {
    {"truncated to half", [](Bytes8& b) { b.resize(b.size() / 2); }, kDamaged},
    {"truncated to three pages", [](Bytes8& b) { b.resize(3 * PageSize(b)); }, kDamaged},
    {"truncated inside the header", [](Bytes8& b) { b.resize(100); }, kForeign},
    {"catalogue page zeroed", [](Bytes8& b) { std::fill_n(b.begin() + CatalogPage(b), PageSize(b), 0); }, kDamaged},
    {"every page after the header zeroed", [](Bytes8& b) { std::fill(b.begin() + PageSize(b), b.end(), 0); }, kDamaged},
    {"catalogue definition chained to itself", [](Bytes8& b) { Put(b, CatalogPage(b) + 4, 2, 4); }, kDamaged},
    {"catalogue declares 65535 columns", [](Bytes8& b) { Put(b, CatalogPage(b) + (Jet3(b) ? 0x19 : 0x2D), 0xFFFF, 2); }, kDamaged},
    {"catalogue declares 2^32-1 indexes", [](Bytes8& b) { Put(b, CatalogPage(b) + (Jet3(b) ? 0x1F : 0x33), 0xFFFFFFFF, 4); }, kDamaged},
    {"page map of an unknown kind", [](Bytes8& b) { b.at(CatalogMapRow(b)) = 0x7F; }, kDamaged},
    {"page map naming pages past the end", [](Bytes8& b) { Put(b, CatalogMapRow(b) + 1, 0x00F00000, 4); }, kDamaged},
    {"page map also naming another table's page", MapAnotherTablesPage, kDamaged},
    // Each row's parent unreadable: once an empty design.
    {"catalogue's ParentId column typed Double", [](Bytes8& b) { b.at(CatalogColumn(b, "ParentId")) = 0x07; }, kDamaged},
    // Flags unreadable: the system tables once passed for the user's.
    {"catalogue's Flags column typed Double", [](Bytes8& b) { b.at(CatalogColumn(b, "Flags")) = 0x07; }, kDamaged},
    {"engine name changed", [](Bytes8& b) { std::memcpy(b.data() + 4, "Standard Foo DB", 15); }, kForeign},
    {"unknown engine version", [](Bytes8& b) { b.at(0x14) = 0x42; }, kForeign},
    {"empty", [](Bytes8& b) { b.clear(); }, kForeign},
    {"all zero", [](Bytes8& b) { b.assign(100000, 0); }, kForeign},
    {"plain text", [](Bytes8& b) { b = ReadBytes(DataPath("jackcess/LICENSE.txt")); }, kForeign},
};

TEST(Damage, EachDamagedCopyEndsInItsError) {
    for (const char* file : {"jackcess/indexTestV1997.mdb", "jackcess/indexTestV2000.mdb", "jackcess/linkerTestV2007.accdb"}) {
        const Bytes8 original = ReadBytes(DataPath(file));
        ASSERT_EQ(ReadNumber(original), 0) << file;
        for (const auto& [what, damage, expected] : kDamage) {
            Bytes8 bytes = original;
            damage(bytes);
            EXPECT_EQ(ReadNumber(bytes), expected) << file << ": " << what;
        }
    }
}

bool Clear(std::int32_t n) { return n == 0 || n == kDamaged || n == kForeign || n == err::kEngineBadPassword; }

TEST(Damage, RandomFlipsInTheFirstPagesAreNoticedAndNeverCrashOrHang) {
    for (const char* file : {"jackcess/indexTestV1997.mdb", "jackcess/indexTestV2000.mdb"}) {
        const Bytes8 original = ReadBytes(DataPath(file));
        std::mt19937 random(20261206);
        int errors = 0;
        for (int round = 0; round < 150; ++round) {
            Bytes8 bytes = original;
            for (int n = 0; n < 40; ++n) {
                bytes[random() % std::min(bytes.size(), 16 * PageSize(bytes))] ^= static_cast<std::uint8_t>(1 + random() % 255);
            }
            const std::int32_t number = ReadNumber(bytes);
            EXPECT_TRUE(Clear(number)) << number;
            errors += number != 0;
        }
        EXPECT_GT(errors, 0) << "random damage never noticed in " << file;
    }
}

// Inputs that once crashed or hung the reader (found by scripts/fuzz-reader.sh).
TEST(Damage, FuzzRegressionsEndInSchemaOrClearError) {
    if (!fs::exists(DataPath("fuzz-regressions"))) {
        GTEST_SKIP() << "no regression inputs";
    }
    for (const auto& entry : fs::directory_iterator(DataPath("fuzz-regressions"))) {
        EXPECT_TRUE(entry.path().extension() != ".bin" || Clear(ReadNumber(ReadBytes(entry.path())))) << entry.path();
    }
}

// Files on disk: each error names the file, and no file read is changed.
TEST(Damage, FilesOnDiskGiveEngineErrorsAndStayUnchanged) {
    const fs::path dir = fs::temp_directory_path() / ("vt-jet-input-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const Bytes8 good = ReadBytes(DataPath("jackcess/indexTestV2000.mdb")), cut(good.begin(), good.begin() + 70000);
    for (const auto& [name, bytes] : {std::pair{"good.mdb", good}, {"cut.mdb", cut}, {"empty.mdb", Bytes8{}}}) {
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    const auto modified = fs::last_write_time(dir / "good.mdb");
    for (const auto& [path, expected] : {std::pair{dir / "good.mdb", 0}, {dir / "none.mdb", err::kEngineFileNotFound},
                                         {dir / "empty.mdb", kForeign}, {dir, kForeign}, {dir / "cut.mdb", kDamaged}}) {
        const ErrorRecord e = ErrorOf([&] { (void)SnapshotSchema(*OpenDatabaseFile(path.string())); });
        EXPECT_EQ(e.number, expected) << path;
        EXPECT_TRUE(expected == 0 || e.description.find(path.string()) != std::string::npos) << e.description;
    }
    EXPECT_EQ(ReadBytes(dir / "good.mdb"), good);
    EXPECT_EQ(ReadBytes(dir / "cut.mdb"), cut);
    EXPECT_EQ(fs::last_write_time(dir / "good.mdb"), modified);
    fs::remove_all(dir);
}

// damaged/ (its README tells which byte changed): a catalogue whose list of tables lost its
// id, or whose table lost its parent or kind, cannot be read (each once gave a smaller
// design); a table whose definition is damaged is listed with a note and fails where it
// is read, while the other tables are read as in the sound file.
TEST(Damage, ADamagedCatalogueFailsADamagedTableIsNotedAndFailsAlone) {
    for (const char* name : {"tables-container-id.mdb", "table-parent.mdb", "table-kind.mdb"}) {
        const std::string lost = DataPath("damaged/") + name;
        const ErrorRecord e = ErrorOf([&] { (void)SnapshotSchema(*OpenDatabaseFile(lost)); });
        EXPECT_EQ(e.number, kDamaged) << name;
        EXPECT_NE(e.description.find(lost), std::string::npos) << e.description;
    }

    const std::string path = DataPath("damaged/table-definition.mdb");
    const auto damaged = OpenDatabaseFile(path), sound = OpenDatabaseFile(DataPath(kTest97));
    ASSERT_EQ(damaged->Notes().size(), 1u);
    EXPECT_EQ(damaged->Notes()[0].rfind("Table 'Table1' cannot be read", 0), 0u) << damaged->Notes()[0];
    ASSERT_EQ(damaged->TableDefCount(), sound->TableDefCount());
    for (std::size_t i = 0; i < sound->TableDefCount(); ++i) {
        if (damaged->TableHeadAt(i).name == "Table1") {
            const ErrorRecord table = ErrorOf([&] { damaged->TableDefAt(i); });
            EXPECT_EQ(table.number, kDamaged);
            EXPECT_NE(table.description.find(path), std::string::npos) << table.description;
        } else {
            EXPECT_EQ(damaged->TableDefAt(i), sound->TableDefAt(i));
        }
    }
}

// What a read gives, to compare two reads: the design, the notes and each
// table's error, or the error that stopped it.
struct Outcome {
    Schema schema;
    std::vector<std::string> notes;
    ErrorRecord error;
    bool operator==(const Outcome& o) const {
        return schema == o.schema && notes == o.notes && error.number == o.error.number &&
               error.description == o.error.description;
    }
};

Outcome ReadOutcome(const Bytes8& bytes, std::size_t tablesForTwoThreads) {
    Outcome outcome;
    outcome.error = ErrorOf([&] {
        const auto db = ReadJetDatabase(bytes.data(), bytes.size(), "x.mdb", std::nullopt, tablesForTwoThreads);
        outcome.schema = db->schema();
        outcome.notes = db->details().notes;
        for (const auto& error : db->details().tableErrors) {
            outcome.notes.push_back(error ? error->description : "-");
        }
    });
    return outcome;
}

// Read on two threads, every file here (the damaged ones too) gives what it
// gives read on one, in the same order; so do copies damaged at random,
// which fail in some of their tables.
TEST(TwoThreads, ADesignReadOnTwoThreadsIsTheDesignReadOnOne) {
    constexpr std::size_t kOneThread = std::numeric_limits<std::size_t>::max();
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(DataPath(""))) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".mdb" && ext != ".accdb") {
            continue;
        }
        ++files;
        const Bytes8 bytes = ReadBytes(entry.path());
        EXPECT_TRUE(ReadOutcome(bytes, 2) == ReadOutcome(bytes, kOneThread)) << entry.path();
    }
    EXPECT_GE(files, 18u);
    const Bytes8 original = ReadBytes(DataPath(kTest97));
    std::mt19937 random(20261207);
    for (int copy = 0; copy < 40; ++copy) {
        Bytes8 bytes = original;
        for (int flip = 0; flip < 8; ++flip) {
            bytes.at(std::uniform_int_distribution<std::size_t>(4096, bytes.size() - 1)(random)) ^= 0x5A;
        }
        EXPECT_TRUE(ReadOutcome(bytes, 2) == ReadOutcome(bytes, kOneThread)) << "copy " << copy;
    }
}

// A file cut short after it was opened ends in 3049 saying so, never in a crash.
TEST(Damage, AFileThatShrinksWhileItIsReadEndsIn3049) {
    const fs::path path = fs::temp_directory_path() / ("vt-shrinking-" + std::to_string(::getpid()) + ".mdb");
    fs::copy_file(DataPath(kIndex2000), path, fs::copy_options::overwrite_existing);
    const FileSource source(path.string());
    fs::resize_file(path, 3 * 4096);
    const ErrorRecord e = ErrorOf([&] { ReadJetDatabase(source, path.string(), std::nullopt); });
    EXPECT_EQ(e.number, kDamaged);
    EXPECT_NE(e.description.find(path.string()), std::string::npos) << e.description;
    EXPECT_NE(e.description.find("shorter"), std::string::npos) << e.description;
    fs::remove(path);
}

}  // namespace
}  // namespace vt::jet
