#include "platform/idle_watch.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "platform_fixture.h"

// Idleness: no keyboard or mouse input to the program's windows for the set time.
namespace veltrop::testing {
namespace {

using IdleWatchTest = PlatformTest;

TEST_F(IdleWatchTest, InputPutsIdlenessOffAndItComesOnceInputStops) {
    QLineEdit editor;
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    IdleWatch watch(std::chrono::milliseconds(2000));
    QSignalSpy idle(&watch, &IdleWatch::becameIdle);
    // Typing every 50 ms for half a second, well within the time: never idle meanwhile.
    for (int key = 0; key < 10; ++key) {
        QTest::keyClick(&editor, Qt::Key_A);
        QTest::qWait(50);
        ASSERT_FALSE(watch.idle());
    }
    EXPECT_TRUE(idle.wait(5000));
    EXPECT_TRUE(watch.idle());
    EXPECT_EQ(idle.count(), 1);
    QTest::mouseClick(&editor, Qt::LeftButton);
    EXPECT_FALSE(watch.idle());
}

}  // namespace
}  // namespace veltrop::testing
