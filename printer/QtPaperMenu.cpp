#include "printer/QtPaperMenu.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>

#include "host/Host.h"
#include "printer/DovadaForm.h"

namespace {

// Asks for a file name in the home folder, saves, and says so when saving failed.
void SaveAs(QWidget* parent, const QString& name, const QString& filter,
            const std::function<bool(const QString&)>& save) {
  const QString suggested = QDir(QString::fromStdString(TheHost().HomeDir())).filePath(name);
  const QString path = QFileDialog::getSaveFileName(parent, "Save paper", suggested, filter);
  if (path.isEmpty()) return;
  if (!save(path)) QMessageBox::warning(parent, "VALDOR", "Cannot save the paper to " + path);
}

}  // namespace

TPaperMenu::TPaperMenu(TDovadaForm* form) : QMenu(form), form_(form) {
  png_ = addAction("Save paper as PNG...", this, [this] {
    SaveAs(form_, "paper.png", "PNG pictures (*.png)",
           [this](const QString& path) { return SavePaperPng(*form_, path); });
  });
  text_ = addAction("Save paper as text...", this, [this] {
    SaveAs(form_, "paper.txt", "Text files (*.txt)",
           [this](const QString& path) { return SavePaperText(form_->PaperText(), path); });
  });
}

void TPaperMenu::UpdateActions() {
  png_->setEnabled(form_->PaperLine() > 0);
  text_->setEnabled(!form_->PaperText().empty());
}

bool SavePaperPng(const TDovadaForm& form, const QString& path) {
  const QImage& paper = form.Paper();
  const int printed = std::min(form.PaperLine(), paper.height());
  if (printed <= 0) return false;
  return paper.copy(0, 0, paper.width(), printed).save(path, "PNG");
}

bool SavePaperText(const std::deque<std::string>& lines, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (const std::string& line : lines) {
    file.write(line.data(), static_cast<qint64>(line.size()));
    file.write("\n", 1);
  }
  return file.commit();
}
