#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/program_windows.h"
#include "application_environment.h"
#include "dialogs/confirm.h"
#include "dialogs/select_window.h"
#include "main_window/form1.h"
#include "platform/program_state.h"
#include "platform/termination.h"
#include "platform/window_hook.h"
#include "support/credential_records.h"
#include "support/raw_database.h"
#include "support/temp_folder.h"

namespace veltrop::testing {

enum class Answer { Ok, Cancel };

inline const std::vector<Record> kRecords = {
    {"Bank", "bank.example", "anna", "pin-1234", "first"},
    {"Mail", "mail.example", "anna.k", "secret", "two\nlines"},
    {"Shop", "shop.example", "ak", "s3cret", ""},
};
// The first record after "9" was typed at the end of its password.
inline const Record kEdited = {"Bank", "bank.example", "anna", "pin-12349", "first"};

inline const QString kAdd = "Add New Entry?";
inline const QString kSave = "Save Changes?";
inline const QString kDelete = "Delete Current Entry?";

// What the user saw when Form3 came up.
struct Question {
    QString caption;
    QPoint offset;  // from the main window's top-left corner
    bool mainWindowEnabled;
    bool selectionWindowVisible;
};

// The program's three windows, made and wired as start-up does, on a table of their
// own in a fresh working folder. Every question Form3 asks is answered by clicking
// its OK or Cancel button, in the order the test gave; the test fails on a question
// it did not expect, and on an answer that no question used.
class CommandsTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(answers_.empty()) << answers_.size() << " answers were not asked for";
        if (isTerminating()) {
            // The main loop takes the quit that ending the program posted, so that it
            // ends no loop of a later test.
            EXPECT_EQ(QApplication::exec(), 0);
        }
        clearRecordedBoxes();
    }

    void openWindows(const std::vector<Record>& records = {}, engine::SessionOptions options = {}) {
        createTable(records, std::move(options));
        openWindowsOnTable();
    }
    void createTable(const std::vector<Record>& records, engine::SessionOptions options = {}) {
        session_.emplace(std::move(options));
        createCredentialTable(*session_, credentials::kFileName, records);
    }
    // The main window's icon goes to the given notification area, else the desktop's.
    void openWindowsOnTable(std::unique_ptr<NotificationArea> area = nullptr,
                            const Table::PasswordPrompt& prompt = {}) {
        if (area) {
            form1_ = std::make_unique<TForm1>(*session_, prompt, std::move(area));
        } else {
            form1_ = windows_.createForm1(*session_, prompt);
        }
        form2_ = windows_.createForm2(*session_, prompt);
        form3_ = windows_.createForm3();
        windows_.connectWindows(*form1_, *form2_, *form3_);
        programState().mainForm = form1_.get();
        form1_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1_.get()));
        watchShown(*form3_, [this] { answerQuestion(); });
        watchShown(*form2_, [this] {
            if (inSelection_) {
                inSelection_(form2());
            }
            if (form2().showingModal() && form2().modalResult() == ModalResult::Running) {
                ADD_FAILURE() << "the selection window was left waiting";
                form2().setModalResult(ModalResult::Cancel);
            }
        });
    }

    // As shutdown does: in reverse order, closing the cursors without posting.
    void closeWindows() {
        programState().mainForm = nullptr;
        form3_.reset();
        form2_.reset();
        form1_.reset();
    }

    engine::Session& session() { return *session_; }
    TForm1& form1() { return static_cast<TForm1&>(*form1_); }
    TForm2& form2() { return static_cast<TForm2&>(*form2_); }
    TForm3& form3() { return static_cast<TForm3&>(*form3_); }
    Table& table() { return form1().Table1(); }

    void answer(const std::vector<Answer>& answers) {
        answers_.insert(answers_.end(), answers.begin(), answers.end());
    }
    // Runs each time Form2 has come up, inside its modal loop.
    void whileSelectionShown(std::function<void(TForm2&)> action) {
        inSelection_ = std::move(action);
    }

    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Through the window system's path, which makes a double-click of two presses.
    static void doubleClickRow(TForm2& form, int row) {
        RecordView& grid = form.DBGrid1();
        const QPoint inGrid(grid.columnWidth(0) / 2, row * grid.rowPitch() + grid.rowPitch() / 2);
        QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, {},
                           grid.viewport()->mapTo(&form, inGrid));
    }

    // Clicks into the editor and types at the end of its text, which starts editing.
    void type(QLineEdit* editor, const QString& text) {
        editor->setFocus(Qt::MouseFocusReason);
        editor->end(false);
        QTest::keyClicks(editor, text);
    }

    // What the five editors show.
    Record shown() {
        Record record;
        for (DBEdit* edit :
             {form1().DBEdit1(), form1().DBEdit2(), form1().DBEdit3(), form1().DBEdit4()}) {
            record.push_back(edit->text().toStdString());
        }
        record.push_back(form1().DBMemo1()->toPlainText().toStdString());
        return record;
    }

    // The records in the table file, read past the program's own engine; a missing
    // value reads as an empty text.
    static std::vector<Record> storedRecords() {
        RawDatabase raw(credentials::kFileName);
        const int count = std::stoi(raw.row("SELECT count(*) FROM records").at(0).bytes);
        std::vector<Record> records;
        for (int index = 0; index < count; ++index) {
            Record record;
            for (const StoredValue& value :
                 raw.row(R"(SELECT "DESCRIPTION", "URL", "LOGIN ID", "PASSWORD", "NOTE")"
                         " FROM records ORDER BY recno LIMIT 1 OFFSET " +
                         std::to_string(index))) {
                record.push_back(value.bytes);
            }
            records.push_back(record);
        }
        return records;
    }

    std::vector<QString> captionsAsked() const {
        std::vector<QString> captions;
        for (const Question& question : asked_) {
            captions.push_back(question.caption);
        }
        return captions;
    }

    std::vector<Question> asked_;

private:
    // The show event comes before the modal loop has cleared the form's result, so
    // the reaction waits until the loop runs.
    void watchShown(Form& form, std::function<void()> reaction) {
        auto* hook = new WindowHook(form, [&form, reaction](QObject&, QEvent& event) {
            if (event.type() == QEvent::Show) {
                QTimer::singleShot(0, &form, reaction);
            }
        });
        hook->setParent(&form);
    }

    void answerQuestion() {
        asked_.push_back({form3().windowTitle(), form3().pos() - form1().pos(), form1().isEnabled(),
                          form2().isVisible()});
        Answer given = Answer::Cancel;
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected question " << form3().windowTitle().toStdString();
        } else {
            given = answers_.front();
            answers_.pop_front();
        }
        click(given == Answer::Ok ? form3().BitBtn1() : form3().BitBtn2());
    }

    ProgramState state_;
    TempFolder folder_;
    std::optional<engine::Session> session_;
    ProgramWindows windows_;
    std::unique_ptr<Form> form1_;
    std::unique_ptr<Form> form2_;
    std::unique_ptr<Form> form3_;
    std::deque<Answer> answers_;
    std::function<void(TForm2&)> inSelection_;
};

}  // namespace veltrop::testing
