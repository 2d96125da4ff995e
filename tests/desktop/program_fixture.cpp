// Before the X headers, whose macros clash with Qt's names.
#include <QTest>

#include "dialogs/select_window.h"
#include "main_window/form1.h"
#include "program_fixture.h"

namespace veltrop::testing {

namespace {

int argc = 1;
char name[] = "desktop_test";
char* argv[] = {name, nullptr};

QPoint centreIn(QWidget& window, QWidget& control) {
    return control.mapTo(&window, control.rect().center());
}

ClickPoints measureClickPoints(const std::vector<Record>& records) {
    TempFolder folder;
    engine::Session session;
    createCredentialTable(session, credentials::kFileName, records);
    TForm1 form1(session, {});
    TForm2 form2(session, {});
    form1.show();
    form2.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form1));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form2));

    ClickPoints points;
    for (QToolButton* button : {form1.ToolButtonLookUp(), form1.ToolButtonSave(),
                                form1.ToolButtonMinimize(), form1.ToolButtonExit()}) {
        points.toolButtons[button->objectName().toStdString()] = centreIn(form1, *button);
    }
    points.passwordEditor = centreIn(form1, *form1.DBEdit4());
    RecordView& grid = form2.DBGrid1();
    for (int row = 0; row < grid.visibleRowCount(); ++row) {
        const QPoint inGrid(grid.columnWidth(0) / 2, row * grid.rowPitch() + grid.rowPitch() / 2);
        points.rows.push_back(grid.viewport()->mapTo(&form2, inGrid));
    }
    return points;
}

}  // namespace

void ProgramFixture::SetUpTestSuite() {
    app_ = new QApplication(argc, argv);
    points_ = new ClickPoints(measureClickPoints(kRecords));
    desktop_ = new DesktopSession;
}

void ProgramFixture::TearDownTestSuite() {
    delete desktop_;
    delete points_;
    delete app_;
    desktop_ = nullptr;
    points_ = nullptr;
    app_ = nullptr;
}

void ProgramFixture::SetUp() {
    engine::Session session;
    session.createTable(credentials::kFileName, credentials::definition());
    auto file = session.openTable(credentials::kFileName, engine::OpenMode::ReadWrite);
    for (const Record& record : kRecords) {
        numbers_.push_back(file->insert(record));
    }
}

void ProgramFixture::startProgram(const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment = desktop_->environment();
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    program_ = std::make_unique<ChildProcess>(std::vector<std::string>{VELTROP_PROGRAM},
                                              folder_.path(), environment);
    mainWindow_ = display().waitForActiveWindow("Veltrop", kTimeout);
    ASSERT_NE(mainWindow_, 0u);
}

bool ProgramFixture::stillRunning() {
    return !program_->waitForExit(std::chrono::milliseconds(0)).has_value();
}

void ProgramFixture::closeProgram() {
    display().requestClose(mainWindow_);
    EXPECT_EQ(program_->waitForExit(kTimeout), 0);
}

void ProgramFixture::xdotool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/usr/bin/xdotool");
    ChildProcess tool(arguments, folder_.path(), desktop_->environment());
    EXPECT_EQ(tool.waitForExit(kTimeout), 0);
}

void ProgramFixture::clickAt(Window window, QPoint point, int clicks, int button) {
    xdotool({"mousemove", "--window", std::to_string(window), std::to_string(point.x()),
             std::to_string(point.y()), "click", "--repeat", std::to_string(clicks),
             std::to_string(button)});
}

void ProgramFixture::clickToolButton(const char* name) {
    clickAt(mainWindow_, points_->toolButtons.at(name));
}

void ProgramFixture::typePassword(const std::string& text) {
    clickAt(mainWindow_, points_->passwordEditor);
    xdotool({"key", "End"});
    xdotool({"type", text});
}

std::string ProgramFixture::shownPassword() {
    clickAt(mainWindow_, points_->passwordEditor);
    xdotool({"key", "ctrl+a", "ctrl+c"});
    const std::string out = folder_.file("clipboard.txt");
    ChildProcess xclip({"/bin/sh", "-c", "/usr/bin/xclip -o -selection clipboard > " + out},
                       folder_.path(), desktop_->environment());
    EXPECT_EQ(xclip.waitForExit(kTimeout), 0);
    return readFileBytes(out);
}

Window ProgramFixture::waitForActive(const std::string& title) {
    const Window window = display().waitForActiveWindow(title, kTimeout);
    EXPECT_NE(window, 0u) << title;
    return window;
}

bool ProgramFixture::waitUntilGone(const std::string& title) {
    return display().waitUntil([&] { return display().windowsNamed(title).empty(); }, kTimeout);
}

}  // namespace veltrop::testing
