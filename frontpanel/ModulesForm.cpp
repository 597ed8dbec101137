#include "frontpanel/ModulesForm.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "host/Host.h"
#include "host/ProfileFile.h"

namespace {

enum EntryColumn { kFile, kStart, kSpan, kBank, kEncoding, kWords, kStatus, kColumns };

const QColor kConflict(255, 205, 205);
const QColor kFree(120, 120, 120);

QTableWidgetItem* Cell(const QString& text) {
  auto* cell = new QTableWidgetItem(text);
  cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return cell;
}

QString Hex4(int64_t value) {
  return QString("$%1").arg(value & 0xFFFF, 4, 16, QChar('0')).toUpper();
}

QTableWidget* NewTable(int rows, const QStringList& headers) {
  auto* table = new QTableWidget(rows, headers.size());
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setWordWrap(false);
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  return table;
}

QSpinBox* NewSpinBox(int low, int high) {
  auto* box = new QSpinBox;
  box->setRange(low, high);
  return box;
}

}  // namespace

namespace {

QStringList LocalFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

void AcceptFileDrag(QDragEnterEvent* e) {
  if (!LocalFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TakeDroppedFiles(QDropEvent* e, QObject* context,
                      const std::function<void(const QStringList&)>& add) {
  const QStringList files = LocalFiles(e->mimeData());
  e->acceptProposedAction();
  QMetaObject::invokeMethod(context, [add, files] { add(files); }, Qt::QueuedConnection);
}

TModulesForm::TModulesForm(QWidget* parent, std::function<void()> restart)
    : QDialog(parent), restart_(std::move(restart)) {
  setWindowTitle("VALDOR: Modules");
  setAcceptDrops(true);

  pages_ = NewTable(16, {"Bank 0", "Bank 1", "Bank 2", "Bank 3"});
  pages_->setObjectName("PageTable");
  QStringList pageNames;
  for (int p = 0; p < 16; ++p)
    pageNames << QString("Page %1  %2").arg(QString::number(p, 16).toUpper(), Hex4(p * 4096));
  pages_->setVerticalHeaderLabels(pageNames);
  pages_->setSelectionMode(QAbstractItemView::NoSelection);
  pages_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  // All 16 pages in view, and no more.
  pages_->setFixedHeight(pages_->horizontalHeader()->sizeHint().height() +
                         pages_->verticalHeader()->length() + 2 * pages_->frameWidth());

  entries_ = NewTable(0, {"File", "Start", "Span", "Bank", "Encoding", "Words", "Status"});
  entries_->setObjectName("EntryTable");
  entries_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  entries_->horizontalHeader()->setStretchLastSection(true);
  connect(entries_, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelected(); });

  page_ = NewSpinBox(0, 15);
  page_->setDisplayIntegerBase(16);
  span_ = NewSpinBox(1, 16);
  bank_ = NewSpinBox(0, 3);
  page_->setToolTip("The page the image starts at (8 and up for plug-in modules)");
  span_->setToolTip("Pages filled in bank 0; each further page of the file goes into the next "
                    "bank of the last of them (16: one after another)");
  bank_->setToolTip("The bank the first page goes to");
  for (QSpinBox* box : {page_, span_, bank_})
    connect(box, &QSpinBox::valueChanged, this, [this] { EditSelected(); });

  auto* add = new QPushButton("Add…");
  remove_ = new QPushButton("Remove");
  remove_->setObjectName("RemoveButton");
  connect(add, &QPushButton::clicked, this, [this] { AddButtonClick(); });
  connect(remove_, &QPushButton::clicked, this, [this] { RemoveButtonClick(); });

  ram_ = new QComboBox;
  ram_->setObjectName("RamComboBox");
  connect(ram_, &QComboBox::currentIndexChanged, this, [this] {
    if (!showing_) edited_ = true;
  });

  problems_ = new QLabel;
  problems_->setWordWrap(true);
  problems_->setStyleSheet("color: #b00000");
  problems_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* edit = new QHBoxLayout;
  edit->addWidget(new QLabel("Page"));
  edit->addWidget(page_);
  edit->addWidget(new QLabel("Span"));
  edit->addWidget(span_);
  edit->addWidget(new QLabel("Bank"));
  edit->addWidget(bank_);
  edit->addStretch();
  edit->addWidget(add);
  edit->addWidget(remove_);

  auto* memory = new QFormLayout;
  memory->addRow("Memory", ram_);

  apply_ = new QPushButton("Apply");
  apply_->setToolTip("Write the configuration and restart the calculator; its memory is kept");
  auto* close = new QPushButton("Close");
  connect(apply_, &QPushButton::clicked, this, [this] { ApplyButtonClick(); });
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel("Drop image files here or on the calculator."));
  buttons->addStretch();
  buttons->addWidget(apply_);
  buttons->addWidget(close);

  auto* right = new QVBoxLayout;
  right->addWidget(entries_, 1);
  right->addLayout(edit);
  right->addLayout(memory);
  right->addWidget(problems_);
  auto* body = new QHBoxLayout;
  body->addWidget(pages_, 5);
  body->addLayout(right, 6);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addLayout(buttons);
  Reload();
}

void TModulesForm::Reload() {
  const ProfileFile ini(HomeFile(".Ini"));
  items_ = ReadModuleList(ini);
  configuredRamSize_ = ini.ReadInteger("RAM", "Size", kRamSize41CV);
  showing_ = true;
  ram_->clear();
  ram_->addItem("HP-41C: registers 192..255", kRamSize41C);
  ram_->addItem("HP-41CV, HP-41CX: registers 192..511", kRamSize41CV);
  if (configuredRamSize_ != kRamSize41C && configuredRamSize_ != kRamSize41CV) {
    ram_->addItem(configuredRamSize_ > 0
                      ? QString("As configured: registers 192..%1").arg(191 + configuredRamSize_)
                      : QString("As configured: none from 192 on"),
                  configuredRamSize_);
  }
  ram_->setCurrentIndex(ram_->findData(configuredRamSize_));
  showing_ = false;
  edited_ = false;
  Refresh(items_.empty() ? -1 : 0);
}

void TModulesForm::AddFiles(const QStringList& paths) {
  int added = -1;
  for (const QString& path : paths) {
    // A file that is no image is listed with its reason where it is, and not copied.
    const ImageInfo image = ProbeModuleImage(path.toStdString());
    std::string error, name = path.toStdString();
    if (image.valid) name = ImageIntoHome(name, error);
    if (name.empty()) {
      TheHost().MessageBox("VALDOR: Modules", error);
      continue;
    }
    const int pages = image.valid ? static_cast<int>(std::min<int64_t>(image.words / 4096, 16)) : 1;
    int page = FirstFreePage(checks_, pages);
    if (page < 0) page = FirstFreePage(checks_, 1);  // its conflict then shows
    ModuleItem item;
    item.file = name;
    item.start = static_cast<int64_t>(page < 0 ? kPluginPage : page) * 4096;
    items_.push_back(item);
    added = static_cast<int>(items_.size()) - 1;
    edited_ = true;
    checks_ = CheckModules(items_);  // the next file goes to the next free page
  }
  Refresh(added);
}

void TModulesForm::AddButtonClick() {
  const QStringList files = QFileDialog::getOpenFileNames(
      this, "Add module images", QString::fromStdString(TheHost().HomeDir()),
      "Module images (*.rom *.ROM *.r41 *.R41 *.bin *.BIN);;All files (*)");
  if (!files.isEmpty()) AddFiles(files);
}

void TModulesForm::RemoveButtonClick() {
  const int row = Selected();
  if (row < 0) return;
  items_.erase(items_.begin() + row);
  edited_ = true;
  Refresh(std::min(row, static_cast<int>(items_.size()) - 1));
}

bool TModulesForm::ApplyButtonClick() {
  ProfileFile ini(HomeFile(".Ini"));
  const int size = ram_->currentData().toInt();
  const bool ok = WriteModuleList(ini, items_) &&
                  (size == configuredRamSize_ || ini.WriteInteger("RAM", "Size", size));
  if (!ok) {
    TheHost().MessageBox("VALDOR: Modules",
                         WithReason("Unable to write to " + ini.Path(), ini.LastError()));
    return false;
  }
  restart_();
  Reload();
  return true;
}

void TModulesForm::dragEnterEvent(QDragEnterEvent* e) {
  AcceptFileDrag(e);
}

void TModulesForm::dropEvent(QDropEvent* e) {
  TakeDroppedFiles(e, this, [this](const QStringList& files) { AddFiles(files); });
}

void TModulesForm::Refresh(int select) {
  checks_ = CheckModules(items_);
  if (select < 0) select = Selected();
  ShowPages();
  ShowEntries();
  showing_ = true;
  if (select >= 0 && select < static_cast<int>(items_.size()))
    entries_->selectRow(select);
  else
    entries_->clearSelection();
  showing_ = false;
  ShowSelected();
  QStringList problems;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (!checks_[i].problem.empty())
      problems << QString("%1: %2").arg(QString::fromStdString(items_[i].file),
                                        QString::fromStdString(checks_[i].problem));
  }
  problems_->setText(problems.join("\n"));
  problems_->setVisible(!problems.isEmpty());
}

