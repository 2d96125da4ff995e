#include "platform/form_accessibility.h"

#include <QAccessibleWidget>

#include "platform/form.h"

namespace veltrop {

namespace {

// A window's accessible name is its caption, as for any top-level widget.
QAccessibleInterface* formInterface(const QString& /*className*/, QObject* object) {
    auto* form = qobject_cast<Form*>(object);
    return form ? new QAccessibleWidget(form, form->accessibleRole()) : nullptr;
}

}  // namespace

void installFormAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(formInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace veltrop
