#include "app/application.h"
#include "app/program_windows.h"
#include "app/startup.h"
#include "core/no_core_dumps.h"

int main(int argc, char** argv) {
    veltrop::disableCoreDumps();
    veltrop::Application app(argc, argv);
    return veltrop::runProgram(app, veltrop::ProgramWindows());
}
