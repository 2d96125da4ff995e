#include "app/window_set.h"

#include "platform/program_state.h"

namespace veltrop {

WindowSet::~WindowSet() {
    destroy();
}

void WindowSet::create(const WindowFactory& factory, engine::Session& session) {
    const Table::PasswordPrompt prompt = factory.passwordPrompt(session);
    form1_ = factory.createForm1(session, prompt);
    programState().mainForm = form1_.get();
    form2_ = factory.createForm2(session, prompt);
    form3_ = factory.createForm3();
    factory.connectWindows(*form1_, *form2_, *form3_);
}

void WindowSet::destroy() {
    form3_.reset();
    form2_.reset();
    if (programState().mainForm == form1_.get()) {
        programState().mainForm = nullptr;
    }
    form1_.reset();
}

}  // namespace veltrop
