#pragma once

#include "engine/session.h"
#include "platform/form.h"
#include "store/table.h"

namespace veltrop {

// The record selection window "Select": always on top, with a cursor of its own on
// the credential table, opened when the window is created.
class TForm2 : public Form {
    Q_OBJECT

public:
    TForm2(engine::Session& session, Table::PasswordPrompt prompt, QWidget* parent = nullptr);

    Table& Table1() { return table1_; }

private:
    Table table1_;
};

}  // namespace veltrop
