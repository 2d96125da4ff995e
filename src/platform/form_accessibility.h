#pragma once

namespace veltrop {

// Lets assistive technology see each form as the kind of window it is (a frame or a
// dialog, as Form::accessibleRole says) under its caption. Installed once; later
// calls do nothing.
void installFormAccessibility();

}  // namespace veltrop
