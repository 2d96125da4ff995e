#pragma once

namespace veltrop {

// What a cursor tells the controls bound to it. Calls run synchronously inside the
// cursor's operation; an exception thrown here travels out of that operation.
class TableListener {
public:
    virtual ~TableListener() = default;
    // The cursor's state changed (open, close, edit, insert, post, cancel, ...).
    virtual void tableStateChanged() {}
    // The current record, or what the cursor shows of it, was (re)loaded.
    virtual void recordChanged() {}
    // A field of the record buffer was assigned.
    virtual void fieldChanged(int /*field*/) {}
    // Write any text not yet in the record buffer into it, now (before post and settle).
    virtual void updateRecord() {}
};

}  // namespace veltrop
