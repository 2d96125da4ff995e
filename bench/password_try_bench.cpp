// One password try on a protected table: the engine's Argon2id derivation and open,
// beside SQLCipher's own PBKDF2 open of the same records.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/session.h"
#include "store/credential_table.h"

namespace {

const std::string kFolder = "/tmp/veltrop-bench/password-try";
const std::string kArgon = kFolder + "/argon2id.db";
const std::string kPbkdf2 = kFolder + "/pbkdf2.db";
const std::string kPassword = "a password to try";

void makeTables() {
    std::filesystem::remove_all(kFolder);
    std::filesystem::create_directories(kFolder);
    veltrop::engine::Session session;
    session.createTable(kArgon, veltrop::credentials::definition());
    session.openTable(kArgon, veltrop::engine::OpenMode::ReadWrite)
        ->insert({"Bank", "bank.example", "anna", "secret", ""});
    sqlite3* db = nullptr;
    sqlite3_open(kArgon.c_str(), &db);
    const std::string exportSql = "ATTACH DATABASE '" + kPbkdf2 + "' AS copy KEY '" + kPassword +
                                  "'; SELECT sqlcipher_export('copy'); DETACH DATABASE copy;";
    sqlite3_exec(db, exportSql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    session.protectTable(kArgon, kPassword);
}

void Argon2idTry(benchmark::State& state) {
    for (auto _ : state) {
        veltrop::engine::Session session;  // a fresh one: nothing derived yet
        session.addPassword(kPassword);
        benchmark::DoNotOptimize(
            session.openTable(kArgon, veltrop::engine::OpenMode::ReadOnly)->recordCount());
    }
}

void Pbkdf2Try(benchmark::State& state) {
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(kPbkdf2.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_key(db, kPassword.data(), static_cast<int>(kPassword.size()));
        int count = -1;
        sqlite3_exec(
            db, "SELECT count(*) FROM records",
            [](void* out, int, char** values, char**) {
                *static_cast<int*>(out) = std::atoi(values[0]);
                return 0;
            },
            &count, nullptr);
        sqlite3_close(db);
        if (count != 1) {
            state.SkipWithError("the PBKDF2 table did not open");
        }
    }
}

BENCHMARK(Argon2idTry)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(Pbkdf2Try)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    makeTables();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
