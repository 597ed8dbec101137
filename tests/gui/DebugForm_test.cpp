// The debugger window driven through real key and mouse events on the offscreen platform, and
// once with a running CPU thread held between instructions.

#include "debugger/DebugForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "debugger/Debug.h"
#include "debugger/Trace.h"
#include "display/Lcd.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"
#include "timer/Zudaroz.h"

#include "debugger/BreakListView.h"
#include "debugger/CodePaneView.h"
#include "debugger/DebugRun.h"
#include "debugger/Symbols.h"
#include "debugger/ListingView.h"
#include "gui/DebugFormFixture.h"

namespace {

using namespace std::chrono_literals;

// Distinctive values in every register the window shows.
void FillRegisters() {
  SetDigits(Cpu.A, "0123456789ABCD");
  SetDigits(Cpu.B, "FEDCBA98765432");
  SetDigits(Cpu.C, "13579BDF02468A");
  SetDigits(Cpu.M, "11223344556677");
  SetDigits(Cpu.N, "8899AABBCCDDEE");
  Cpu.P = 5;
  Cpu.Q = 11;
  Cpu.Stack[0] = 0x1234;
  Cpu.Stack[1] = 0xABCD;
  Cpu.Stack[2] = 0x0F00;
  Cpu.Stack[3] = 0x0001;
  Cpu.G[0] = 0x3;
  Cpu.G[1] = 0xC;
  Cpu.FO = 0x5A;
  Cpu.DAdd = 0x2FF;
  Cpu.PfAd = 0xFD;
  Cpu.Base = 10;
  LcdE = 0x0ABC;
  for (int i = 0; i < kDigits; ++i) Cpu.ST[i] = (i * 5) % 3 == 0;
  Cpu.Carry = 1;
  for (int i = 0; i < kLcdPositions; ++i) {
    LcdA[i] = static_cast<uint8_t>(i + 1);
    LcdB[i] = static_cast<uint8_t>(0x30 + i);
    LcdC[i] = static_cast<uint8_t>(i & 1);
  }
  SetDigits(CLA, "00000123456789");
  SetDigits(CLB, "00000987654321");
  SetDigits(ALA, "0000000000ABCD");
  SetDigits(ALB, "12000000000000");
  SetDigits(SCA, "0F0F0F0F0F0F0F");
  SetDigits(SCB, "F0F0F0F0F0F0F0");
  SetDigits(AF, "1234");
  SetDigits(IT, "56789");
  SetDigits(TR, "ABCDE");
  TimerStatus = 0x1040;
}

// Nothing lies over a field or the logo, so a click reaches them.
TEST_F(DebugFormTest, ControlsAreUncovered) {
  Open();
  for (int i = 0; i < kDebugFieldCount; ++i) {
    const QRect r = form->Edit(i)->geometry();
    for (QPoint p : {r.center(), QPoint(r.left() + 2, r.center().y())})
      EXPECT_EQ(form->childAt(p), form->Edit(i)) << DebugFields[i].name;
  }
  EXPECT_EQ(form->childAt(QPoint(152, 94)), form->HPImage());
}

// The title is centred between the window manager's buttons (up to four each side, about 24
// pixels each): the window is wide enough for the whole title.
TEST_F(DebugFormTest, TitleHasRoomBetweenTheWindowButtons) {
  Open();
  const QFontMetrics fm(QApplication::font("QMdiSubWindowTitleBar"));
  EXPECT_EQ(form->windowTitle(), "Nut CPU MicroCode Debugger");
  EXPECT_GE(form->width(), fm.horizontalAdvance(form->windowTitle()) + 2 * 4 * 24);
}

// Tab moves through the fields in their order, and leaving each one unchanged writes back
// exactly what was there.
TEST_F(DebugFormTest, TabThroughEveryFieldChangesNothing) {
  FillRegisters();
  LoadWords(0x0123, {0x264});
  Cpu.PC = 0x0123;
  Open();
  const std::vector<std::string> before = Shown();
  const uint16_t stack[4] = {Cpu.Stack[0], Cpu.Stack[1], Cpu.Stack[2], Cpu.Stack[3]};
  EXPECT_TRUE(form->BaseButton(10)->isChecked());

  QTest::mouseClick(Field("PCEdit"), Qt::LeftButton);
  const char* const order[] = {
      "OpCodeEdit", "AEdit",     "BEdit",     "CEdit",    "MEdit",    "NEdit",    "PEdit",
      "QEdit",      "StackEdit", "GEdit",     "FOEdit",   "DAddEdit", "PfAdEdit", "base",
      "LcdAnnEdit", "STEdit",    "CarryEdit", "LcdAEdit", "LcdBEdit", "LcdCEdit", "CLAEdit",
      "CLBEdit",    "ALAEdit",   "ALBEdit",   "AFEdit",   "ITEdit",   "SCAEdit",  "SCBEdit",
      "TREdit",     "SREdit",    "PCEdit"};
  for (const char* name : order) {
    Key(Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    if (std::string(name) == "base")
      EXPECT_EQ(focus, form->BaseButton(10));
    else
      EXPECT_EQ(focus, Field(name)) << name;
  }
  EXPECT_EQ(Shown(), before);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(Cpu.Stack[k], stack[k]) << k;
  EXPECT_EQ(Cpu.Base, 10);
  EXPECT_EQ(FetchRom(0x0123), 0x264);
}

struct EditCase {
  const char* field;
  const char* typed;
  std::function<void()> preset;
  std::function<void()> check;
  const char* shown;  // the field's text afterwards
};

// Typed values go to their registers, reduced into range; rejected texts write nothing.
TEST_F(DebugFormTest, EditsWriteBackAndRedisplay) {
  const EditCase cases[] = {
      {"AEdit", "12", [] { SetDigits(Cpu.A, "FFFFFFFFFFFFFF"); },
       [] { EXPECT_EQ(DigitsText(Cpu.A), "00000000000012"); }, "00000000000012"},
      {"AEdit", "XYZ", [] { SetDigits(Cpu.A, "5"); },
       [] { EXPECT_EQ(DigitsText(Cpu.A), "00000000000005"); }, "00000000000005"},
      {"NEdit", "1 2 3", [] {}, [] { EXPECT_EQ(DigitsText(Cpu.N), "00000000010203"); },
       "00000000010203"},
      {"StackEdit", "1 2 3", [] { Cpu.Stack[0] = 0x7777; },
       [] {
         EXPECT_EQ(Cpu.Stack[0], 0);
         EXPECT_EQ(Cpu.Stack[1], 1);
         EXPECT_EQ(Cpu.Stack[2], 2);
         EXPECT_EQ(Cpu.Stack[3], 3);
       },
       "0000 0001 0002 0003"},
      {"StackEdit", "12345 Z", [] { Cpu.Stack[3] = 0x4444; },
       [] { EXPECT_EQ(Cpu.Stack[3], 0x4444); }, "0000 0001 0002 4444"},
      {"PEdit", "G", [] { Cpu.P = 5; }, [] { EXPECT_EQ(Cpu.P, 5); }, "5"},
      {"PEdit", "1F", [] {}, [] { EXPECT_EQ(Cpu.P, 31 % 14); }, "3"},
      {"QEdit", "D", [] {}, [] { EXPECT_EQ(Cpu.Q, 13); }, "D"},
      {"QEdit", "E", [] { Cpu.Q = 4; }, [] { EXPECT_EQ(Cpu.Q, 0); }, "0"},
      {"GEdit", "C3", [] {}, [] { EXPECT_EQ(Cpu.G[1] * 16 + Cpu.G[0], 0xC3); }, "C3"},
      {"FOEdit", "1A5", [] {}, [] { EXPECT_EQ(Cpu.FO, 0xA5); }, "A5"},
      {"DAddEdit", "FFFF", [] {}, [] { EXPECT_EQ(Cpu.DAdd, 0x3FF); }, "3FF"},
      {"PfAdEdit", "1FF", [] {}, [] { EXPECT_EQ(Cpu.PfAd, 0xFF); }, "FF"},
      {"STEdit", "21000000000703", [] {},
       [] {
         for (int i = 0; i < kDigits; ++i)
           EXPECT_EQ(Cpu.ST[i], (i == 0 || i == 2 || i == 12 || i == 13) ? 1 : 0) << i;
       },
       "11000000000101"},
      {"CarryEdit", "F", [] { Cpu.Carry = 0; }, [] { EXPECT_EQ(Cpu.Carry, 1); }, "1"},
      {"CarryEdit", "7", [] { Cpu.Carry = 0; }, [] { EXPECT_EQ(Cpu.Carry, 1); }, "1"},
      {"CarryEdit", "0", [] { Cpu.Carry = 1; }, [] { EXPECT_EQ(Cpu.Carry, 0); }, "0"},
      {"LcdAnnEdit", "fff", [] {}, [] { EXPECT_EQ(LcdE.load(), 0xFFFu); }, "0FFF"},
      {"TREdit", "12345", [] { SetDigits(IT, "ABCDE"); },
       [] {
         EXPECT_EQ(DigitsText(TR), "12345");
         EXPECT_EQ(DigitsText(IT), "ABCDE");
       },
       "12345"},
      {"SCBEdit", "123456789ABCDEF", [] {}, [] { EXPECT_EQ(DigitsText(SCB), "23456789ABCDEF"); },
       "23456789ABCDEF"},
      {"SREdit", "12345", [] {}, [] { EXPECT_EQ(TimerStatus.load(), 0x12345u); }, "12345"},
  };
  Open();
  for (const EditCase& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " <- \"" + c.typed + "\"");
    c.preset();
    form->RefreshDebugger();
    Type(c.field, c.typed);
    c.check();
    EXPECT_EQ(Field(c.field)->text().toStdString(), c.shown);
  }
}

TEST_F(DebugFormTest, PCThenEnterUpdatesTheCodeLineAndMovesOn) {
  LoadWords(0x01F3, {0x264});
  Open();
  QLineEdit* pc = Field("PCEdit");
  QTest::mouseClick(pc, Qt::LeftButton);
  pc->selectAll();
  QTest::keyClicks(pc, "1F3");
  Key(Qt::Key_Return);
  EXPECT_EQ(Cpu.PC, 0x01F3);
  EXPECT_EQ(pc->text(), "01F3");
  EXPECT_EQ(Field("OpCodeEdit")->text(), "264");
  int32_t address = 0x01F3;
  std::string dis;
  Disassemble(address, dis);
  EXPECT_EQ(form->DisLabel()->text().toStdString(), dis);
  EXPECT_EQ(form->CodePane()->Listing()->currentIndex().row(), 0x01F3);  // the listing follows
  EXPECT_TRUE(Field("OpCodeEdit")->hasFocus());
  // Enter with a modifier is left to the field.
  Key(Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_TRUE(Field("OpCodeEdit")->hasFocus());
  // A value beyond 16 bits keeps its low 16.
  Type("PCEdit", "2ABCD");
  EXPECT_EQ(Cpu.PC, 0xABCD);
}

// The word goes into the bank that is visible in the page of PC; the other bank keeps its own.
TEST_F(DebugFormTest, OpCodeEditStoresInTheVisibleBank) {
  StoreRom(0x5010, 0, 0x111);
  StoreRom(0x5010, 1, 0x222);
  CurrentBank[5] = 1;
  Cpu.PC = 0x5010;
  Open();
  EXPECT_EQ(Field("OpCodeEdit")->text(), "222");
  Type("OpCodeEdit", "5A");
  EXPECT_EQ(FetchRom(0x5010), 0x05A);
  EXPECT_EQ((*RomPages[5][0].load())[0x010], 0x111);
  Type("OpCodeEdit", "7FF");
  EXPECT_EQ(FetchRom(0x5010), 0x3FF);
  EXPECT_EQ(Field("OpCodeEdit")->text(), "3FF");
  const QModelIndex word = form->CodePane()->Listing()->Model()->index(0x5010, ListingModel::Word);
  EXPECT_EQ(word.data().toString(), "3FF");
  // A rejected word stores nothing, not even an empty block.
  Cpu.PC = 0x9000;
  form->RefreshDebugger();
  Type("OpCodeEdit", "Q");
  EXPECT_EQ(RomPages[9][0].load(), nullptr);
}

TEST_F(DebugFormTest, LcdEditWritesItsTwelvePositionsAndRedraws) {
  displayOn = 1;
  Open();
  const int redraws = panel.redraws;
  const std::string chars = panel.chars;
  for (int i = 0; i < kLcdPositions; ++i) LcdB[i] = static_cast<uint8_t>(i);
  Type("LcdAEdit", "01 02 03 04 05 06 07 08 09 0A 0B 0C");
  for (int i = 0; i < kLcdPositions; ++i) {
    EXPECT_EQ(LcdA[i].load(), 12 - i) << i;
    EXPECT_EQ(LcdB[i].load(), i) << i;
    EXPECT_EQ(LcdC[i].load(), 0) << i;
  }
  EXPECT_GT(panel.redraws, redraws);
  EXPECT_NE(panel.chars, chars);
  EXPECT_EQ(Field("LcdAEdit")->text(), "01 02 03 04 05 06 07 08 09 0A 0B 0C");
  // Fewer groups: the rest of the positions become 0. Two digits make one byte.
  Type("LcdCEdit", "1 2F");
  EXPECT_EQ(LcdC[0].load(), 0x2F);
  EXPECT_EQ(LcdC[1].load(), 0x01);
  EXPECT_EQ(LcdC[2].load(), 0);
}

TEST_F(DebugFormTest, BaseRadioGroup) {
  Cpu.Base = 16;
  Open();
  EXPECT_TRUE(form->BaseButton(16)->isChecked());
  QTest::mouseClick(form->BaseButton(10), Qt::LeftButton);
  EXPECT_EQ(Cpu.Base, 10);
  QTest::mouseClick(form->BaseButton(16), Qt::LeftButton);
  EXPECT_EQ(Cpu.Base, 16);
  Cpu.Base = 10;
  form->RefreshDebugger();
  EXPECT_TRUE(form->BaseButton(10)->isChecked());
}

TEST_F(DebugFormTest, SingleStepByButtonAndKeys) {
  LoadWords(0, {kNop, kLoopToPrevious});
  Open();
  EXPECT_EQ(Field("PCEdit")->text(), "0000");
  QTest::mouseClick(form->SSTSpeedButton(), Qt::LeftButton);
  EXPECT_EQ(Cpu.CycleCount, 1u);
  EXPECT_EQ(Field("PCEdit")->text(), "0001");
  EXPECT_EQ(Field("OpCodeEdit")->text(), "3FB");
  // Two Down presses are two steps: dropping the consumed key's release spares the next press.
  QTest::mouseClick(Field("AEdit"), Qt::LeftButton);
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  EXPECT_EQ(Cpu.CycleCount, 3u);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(Cpu.CycleCount, 4u);
  EXPECT_EQ(Field("PCEdit")->text(), Hex4(Cpu.PC));
  // Nothing runs before start-up has finished.
  Cpu.Running = 0;
  Key(Qt::Key_Down);
  EXPECT_EQ(Cpu.CycleCount, 4u);
}

TEST_F(DebugFormTest, AnimateDisablesSingleStep) {
  LoadWords(0, {kNop, kLoopToPrevious});
  Open();
  EXPECT_TRUE(form->SSTSpeedButton()->isEnabled());
  QTest::mouseClick(form->AnimateCheckBox(), Qt::LeftButton);
  EXPECT_EQ(Animate.load(), 1);
  EXPECT_FALSE(form->SSTSpeedButton()->isEnabled());
  QTest::mouseClick(Field("AEdit"), Qt::LeftButton);
  Key(Qt::Key_Down);
  form->SSTSpeedButtonClick();
  EXPECT_EQ(Cpu.CycleCount, 0u);
  QTest::mouseClick(form->AnimateCheckBox(), Qt::LeftButton);
  EXPECT_EQ(Animate.load(), 0);
  EXPECT_TRUE(form->SSTSpeedButton()->isEnabled());
  Key(Qt::Key_Down);
  EXPECT_EQ(Cpu.CycleCount, 1u);
}

// The animate refresh updates every field but the one being typed into, which commits later.
TEST_F(DebugFormTest, AnimatedRefreshSparesTheFieldBeingTyped) {
  Open();
  QLineEdit* a = Field("AEdit");
  QTest::mouseClick(a, Qt::LeftButton);
  a->selectAll();
  QTest::keyClicks(a, "7");
  SetDigits(Cpu.B, "42");
  Cpu.PC = 0x0010;
  RefreshDebuggerWindow();
  EXPECT_EQ(Field("BEdit")->text(), "00000000000042");
  EXPECT_EQ(Field("PCEdit")->text(), "0010");
  EXPECT_EQ(a->text(), "7");
  Key(Qt::Key_Tab);
  EXPECT_EQ(DigitsText(Cpu.A), "00000000000007");
}

TEST_F(DebugFormTest, TraceBoxOpensAndClosesTheLog) {
  Open();
  QTest::mouseClick(form->TraceCheckBox(), Qt::LeftButton);
  EXPECT_EQ(Trace.load(), 1);
  EXPECT_TRUE(std::filesystem::exists(home + "VALDOR.LOG"));
  QTest::mouseClick(form->TraceCheckBox(), Qt::LeftButton);
  EXPECT_EQ(Trace.load(), 0);
}

TEST_F(DebugFormTest, ShowTakesOverAnimateAndTrace) {
  Animate = 1;
  OpenTrace();
  Open();
  EXPECT_TRUE(form->AnimateCheckBox()->isChecked());
  EXPECT_TRUE(form->TraceCheckBox()->isChecked());
  EXPECT_FALSE(form->SSTSpeedButton()->isEnabled());
  EXPECT_EQ(DebuggerOpen.load(), 1);
  EXPECT_EQ(Animate.load(), 1);
  EXPECT_EQ(Trace.load(), 1);
  CloseTrace();
}

// Exit, the logo, Esc and the close box all close the window the same way.
TEST_F(DebugFormTest, EveryWayOutResumesAndKeepsTheFlags) {
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"Exit", [this] { QTest::mouseClick(form->ExitSpeedButton(), Qt::LeftButton); }},
      {"logo", [this] { QTest::mouseDClick(form->HPImage(), Qt::LeftButton); }},
      {"Esc", [this] { Key(Qt::Key_Escape); }},
      {"close box", [this] { form->close(); }},
  };
  Animate = 1;
  for (const auto& [name, close] : ways) {
    SCOPED_TRACE(name);
    Open();
    ASSERT_TRUE(DebuggerWindowVisible());
    ASSERT_EQ(DebuggerOpen.load(), 1);
    close();
    EXPECT_FALSE(DebuggerWindowVisible());
    EXPECT_EQ(DebuggerOpen.load(), 0);
    EXPECT_EQ(Animate.load(), 1);
  }
  EXPECT_EQ(DebuggerWindow(), form);  // hidden and shown again, never recreated
}

