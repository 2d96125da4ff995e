#include "app/application.h"
#include "app/program_windows.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    veltrop::Application app(argc, argv);
    return veltrop::runProgram(app, veltrop::ProgramWindows());
}
