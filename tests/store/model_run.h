#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model_step.h"
#include "table_model.h"

namespace veltrop::testing {

// Records in the file before both cursors open, and the steps run on them.
struct Scenario {
    std::vector<Values> initial;
    std::vector<Step> steps;
};

// Where the cursors first left the model: after how many steps (0: right after
// opening) and every difference seen at that point.
struct Divergence {
    size_t stepsRun = 0;
    std::vector<std::string> differences;
};

using StepSource = std::function<std::optional<Step>(const TableModel&)>;
using StepObserver = std::function<void(const Step&, const Outcome& expected)>;

// Opens both cursors on a fresh table in a temporary folder, then runs the steps
// nextStep hands out until it returns nothing, comparing cursors, table file and
// every outcome with the model after each. `performed` receives the steps run;
// observe, when given, sees each step with the outcome the model predicted.
std::optional<Divergence> runAgainstModel(const std::vector<Values>& initial,
                                          const StepSource& nextStep, std::vector<Step>& performed,
                                          const StepObserver& observe = {});

std::optional<Divergence> replay(const Scenario& scenario);

// Drops initial records and steps one at a time while the scenario still diverges.
Scenario shrink(Scenario scenario);

std::string describe(const Scenario& scenario, const Divergence& divergence);

}  // namespace veltrop::testing
