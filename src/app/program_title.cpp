#include "app/program_title.h"

#include <QFileInfo>

namespace veltrop {

QString titleFromProgramFile(const QString& programFilePath) {
    const QString name = QFileInfo(programFilePath).fileName();
    const QString stem = name.left(name.indexOf('.'));
    return stem.left(1).toUpper() + stem.mid(1).toLower();
}

}  // namespace veltrop
