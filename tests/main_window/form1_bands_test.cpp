#include <QDir>

#include "form1_fixture.h"

namespace veltrop::testing {
namespace {

struct DeclaredBand {
    QString control;
    QString caption;
    int row;
    int width;
};

// The bar as the window declares it.
const std::vector<DeclaredBand> kDeclared{
    {"ToolBar1", "", 0, 703},         {"DBEdit1", "Description ", 1, 322},
    {"DBEdit3", "Login Id ", 1, 210}, {"DBEdit4", "Password ", 1, 167},
    {"DBEdit2", "URL ", 2, 325},      {"DBMemo1", "Notes ", 2, 376},
};

class Form1BandsTest : public Form1Test {
protected:
    void SetUp() override { createTable({{"Bank", "bank.example", "me", "secret", "note"}}); }

    BandBar& bar() { return *form_->CoolBar1(); }

    void expectDeclaredLayout() {
        ASSERT_EQ(bar().bandCount(), 6);
        EXPECT_EQ(bar().rowCount(), 3);
        for (int band = 0; band < 6; ++band) {
            const DeclaredBand& declared = kDeclared[static_cast<std::size_t>(band)];
            const std::string name = declared.control.toStdString();
            EXPECT_EQ(bar().control(band)->objectName(), declared.control) << name;
            EXPECT_EQ(bar().caption(band), declared.caption) << name;
            EXPECT_EQ(bar().rowOf(band), declared.row) << name;
            EXPECT_EQ(bar().bandWidth(band), declared.width) << name;
        }
        // Bands other than a row's last are shown at their width; the last takes the rest.
        EXPECT_EQ(bar().bandRect(1).width(), 322);
        EXPECT_EQ(bar().bandRect(2).width(), 210);
        EXPECT_EQ(bar().bandRect(3).width(), bar().width() - 322 - 210);
        EXPECT_EQ(bar().bandRect(4).width(), 325);
        EXPECT_EQ(bar().bandRect(5).width(), bar().width() - 325);
    }

    QPoint headerCentre(QWidget* control) {
        return bar().headerRect(bar().bandOf(control)).center();
    }

    void drag(QPoint from, QPoint to) {
        QTest::mousePress(&bar(), Qt::LeftButton, {}, from);
        QTest::mouseMove(&bar(), from + (to - from) / 20);
        QTest::mouseMove(&bar(), to);
        QTest::mouseRelease(&bar(), Qt::LeftButton, {}, to);
    }
};

TEST_F(Form1BandsTest, BarHoldsSixBandsInThreeRowsAsDeclared) {
    openWindow();
    expectDeclaredLayout();
}

TEST_F(Form1BandsTest, BarRunsAlongTheTopAsHighAsItsRows) {
    openWindow();
    EXPECT_EQ(bar().geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(bar().width(), form_->width());
    // The tool bar's row is 44 pixels high, the editors' rows 25, with a border between rows.
    EXPECT_EQ(bar().bandRect(0).height(), 44);
    EXPECT_EQ(bar().bandRect(1).top(), 46);
    EXPECT_EQ(bar().bandRect(1).height(), 25);
    EXPECT_EQ(bar().bandRect(4).top(), 73);
    EXPECT_EQ(bar().height(), 98);
    EXPECT_EQ(form_->ToolBar1()->height(), 44);
}

TEST_F(Form1BandsTest, EditorsFillTheirBandsRightOfTheCaptions) {
    openWindow();
    const struct {
        QWidget* editor;
        int width;  // as laid out with the original font
    } editors[] = {{form_->DBEdit1(), 249}, {form_->DBEdit3(), 152}, {form_->DBEdit2(), 283}};
    for (const auto& expected : editors) {
        const int band = bar().bandOf(expected.editor);
        EXPECT_EQ(expected.editor->height(), 25);
        EXPECT_EQ(expected.editor->x(), bar().headerRect(band).right() + 1);
        EXPECT_LT(expected.editor->geometry().right(), bar().bandRect(band).right());
        // The caption's width depends on the desktop's font.
        EXPECT_NEAR(expected.editor->width(), expected.width, 15);
    }
    EXPECT_EQ(form_->DBEdit4()->height(), 25);
    EXPECT_EQ(form_->DBMemo1()->height(), 25);
}

TEST_F(Form1BandsTest, UserDragsABandToAnotherRowAndNothingIsSaved) {
    openWindow();
    const std::string tableBefore = readFileBytes(credentials::kFileName);
    // "URL " goes up to the end of the Description row.
    const QRect passwordBand = bar().bandRect(3);
    drag(headerCentre(form_->DBEdit2()),
         QPoint(passwordBand.right() - 5, passwordBand.center().y()));
    ASSERT_EQ(bar().rowCount(), 3);
    EXPECT_EQ(bar().rowOf(bar().bandOf(form_->DBEdit2())), 1);
    EXPECT_EQ(bar().bandOf(form_->DBEdit2()), 4);
    EXPECT_EQ(bar().control(5), form_->DBMemo1());
    EXPECT_EQ(form_->DBEdit2()->y(), 46);

    // "Notes " goes up to the tool bar's row; the last row is gone.
    drag(headerCentre(form_->DBMemo1()), QPoint(bar().width() - 5, 20));
    EXPECT_EQ(bar().rowCount(), 2);
    EXPECT_EQ(bar().rowOf(bar().bandOf(form_->DBMemo1())), 0);
    EXPECT_EQ(bar().height(), 44 + 2 + 25);

    form_.reset();
    EXPECT_EQ(QDir::current().entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{"Veltrop.DB"});
    EXPECT_EQ(readFileBytes(credentials::kFileName), tableBefore);
    openWindow();
    expectDeclaredLayout();
}

TEST_F(Form1BandsTest, UserResizesBandsByTheirEdgesAndNothingIsSaved) {
    openWindow();
    const QRect description = bar().bandRect(1);
    const QPoint edge(description.right() - 1, description.center().y());
    drag(edge, edge + QPoint(40, 0));
    EXPECT_EQ(bar().bandRect(1).width(), 362);
    EXPECT_EQ(bar().bandRect(2).width(), 170);
    EXPECT_EQ(form_->DBEdit3()->x(), 362 + bar().headerRect(2).width());

    // A click on a caption gives that band all the room its row can spare.
    QTest::mouseClick(&bar(), Qt::LeftButton, {}, headerCentre(form_->DBEdit4()));
    EXPECT_EQ(form_->DBEdit1()->width(), 0);
    EXPECT_EQ(form_->DBEdit3()->width(), 0);
    EXPECT_GT(form_->DBEdit4()->width(), 500);

    form_.reset();
    openWindow();
    expectDeclaredLayout();
}

}  // namespace
}  // namespace veltrop::testing
