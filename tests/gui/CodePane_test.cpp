// The debugger's code pane with a running CPU thread: breakpoints from the listing's margin and
// the list, the run commands by key, Break, the history, and leaving from a breakpoint.

#include "debugger/CodePaneView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include "debugger/BreakListView.h"
#include "debugger/Breakpoints.h"
#include "debugger/HistoryView.h"
#include "debugger/ListingView.h"
#include "gui/DebugFormFixture.h"
#include "memory/Rom.h"

namespace {

using namespace std::chrono_literals;

// 0000 NOP, 0001 GSUBNC 0010, 0003 NOP, 0004 GONC 0000; 0010 C=0 W, 0011 RTN (a call to a
// word 0 would do nothing).
class CodePaneTest : public DebugFormThreadTest {
 protected:
  void SetUp() override {
    DebugFormThreadTest::SetUp();
    LoadWords(0, {kNop, 0x041, 0x000, kNop, 0x3E3});
    LoadWords(0x10, {0x04E, 0x3E0});
    Cpu.PC = 0;
    TNutCPU::Create();
    Open();
    pane = form->CodePane();
    SetPc(0);
  }
  // A key as the keyboard sends it to the control with the focus.
  void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
    QTest::keyClick(target, key, mods);
  }
  bool Halted() {
    return PumpUntil([&] { return !pane->Running(); });
  }
  uint16_t Pc() {
    uint16_t pc = 0;
    TNutCPU::RunHalted([&] { pc = Cpu.PC; });
    return pc;
  }
  void SetPc(uint16_t pc) {
    TNutCPU::RunHalted([&] { Cpu.PC = pc; });
    form->RefreshDebugger();
  }
  void ClickLine(uint16_t address, int column) {
    TListingView* listing = pane->Listing();
    listing->ShowAddress(address, false);
    const QRect r = listing->visualRect(listing->Model()->index(address, column));
    QTest::mouseClick(listing->viewport(), Qt::LeftButton, {}, r.center());
  }
  TCodePane* pane = nullptr;
};

TEST_F(CodePaneTest, MarginClickSetsABreakpointAndF5HaltsOnIt) {
  ClickLine(0x10, ListingModel::Margin);
  ASSERT_EQ(Breaks.Breaks().size(), 1u);
  EXPECT_EQ(Breaks.Breaks()[0].address, 0x10);
  EXPECT_EQ(pane->BreakList()->Table()->rowCount(), 1);

  Press(Qt::Key_F5);
  ASSERT_TRUE(Halted());
  EXPECT_EQ(Pc(), 0x10);  // before the breakpoint's instruction
  EXPECT_EQ(Field("PCEdit")->text(), "0010");
  EXPECT_TRUE(pane->HaltLabel()->text().startsWith("breakpoint 0010")) << pane->HaltLabel()->text().toStdString();
  EXPECT_EQ(pane->Listing()->currentIndex().row(), 0x10);
  EXPECT_EQ(pane->BreakList()->Table()->item(0, TBreakListView::Hits)->text(), "1");

  ClickLine(0x10, ListingModel::Margin);
  EXPECT_TRUE(Breaks.Breaks().empty());
  EXPECT_EQ(pane->BreakList()->Table()->rowCount(), 0);
}

struct StepCase {
  uint16_t start;
  Qt::Key key;
  Qt::KeyboardModifiers mods;
  uint16_t end;
  const char* why;
};

TEST_F(CodePaneTest, StepOverOutAndToCursorByKey) {
  const StepCase cases[] = {
      {0x0001, Qt::Key_F10, Qt::NoModifier, 0x0003, "stepped over 0001"},       // the call runs
      {0x0003, Qt::Key_F10, Qt::NoModifier, 0x0004, "stepped over 0003"},
      {0x0010, Qt::Key_F11, Qt::ShiftModifier, 0x0003, "stepped out to 0003"},  // Stack[0] = 3
      {0x0000, Qt::Key_F10, Qt::ControlModifier, 0x0011, "ran to 0011"},        // the cursor
      {0x0003, Qt::Key_F11, Qt::NoModifier, 0x0004, "stepped to 0004"},  // not the last halt
  };
  for (const StepCase& c : cases) {
    SetPc(c.start);
    TNutCPU::RunHalted([] { Cpu.Stack[0] = 0x0003; });
    if (c.mods == Qt::ControlModifier) ClickLine(0x11, ListingModel::Instruction);
    Press(c.key, c.mods);
    ASSERT_TRUE(Halted()) << c.why;
    EXPECT_EQ(Pc(), c.end) << c.why;
    EXPECT_TRUE(pane->HaltLabel()->text().startsWith(c.why)) << pane->HaltLabel()->text().toStdString();
    EXPECT_EQ(Field("PCEdit")->text(), Hex4(c.end)) << c.why;
  }
}