// A field being typed into when the window closes is not written.
TEST_F(DebugFormTest, ClosingDoesNotCommitTheFieldBeingTyped) {
  SetDigits(Cpu.C, "5");
  Open();
  QLineEdit* c = Field("CEdit");
  QTest::mouseClick(c, Qt::LeftButton);
  c->selectAll();
  QTest::keyClicks(c, "99");
  Key(Qt::Key_Escape);
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000005");
  Open();
  EXPECT_EQ(c->text(), "00000000000005");
}

TEST_F(DebugFormTest, MemoryListShowsTheExistingRegisters) {
  ClearRamMap();
  AddRamRange(0x0FF, 0x100);
  AddRamRange(0x3FF, 0x3FF);
  SetDigits(RamRegisters[0x100], "123456789ABCDE");
  SetDigits(RamRegisters[0x3FF], "1");
  Open();
  ASSERT_EQ(form->MemListBox()->count(), 1);
  EXPECT_EQ(form->MemListBox()->item(0)->text(), "Double click to refresh ...");
  QTest::mouseDClick(form->MemListBox()->viewport(), Qt::LeftButton, Qt::NoModifier,
                     QPoint(20, 60));
  QStringList items;
  for (int i = 0; i < form->MemListBox()->count(); ++i)
    items << form->MemListBox()->item(i)->text();
  EXPECT_EQ(items, QStringList({"0FF 00000000000000", "100 123456789ABCDE", "3FF 00000000000001"}));
}

