#pragma once

#include "engine/secret.h"

class QLineEdit;

namespace veltrop {

// What was typed into the editor, as UTF-8 in locked memory. The editor is emptied (its
// undo history too) and the text read from it wiped, so that the only copy left is
// the one returned.
engine::Secret takeTypedSecret(QLineEdit& editor);

}  // namespace veltrop
