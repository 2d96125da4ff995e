#pragma once

#include <QIcon>
#include <QList>
#include <QObject>

namespace veltrop {

// Images by index, shared by the components that show them.
class ImageList : public QObject {
    Q_OBJECT

public:
    explicit ImageList(QList<QIcon> images = {}, QObject* parent = nullptr)
        : QObject(parent), images_(std::move(images)) {}

    int count() const { return static_cast<int>(images_.size()); }
    // No image for an index outside the list.
    QIcon image(int index) const { return images_.value(index); }

private:
    QList<QIcon> images_;
};

}  // namespace veltrop