void TModulesForm::ShowPages() {
  pages_->clearContents();
  for (int p = 0; p < 16; ++p)
    for (int b = 0; b < 4; ++b) pages_->setItem(p, b, Cell(""));
  for (size_t i = 0; i < items_.size(); ++i) {
    for (const auto& [page, bank] : checks_[i].cells) {
      QTableWidgetItem* cell = pages_->item(page, bank);
      const QString name = QString::fromStdString(items_[i].file);
      if (!cell->text().isEmpty()) {
        cell->setText(cell->text() + " + " + name);
        cell->setBackground(kConflict);
      } else {
        cell->setText(name);
      }
      cell->setToolTip(cell->text());
    }
  }
  for (int p = 0; p < 16; ++p) {
    QTableWidgetItem* cell = pages_->item(p, 0);
    if (!cell->text().isEmpty()) continue;
    cell->setText("free");
    cell->setForeground(kFree);
  }
}

void TModulesForm::ShowEntries() {
  entries_->setRowCount(static_cast<int>(items_.size()));
  for (int row = 0; row < static_cast<int>(items_.size()); ++row) {
    const ModuleItem& item = items_[row];
    const ModuleCheck& check = checks_[row];
    QString status;
    if (!check.problem.empty())
      status = QString::fromStdString(check.problem);
    else if (ModuleLoaded(item))
      status = "loaded";
    else if (edited_ && ModuleEntryText(item) != item.text)
      status = "Apply loads it";
    else
      status = "not loaded at the last start";
    const bool image = check.image.bytes > 0;
    const QString cells[kColumns] = {
        QFileInfo(QString::fromStdString(item.file)).fileName(),
        item.understood ? Hex4(item.start) : "",
        item.understood ? QString::number(item.span) : "",
        item.understood ? QString::number(item.bank) : "",
        image ? EncodingName(check.image.encoding) : "",
        image ? QString::number(check.image.words) : "",
        status};
    for (int c = 0; c < kColumns; ++c) {
      QTableWidgetItem* cell = Cell(cells[c]);
      if (!check.problem.empty()) cell->setBackground(kConflict);
      if (c == kFile) cell->setToolTip(QString::fromStdString(ModulePath(item.file)));
      entries_->setItem(row, c, cell);
    }
  }
}

