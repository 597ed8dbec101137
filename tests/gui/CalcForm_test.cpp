// The main window driven through real mouse and key events on the offscreen platform.

#include "frontpanel/CalcForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "display/Lcd.h"
#include "frontpanel/KeyMap.h"
#include "frontpanel/Keys.h"
#include "frontpanel/QtCalcMenu.h"
#include "host/ProfileFile.h"
#include "memory/Ram.h"
#include "support/MachineFixture.h"

namespace {

class CalcFormTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    form = std::make_unique<TCalcForm>();
    SetPanel(form.get());
    form->show();
  }
  void TearDown() override {
    SetPanel(&panel);
    form.reset();
    MachineTest::TearDown();
  }
  // A point of the faceplate in window coordinates (inside the one-pixel border).
  static QPoint At(int x, int y) { return QPoint(x + 1, y + 1); }
  static QPoint KeyCentre(int number) {
    const KeyRect& k = keyRects[KeyIndex(number)];
    return At(k.x + k.width / 2, k.y + k.height / 2);
  }
  std::unique_ptr<TCalcForm> form;
};

TEST_F(CalcFormTest, ClickOnAKeyPressesItAndTheReleaseEndsIt) {
  for (auto button : {Qt::LeftButton, Qt::MiddleButton}) {
    QTest::mousePress(form.get(), button, Qt::NoModifier, KeyCentre(73));
    EXPECT_EQ(Cpu.KeyDown, 73);
    EXPECT_TRUE(form->KeyHeld());
    // The release need not be over the key.
    QTest::mouseRelease(form.get(), button, Qt::NoModifier, At(5, 300));
    EXPECT_EQ(Cpu.KeyDown, -1);
    EXPECT_FALSE(form->KeyHeld());
  }
  // Between keys nothing is pressed.
  QTest::mousePress(form.get(), Qt::RightButton, Qt::NoModifier, At(80, 190));
  EXPECT_EQ(Cpu.KeyDown, -1);
}

TEST_F(CalcFormTest, PressedKeyIsDrawnAndRestored) {
  const QImage before = form->CalcImage();
  QTest::mousePress(form.get(), Qt::LeftButton, Qt::NoModifier, KeyCentre(52));
  EXPECT_NE(form->CalcImage(), before);
  QTest::mouseRelease(form.get(), Qt::LeftButton, Qt::NoModifier, KeyCentre(52));
  EXPECT_EQ(form->CalcImage(), before);
}

TEST_F(CalcFormTest, PcKeysPressCalculatorKeys) {
  struct Case {
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers;
    int expected;
  } cases[] = {
      {Qt::Key_Return, "\r", Qt::NoModifier, 41},    {Qt::Key_N, "n", Qt::NoModifier, 41},
      {Qt::Key_Backspace, "\b", Qt::NoModifier, 45}, {Qt::Key_Delete, "", Qt::NoModifier, 45},
      {Qt::Key_F7, "", Qt::NoModifier, 45},          {Qt::Key_Space, " ", Qt::NoModifier, 82},
      {Qt::Key_F1, "", Qt::NoModifier, 1},           {Qt::Key_F1, "", Qt::ShiftModifier, -1},
      {Qt::Key_A, "A", Qt::ShiftModifier, 11},       {Qt::Key_Period, ".", Qt::NoModifier, 83},
  };
  for (const Case& c : cases) {
    QTest::sendKeyEvent(QTest::KeyAction::Press, form.get(), c.key, c.text, c.modifiers);
    EXPECT_EQ(Cpu.KeyDown, c.expected) << c.text.toStdString() << " " << c.key;
    QTest::sendKeyEvent(QTest::KeyAction::Release, form.get(), c.key, c.text, c.modifiers);
    EXPECT_EQ(Cpu.KeyDown, -1);
  }
}

TEST_F(CalcFormTest, F9TogglesTurboAndReachesNoKey) {
  QTest::keyClick(form.get(), Qt::Key_F9);
  EXPECT_EQ(Turbo, 1);
  EXPECT_TRUE(form->TurboSpeedButton()->isChecked());
  EXPECT_EQ(Cpu.KeyDown, -1);
  QTest::keyClick(form.get(), Qt::Key_F9);
  EXPECT_EQ(Turbo, 0);
}

TEST_F(CalcFormTest, EscapeClosesTheWindowAndRunsTheShutDown) {
  form->SetShutDownWaits(0, 0, 0);
  Cpu.Running = 1;
  SaveRam = 1;
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_TRUE(form->ShutDownRan());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(Cpu.Running, 0);
  EXPECT_EQ(ReadFile(home + "VALDOR.RAM").size(), 16u * 9u);
}

TEST_F(CalcFormTest, ContrastButtonsStopAtTheirLimits) {
  contrast = 15;
  form->IncreaseContrastSpeedButtonClick();
  EXPECT_EQ(contrast, 15);
  form->DecreaseContrastSpeedButtonClick();
  EXPECT_EQ(contrast, 14);
  contrast = 0;
  form->DecreaseContrastSpeedButtonClick();
  EXPECT_EQ(contrast, 0);
}

TEST_F(CalcFormTest, SpeedMessageLastsUntilTheNextIdlePass) {
  Cpu.Awake = 1;
  LcdE = 0x003;  // PRGM and ALPHA
  form->redrawDisplay();
  form->SpeedScrollBarScroll(40);
  EXPECT_EQ(Ticks, 40);
  const QImage message = form->Display().AnnImage();
  form->idleRedraw();
  EXPECT_NE(form->Display().AnnImage(), message);
}

