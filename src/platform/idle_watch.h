#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>

namespace veltrop {

// Reports when the program's windows have had no keyboard or mouse input for a while.
class IdleWatch : public QObject {
    Q_OBJECT

public:
    IdleWatch(std::chrono::milliseconds after, QObject* parent = nullptr);
    ~IdleWatch() override;

    bool idle() const { return idle_; }

signals:
    void becameIdle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer timer_;
    bool idle_ = false;
};

}  // namespace veltrop
