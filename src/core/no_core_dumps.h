#pragma once

namespace veltrop {

// Keeps this process's memory, with the passwords and keys in it, out of core files and
// away from debuggers of the same user: no dumps, even where a crash handler ignores the
// core limit, and no ptrace attach without the privilege for it. Call it first in main.
void disableCoreDumps();

}  // namespace veltrop
