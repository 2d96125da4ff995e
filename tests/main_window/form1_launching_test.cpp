#include <QDesktopServices>
#include <QUrl>

#include "commands_fixture.h"

namespace veltrop::testing {
namespace {

// Stands in for the desktop: takes every document handed over.
class Desktop : public QObject {
    Q_OBJECT

public:
    Desktop() {
        for (const char* scheme : kSchemes) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
        }
    }
    ~Desktop() override {
        for (const char* scheme : kSchemes) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
    }
    std::vector<QString> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url.toString()); }

private:
    static constexpr const char* kSchemes[] = {"http", "https", "mailto", "file", "ftp"};
};

class Form1LaunchingTest : public CommandsTest {
protected:
    Desktop desktop_;
};

TEST_F(Form1LaunchingTest, WebOpensTheShownUrlSavedTypedOrBareAndLeavesTheTable) {
    openWindows({{"Bank", "https://bank.example/login", "anna", "pin", ""}});
    click(form1().ToolButtonInternet());
    EXPECT_EQ(table().state(), TableState::Browse);

    type(form1().DBEdit2(), "?typed");
    click(form1().ToolButtonInternet());
    EXPECT_EQ(table().state(), TableState::Edit);
    EXPECT_EQ(currentRecord(table())[1], "https://bank.example/login");

    form1().DBEdit2()->setText("www.example.org");
    click(form1().ToolButtonInternet());
    EXPECT_EQ(desktop_.opened,
              (std::vector<QString>{"https://bank.example/login",
                                    "https://bank.example/login?typed", "http://www.example.org"}));
}

TEST_F(Form1LaunchingTest, WebWithAnEmptyUrlOpensNothingAndReportsNothing) {
    openWindows({{"Bank", "", "anna", "pin", ""}});
    click(form1().ToolButtonInternet());
    form1().DBEdit2()->setText("   ");
    click(form1().ToolButtonInternet());
    EXPECT_TRUE(desktop_.opened.empty());
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_EQ(table().state(), TableState::Browse);
}

TEST_F(Form1LaunchingTest, TextThatIsNoUrlIsHandedOverAndNothingIsReported) {
    openWindows({{"Bank", "not a url at all", "anna", "pin", ""}});
    click(form1().ToolButtonInternet());
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_EQ(table().state(), TableState::Browse);
    EXPECT_EQ(form1().DBEdit2()->text(), "not a url at all");
}

TEST_F(Form1LaunchingTest, EmailOpensABlankMessageAndTheBannerOurHomePageOnDoubleClickOnly) {
    openWindows({{"Bank", "bank.example", "anna@bank.example", "pin", ""}});
    click(form1().ToolButtonEmail());
    QTest::mouseClick(form1().Label1(), Qt::LeftButton);
    QTest::mouseDClick(form1().Label1(), Qt::LeftButton);
    EXPECT_EQ(desktop_.opened, (std::vector<QString>{"mailto:", "http://veltrop.example.org"}));
    EXPECT_EQ(table().state(), TableState::Browse);
}

}  // namespace
}  // namespace veltrop::testing

#include "form1_launching_test.moc"
