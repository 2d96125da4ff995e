#include "platform/idle_watch.h"

#include <QCoreApplication>
#include <QEvent>

namespace veltrop {

IdleWatch::IdleWatch(std::chrono::milliseconds after, QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(after);
    connect(&timer_, &QTimer::timeout, this, [this] {
        idle_ = true;
        emit becameIdle();
    });
    QCoreApplication::instance()->installEventFilter(this);
    timer_.start();
}

IdleWatch::~IdleWatch() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool IdleWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::Wheel:
            idle_ = false;
            timer_.start();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace veltrop
