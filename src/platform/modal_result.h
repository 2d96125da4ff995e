#pragma once

namespace veltrop {

// The integer with which a modal window ends. Any other non-zero value ends the
// loop as well; these are the ones the program's windows use.
struct ModalResult {
    static constexpr int Running = 0;
    static constexpr int Ok = 1;
    static constexpr int Cancel = 2;  // also the close box, Escape and a terminating program
    static constexpr int Chosen = 8;  // a record was chosen in the selection window
};

}  // namespace veltrop
