// Every database in the shared test data: each gives its schema or a clear
// engine error, within a time limit, in a child process so that a crash or
// a hang fails the test instead of ending it. Where the schema is read, the
// object counts must match those the test-data manifest records.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "common/error.h"
#include "dbaccess/jet/jet_reader.h"
#include "dbaccess/open.h"

namespace vt::jet::test {
namespace {

namespace fs = std::filesystem;

constexpr auto kTimeLimit = std::chrono::seconds(60);

struct Counts {
    int tables = -1, links = -1, queries = -1, relations = -1, indexes = -1;
    bool toolsRead = true;  // the manifest's "tools read it cleanly?" column
    std::string header;     // "ENGINE CODEPAGE SORTORDER" from the format column
    std::string properties; // "DEFAULT REQUIRED AZL VALRULE VALTEXT" counts from "props:"
};

std::string PropertyCounts(int defaults, int required, int allowZero, int rules, int texts) {
    std::ostringstream out;
    out << defaults << " " << required << " " << allowZero << " " << rules << " " << texts;
    return out.str();
}

int CountAfter(const std::string& props, const std::string& key) {
    // The manifest writes "Default×6"; the multiplication sign is UTF-8 C3 97.
    const std::regex entry(key + "\xC3\x97(\\d+)");
    std::smatch m;
    return std::regex_search(props, m, entry) ? std::stoi(m[1]) : 0;
}

// path -> counts, from the manifest's file table ("T1/L0/Q2+3sq/R0/I1").
std::map<std::string, Counts> ManifestCounts(const fs::path& manifest) {
    std::map<std::string, Counts> result;
    std::ifstream in(manifest);
    const std::regex row(
        R"(^\| ([^|]+?) \|.*\| T(\d+)/L(\d+)/Q(\d+)(?:\+\d+sq)?/R(\d+)/I(\d+) \|.*\| ([^|]*) \|\s*$)");
    const std::regex format(R"(\| (Jet3|Jet4|ACE\d+)[^|;]*; cp(\d+); sort (\d+) \|)");
    std::string line;
    std::smatch m;
    std::smatch f;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, row)) {
            result[m[1]] = Counts{std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5]),
                                  std::stoi(m[6]), std::string(m[7]).rfind("no", 0) != 0, {}, {}};
            const std::regex props(R"(props: ([^;|]*))");
            std::smatch p;
            const std::string list = std::regex_search(line, p, props) ? std::string(p[1]) : std::string();
            result[m[1]].properties =
                PropertyCounts(CountAfter(list, "Default"), CountAfter(list, "Required"), CountAfter(list, "AZL"),
                               CountAfter(list, "ValRule"), CountAfter(list, "ValText"));
            if (std::regex_search(line, f, format)) {
                result[m[1]].header = std::string(f[1]) + " " + std::string(f[2]) + " " + std::string(f[3]);
            }
        }
    }
    return result;
}

std::string Describe(const std::string& path) {
    // Passwords of the protected samples, as their projects' tests use them.
    static const std::vector<std::string> kPasswords{"password", "ucanaccess"};
    auto open = [&](const std::optional<std::string>& password) {
        OpenOptions options;
        options.password = password;
        return OpenDatabaseFile(path, options);
    };
    std::unique_ptr<Database> db;
    try {
        try {
            db = open(std::nullopt);
        } catch (const ErrorException& e) {
            if (e.number() != err::kEngineBadPassword) {
                throw;
            }
            for (const std::string& password : kPasswords) {
                try {
                    db = open(password);
                    break;
                } catch (const ErrorException& again) {
                    if (again.number() != err::kEngineBadPassword || password == kPasswords.back()) {
                        throw;
                    }
                }
            }
        }
    } catch (const ErrorException& e) {
        return "ERR " + std::to_string(e.number());
    }
    const auto* jet = dynamic_cast<const JetDatabase*>(db.get());
    if (jet == nullptr) {
        return "NOTJET";
    }
    const Schema schema = SnapshotSchema(*db);
    Counts c{0, 0, 0, 0, 0, true, {}, {}};
    for (std::size_t i = 0; i < schema.tableDefs.size(); ++i) {
        const TableDetail& detail = jet->details().tables.at(i);
        // The manifest leaves out MSys* tables even when they carry no system
        // flag (MSysCompactError, left by a failed compaction).
        if (detail.objectType == 1 && !schema.tableDefs[i].IsSystem() &&
            schema.tableDefs[i].name.rfind("MSys", 0) != 0) {
            ++c.tables;
            // Primary keys and other indexes; foreign-key indexes are internal.
            for (const IndexDef& index : schema.tableDefs[i].indexes) {
                c.indexes += index.foreign ? 0 : 1;
            }
        } else if (detail.objectType == 4 || detail.objectType == 6) {
            ++c.links;
        }
    }
    for (const QueryDef& q : schema.queryDefs) {
        c.queries += q.name.rfind("~sq_", 0) == 0 ? 0 : 1;
    }
    for (const Relation& r : schema.relations) {
        c.relations += r.name.rfind("MSysNavPane", 0) == 0 ? 0 : 1;
    }
    std::ostringstream out;
    int defaults = 0, required = 0, allowZero = 0, rules = 0, texts = 0;
    for (const TableDef& table : schema.tableDefs) {
        if (table.IsSystem() || table.IsLinked() || table.IsOdbcLinked() || table.name.rfind("MSys", 0) == 0) {
            continue;
        }
        for (const FieldDef& field : table.fields) {
            defaults += field.defaultValue.empty() ? 0 : 1;
            required += field.required ? 1 : 0;
            allowZero += field.allowZeroLength ? 1 : 0;
            rules += field.validationRule.empty() ? 0 : 1;
            texts += field.validationText.empty() ? 0 : 1;
        }
    }
    const DatabaseInfo info = db->Info();
    out << "HEADER " << info.engine << " " << info.codePage << " " << info.collatingOrder << "\n";
    out << "PROPS " << PropertyCounts(defaults, required, allowZero, rules, texts) << "\n";
    out << "OK " << c.tables << " " << c.links << " " << c.queries << " " << c.relations << " " << c.indexes;
    return out.str();
}

