#pragma once

#include <QFileSystemWatcher>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <optional>

#include "editors/data_source.h"
#include "editors/db_edit.h"
#include "editors/db_memo.h"
#include "engine/session.h"
#include "platform/band_bar.h"
#include "platform/form.h"
#include "store/table.h"
#include "store/table_listener.h"
#include "tray/tray_icon.h"

namespace veltrop {

class ClipboardEraser;
class IdleWatch;
class SessionLockNotices;
class TForm2;
class TForm3;

// The main window: one always-on-top strip with the tool bar and the editors of the
// current credential record. It builds itself from the tables in form1_layout.h and
// opens its cursor while it is created; a failure to open escapes the constructor.
class TForm1 : public Form {
    Q_OBJECT

public:
    // Without a notification area given, the icon goes to the desktop's.
    TForm1(engine::Session& session, Table::PasswordPrompt prompt,
           std::unique_ptr<NotificationArea> notificationArea = nullptr);
    ~TForm1() override;

    // The selection window and the confirmation dialog, which start-up creates after
    // this window. Until they are given, every post is refused.
    void setDialogs(TForm2& form2, TForm3& form3);

    void ToolButtonLookUpClick();
    void ToolButtonAddClick();
    void ToolButtonSaveClick();
    void ToolButtonDelClick();
    void ToolButtonExitClick();
    // Asks "Save Changes?" before every post of Table1; Cancel drops the changes and
    // vetoes the post with the silent abort.
    void Table1BeforePost();

    // The bar's context menu: copy an editor's text, or replace it with the clipboard's.
    void PopUpCopyURLClick();
    void PopUpCopyLoginIdClick();
    void PoUpCopyPasswordClick();
    void PopUpPasteURLClick();
    void PopUpPasteLoginIdClick();
    void PopUpPastePasswordClick();

    // Hand the shown URL, a new e-mail and our home page to the desktop.
    void ToolButtonInternetClick();
    void ToolButtonEmailClick();
    void Label1Click();

    // Hide the window into the notification-area icon, bring it back, end the program.
    void ToolButtonMinimizeClick();
    void TrayIcon1DblClick();
    void Restore1Click();
    void Exit1Click();

    // Something may have put another file in the table's place: the cursor follows it
    // when it is idle. The folder's watcher calls this.
    void TableFolderChanged();
    // A protected table locks with the screen, before sleep and after the set idle
    // time: both cursors close, the passwords and keys are wiped, the window hides. A
    // pending edit or an open modal window puts the lock off until the user is done.
    void lockRequested();
    bool locked() const { return locked_; }
    // Asks the password in the password dialog and shows the same record again; after
    // Cancel the program stays locked.
    void unlock();

    QMenu* PopupMenu() const { return child<QMenu>("PopupMenu"); }
    QMenu* PopupMenu1() const { return popupMenu1_.get(); }
    TTrayIcon* TrayIcon1() const { return trayIcon1_; }

    Table& Table1() { return *table1_; }
    DataSource& DataSource1() { return *dataSource1_; }
    BandBar* CoolBar1() const { return coolBar1_; }
    QToolBar* ToolBar1() const { return toolBar1_; }
    const QList<QPixmap>& ToolBarImageList() const { return toolBarImageList_; }

    DBEdit* DBEdit1() const { return child<DBEdit>("DBEdit1"); }
    DBEdit* DBEdit2() const { return child<DBEdit>("DBEdit2"); }
    DBEdit* DBEdit3() const { return child<DBEdit>("DBEdit3"); }
    DBEdit* DBEdit4() const { return child<DBEdit>("DBEdit4"); }
    DBMemo* DBMemo1() const { return child<DBMemo>("DBMemo1"); }

    QToolButton* ToolButtonLookUp() const { return child<QToolButton>("ToolButtonLookUp"); }
    QToolButton* ToolButtonAdd() const { return child<QToolButton>("ToolButtonAdd"); }
    QToolButton* ToolButtonSave() const { return child<QToolButton>("ToolButtonSave"); }
    QToolButton* ToolButtonDel() const { return child<QToolButton>("ToolButtonDel"); }
    QToolButton* ToolButtonInternet() const { return child<QToolButton>("ToolButtonInternet"); }
    QToolButton* ToolButtonEmail() const { return child<QToolButton>("ToolButtonEmail"); }
    QToolButton* ToolButtonMinimize() const { return child<QToolButton>("ToolButtonMinimize"); }
    QToolButton* ToolButtonExit() const { return child<QToolButton>("ToolButtonExit"); }
    QWidget* ToolButton1() const { return child<QWidget>("ToolButton1"); }
    QWidget* ToolButton2() const { return child<QWidget>("ToolButton2"); }
    QWidget* ToolButton3() const { return child<QWidget>("ToolButton3"); }
    QLabel* Label1() const { return child<QLabel>("Label1"); }

protected:
    void changeEvent(QEvent* event) override;

private:
    template <typename Widget>
    Widget* child(const char* name) const {
        return findChild<Widget*>(QString::fromLatin1(name));
    }

    void applyWindowSettings();
    void buildToolBar();
    QWidget* makeButton(const char* name, const char* caption, int image);
    QWidget* makeSeparator(const char* name);
    QWidget* makeBanner(const char* name);
    void buildEditors();
    void buildCoolBar();
    void setKeyboardOrder();
    void connectCommands();
    void buildPopupMenu();
    void pasteInto(DBEdit& editor);
    void connectLaunching();
    void buildTrayIcon(std::unique_ptr<NotificationArea> area);
    void followTableName();
    void followWhenIdle();
    // Watches for the screen lock, sleep and idleness when the table is protected.
    void watchForLocking();
    void retryPendingLock();
    void lockNow();
    void hideToTray();
    // Asks the question in Form3 over this window; returns Form3's modal result.
    int ask(const char* question);
    void requireDialogs() const;

    engine::Session& session_;
    // Told by Table1, so it goes after it.
    std::unique_ptr<TableListener> pendingLockRetry_;
    // The cursor outlives the data source, which outlives the editors' use of it.
    std::unique_ptr<Table> table1_;
    std::unique_ptr<DataSource> dataSource1_;
    QList<QPixmap> toolBarImageList_;
    BandBar* coolBar1_ = nullptr;
    QToolBar* toolBar1_ = nullptr;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TTrayIcon* trayIcon1_ = nullptr;
    QFileSystemWatcher* tableFolderWatcher_ = nullptr;
    QTimer* tableGoneTimer_ = nullptr;
    // A child, so that it clears the clipboard while the application still runs.
    ClipboardEraser* clipboardEraser_ = nullptr;
    SessionLockNotices* lockNotices_ = nullptr;
    IdleWatch* idleWatch_ = nullptr;
    bool locked_ = false;
    bool lockPending_ = false;
    std::optional<engine::RecordNumber> lockedAt_;
    // Owned, yet no child: a child would be disabled with this window whenever a
    // modal window is up, and the icon's menu must work in every state.
    std::unique_ptr<QMenu> popupMenu1_;
};

}  // namespace veltrop
