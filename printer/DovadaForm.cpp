#include "printer/DovadaForm.h"

#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "cpu/CpuThread.h"
#include "host/Host.h"
#include "host/ProfileFile.h"
#include "printer/Dovada.h"
#include "printer/PrinterFont.h"
#include "printer/QtPaperMenu.h"
#include "tools/CharacterSet.h"

namespace {

constexpr int kCellWidth = 14, kCellHeight = 16;
constexpr int kLineHeight = 16;
// The paper's pixels per inch on a real page: the 336 pixels of a line span the 57 mm roll, so a
// printed line is about 2.7 mm high, as on the printer's own paper.
constexpr int kPaperDpi = 150;
const char* const kCaption = "82143A Dovada Thermal Printer";
const QColor kMaroon(128, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

TDovadaForm* form = nullptr;
QPointer<QWidget> mainWindow;
std::function<void()> hiddenHandler;
int pdfResolution = 720;

void FocusMainWindow() {
  if (!mainWindow) return;
  mainWindow->activateWindow();
  mainWindow->setFocus();
}

QRect CellOf(int code) {
  return QRect(kCellWidth * (code % 16), kCellHeight * (code / 16), kCellWidth, kCellHeight);
}

// Rectangle operations on the paper, clipped to it; every copy replaces the pixels below.
void FillWhite(QImage& image, QRect r) {
  r &= image.rect();
  for (int y = r.top(); y <= r.bottom(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(line + r.left(), line + r.left() + r.width(), kWhite);
  }
}

// Copies the rows [by, by + rows) to [0, rows).
void ScrollUp(QImage& image, int by, int rows) {
  rows = std::min(rows, image.height() - by);
  for (int y = 0; y < rows; ++y)
    std::memcpy(image.scanLine(y), image.scanLine(y + by), image.bytesPerLine());
}

// Stretches the rectangle from of src onto to of dst, pixel for pixel (no smoothing).
void StretchCopy(QImage& dst, const QRect& to, const QImage& src, const QRect& from) {
  const QRect clip = to & dst.rect();
  for (int y = clip.top(); y <= clip.bottom(); ++y) {
    const int sy = from.top() + (y - to.top()) * from.height() / to.height();
    const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
    QRgb* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
    for (int x = clip.left(); x <= clip.right(); ++x)
      out[x] = in[from.left() + (x - to.left()) * from.width() / to.width()];
  }
}

enum class Glyph { PowerOn, PowerOff, Advance };

// The power sign (on: white in a lit red lamp; off: grey, unlit) and a paper-feed arrow.
QPixmap ButtonGlyph(Glyph glyph, qreal dpr) {
  QImage image(qRound(12 * dpr), qRound(12 * dpr), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink = glyph == Glyph::PowerOn    ? QColor(Qt::white)
                     : glyph == Glyph::PowerOff ? QColor(128, 128, 128)
                                                : kMaroon;
  if (glyph == Glyph::PowerOn) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 24, 24));
    p.drawEllipse(QRectF(0, 0, 12, 12));
  }
  p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  if (glyph == Glyph::Advance) {
    p.drawLine(QPointF(6, 1.5), QPointF(6, 10.5));
    QPainterPath head;
    head.moveTo(2.5, 5);
    head.lineTo(6, 1.5);
    head.lineTo(9.5, 5);
    p.drawPath(head);
  } else {
    p.drawArc(QRectF(2.5, 3, 7, 7), 120 * 16, 300 * 16);
    p.drawLine(QPointF(6, 2), QPointF(6, 6));
  }
  p.end();
  return QPixmap::fromImage(image);
}

}  // namespace

QImage DrawPrinterFont() {
  QImage image(16 * kCellWidth, 8 * kCellHeight, QImage::Format_RGB32);
  image.fill(kWhite);
  QPainter p(&image);
  for (int code = 0; code < kGlyphCount; ++code) {
    const QRect cell = CellOf(code);
    for (int column = 0; column < kGlyphColumns; ++column)
      for (int row = 0; row < kGlyphRows; ++row)
        if (PrinterFontDot(code, column, row))
          p.fillRect(cell.x() + 2 * column, cell.y() + 2 * row, 2, 2, Qt::black);
  }
  p.end();
  return image;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = static_cast<int64_t>(a) * b;
  const bool negative = (p < 0) != (c < 0);
  const int64_t num = p < 0 ? -p : p, den = c < 0 ? -static_cast<int64_t>(c) : c;
  const int64_t q = (num + den / 2) / den;
  const int64_t r = negative ? -q : q;
  if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(r);
}

