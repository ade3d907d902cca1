// The DAO view the reader gives of real databases, pinned to facts recorded
// for them: the test-data manifest, their source projects' own assertions,
// the format notes. The files in tests/data/jet are pinned one fact a row;
// every file of the shared test data is swept against its manifest line.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "common/error.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/open.h"

namespace vt::jet::test {
namespace {

namespace fs = std::filesystem;

std::string DataPath(const std::string& relative) { return std::string(VT_TEST_DATA_DIR) + "/jet/" + relative; }

// QueryDef.SQL of the nine queries of Jackcess's queryTestV* files (the same
// rows in each), as its QueryTest expects them, with CR LF line ends.
const std::map<std::string, std::string>& KnownSql() {
    static const auto sql = nlohmann::json::parse(std::ifstream(DataPath("jackcess/queryTest-sql.json")))
                                .get<std::map<std::string, std::string>>();
    return sql;
}

// A database on one line as the manifest counts it: "Jet4 cp1252 sort1033
// T3/L0/Q9/R0/I0 Default0 Required0 AZL0 ValRule0 ValText0" gives T local
// user tables, L links, Q queries but ~sq_*, R relations but MSysNavPane*,
// I the T tables' indexes but foreign-key ones, then how many of their
// fields have DefaultValue, Required, AllowZeroLength, ValidationRule and
// ValidationText. A line follows for each query whose SQL cannot be read,
// and in a queryTestV* file for each whose SQL is not the known one.
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
    std::string s = info.engine + " cp" + std::to_string(info.codePage) + " sort" + std::to_string(info.collatingOrder);
    const char* labels[10] = {" T", "/L", "/Q", "/R", "/I", " Default", " Required", " AZL", " ValRule", " ValText"};
    for (int i = 0; i < 10; ++i) {
        s += labels[i] + std::to_string(n[i]);
    }
    return s + problems;
}

template <typename T>
const T* Named(const std::vector<T>& items, const std::string& name) {
    const auto found = std::find_if(items.begin(), items.end(), [&](const T& item) { return item.name == name; });
    return found == items.end() ? nullptr : &*found;
}

// One fact of a file in tests/data/jet: "summary" (see Summary), "password
// P" (opening with P: "opens" or the error), "table T" (hex attributes
// [Connect] [SourceTableName] fields/indexes), "field T.F" (type/size/
// attributes, then properties), "index T.I" (fields, "-" when descending,
// then flags), "relation R" (table, foreign table, attributes, field pairs),
// or names in collection order: "tables", "relations", "queries" (with their
// kind flags), "fields T" (with positions), "indexes T".
std::string Fact(const std::string& path, const std::string& what) {
    const std::string kind = what.substr(0, what.find(' ')), name = what.substr(what.find(' ') + 1);
    if (kind == "password") {
        try {
            OpenDatabaseFile(path, OpenOptions{name == "(none)" ? std::nullopt : std::optional(name)});
            return "opens";
        } catch (const ErrorException& e) {
            return std::to_string(e.number()) + " " + e.record().description + " " + e.record().source;
        }
    }
    static std::map<std::string, std::unique_ptr<Database>> open;  // with a password each must ignore
    auto& opened = open[path];
    if (!opened) {
        opened = OpenDatabaseFile(path, OpenOptions{"password"});
    }
    const auto& db = dynamic_cast<const JetDatabase&>(*opened);
    const Schema& s = db.schema();
    static const TableDef none;
    const TableDef* table = Named(s.tableDefs, name.substr(0, name.find('.')));
    table = table != nullptr ? table : &none;
    const std::string member = name.substr(name.find('.') + 1);
    std::ostringstream out;
    const auto list = [&](const auto& items, const auto& text) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            out << (i == 0 ? "" : ",") << text(i);
        }
    };
    if (kind == "summary") {
        EXPECT_EQ(db.Info().path, fs::absolute(path).lexically_normal().string());
        out << Summary(db);
    } else if (kind == "tables") {
        list(s.tableDefs, [&](std::size_t i) { return db.TableDefAt(i).name; });
    } else if (kind == "relations") {
        list(s.relations, [&](std::size_t i) { return db.RelationAt(i).name; });
    } else if (kind == "queries") {
        list(s.queryDefs, [&](std::size_t i) {
            return db.QueryDefNameAt(i) + ":" + std::to_string(db.details().queries.at(i).flags & 0xF0);
        });
    } else if (kind == "parameters") {  // name=LvExtra: a Text parameter's declared size
        for (const QueryRow& row : Named(db.details().queries, name)->rows) {
            out << (row.attribute == 2 ? row.name1.value_or("") + "=" + (row.lvExtra ? std::to_string(*row.lvExtra) : "none") + " " : "");
        }
    } else if (kind == "fields") {
        list(table->fields, [&](std::size_t i) { return table->fields[i].name + "@" + std::to_string(table->fields[i].ordinalPosition); });
    } else if (kind == "indexes") {
        list(table->indexes, [&](std::size_t i) { return table->indexes[i].name; });
    } else if (kind == "table") {
        out << std::hex << std::uppercase << table->attributes << std::dec << " [" << table->connect << "] ["
            << table->sourceTableName << "] " << table->fields.size() << "/" << table->indexes.size();
    } else if (const Relation* r = Named(s.relations, name); kind == "relation" && r != nullptr) {
        out << r->table << " " << r->foreignTable << " " << r->attributes;
        for (const RelationField& f : r->fields) {
            out << " " << f.name << "=" << f.foreignName;
        }
    } else if (const FieldDef* f = Named(table->fields, member); kind == "field" && f != nullptr) {
        out << DaoCode(f->type) << "/" << f->size << "/" << f->attributes << (f->required ? " required" : "")
            << (f->allowZeroLength ? " azl" : "") << (f->defaultValue.empty() ? "" : " default " + f->defaultValue)
            << (f->validationRule.empty() ? "" : " rule " + f->validationRule)
            << (f->validationText.empty() ? "" : " text " + f->validationText);
    } else if (const IndexDef* x = Named(table->indexes, member); kind == "index" && x != nullptr) {
        const auto* detail = Named(db.details().tables.at(table - s.tableDefs.data()).indexes, member);
        list(x->fields, [&](std::size_t i) { return (detail->fields.at(i).descending ? "-" : "") + x->fields[i]; });
        out << (x->primary ? " primary" : "") << (x->unique ? " unique" : "") << (x->foreign ? " foreign" : "")
            << (x->required ? " required" : "") << (x->ignoreNulls ? " ignoreNulls" : "")
            << (x->clustered ? " clustered" : "");
    }
    return out.str();
}

