#pragma once
// The main window: the calculator's faceplate with its display, keys and small buttons. It is
// also the panel through which the machine draws on the display.

#include <QImage>
#include <QWidget>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/StartUp.h"
#include "display/DisplayView.h"
#include "display/Lcd.h"
#include "frontpanel/FaceplateView.h"
#include "host/Panel.h"

class QGraphicsOpacityEffect;
class QLabel;
class QScrollBar;
class TCalcMenu;
class QTimer;
class QToolButton;

// The speed bar: four steps an octave from a quarter of the real calculator's speed (Ticks
// 1024, at the left) to sixteen times it (Ticks 16, at the right); the real speed, Ticks 256,
// is position kRealSpeedPosition.
constexpr int kSpeedPositions = 25, kRealSpeedPosition = 8;
int SpeedBarTicks(int position);
// The position nearest to ticks (Ticks 0 or less, as fast as possible: the right end).
int SpeedBarPosition(int ticks);
// " Speed adjusting: TICKS=256 (1.0x)", in Latin-1 with a multiplication sign.
std::string SpeedMessage(int ticks);

// Where a moved window goes back to: its top edge on the available area and at least half its
// width and half its height on it.
QPoint KeepHalfOnScreen(const QRect& frame, const QRect& available);

// The zoom that fits the calculator into an available height: 1 where it fits, less where not.
qreal FitZoom(int availableHeight);
// The zooms a user may give the calculator on an available area: from half its size to the
// largest that fits the area (less than half where even half does not fit).
qreal MaxZoom(QSize available);
qreal MinZoom(QSize available);
// The zoom of a window size: the faceplate filling it along its tighter side, in whole percent.
qreal ZoomOfSize(QSize window);

class TCalcForm : public QWidget, public Panel {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 307, kClientHeight = 576;
  static constexpr int kBorder = 1;  // the faceplate starts inside a one-pixel border

  // dpr: the device pixel ratio the pictures are drawn at; 0 takes the application's. zoom:
  // the faceplate's size as a share of its own; 0 fits it to the screen's available height.
  explicit TCalcForm(QWidget* parent = nullptr, qreal dpr = 0, qreal zoom = 0);
  ~TCalcForm() override;

  // Panel
  void drawCharacters(const std::string& text) override;
  void drawPunctuation(const std::string& text) override;
  void drawAnnunciators(const std::string& text) override;
  void applyContrast() override;
  void redrawDisplay() override;
  void RefreshPrinter() override;
  void ShowDebugger() override;
  void RefreshDebugger() override;
  void SavePrinterPlacement() override;
  void PlaceMainWindow(int left, int top) override;
  void SetSpeedBar(int ticks) override;
  int MainLeft() override { return pos().x(); }
  int MainTop() override { return pos().y(); }
  void ZoomMainWindow(int percent) override;
  int MainZoom() override;

  // Redraws the whole window at a new zoom (kept within MinZoom and MaxZoom of the screen),
  // its top-left corner staying where it is: the resize grip, the window manager's resize and
  // the configuration come here.
  void ZoomTo(qreal zoom);
  // The window's size at a zoom: the faceplate zoomed inside the one-pixel border.
  static QSize SizeAt(qreal zoom);
  QWidget* ResizeGrip() const { return grip_; }

  // The keyboard of the faceplate, in faceplate coordinates (left or middle button; the right
  // one opens the context menu).
  void CalcImageMouseDown(QPoint p);
  void CalcImageMouseUp();
  void CalcImageMouseMove(QPoint p);
  // Runs when the GUI has nothing else to do: the display in turbo, the speed message.
  void idleRedraw();
  // Whether the idle redraw runs: only while it has work (turbo).
  bool IdleRedrawActive() const;

  // Buttons.
  void CenterSpeedButtonClick();
  void TurboSpeedButtonClick();
  void DecreaseContrastSpeedButtonClick();
  void IncreaseContrastSpeedButtonClick();
  void SpeedScrollBarScroll(int position);
  void HpImageDblClick();
  void DovadaSpeedButtonClick();