// A free run goes on until Break; the single step waits meanwhile. Exit from a breakpoint lets
// the CPU run on past it instead of halting there again and reopening the window.
TEST_F(CodePaneTest, BreakHaltsARunAndExitPassesTheBreakpoint) {
  const uint32_t before = Cycles();
  QTest::mouseClick(pane->RunButton(), Qt::LeftButton);
  ASSERT_TRUE(pane->Running());
  EXPECT_FALSE(form->SSTSpeedButton()->isEnabled());
  ASSERT_TRUE(PumpUntil([&] { return Cycles() > before + 1000; }));
  Press(Qt::Key_Pause);
  ASSERT_TRUE(Halted());
  EXPECT_TRUE(pane->HaltLabel()->text().startsWith("break at "));
  EXPECT_TRUE(form->SSTSpeedButton()->isEnabled());
  const uint32_t held = Cycles();
  Pump(20ms);
  EXPECT_EQ(Cycles(), held);

  ClickLine(0x0003, ListingModel::Margin);
  Press(Qt::Key_F5);
  ASSERT_TRUE(Halted());
  ASSERT_EQ(Pc(), 0x0003);
  const uint32_t left = Cycles();
  form->close();
  ASSERT_TRUE(PumpUntil([&] { return Cycles() > left + 3; }));
  Pump(20ms);
  EXPECT_EQ(DebuggerOpen.load(), 1);  // the next round of the loop hits it again
  EXPECT_TRUE(forwarding.debuggerShown);
  EXPECT_EQ(Pc(), 0x0003);
}

TEST_F(CodePaneTest, BreakListAddsEditsAndDeletes) {
  TBreakListView* list = pane->BreakList();
  QTableWidget* table = list->Table();
  QLineEdit* add = list->AddEdit();
  const struct {
    const char* text;
    bool accepted;
  } adds[] = {{"0004*2:P == 5", true}, {"watch 00A:w", true}, {"12345", false}, {"watch X", false}};
  for (const auto& a : adds) {
    QTest::mouseClick(add, Qt::LeftButton);
    add->clear();
    QTest::keyClicks(add, a.text);
    QTest::keyClick(add, Qt::Key_Return);
    EXPECT_EQ(add->text().isEmpty(), a.accepted) << a.text;  // a refused text stays to mend
  }
  EXPECT_EQ(pane->HaltLabel()->palette().color(QPalette::WindowText), QColor(200, 0, 0));
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, TBreakListView::Where)->text(), "0004");
  EXPECT_EQ(table->item(0, TBreakListView::Condition)->text(), "P == 5");
  EXPECT_EQ(table->item(0, TBreakListView::Count)->text(), "2");
  EXPECT_EQ(table->item(1, TBreakListView::Where)->text(), "watch 00A:w");

  // Edits arrive as the item's change; the table is rebuilt once the signal is over.
  table->item(0, TBreakListView::Count)->setText("3");
  table->item(0, TBreakListView::Condition)->setText("Q == 1");
  table->item(0, TBreakListView::Where)->setCheckState(Qt::Unchecked);
  table->item(1, TBreakListView::Where)->setCheckState(Qt::Unchecked);
  Pump(10ms);
  ASSERT_EQ(Breaks.Breaks().size(), 1u);
  EXPECT_EQ(Breaks.Breaks()[0].count, 3u);
  EXPECT_EQ(Breaks.Breaks()[0].condition->text, "Q == 1");
  EXPECT_FALSE(Breaks.Breaks()[0].enabled);
  EXPECT_FALSE(Breaks.Watches()[0].enabled);
  EXPECT_FALSE(Breaks.Armed());
  EXPECT_EQ(pane->Listing()->Model()->index(4, ListingModel::Margin).data().toString(), "\u25CB");

  table->item(0, TBreakListView::Count)->setText("0");  // refused: the count stays
  Pump(10ms);
  EXPECT_EQ(Breaks.Breaks()[0].count, 3u);
  EXPECT_EQ(table->item(0, TBreakListView::Count)->text(), "3");

  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualItemRect(table->item(1, TBreakListView::Hits)).center());
  QTest::keyClick(table, Qt::Key_Delete);
  EXPECT_TRUE(Breaks.Watches().empty());
  EXPECT_EQ(table->rowCount(), 1);
}

// The steps show in the history, oldest first; a double click shows the line in the listing.
// In the listing the arrow keys move its cursor and do not step.
TEST_F(CodePaneTest, HistoryShowsTheStepsAndTheListingKeepsItsKeys) {
  for (int i = 0; i < 3; ++i) QTest::mouseClick(form->SSTSpeedButton(), Qt::LeftButton);
  pane->Tabs()->setCurrentWidget(pane->HistoryList());
  THistoryView* history = pane->HistoryList();
  Pump(10ms);  // laid out
  ASSERT_EQ(history->count(), 3);
  EXPECT_TRUE(history->item(0)->text().startsWith("0000  000  NOP"));
  EXPECT_TRUE(history->item(1)->text().startsWith("0001  041  GSUBNC 0010"));
  EXPECT_TRUE(history->item(2)->text().startsWith("0010  04E  C=0 W"));
  // A double click as the window system delivers it: press, release, then the double click.
  const QPoint second = history->visualItemRect(history->item(1)).center();
  QTest::mouseClick(history->viewport(), Qt::LeftButton, {}, second);
  QTest::mouseDClick(history->viewport(), Qt::LeftButton, {}, second);
  EXPECT_EQ(pane->Listing()->currentIndex().row(), 1);
  EXPECT_TRUE(pane->Listing()->selectionModel()->isRowSelected(1));

  const uint32_t held = Cycles();
  ClickLine(0x20, ListingModel::Instruction);
  Press(Qt::Key_Down);
  EXPECT_EQ(pane->Listing()->currentIndex().row(), 0x21);
  EXPECT_EQ(Cycles(), held);
  Press(Qt::Key_F9);  // on the cursor's line
  ASSERT_EQ(Breaks.Breaks().size(), 1u);
  EXPECT_EQ(Breaks.Breaks()[0].address, 0x21);
}

}  // namespace
