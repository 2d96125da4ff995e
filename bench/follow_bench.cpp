// What following the name Veltrop.DB costs: the check that every command makes first,
// and reopening a table that something renamed into place, down to showing the current
// record, for 1,000,000 records, plain and protected (its key already derived).
// Run: build/bench/follow_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_tables.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"

namespace veltrop::bench {
namespace {

namespace fs = std::filesystem;

constexpr long kRecords = 1000000;
constexpr const char* kPassword = "bench password";

// Two copies of the table in a scratch folder, which take turns being renamed into
// place under the name the cursor has open.
struct Copies {
    explicit Copies(bool protectedTable) {
        folder = fs::temp_directory_path() / ("veltrop-follow-bench-" + std::to_string(getpid()));
        fs::create_directories(folder);
        const fs::path source = fs::path(tableFolder(kRecords)) / credentials::kFileName;
        fs::copy_file(source, folder / "x.DB");
        if (protectedTable) {
            session.protectTable((folder / "x.DB").string(), kPassword);
            session.addPassword(kPassword);
        }
        fs::copy_file(folder / "x.DB", folder / "y.DB");
        fs::copy_file(folder / "x.DB", folder / credentials::kFileName);
    }
    ~Copies() { fs::remove_all(folder); }

    // Puts the other copy in place under the table's name, as a sync service does.
    void arrive() {
        const fs::path next = folder / (turn ? "x.DB" : "y.DB");
        fs::create_hard_link(next, folder / "arriving.DB");
        fs::rename(folder / "arriving.DB", folder / credentials::kFileName);
        turn = !turn;
    }

    fs::path folder;
    engine::Session session;
    bool turn = false;
};

void BM_CheckBeforeACommand(benchmark::State& state) {
    Copies copies(false);
    Table table("Table1", copies.session, (copies.folder / credentials::kFileName).string(),
                credentials::definition());
    table.open();
    for (auto _ : state) {
        table.followName();
    }
}

void BM_ReopenAndShow(benchmark::State& state) {
    Copies copies(state.range(0) != 0);
    Table table("Table1", copies.session, (copies.folder / credentials::kFileName).string(),
                credentials::definition());
    table.open();
    table.Locate(credentials::kLocateKey,
                 {"Site 500000", generatedKey(500000).url.c_str(),
                  generatedKey(500000).login.c_str(), generatedKey(500000).password.c_str()});
    for (auto _ : state) {
        state.PauseTiming();
        copies.arrive();
        state.ResumeTiming();
        table.followName();
        benchmark::DoNotOptimize(table.field(0).asString());
    }
    if (table.field(0).asString() != "Site 500000") {
        state.SkipWithError("the current record was not kept");
    }
}

BENCHMARK(BM_CheckBeforeACommand);
BENCHMARK(BM_ReopenAndShow)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"protected"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace
}  // namespace veltrop::bench

BENCHMARK_MAIN();