// ----- The print job -----

// A job on the system's printer, or on a PDF file where the system has none. Its lines are
// collected as copies of font cells in printer coordinates and put on the pages when the job
// ends, so that an abort discards it on every platform without anything reaching the printer.
class TPrintJob {
 public:
  static std::unique_ptr<TPrintJob> Begin(const QImage& font) {
    auto job = std::unique_ptr<TPrintJob>(new TPrintJob);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
      job->printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
      job->printer_->setOutputFormat(QPrinter::PdfFormat);
      job->printer_->setResolution(pdfResolution);
      job->pdfPath_ = QString::fromStdString(PdfOutputPath());
      job->printer_->setOutputFileName(job->pdfPath_);
    } else {
      QPrinterInfo info = QPrinterInfo::defaultPrinter();
      if (info.isNull()) info = QPrinterInfo::availablePrinters().first();
      job->printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    QPrinter& printer = *job->printer_;
    printer.setDocName(kPrintJobTitle);
    job->dx_ = printer.logicalDpiX();
    job->dy_ = printer.logicalDpiY();
    job->pageHeight_ = printer.height();
    if (!printer.isValid() || job->dx_ <= 0 || job->dy_ <= 0) return nullptr;
    for (int code = 0; code < kGlyphCount; ++code) job->images_.push_back(font.copy(CellOf(code)));
    job->images_.push_back(font.copy(kDotBlockX, kDotBlockY, 2, 2));
    return job;
  }

  static constexpr int kDot = kGlyphCount;  // image index of the dot block

  // A new page when the line does not fit on the current one.
  void StartLine() {
    lineHeight_ = MulDiv(kLineHeight, dy_, kPaperDpi);
    if (pageLine_ + lineHeight_ > pageHeight_) {
      ++page_;
      pageLine_ = 0;
    }
  }
  // The image put at paper position (x, line top + y) with paper size w × h. Both corners are
  // scaled, so that neighbouring cells meet without a gap at any resolution.
  void Copy(int x, int y, int w, int h, int image) {
    const QPoint from(MulDiv(x, dx_, kPaperDpi), pageLine_ + MulDiv(y, dy_, kPaperDpi));
    const QPoint to(MulDiv(x + w, dx_, kPaperDpi), pageLine_ + MulDiv(y + h, dy_, kPaperDpi));
    ops_.push_back({page_, QRect(from, to - QPoint(1, 1)), image});
  }
  void EndLine() { pageLine_ += lineHeight_; }
  int PageLine() const { return pageLine_; }

  // Prints the pages; the message tells where a PDF went or why nothing was printed.
  bool Finish(QString& message) {
    if (ops_.empty()) {  // nothing to print: no empty page, no file
      message = "Nothing was printed.";
      return true;
    }
    QPainter painter;
    if (!painter.begin(printer_.get())) {
      message = pdfPath_.isEmpty()
                    ? QString("The print job could not be started.")
                    : QString("Cannot write the printer output to\n%1").arg(pdfPath_);
      return false;
    }
    painter.setRenderHint(QPainter::LosslessImageRendering);  // no JPEG blur around the dots
    int page = 0;
    for (const Op& op : ops_) {
      for (; page < op.page; ++page) printer_->newPage();
      painter.drawImage(op.target, images_[op.image]);
    }
    for (; page < page_; ++page) printer_->newPage();
    const bool ok = painter.end();
    if (!pdfPath_.isEmpty())
      message = ok ? QString("The printer output was written to\n%1").arg(pdfPath_)
                   : QString("Cannot write the printer output to\n%1").arg(pdfPath_);
    return ok;
  }

 private:
  TPrintJob() = default;
  struct Op {
    int page;
    QRect target;
    int image;
  };
  std::unique_ptr<QPrinter> printer_;
  QString pdfPath_;
  int dx_ = 0, dy_ = 0, pageHeight_ = 0, lineHeight_ = 0;
  int page_ = 0, pageLine_ = 0;
  std::vector<Op> ops_;
  std::vector<QImage> images_;  // one per cell, so that a PDF holds each glyph once
};