// Beside the calculator without covering it where the available area allows (panels excluded:
// here a 30-pixel bar at the top), else covering as little of it as can be.
TEST(DebuggerPlacementTest, BesideTheMainWindowKeptOnScreen) {
  const QSize frame(740, 530);
  const QRect hd(0, 30, 1920, 1050), laptop(0, 0, 1366, 740), small(0, 0, 800, 600);
  const struct {
    QRect main, available;
    QPoint expected;
  } cases[] = {
      {{100, 50, 309, 578}, hd, {409, 50}},        // right
      {{1700, 50, 309, 578}, hd, {960, 50}},       // no room right: left
      {{1333, 50, 309, 578}, hd, {593, 50}},       // the same at the edge
      {{-400, -20, 309, 578}, hd, {0, 30}},        // off the top left: right, inside the area
      {{100, 700, 309, 578}, hd, {409, 550}},      // beyond the bottom: moved up
      {{900, 10, 309, 578}, laptop, {160, 10}},    // a 1366-pixel laptop at scale 1
      {{30, 10, 1200, 300}, hd, {30, 310}},        // neither side: below
      {{0, 0, 463, 867}, small, {60, 0}},          // scale 1.5 on a small screen: least covered
      {{200, 0, 463, 590}, small, {60, 70}},       // nowhere free: below covers least
  };
  for (const auto& c : cases)
    EXPECT_EQ(DebuggerPlacement(c.main, frame, c.available), c.expected) << c.main.x();
}

