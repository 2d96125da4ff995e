#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "cursor_doubles.h"
#include "random_text.h"
#include "store/table.h"
#include "table_model.h"

namespace veltrop::testing {

enum class Op {
    Edit,
    Insert,
    SetField,
    SetKeys,
    Type,
    Post,
    Cancel,
    Delete,
    Locate,
    Refresh,
    First,
    Next
};

// One operation on one of the two cursors (0 has the hook and a bound editor, 1 has neither).
struct Step {
    int cursor = 0;
    Op op = Op::Edit;
    int field = 0;       // SetField, Type
    QStringList values;  // SetField and Type: one; SetKeys and Locate: the four key values
    HookAction hook = HookAction::Allow;
};

// What a step did, beyond the state it left behind.
struct Outcome {
    std::optional<ExpectedError> error;
    std::optional<bool> located;
    int hookRuns = 0;
};

Step randomStep(Random& rng, const TableModel& model);
std::string describe(const Step& step);
const char* opName(Op op);

Outcome runOnModel(TableModel& model, const Step& step);
// editor and hook may be null for a cursor without them.
Outcome runOnCursor(Table& table, PendingEditor* editor, ScriptedHook* hook, const Step& step);

}  // namespace veltrop::testing
