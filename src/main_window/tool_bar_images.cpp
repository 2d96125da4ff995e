#include "main_window/tool_bar_images.h"

#include "main_window/form1_layout.h"

// Resources of a static library are registered by hand, outside any namespace.
static void registerMainWindowImages() {
    Q_INIT_RESOURCE(main_window_images);
}

namespace veltrop {

QList<QPixmap> loadToolBarImages() {
    registerMainWindowImages();
    QList<QPixmap> images;
    for (const char* path : form1::kToolBarImages) {
        images.append(QPixmap(QString::fromLatin1(path)));
    }
    return images;
}

QIcon programIcon() {
    registerMainWindowImages();
    QIcon icon;
    for (const char* path : form1::kProgramIcon) {
        icon.addFile(QString::fromLatin1(path));
    }
    return icon;
}

}  // namespace veltrop
