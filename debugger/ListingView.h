#pragma once
// The debugger's disassembly pane: every address of the ROM space as one line (margin, address,
// word, label, instruction), the program counter's line highlighted, breakpoints in the margin.

#include <QAbstractTableModel>
#include <QTableView>
#include <cstdint>
#include <memory>

#include "debugger/Listing.h"

class ListingModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Margin, Address, Word, Label, Instruction, ColumnCount };

  explicit ListingModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Copies the ROM image and PC; call while the CPU stands between two instructions.
  void Capture();
  // Shows what the last Capture read.
  void Update();
  // Redraws the margin after the breakpoints changed.
  void BreaksChanged();
  uint16_t Pc() const { return pc_; }

 private:
  std::unique_ptr<ListingImage> image_;
  uint16_t pc_ = 0;
};

class TListingView : public QTableView {
  Q_OBJECT

 public:
  explicit TListingView(QWidget* parent = nullptr);
  ListingModel* Model() const { return model_; }

  // Scrolls address into view (centred when it was out of sight) and puts the cursor there,
  // with the line selected or not.
  void ShowAddress(uint16_t address, bool select);
  // The selected line's address, or PC when none is selected.
  uint16_t CursorAddress() const;

 signals:
  void ToggleBreak(uint16_t address);

 protected:
  void mousePressEvent(QMouseEvent* e) override;

 private:
  ListingModel* model_;
};
