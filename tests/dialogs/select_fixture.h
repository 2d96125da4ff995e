#pragma once

#include <QScrollBar>
#include <memory>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "dialogs/select_window.h"
#include "engine/session.h"
#include "support/credential_records.h"
#include "support/temp_folder.h"

namespace veltrop::testing {

// Record i of the generated tables: every field tells which record it is.
inline Record site(int index) {
    const std::string n = std::to_string(index);
    return {"Site " + n, "https://site" + n + ".example", "user" + n, "pw" + n, "note " + n};
}

inline std::vector<Record> sites(int count) {
    std::vector<Record> records;
    for (int index = 0; index < count; ++index) {
        records.push_back(site(index));
    }
    return records;
}

// The selection window on a table of its own in a fresh working folder.
class SelectTest : public DialogTest {
protected:
    TForm2& openSelection(const std::vector<Record>& records) {
        createCredentialTable(session_, credentials::kFileName, records);
        form2_ = std::make_unique<TForm2>(session_, Table::PasswordPrompt());
        return *form2_;
    }

    RecordView& grid() { return form2_->DBGrid1(); }

    // The description of the grid's current row, "" for none.
    std::string currentDescription() { return grid().fieldText(0).toStdString(); }

    // The middle of a row's description, in the shown window: clicks go through the
    // window system's path, which makes a double-click of two presses.
    QPoint rowPoint(int row) {
        const QPoint inGrid(grid().columnWidth(0) / 2,
                            row * grid().rowPitch() + grid().rowPitch() / 2);
        return grid().viewport()->mapTo(form2_.get(), inGrid);
    }
    void clickRow(int row) {
        QTest::mouseClick(form2_->windowHandle(), Qt::LeftButton, {}, rowPoint(row));
    }
    void doubleClickRow(int row) {
        QTest::mouseDClick(form2_->windowHandle(), Qt::LeftButton, {}, rowPoint(row));
    }

    TempFolder folder_;
    engine::Session session_;
    std::unique_ptr<TForm2> form2_;
};

}  // namespace veltrop::testing
