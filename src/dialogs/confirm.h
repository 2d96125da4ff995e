#pragma once

#include <QPushButton>

#include "platform/form.h"

namespace veltrop {

// The program's one yes/no question, in the unit Confirm: OK and Enter give the modal
// result 1, Cancel, Escape and the close box 2. The caller moves the dialog and sets the
// question as its caption (setWindowTitle) before each showModal(); the caption
// stays until the next caller replaces it.
class TForm3 : public Form {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    QPushButton* BitBtn1() const { return buttons_.at(0); }
    QPushButton* BitBtn2() const { return buttons_.at(1); }

    void BitBtn1Click();
    void BitBtn2Click();

private:
    void buildButtons(double scale);

    QList<QPushButton*> buttons_;
};

}  // namespace veltrop
