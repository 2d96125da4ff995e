#include <QRegularExpression>

#include "engine/secret.h"
#include "table_tool/command.h"
#include "table_tool/table_access.h"
#include "table_tool/table_fields.h"
#include "table_tool/tool_error.h"

namespace veltrop::table_tool {

namespace {

void protectWithNewPassword(engine::Session& session, CommandContext& context) {
    session.protectTable(context.fileName, context.passwords.fresh(context.fileName).view());
}

void requireProtection(const std::string& fileName, bool wanted) {
    requireOwnTable(fileName);
    if (isProtected(fileName) != wanted) {
        throw ToolError(fileName + (wanted ? " is not protected; use protect to give it a password"
                                           : " is protected already; use rekey to change its "
                                             "password"));
    }
}

// "FIELD=SIZE" as the new size of a text field of the definition.
void applySize(engine::TableDefinition& definition, const QString& argument) {
    static const QRegularExpression form("^(.+)=([0-9]{1,4})$");
    const auto match = form.match(argument);
    if (!match.hasMatch()) {
        throw UsageError("resize: '" + argument.toStdString() + "' is not FIELD=SIZE");
    }
    const std::string name = match.captured(1).toUpper().toStdString();
    const int size = match.captured(2).toInt();
    for (auto& field : definition.fields) {
        if (field.name != name) {
            continue;
        }
        if (field.kind != engine::FieldKind::Text) {
            throw UsageError("resize: " + name + " is a memo, which has no size to widen");
        }
        if (size > kWidestField) {
            throw UsageError("resize: " + name + " can hold at most " +
                             std::to_string(kWidestField) + " characters");
        }
        if (size < field.size) {
            throw ToolError(name + " holds " + std::to_string(field.size) +
                            " characters; resize only widens a field, so nothing was changed");
        }
        field.size = size;
        return;
    }
    throw UsageError("resize: no field " + name + "; the fields are DESCRIPTION, URL, " +
                     "\"LOGIN ID\" and PASSWORD");
}

}  // namespace

void runProtect(CommandContext& context) {
    requireProtection(context.fileName, false);
    engine::Session session(context.sessionOptions);
    protectWithNewPassword(session, context);
}

void runUnprotect(CommandContext& context) {
    requireProtection(context.fileName, true);
    engine::Session session(context.sessionOptions);
    unlock(session, context.fileName, context.passwords);
    session.unprotectTable(context.fileName);
}

void runRekey(CommandContext& context) {
    requireProtection(context.fileName, true);
    engine::Session session(context.sessionOptions);
    unlock(session, context.fileName, context.passwords);
    protectWithNewPassword(session, context);
}

void runResize(CommandContext& context) {
    requireOwnTable(context.fileName);
    engine::Session session(context.sessionOptions);
    unlock(session, context.fileName, context.passwords);
    // The definition is read through a table that is closed again: the rewrite needs
    // the file alone, this program included.
    engine::TableDefinition wider =
        openCredentialTable(session, context.fileName, engine::OpenMode::ReadOnly)->definition();
    for (const QString& argument : context.arguments) {
        applySize(wider, argument);
    }
    session.restructureTable(context.fileName, wider);
}

}  // namespace veltrop::table_tool
