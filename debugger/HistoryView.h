#pragma once
// The debugger's execution history: the last instructions run, oldest first, disassembled.
// A double click shows the line's address in the listing.

#include <QListWidget>
#include <cstdint>

class THistoryView : public QListWidget {
  Q_OBJECT

 public:
  explicit THistoryView(QWidget* parent = nullptr);
  // Reads the history (while the CPU stands) and shows it, the newest entry in sight.
  void Reload();

 signals:
  void ShowAddress(uint16_t address);
};
