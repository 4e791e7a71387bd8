#include "gui/FitsHeaderWindow.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/FitsHeaderRows.h"

namespace vargaze {

namespace {

// Cards are bytes, not UTF-8: Latin-1 shows each byte as one character, so a
// stray byte never swallows its neighbours and the columns stay aligned.
QTableWidgetItem* cell(const std::string& text) {
  auto* item = new QTableWidgetItem(QString::fromLatin1(text.data(), qsizetype(text.size())));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

FitsHeaderWindow::FitsHeaderWindow(QWidget* parent)
    : QWidget(parent), table_(new QTableWidget(0, 3, this)) {
  setWindowTitle(kFitsInfoCaption);
  QStringList titles;
  for (const char* title : kFitsHeaderColumnTitles) titles << title;
  table_->setHorizontalHeaderLabels(titles);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Fixed pitch so values padded with blanks line up as they do in the file.
  table_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  table_->setWordWrap(false);
  for (QHeaderView* header : {table_->horizontalHeader(), table_->verticalHeader()}) {
    header->setSectionsMovable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
  }
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(table_);
  resize(760, 480);
}

void FitsHeaderWindow::load(const FitsHeader& header) {
  const std::vector<FitsHeaderRow> rows = LoadFitsheader(header);
  table_->setRowCount(int(rows.size()));
  for (int r = 0; r < int(rows.size()); ++r) {
    const FitsHeaderRow& row = rows[std::size_t(r)];
    table_->setItem(r, 0, cell(row.Keyword));
    table_->setItem(r, 1, cell(row.Parameter));
    table_->setItem(r, 2, cell(row.Kommentar));
  }
  table_->resizeColumnToContents(0);
  table_->resizeColumnToContents(1);
}

void FitsHeaderWindow::clear() {
  table_->clearContents();
}

}  // namespace vargaze