void TModulesForm::ShowSelected() {
  if (showing_) return;
  const int row = Selected();
  const bool editable = row >= 0 && items_[row].understood;
  showing_ = true;
  if (editable) {
    page_->setValue(static_cast<int>(items_[row].start >> 12));
    span_->setValue(static_cast<int>(std::clamp<int64_t>(items_[row].span, 1, 16)));
    bank_->setValue(static_cast<int>(std::clamp<int64_t>(items_[row].bank, 0, 3)));
  }
  showing_ = false;
  for (QSpinBox* box : {page_, span_, bank_}) box->setEnabled(editable);
  remove_->setEnabled(row >= 0);
}

void TModulesForm::EditSelected() {
  const int row = Selected();
  if (showing_ || row < 0 || !items_[row].understood) return;
  ModuleItem& item = items_[row];
  // A start inside a page keeps its offset when the page changes.
  item.start = (static_cast<int64_t>(page_->value()) << 12) | (item.start & 0xFFF);
  item.span = span_->value();
  item.bank = bank_->value();
  edited_ = true;
  Refresh(row);
}

int TModulesForm::Selected() const {
  const QList<QTableWidgetSelectionRange> ranges = entries_->selectedRanges();
  return ranges.isEmpty() ? -1 : ranges.first().topRow();
}
