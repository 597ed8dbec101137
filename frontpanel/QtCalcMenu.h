#pragma once
// The faceplate's context menu (right button, or the keyboard's menu key): About, Help with the
// PC key map, and Copy display.

#include <QMenu>
#include <QString>

class QDialog;

class TCalcMenu : public QMenu {
 public:
  explicit TCalcMenu(QWidget* parent);
  QAction* AboutAction() const { return about_; }
  QAction* HelpAction() const { return help_; }
  QAction* CopyAction() const { return copy_; }
  // The windows the actions open, created on first use (nullptr before).
  QDialog* AboutWindow() const { return aboutWindow_; }
  QDialog* HelpWindow() const { return helpWindow_; }

  void ShowAbout();
  void ShowHelp();

 private:
  QAction* about_;
  QAction* help_;
  QAction* copy_;
  QDialog* aboutWindow_ = nullptr;
  QDialog* helpWindow_ = nullptr;
};

// The About text (rich text): version, the home folder in use and the loaded ROM images.
QString AboutText();
// What the display shows now, as one line of Unicode text (empty while it is off).
QString DisplayTextLine();