struct FactCase {
    const char* file;
    const char* what;
    const char* expected;
};

void PrintTo(const FactCase& c, std::ostream* os) { *os << c.file << ": " << c.what; }

class FactTest : public ::testing::TestWithParam<FactCase> {};

TEST_P(FactTest, ReaderGivesTheRecordedValue) {
    const std::string file = GetParam().file;
    const std::string path = file.rfind("shared/", 0) == 0 ? VT_SHARED_TESTDATA_DIR + file.substr(6) : DataPath(file);
    if (!fs::exists(path)) {
        GTEST_SKIP() << "shared test data not present: " << path;
    }
    EXPECT_EQ(Fact(path, GetParam().what), GetParam().expected);
}

constexpr const char *kKros = "kros-msaccess/MsAccessSchema.mdb", *kIndex97 = "jackcess/indexTestV1997.mdb",
                      *kIndex2000 = "jackcess/indexTestV2000.mdb", *kTest97 = "jackcess/testV1997.mdb",
                      *kOdbc = "jackcess/odbcLinkerTestV2007.accdb", *kLinker = "jackcess/linkerTestV2007.accdb",
                      *kLinked = "ucanaccess/linked.mdb", *kDeleted = "mdb-reader/withdeletedcol.accdb",
                      *kQuery97 = "jackcess/queryTestV1997.mdb", *kProtected = "mdb-reader/V2003_with-password.mdb";
