#pragma once

#include <QString>
#include <optional>
#include <utility>

#include "store/errors.h"
#include "store/table.h"
#include "store/table_listener.h"
#include "table_model.h"

namespace veltrop::testing {

// A bound editor holding typed text that reaches the record only when the cursor asks
// for pending text (post, settle); like a real editor it forgets the text once the
// cursor is back in browse state.
class PendingEditor : public TableListener {
public:
    explicit PendingEditor(Table& table) : table_(table) { table_.addListener(this); }
    ~PendingEditor() override { table_.removeListener(this); }
    PendingEditor(const PendingEditor&) = delete;
    PendingEditor& operator=(const PendingEditor&) = delete;

    void type(int field, QString text) { pending_ = {field, std::move(text)}; }

    void updateRecord() override {
        if (!pending_) {
            return;
        }
        auto [field, text] = std::move(*pending_);
        pending_.reset();
        table_.field(field).setAsString(text);
    }

    void tableStateChanged() override {
        if (table_.state() != TableState::Edit && table_.state() != TableState::Insert) {
            pending_.reset();
        }
    }

private:
    Table& table_;
    std::optional<std::pair<int, QString>> pending_;
};

// The before-post hook, scripted as HookAction says.
struct ScriptedHook {
    HookAction action = HookAction::Allow;
    int runs = 0;

    void operator()(Table& table) {
        ++runs;
        if (action == HookAction::CancelOnly || action == HookAction::CancelAndAbort) {
            table.Cancel();
        }
        if (action == HookAction::CancelAndAbort || action == HookAction::Abort) {
            throw Abort();
        }
    }
};

}  // namespace veltrop::testing
