#pragma once

#include <QString>
#include <exception>

namespace veltrop {

class Field;

// What a field link needs from the text control that shows its field.
class FieldControl {
public:
    // Shows the field's value, or an empty text when there is no field. Never throws.
    virtual void showField(const Field* field) = 0;
    // The text the control shows now, typing included.
    virtual QString controlText() const = 0;
    // The control accepts input only while its field is being edited.
    virtual void setEditing(bool editing) = 0;
    // Writing back on leaving failed: once the focus change under way is over, the
    // focus goes back into the control and the error is shown.
    virtual void returnFocus(std::exception_ptr error) = 0;

protected:
    ~FieldControl() = default;
};

}  // namespace veltrop
