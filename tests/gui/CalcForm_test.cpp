// The main window driven through real mouse and key events on the offscreen platform.

#include "frontpanel/CalcForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <filesystem>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "debugger/DebugForm.h"
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
  // A mouse event queued for the window, as the window system delivers it: routed to the
  // component under the point and pumped by the event loop. `at` is in window coordinates.
  void Post(QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
    QWindow* w = form->windowHandle();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QCoreApplication::postEvent(
        w, new QMouseEvent(type, QPointF(at), QPointF(at), w->mapToGlobal(QPointF(at)), button,
                           held, Qt::NoModifier));
    QCoreApplication::processEvents();
  }
  // The window as painted at the form's pixel ratio, with the display area blanked.
  QImage WindowOutsideDisplay(qreal dpr) {
    QImage image((QSizeF(form->size()) * dpr).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    form->render(&image);
    QPainter(&image).fillRect(QRect(26, 44, 253, 38).translated(1, 1), Qt::black);
    return image;
  }
  std::unique_ptr<TCalcForm> form;
};

// Pressed keys are drawn and restored in device pixels, so no ratio leaves traces of other keys.
TEST_F(CalcFormTest, EveryKeyPressedAndReleasedLeavesTheWindowAsItWasAtAnyRatio) {
  for (qreal dpr : {1.0, 1.25, 1.5, 1.75, 2.0}) {
    form = std::make_unique<TCalcForm>(nullptr, dpr);
    SetPanel(form.get());
    form->show();
    Post(QEvent::MouseMove, At(150, 300));  // the pointer off the buttons: no hover highlight
    const QImage before = WindowOutsideDisplay(dpr);
    for (const KeyRect& k : keyRects) {
      Post(QEvent::MouseButtonPress, KeyCentre(k.number), Qt::LeftButton);
      EXPECT_NE(WindowOutsideDisplay(dpr), before) << "key " << int(k.number) << " at " << dpr;
      Post(QEvent::MouseButtonRelease, KeyCentre(k.number));
    }
    EXPECT_EQ(WindowOutsideDisplay(dpr), before) << dpr;
  }
}

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

// A CPU error stops the CPU (Running 0); closing afterwards still saves the memory. Before
// start-up has loaded it, nothing is saved over the image.
TEST_F(CalcFormTest, CloseSavesTheMemoryAfterACpuErrorButNotBeforeStartUp) {
  for (const bool started : {true, false}) {
    auto closing = std::make_unique<TCalcForm>();
    closing->SetShutDownWaits(0, 0, 0);
    closing->show();
    std::filesystem::remove(home + "VALDOR.RAM");
    StartedUp = started;
    Cpu.Running = 0;
    SaveRam = 1;
    closing->close();
    EXPECT_EQ(closing->ShutDownRan(), started);
    EXPECT_EQ(std::filesystem::exists(home + "VALDOR.RAM"), started);
  }
  StartedUp = false;
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

// The idle redraw runs every 20 ms; the message must survive it while the bar is held and after
// the release, and give way at the next move over the faceplate.
TEST_F(CalcFormTest, SpeedMessageStaysUntilThePointerIsBackOnTheFaceplate) {
  Cpu.Awake = 1;
  displayOn = 1;
  LcdE = 0x003;  // PRGM and ALPHA
  form->redrawDisplay();
  const QImage annunciators = form->Display().AnnImage();
  form->SetSpeedBar(256);
  Post(QEvent::MouseMove, At(150, 570));
  ASSERT_TRUE(form->SpeedScrollBar()->isVisible());
  Post(QEvent::MouseButtonPress, At(60, 570), Qt::LeftButton);  // the track: an octave slower
  EXPECT_EQ(Ticks, 512);
  const QImage message = form->Display().AnnImage();
  ASSERT_NE(message, annunciators);
  QTest::qWait(120);
  EXPECT_EQ(form->Display().AnnImage(), message) << "while held";
  Post(QEvent::MouseButtonRelease, At(60, 570));
  QTest::qWait(120);
  EXPECT_EQ(form->Display().AnnImage(), message) << "after the release";
  Post(QEvent::MouseMove, At(150, 300));
  EXPECT_EQ(form->Display().AnnImage(), annunciators);
}

// Only the faceplate picture between keys (and the labels printed on it) drags the window.
TEST_F(CalcFormTest, OnlyTheFaceplateStartsAWindowDrag) {
  form->SetSpeedBar(80);
  const struct {
    const char* what;
    QPoint at;
    bool drags;
  } cases[] = {
      {"faceplate between keys", At(80, 190), true},
      {"name label", At(150, 10), true},
      {"logo", At(150, 130), false},
      {"display", At(150, 55), false},
      {"annunciators", At(150, 75), false},
      {"contrast button", At(290, 24), false},
      {"speed bar", At(150, 570), false},
      {"key", KeyCentre(53), false},
  };
  for (const auto& c : cases) {
    Post(QEvent::MouseMove, c.at);  // shows the logo or the speed bar where the pointer is
    const QPoint before = form->pos();
    Post(QEvent::MouseButtonPress, c.at, Qt::LeftButton);
    Post(QEvent::MouseMove, c.at + QPoint(30, 20), Qt::LeftButton);
    Post(QEvent::MouseButtonRelease, c.at + QPoint(30, 20));
    EXPECT_EQ(form->pos() != before, c.drags) << c.what;
  }
}

// The turbo glyph stands out from the button's own background whether turbo is off or on.
TEST_F(CalcFormTest, TurboGlyphIsClearlyVisibleInBothStates) {
  for (bool on : {false, true}) {
    form->TurboSpeedButton()->setChecked(on);
    const QImage image = form->grab(form->TurboSpeedButton()->geometry()).toImage();
    QMap<QRgb, int> colours;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) ++colours[image.pixel(x, y)];
    const QColor background =
        std::ranges::max(colours.keys(), {}, [&](QRgb c) { return colours[c]; });
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        ink += std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                   std::abs(c.blue() - background.blue()) >
               240;
      }
    EXPECT_GT(ink, 30) << (on ? "on" : "off");
  }
}

