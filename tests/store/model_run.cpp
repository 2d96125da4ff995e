#include "model_run.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "engine/session.h"
#include "store/credential_table.h"
#include "support/temp_folder.h"

namespace veltrop::testing {

namespace {

constexpr const char* kFirstName = "Table1";
constexpr const char* kSecondName = "Table2";

const char* stateName(TableState state) {
    switch (state) {
        case TableState::Inactive:
            return "inactive";
        case TableState::Browse:
            return "browse";
        case TableState::Edit:
            return "edit";
        case TableState::Insert:
            return "insert";
    }
    return "?";
}

std::string quoted(const QString& text) {
    return "\"" + printable(text) + "\"";
}

std::string errorText(const std::optional<ExpectedError>& error) {
    if (!error) {
        return "no exception";
    }
    std::string text = error->kind + " \"" + printable(QString::fromStdString(error->text)) + "\"";
    if (error->code) {
        char code[16];
        std::snprintf(code, sizeof code, " code %04X", static_cast<unsigned>(*error->code));
        text += code;
    }
    return text;
}

std::string recordText(const Values& values) {
    std::string text = "[";
    for (const QString& value : values) {
        text += (text.size() > 1 ? ", " : "") + quoted(value);
    }
    return text + "]";
}

engine::RawRecord rawOf(const Values& values) {
    engine::RawRecord raw;
    for (const QString& value : values) {
        raw.push_back(value.toStdString());
    }
    return raw;
}

engine::RawRecord rawOf(const Table& table) {
    engine::RawRecord raw;
    for (int field = 0; field < kFieldCount; ++field) {
        raw.push_back(table.field(field).asString().toStdString());
    }
    return raw;
}

void compareOutcome(const Outcome& expected, const Outcome& actual,
                    std::vector<std::string>& differences) {
    if (expected.error != actual.error) {
        differences.push_back("raised " + errorText(actual.error) + ", expected " +
                              errorText(expected.error));
    }
    if (expected.located != actual.located && !expected.error && !actual.error) {
        differences.push_back(std::string("Locate returned ") +
                              (actual.located.value_or(false) ? "true" : "false") + ", expected " +
                              (expected.located.value_or(false) ? "true" : "false"));
    }
    if (expected.hookRuns != actual.hookRuns) {
        differences.push_back("before-post hook ran " + std::to_string(actual.hookRuns) +
                              " times, expected " + std::to_string(expected.hookRuns));
    }
}

// Reads the file the way no cursor does: a table file of its own reads it as it is now.
void compareFile(engine::TableFile& file, const TableModel& model,
                 std::vector<std::string>& differences) {
    std::vector<engine::RecordRow> rows;
    if (std::optional<engine::RecordNumber> first = file.first()) {
        rows = file.readFrom(*first, std::numeric_limits<int>::max());
    }
    const auto& records = model.records();
    bool same = rows.size() == records.size();
    for (size_t i = 0; same && i < rows.size(); ++i) {
        same = rows[i].values == rawOf(records[i].values);
    }
    if (same) {
        return;
    }
    std::string text = "table file holds:";
    for (const engine::RecordRow& row : rows) {
        Values values;
        for (int field = 0; field < kFieldCount; ++field) {
            values[field] = QString::fromStdString(row.values.at(field));
        }
        text += "\n      #" + std::to_string(row.number) + " " + recordText(values);
    }
    text += "\n    expected:";
    for (const TableModel::Record& record : records) {
        text += "\n      " + recordText(record.values);
    }
    differences.push_back(text);
}

void compareCursor(const char* label, const Table& table, const TableModel::Cursor& expected,
                   bool afterMove, std::vector<std::string>& differences) {
    const std::string prefix = std::string(label) + ": ";
    if (table.state() != expected.state) {
        differences.push_back(prefix + "state " + stateName(table.state()) + ", expected " +
                              stateName(expected.state));
    }
    if (table.modified() != expected.modified) {
        differences.push_back(prefix + "modified " + (table.modified() ? "set" : "clear") +
                              ", expected " + (expected.modified ? "set" : "clear"));
    }
    // In insert state the new record is current, whatever was current before.
    if (expected.state != TableState::Insert && table.isEmpty() == expected.current.has_value()) {
        differences.push_back(prefix + (table.isEmpty() ? "holds no record" : "holds a record") +
                              ", expected the opposite");
    }
    if (rawOf(table) != rawOf(expected.buffer)) {
        Values shown;
        for (int field = 0; field < kFieldCount; ++field) {
            shown[field] = table.field(field).asString();
        }
        differences.push_back(prefix + "fields show " + recordText(shown) + ", expected " +
                              recordText(expected.buffer));
    }
    if (afterMove && table.eof() != expected.eof) {
        differences.push_back(prefix + "eof " + (table.eof() ? "true" : "false") + ", expected " +
                              (expected.eof ? "true" : "false"));
    }
}

// eof only has a meaning right after the cursor moved.
bool moved(const Step& step, const Outcome& outcome, int cursor) {
    return step.cursor == cursor && (step.op == Op::First || step.op == Op::Next) && !outcome.error;
}

// Every post syncs the file several times; on a folder in memory that costs nothing, and
// durability is not what these runs look at.
void preferMemoryForTempFolders() {
    static const bool chosen = [] {
        if (access("/dev/shm", W_OK | X_OK) == 0) {
            setenv("TMPDIR", "/dev/shm", 1);
        }
        return true;
    }();
    (void)chosen;
}

}  // namespace

std::optional<Divergence> runAgainstModel(const std::vector<Values>& initial,
                                          const StepSource& nextStep, std::vector<Step>& performed,
                                          const StepObserver& observe) {
    preferMemoryForTempFolders();
    TempFolder folder;
    engine::Session session;
    session.createTable(credentials::kFileName, credentials::definition());
    {
        auto file = session.openTable(credentials::kFileName, engine::OpenMode::ReadWrite);
        for (const Values& values : initial) {
            file->insert(rawOf(values));
        }
    }
    TableModel model(initial, kFirstName, kSecondName);
    ScriptedHook hook;
    Table first(kFirstName, session, credentials::kFileName, credentials::definition());
    first.setBeforePost([&hook](Table& table) { hook(table); });
    PendingEditor editor(first);
    Table second(kSecondName, session, credentials::kFileName, credentials::definition());

    engine::Session readerSession;
    const auto reader = readerSession.openTable(credentials::kFileName, engine::OpenMode::ReadOnly);
    Divergence divergence;
    const auto check = [&](const Outcome& expected, const Outcome& actual, const Step* step) {
        compareOutcome(expected, actual, divergence.differences);
        compareFile(*reader, model, divergence.differences);
        compareCursor("A", first, model.cursor(0), step && moved(*step, expected, 0),
                      divergence.differences);
        compareCursor("B", second, model.cursor(1), step && moved(*step, expected, 1),
                      divergence.differences);
        return divergence.differences.empty();
    };

    Outcome expectedOpen;
    Outcome actualOpen;
    try {
        model.open(0);
        model.open(1);
        first.open();
        second.open();
    } catch (const std::exception& thrown) {
        actualOpen.error = ExpectedError{"std::exception", thrown.what(), std::nullopt};
    }
    if (!check(expectedOpen, actualOpen, nullptr)) {
        return divergence;
    }
    while (std::optional<Step> step = nextStep(model)) {
        // A bound editor only ever holds typing while its cursor edits.
        if (step->op == Op::Type && !model.cursor(step->cursor).editing()) {
            continue;
        }
        performed.push_back(*step);
        divergence.stepsRun = performed.size();
        const Outcome expected = runOnModel(model, *step);
        const Outcome actual = step->cursor == 0 ? runOnCursor(first, &editor, &hook, *step)
                                                 : runOnCursor(second, nullptr, nullptr, *step);
        if (observe) {
            observe(*step, expected);
        }
        if (!check(expected, actual, &*step)) {
            return divergence;
        }
    }
    return std::nullopt;
}

std::optional<Divergence> replay(const Scenario& scenario) {
    size_t next = 0;
    std::vector<Step> performed;
    return runAgainstModel(
        scenario.initial,
        [&](const TableModel&) -> std::optional<Step> {
            if (next == scenario.steps.size()) {
                return std::nullopt;
            }
            return scenario.steps[next++];
        },
        performed);
}

namespace {

// What kind of difference a divergence starts with, values left out, so that shrinking
// keeps to the fault it started from.
std::string signature(const Divergence& divergence) {
    const std::string& first = divergence.differences.front();
    return first.substr(0, first.find_first_of("\"[#0123456789"));
}

}  // namespace

Scenario shrink(Scenario scenario) {
    const std::optional<Divergence> original = replay(scenario);
    if (!original) {
        return scenario;
    }
    const std::string kind = signature(*original);
    const auto stillDiverges = [&] {
        const std::optional<Divergence> divergence = replay(scenario);
        return divergence && signature(*divergence) == kind;
    };
    const auto dropWhileDiverging = [&](auto& items) {
        for (size_t i = items.size(); i-- > 0;) {
            auto kept = items[i];
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
            if (!stillDiverges()) {
                items.insert(items.begin() + static_cast<std::ptrdiff_t>(i), kept);
            }
        }
    };
    const auto simplify = [&](QString& value) {
        for (const QString& simpler : {QString(), QStringLiteral("x")}) {
            if (value.size() <= simpler.size()) {
                return;
            }
            const QString kept = value;
            value = simpler;
            if (stillDiverges()) {
                return;
            }
            value = kept;
        }
    };
    scenario.steps.resize(original->stepsRun);
    // Dropping records can make steps droppable that were not before, and the reverse.
    for (size_t size = 0; size != scenario.steps.size() + scenario.initial.size();) {
        size = scenario.steps.size() + scenario.initial.size();
        dropWhileDiverging(scenario.steps);
        dropWhileDiverging(scenario.initial);
    }
    for (Step& step : scenario.steps) {
        for (QString& value : step.values) {
            simplify(value);
        }
    }
    for (Values& record : scenario.initial) {
        for (QString& value : record) {
            simplify(value);
        }
    }
    return scenario;
}

std::string describe(const Scenario& scenario, const Divergence& divergence) {
    std::ostringstream text;
    text << "records before opening:";
    for (const Values& values : scenario.initial) {
        text << "\n  " << recordText(values);
    }
    text << "\nsteps (A has the before-post hook and an editor, B has neither):";
    for (size_t i = 0; i < scenario.steps.size(); ++i) {
        text << "\n  " << i + 1 << ". " << describe(scenario.steps[i]);
    }
    text << "\ndifferences after " << divergence.stepsRun << " steps:";
    for (const std::string& difference : divergence.differences) {
        text << "\n  - " << difference;
    }
    return text.str();
}

}  // namespace veltrop::testing
