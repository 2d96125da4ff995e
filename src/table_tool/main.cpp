#include <QCoreApplication>

#include <cstdio>

#include "table_tool/tool.h"

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("veltrop-table");
    return veltrop::table_tool::runTool(QCoreApplication::arguments().mid(1), stdout, stderr);
}