// The idle redraw runs only while it has work, so that a sleeping calculator costs nothing:
// in turbo, until it is switched off. The timer's own passes, pumped by the event loop, stop it.
TEST_F(CalcFormTest, IdleRedrawRunsOnlyWhileItHasWork) {
  Cpu.Awake = 1;
  displayOn = 1;
  EXPECT_FALSE(form->IdleRedrawActive());
  form->SpeedScrollBarScroll(40);  // the message stays until the pointer is back: no idle work
  QTest::qWait(50);
  EXPECT_FALSE(form->IdleRedrawActive());
  form->TurboSpeedButton()->click();
  EXPECT_TRUE(form->IdleRedrawActive());
  QTest::qWait(100);
  EXPECT_TRUE(form->IdleRedrawActive());
  form->TurboSpeedButton()->click();
  QTest::qWait(100);
  EXPECT_FALSE(form->IdleRedrawActive());
}

// The bar spans a quarter to sixteen times the real speed, right is faster, and the default
// Ticks has a position of its own: a step right and back returns to it.
TEST_F(CalcFormTest, SpeedBarReachesTheRealSpeedAndRightIsFaster) {
  const struct {
    int position, ticks;
    const char* factor;
  } cases[] = {{0, 1024, "(0.25\xD7)"}, {4, 512, "(0.50\xD7)"}, {8, 256, "(1.0\xD7)"},
               {9, 215, "(1.2\xD7)"},   {12, 128, "(2.0\xD7)"}, {24, 16, "(16.0\xD7)"}};
  for (const auto& c : cases) {
    EXPECT_EQ(SpeedBarTicks(c.position), c.ticks) << c.position;
    EXPECT_EQ(SpeedBarPosition(c.ticks), c.position) << c.ticks;
    EXPECT_NE(SpeedMessage(c.ticks).find(c.factor), std::string::npos) << SpeedMessage(c.ticks);
  }
  EXPECT_EQ(SpeedBarPosition(100), 13);  // a configured speed between two steps: the nearest
  EXPECT_EQ(SpeedBarPosition(0), 24);
  Cpu.Awake = 1;
  displayOn = 1;
  form->SetSpeedBar(256);
  Post(QEvent::MouseMove, At(150, 570));
  ASSERT_TRUE(form->SpeedScrollBar()->isVisible());
  const QRect bar = form->SpeedScrollBar()->geometry();
  const QPoint right(bar.right() - 3, bar.center().y()), left(bar.left() + 3, bar.center().y());
  for (const auto& [at, ticks] : {std::pair{right, 215}, std::pair{left, 256}}) {
    Post(QEvent::MouseButtonPress, at, Qt::LeftButton);  // the arrow buttons: one step
    Post(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(Ticks, ticks);
  }
  EXPECT_EQ(form->ShownAnnunciators(), SpeedMessage(256));
}

// With turbo on and the calculator asleep the idle redraw stops; a wake's display hand-over
// starts it again.
TEST_F(CalcFormTest, IdleRedrawStopsWhileATurboCalculatorSleeps) {
  displayOn = 1;
  Cpu.Awake = 1;
  form->TurboSpeedButton()->click();
  ASSERT_TRUE(form->IdleRedrawActive());
  Cpu.Awake = 0;
  QTest::qWait(100);
  EXPECT_FALSE(form->IdleRedrawActive());
  Cpu.Awake = 1;
  form->redrawDisplay();
  EXPECT_TRUE(form->IdleRedrawActive());
  form->TurboSpeedButton()->click();
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

// A calculator taller than the available height is zoomed to fit (at scale 2 a 1080-line
// screen with a panel leaves 525 lines), and a zoomed one is clicked where it is drawn.
TEST_F(CalcFormTest, AZoomedCalculatorFitsAndItsKeysAreWhereTheyAreDrawn) {
  EXPECT_EQ(FitZoom(2000), 1.0);
  EXPECT_EQ(FitZoom(578), 1.0);
  EXPECT_DOUBLE_EQ(FitZoom(525), 525.0 / 578);
  EXPECT_EQ(FitZoom(100), 0.25);
  constexpr qreal zoom = 0.6;
  form = std::make_unique<TCalcForm>(nullptr, 1.0, zoom);
  SetPanel(form.get());
  form->show();
  EXPECT_EQ(form->size(), QSize(qRound(307 * zoom) + 2, qRound(576 * zoom) + 2));
  const KeyRect& k = keyRects[KeyIndex(73)];
  const QPoint centre(1 + qRound((k.x + k.width / 2) * zoom),
                      1 + qRound((k.y + k.height / 2) * zoom));
  QTest::mousePress(form.get(), Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_EQ(Cpu.KeyDown, 73);
  QTest::mouseRelease(form.get(), Qt::LeftButton, Qt::NoModifier, centre);
  // The faceplate fills the zoomed window: its bottom row is drawn, not cut off.
  const QImage shown = form->grab().toImage();
  EXPECT_NE(shown.pixelColor(form->width() / 2, form->height() - 4), QColor(192, 192, 192));
}

// The zooms a user may choose: from half the size to the largest that fits the available area
// (less where even half does not fit), in whole percent; a size's zoom is the one that fits in it.
TEST(Zoom, LimitsAndSizesAreInWholePercent) {
  const struct {
    QSize available;
    qreal max, min;
  } cases[] = {
      {{1920, 1050}, 1.81, 0.5},  // 1048 / 576 = 1.819...
      {{1366, 738}, 1.27, 0.5},
      {{800, 600}, 1.03, 0.5},
      {{300, 200}, 0.34, 0.34},  // half does not fit
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(MaxZoom(c.available), c.max) << c.available.height();
    EXPECT_DOUBLE_EQ(MinZoom(c.available), c.min) << c.available.height();
  }
  for (qreal zoom : {0.5, 0.6, 0.75, 1.0, 1.37, 1.81}) {
    EXPECT_DOUBLE_EQ(ZoomOfSize(TCalcForm::SizeAt(zoom)), zoom);
    EXPECT_DOUBLE_EQ(ZoomOfSize(TCalcForm::SizeAt(zoom) + QSize(40, 0)), zoom) << "wider";
  }
  EXPECT_EQ(TCalcForm::SizeAt(1.0), QSize(309, 578));
}

class ZoomedFormTest : public CalcFormTest {
 protected:
  // A point of the faceplate in window coordinates at the form's zoom.
  QPoint Z(qreal x, qreal y) const {
    return QPoint(1 + qRound(x * form->Zoom()), 1 + qRound(y * form->Zoom()));
  }
  QPoint ZKey(int number) const {
    const KeyRect& k = keyRects[KeyIndex(number)];
    return Z(k.x + k.width / 2.0, k.y + k.height / 2.0);
  }
  // Drags the resize grip by d, through queued events.
  void DragGrip(QPoint d) {
    const QPoint grip = form->ResizeGrip()->geometry().center();
    Post(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    Post(QEvent::MouseMove, grip + d / 2, Qt::LeftButton);
    Post(QEvent::MouseMove, grip + d, Qt::LeftButton);
    Post(QEvent::MouseButtonRelease, grip + d);
  }
};

// The grip's corner follows the pointer along the faceplate's diagonal; keys, buttons, the speed
// bar and the drag-to-move work where they are drawn at the new size, and the limits hold.
TEST_F(ZoomedFormTest, TheGripResizesAndEverythingWorksWhereItIsDrawn) {
  ASSERT_DOUBLE_EQ(form->Zoom(), 1.0);
  form->drawCharacters("HELLO");
  form->drawPunctuation("    .");
  const QPoint topLeft = form->pos();
  DragGrip(QPoint(-123, -230));  // 0.4 of the faceplate's width and height
  ASSERT_DOUBLE_EQ(form->Zoom(), 0.6);
  EXPECT_EQ(form->size(), TCalcForm::SizeAt(0.6));
  EXPECT_EQ(form->pos(), topLeft);
  EXPECT_EQ(form->MainZoom(), 60);
  // The display is drawn again at the new size with what it showed.
  DisplayView expected(form->devicePixelRatio() * 0.6);
  expected.applyContrast(5);
  expected.drawCharacters("HELLO");
  expected.drawPunctuation("    .");
  EXPECT_EQ(form->Display().DispImage(), expected.DispImage());

  for (const KeyRect& k : keyRects) {
    Post(QEvent::MouseButtonPress, ZKey(k.number), Qt::LeftButton);
    EXPECT_EQ(Cpu.KeyDown, k.number);
    Post(QEvent::MouseButtonRelease, ZKey(k.number));
  }
  const int before = contrast;
  Post(QEvent::MouseButtonPress, Z(290, 24), Qt::LeftButton);  // the + button
  Post(QEvent::MouseButtonRelease, Z(290, 24));
  EXPECT_EQ(contrast, std::min(before + 1, 15));
  Post(QEvent::MouseButtonPress, Z(26, 8), Qt::LeftButton);  // turbo
  Post(QEvent::MouseButtonRelease, Z(26, 8));
  EXPECT_TRUE(form->TurboSpeedButton()->isChecked());
  form->TurboSpeedButton()->click();
  form->SetSpeedBar(256);
  Post(QEvent::MouseMove, Z(150, 570));
  ASSERT_TRUE(form->SpeedScrollBar()->isVisible());
  EXPECT_EQ(form->SpeedScrollBar()->geometry().bottom(), form->height() - 2);
  Post(QEvent::MouseButtonPress, Z(60, 570), Qt::LeftButton);  // the track: an octave slower
  Post(QEvent::MouseButtonRelease, Z(60, 570));
  EXPECT_EQ(Ticks, 512);
  const QPoint moved = form->pos();
  Post(QEvent::MouseButtonPress, Z(80, 190), Qt::LeftButton);  // between keys
  Post(QEvent::MouseMove, Z(80, 190) + QPoint(30, 20), Qt::LeftButton);
  Post(QEvent::MouseButtonRelease, Z(80, 190) + QPoint(30, 20));
  EXPECT_NE(form->pos(), moved);

  const QSize available = form->screen()->availableGeometry().size();
  DragGrip(QPoint(2000, 2000));
  EXPECT_DOUBLE_EQ(form->Zoom(), MaxZoom(available));
  DragGrip(QPoint(-2000, -2000));
  EXPECT_DOUBLE_EQ(form->Zoom(), 0.5);
  EXPECT_EQ(form->size(), TCalcForm::SizeAt(0.5));
}

// A window grown past the available area's bottom or right edge comes back onto it at the end
// of the drag; one that still fits stays where it is.
TEST_F(ZoomedFormTest, AWindowGrownPastTheScreenComesBackOnIt) {
  const QRect area = form->screen()->availableGeometry();
  form->ZoomTo(0.5);
  for (const QPoint at :
       {area.topLeft() + QPoint(100, 10), area.bottomRight() - QPoint(200, 300)}) {
    form->move(at);
    DragGrip(QPoint(2000, 2000));
    const QRect frame = form->frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << at.x() << " " << at.y();
    EXPECT_EQ(frame.topLeft(), QPoint(std::min(at.x(), area.right() + 1 - frame.width()),
                                      std::min(at.y(), area.bottom() + 1 - frame.height())));
    form->ZoomTo(0.5);
  }
}

// A key held from the PC keyboard stays drawn pressed through a resize, and its release
// leaves the window as a fresh one of that size.
TEST_F(ZoomedFormTest, AKeyHeldThroughAResizeIsRestoredAtTheNewSize) {
  form->ZoomTo(0.8);
  QTest::keyPress(form.get(), Qt::Key_A);
  form->ZoomTo(0.7);
  EXPECT_TRUE(form->KeyHeld());
  QTest::keyRelease(form.get(), Qt::Key_A);
  TCalcForm fresh(nullptr, form->devicePixelRatio(), 0.7);
  EXPECT_EQ(form->CalcImage(), fresh.CalcImage());
}

// The window manager's resize keeps no aspect: once it ends the window snaps to the zoom that
// fits in the size it was given.
TEST_F(ZoomedFormTest, AWindowManagerResizeSnapsToTheFaceplatesAspect) {
  form->resize(250, 400);  // 248 / 307 = 0.807, 398 / 576 = 0.690
  QTest::qWait(400);
  EXPECT_DOUBLE_EQ(form->Zoom(), 0.69);
  EXPECT_EQ(form->size(), TCalcForm::SizeAt(0.69));
  EXPECT_EQ(form->MainZoom(), 69);
}

// "Zoom" in [Calc] is read at start (within the limits) and written back at exit once the user
// has a size; without one nothing is written and the calculator keeps fitting the screen.
TEST_F(ZoomedFormTest, TheSizeIsRestoredAtStartAndWrittenBack) {
  const qreal max = MaxZoom(QGuiApplication::primaryScreen()->availableGeometry().size());
  const struct {
    const char* ini;
    qreal zoom;
    int written;  // -1: no such line
  } cases[] = {
      {"", 1.0, -1},
      {"[Calc]\nZoom=0\n", 1.0, 0},  // the line stays as it was
      {"[Calc]\nZoom=60\n", 0.6, 60},
      {"[Calc]\nZoom=10\n", 0.5, 50},
      {"[Calc]\nZoom=500\n", max, qRound(max * 100)},
  };
  for (const auto& c : cases) {
    form = std::make_unique<TCalcForm>();
    SetPanel(form.get());
    WriteHomeFile("VALDOR.Ini", c.ini);
    StartUp(kNoWaits);
    EXPECT_DOUBLE_EQ(form->Zoom(), c.zoom) << c.ini;
    EXPECT_EQ(form->size(), TCalcForm::SizeAt(c.zoom)) << c.ini;
    SaveSettings();
    EXPECT_EQ(ProfileFile(home + "VALDOR.Ini").ReadInteger("Calc", "Zoom", -1), c.written) << c.ini;
    Cpu.Running = 0;
  }
}

// After a move the window comes back so that its top edge and at least half its width and
// height are on the available area; a window already there stays.
TEST_F(CalcFormTest, AMovedWindowComesBackOnScreen) {
  const QRect area(0, 30, 1366, 738);
  const struct {
    QRect frame;
    QPoint expected;
  } cases[] = {
      {{100, 100, 309, 578}, {100, 100}},
      {{1348, 100, 309, 578}, {1212, 100}},  // an 18-pixel strip at the right edge
      {{-291, 100, 309, 578}, {-154, 100}},  // at the left edge
      {{100, 750, 309, 578}, {100, 479}},    // below
      {{100, -200, 309, 578}, {100, 30}},    // above: the top edge back on the area
  };
  for (const auto& c : cases) EXPECT_EQ(KeepHalfOnScreen(c.frame, area), c.expected) << c.frame.x();
  // Through the event loop: the move settles, then the window comes back.
  const QRect available = form->screen()->availableGeometry();
  form->move(available.right() + 1 - 18, available.top() + 10);
  QTest::qWait(600);
  EXPECT_EQ(form->pos(),
            QPoint(available.right() + 1 - form->width() / 2, available.top() + 10));
}

// The logo is always there, faintly, so that it can be found; it lights under the pointer.
TEST_F(CalcFormTest, LogoShowsOnlyOverItsArea) {
  EXPECT_TRUE(form->HpImage()->isVisible());
  EXPECT_EQ(form->LogoOpacity(), TCalcForm::kLogoFaint);
  const QPointF corner(31, 33);
  QEnterEvent enter(corner, corner, form->HpImage()->mapToGlobal(corner));
  QApplication::sendEvent(form->HpImage(), &enter);
  EXPECT_EQ(form->LogoOpacity(), 1.0);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(form->HpImage(), &leave);
  EXPECT_EQ(form->LogoOpacity(), TCalcForm::kLogoFaint);
  QApplication::sendEvent(form->HpImage(), &enter);
  QTest::mouseMove(form.get(), At(137 + 33, 115));  // just right of it, on the faceplate
  EXPECT_EQ(form->LogoOpacity(), TCalcForm::kLogoFaint);
}

// Negative centres; the result is clamped so that the top and left edges stay on screen even
// for a window larger than the screen.
TEST(Placement, TopAndLeftEdgesStayOnScreen) {
  const struct {
    int value, screen, window, expected;
  } cases[] = {
      {-1, 1024, 309, 357}, {-1, 768, 578, 95},  {100, 1024, 309, 100},   {5000, 1024, 309, 715},
      {-1, 512, 578, 0},    {100, 512, 578, 0},  {5000, 512, 578, 0},     {-7, 512, 578, 0},
      {0, 578, 578, 0},     {-1, 1024, 1024, 0}, {2147483647, 10, 20, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlaceAxis(c.value, c.screen, c.window), c.expected)
        << c.value << " " << c.screen << " " << c.window;
}

TEST_F(CalcFormTest, CentreKeepsATallWindowsTopOnScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  form->setFixedSize(309, screen.height() + 200);
  form->CenterSpeedButtonClick();
  EXPECT_EQ(form->pos(), QPoint((screen.width() - 309) / 2, 0));
  form->PlaceMainWindow(10, 20);
  EXPECT_EQ(form->pos(), QPoint(10, 0));
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
  EXPECT_EQ(texts, QStringList({"About VALDOR", "Help: PC keys", "Copy display", "Modules…",
                                "Restart", "Save memory as…", "Load memory…"}));
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

// Ctrl+C on the calculator, queued as the window system delivers it, copies the display and
// presses no key.
TEST_F(CalcFormTest, CtrlCCopiesTheDisplay) {
  displayOn = 1;
  for (int i = 0; i < kLcdPositions; ++i) LcdA[i] = LcdB[i] = LcdC[i] = 0;
  LcdA[11] = 7;
  LcdB[11] = 3;
  QApplication::clipboard()->setText("old");
  QCoreApplication::postEvent(
      form->windowHandle(),
      new QKeyEvent(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QString(QChar(3))));
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::clipboard()->text(), DisplayTextLine());
  EXPECT_NE(QApplication::clipboard()->text(), "old");
  EXPECT_EQ(Cpu.KeyDown, -1);
}

// The debugger held open by a hit (DebuggerOpen set) but not shown: the logo opens it.
TEST_F(CalcFormTest, TheLogoOpensADebuggerAHitHolds) {
  DebuggerOpen = 1;
  const QPoint logo = At(150, 130);
  Post(QEvent::MouseMove, logo);
  ASSERT_TRUE(form->HpImage()->isVisible());
  QTest::mouseDClick(form->HpImage(), Qt::LeftButton);
  EXPECT_TRUE(DebuggerWindowVisible());
  DebuggerWindow()->close();
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
  // Two pairs of columns: the rows and turbo and close, half on each side.
  EXPECT_EQ(table->rowCount(), (static_cast<int>(PcKeyMap().size()) + 3) / 2);
  EXPECT_EQ(table->item(0, 0)->text(), "ON");
  EXPECT_EQ(table->item(0, 1)->text(), "F1");
  // At its default size the whole table shows: nothing to scroll.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
  EXPECT_EQ(table->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0);
}

}  // namespace
