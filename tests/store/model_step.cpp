#include "model_step.h"

#include <array>

#include "engine/error.h"
#include "store/credential_table.h"

namespace veltrop::testing {

namespace {

struct WeightedOp {
    Op op;
    int weight;
};

constexpr std::array kOps = {
    WeightedOp{Op::Edit, 14},   WeightedOp{Op::Insert, 7}, WeightedOp{Op::SetField, 18},
    WeightedOp{Op::SetKeys, 4}, WeightedOp{Op::Type, 6},   WeightedOp{Op::Post, 12},
    WeightedOp{Op::Cancel, 5},  WeightedOp{Op::Delete, 6}, WeightedOp{Op::Locate, 9},
    WeightedOp{Op::Refresh, 5}, WeightedOp{Op::First, 3},  WeightedOp{Op::Next, 7},
};

Op randomOp(Random& rng) {
    int total = 0;
    for (const WeightedOp& entry : kOps) {
        total += entry.weight;
    }
    int roll = pick(rng, total);
    for (const WeightedOp& entry : kOps) {
        if (roll < entry.weight) {
            return entry.op;
        }
        roll -= entry.weight;
    }
    return Op::Edit;
}

QStringList keyOf(const TableModel::Record& record) {
    return {record.values[0], record.values[1], record.values[2], record.values[3]};
}

const TableModel::Record* randomRecord(Random& rng, const TableModel& model) {
    const auto& records = model.records();
    if (records.empty()) {
        return nullptr;
    }
    return &records[pick(rng, static_cast<int>(records.size()))];
}

// A key that some record shares with an earlier one, when there is such a pair.
std::optional<QStringList> sharedKey(const TableModel& model) {
    const auto& records = model.records();
    for (size_t later = 1; later < records.size(); ++later) {
        for (size_t earlier = 0; earlier < later; ++earlier) {
            if (keyOf(records[earlier]) == keyOf(records[later])) {
                return keyOf(records[later]);
            }
        }
    }
    return std::nullopt;
}

QStringList randomKey(Random& rng) {
    QStringList key;
    for (int field = 0; field < kKeyFieldCount; ++field) {
        key << randomFieldText(rng, field);
    }
    return key;
}

QStringList locateKey(Random& rng, const TableModel& model) {
    const TableModel::Record* record = randomRecord(rng, model);
    const int kind = pick(rng, 100);
    if (kind < 15) {
        if (std::optional<QStringList> shared = sharedKey(model)) {
            return *shared;
        }
    }
    if (kind < 25) {
        return QStringList(kKeyFieldCount, QString());
    }
    if (!record || kind < 40) {
        return randomKey(rng);
    }
    if (kind < 60) {
        return nearMissKey(rng, keyOf(*record));
    }
    return keyOf(*record);
}

QString fieldValue(Random& rng, const TableModel& model, int field) {
    const TableModel::Record* record = randomRecord(rng, model);
    if (record && chance(rng, 25)) {
        return record->values[field];
    }
    return randomFieldText(rng, field);
}

HookAction randomHookAction(Random& rng) {
    const int roll = pick(rng, 100);
    if (roll < 55) {
        return HookAction::Allow;
    }
    if (roll < 60) {
        return HookAction::CancelOnly;
    }
    return roll < 85 ? HookAction::CancelAndAbort : HookAction::Abort;
}

const char* hookName(HookAction action) {
    switch (action) {
        case HookAction::Allow:
            return "allow";
        case HookAction::CancelOnly:
            return "cancel";
        case HookAction::CancelAndAbort:
            return "cancel+abort";
        case HookAction::Abort:
            return "abort";
    }
    return "?";
}

// The model's cursor, called the way the real one is.
struct ModelCursor {
    TableModel& model;
    int c;

    void Edit() { model.Edit(c); }
    void Insert() { model.Insert(c); }
    void Post() { model.Post(c); }
    void Cancel() { model.Cancel(c); }
    void Delete() { model.Delete(c); }
    bool Locate(const QStringList& key) { return model.Locate(c, key); }
    void Refresh() { model.Refresh(c); }
    void first() { model.first(c); }
    void next() { model.next(c); }
    void setField(int field, const QString& text) { model.setField(c, field, text); }
    void type(int field, const QString& text) { model.type(c, field, text); }
};

struct RealCursor {
    Table& table;
    PendingEditor* editor;

