#include "editor_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>

#include "core/guard.h"
#include "engine/error.h"
#include "store/credential_table.h"
#include "store/errors.h"

namespace veltrop::testing {

const std::vector<Record> EditorTest::kRecords = {
    {"Mail", "https://mail.example.org", "anna", "first-pass", "two\nlines"},
    {"Bank", "https://bank.example.org", "anna.k", "pin-1234", ""},
};

void EditorWindow::keyPressEvent(QKeyEvent* event) {
    keysReceived.push_back(event->key());
}

EditorTest::EditorTest() {
    state_.errorReporter = [this](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const Abort&) {
        } catch (const std::exception& caught) {
            errors_.push_back(caught.what());
        }
    };
    table_ = std::make_unique<Table>("Table1", session_, credentials::kFileName,
                                     credentials::definition());
    dataSource_ = new DataSource(table_.get(), &window_);
    auto* layout = new QVBoxLayout(&window_);
    for (DBEdit** editor : {&dbEdit1_, &dbEdit2_, &dbEdit3_, &dbEdit4_}) {
        *editor = new DBEdit(&window_);
        layout->addWidget(*editor);
        lineEditors_.push_back(*editor);
    }
    dbMemo1_ = new DBMemo(&window_);
    layout->addWidget(dbMemo1_);
    bindEditors();
}

EditorTest::~EditorTest() {
    window_.hide();
    table_->close();
}

void EditorTest::bindEditors() {
    const char* const names[] = {credentials::kDescription, credentials::kUrl,
                                 credentials::kLoginId, credentials::kPassword};
    for (size_t i = 0; i < lineEditors_.size(); ++i) {
        lineEditors_[i]->setDataSource(dataSource_);
        lineEditors_[i]->setDataField(names[i]);
    }
    dbMemo1_->setDataSource(dataSource_);
    dbMemo1_->setDataField(credentials::kNote);
}

void EditorTest::open(const std::vector<Record>& records) {
    createCredentialTable(session_, credentials::kFileName, records);
    table_->open();
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
}

void EditorTest::openReadOnly(const std::vector<Record>& records) {
    createCredentialTable(session_, credentials::kFileName, records);
    namespace fs = std::filesystem;
    fs::permissions(credentials::kFileName,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    table_->open();
    ASSERT_TRUE(table_->readOnly());
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
}

void EditorTest::clickInto(QWidget* editor) {
    QWidget* target = editor;
    if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) {
        target = memo->viewport();
    }
    QTest::mouseClick(target, Qt::LeftButton);
    ASSERT_TRUE(editor->hasFocus());
}

void EditorTest::typeText(QWidget* editor, const QString& text) {
    for (const char32_t codePoint : text.toUcs4()) {
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString::fromUcs4(&codePoint, 1),
                            Qt::NoModifier);
    }
}

void EditorTest::setClipboardText(const QString& text) {
    QApplication::clipboard()->setText(text);
}

QString EditorTest::clipboardText() {
    return QApplication::clipboard()->text();
}

std::vector<Record> EditorTest::storedRecords() const {
    return recordsInFile(credentials::kFileName);
}

QString EditorTest::fieldText(const char* name) const {
    return table_->fieldByName(name).asString();
}

}  // namespace veltrop::testing
