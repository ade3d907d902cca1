// Generation throughput over a synthetic design whose values are made on
// demand, so the figures show the generator alone and its memory stays flat
// as the design grows.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "generator/build_module.h"

namespace vt {
namespace {

struct DesignSize {
    std::size_t tables, fields, indexes, queries, relations;
};

class SyntheticDatabase : public Database {
public:
    explicit SyntheticDatabase(DesignSize size) : size_(size) {}

    DatabaseInfo Info() const override { return {"C:\\Bench\\Synthetic.mdb", "Jet4", 1252, 1033, {}}; }
    std::size_t TableDefCount() const override { return size_.tables; }
    TableDef TableDefAt(std::size_t t) const override {
        TableDef table;
        table.name = "Table " + std::to_string(t);
        for (std::size_t f = 0; f < size_.fields; ++f) {
            FieldDef field;
            field.name = "Field" + std::to_string(f);
            field.type = f == 0 ? DaoType::kLong : DaoType::kText;
            field.size = f == 0 ? 4 : 50;
            field.attributes = f == 0 ? 17 : 2;
            field.ordinalPosition = static_cast<std::int16_t>(f);
            field.required = f == 0;
            field.allowZeroLength = f % 3 == 1;
            if (f % 5 == 2) {
                field.validationRule = "Like \"A*\"";
                field.validationText = "Must start with \"A\".";
            }
            table.fields.push_back(std::move(field));
        }
        for (std::size_t i = 0; i < size_.indexes; ++i) {
            IndexDef index;
            index.name = i == 0 ? "PrimaryKey" : "Index" + std::to_string(i);
            index.primary = index.unique = index.required = i == 0;
            index.fields = {"Field" + std::to_string(i), "Field" + std::to_string(i + 1)};
            table.indexes.push_back(std::move(index));
        }
        return table;
    }
    std::size_t QueryDefCount() const override { return size_.queries; }
    QueryDef QueryDefAt(std::size_t q) const override {
        return {"Query " + std::to_string(q),
                "SELECT [Table " + std::to_string(q % size_.tables) +
                    "].*\r\nFROM [Table " + std::to_string(q % size_.tables) +
                    "]\r\nWHERE Field1 = \"x\";\r\n"};
    }
    std::size_t RelationCount() const override { return size_.relations; }
    Relation RelationAt(std::size_t r) const override {
        return {"Relation" + std::to_string(r), "Table " + std::to_string(r % size_.tables),
                "Table " + std::to_string((r + 1) % size_.tables), 4096, {{"Field0", "Field1"}}};
    }

private:
    DesignSize size_;
};

// Counts the module's lines and bytes and throws them away; the writer
// hands over one whole line per call.
class CountingOutput : public ModuleOutput {
public:
    CountingOutput(std::size_t& lines, std::size_t& bytes) : lines_(lines), bytes_(bytes) {}
    void Write(std::string_view bytes) override {
        ++lines_;
        bytes_ += bytes.size();
    }
    void Commit() override {}

private:
    std::size_t& lines_;
    std::size_t& bytes_;
};

class SilentMessenger : public Messenger {
public:
    int ShowMessage(const std::string&, int, const std::string&) override { return answer::kOk; }
    int MousePointer() const override { return 0; }
    void SetMousePointer(int) override {}
};

class BenchHost : public GeneratorHost {
public:
    bool AddCommonCode() const override { return true; }
    bool EncryptDatabase() const override { return true; }
    bool CodeFullPath() const override { return false; }
    void ModuleBuilt() override {}
};

double PeakMemoryMiB() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_BuildModule(benchmark::State& state) {
    const auto scale = static_cast<std::size_t>(state.range(0));
    const DesignSize size{2000 * scale, 30, 5, 500 * scale, 1000 * scale};
    const SyntheticDatabase db(size);
    const CodePage cp = CodePage::Open(1252);
    SilentMessenger messenger;
    PendingError pending;
    Reporter reporter{pending, messenger};
    BenchHost host;
    const BuildInputs inputs{db, db.Info().path, "Synthetic", true, cp};
    std::size_t lines = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        lines = bytes = 0;
        const OutputOpener open = [&](const std::string&) {
            return std::make_unique<CountingOutput>(lines, bytes);
        };
        if (BuildModuleFile("Synthetic.bas", inputs, host, reporter, open)) {
            state.SkipWithError("generation failed");
        }
    }
    state.counters["lines"] = benchmark::Counter(static_cast<double>(lines) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["MB"] = benchmark::Counter(static_cast<double>(bytes) * state.iterations() / 1e6,
                                                benchmark::Counter::kIsRate);
    state.counters["module_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["module_lines"] = static_cast<double>(lines);
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

// Scale 1 is the reference design: 2,000 tables x 30 fields x 5 indexes,
// 500 queries, 1,000 relations. Scale 4 shows that memory does not grow.
BENCHMARK(BM_BuildModule)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vt

BENCHMARK_MAIN();
