#!/usr/bin/env bash
# The table tool against its baselines, each in this script on the same cached tables:
#   export of 1,000,000 records   vs the sqlcipher shell's .mode csv SELECT *
#   import of 100,000 rows        time and peak resident memory (and of 1,000,000 rows)
#   protect of 1,000,000 records  vs a bare sqlcipher_export to a new file
#   one password try (Argon2id)   vs SQLCipher's PBKDF2 open   (bench/password_try_bench)
# Usage: bench/table_tool_bench.sh BUILD_FOLDER [ROUNDS]. Prints figures; never fails.
set -uo pipefail
build=$(cd "${1:?usage: $0 BUILD_FOLDER [ROUNDS]}" && pwd)
rounds=${2:-3}
tool="$build/veltrop-table"
work=$(mktemp -d /tmp/veltrop-table-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Seconds and peak resident kilobytes of a command: "SECONDS KB".
measure() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null 2>&1; cat "$work/time"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

big=$("$build/bench/table_folder" 1000000)/Veltrop.DB
small=$("$build/bench/table_folder" 100000)/Veltrop.DB
cp "$big" "$work/big.db"

echo "export of 1,000,000 records (median of $rounds)"
tool_export=$(for _ in $(seq "$rounds"); do
    rm -f "$work/out.csv"; measure "$tool" export "$work/big.db" -o "$work/out.csv"; done |
    cut -d' ' -f1 | median)
shell_export=$(for _ in $(seq "$rounds"); do
    measure sh -c "printf '.mode csv\nSELECT * FROM records;\n' | sqlcipher '$work/big.db' > '$work/shell.csv'"
    done | cut -d' ' -f1 | median)
echo "  veltrop-table export: ${tool_export} s; sqlcipher shell: ${shell_export} s;" \
     "ratio $(echo "scale=2; $tool_export / $shell_export" | bc) (target <= 1.5, and < 5 s)"

for rows in 100000 1000000; do
    source_table=$small; [ "$rows" = 1000000 ] && source_table=$big
    rm -f "$work/rows.csv" "$work/new.db"
    "$tool" export "$source_table" -o "$work/rows.csv" 2> /dev/null
    "$tool" create "$work/new.db"
    read -r seconds kb < <(measure "$tool" import "$work/new.db" "$work/rows.csv" --keep-duplicates)
    echo "import of $rows rows: ${seconds} s, peak resident $((kb / 1024)) MB" \
         "(target for 100,000: < 3 s, < 64 MB whatever the size)"
done

echo "protect of 1,000,000 records (median of $rounds)"
tool_protect=$(for _ in $(seq "$rounds"); do
    cp "$big" "$work/p.db"; measure sh -c "echo pw | '$tool' protect '$work/p.db' --password-stdin"
    done | cut -d' ' -f1 | median)
bare_protect=$(for _ in $(seq "$rounds"); do
    rm -f "$work/bare.db"
    measure sqlcipher "$work/big.db" "ATTACH DATABASE '$work/bare.db' AS bare KEY 'pw'; SELECT sqlcipher_export('bare'); DETACH DATABASE bare;"
    done | cut -d' ' -f1 | median)
echo "  veltrop-table protect: ${tool_protect} s (with one Argon2id derivation);" \
     "bare sqlcipher_export: ${bare_protect} s (with one PBKDF2 derivation);" \
     "ratio $(echo "scale=2; $tool_protect / $bare_protect" | bc) (target <= 2)"

echo "one password try"
"$build/bench/password_try_bench" 2> /dev/null | grep -E "Try"
