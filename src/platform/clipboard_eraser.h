#pragma once

#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

namespace veltrop {

// Copies secrets to the clipboard and takes them off again: after a while, and when it
// goes (at the program's end, before the clipboard could be handed to a clipboard
// manager). Only a clipboard that still holds its copy is cleared; whatever the user
// or another program copied since is left alone.
class ClipboardEraser : public QObject {
    Q_OBJECT

public:
    // 0 seconds: copies stay until the program ends.
    explicit ClipboardEraser(int seconds, QObject* parent = nullptr);
    ~ClipboardEraser() override;

    void copy(const QString& text);
    bool holdsOurCopy() const;
    // Clears the clipboard now if it still holds our copy.
    void clearOurCopy();

private:
    void timeUp();

    int seconds_;
    QTimer timer_;
    QPointer<QMimeData> ours_;
    QMetaObject::Connection waitingForFocus_;
};

}  // namespace veltrop
