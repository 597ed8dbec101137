#include "debugger/HistoryView.h"

#include <string>
#include <vector>

#include "cpu/CpuThread.h"
#include "debugger/Debug.h"
#include "debugger/DebugFields.h"
#include "debugger/History.h"

THistoryView::THistoryView(QWidget* parent) : QListWidget(parent) {
  setObjectName("HistoryList");
  setUniformItemSizes(true);
  setToolTip("The last instructions run, the newest at the bottom; double click shows one");
  connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    emit ShowAddress(static_cast<uint16_t>(item->data(Qt::UserRole).toUInt()));
  });
}

void THistoryView::Reload() {
  std::vector<std::pair<uint16_t, std::string>> lines;
  TNutCPU::RunHalted([&] {
    for (const HistoryEntry& e : ExecutionHistory.Last(History::kCapacity)) {
      // The recorded word, then the instruction as the ROM reads now (its operand word).
      std::string text = HexDigits(e.address, 4) + "  " + HexDigits(e.word, 3) + "  ";
      int32_t at = e.address;
      std::string dis;
      Disassemble(at, dis);
      lines.emplace_back(e.address, text + dis);
    }
  });
  setUpdatesEnabled(false);
  clear();
  for (const auto& [address, text] : lines) {
    auto* item = new QListWidgetItem(QString::fromStdString(text), this);
    item->setData(Qt::UserRole, address);
  }
  setUpdatesEnabled(true);
  if (count() > 0) scrollToItem(item(count() - 1));
}