// Opened by a hit, the window leaves the keyboard with the calculator: a key typed for it does
// not land in a field. The logo's double click opens it active.
TEST_F(DebugFormTest, AHitOpensTheWindowWithoutTakingTheKeyboard) {
  if (QGuiApplication::platformName() == "offscreen")
    GTEST_SKIP() << "the offscreen platform activates every window it shows; run under X";
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  OpenDebuggerWindow(main.get(), false);
  QTest::qWait(50);
  ASSERT_TRUE(DebuggerWindowVisible());
  EXPECT_EQ(QApplication::activeWindow(), main.get());
  DebuggerWindow()->close();
  OpenDebuggerWindow(main.get());
  EXPECT_TRUE(QTest::qWaitForWindowActive(DebuggerWindow()));
}

// The window's parts do not touch: the logo clears every label and field, and the memory
// list's hint and the longest symbol fit their columns.
TEST_F(DebugFormTest, PartsFitWithoutTouchingOrCutting) {
  ParseSymbols("=SHOWENTRY EQU 0010X\n");
  Open();
  const QRect logo = form->HPImage()->geometry();
  for (QWidget* w : form->findChildren<QWidget*>()) {
    if (w == form->HPImage() || w->parentWidget() != form || !w->isVisible()) continue;
    if (!qobject_cast<QLabel*>(w) && !qobject_cast<QLineEdit*>(w)) continue;
    EXPECT_FALSE(w->geometry().intersects(logo)) << w->objectName().toStdString();
  }
  EXPECT_EQ(form->MemListBox()->horizontalScrollBar()->maximum(), 0);
  const QFontMetrics fm = form->CodePane()->Listing()->fontMetrics();
  EXPECT_GE(form->CodePane()->Listing()->columnWidth(ListingModel::Label),
            fm.horizontalAdvance("=SHOWENTRY"));
  ASSERT_TRUE(form->CodePane()->BreakList()->Add("=SHOWENTRY@1"));
  QTableWidget* table = form->CodePane()->BreakList()->Table();
  EXPECT_GE(table->columnWidth(TBreakListView::Where),
            table->fontMetrics().horizontalAdvance("=SHOWENTRY@1") + 20);  // and its tick box
  ResetDebugRun();
  ParseSymbols("");
}

