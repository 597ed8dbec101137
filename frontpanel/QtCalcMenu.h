#pragma once
// The faceplate's context menu (right button, or the keyboard's menu key): About, Help with the
// PC key map, Copy display, the Modules window, Restart, and the memory saved to or loaded from
// a file.

#include <QMenu>
#include <QString>
#include <functional>
#include <string>

class QDialog;
class TModulesForm;

class TCalcMenu : public QMenu {
 public:
  // restart: sets the machine up again from the configuration, keeping the memory or putting
  // the given RAM image in its place; false when it could not run now.
  using Restarter = std::function<bool(const std::string* memory)>;
  TCalcMenu(QWidget* parent, Restarter restart);
  QAction* AboutAction() const { return about_; }
  QAction* HelpAction() const { return help_; }
  QAction* CopyAction() const { return copy_; }
  QAction* ModulesAction() const { return modules_; }
  QAction* RestartAction() const { return restartAction_; }
  QAction* SaveMemoryAction() const { return saveMemory_; }
  QAction* LoadMemoryAction() const { return loadMemory_; }
  // The windows the actions open, created on first use (nullptr before).
  QDialog* AboutWindow() const { return aboutWindow_; }
  QDialog* HelpWindow() const { return helpWindow_; }
  TModulesForm* ModulesWindow() const { return modulesWindow_; }

  void ShowAbout();
  void ShowHelp();
  // Opens the Modules window (afresh from the configuration unless it holds edits).
  TModulesForm* ShowModules();
  // The memory written to a file the user names, and read from one.
  void SaveMemoryAs(const QString& path);
  void LoadMemory(const QString& path);

 private:
  Restarter restart_;
  QAction* about_;
  QAction* help_;
  QAction* copy_;
  QAction* modules_;
  QAction* restartAction_;
  QAction* saveMemory_;
  QAction* loadMemory_;
  QDialog* aboutWindow_ = nullptr;
  QDialog* helpWindow_ = nullptr;
  TModulesForm* modulesWindow_ = nullptr;
};

// The About text (rich text): version, the home folder in use and the loaded ROM images.
QString AboutText();
// What the display shows now, as one line of Unicode text (empty while it is off).
QString DisplayTextLine();
