#include "frontpanel/QtCalcMenu.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "app/Restart.h"
#include "app/StartUp.h"
#include "display/Lcd.h"
#include "frontpanel/KeyMap.h"
#include "frontpanel/ModulesForm.h"
#include "host/Host.h"
#include "tools/CharacterSet.h"

namespace {

QDialog* NewWindow(QWidget* parent, const QString& title, QWidget* content) {
  auto* dialog = new QDialog(parent);
  dialog->setWindowTitle(title);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(content);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::hide);
  layout->addWidget(buttons);
  return dialog;
}

void Raise(QDialog* dialog) {
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

}  // namespace

QString AboutText() {
  QString images;
  for (const std::string& path : LoadedImages)
    images += "<br>&nbsp;&nbsp;" + QString::fromStdString(path).toHtmlEscaped();
  if (images.isEmpty()) images = "<br>&nbsp;&nbsp;none";
  return QString("<b>VALDOR %1</b><br>An HP-41C/CV/CX emulator at the level of the microcode."
                 "<p>Home folder (configuration, memory, trace log, printer PDF):<br>"
                 "&nbsp;&nbsp;%2</p><p>Configuration: %3</p><p>ROM images loaded:%4</p>")
      .arg(VALDOR_VERSION,
           QString::fromStdString(TheHost().HomeDir()).toHtmlEscaped(),
           QString::fromStdString(HomeFile(".Ini")).toHtmlEscaped(), images);
}

QString DisplayTextLine() {
  const DisplayText shown = DecodeDisplay();
  return QString::fromStdString(DisplayLineUtf8(shown.chars, shown.punct));
}

TCalcMenu::TCalcMenu(QWidget* parent, Restarter restart)
    : QMenu(parent), restart_(std::move(restart)) {
  about_ = addAction("About VALDOR", this, [this] { ShowAbout(); });
  help_ = addAction("Help: PC keys", this, [this] { ShowHelp(); });
  addSeparator();
  copy_ = addAction("Copy display", this,
                    [] { QGuiApplication::clipboard()->setText(DisplayTextLine()); });
  addSeparator();
  modules_ = addAction("Modules…", this, [this] { ShowModules(); });
  restartAction_ = addAction("Restart", this, [this] { restart_(nullptr); });
  restartAction_->setToolTip("Set the calculator up again from VALDOR.Ini, keeping its memory");
  saveMemory_ = addAction("Save memory as…", this, [this] {
    const QString path = QFileDialog::getSaveFileName(
        parentWidget(), "Save memory as", QString::fromStdString(TheHost().HomeDir()),
        "RAM images (*.RAM *.ram);;All files (*)");
    if (!path.isEmpty()) SaveMemoryAs(path);
  });
  loadMemory_ = addAction("Load memory…", this, [this] {
    const QString path = QFileDialog::getOpenFileName(
        parentWidget(), "Load memory", QString::fromStdString(TheHost().HomeDir()),
        "RAM images (*.RAM *.ram *.bak);;All files (*)");
    if (!path.isEmpty()) LoadMemory(path);
  });
}

TModulesForm* TCalcMenu::ShowModules() {
  if (!modulesWindow_) {
    modulesWindow_ = new TModulesForm(parentWidget(), [this] { restart_(nullptr); });
    // Wide enough for the file names and reasons, within the screen at any scale.
    const QSize room = parentWidget()->screen()->availableGeometry().size() * 0.95;
    modulesWindow_->resize(modulesWindow_->sizeHint().expandedTo(QSize(980, 0)).boundedTo(room));
  } else if (!modulesWindow_->Edited()) {
    modulesWindow_->Reload();
  }
  Raise(modulesWindow_);
  return modulesWindow_;
}

void TCalcMenu::SaveMemoryAs(const QString& path) {
  std::string error;
  if (!::SaveMemoryAs(path.toStdString(), error))
    TheHost().MessageBox("VALDOR", error);
}

void TCalcMenu::LoadMemory(const QString& path) {
  std::string bytes, error;
  if (!PrepareMemoryLoad(path.toStdString(), bytes, error)) {
    TheHost().MessageBox("VALDOR", error);
    return;
  }
  restart_(&bytes);
}

void TCalcMenu::ShowAbout() {
  if (!aboutWindow_) {
    auto* label = new QLabel;
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setObjectName("AboutLabel");
    aboutWindow_ = NewWindow(parentWidget(), "About VALDOR", label);
  }
  // The text is taken afresh: the window may outlive a change of what it shows.
  aboutWindow_->findChild<QLabel*>("AboutLabel")->setText(AboutText());
  Raise(aboutWindow_);
}

void TCalcMenu::ShowHelp() {
  if (!helpWindow_) {
    std::vector<std::pair<QString, QString>> keys;
    for (const KeyMapRow& row : PcKeyMap())
      keys.emplace_back(QString::fromStdString(row.faceplate), QString::fromStdString(row.pcKeys));
    keys.emplace_back("turbo", "F9");
    keys.emplace_back("close", "Escape");
    // Two pairs of columns side by side, so that the whole map shows without scrolling.
    const int rows = static_cast<int>(keys.size() + 1) / 2;
    auto* table = new QTableWidget(rows, 4);
    table->setHorizontalHeaderLabels({"Calculator key", "PC keys", "Calculator key", "PC keys"});
    for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
      table->setItem(i % rows, i / rows * 2, new QTableWidgetItem(keys[i].first));
      table->setItem(i % rows, i / rows * 2 + 1, new QTableWidgetItem(keys[i].second));
    }
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    const int frame = 2 * table->frameWidth();
    table->setMinimumSize(table->horizontalHeader()->length() + frame,
                          table->horizontalHeader()->sizeHint().height() +
                              table->verticalHeader()->length() + frame);
    helpWindow_ = NewWindow(parentWidget(), "VALDOR: PC keys", table);
  }
  Raise(helpWindow_);
}