constexpr const char* kWrongPassword = "3031 Not a valid password. DAO.DBEngine";

INSTANTIATE_TEST_SUITE_P(Files, FactTest, ::testing::Values(
    // The manifest's figures; queryTestV1997's queries give their known SQL.
    FactCase{"jackcess/compIndexTestV2000.mdb", "summary", "Jet4 cp1252 sort1033 T1/L0/Q0/R0/I1 Default1 Required0 AZL2 ValRule0 ValText0"},
    FactCase{"jackcess/delColTestV1997.mdb", "summary", "Jet3 cp1252 sort1033 T1/L0/Q0/R0/I2 Default2 Required0 AZL2 ValRule0 ValText0"},
    FactCase{"jackcess/fixedTextTestV2000.mdb", "summary", "Jet4 cp1252 sort1033 T1/L0/Q0/R0/I6 Default0 Required10 AZL0 ValRule0 ValText0"},
    FactCase{kIndex97, "summary", "Jet3 cp1252 sort1033 T3/L0/Q0/R2/I6 Default6 Required0 AZL3 ValRule0 ValText0"},
    FactCase{kIndex2000, "summary", "Jet4 cp1252 sort1033 T3/L0/Q0/R2/I6 Default6 Required0 AZL3 ValRule0 ValText0"},
    FactCase{kQuery97, "summary", "Jet3 cp1252 sort1033 T3/L0/Q9/R0/I0 Default0 Required0 AZL0 ValRule0 ValText0"},
    FactCase{kTest97, "summary", "Jet3 cp1252 sort1033 T4/L0/Q0/R0/I10 Default6 Required0 AZL89 ValRule0 ValText0"},
    FactCase{"jackcessencrypt/db-enc.mdb", "summary", "Jet4 cp1252 sort1033 T1/L0/Q0/R0/I1 Default1 Required0 AZL0 ValRule0 ValText0"},
    FactCase{"jackcessencrypt/db97-enc.mdb", "summary", "Jet3 cp1252 sort1033 T1/L0/Q0/R0/I1 Default1 Required0 AZL0 ValRule0 ValText0"},
    FactCase{kKros, "summary", "Jet4 cp1250 sort1051 T2/L0/Q0/R0/I3 Default13 Required2 AZL4 ValRule0 ValText0"},
    FactCase{kProtected, "summary", "Jet4 cp1252 sort1033 T1/L0/Q0/R0/I1 Default0 Required0 AZL1 ValRule0 ValText0"},
    FactCase{"ucanaccess/accessLike.mdb", "summary", "Jet4 cp1252 sort1033 T2/L0/Q1/R0/I2 Default2 Required2 AZL4 ValRule1 ValText0"},
    FactCase{kLinked, "summary", "Jet4 cp1252 sort1033 T0/L2/Q0/R0/I0 Default0 Required0 AZL0 ValRule0 ValText0"},
    FactCase{kLinker, "summary", "ACE12 cp1252 sort1033 T1/L1/Q0/R1/I1 Default0 Required0 AZL1 ValRule0 ValText0"},
    FactCase{kOdbc, "summary", "ACE12 cp1252 sort1033 T1/L1/Q0/R0/I1 Default2 Required0 AZL8 ValRule0 ValText0"},
    FactCase{"mdb-reader/bigint.accdb", "summary", "ACE16 cp1252 sort1033 T1/L0/Q0/R0/I2 Default1 Required0 AZL0 ValRule0 ValText0"},
    FactCase{kDeleted, "summary", "ACE12 cp1252 sort1033 T3/L0/Q0/R0/I0 Default9 Required7 AZL5 ValRule0 ValText0"},
    FactCase{"mdb-reader/withinsertedcol.accdb", "summary", "ACE12 cp1252 sort1033 T1/L0/Q0/R0/I0 Default3 Required0 AZL0 ValRule0 ValText0"},
    // Only the right password opens a protected file.
    FactCase{kProtected, "password (none)", kWrongPassword},
    FactCase{kProtected, "password Password", kWrongPassword},
    FactCase{kProtected, "password ", kWrongPassword},
    FactCase{kProtected, "password password", "opens"},
    // Collection order: by name ignoring case; fields by stored position
    // (col3 inserted after col2; col4 deleted); indexes as stored.
    FactCase{kIndex97, "tables", "MSysAccessObjects,MSysACEs,MSysModules,MSysModules2,MSysObjects,MSysQueries,MSysRelationships,Table1,Table2,Table3"},
    FactCase{kIndex2000, "relations", "MSysNavPaneGroupCategoriesMSysNavPaneGroups,MSysNavPaneGroupsMSysNavPaneGroupToObjects,Table2Table1,Table3Table1"},
    FactCase{kQuery97, "queries", "AppendQuery:64,CrosstabQuery:16,DataDefinitionQuery:96,DeleteQuery:32,MakeTableQuery:80,PassthroughQuery:112,SelectQuery:0,UnionQuery:128,UpdateQuery:48"},
    FactCase{"mdb-reader/withinsertedcol.accdb", "fields Table1", "col1@0,col3@1,col2@2"},
    FactCase{kDeleted, "fields Table1", "col1@0,col2@1,col3@2,col5@4,col6@5,col7@6,col8@7"},
    FactCase{"jackcess/delColTestV1997.mdb", "fields Table1", "id@0,id2@1,data@2,data2@3"},
    FactCase{kIndex97, "indexes Table2", ".rC,id,PrimaryKey"},
    // Relations: delete cascade 0x1000, update cascade 0x100, not enforced 2.
    FactCase{kIndex97, "relation Table2Table1", "Table2 Table1 4096 id=otherfk1"},
    FactCase{kIndex2000, "relation Table3Table1", "Table3 Table1 256 id=otherfk2"},
    FactCase{kLinker, "relation Table1Table2", "Table1 Table2 2 Field1=Field1"},
    // An enforced relation's index on the many side, and on the one side the
    // internal one that shares the primary key's data.
    FactCase{kIndex97, "index Table1.Table2Table1", "otherfk1 foreign"},
    FactCase{kIndex2000, "index Table2..rC", "id unique foreign required"},
    FactCase{kIndex97, "index Table2.PrimaryKey", "id primary unique required"},
    FactCase{kIndex2000, "index Table2.PrimaryKey", "id primary unique required"},
    FactCase{kKros, "index IndexesTest.I_Index", "ColIndex1,-ColIndex2Desc,ColIndex3"},
    FactCase{kKros, "index IndexesTest.I_UniqueIndex", "ColUniqueIndex unique"},
    FactCase{"jackcess/compIndexTestV2000.mdb", "index Table1.CD_AGENTE", "-CD_AGENTE"},
    // Fields: Kros' loader asserts these; Jet 3 text sizes count bytes; a
    // GUID AutoNumber keeps GenGUID(); decrypted files give theirs.
    FactCase{kKros, "field SchemaTest.ColInt32", "3/2/1 default 32"},
    FactCase{kKros, "field SchemaTest.ColInt64NotNull", "4/4/1 required default 0"},
    FactCase{kKros, "field SchemaTest.ColVarCharNotNull", "10/200/2 required azl default \"Lorem ipsum\""},
    FactCase{kKros, "field SchemaTest.ColText", "12/0/2 azl"},
    FactCase{kKros, "field SchemaTest.ColGuid", "15/16/1"},
    FactCase{kKros, "field IndexesTest.Id", "4/4/17"},
    FactCase{kTest97, "field Table1.A", "10/50/2"},
    FactCase{kTest97, "field Table1.C", "2/1/1 default 0"},
    FactCase{kTest97, "field Table1.H", "5/8/1 default 0"},
    FactCase{kTest97, "field Table1.I", "1/1/1"},
    FactCase{kTest97, "field Table4.data", "15/16/1 default GenGUID()"},
    FactCase{"jackcess/fixedTextTestV2000.mdb", "field users.c_flag_", "10/1/1 required"},
    FactCase{"ucanaccess/accessLike.mdb", "field t_like1.a1", "10/50/2 azl default \"rrr\" rule CLng(\"a1\")>2"},
    FactCase{"jackcessencrypt/db97-enc.mdb", "field Table1.ID", "4/4/17"},
    FactCase{"jackcessencrypt/db-enc.mdb", "field Table1.col2", "4/4/1 default 0"},
    // Tables: links, an Access-hidden (Flags 0x8) and a temporary table,
    // local and system ones.
    FactCase{kLinker, "table Table2", "40000000 [;DATABASE=Z:\\jackcess_test\\linkeeTest.accdb] [Table1] 0/0"},
    FactCase{kLinked, "table table2", "40000000 [;DATABASE=C:\\db\\linkee2.mdb] [table2] 0/0"},
    FactCase{kOdbc, "table Ordrar", "20000000 [ODBC;DSN=Magnapinna;Description=Safexit;UID=safexit;PWD=DummyPassword;APP=Microsoft Office;DATABASE=safexit] [dbo.Ordrar] 20/5"},
    FactCase{kOdbc, "table Lokal", "1 [] [] 11/1"},
    FactCase{kDeleted, "table ~TMPCLP517911", "1 [] [] 2/0"},
    FactCase{kIndex97, "table Table1", "0 [] [] 5/4"},
    FactCase{kIndex97, "table MSysObjects", "80000000 [] [] 17/2"},
    FactCase{kIndex97, "table MSysAccessObjects", "2 [] [] 2/1"},
    // A file of the shared test data: Text parameters keep their declared size.
    FactCase{"shared/linq2db/Data/BLToolkitData.mdb", "parameters Patient_SelectByName", "[@firstName]=50 [@lastName]=50 "},
    FactCase{"shared/linq2db/Data/BLToolkitData.mdb", "parameters Person_Delete", "[@PersonID]=none "}));