  QToolButton* TurboSpeedButton() const { return turboButton_; }
  QToolButton* DovadaSpeedButton() const { return printerButton_; }
  QScrollBar* SpeedScrollBar() const { return speedBar_; }
  QLabel* HpImage() const { return hpImage_; }
  static constexpr qreal kLogoFaint = 0.3;
  qreal LogoOpacity() const;
  qreal Zoom() const { return zoom_; }
  bool KeyHeld() const { return keyHeld_; }
  TCalcMenu* ContextMenu() const { return menu_; }
  const QImage& CalcImage() const { return calcImage_; }
  const DisplayView& Display() const { return view_; }
  // The character text last drawn on the display.
  const std::string& ShownCharacters() const { return shownChars_; }
  const std::string& ShownAnnunciators() const { return shownAnn_; }
  // The shut-down waits (shortened by tests).
  void SetShutDownWaits(uint32_t a, uint32_t b, uint32_t c);
  // Sets the machine up again from the configuration without closing, keeping the memory or
  // putting `memory` (a RAM image) in its place. A close asked for meanwhile runs afterwards.
  // False when it cannot run now (closing, or a restart under way).
  bool Restart(const std::string* memory = nullptr);
  bool Restarting() const { return restarting_; }
  bool ShutDownRan() const { return shutDownRan_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLabels();
  void BuildButtons();
  void BuildSpeedBar();
  void BuildTimers();
  // Geometry, pictures and fonts of the components at the current zoom.
  void LayOut();
  void Rescale(qreal zoom);
  QSize Available() const;
  void FitOnScreen();
  QRect DeviceRect(QRect logical) const;
  // A faceplate rectangle in window coordinates, and a window point on the faceplate.
  QRect Zoomed(QRect faceplate) const;
  QPoint OnFaceplate(QPointF window) const;
  QPoint Placed(int left, int top) const;
  void DrawKeyPressed(int index);
  void RestoreKey();
  void PressAtKeyCentre(int keyNumber);
  void ArmIdleRedraw();
  bool StartsDrag(const QMouseEvent& e) const;

  qreal dpr_;
  qreal zoom_;
  qreal ink_;  // device pixels per faceplate pixel: dpr_ x zoom_
  QImage faceplate_;  // as drawn
  QImage calcImage_;  // what is shown, with a pressed key drawn into it
  QImage keyBackup_;
  QRect backupRect_;  // where keyBackup_ came from, in device pixels
  int heldKeyIndex_ = -1;
  bool keyHeld_ = false;
  bool annMessageShown_ = false;
  bool speedBarHeld_ = false;
  DisplayView view_;
  std::string shownChars_, shownAnn_;
  DisplayRedrawer redrawer_;
  QToolButton* turboButton_ = nullptr;
  QToolButton* printerButton_ = nullptr;
  QScrollBar* speedBar_ = nullptr;
  QLabel* hpImage_ = nullptr;
  QLabel* name_ = nullptr;
  QLabel* foot_ = nullptr;
  QWidget* grip_ = nullptr;
  struct Glyphed {
    QToolButton* button;
    std::optional<ButtonGlyph> glyph;  // none: a text button
  };
  std::vector<std::pair<QWidget*, QRect>> placed_;  // components and their faceplate rectangles
  std::vector<Glyphed> glyphed_;
  QPoint gripStart_;    // global position where the grip was pressed
  qreal gripZoom_ = 0;  // the zoom then
  bool userZoomed_ = false;
  int shownContrast_ = 5;
  std::string shownPunct_;
  unsigned drawn_ = 0;  // which of characters (1), punctuation (2), annunciators (4) were drawn
  QTimer* resizeTimer_ = nullptr;  // a window-manager resize has ended: snap to a zoom
  QGraphicsOpacityEffect* logoEffect_ = nullptr;
  TCalcMenu* menu_ = nullptr;
  QTimer* idleTimer_ = nullptr;
  QTimer* settleTimer_ = nullptr;      // a move has ended once no other follows for a while
  std::map<quint64, int> pcKeysDown_;  // PC key identity -> calculator key it pressed
  QPoint dragOffset_;
  bool manualDrag_ = false;
  bool closing_ = false;
  bool shutDownRan_ = false;
  bool restarting_ = false;
  bool closeAfterRestart_ = false;
  LifeCycleWaits shutDownWaits_;
};