TEST_F(CalcFormTest, SpeedBarShowsOnlyAtTheBottomAtNormalSpeed) {
  QTest::mouseMove(form.get(), At(150, 570));
  EXPECT_TRUE(form->SpeedScrollBar()->isVisible());
  QTest::mouseMove(form.get(), At(150, 300));
  EXPECT_FALSE(form->SpeedScrollBar()->isVisible());
  Turbo = 1;
  QTest::mouseMove(form.get(), At(150, 570));
  EXPECT_FALSE(form->SpeedScrollBar()->isVisible());
}

TEST_F(CalcFormTest, LogoShowsOnlyOverItsArea) {
  QTest::mouseMove(form.get(), At(137 + 32, 115 + 34));  // its corner, border included
  EXPECT_TRUE(form->HpImage()->isVisible());
  QTest::mouseMove(form.get(), At(137 + 33, 115));
  EXPECT_FALSE(form->HpImage()->isVisible());
}

TEST_F(CalcFormTest, CentreAndPlacementArithmetic) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  form->CenterSpeedButtonClick();
  EXPECT_EQ(form->pos(), QPoint((screen.width() - 309) / 2, (screen.height() - 578) / 2));
  form->PlaceMainWindow(5000, -3);
  EXPECT_EQ(form->pos(), QPoint(screen.width() - 309, (screen.height() - 578) / 2));
  EXPECT_EQ(PlaceAxis(-1, 1024, 309), 357);
  EXPECT_EQ(PlaceAxis(-1, 768, 578), 95);
}

TEST_F(CalcFormTest, SettingsWrittenBackAreExactlyTheFive) {
  form->PlaceMainWindow(10, 20);
  Ticks = 99;
  contrast = 7;
  SaveSettings();
  const std::string ini = ReadFile(home + "VALDOR.Ini");
  ProfileFile file(home + "VALDOR.Ini");
  EXPECT_EQ(file.ReadInteger("CPU", "Ticks", 0), 99);
  EXPECT_EQ(file.ReadInteger("Calc", "Contrast", 0), 7);
  EXPECT_EQ(file.ReadInteger("Calc", "Left", 0), form->pos().x());
  int lines = 0;
  for (char c : ini) lines += c == '=';
  EXPECT_EQ(lines, 5);
}

// ----- The context menu -----

// A right click as the window system delivers it: press, context menu, release, queued.
void RightClick(QWidget* w, QPoint at) {
  const QPoint global = w->mapToGlobal(at);
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                 Qt::RightButton, Qt::RightButton, Qt::NoModifier));
  QCoreApplication::postEvent(w, new QContextMenuEvent(QContextMenuEvent::Mouse, at, global));
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                 Qt::RightButton, Qt::NoButton, Qt::NoModifier));
  QCoreApplication::processEvents();
}

TEST_F(CalcFormTest, RightButtonOpensTheMenuAndLeavesTheKeysAlone) {
  QTest::mousePress(form.get(), Qt::LeftButton, Qt::NoModifier, KeyCentre(73));
  RightClick(form.get(), KeyCentre(41));
  // The key held with the left button stays held, and ENTER was not pressed.
  EXPECT_EQ(Cpu.KeyDown, 73);
  TCalcMenu* menu = form->ContextMenu();
  EXPECT_TRUE(menu->isVisible());
  QStringList texts;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) texts << a->text();
  EXPECT_EQ(texts, QStringList({"About VALDOR", "Help: PC keys", "Copy display"}));
  menu->hide();
  QTest::mouseRelease(form.get(), Qt::LeftButton, Qt::NoModifier, KeyCentre(73));
  EXPECT_EQ(Cpu.KeyDown, -1);
}

TEST_F(CalcFormTest, CopyDisplayPutsTheShownTextOnTheClipboard) {
  const std::string digits = "123456789012";
  for (int i = 0; i < kLcdPositions; ++i) {
    LcdA[i] = static_cast<uint8_t>(digits[i] - '0');
    LcdB[i] = 3;
    LcdC[i] = 0;
  }
  LcdB[5] = 3 | 1 << 2;  // a point after the sixth character
  const struct {
    uint8_t on;
    std::string text;
  } cases[] = {{1, "123456.789012"}, {0, std::string(12, ' ')}};  // off: a blank display
  for (const auto& c : cases) {
    displayOn = c.on;
    QApplication::clipboard()->setText("old");
    form->ContextMenu()->CopyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.text);
  }
}

TEST_F(CalcFormTest, AboutNamesVersionHomeAndImagesAndHelpListsThePcKeys) {
  WriteHomeFile("fw.rom", std::string(8192, '\0'));
  WriteHomeFile("VALDOR.Ini", "[ROM]\nModules=2\nModule1=0 fw.rom\nModule2=$1000 gone.rom\n");
  StartUp(kNoWaits);
  form->ContextMenu()->AboutAction()->trigger();
  QDialog* about = form->ContextMenu()->AboutWindow();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  const QString text = about->findChild<QLabel*>()->text();
  for (const QString& part : {QString("VALDOR ") + VALDOR_VERSION, QString::fromStdString(home),
                              QString::fromStdString(home + "fw.rom")})
    EXPECT_TRUE(text.contains(part)) << part.toStdString();
  EXPECT_FALSE(text.contains("gone.rom"));

  form->ContextMenu()->HelpAction()->trigger();
  QDialog* help = form->ContextMenu()->HelpWindow();
  ASSERT_NE(help, nullptr);
  const auto* table = help->findChild<QTableWidget*>();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rowCount(), static_cast<int>(PcKeyMap().size()) + 2);
  EXPECT_EQ(table->item(0, 0)->text(), "ON");
  EXPECT_EQ(table->item(0, 1)->text(), "F1");
}

}  // namespace
