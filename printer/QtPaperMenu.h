#pragma once
// The printer window's context menu: save the paper as a PNG picture or as text.

#include <QMenu>
#include <QString>
#include <deque>
#include <string>

class TDovadaForm;

class TPaperMenu : public QMenu {
 public:
  explicit TPaperMenu(TDovadaForm* form);
  QAction* SavePngAction() const { return png_; }
  QAction* SaveTextAction() const { return text_; }
  // Enables the actions when something has been printed.
  void UpdateActions();

 private:
  TDovadaForm* form_;
  QAction* png_;
  QAction* text_;
};

// The printed part of the paper as a picture; false when nothing was printed or the file could
// not be written.
bool SavePaperPng(const TDovadaForm& form, const QString& path);
// The printed lines as UTF-8 text, one line each; false when the file could not be written.
bool SavePaperText(const std::deque<std::string>& lines, const QString& path);
