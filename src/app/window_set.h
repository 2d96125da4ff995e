#pragma once

#include <memory>

#include "app/window_factory.h"

namespace veltrop {

// The three windows of a running program: created in order, destroyed in reverse
// order (which closes their cursors without posting).
class WindowSet {
public:
    WindowSet() = default;
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    // Form1 becomes the main window as soon as it exists.
    void create(const WindowFactory& factory, engine::Session& session);
    void destroy();

    Form& mainForm() { return *form1_; }

private:
    std::unique_ptr<Form> form1_;
    std::unique_ptr<Form> form2_;
    std::unique_ptr<Form> form3_;
};

}  // namespace veltrop
