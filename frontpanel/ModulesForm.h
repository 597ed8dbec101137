#pragma once
// The Modules window: the 16 pages and their banks with the images the configuration loads
// there, the list of those images to add to (file dialog or dropped files), remove from or
// move, the conflicts among them as they are edited, the RAM size, and "Apply", which writes
// the configuration and restarts the machine with the memory kept.

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/ModuleList.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TModulesForm : public QDialog {
 public:
  // restart: sets the machine up again from the configuration just written.
  TModulesForm(QWidget* parent, std::function<void()> restart);

  // Reads the configuration afresh, dropping edits not applied.
  void Reload();
  // Adds image files at the first free page from 8 up, copying each into the home folder unless
  // it is there already; a file that cannot be copied is reported and left out, and one that is
  // no image is listed (with its reason) but not copied.
  void AddFiles(const QStringList& paths);
  void AddButtonClick();
  void RemoveButtonClick();
  // Writes the configuration and restarts; false (reported) when the file cannot be written.
  bool ApplyButtonClick();

  const std::vector<ModuleItem>& Items() const { return items_; }
  const std::vector<ModuleCheck>& Checks() const { return checks_; }
  bool Edited() const { return edited_; }
  QTableWidget* PageTable() const { return pages_; }
  QTableWidget* EntryTable() const { return entries_; }
  QSpinBox* PageSpinBox() const { return page_; }
  QSpinBox* SpanSpinBox() const { return span_; }
  QSpinBox* BankSpinBox() const { return bank_; }
  QComboBox* RamComboBox() const { return ram_; }
  QLabel* ProblemsLabel() const { return problems_; }
  QPushButton* ApplyButton() const { return apply_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // Checks the list again and shows it; selects row `select` (-1: keeps the selection).
  void Refresh(int select = -1);
  void ShowPages();
  void ShowEntries();
  void ShowSelected();
  void EditSelected();
  int Selected() const;

  std::function<void()> restart_;
  std::vector<ModuleItem> items_;
  std::vector<ModuleCheck> checks_;
  int configuredRamSize_ = kRamSize41CV;
  bool edited_ = false;
  bool showing_ = false;  // while the controls are filled, their changes are no edits
  QTableWidget* pages_;
  QTableWidget* entries_;
  QSpinBox* page_;
  QSpinBox* span_;
  QSpinBox* bank_;
  QComboBox* ram_;
  QLabel* problems_;
  QPushButton* apply_;
  QPushButton* remove_;
};

// Accepts a drag that carries local files (images to add).
void AcceptFileDrag(QDragEnterEvent* e);
// Hands the dropped files to add once the drop has returned: a box opened inside the drop would
// hold the program the files were dragged from.
void TakeDroppedFiles(QDropEvent* e, QObject* context,
                      const std::function<void(const QStringList&)>& add);
