#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "model_run.h"
#include "random_text.h"

namespace veltrop::testing {
namespace {

constexpr int kSequences = 300;
constexpr size_t kStepsPerSequence = 40;
constexpr int kFailuresShown = 3;
constexpr std::uint64_t kDefaultSeed = 0x5eed2024;

// VELTROP_TABLE_MODEL_SEED=<seed> runs the sequence of that seed first.
std::uint64_t baseSeed() {
    const char* text = std::getenv("VELTROP_TABLE_MODEL_SEED");
    return text ? std::strtoull(text, nullptr, 0) : kDefaultSeed;
}

std::vector<Values> randomRecords(Random& rng) {
    std::vector<Values> records(chance(rng, 30) ? 0 : 1 + pick(rng, 5));
    for (size_t i = 0; i < records.size(); ++i) {
        for (int field = 0; field < kFieldCount; ++field) {
            records[i][field] = TableModel::cutToField(field, randomFieldText(rng, field));
        }
        // Records equal in their key fields, to find the first of them again.
        if (i > 0 && chance(rng, 25)) {
            std::copy_n(records[i - 1].begin(), kKeyFieldCount, records[i].begin());
        }
    }
    return records;
}

// The situations the cursor's rules single out, counted so that a change to the step
// generator cannot quietly stop reaching them.
class Coverage {
public:
    void before(const TableModel& model, const Step& step) {
        const TableModel::Cursor& cursor = model.cursor(step.cursor);
        const bool editing = cursor.editing();
        const bool gone = model.standsOnGoneRecord(step.cursor);
        const auto& records = model.records();
        const bool onLast = !records.empty() && cursor.current == records.back().serial;
        switch (step.op) {
            case Op::Edit:
                count(!editing && !cursor.current, "Edit on an empty table");
                count(!editing && gone, "Edit of a record removed through the other cursor");
                break;
            case Op::Delete:
                count(cursor.state == TableState::Insert, "Delete in insert state");
                count(!editing && gone, "Delete of a record removed through the other cursor");
                count(!editing && !gone && onLast && records.size() > 1,
                      "Delete of the last of several records");
                break;
            case Op::Cancel:
                count(cursor.state == TableState::Insert, "Cancel after Insert");
                break;
            case Op::Locate:
                count(model.recordsWithKey(step.values) > 1, "Locate of a key two records share");
                count(model.recordsWithKey(step.values) == 0, "Locate of a missing key");
                break;
            case Op::Refresh:
                count(!editing && gone, "Refresh after the current record was removed");
                break;
            default:
                break;
        }
        const bool settles = step.op == Op::Insert || step.op == Op::Locate ||
                             step.op == Op::Refresh || step.op == Op::First || step.op == Op::Next;
        count(settles && editing && (cursor.modified || cursor.pending),
              "settling a changed record");
        count(settles && editing && !cursor.modified && !cursor.pending,
              "settling an untouched record");
        count(step.op == Op::Type, "editor text written back");
        const bool dropsInsert = cursor.state == TableState::Insert &&
                                 (step.op == Op::Cancel || step.op == Op::Delete ||
                                  (settles && !cursor.modified && !cursor.pending));
        count(dropsInsert && cursor.beforeInsert &&
                  std::none_of(
                      records.begin(), records.end(),
                      [&](const auto& record) { return record.serial == cursor.beforeInsert; }),
              "insert dropped, the record before it removed");
    }

    void after(const Step& step, const Outcome& expected) {
        if (!expected.error) {
            count(step.op == Op::Post && step.cursor == 1, "Post without a hook");
            count(expected.hookRuns > 0 && step.hook == HookAction::CancelOnly,
                  "hook that cancels without a veto");
            return;
        }
        count(expected.error->code == engine::ErrorCode::RecordLocked,
              "record locked by the other cursor");
        count(expected.hookRuns > 0 && step.hook == HookAction::CancelAndAbort,
              "veto after Cancel");
        count(expected.hookRuns > 0 && step.hook == HookAction::Abort, "veto without Cancel");
    }

    const std::map<std::string, int>& counts() const { return counts_; }

private:
    void count(bool happened, const std::string& situation) {
        counts_[situation] += happened ? 1 : 0;
    }

    std::map<std::string, int> counts_;
};

TEST(TableModelTest, RandomSequencesOnTwoCursorsFollowTheModel) {
    const std::uint64_t base = baseSeed();
    Coverage coverage;
    int failures = 0;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        const std::uint64_t seed = base + static_cast<std::uint64_t>(sequence);
        Random rng(seed);
        Scenario scenario{randomRecords(rng), {}};
        std::optional<Divergence> divergence = runAgainstModel(
            scenario.initial,
            [&](const TableModel& model) -> std::optional<Step> {
                if (scenario.steps.size() == kStepsPerSequence) {
                    return std::nullopt;
                }
                Step step = randomStep(rng, model);
                coverage.before(model, step);
                return step;
            },
            scenario.steps,
            [&](const Step& step, const Outcome& expected) { coverage.after(step, expected); });
        if (!divergence || ++failures > kFailuresShown) {
            continue;
        }
        const Scenario smallest = shrink(scenario);
        const std::optional<Divergence> smallestDivergence = replay(smallest);
        ADD_FAILURE() << "sequence with seed " << seed << " left the model.\n"
                      << describe(scenario, *divergence) << "\n\nshrunk to:\n"
                      << (smallestDivergence ? describe(smallest, *smallestDivergence)
                                             : std::string("(no longer diverges)"));
    }
    EXPECT_EQ(failures, 0) << "of " << kSequences << " sequences from seed " << base;
    for (const auto& [situation, times] : coverage.counts()) {
        EXPECT_GT(times, 0) << "never reached: " << situation;
    }
}

}  // namespace
}  // namespace veltrop::testing