// Opens without a password, then, while the answer is "not a valid
// password", with those of the protected samples as their projects use them.
std::string Read(const std::string& path) {
    std::string answer;
    for (const char* password : {"", "password", "ucanaccess"}) {
        try {
            return Summary(*OpenDatabaseFile(path, OpenOptions{*password ? password : std::optional<std::string>()}));
        } catch (const ErrorException& e) {
            answer = "ERR " + std::to_string(e.number());
            if (e.number() != err::kEngineBadPassword) {
                break;
            }
        }
    }
    return answer;
}

// path -> its manifest line's figures in the form of Summary(); the files no
// tool could read (Office encryption) must end in "not a database" (3343).
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
            result[m[1]] = m[8].str().rfind("no", 0) == 0 ? "ERR 3343" : facts;
        }
    }
    return result;
}

// Each file is read in a child process, so that a crash or a hang (its
// alarm ends it) fails the test instead of ending it; the child's answer is
// shown when it differs from the manifest's.
TEST(Sweep, EveryTestDatabaseGivesItsManifestFiguresAndItsQueriesSql) {
    const fs::path root = VT_SHARED_TESTDATA_DIR;
    if (!fs::is_directory(root)) {
        GTEST_SKIP() << "shared test data not present at " << root;
    }
    const auto manifest = Manifest(root / "MANIFEST.md");
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string(), path = entry.path().string();
        if (entry.is_regular_file() && (ext == ".mdb" || ext == ".accdb")) {
            ++files;
            const auto found = manifest.find(fs::relative(entry.path(), root).string());
            const std::string expected = found == manifest.end() ? "not in the manifest" : found->second;
            EXPECT_EXIT(
                {
                    alarm(60);
                    const std::string answer = Read(path);
                    std::fputs(answer.c_str(), stderr);
                    std::_Exit(answer == expected ? 0 : 1);
                },
                ::testing::ExitedWithCode(0), "")
                << path << "\nexpected: " << expected;
        }
    }
    EXPECT_GT(files, 100u);
    EXPECT_EQ(manifest.size(), files) << "the manifest's file table was not understood";
}

}  // namespace
}  // namespace vt::jet::test
