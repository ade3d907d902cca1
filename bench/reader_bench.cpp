// The Jet reader and the schema writer over real database files.
//
//   reader_bench [Google Benchmark flags] DATABASE...
//   VT_BENCH_DB=FILE[:FILE...] reader_bench [Google Benchmark flags]
//
// For each database: BM_OpenAndRead opens it and reads every table, query
// and relation in collection order (what every command does first);
// BM_WriteSchemaJson writes its design, read once beforehand, as the schema
// file to a stream that counts and discards the bytes. The databases come
// from the command line or VT_BENCH_DB, so the benchmark needs no file
// outside the repository: bench/make-jet4.py writes large ones.
//
// Counters: peak_MiB is the largest resident size during the benchmark
// alone (the peak is reset before it where Linux allows), base_MiB the
// resident size before it; tables, fields, indexes, relations and MB count
// what one iteration read or wrote.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "common/error.h"
#include "dbaccess/open.h"
#include "dbaccess/schema_json.h"

namespace vt {
namespace {

// Linux keeps a per-process peak of resident memory; writing 5 to
// clear_refs sets it back to the current size, so each benchmark reports
// its own peak rather than the largest one so far. Memory freed by earlier
// benchmarks is given back first, or it would count as resident.
void ResetPeakMemory() {
    malloc_trim(0);
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

double StatusMiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::strtod(line.c_str() + prefix.size(), nullptr) / 1024.0;  // kB
        }
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double PeakMiB() { return StatusMiB("VmHWM"); }
double ResidentMiB() { return StatusMiB("VmRSS"); }

struct Counts {
    std::size_t tables = 0, fields = 0, indexes = 0, queries = 0, relations = 0;
};

Counts ReadEverything(const Database& db) {
    Counts counts;
    for (std::size_t i = 0; i < db.TableDefCount(); ++i) {
        const TableDef table = db.TableDefAt(i);
        ++counts.tables;
        counts.fields += table.fields.size();
        counts.indexes += table.indexes.size();
        benchmark::DoNotOptimize(table);
    }
    for (std::size_t i = 0; i < db.QueryDefCount(); ++i) {
        const QueryDef query = db.QueryDefAt(i);
        ++counts.queries;
        benchmark::DoNotOptimize(query);
    }
    for (std::size_t i = 0; i < db.RelationCount(); ++i) {
        const Relation relation = db.RelationAt(i);
        ++counts.relations;
        benchmark::DoNotOptimize(relation);
    }
    return counts;
}

void ReportCounts(benchmark::State& state, const Counts& counts) {
    state.counters["tables"] = static_cast<double>(counts.tables);
    state.counters["fields"] = static_cast<double>(counts.fields);
    state.counters["indexes"] = static_cast<double>(counts.indexes);
    state.counters["queries"] = static_cast<double>(counts.queries);
    state.counters["relations"] = static_cast<double>(counts.relations);
}

void BM_OpenAndRead(benchmark::State& state, const std::string& path) {
    ResetPeakMemory();
    state.counters["base_MiB"] = ResidentMiB();
    Counts counts;
    try {
        for (auto _ : state) {
            const std::unique_ptr<Database> db = OpenDatabaseFile(path);
            counts = ReadEverything(*db);
        }
    } catch (const ErrorException& error) {
        state.SkipWithError(("cannot read " + path + ": " + error.record().description).c_str());
        return;
    }
    ReportCounts(state, counts);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * counts.tables));
    state.counters["peak_MiB"] = PeakMiB();
}

// Counts what is written and keeps none of it.
class CountingBuffer : public std::streambuf {
public:
    std::size_t bytes = 0;

protected:
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            ++bytes;
        }
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char*, std::streamsize count) override {
        bytes += static_cast<std::size_t>(count);
        return count;
    }
};

void BM_WriteSchemaJson(benchmark::State& state, const std::string& path) {
    Schema schema;
    try {
        schema = SnapshotSchema(*OpenDatabaseFile(path));
    } catch (const ErrorException& error) {
        state.SkipWithError(("cannot read " + path + ": " + error.record().description).c_str());
        return;
    }
    ResetPeakMemory();
    state.counters["base_MiB"] = ResidentMiB();
    std::size_t bytes = 0;
    for (auto _ : state) {
        CountingBuffer buffer;
        std::ostream out(&buffer);
        WriteSchemaJson(schema, out);
        bytes = buffer.bytes;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["tables"] = static_cast<double>(schema.tableDefs.size());
    state.counters["peak_MiB"] = PeakMiB();
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> Databases(int argc, char** argv) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty()) {
        if (const char* list = std::getenv("VT_BENCH_DB")) {
            std::string all(list);
            std::size_t start = 0;
            while (start <= all.size()) {
                const std::size_t end = std::min(all.find(':', start), all.size());
                if (end > start) {
                    paths.push_back(all.substr(start, end - start));
                }
                start = end + 1;
            }
        }
    }
    return paths;
}

}  // namespace
}  // namespace vt

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const std::vector<std::string> paths = vt::Databases(argc, argv);
    if (paths.empty()) {
        std::cerr << "reader_bench: no database: name one or more on the command line, or in "
                     "VT_BENCH_DB (separated by ':'); bench/make-jet4.py writes large ones\n";
        return 2;
    }
    for (const std::string& path : paths) {
        const std::string name = vt::BaseName(path);
        benchmark::RegisterBenchmark(("BM_OpenAndRead/" + name).c_str(), vt::BM_OpenAndRead, path)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_WriteSchemaJson/" + name).c_str(), vt::BM_WriteSchemaJson, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
