// Cursor operations on tables of 1,000, 100,000 and 1,000,000 records, with a bare
// SQLite UPDATE on the same file and durability beside Post for comparison.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>

#include "bench_tables.h"
#include "engine/session.h"
#include "store/credential_table.h"
#include "store/table.h"

namespace veltrop::bench {

namespace {

// Opens a cursor on the generated table of state.range(0) records.
class OpenCursor {
public:
    explicit OpenCursor(const benchmark::State& state) {
        enterTableFolder(state.range(0));
        table_.open();
    }
    Table& operator*() { return table_; }
    Table* operator->() { return &table_; }

private:
    engine::Session session_;
    Table table_{"Table1", session_, credentials::kFileName, credentials::definition()};
};

QStringList keyOf(long index) {
    const GeneratedKey key = generatedKey(index);
    return {QString::fromStdString(key.description), QString::fromStdString(key.url),
            QString::fromStdString(key.login), QString::fromStdString(key.password)};
}

void alternatePassword(Table& table, long iteration) {
    table.fieldByName(credentials::kPassword).setAsString(iteration % 2 ? "odd" : "even");
}

void BM_Open(benchmark::State& state) {
    enterTableFolder(state.range(0));
    engine::Session session;
    for (auto _ : state) {
        Table table("Table1", session, credentials::kFileName, credentials::definition());
        table.open();
        benchmark::DoNotOptimize(table.field(0).asString());
    }
}

void BM_LocateLast(benchmark::State& state) {
    OpenCursor table(state);
    const QStringList key = keyOf(state.range(0) - 1);
    for (auto _ : state) {
        if (!table->Locate(credentials::kLocateKey, key)) {
            state.SkipWithError("the last record was not found");
            break;
        }
    }
}

void BM_Refresh(benchmark::State& state) {
    OpenCursor table(state);
    for (auto _ : state) {
        table->Refresh();
    }
}

void BM_PostEdit(benchmark::State& state) {
    OpenCursor table(state);
    long iteration = 0;
    for (auto _ : state) {
        table->Edit();
        alternatePassword(*table, ++iteration);
        table->Post();
    }
}

// The floor Post is held against: one UPDATE committed with the same durability.
void BM_BareSqliteUpdate(benchmark::State& state) {
    enterTableFolder(state.range(0));
    sqlite3* db = nullptr;
    sqlite3_open(credentials::kFileName, &db);
    sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE records SET \"PASSWORD\" = ?1 WHERE recno = 1", -1, &update,
                       nullptr);
    long iteration = 0;
    for (auto _ : state) {
        sqlite3_bind_text(update, 1, ++iteration % 2 ? "odd" : "even", -1, SQLITE_STATIC);
        if (sqlite3_step(update) != SQLITE_DONE) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    sqlite3_close(db);
}

void BM_InsertPostThenDelete(benchmark::State& state) {
    OpenCursor table(state);
    for (auto _ : state) {
        table->Insert();
        alternatePassword(*table, 0);
        table->Post();
        state.PauseTiming();
        table->Delete();
        state.ResumeTiming();
    }
}

void BM_Delete(benchmark::State& state) {
    OpenCursor table(state);
    for (auto _ : state) {
        state.PauseTiming();
        table->Insert();
        alternatePassword(*table, 0);
        table->Post();
        state.ResumeTiming();
        table->Delete();
    }
}

void BM_Scan(benchmark::State& state) {
    const long before = residentBytes();
    OpenCursor table(state);
    long seen = 0;
    for (auto _ : state) {
        seen = 0;
        for (table->first(); !table->eof(); table->next()) {
            benchmark::DoNotOptimize(table->field(0).asString());
            ++seen;
        }
    }
    if (seen != state.range(0)) {
        state.SkipWithError("the scan did not see every record");
    }
    state.counters["records"] = static_cast<double>(seen);
    state.counters["rss_MB"] = static_cast<double>(residentBytes()) / 1e6;
    state.counters["cursor_rss_MB"] = static_cast<double>(residentBytes() - before) / 1e6;
}

void sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Open)->Apply(sizes);
BENCHMARK(BM_LocateLast)->Apply(sizes);
BENCHMARK(BM_Refresh)->Apply(sizes);
BENCHMARK(BM_PostEdit)->Apply(sizes);
BENCHMARK(BM_BareSqliteUpdate)->Apply(sizes);
BENCHMARK(BM_InsertPostThenDelete)->Apply(sizes);
BENCHMARK(BM_Delete)->Apply(sizes);
BENCHMARK(BM_Scan)->Apply(sizes)->Iterations(1);

}  // namespace veltrop::bench

BENCHMARK_MAIN();
