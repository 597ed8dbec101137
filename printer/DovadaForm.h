#pragma once
// The printer window: the 82143A's front panel above its paper. Each finished print line is
// drawn on the paper from the printer font and, while a print job is open, on the system's
// printer (or, where the system has none, into a PDF file in the home folder).

#include <QImage>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QButtonGroup;
class QScrollArea;
class QToolButton;

// The printer font drawn from the glyph table: 16 × 8 cells of 14 × 16 pixels, the cell of code c
// at (14 × (c mod 16), 16 × (c div 16)), dots of 2 × 2 pixels, black ink on white.
QImage DrawPrinterFont();
// The solid 2 × 2 block of the font image that prints one dot of a dot column.
inline constexpr int kDotBlockX = 0, kDotBlockY = 6;

// a × b / c with a 64-bit product, rounded to the nearest integer (halves away from zero);
// -1 when c is 0 or the result does not fit, as the Windows function does.
int MulDiv(int a, int b, int c);

// The paper view: a white image the size of the view that keeps what was printed, so that the
// paper survives being covered, minimised or resized. Holding a mouse button on it pauses the
// CPU thread.
class TPaperView : public QWidget {
 public:
  explicit TPaperView(QWidget* parent = nullptr);
  QImage& Paper() { return paper_; }
  const QImage& Paper() const { return paper_; }
  // Lets a paused CPU thread go (the window is hidden while a button is held).
  void ReleasePause();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void ResumeUnheld();

  QImage paper_;
  int held_ = 0;    // mouse buttons pressed on the paper and not yet released
  int pauses_ = 0;  // successful TNutCPU::Pause calls not yet resumed
};

class TPrintJob;
class TPaperMenu;

class TDovadaForm : public QWidget {
  Q_OBJECT

 public:
  // The client area of a window 348 × 576 in a classic frame (4-pixel borders, 19-pixel
  // caption): the front panel and a 336 × 512 paper view in a 2-pixel sunken box.
  static constexpr int kDesignWidth = 340, kDesignHeight = 549;
  static constexpr int kFrontPanelHeight = 33;

  TDovadaForm();
  ~TDovadaForm() override;

  // Draws the line in the print buffer on the paper (and on the open print job), then clears
  // the buffer.
  void RefreshPrinter();

  // Event handlers.
  void OnSpeedButtonClick();
  void ModeSpeedButtonClick();
  void PrinterSpeedButtonClick();
  void PrintSpeedButtonMouse(bool down);
  void AdvanceSpeedButtonMouse(bool down);

  // The print job: discarded by an abort (and the Printer button set up), printed by its end.
  bool PrintJobOpen() const { return job_ != nullptr; }
  void AbortPrintJob();
  void EndPrintJob();

  // Position (frame) and size (client area) as written to the configuration; the width stays
  // fixed at the one given.
  void ApplyPlacement(int left, int top, int width, int height);

  int PaperLine() const { return paperLine_; }
  // Every line printed since the window was created (the newest kPaperTextLines), as text.
  const std::deque<std::string>& PaperText() const { return paperText_; }
  static constexpr size_t kPaperTextLines = 100000;
  TPaperMenu* PaperMenu() const { return paperMenu_; }
  int PageLine() const;
  const QImage& FontImage() const { return fontImage_; }
  const QImage& Paper() const { return paperView_->Paper(); }
  TPaperView* PrinterImage() const { return paperView_; }
  QScrollArea* PrinterScrollBox() const { return scrollBox_; }
  QWidget* FrontPanel() const { return frontPanel_; }
  QToolButton* OnSpeedButton() const { return onButton_; }
  QToolButton* ManSpeedButton() const { return manButton_; }
  QToolButton* NormSpeedButton() const { return normButton_; }
  QToolButton* TraceSpeedButton() const { return traceButton_; }
  QToolButton* PrinterSpeedButton() const { return printerButton_; }
  QToolButton* PrintSpeedButton() const { return printButton_; }
  QToolButton* AdvanceSpeedButton() const { return advanceButton_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QToolButton* AddButton(int x, int width, const QString& caption, const QString& hint);

  QImage fontImage_;
  QWidget* frontPanel_ = nullptr;
  QScrollArea* scrollBox_ = nullptr;
  TPaperView* paperView_ = nullptr;
  QToolButton* onButton_ = nullptr;
  QToolButton* manButton_ = nullptr;
  QToolButton* normButton_ = nullptr;
  QToolButton* traceButton_ = nullptr;
  QToolButton* printerButton_ = nullptr;
  QToolButton* printButton_ = nullptr;
  QToolButton* advanceButton_ = nullptr;
  QButtonGroup* modeGroup_ = nullptr;
  std::unique_ptr<TPrintJob> job_;
  int paperLine_ = 0;
  std::deque<std::string> paperText_;
  TPaperMenu* paperMenu_ = nullptr;
};

// ----- What the main window calls -----

// The main window: gets the focus back when the printer window is shown or closed with Esc.
void SetPrinterMainWindow(QWidget* mainWindow);
// Runs whenever the printer window is hidden (close box, Esc, HidePrinter): the main window sets
// its printer button up there. It must not call HidePrinter.
void SetPrinterHiddenHandler(std::function<void()> handler);

// Creates the window on first use (placement from "Dovada" in the configuration), shows it,
// gives the focus back to the main window and runs the On button's handler.
void ShowPrinter();
// Clears PrinterOn; aborts an open print job and hides the window.
void HidePrinter();
// The print-line hand-over: draws the line when the window exists, always clears the buffer.
void DovadaRefreshPrinter();
// Writes "Dovada" Left, Top, Width and Height if the window was ever created; false when the
// configuration could not be written.
bool SavePrinterPlacement();
bool PrinterWindowExists();
// The window, or nullptr before the first ShowPrinter.
TDovadaForm* PrinterWindow();
// Prints a job still open at program end.
void EndOpenPrintJob();
// Destroys the window (tests; the program may leave it to the end).
void DestroyPrinterWindow();

// The document title of the print job, and the PDF written where the system has no printer.
inline constexpr const char* kPrintJobTitle = "Dovada Printer Output";
// The PDF's resolution (720 dpi: the paper's pixels one to one).
void SetPdfResolution(int dpi);
// Where the PDF goes: the home folder, named after the document title.
std::string PdfOutputPath();