// ----- The paper view -----

TPaperView::TPaperView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void TPaperView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, paper_);
}

// The paper keeps its top-left part; new room is white.
void TPaperView::resizeEvent(QResizeEvent*) {
  if (paper_.size() == size()) return;
  QImage grown(size(), QImage::Format_RGB32);
  grown.fill(kWhite);
  if (!paper_.isNull() && !grown.isNull()) {
    const QRect keep = paper_.rect() & grown.rect();
    StretchCopy(grown, keep, paper_, keep);
  }
  paper_ = grown;
}

// The right button opens the context menu, whose popup takes the release: it never pauses.
// Other presses are counted before Pause, which processes messages while it waits: a release
// delivered meanwhile finds the count and lets the pause go as soon as it stands.
void TPaperView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) return;
  ++held_;
  if (TNutCPU::Pause()) ++pauses_;
  ResumeUnheld();
}

void TPaperView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) return;
  if (held_ > 0) --held_;
  ResumeUnheld();
}

void TPaperView::ReleasePause() {
  held_ = 0;
  ResumeUnheld();
}

void TPaperView::ResumeUnheld() {
  for (; pauses_ > held_; --pauses_) TNutCPU::Resume();
}

// ----- The window -----

TDovadaForm::TDovadaForm() : QWidget(nullptr) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(kCaption);
  setAttribute(Qt::WA_QuitOnClose, false);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::StrongFocus);
  setFont(QFont("MS Sans Serif", 8));
  // The paper has one width: only the height follows a drag, so neither edge moves sideways.
  setFixedWidth(kDesignWidth);
  resize(kDesignWidth, kDesignHeight);

  fontImage_ = DrawPrinterFont();
  paperMenu_ = new TPaperMenu(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  frontPanel_ = new QWidget(this);
  frontPanel_->setFixedHeight(kFrontPanelHeight);
  QPalette palette = frontPanel_->palette();
  palette.setColor(QPalette::ButtonText, kMaroon);
  palette.setColor(QPalette::WindowText, kMaroon);
  frontPanel_->setPalette(palette);
  layout->addWidget(frontPanel_);

  const qreal dpr = devicePixelRatioF();
  onButton_ = AddButton(2, 48, "On", "Turn printer on/off ...");
  onButton_->setCheckable(true);
  onButton_->setChecked(true);
  // The power lamp shows On and Off, unlike the mode switch, which shows its position pressed.
  QIcon power;
  power.addPixmap(ButtonGlyph(Glyph::PowerOn, dpr), QIcon::Normal, QIcon::On);
  power.addPixmap(ButtonGlyph(Glyph::PowerOff, dpr), QIcon::Normal, QIcon::Off);
  onButton_->setIcon(power);
  manButton_ = AddButton(54, 40, "Man", "Manual mode ...");
  normButton_ = AddButton(98, 40, "Norm", "Normal mode ...");
  traceButton_ = AddButton(142, 40, "Trace", "Trace mode ...");
  modeGroup_ = new QButtonGroup(this);
  modeGroup_->setExclusive(true);
  for (QToolButton* b : {manButton_, normButton_, traceButton_}) {
    b->setCheckable(true);
    modeGroup_->addButton(b);
  }
  manButton_->setChecked(true);
  printerButton_ = AddButton(186, 48, "Printer", "Start/finish printing on the real printer ...");
  printerButton_->setCheckable(true);
  printButton_ = AddButton(238, 48, "Print", "Print the content of the buffer ...");
  advanceButton_ = AddButton(290, 48, "Adv", "Advance paper for one line ...");
  advanceButton_->setIcon(ButtonGlyph(Glyph::Advance, dpr));
  advanceButton_->setLayoutDirection(Qt::RightToLeft);  // the glyph right of the caption

  connect(onButton_, &QToolButton::clicked, this, [this] { OnSpeedButtonClick(); });
  connect(modeGroup_, &QButtonGroup::buttonClicked, this, [this] { ModeSpeedButtonClick(); });
  connect(printerButton_, &QToolButton::clicked, this, [this] { PrinterSpeedButtonClick(); });
  // Print and Adv act while any mouse button holds them: their mouse events come here.
  printButton_->installEventFilter(this);
  advanceButton_->installEventFilter(this);

  scrollBox_ = new QScrollArea(this);
  scrollBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  scrollBox_->setLineWidth(2);
  scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scrollBox_->setFocusPolicy(Qt::NoFocus);
  scrollBox_->setWidgetResizable(true);
  paperView_ = new TPaperView;
  scrollBox_->setWidget(paperView_);
  layout->addWidget(scrollBox_, 1);
  // The view gets its design size at once, before the window is first shown.
  layout->activate();
  paperView_->resize(scrollBox_->viewport()->size());
}

