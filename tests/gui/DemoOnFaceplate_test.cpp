// The demonstration firmware operated through the faceplate: mouse clicks on the keys reach
// the firmware, and its answer appears on the window's display.

#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>

#include "cpu/Cpu.h"
#include "cpu/RunLoop.h"
#include "frontpanel/CalcForm.h"
#include "frontpanel/Keys.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

class DemoOnFaceplateTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    const char* rom = std::getenv("VALDOR_DEMO_ROM");
    ASSERT_NE(rom, nullptr);
    ASSERT_TRUE(LoadModuleImage(0, rom, 16));
    form = std::make_unique<TCalcForm>();
    SetPanel(form.get());
    form->show();
    Cpu.Running = 1;
    RunLoopStart();
    RunUntilAsleep();
  }
  void TearDown() override {
    SetPanel(&panel);
    form.reset();
    MachineTest::TearDown();
  }
  // The CPU thread's iterations, run here so that the test needs no second thread.
  void Run(int iterations) {
    for (int i = 0; i < iterations; ++i) RunIteration();
  }
  void RunUntilAsleep() {
    for (int i = 0; i < 2000000 && Cpu.Awake; ++i) RunIteration();
    ASSERT_EQ(Cpu.Awake, 0);
  }
  void Click(int keyNumber) {
    const KeyRect& k = keyRects[KeyIndex(keyNumber)];
    const QPoint centre(k.x + k.width / 2 + 1, k.y + k.height / 2 + 1);
    QTest::mousePress(form.get(), Qt::LeftButton, Qt::NoModifier, centre);
    Run(20000);
    QTest::mouseRelease(form.get(), Qt::LeftButton, Qt::NoModifier, centre);
    RunUntilAsleep();
  }
  std::unique_ptr<TCalcForm> form;
};

TEST_F(DemoOnFaceplateTest, GreetsThenAddsWhatIsTypedOnTheKeys) {
  EXPECT_EQ(form->ShownCharacters(), " VALDOR DEMO");
  for (int key : {72, 73, 61, 74, 82, 61}) Click(key);  // 1 2 + 3 0 +
  EXPECT_EQ(form->ShownCharacters().substr(10), "42");
}

}  // namespace
