#include "platform/program_state.h"

namespace veltrop {

namespace {

ProgramState*& newest() {
    static ProgramState* state = nullptr;
    return state;
}

// Code that runs before any application exists (and tests of single widgets) still
// finds a state.
ProgramState& fallback() {
    static ProgramState state;
    return state;
}

}  // namespace

ProgramState::ProgramState() : previous_(newest()) {
    if (previous_) {
        errorReporter = previous_->errorReporter;
    }
    newest() = this;
    setErrorReporterHook(&errorReporter);
}

ProgramState::~ProgramState() {
    newest() = previous_;
    setErrorReporterHook(previous_ ? &previous_->errorReporter : nullptr);
}

ProgramState& programState() {
    return newest() ? *newest() : fallback();
}

}  // namespace veltrop
