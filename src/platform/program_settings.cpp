#include "platform/program_settings.h"

#include <QSettings>
#include <QStandardPaths>

#include <optional>

namespace veltrop {

namespace {

std::optional<int> wholeNumber(const QString& text, int largest) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < 0 || number > largest) {
        return std::nullopt;
    }
    return number;
}

std::optional<bool> truthValue(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("1")) {
        return true;
    }
    if (word == QLatin1String("false") || word == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

// Reads one key into setting when it is there and well-formed; warns otherwise.
template <typename Value, typename Parse>
void readKey(const QSettings& file, const char* key, const char* expected, Value& setting,
             Parse parse, QStringList& warnings) {
    const QString name = QString::fromLatin1(key);
    if (!file.contains(name)) {
        return;
    }
    const QVariant raw = file.value(name);
    // A value with a comma reads as a list: malformed too.
    const std::optional<Value> parsed =
        raw.typeId() == QMetaType::QString ? parse(raw.toString()) : std::nullopt;
    if (parsed) {
        setting = *parsed;
        return;
    }
    warnings << QStringLiteral("%1: %2 is not %3; the default %4 holds")
                    .arg(file.fileName(), name, QString::fromLatin1(expected),
                         QVariant(setting).toString());
}

}  // namespace

QString programSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/veltrop/veltrop.conf");
}

ProgramSettings readProgramSettings(const QString& fileName, QStringList& warnings) {
    ProgramSettings settings;
    const QSettings file(fileName, QSettings::IniFormat);
    if (file.status() == QSettings::FormatError) {
        warnings << QStringLiteral("%1: not a settings file; the defaults hold").arg(fileName);
        return settings;
    }
    // A day at most, so that the timers' milliseconds never overflow.
    readKey(
        file, "ClipboardClearSeconds", "a number of seconds from 0 to 86400",
        settings.clipboardClearSeconds,
        [](const QString& text) { return wholeNumber(text, 86400); }, warnings);
    readKey(file, "LockOnScreenLock", "true or false", settings.lockOnScreenLock, truthValue,
            warnings);
    readKey(
        file, "LockAfterIdleMinutes", "a number of minutes from 0 to 1440",
        settings.lockAfterIdleMinutes, [](const QString& text) { return wholeNumber(text, 1440); },
        warnings);
    return settings;
}

}  // namespace veltrop
