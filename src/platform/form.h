#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QWidget>

#include "platform/modal_result.h"

namespace veltrop {

// A top-level window with a modal result: shown modally by showModal, which ends
// as soon as the result becomes non-zero.
class Form : public QWidget {
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);

    int modalResult() const { return modalResult_; }
    void setModalResult(int result);

    // What kind of window assistive technology is told this is: a dialog unless set.
    QAccessible::Role accessibleRole() const { return accessibleRole_; }
    void setAccessibleRole(QAccessible::Role role) { accessibleRole_ = role; }

    // True while showModal runs for this form.
    bool showingModal() const { return showingModal_; }

    // Enter that no focused control takes clicks the first button, Escape the second.
    void setKeyButtons(QAbstractButton* enter, QAbstractButton* escape);

signals:
    void modalResultChanged(int result);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend int showModal(Form& form);

    QAbstractButton* enterButton_ = nullptr;
    QAbstractButton* escapeButton_ = nullptr;
    int modalResult_ = ModalResult::Running;
    bool showingModal_ = false;
    QAccessible::Role accessibleRole_ = QAccessible::Dialog;
};

}  // namespace veltrop
