#pragma once

#include <QString>
#include <exception>

namespace veltrop {

struct ErrorDescription {
    QString kindName;
    QString message;
    bool silent = false;  // the silent abort, shown nowhere
};

// What an escaped error is called and says.
ErrorDescription describeError(std::exception_ptr error);

}  // namespace veltrop
