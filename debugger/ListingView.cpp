#include "debugger/ListingView.h"

#include <QHeaderView>
#include <algorithm>
#include <QMouseEvent>

#include "cpu/Cpu.h"
#include "debugger/Breakpoints.h"
#include "debugger/DebugFields.h"
#include "debugger/Symbols.h"

namespace {

enum class Mark { None, Enabled, Disabled };

// An enabled breakpoint at the address wins over a disabled one.
Mark BreakMark(uint16_t address) {
  Mark mark = Mark::None;
  for (const Breakpoint& b : Breaks.Breaks()) {
    if (b.address != address) continue;
    if (b.enabled) return Mark::Enabled;
    mark = Mark::Disabled;
  }
  return mark;
}

}  // namespace

ListingModel::ListingModel(QObject* parent)
    : QAbstractTableModel(parent), image_(std::make_unique<ListingImage>()) {}

int ListingModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ListingImage::kWords;
}

int ListingModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant ListingModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto address = static_cast<uint16_t>(index.row());
  const bool atPc = address == pc_;
  switch (role) {
    case Qt::DisplayRole: {
      if (index.column() == Margin) {
        switch (BreakMark(address)) {
          case Mark::Enabled: return QStringLiteral("\u25CF");
          case Mark::Disabled: return QStringLiteral("\u25CB");
          case Mark::None: return atPc ? QStringLiteral("\u25B6") : QString();
        }
      }
      if (index.column() == Address) return QString::fromStdString(HexDigits(address, 4));
      if (index.column() == Word) return QString::fromStdString(HexDigits(image_->Word(address), 3));
      // Each cell is asked for on its own: only the instruction's cell disassembles.
      const ListingLine line = image_->Line(address, atPc, index.column() == Instruction);
      if (index.column() == Label) return QString::fromStdString(line.label);
      return QString::fromStdString(line.instruction);
    }
    case Qt::ForegroundRole:
      if (index.column() == Margin) return BreakMark(address) == Mark::None
                                                ? QColor(0, 0, 128) : QColor(200, 0, 0);
      if (index.column() == Label) return QColor(128, 0, 128);
      if (index.column() == Instruction && image_->Continues(address) && !atPc)
        return QColor(Qt::gray);
      return {};
    case Qt::BackgroundRole:
      if (atPc) return QColor(255, 236, 140);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == Margin) return int(Qt::AlignCenter);
      return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
      if (index.column() == Margin) return QStringLiteral("Click to set or clear a breakpoint (F9)");
      return {};
    default:
      return {};
  }
}

QVariant ListingModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kNames[ColumnCount] = {"", "Addr", "Word", "Label", "Instruction"};
  return QString(kNames[section]);
}

void ListingModel::Capture() {
  image_->Read();
  pc_ = Cpu.PC;
}

void ListingModel::Update() {
  emit dataChanged(index(0, 0), index(ListingImage::kWords - 1, ColumnCount - 1));
}

void ListingModel::BreaksChanged() {
  emit dataChanged(index(0, Margin), index(ListingImage::kWords - 1, Margin));
}

// ----- The view -----

TListingView::TListingView(QWidget* parent) : QTableView(parent), model_(new ListingModel(this)) {
  setModel(model_);
  setObjectName("ListingView");
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 2);
  QHeaderView* columns = horizontalHeader();
  columns->setHighlightSections(false);
  columns->setSectionResizeMode(QHeaderView::Fixed);
  columns->setStretchLastSection(true);
  const int digit = fontMetrics().horizontalAdvance('0');
  setColumnWidth(ListingModel::Margin, digit * 2 + 4);
  setColumnWidth(ListingModel::Address, digit * 4 + 10);
  setColumnWidth(ListingModel::Word, digit * 4 + 10);
  // The Label column holds the longest symbol name (up to 24 characters' width).
  int label = digit * 10;
  for (const Symbol& s : SymbolTable)
    label = std::max(label, fontMetrics().horizontalAdvance(QString::fromStdString(s.name)));
  setColumnWidth(ListingModel::Label, std::min(label, digit * 24) + 8);
}

void TListingView::ShowAddress(uint16_t address, bool select) {
  const QModelIndex at = model_->index(address, ListingModel::Address);
  const QRect shown = visualRect(at);
  const bool inSight = shown.isValid() && viewport()->rect().contains(shown);
  scrollTo(at, inSight ? EnsureVisible : PositionAtCenter);
  // Following PC, the cursor goes there without a selection, which would hide the PC's colour.
  if (select) {
    setCurrentIndex(at);
  } else {
    clearSelection();
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
  }
}

uint16_t TListingView::CursorAddress() const {
  const QModelIndex at = currentIndex();
  return at.isValid() ? static_cast<uint16_t>(at.row()) : model_->Pc();
}

void TListingView::mousePressEvent(QMouseEvent* e) {
  const QModelIndex at = indexAt(e->position().toPoint());
  if (e->button() == Qt::LeftButton && at.isValid() && at.column() == ListingModel::Margin) {
    setCurrentIndex(at);
    emit ToggleBreak(static_cast<uint16_t>(at.row()));
    return;
  }
  QTableView::mousePressEvent(e);
}
