#include "dialogs/select_window.h"

#include <QStringList>

#include "core/guard.h"
#include "dialogs/select_window_layout.h"
#include "platform/guarded_connect.h"
#include "platform/invalid_operation.h"
#include "platform/sans_serif_font.h"
#include "store/credential_table.h"
#include "store/errors.h"

namespace veltrop {

TForm2::TForm2(engine::Session& session, Table::PasswordPrompt prompt, QWidget* parent)
    : Form(parent), table1_("Table1", session, credentials::kFileName, credentials::definition()) {
    setWindowTitle(QString::fromLatin1(form2::kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(form2::kClientSize);
    setFont(sansSerifFont(form2::kFontPixels));
    table1_.setPasswordPrompt(std::move(prompt));
    table1_.open();
    buildControls();
}

// The grid's model lets go of the cursor before the cursor goes.
TForm2::~TForm2() {
    delete dbGrid1_;
}

void TForm2::buildControls() {
    groupBox1_ = new QGroupBox(QString::fromLatin1(form2::kGroupBoxCaption), this);
    groupBox1_->setObjectName(QStringLiteral("GroupBox1"));
    groupBox1_->setGeometry(form2::kGroupBox1);

    dbGrid1_ = new RecordView(groupBox1_);
    dbGrid1_->setObjectName(QStringLiteral("DBGrid1"));
    dbGrid1_->setGeometry(form2::kDBGrid1);
    dbGrid1_->setAccessibleName(groupBox1_->title());
    dbGrid1_->setRecordModel(
        new RecordModel(table1_, {form2::kColumns.begin(), form2::kColumns.end()}, dbGrid1_));
    dbGrid1_->setFocus();
    connectGuarded(dbGrid1_, &RecordView::doubleClickedAnywhere, this, &TForm2::DBGrid1DblClick);
}

void TForm2::refreshAfterClose() {
    table1_.Refresh();
    dbGrid1_->viewport()->update();
}

void TForm2::DBGrid1DblClick() {
    if (!mainTable_) {
        throw InvalidOperation("The selection window has no main table");
    }
    QStringList values;
    for (int field = 0; field < static_cast<int>(form2::kColumns.size()); ++field) {
        values.append(dbGrid1_->fieldText(field));
    }
    try {
        mainTable_->Locate(QString::fromLatin1(credentials::kLocateKey), values);
    } catch (const Abort&) {
        // "Save Changes?" answered Cancel: no choice, and the main window is usable.
        setModalResult(ModalResult::Cancel);
        throw;
    } catch (...) {
        // The save confirmation hid this window before the failure: left hidden, its
        // loop would keep every other window disabled with nothing to end it.
        if (!isVisible()) {
            setModalResult(ModalResult::Cancel);
        }
        throw;
    }
    setModalResult(ModalResult::Chosen);
    dbGrid1_->viewport()->update();
}

}  // namespace veltrop
