#pragma once

#include "editors/db_memo.h"

namespace veltrop {

// The note's editor as the main window shows it: exactly one line of the note
// visible, centred in the editor's height like the text of a single-line editor;
// the rest of the note scrolls within that line.
class OneLineMemo : public DBMemo {
    Q_OBJECT

public:
    OneLineMemo(int height, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitOneLine();
};

}  // namespace veltrop
