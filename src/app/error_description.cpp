#include "app/error_description.h"

#include "store/errors.h"

namespace veltrop {

ErrorDescription describeError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Abort& abort) {
        return {abort.kindName(), QString::fromStdString(abort.message()), true};
    } catch (const Error& failure) {
        return {failure.kindName(), QString::fromStdString(failure.message())};
    } catch (const std::exception& failure) {
        return {"Exception", QString::fromLocal8Bit(failure.what())};
    } catch (...) {
        // Nothing in the program throws anything else; it has no text to show.
        return {"Exception", QString()};
    }
}

}  // namespace veltrop
