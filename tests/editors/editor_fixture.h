#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "editors/data_source.h"
#include "editors/db_edit.h"
#include "editors/db_memo.h"
#include "engine/session.h"
#include "platform/program_state.h"
#include "store/table.h"
#include "support/credential_records.h"
#include "support/temp_folder.h"

// Window tests of the data-bound editors: a real table file in a temporary folder,
// the cursor Table1, DataSource1 and the five editors bound as the main window binds
// them, in a shown and active window, driven with real key and mouse events.
namespace veltrop::testing {

// The window holding the editors; it records the keys that reach it from them.
class EditorWindow : public QWidget {
public:
    std::vector<int> keysReceived;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class EditorTest : public ::testing::Test {
protected:
    static const std::vector<Record> kRecords;

    EditorTest();
    ~EditorTest() override;

    // Creates Veltrop.DB holding the records, opens Table1 on it and shows the window.
    void open(const std::vector<Record>& records = kRecords);
    // As open(), on a file without write permission.
    void openReadOnly(const std::vector<Record>& records = kRecords);

    // The user's actions.
    static void clickInto(QWidget* editor);
    // Types each character as one key event carrying its text, as a keyboard layout
    // or an input method delivers it (a character outside the BMP included).
    static void typeText(QWidget* editor, const QString& text);
    static void setClipboardText(const QString& text);
    static QString clipboardText();

    // What the file holds now, read by another cursor.
    std::vector<Record> storedRecords() const;
    // The errors the guard reported since the test began, in order.
    const std::vector<std::string>& reportedErrors() const { return errors_; }

    QString fieldText(const char* name) const;

    ProgramState state_;
    TempFolder folder_;
    engine::Session session_;
    std::unique_ptr<Table> table_;
    EditorWindow window_;
    DataSource* dataSource_ = nullptr;
    DBEdit* dbEdit1_ = nullptr;  // DESCRIPTION
    DBEdit* dbEdit2_ = nullptr;  // URL
    DBEdit* dbEdit3_ = nullptr;  // LOGIN ID
    DBEdit* dbEdit4_ = nullptr;  // PASSWORD
    DBMemo* dbMemo1_ = nullptr;  // NOTE
    std::vector<DBEdit*> lineEditors_;

private:
    void bindEditors();

    std::vector<std::string> errors_;
};

}  // namespace veltrop::testing