    void Edit() { table.Edit(); }
    void Insert() { table.Insert(); }
    void Post() { table.Post(); }
    void Cancel() { table.Cancel(); }
    void Delete() { table.Delete(); }
    bool Locate(const QStringList& key) { return table.Locate(credentials::kLocateKey, key); }
    void Refresh() { table.Refresh(); }
    void first() { table.first(); }
    void next() { table.next(); }
    void setField(int field, const QString& text) { table.field(field).setAsString(text); }
    void type(int field, const QString& text) { editor->type(field, text); }
};

template <typename Cursor>
void perform(Cursor cursor, const Step& step, Outcome& outcome) {
    switch (step.op) {
        case Op::Edit:
            cursor.Edit();
            break;
        case Op::Insert:
            cursor.Insert();
            break;
        case Op::SetField:
            cursor.setField(step.field, step.values[0]);
            break;
        case Op::SetKeys:
            for (int field = 0; field < kKeyFieldCount; ++field) {
                cursor.setField(field, step.values[field]);
            }
            break;
        case Op::Type:
            cursor.type(step.field, step.values[0]);
            break;
        case Op::Post:
            cursor.Post();
            break;
        case Op::Cancel:
            cursor.Cancel();
            break;
        case Op::Delete:
            cursor.Delete();
            break;
        case Op::Locate:
            outcome.located = cursor.Locate(step.values);
            break;
        case Op::Refresh:
            cursor.Refresh();
            break;
        case Op::First:
            cursor.first();
            break;
        case Op::Next:
            cursor.next();
            break;
    }
}

ExpectedError observed(const std::exception& thrown) {
    if (auto engineError = dynamic_cast<const engine::EngineError*>(&thrown)) {
        return {engineError->kindName(), engineError->message(), engineError->code()};
    }
    if (auto error = dynamic_cast<const veltrop::Error*>(&thrown)) {
        return {error->kindName(), error->message(), std::nullopt};
    }
    return {"std::exception", thrown.what(), std::nullopt};
}

}  // namespace

const char* opName(Op op) {
    switch (op) {
        case Op::Edit:
            return "Edit";
        case Op::Insert:
            return "Insert";
        case Op::SetField:
            return "set";
        case Op::SetKeys:
            return "setKeys";
        case Op::Type:
            return "type";
        case Op::Post:
            return "Post";
        case Op::Cancel:
            return "Cancel";
        case Op::Delete:
            return "Delete";
        case Op::Locate:
            return "Locate";
        case Op::Refresh:
            return "Refresh";
        case Op::First:
            return "first";
        case Op::Next:
            return "next";
    }
    return "?";
}

Step randomStep(Random& rng, const TableModel& model) {
    Step step;
    step.cursor = chance(rng, 35) ? 1 : 0;
    // The second cursor deletes more, so that the first one meets records that are gone.
    step.op = step.cursor == 1 && chance(rng, 10) ? Op::Delete : randomOp(rng);
    const bool editing = model.cursor(step.cursor).editing();
    if (step.op == Op::Type && (step.cursor != 0 || !editing)) {
        step.op = Op::SetField;
    }
    // Assignments and posts mostly come after an Edit, as they do from the editors.
    const bool needsEditing =
        step.op == Op::SetField || step.op == Op::SetKeys || step.op == Op::Post;
    if (needsEditing && !editing && chance(rng, 60)) {
        step.op = Op::Edit;
    }
    switch (step.op) {
        case Op::SetField:
        case Op::Type:
            step.field = pick(rng, kFieldCount);
            step.values << fieldValue(rng, model, step.field);
            break;
        case Op::SetKeys: {
            const TableModel::Record* record = randomRecord(rng, model);
            step.values = record && chance(rng, 70) ? keyOf(*record) : randomKey(rng);
            break;
        }
        case Op::Locate:
            step.values = locateKey(rng, model);
            break;
        default:
            break;
    }
    if (step.cursor == 0) {
        step.hook = randomHookAction(rng);
    }
    return step;
}

std::string describe(const Step& step) {
    std::string text = std::string(step.cursor == 0 ? "A." : "B.") + opName(step.op);
    if (step.op == Op::SetField || step.op == Op::Type) {
        text += " " + credentials::definition().fields.at(step.field).name + "=";
    }
    for (const QString& value : step.values) {
        text += " \"" + printable(value) + "\"";
    }
    if (step.hook != HookAction::Allow) {
        text += std::string(" [hook ") + hookName(step.hook) + "]";
    }
    return text;
}

Outcome runOnModel(TableModel& model, const Step& step) {
    Outcome outcome;
    model.setHookAction(step.hook);
    const int runsBefore = model.hookRuns();
    try {
        perform(ModelCursor{model, step.cursor}, step, outcome);
    } catch (const ExpectedError& error) {
        outcome.error = error;
    }
    outcome.hookRuns = model.hookRuns() - runsBefore;
    return outcome;
}

Outcome runOnCursor(Table& table, PendingEditor* editor, ScriptedHook* hook, const Step& step) {
    Outcome outcome;
    ScriptedHook unused;
    ScriptedHook& counted = hook ? *hook : unused;
    counted.action = step.hook;
    const int runsBefore = counted.runs;
    try {
        perform(RealCursor{table, editor}, step, outcome);
    } catch (const std::exception& thrown) {
        outcome.error = observed(thrown);
    }
    outcome.hookRuns = counted.runs - runsBefore;
    return outcome;
}

}  // namespace veltrop::testing