TEST_F(DebugFormTest, OpensAtTheRightScreenEdgeWhenThereIsNoRoom) {
  const QRect screen = main->screen()->availableGeometry();
  main->resize(40, 60);  // room on its left on any screen
  main->move(screen.right() + 1 - main->frameGeometry().width(), 10);
  Open();
  // Left of the calculator, not over it.
  EXPECT_EQ(form->frameGeometry().right() + 1, main->frameGeometry().left());
  EXPECT_EQ(form->frameGeometry().top(), main->frameGeometry().top());
}


TEST_F(DebugFormThreadTest, HoldsTheCpuStepsOnceAndLetsItGo) {
  LoadWords(0, {kNop, kLoopToPrevious});
  TNutCPU::Create();
  ASSERT_TRUE(PumpUntil([&] { return Cycles() > 100; }));

  Open();
  uint16_t pc = 0xFFFF;
  const uint32_t held = Cycles();
  TNutCPU::RunHalted([&] { pc = Cpu.PC; });
  EXPECT_EQ(Field("PCEdit")->text(), Hex4(pc));
  Pump(20ms);
  EXPECT_EQ(Cycles(), held);

  QTest::mouseClick(form->SSTSpeedButton(), Qt::LeftButton);
  EXPECT_EQ(Cycles(), held + 1);
  EXPECT_EQ(Field("PCEdit")->text(), Hex4(pc ^ 1));  // the loop alternates between 0 and 1
  Pump(20ms);
  EXPECT_EQ(Cycles(), held + 1);

  // Animating: the refresh arrives through the hand-over, and an edit lands between steps.
  QTest::mouseClick(form->AnimateCheckBox(), Qt::LeftButton);
  const int refreshes = forwarding.debuggerRefreshes;
  ASSERT_TRUE(PumpUntil([&] { return forwarding.debuggerRefreshes > refreshes + 5; }));
  Type("DAddEdit", "123");
  EXPECT_EQ(Cpu.DAdd, 0x123);
  EXPECT_EQ(Field("DAddEdit")->text(), "123");
  QTest::mouseClick(form->AnimateCheckBox(), Qt::LeftButton);

  // Closing lets the thread run freely again.
  const uint32_t before = Cycles();
  form->close();
  EXPECT_EQ(DebuggerOpen.load(), 0);
  ASSERT_TRUE(PumpUntil([&] { return Cycles() > before + 100; }));
}

}  // namespace
