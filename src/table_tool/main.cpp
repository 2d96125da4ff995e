#include <QCoreApplication>

#include <cstdio>

#include "core/no_core_dumps.h"
#include "table_tool/tool.h"

int main(int argc, char* argv[]) {
    veltrop::disableCoreDumps();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("veltrop-table");
    return veltrop::table_tool::runTool(QCoreApplication::arguments().mid(1), stdout, stderr);
}
