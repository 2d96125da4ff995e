#include "app/conflict_copies_notice.h"

#include <QTimer>

#include "core/guard.h"
#include "engine/conflict_copies.h"
#include "platform/program_state.h"

namespace veltrop {

QString conflictCopiesText(const std::string& tableFileName) {
    const auto copies = engine::findConflictCopies(tableFileName);
    if (copies.empty()) {
        return {};
    }
    return QStringLiteral(
               "%1 has %2 conflicting copies from a file-sync service beside it. Run "
               "'veltrop-table merge --conflicts' to bring their records in.")
        .arg(QString::fromStdString(tableFileName))
        .arg(copies.size());
}

void tellOfConflictCopiesAfterShow(const std::string& tableFileName) {
    const QString text = conflictCopiesText(tableFileName);
    if (text.isEmpty()) {
        return;
    }
    QTimer::singleShot(0, [text] {
        guarded([&] {
            if (programState().notice) {
                programState().notice(text);
            }
        });
    });
}

}  // namespace veltrop
