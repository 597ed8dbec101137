#pragma once
// The operations of the desktop that the machine triggers: drawing on the display, the paper,
// the debugger and the main window. The desktop implements them on its windows; the headless
// panel records what would have been shown.

#include <string>

class Panel {
 public:
  virtual ~Panel() = default;

  // Display (main window): twelve characters, twelve punctuation marks, the annunciator line.
  virtual void drawCharacters(const std::string& text) = 0;
  virtual void drawPunctuation(const std::string& text) = 0;
  virtual void drawAnnunciators(const std::string& text) = 0;
  // Recolours the display for the current contrast and empties the redraw caches.
  virtual void applyContrast() = 0;
  // Brings the display up to date with the LCD driver (GUI thread).
  virtual void redrawDisplay() = 0;
  // Draws the print line held by the printer device, then clears it (GUI thread).
  virtual void RefreshPrinter() = 0;
  // Opens the debugger window beside the main window.
  virtual void ShowDebugger() = 0;
  // Refreshes every field of the debugger window (animate mode).
  virtual void RefreshDebugger() = 0;
  // Main window placement from the configured left and top (negative: centred).
  virtual void PlaceMainWindow(int left, int top) = 0;
  // The main window's size as a percentage of its own, from the configuration (0 or less: fit
  // to the screen); applied before the placement.
  virtual void ZoomMainWindow(int /*percent*/) {}
  // Sets the speed bar to ticks and enables it.
  virtual void SetSpeedBar(int ticks) = 0;
  // The main window's current position, written back at exit.
  virtual int MainLeft() = 0;
  virtual int MainTop() = 0;
  // The size the user gave the main window, as a percentage, written back at exit; 0 while it
  // has not been resized (nothing is written then, so that it keeps fitting the screen).
  virtual int MainZoom() { return 0; }
  // Writes the printer window's placement back, if that window was ever created.
  virtual void SavePrinterPlacement() {}
};

Panel& ThePanel();
// Installs the panel; the caller keeps ownership. nullptr restores the headless panel.
void SetPanel(Panel* panel);
