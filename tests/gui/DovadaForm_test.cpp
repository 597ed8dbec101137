// The printer window: its panel, the lines drawn on the paper, the print job (a PDF where the
// system has no printer), the status bits its buttons set, and the CPU pause on the paper.

#include "printer/DovadaForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <QTimer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "host/ProfileFile.h"
#include "host/QtHost.h"
#include "printer/Dovada.h"
#include "printer/PrinterFont.h"
#include "printer/QtPaperMenu.h"
#include "support/MachineFixture.h"

namespace {

using namespace std::chrono_literals;

// The machine's print-line hand-over reaches the printer window, as in the program.
class PrinterPanel : public HeadlessPanel {
 public:
  void RefreshPrinter() override { DovadaRefreshPrinter(); }
};

bool Ink(const QImage& image, int x, int y) {
  return qGray(image.pixel(x, y)) < 128;
}

// Lets posted events (layout, geometry, the right-edge check) run.
void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The smallest rectangle holding every ink pixel of r (null when r is blank).
QRect InkBox(const QImage& image, QRect r) {
  QRect box;
  r &= image.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (Ink(image, x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

QRect Cell(int code) {
  return QRect(14 * (code % 16), 16 * (code / 16), 14, 16);
}

// The Qt host for one test, as in the program: it pumps Qt's events while the machine waits.
struct UseQtHost {
  UseQtHost(Host& back, const std::string& home) : back(back) {
    qputenv("VALDOR_HOME", home.c_str());
    SetHost(&qt);
  }
  ~UseQtHost() {
    if (TNutCPU::Exists()) TNutCPU::Stop();
    SetHost(&back);
    qunsetenv("VALDOR_HOME");
  }
  QtHost qt;
  Host& back;
};

class DovadaFormTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    SetPanel(&printerPanel);
    SetPrinterHiddenHandler([this] { ++hidden; });
  }
  void TearDown() override {
    if (TNutCPU::Exists()) TNutCPU::Stop();
    DestroyPrinterWindow();
    SetPrinterHiddenHandler(nullptr);
    SetPdfResolution(720);
    MachineTest::TearDown();
  }
  TDovadaForm* Show() {
    ShowPrinter();
    Settle();
    return PrinterWindow();
  }
  // Sends the bytes of a line and its end byte through the printer device.
  void Line(const std::string& bytes, uint8_t end = 0xE0) {
    for (char c : bytes) PrintByte(static_cast<uint8_t>(c));
    PrintByte(end);
  }
  const QImage& Paper() { return PrinterWindow()->Paper(); }
  // The 14 × 16 cell of the paper at (x, y) shows the glyph of code.
  bool ShowsGlyph(int x, int y, int code) {
    return Paper().copy(x, y, 14, 16) == PrinterWindow()->FontImage().copy(Cell(code));
  }
  void Click(QToolButton* b, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(b, button, Qt::NoModifier, b->rect().center());
  }
  std::string Pdf() { return PdfOutputPath(); }

  PrinterPanel printerPanel;
  int hidden = 0;
};

TEST_F(DovadaFormTest, FontImageHoldsTheGlyphTable) {
  const QImage font = DrawPrinterFont();
  ASSERT_EQ(font.size(), QSize(224, 128));
  EXPECT_EQ(InkBox(font, QRect(0, 6, 2, 2)).size(), QSize(2, 2));
  for (int code = 0; code < 128; ++code)
    for (int column = 0; column < 7; ++column)
      for (int row = 0; row < 8; ++row) {
        const QRect dot(Cell(code).x() + 2 * column, Cell(code).y() + 2 * row, 2, 2);
        const QRect ink = InkBox(font, dot);
        ASSERT_TRUE(ink.isNull() || ink == dot) << code << " " << column << " " << row;
        ASSERT_EQ(!ink.isNull(), PrinterFontDot(code, column, row)) << code;
      }
}

TEST_F(DovadaFormTest, WindowLayout) {
  TDovadaForm* f = Show();
  EXPECT_EQ(f->windowTitle(), "82143A Dovada Thermal Printer");
  const Qt::WindowFlags flags = f->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(f->size(), QSize(340, 549));
  EXPECT_EQ(f->FrontPanel()->geometry(), QRect(0, 0, 340, 33));
  EXPECT_EQ(f->PrinterImage()->size(), QSize(336, 512));
  EXPECT_EQ(f->PrinterScrollBox()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  struct Case {
    QToolButton* button;
    int x, width;
    const char *caption, *hint;
    bool checkable, down;
  } cases[] = {
      {f->OnSpeedButton(), 2, 48, "On", "Turn printer on/off ...", true, true},
      {f->ManSpeedButton(), 54, 40, "Man", "Manual mode ...", true, true},
      {f->NormSpeedButton(), 98, 40, "Norm", "Normal mode ...", true, false},
      {f->TraceSpeedButton(), 142, 40, "Trace", "Trace mode ...", true, false},
      {f->PrinterSpeedButton(), 186, 48, "Printer", "Start/finish printing on the real printer ...",
       true, false},
      {f->PrintSpeedButton(), 238, 48, "Print", "Print the content of the buffer ...", false,
       false},
      {f->AdvanceSpeedButton(), 290, 48, "Adv", "Advance paper for one line ...", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(c.button->geometry(), QRect(c.x, 4, c.width, 25));
    EXPECT_EQ(c.button->text(), c.caption);
    EXPECT_EQ(c.button->toolTip(), c.hint);
    EXPECT_EQ(c.button->isCheckable(), c.checkable);
    EXPECT_EQ(c.button->isChecked(), c.down);
  }
}

// The On button's lamp shows the power state; a pressed mode button only shows the switch.
TEST_F(DovadaFormTest, OnButtonShowsItsStateByItsLamp) {
  TDovadaForm* f = Show();
  const auto lamp = [&](QIcon::State state) {
    return f->OnSpeedButton()->icon().pixmap(QSize(12, 12), QIcon::Normal, state).toImage();
  };
  const QImage on = lamp(QIcon::On), off = lamp(QIcon::Off);
  EXPECT_NE(on, off);
  // Lit: red dominates the lamp's middle row.
  int red = 0;
  for (int x = 0; x < on.width(); ++x) {
    const QColor c = on.pixelColor(x, on.height() / 2);
    red += c.alpha() > 128 && c.red() > 2 * c.green();
  }
  EXPECT_GT(red, on.width() / 3);
}

TEST_F(DovadaFormTest, FullPaperScrollsUpOneLine) {
  Show();
  for (int i = 0; i < 32; ++i) Line(std::string(1, static_cast<char>('!' + i)));
  EXPECT_EQ(PrinterWindow()->PaperLine(), 512);
  EXPECT_TRUE(ShowsGlyph(0, 0, '!'));
  EXPECT_TRUE(ShowsGlyph(0, 496, '!' + 31));
  Line("@");
  EXPECT_EQ(PrinterWindow()->PaperLine(), 512);
  EXPECT_TRUE(ShowsGlyph(0, 0, '!' + 1));
  EXPECT_TRUE(ShowsGlyph(0, 480, '!' + 31));
  EXPECT_TRUE(ShowsGlyph(0, 496, '@'));
  // What the view shows is the paper, whenever it is painted.
  EXPECT_EQ(PrinterWindow()->PrinterImage()->grab().toImage().convertToFormat(QImage::Format_RGB32),
            Paper());
}

TEST_F(DovadaFormTest, ShrinkingTheWindowScrollsTheNextLineIntoTheNewBottom) {
  TDovadaForm* f = Show();
  for (int i = 0; i < 32; ++i) Line(std::string(1, static_cast<char>('A' + i % 26)));
  f->resize(340, 549 - 112);
  Settle();
  ASSERT_EQ(Paper().height(), 400);
  EXPECT_TRUE(ShowsGlyph(0, 384, 'A' + 24));
  Line("#");
  EXPECT_EQ(f->PaperLine(), 400);
  EXPECT_TRUE(ShowsGlyph(0, 368, 'A' + 24));
  EXPECT_TRUE(ShowsGlyph(0, 384, '#'));
  EXPECT_TRUE(ShowsGlyph(0, 0, 'B'));
}

TEST_F(DovadaFormTest, DoubleWidthStretchesTheCellAcross) {
  Show();
  Line(
      "\xD4"
      "A");
  const QImage& font = PrinterWindow()->FontImage();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(Ink(Paper(), x, y), x < 28 && Ink(font, Cell('A').x() + x / 2, Cell('A').y() + y))
          << x << "," << y;
  EXPECT_EQ(InkBox(Paper(), Paper().rect()), QRect(0, 0, 20, 14));
}

TEST_F(DovadaFormTest, DotColumnsDrawOneDotPerBit) {
  Show();
  Line(std::string("\xD2\x7F\x01\x00\x40", 5));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool bar = x < 2 && y < 14, top = x >= 2 && x < 4 && y < 2;
      const bool bottom = x >= 6 && x < 8 && y >= 12 && y < 14;
      ASSERT_EQ(Ink(Paper(), x, y), bar || top || bottom) << x << "," << y;
    }
}

TEST_F(DovadaFormTest, LinesStartWhereTheDeviceLeavesThem) {
  Show();
  struct Case {
    int count;
    uint8_t end;
    int firstInk;
  } cases[] = {{24, 0xE8, 0}, {12, 0xE8, 168}, {12, 0xE0, 0}, {30, 0xE8, 0}, {1, 0xE8, 322}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    const int y = PrinterWindow()->PaperLine();
    Line(std::string(c.count, 'H'), c.end);
    const QRect ink = InkBox(Paper(), QRect(0, y, 336, 16));
    EXPECT_EQ(ink.left(), c.firstInk);
    // Each H fills dot columns 0 and 4; the line cuts at the paper's edges.
    EXPECT_EQ(ink.right(), std::min(c.firstInk + 14 * (c.count - 1) + 9, 335 - 4));
  }
  // Skips move by whole cells, at the line's current width.
  const int y = PrinterWindow()->PaperLine();
  Line("\xA2H\xD4\xA1H\xBBH");
  EXPECT_EQ(InkBox(Paper(), QRect(0, y, 42, 16)).left(), 28);
  EXPECT_TRUE(Paper().copy(28, y, 14, 16) == PrinterWindow()->FontImage().copy(Cell('H')));
  EXPECT_EQ(InkBox(Paper(), QRect(42, y, 56, 16)).left(), 70);
  EXPECT_EQ(InkBox(Paper(), QRect(98, y, 40, 16)).left(), 104);
}

TEST_F(DovadaFormTest, ButtonsSetTheStatusBitsAndOnClearsThePaper) {
  TDovadaForm* f = Show();
  Line("HELLO");
  const auto press = [](QToolButton* b, Qt::MouseButton m) {
    QTest::mousePress(b, m, {}, QPoint(5, 5));
  };
  const auto release = [](QToolButton* b, Qt::MouseButton m) {
    QTest::mouseRelease(b, m, {}, QPoint(5, 5));
  };
  struct Case {
    const char* action;
    std::function<void()> act;
    uint32_t status;
    int on, paperLine;
  } cases[] = {
      {"shown", [] {}, 0x0300, 1, 16},
      {"Norm", [&] { Click(f->NormSpeedButton()); }, 0x4300, 1, 16},
      {"Trace", [&] { Click(f->TraceSpeedButton()); }, 0x8300, 1, 16},
      {"Print down", [&] { press(f->PrintSpeedButton(), Qt::LeftButton); }, 0xA300, 1, 16},
      {"Print up", [&] { release(f->PrintSpeedButton(), Qt::LeftButton); }, 0x8300, 1, 16},
      {"Adv down", [&] { press(f->AdvanceSpeedButton(), Qt::RightButton); }, 0x9300, 1, 16},
      {"Adv up", [&] { release(f->AdvanceSpeedButton(), Qt::RightButton); }, 0x8300, 1, 16},
      {"On up: reset, the switch stays at Trace", [&] { Click(f->OnSpeedButton()); }, 0x8300, 0,
       16},
      {"Man", [&] { Click(f->ManSpeedButton()); }, 0x0300, 0, 16},
      {"On down: a clean paper", [&] { Click(f->OnSpeedButton()); }, 0x0300, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    c.act();
    EXPECT_EQ(PrinterStatus.load(), c.status);
    EXPECT_EQ(PrinterOn.load(), c.on);
    EXPECT_EQ(f->PaperLine(), c.paperLine);
    EXPECT_EQ(InkBox(Paper(), Paper().rect()).isNull(), c.paperLine == 0);
  }
}

TEST_F(DovadaFormTest, HidingClearsPrinterOnAndTellsTheMainWindow) {
  QWidget mainWindow;
  SetPrinterMainWindow(&mainWindow);
  struct Case {
    const char* how;
    std::function<void()> hide;
  } cases[] = {
      {"Esc", [] { QTest::keyClick(PrinterWindow(), Qt::Key_Escape); }},
      {"close box", [] { PrinterWindow()->close(); }},
      {"HidePrinter", [] { HidePrinter(); }},
  };
  int expected = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Show();
    ASSERT_TRUE(PrinterWindow()->isVisible());
    ASSERT_EQ(PrinterOn.load(), 1);
    c.hide();
    EXPECT_FALSE(PrinterWindow()->isVisible());
    EXPECT_EQ(PrinterOn.load(), 0);
    EXPECT_EQ(hidden, ++expected);
  }
  // Other keys do nothing.
  Show();
  QTest::keyClick(PrinterWindow(), Qt::Key_A);
  EXPECT_TRUE(PrinterWindow()->isVisible());
  SetPrinterMainWindow(nullptr);
}

TEST_F(DovadaFormTest, WithoutTheWindowTheLineIsOnlyCleared) {
  Line("HELLO");
  EXPECT_FALSE(PrinterWindowExists());
  EXPECT_TRUE(PrintLine().empty());
  EXPECT_EQ(SpaceLeft, 336);
}

TEST_F(DovadaFormTest, PlacementComesFromAndGoesToTheConfiguration) {
  EXPECT_TRUE(SavePrinterPlacement());  // no window yet: nothing is written
  EXPECT_FALSE(std::filesystem::exists(home + "VALDOR.Ini"));
  WriteHomeFile("VALDOR.Ini", "[Dovada]\nLeft=40\nTop=30\nWidth=300\n");
  TDovadaForm* f = Show();
  EXPECT_EQ(f->pos(), QPoint(40, 30));
  EXPECT_EQ(f->size(), QSize(300, TDovadaForm::kDesignHeight));
  f->move(70, 20);
  Settle();
  ASSERT_TRUE(SavePrinterPlacement());
  const ProfileFile ini(home + "VALDOR.Ini");
  EXPECT_EQ(ini.ReadInteger("Dovada", "Left", -1), 70);
  EXPECT_EQ(ini.ReadInteger("Dovada", "Top", -1), 20);
  EXPECT_EQ(ini.ReadInteger("Dovada", "Width", -1), 300);
  EXPECT_EQ(ini.ReadInteger("Dovada", "Height", -1), TDovadaForm::kDesignHeight);
  // A configuration that cannot be written.
  std::filesystem::remove(home + "VALDOR.Ini");
  std::filesystem::create_directory(home + "VALDOR.Ini");
  EXPECT_FALSE(SavePrinterPlacement());
}

// A drag of an edge is a new geometry from the window manager: the width stays that of the
// paper, so the right edge stays put without the window being moved afterwards.
TEST_F(DovadaFormTest, ResizingKeepsTheRightEdge) {
  TDovadaForm* f = Show();
  f->move(100, 50);
  Settle();
  const QRect start = f->geometry();
  const struct {
    int dw, dh;
  } drags[] = {{40, 0}, {-40, -60}, {0, -100}, {0, 100}};
  for (const auto& d : drags) {
    SCOPED_TRACE(d.dw);
    f->setGeometry(start.adjusted(0, 0, d.dw, d.dh));
    Settle();
    EXPECT_EQ(f->geometry().right(), start.right());
    EXPECT_EQ(f->geometry().left(), start.left());
    EXPECT_EQ(f->height(), start.height() + d.dh);
  }
}

// ----- The print job, on a PDF where the system has no printer -----

class DovadaPrintTest : public DovadaFormTest {
 protected:
  void SetUp() override {
    DovadaFormTest::SetUp();
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a system printer exists";
  }
  // Renders a corner of the PDF's first page at dpi (null without pdftoppm). The renderer
  // smooths images that it scales by less than 4, so tests render at 4 times the resolution.
  QImage Render(int dpi) {
    const QString tool = QStandardPaths::findExecutable("pdftoppm");
    if (tool.isEmpty()) return {};
    const QString out = QString::fromStdString(home + "page");
    QProcess p;
    p.start(tool, {"-r", QString::number(dpi), "-gray", "-f", "1", "-l", "1", "-x", "0", "-y", "0",
                   "-W", "3200", "-H", "1200", QString::fromStdString(Pdf()), out});
    p.waitForFinished(30000);
    return QImage(out + "-1.pgm");
  }
  int Pages() {
    const QString pdf = QString::fromStdString(ReadFile(Pdf()));
    return static_cast<int>(pdf.count(QRegularExpression("/Type\\s*/Page[^s]")));
  }
};

TEST_F(DovadaPrintTest, PdfHoldsThePaperAtItsRealSize) {
  for (int dpi : {720, 300}) {
    SCOPED_TRACE(dpi);
    SetPdfResolution(dpi);
    TDovadaForm* f = Show();
    Click(f->PrinterSpeedButton());
    ASSERT_TRUE(f->PrintJobOpen());
    Line("Hello \xD5world");
    Line("\xD2\x7F\x41\x7F\xA1\xD0Sum=12.5;gjpqy", 0xE8);
    Line(
        "\xD4"
        "A");
    host.messages.clear();
    Click(f->PrinterSpeedButton());
    EXPECT_FALSE(f->PrintJobOpen());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(home + "Dovada Printer Output.pdf"), std::string::npos);
    ASSERT_EQ(ReadFile(Pdf()).substr(0, 5), "%PDF-");
    // Whatever the printer's resolution, a paper pixel is 1/150 inch on the page: 4 page
    // pixels at 600 dpi.
    const QImage page = Render(600);
    if (page.isNull()) continue;  // without pdftoppm the file's existence must do
    const int scale = 4;
    const QRect paperInk = InkBox(Paper(), Paper().rect());
    const QRect pageInk = InkBox(page, page.rect());
    // The renderer may round an image's far edges up by a pixel.
    EXPECT_NEAR(pageInk.width(), paperInk.width() * scale, 1);
    EXPECT_NEAR(pageInk.height(), paperInk.height() * scale, 1);
    // Every paper pixel of the printed lines and the one below, compared with the middle of
    // its block on the page.
    const QPoint margin = pageInk.topLeft() - paperInk.topLeft() * scale;
    int wrong = 0;
    for (int y = 0; y < 4 * 16; ++y)
      for (int x = 0; x < Paper().width(); ++x)
        wrong += Ink(Paper(), x, y) !=
                 Ink(page, margin.x() + x * scale + scale / 2, margin.y() + y * scale + scale / 2);
    EXPECT_EQ(wrong, 0);
    std::filesystem::remove(Pdf());
  }
}

TEST_F(DovadaPrintTest, NewPageWhenTheNextLineDoesNotFit) {
  // At 1200 dpi a line is 128 printer pixels.
  SetPdfResolution(1200);
  QPrinter reference(QPrinter::HighResolution);
  reference.setOutputFormat(QPrinter::PdfFormat);
  reference.setResolution(1200);
  const int linesPerPage = reference.height() / 128;
  for (int lines : {linesPerPage, linesPerPage + 1}) {
    TDovadaForm* f = Show();
    Click(f->PrinterSpeedButton());
    for (int i = 0; i < lines; ++i) Line("X");
    EXPECT_EQ(f->PageLine(), lines == linesPerPage ? 128 * lines : 128);
    Click(f->PrinterSpeedButton());
    EXPECT_EQ(Pages(), lines == linesPerPage ? 1 : 2) << lines;
  }
}

// Printed as on the printer's own 57 mm roll: 24 characters span about 56 mm and a line is about
// 2.7 mm high, at any resolution.
TEST_F(DovadaPrintTest, PrintedLineHasItsRealSize) {
  for (int dpi : {720, 300}) {
    SCOPED_TRACE(dpi);
    SetPdfResolution(dpi);
    TDovadaForm* f = Show();
    Click(f->PrinterSpeedButton());
    Line(std::string(24, 'H'));
    Line(std::string(24, 'H'));
    Click(f->PrinterSpeedButton());
    const QImage page = Render(600);
    if (page.isNull()) GTEST_SKIP() << "no pdftoppm";
    const QRect ink = InkBox(page, page.rect());
    const double mm = 25.4 / 600;  // one pixel of the rendering
    // Each line's H is 7 dots high; the two lines' tops are one line apart.
    const QRect first = InkBox(page, QRect(ink.left(), ink.top(), 20, 62));
    const int pitch = InkBox(page, QRect(ink.left(), first.bottom() + 1, 20, 200)).top() - ink.top();
    EXPECT_NEAR(pitch * mm, 16 * 25.4 / 150, 0.05);
    EXPECT_NEAR(ink.width() * mm, 332 * 25.4 / 150, 0.1);
    EXPECT_LT(ink.width() * mm, 57);
    std::filesystem::remove(Pdf());
  }
}

// A message that reports success carries the information icon, a failure the warning icon.
TEST_F(DovadaPrintTest, MessageIconTellsSuccessFromFailure) {
  UseQtHost qt(host, home);
  struct Case {
    bool blocked;
    QMessageBox::Icon icon;
  } cases[] = {{false, QMessageBox::Information}, {true, QMessageBox::Warning}};
  for (const Case& c : cases) {
    if (c.blocked) {
      std::filesystem::remove(Pdf());
      std::filesystem::create_directory(Pdf());
    }
    TDovadaForm* f = Show();
    Click(f->PrinterSpeedButton());
    Line("OK");
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    QTimer::singleShot(50, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
          shown = box->icon();
          box->accept();
        }
    });
    Click(f->PrinterSpeedButton());
    EXPECT_EQ(shown, c.icon) << c.blocked;
  }
}

