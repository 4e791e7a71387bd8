#include "gui/RoiTableWindow.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include "gui/RoiTableModel.h"
#include "photometry/RoiWindow.h"

namespace vargaze {

namespace {

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

QLineEdit* readOnlyField(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  field->setMaximumWidth(110);
  return field;
}

QLabel* panel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);  // file names get copied
  return label;
}

}  // namespace

RoiTableWindow::RoiTableWindow(const RoiWindow& window, QWidget* parent)
    : QWidget(parent),
      window_(window),
      model_(new RoiTableModel(window, this)),
      table_(new QTableView(this)),
      magCal_(readOnlyField(this)),
      sky_(readOnlyField(this)),
      filter_(readOnlyField(this)),
      file_(panel(this)),
      jd_(panel(this)) {
  setWindowTitle("ROI information");
  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();  // column "i" numbers the rows
  table_->horizontalHeader()->setSectionsMovable(true);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setWordWrap(false);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel("Mag cal.", this), 0, 0);
  fields->addWidget(magCal_, 0, 1);
  fields->addWidget(new QLabel("Mean sky background", this), 0, 3);
  fields->addWidget(sky_, 0, 4);
  fields->addWidget(new QLabel("mag/arcsec^2", this), 0, 5);
  fields->addWidget(new QLabel("Filter", this), 0, 7);
  fields->addWidget(filter_, 0, 8);
  fields->setColumnMinimumWidth(2, 16);
  fields->setColumnMinimumWidth(6, 16);
  fields->setColumnStretch(9, 1);
  fields->addWidget(file_, 1, 0, 1, 7);
  fields->addWidget(jd_, 1, 7, 1, 3);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addLayout(fields);
  resize(780, 380);
  refresh();
}

void RoiTableWindow::refresh() {
  model_->refresh();
  table_->resizeColumnsToContents();
  magCal_->setText(qt(window_.MagCalEdit));
  sky_->setText(qt(window_.SkymagEdit));
  filter_->setText(filterItemName(window_.FilterType));
  file_->setText(qt(window_.FilePanel));
  jd_->setText(qt(window_.JDPanel));
}

}  // namespace vargaze
