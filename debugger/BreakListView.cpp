#include "debugger/BreakListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "cpu/CpuThread.h"
#include "debugger/Breakpoints.h"
#include "debugger/DebugRun.h"

namespace {

struct Row {
  std::string where, condition;
  uint32_t count = 0, hits = 0;
  bool enabled = true, watch = false;
};

QTableWidgetItem* Item(const QString& text, bool editable) {
  auto* item = new QTableWidgetItem(text);
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (editable) flags |= Qt::ItemIsEditable;
  item->setFlags(flags);
  return item;
}

}  // namespace

TBreakListView::TBreakListView(QWidget* parent) : QWidget(parent) {
  table_ = new QTableWidget(0, ColumnCount, this);
  table_->setObjectName("BreakList");
  table_->setHorizontalHeaderLabels({"Breakpoint", "Condition", "Count", "Hits"});
  table_->verticalHeader()->hide();
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(Condition, QHeaderView::Stretch);
  const int digit = fontMetrics().horizontalAdvance('0');
  table_->setColumnWidth(Where, digit * 14);
  table_->setColumnWidth(Count, digit * 6);
  table_->setColumnWidth(Hits, digit * 6);
  table_->installEventFilter(this);

  addEdit_ = new QLineEdit(this);
  addEdit_->setObjectName("BreakAddEdit");
  addEdit_->setPlaceholderText("Add: ADDR[@BANK][*COUNT][:CONDITION] or watch REG[:r|w]");
  addEdit_->setToolTip(
      "A breakpoint: address (hexadecimal or a symbol), bank, hit count and a condition such "
      "as C[2:0] == 0B1\nA watchpoint: watch 00A:w, watch SELPF 9, watch POWOFF\nEnter adds it");
  deleteButton_ = new QToolButton(this);
  deleteButton_->setText("Delete");
  deleteButton_->setToolTip("Delete the selected breakpoint or watchpoint (Del)");
  deleteButton_->setFocusPolicy(Qt::NoFocus);

  auto* addRow = new QHBoxLayout;
  addRow->setContentsMargins(0, 0, 0, 0);
  addRow->addWidget(addEdit_, 1);
  addRow->addWidget(deleteButton_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(table_, 1);
  layout->addLayout(addRow);

  connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* i) { ItemChanged(i); });
  connect(deleteButton_, &QToolButton::clicked, this, [this] { DeleteSelected(); });
  connect(addEdit_, &QLineEdit::returnPressed, this, [this] {
    if (Add(addEdit_->text())) addEdit_->clear();
  });
}

void TBreakListView::Reload() {
  std::vector<Row> rows;
  TNutCPU::RunHalted([&] {
    for (const Breakpoint& b : Breaks.Breaks()) {
      Row r;
      r.where = b.Where();
      if (b.condition) r.condition = b.condition->text;
      r.count = b.count;
      r.hits = b.hits;
      r.enabled = b.enabled;
      rows.push_back(std::move(r));
    }
    for (const Watchpoint& w : Breaks.Watches()) {
      Row r;
      r.where = "watch " + w.Text();
      r.hits = w.hits;
      r.enabled = w.enabled;
      r.watch = true;
      rows.push_back(std::move(r));
    }
  });
  loading_ = true;
  table_->setRowCount(static_cast<int>(rows.size()));
  breakRows_ = 0;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const Row& r = rows[i];
    if (!r.watch) ++breakRows_;
    QTableWidgetItem* where = Item(QString::fromStdString(r.where), false);
    where->setFlags(where->flags() | Qt::ItemIsUserCheckable);
    where->setCheckState(r.enabled ? Qt::Checked : Qt::Unchecked);
    where->setToolTip("Tick to enable, clear to disable");
    table_->setItem(i, Where, where);
    table_->setItem(i, Condition, Item(QString::fromStdString(r.condition), !r.watch));
    table_->setItem(i, Count, Item(r.watch ? QString() : QString::number(r.count), !r.watch));
    table_->setItem(i, Hits, Item(QString::number(r.hits), false));
  }
  // The names take the width they need; the condition has the rest.
  table_->resizeColumnToContents(Where);
  table_->setColumnWidth(Where, std::max(table_->columnWidth(Where),
                                         fontMetrics().horizontalAdvance('0') * 14));
  loading_ = false;
}

bool TBreakListView::Add(const QString& text) {
  std::vector<std::string> errors;
  Change([&] { Breaks.FromText(text.toStdString(), errors); });
  if (!errors.empty()) emit Message(QString::fromStdString(errors.front()));
  return errors.empty();
}

void TBreakListView::DeleteSelected() {
  const int row = table_->currentRow();
  if (row < 0 || row >= table_->rowCount()) return;
  Change([&] {
    if (row < breakRows_) {
      auto& list = Breaks.Breaks();
      if (row < static_cast<int>(list.size())) list.erase(list.begin() + row);
    } else {
      auto& list = Breaks.Watches();
      const int w = row - breakRows_;
      if (w < static_cast<int>(list.size())) list.erase(list.begin() + w);
    }
  });
  table_->setCurrentCell(std::min(row, table_->rowCount() - 1), Where);
}

void TBreakListView::Toggle(uint16_t address) {
  Change([address] { Breaks.Toggle(address); });
}

void TBreakListView::ItemChanged(QTableWidgetItem* item) {
  if (loading_) return;
  const int row = item->row();
  const std::string text = item->text().toStdString();
  std::string error;
  Change([&] {
    if (row >= breakRows_) {
      const size_t w = static_cast<size_t>(row - breakRows_);
      if (item->column() == Where && w < Breaks.Watches().size())
        Breaks.Watches()[w].enabled = item->checkState() == Qt::Checked;
      return;
    }
    if (row >= static_cast<int>(Breaks.Breaks().size())) return;
    Breakpoint& b = Breaks.Breaks()[row];
    switch (item->column()) {
      case Where:
        b.enabled = item->checkState() == Qt::Checked;
        break;
      case Condition:
        if (text.find_first_not_of(' ') == std::string::npos) {
          b.condition.reset();
        } else if (auto c = Condition::Parse(text, error)) {
          b.condition = std::move(c);
        }
        break;
      case Count: {
        bool ok = false;
        const uint32_t count = item->text().trimmed().toUInt(&ok);
        if (ok && count >= 1) b.count = count;
        else error = "a hit count is a number from 1 on";
        break;
      }
      default:
        break;
    }
  });
  emit Message(QString::fromStdString(error));
}

void TBreakListView::Change(const std::function<void()>& change) {
  TNutCPU::RunHalted([&] {
    change();
    Breaks.Changed();
    UpdateDebugArmed();
  });
  Reload();
  emit Changed();
}

bool TBreakListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {  // an open editor has the key
    DeleteSelected();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
