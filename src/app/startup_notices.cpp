#include "app/startup_notices.h"

#include <QTimer>

#include "core/guard.h"
#include "engine/conflict_copies.h"
#include "engine/file_owner.h"
#include "platform/program_state.h"

namespace veltrop {

QStringList startupNotices(const std::string& tableFileName) {
    QStringList notices;
    const auto copies = engine::findConflictCopies(tableFileName);
    if (!copies.empty()) {
        notices << QStringLiteral(
                       "%1 has %2 conflicting copies from a file-sync service beside "
                       "it. Run 'veltrop-table merge --conflicts' to bring their "
                       "records in.")
                       .arg(QString::fromStdString(tableFileName))
                       .arg(copies.size());
    }
    for (const auto& warning : engine::ownerWarnings(tableFileName)) {
        notices << QString::fromStdString(warning) + ".";
    }
    return notices;
}

void tellAfterShow(const QStringList& notices) {
    if (notices.isEmpty()) {
        return;
    }
    QTimer::singleShot(0, [notices] {
        guarded([&] {
            for (const QString& text : notices) {
                if (programState().notice) {
                    programState().notice(text);
                }
            }
        });
    });
}

}  // namespace veltrop