TDovadaForm::~TDovadaForm() {
  paperView_->ReleasePause();
}

QToolButton* TDovadaForm::AddButton(int x, int width, const QString& caption, const QString& hint) {
  auto* b = new QToolButton(frontPanel_);
  b->setGeometry(x, 4, width, 25);
  b->setText(caption);
  b->setToolTip(hint);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setIconSize(QSize(12, 12));
  return b;
}

int TDovadaForm::PageLine() const {
  return job_ ? job_->PageLine() : 0;
}

void TDovadaForm::RefreshPrinter() {
  QImage& paper = paperView_->Paper();
  const int h = paper.height(), w = paper.width();
  if (paperLine_ >= h) {
    paperLine_ = h - kLineHeight;
    ScrollUp(paper, kLineHeight, paperLine_);
  }
  FillWhite(paper, QRect(0, paperLine_, w, kLineHeight));
  TPrintJob* job = job_.get();
  if (job) job->StartLine();

  int x = SpaceLeft;
  bool columnMode = false;
  int cellWidth = 7;  // dot columns
  for (const char ch : PrintLine()) {
    const uint8_t b = static_cast<uint8_t>(ch);
    if (b >= 0xD0 && b <= 0xD7) {
      columnMode = b & 2;
      cellWidth = (b & 4) ? 14 : 7;
    } else if (b >= 0xA0 && b <= 0xB7) {
      columnMode = false;
      x += (b - 0xA0) * cellWidth * 2;
    } else if (b >= 0xB8 && b <= 0xBF) {
      columnMode = false;
      x += (b - 0xB8) * 2;
    } else if (b < 0x80 && columnMode) {
      for (int i = 0; i < 7; ++i) {
        if (!((b >> i) & 1)) continue;
        StretchCopy(paper, QRect(x, paperLine_ + 2 * i, 2, 2), fontImage_,
                    QRect(kDotBlockX, kDotBlockY, 2, 2));
        if (job) job->Copy(x, 2 * i, 2, 2, TPrintJob::kDot);
      }
      x += 2;
    } else if (b < 0x80) {
      StretchCopy(paper, QRect(x, paperLine_, 2 * cellWidth, kCellHeight), fontImage_, CellOf(b));
      if (job) job->Copy(x, 0, 2 * cellWidth, kCellHeight, b);
      x += 2 * cellWidth;
    }
  }
  paperLine_ += kLineHeight;
  paperText_.push_back(PrintLineUtf8(PrintLine(), SpaceLeft));
  if (paperText_.size() > kPaperTextLines) paperText_.pop_front();
  if (job) job->EndLine();
  paperView_->update();
  ClearPrintBuffer();
}

void TDovadaForm::OnSpeedButtonClick() {
  AbortPrintJob();
  if (onButton_->isChecked()) {
    PrinterOn = 1;
    paperLine_ = 0;
    paperView_->Paper().fill(kWhite);
    paperView_->update();
  } else {
    PrinterOn = 0;
  }
  PrinterReset();
  // The reset reads MAN; the mode switch keeps its position, so its mode applies again.
  ModeSpeedButtonClick();
}

void TDovadaForm::ModeSpeedButtonClick() {
  if (traceButton_->isChecked())
    SetPrinterMode(PrinterMode::Trace);
  else if (normButton_->isChecked())
    SetPrinterMode(PrinterMode::Norm);
  else
    SetPrinterMode(PrinterMode::Man);
}

void TDovadaForm::PrinterSpeedButtonClick() {
  if (!printerButton_->isChecked()) {
    EndPrintJob();
    return;
  }
  job_ = TPrintJob::Begin(fontImage_);
  if (!job_) TheHost().MessageBox(kCaption, "The print job could not be started.");
}