// Runs Describe in a child process; "CRASH n", "HANG" or the child's answer.
std::string DescribeIsolated(const std::string& path) {
    int fds[2];
    if (pipe(fds) != 0) {
        return "PIPE";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::string answer;
        try {
            answer = Describe(path);
        } catch (const std::exception& e) {
            answer = std::string("EXCEPTION ") + e.what();
        }
        (void)!write(fds[1], answer.data(), answer.size());
        close(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            close(fds[0]);
            return "HANG";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::string answer;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "CRASH " + std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status));
    }
    return answer;
}

TEST(Sweep, EveryTestDatabaseGivesItsSchemaOrAClearError) {
    const fs::path root = VT_SHARED_TESTDATA_DIR;
    if (!fs::is_directory(root)) {
        GTEST_SKIP() << "shared test data not present at " << root;
    }
    const auto manifest = ManifestCounts(root / "MANIFEST.md");
    int files = 0;
    int read = 0;
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".mdb" && ext != ".accdb")) {
            continue;
        }
        ++files;
        const std::string relative = fs::relative(entry.path(), root).string();
        SCOPED_TRACE(relative);
        const auto start = std::chrono::steady_clock::now();
        const std::string answer = DescribeIsolated(entry.path().string());
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 60.0);
        if (answer.rfind("HEADER ", 0) == 0) {
            ++read;
            const std::string header = answer.substr(7, answer.find('\n') - 7);
            const std::size_t second = answer.find('\n') + 1;
            const std::size_t third = answer.find('\n', second) + 1;
            const std::string properties = answer.substr(second + 6, third - 1 - (second + 6));
            const std::string counts = answer.substr(third);
            const auto found = manifest.find(relative);
            if (found != manifest.end() && found->second.toolsRead) {  // no counts for what no tool read
                ++compared;
                const Counts& c = found->second;
                EXPECT_EQ(header, c.header) << "engine, code page or sort order differ from the manifest";
                EXPECT_EQ(properties, c.properties)
                    << "DefaultValue/Required/AllowZeroLength/ValidationRule/ValidationText counts differ";
                std::ostringstream expected;
                expected << "OK " << c.tables << " " << c.links << " " << c.queries << " " << c.relations << " "
                         << c.indexes;
                EXPECT_EQ(counts, expected.str()) << "counts differ from the manifest";
            }
            continue;
        }
        // Only ACE files protected by Office encryption (which no tool here
        // reads) may stay closed: a password error without a password, an
        // unreadable format with one.
        const auto found = manifest.find(relative);
        const bool unreadable = found != manifest.end() && !found->second.toolsRead;
        EXPECT_TRUE(unreadable && ext == ".accdb" && (answer == "ERR 3031" || answer == "ERR 3343")) << answer;
    }
    EXPECT_GT(files, 100);
    EXPECT_GT(manifest.size(), 100u) << "the manifest's file table was not understood";
    EXPECT_GT(compared, 95);
    std::cout << "[ sweep ] " << read << " of " << files << " databases read\n";
}

TEST(SharedFiles, TextParameterSizesComeFromLvExtra) {
    const fs::path file = fs::path(VT_SHARED_TESTDATA_DIR) / "linq2db/Data/BLToolkitData.mdb";
    if (!fs::exists(file)) {
        GTEST_SKIP() << "shared test data not present";
    }
    const auto db = OpenDatabaseFile(file.string());
    const auto* jet = dynamic_cast<const JetDatabase*>(db.get());
    ASSERT_NE(jet, nullptr);
    std::map<std::string, std::optional<std::int32_t>> sizes;  // "query/parameter" -> LvExtra
    for (const QueryDesign& query : jet->details().queries) {
        for (const QueryRow& row : query.rows) {
            if (row.attribute == 2) {  // a PARAMETERS entry
                sizes[query.name + "/" + row.name1.value_or("")] = row.lvExtra;
            }
        }
    }
    EXPECT_EQ(sizes["Patient_SelectByName/[@firstName]"], std::optional<std::int32_t>(50));
    EXPECT_EQ(sizes["Patient_SelectByName/[@lastName]"], std::optional<std::int32_t>(50));
    EXPECT_EQ(sizes["Person_Delete/[@PersonID]"], std::nullopt);
}

}  // namespace
}  // namespace vt::jet::test
