// The FITS header viewer: a child window of the main window listing the cards
// of the frame on display as keyword, value and comment.
#pragma once

#include <QWidget>

class QTableWidget;

namespace vargaze {

class FitsHeader;

class FitsHeaderWindow : public QWidget {
  Q_OBJECT

 public:
  explicit FitsHeaderWindow(QWidget* parent = nullptr);

  // One row per listed card, END last.
  void load(const FitsHeader& header);
  // Empties every cell; the rows stay until the next load.
  void clear();

  QTableWidget* table() const { return table_; }

 private:
  QTableWidget* table_;
};

}  // namespace vargaze