void TDovadaForm::PrintSpeedButtonMouse(bool down) {
  SetPrintKey(down);
}

void TDovadaForm::AdvanceSpeedButtonMouse(bool down) {
  SetAdvKey(down);
}

void TDovadaForm::AbortPrintJob() {
  job_.reset();
  printerButton_->setChecked(false);
}

void TDovadaForm::EndPrintJob() {
  printerButton_->setChecked(false);
  if (!job_) return;  // aborted, or never begun
  const std::unique_ptr<TPrintJob> job = std::move(job_);
  QString message;
  const bool ok = job->Finish(message);
  if (message.isEmpty()) return;
  if (ok)
    TheHost().Notice(kCaption, message.toStdString());
  else
    TheHost().MessageBox(kCaption, message.toStdString());
}

void TDovadaForm::ApplyPlacement(int left, int top, int width, int height) {
  move(left, top);
  setFixedWidth(std::clamp(width, 1, QWIDGETSIZE_MAX));
  resize(this->width(), height);
}

void TDovadaForm::contextMenuEvent(QContextMenuEvent* e) {
  paperMenu_->UpdateActions();
  paperMenu_->popup(e->globalPos());
}

void TDovadaForm::keyPressEvent(QKeyEvent* e) {
  if (e->key() != Qt::Key_Escape) return;
  close();
  FocusMainWindow();
}

// Hidden by the close box, Esc or HidePrinter; minimising is not hiding.
void TDovadaForm::hideEvent(QHideEvent* e) {
  if (e->spontaneous()) return;
  PrinterOn = 0;
  paperView_->ReleasePause();
  if (hiddenHandler) hiddenHandler();
}

bool TDovadaForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched != printButton_ && watched != advanceButton_) return false;
  const QEvent::Type type = event->type();
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  if (!press && type != QEvent::MouseButtonRelease) return false;
  auto* button = static_cast<QToolButton*>(watched);
  button->setDown(press);
  if (button == printButton_)
    PrintSpeedButtonMouse(press);
  else
    AdvanceSpeedButtonMouse(press);
  return true;
}

// ----- What the main window calls -----

void SetPrinterMainWindow(QWidget* window) {
  mainWindow = window;
}

void SetPrinterHiddenHandler(std::function<void()> handler) {
  hiddenHandler = std::move(handler);
}

void ShowPrinter() {
  if (!form) {
    form = new TDovadaForm;
    const ProfileFile ini(HomeFile(".Ini"));
    form->ApplyPlacement(ini.ReadInteger("Dovada", "Left", 0), ini.ReadInteger("Dovada", "Top", 0),
                         ini.ReadInteger("Dovada", "Width", TDovadaForm::kDesignWidth),
                         ini.ReadInteger("Dovada", "Height", TDovadaForm::kDesignHeight));
  }
  if (!form->isVisible()) {
    form->show();
    FocusMainWindow();
  }
  form->OnSpeedButtonClick();
}

void HidePrinter() {
  PrinterOn = 0;
  if (!form) return;
  form->AbortPrintJob();
  form->hide();
}

void DovadaRefreshPrinter() {
  if (form)
    form->RefreshPrinter();
  else
    ClearPrintBuffer();
}

bool SavePrinterPlacement() {
  if (!form) return true;
  ProfileFile ini(HomeFile(".Ini"));
  const QPoint p = form->pos();
  bool ok = ini.WriteInteger("Dovada", "Left", p.x());
  ok = ini.WriteInteger("Dovada", "Top", p.y()) && ok;
  ok = ini.WriteInteger("Dovada", "Width", form->width()) && ok;
  ok = ini.WriteInteger("Dovada", "Height", form->height()) && ok;
  return ok;
}

bool PrinterWindowExists() {
  return form != nullptr;
}

TDovadaForm* PrinterWindow() {
  return form;
}

void EndOpenPrintJob() {
  if (form) form->EndPrintJob();
}

void DestroyPrinterWindow() {
  delete form;
  form = nullptr;
}

void SetPdfResolution(int dpi) {
  pdfResolution = dpi;
}

std::string PdfOutputPath() {
  return TheHost().HomeDir() + kPrintJobTitle + ".pdf";
}
