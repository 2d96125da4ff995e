#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace veltrop {

// Keeps what is typed, pasted or dropped into a line edit within a number of
// characters (Unicode code points, as the fields count them; the line edit's own
// limit counts UTF-16 units): of an insertion only what still fits gets in, never
// half a character, and an insertion of which nothing fits is refused. The owner
// sets the limit to 0 while it loads a text that must be shown as it is.
class CodePointLimit : public QValidator {
public:
    explicit CodePointLimit(QLineEdit& edit);

    // 0: no limit.
    void setLimit(int limit) { limit_ = limit; }
    int limit() const { return limit_; }

    State validate(QString& input, int& pos) const override;

private:
    struct Range {
        qsizetype start;
        qsizetype end;
    };

    void rememberText();
    void rememberSelection();
    Range insertedRange(const QString& input) const;

    QLineEdit& edit_;
    int limit_ = 0;
    // The line edit's text and selection as they were before the change being checked.
    QString before_;
    qsizetype selectionStart_ = 0;
    qsizetype selectionEnd_ = 0;
};

}  // namespace veltrop
