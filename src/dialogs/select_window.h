#pragma once

#include <QGroupBox>

#include "dialogs/record_view.h"
#include "engine/session.h"
#include "platform/form.h"
#include "store/table.h"

namespace veltrop {

// The record selection window "Select": an always-on-top list of the credential
// records, read through a cursor of its own that is opened when the window is
// created. A double-click on a row finds the same record in the main window's
// cursor and ends the modal loop with ModalResult::Chosen.
//
// The caller (Find) moves the window, runs showModal(), and afterwards calls
// refreshAfterClose(), whatever the result was.
class TForm2 : public Form {
    Q_OBJECT

public:
    TForm2(engine::Session& session, Table::PasswordPrompt prompt, QWidget* parent = nullptr);
    ~TForm2() override;

    Table& Table1() { return table1_; }
    RecordView& DBGrid1() { return *dbGrid1_; }
    QGroupBox& GroupBox1() { return *groupBox1_; }

    // The cursor in which a double-click locates the chosen record: the main
    // window's Table1. Start-up wires it once all windows exist.
    void setMainTable(Table* table) { mainTable_ = table; }

    // Re-reads the table through Table1, keeping the current row where it still
    // exists, and repaints the grid. Table1().Refresh() alone does the same: the grid
    // follows its cursor.
    void refreshAfterClose();

    // The choice: locates the current row's DESCRIPTION, URL, LOGIN ID and PASSWORD
    // in the main cursor, which first settles a pending change there (and may ask
    // "Save Changes?"). Found or not, the loop ends with ModalResult::Chosen. When the settle is
    // answered Cancel (the silent abort), or a failure has left this window hidden,
    // the loop ends with ModalResult::Cancel instead, so the main window is usable again; the
    // exception travels on to the caller's guard.
    void DBGrid1DblClick();

private:
    void buildControls();

    Table table1_;
    Table* mainTable_ = nullptr;
    QGroupBox* groupBox1_ = nullptr;
    RecordView* dbGrid1_ = nullptr;
};

}  // namespace veltrop
