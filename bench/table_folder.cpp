// Prints the folder of a generated table of the given number of records, making it if needed,
// so that scripts can use the same cached tables as the benchmarks.
#include <cstdio>
#include <cstdlib>

#include "bench_tables.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: table_folder RECORDS\n");
        return 2;
    }
    std::puts(veltrop::bench::tableFolder(std::atol(argv[1])).c_str());
    return 0;
}