TEST_F(DovadaPrintTest, AbortDiscardsTheJobAndEndingAtExitPrintsIt) {
  struct Case {
    const char* how;
    std::function<void()> finish;
    bool written;
  } cases[] = {
      {"ShowPrinter aborts", [] { ShowPrinter(); }, false},
      {"On aborts", [] { PrinterWindow()->OnSpeedButtonClick(); }, false},
      {"HidePrinter aborts", [] { HidePrinter(); }, false},
      {"program end prints", [] { EndOpenPrintJob(); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    TDovadaForm* f = Show();
    Click(f->PrinterSpeedButton());
    Line("ABC");
    host.messages.clear();
    c.finish();
    EXPECT_FALSE(f->PrintJobOpen());
    EXPECT_FALSE(f->PrinterSpeedButton()->isChecked());
    EXPECT_EQ(std::filesystem::exists(Pdf()), c.written);
    EXPECT_EQ(host.messages.size(), c.written ? 1u : 0u);
    std::filesystem::remove(Pdf());
    // Asking to end a job that is not open does nothing.
    f->PrinterSpeedButtonClick();
    EXPECT_FALSE(std::filesystem::exists(Pdf()));
  }
}

// A job in which nothing was printed writes no file and says so, rather than "written to".
TEST_F(DovadaPrintTest, EmptyJobWritesNothingAndSaysSo) {
  TDovadaForm* f = Show();
  std::filesystem::remove(Pdf());
  Click(f->PrinterSpeedButton());
  host.messages.clear();
  Click(f->PrinterSpeedButton());
  EXPECT_EQ(host.messages, std::vector<std::string>{"Nothing was printed."});
  EXPECT_FALSE(std::filesystem::exists(Pdf()));
}

// ----- The CPU pause while a mouse button holds the paper -----

class DovadaPauseTest : public DovadaFormTest {
 protected:
  uint32_t Cycles() {
    uint32_t c = 0;
    TNutCPU::RunHalted([&] { c = Cpu.CycleCount; });
    return c;
  }
  bool Runs() {
    const uint32_t start = Cycles();
    for (auto end = std::chrono::steady_clock::now() + 5s;
         std::chrono::steady_clock::now() < end;) {
      host.ProcessMessages();
      if (Cycles() > start) return true;
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }
  bool StandsStill() {
    const uint32_t start = Cycles();
    std::this_thread::sleep_for(30ms);
    return Cycles() == start;
  }
};

TEST_F(DovadaPauseTest, HoldingTheMouseOnThePaperPausesTheCpu) {
  TDovadaForm* f = Show();
  QWidget* paper = f->PrinterImage();
  // Without a CPU thread there is nothing to pause, and nothing breaks.
  QTest::mousePress(paper, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseRelease(paper, Qt::LeftButton, {}, QPoint(20, 20));

  host.SetFakeTicks(std::nullopt);
  host.BecomeGuiThread();
  Cpu.Running = 1;
  LoadWords(0, {0x003});  // a loop on itself
  TNutCPU::Create();
  ASSERT_TRUE(Runs());
  QTest::mousePress(paper, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_TRUE(StandsStill());
  // A second button held and let go keeps the pause.
  QTest::mousePress(paper, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
  QTest::mouseRelease(paper, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
  EXPECT_TRUE(StandsStill());
  QTest::mouseRelease(paper, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_TRUE(Runs());
  // The right button alone opens the menu, whose popup takes the release: it must not pause.
  QTest::mousePress(paper, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
  EXPECT_TRUE(Runs());
  // Hiding the window while the paper is held lets the CPU go.
  QTest::mousePress(paper, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_TRUE(StandsStill());
  HidePrinter();
  EXPECT_TRUE(Runs());
}

TEST_F(DovadaFormTest, ContextMenuSavesThePaperAsPictureAndText) {
  TDovadaForm* f = Show();
  QWidget* paper = f->PrinterImage();
  QCoreApplication::postEvent(paper, new QContextMenuEvent(QContextMenuEvent::Mouse, QPoint(9, 9),
                                                           paper->mapToGlobal(QPoint(9, 9))));
  QCoreApplication::processEvents();
  TPaperMenu* menu = f->PaperMenu();
  EXPECT_TRUE(menu->isVisible());
  EXPECT_FALSE(menu->SavePngAction()->isEnabled());  // nothing printed yet
  EXPECT_FALSE(menu->SaveTextAction()->isEnabled());
  menu->hide();
  EXPECT_FALSE(SavePaperPng(*f, QString::fromStdString(home + "empty.png")));

  Line("HI");
  Line("AB");
  menu->UpdateActions();
  EXPECT_TRUE(menu->SavePngAction()->isEnabled());
  ASSERT_TRUE(SavePaperText(f->PaperText(), QString::fromStdString(home + "paper.txt")));
  EXPECT_EQ(ReadFile(home + "paper.txt"), "HI\nAB\n");
  ASSERT_TRUE(SavePaperPng(*f, QString::fromStdString(home + "paper.png")));
  const QImage saved(QString::fromStdString(home + "paper.png"));
  EXPECT_EQ(saved.convertToFormat(Paper().format()), Paper().copy(0, 0, Paper().width(), 32));
  EXPECT_FALSE(SavePaperText(f->PaperText(), QString::fromStdString(home + "no/paper.txt")));
}

// Pause processes messages until the CPU stands: a release that arrives meanwhile (queued before
// the press was counted) must still let the CPU go.
TEST_F(DovadaPauseTest, ReleaseDeliveredWhilePausingResumes) {
  TDovadaForm* f = Show();
  QWidget* paper = f->PrinterImage();
  UseQtHost qt(host, home);
  host.SetFakeTicks(std::nullopt);
  Cpu.Running = 1;
  LoadWords(0, {0x003});
  TNutCPU::Create();
  ASSERT_TRUE(Runs());
  std::this_thread::sleep_for(50ms);  // running again after the halt that counted its cycles
  const QPointF at(20, 20);
  QCoreApplication::postEvent(paper, new QMouseEvent(QEvent::MouseButtonRelease, at,
                                                     paper->mapToGlobal(at), Qt::LeftButton,
                                                     Qt::NoButton, Qt::NoModifier));
  QTest::mousePress(paper, Qt::LeftButton, {}, at.toPoint());
  QApplication::processEvents();
  EXPECT_TRUE(Runs());
  HidePrinter();  // lets a stuck pause go before the thread is stopped
}

// ----- MulDiv -----

TEST(MulDivTest, RoundsToTheNearestInteger) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
      {16, 720, 720, 16},
      {16, 720, 360, 32},
      {2, 720, 300, 5},
      {2, 720, 600, 2},
      {1, 720, 1440, 1},
      {-1, 720, 1440, -1},
      {-84, 720, 600, -101},
      {84, -720, -600, 101},
      {5, 7, 0, -1},
      {1 << 30, 8, 2, -1},
      {1 << 30, 1 << 30, 1 << 30, 1 << 30},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " " << c.b << " " << c.c;
}

}  // namespace
