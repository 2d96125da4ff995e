#include "editors/field_link.h"

#include "core/guard.h"
#include "editors/data_source.h"
#include "editors/field_control.h"
#include "store/field.h"
#include "store/table.h"

namespace veltrop {

FieldLink::FieldLink(FieldControl& control) : control_(control) {}

FieldLink::~FieldLink() {
    if (source_) {
        source_->removeLink(this);
    }
}

void FieldLink::setDataSource(DataSource* source) {
    if (source == source_) {
        return;
    }
    if (source_) {
        source_->removeLink(this);
    }
    source_ = source;
    field_ = nullptr;
    if (source_) {
        source_->addLink(this);
    }
    tableStateChanged();
}

void FieldLink::setFieldName(const QString& name) {
    fieldName_ = name;
    field_ = nullptr;
    tableStateChanged();
}

Table* FieldLink::table() const {
    return source_ ? source_->table() : nullptr;
}

bool FieldLink::canModify() const {
    const Table* bound = table();
    return field_ && bound->active() && !bound->readOnly();
}

void FieldLink::bindField() {
    Table* bound = table();
    if (!bound || !bound->active()) {
        field_ = nullptr;
    } else if (!field_) {
        field_ = bound->findField(fieldName_);
    }
}

void FieldLink::setEditing(bool editing) {
    editing_ = editing;
    control_.setEditing(editing);
}

void FieldLink::textChanged() {
    if (!loading_) {
        modified_ = true;
    }
}

bool FieldLink::edit() {
    if (!canModify()) {
        return false;
    }
    if (table()->state() == TableState::Browse) {
        guarded([&] { table()->Edit(); });
    }
    return editing_;
}

void FieldLink::reset() {
    loading_ = true;
    control_.showField(field_);
    loading_ = false;
    shownText_ = control_.controlText();
    modified_ = false;
}

void FieldLink::updateRecord() {
    if (!modified_ || !field_) {
        return;
    }
    // Typing the shown text back in is no change: the stored value, which may hold
    // what the control cannot show, stays as it is.
    if (control_.controlText() != shownText_) {
        field_->setAsString(control_.controlText());
    }
    modified_ = false;
}

bool FieldLink::exit() {
    try {
        updateRecord();
    } catch (...) {
        control_.returnFocus(std::current_exception());
        return false;
    }
    focused_ = false;
    return true;
}

void FieldLink::tableStateChanged() {
    bindField();
    const Table* bound = table();
    setEditing(canModify() &&
               (bound->state() == TableState::Edit || bound->state() == TableState::Insert));
    reset();
}

void FieldLink::recordChanged() {
    reset();
}

void FieldLink::fieldChanged(int index) {
    if (field_ && field_->index() == index) {
        reset();
    }
}

void FieldLink::dataSourceDestroyed() {
    source_ = nullptr;
    field_ = nullptr;
    setEditing(false);
}

}  // namespace veltrop
