#pragma once
// The debugger's list of breakpoints and watchpoints: each can be switched on and off, given a
// condition or a hit count, and deleted; new ones are typed in their text form.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class QLineEdit;
class QTableWidget;
class QTableWidgetItem;
class QToolButton;

class TBreakListView : public QWidget {
  Q_OBJECT

 public:
  enum Column { Where, Condition, Count, Hits, ColumnCount };

  explicit TBreakListView(QWidget* parent = nullptr);

  // Reads the set (while the CPU stands) and shows it.
  void Reload();
  // Adds the items of a text, one per line as in the set's file; false when one was refused.
  bool Add(const QString& text);
  // Deletes the selected row.
  void DeleteSelected();
  // Sets or clears a breakpoint at the address (any bank).
  void Toggle(uint16_t address);

  QTableWidget* Table() const { return table_; }
  QLineEdit* AddEdit() const { return addEdit_; }

 signals:
  // The set changed (the listing redraws its margin).
  void Changed();
  // A text was refused, with the reason; empty after a change that worked.
  void Message(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ItemChanged(QTableWidgetItem* item);
  // Applies a change to the set while the CPU stands, then shows the set again.
  void Change(const std::function<void()>& change);

  QTableWidget* table_;
  QLineEdit* addEdit_;
  QToolButton* deleteButton_;
  int breakRows_ = 0;  // rows 0.. are breakpoints, the watchpoints follow
  bool loading_ = false;
};
