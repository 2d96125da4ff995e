#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

namespace veltrop {

// Sees every event of a watched object before the object does, and lets it go on.
// Taken down when the hook goes; a watched object that has gone first is left alone.
class WindowHook : public QObject {
public:
    using Handler = std::function<void(QObject& receiver, QEvent& event)>;

    WindowHook(QObject& watched, Handler handler);
    ~WindowHook() override;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    QPointer<QObject> watched_;
    Handler handler_;
};

}  // namespace veltrop
