#pragma once

#include "platform/form.h"

namespace veltrop {

// The program's one yes/no question "Confirm"; the caller sets the question as
// the caption and the position before showing it modally.
class TForm3 : public Form {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);
};

}  // namespace veltrop
