#include "editors/data_source.h"

#include <algorithm>

#include "editors/field_link.h"
#include "store/table.h"

namespace veltrop {

DataSource::DataSource(Table* table, QObject* parent) : QObject(parent), table_(table) {
    table_->addListener(this);
}

DataSource::~DataSource() {
    table_->removeListener(this);
    for (FieldLink* link : links_) {
        link->dataSourceDestroyed();
    }
}

void DataSource::addLink(FieldLink* link) {
    links_.push_back(link);
}

void DataSource::removeLink(FieldLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

template <typename Tell>
void DataSource::tellLinks(Tell tellOne) {
    // By index: a control told of a change may bind or unbind links meanwhile.
    for (size_t i = 0; i < links_.size(); ++i) {
        tellOne(*links_[i]);
    }
}

void DataSource::tableStateChanged() {
    tellLinks([](FieldLink& link) { link.tableStateChanged(); });
}

void DataSource::recordChanged() {
    tellLinks([](FieldLink& link) { link.recordChanged(); });
}

void DataSource::fieldChanged(int field) {
    tellLinks([field](FieldLink& link) { link.fieldChanged(field); });
}

void DataSource::updateRecord() {
    tellLinks([](FieldLink& link) { link.updateRecord(); });
}

}  // namespace veltrop
