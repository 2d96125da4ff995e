#pragma once

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QWidget>

#include "core/guard.h"
#include "editors/editor_input.h"
#include "editors/field_control.h"
#include "editors/field_link.h"

namespace veltrop {

class DataSource;

// What DBEdit and DBMemo share: a Qt text control (Control) bound through a field link
// to one field of a data source's current record.
template <typename Control>
class DataBoundEditor : public Control, protected FieldControl {
public:
    explicit DataBoundEditor(QWidget* parent) : Control(parent), link_(*this) {
        this->setReadOnly(true);
    }

    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    DataSource* dataSource() const { return link_.dataSource(); }
    void setDataField(const QString& name) { link_.setFieldName(name); }
    const QString& dataField() const { return link_.fieldName(); }
    Field* field() const { return link_.field(); }
    // The typed text not yet written into the record differs from what was loaded.
    bool modified() const { return link_.modified(); }

    // Asks for editing as a key would, then inserts the clipboard's text at the caret in
    // place of the selection (as far as the control takes it).
    void pasteFromClipboard() {
        if (!link_.edit()) {
            return;
        }
        const QString pasted = QGuiApplication::clipboard()->text();
        if (!pasted.isEmpty()) {
            insertText(pasted);
        }
    }

protected:
    // Composed text asks for editing like a typed key.
    void inputMethodEvent(QInputMethodEvent* event) override {
        guarded([&] {
            if (asksForEditing(*event) && !link_.edit()) {
                event->ignore();
                return;
            }
            Control::inputMethodEvent(event);
        });
    }

    virtual void insertText(const QString& text) = 0;

    FieldLink link_;
};

}  // namespace veltrop
