#include "gui/StarInfoWindow.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/Application.h"

namespace vargaze {

namespace {

const char* const kHelpLines[] = {
    "Hinweise:",
    "- Für die differentielle Fotometrie brauchen ",
    "keine ",
    "Magnituden eingetragen werden; der ",
    "Vergleichsstern erhält die Magnitude 0.0",
    "",
    "- Alle Daten können auch nachträglich ",
    "eingetragen werden (Im ROI-info-Fenster den ",
    "Button \"Set\" anklicken)",
    "",
    "- Alle Magnituden müssen mit Dezimal-Punkt ",
    "(nicht Komma) eingetragen werden",
    "",
    "-Tycho-Magnituden können in Johnson-",
    "Magnituden umgerechnet werden: Zuerst Bt ",
    "und Vt eingeben, dann den Button \"Tyc-",
    ">John.\" anklicken.",
};

QButtonGroup* radioGroup(QGroupBox* box, std::initializer_list<const char*> items) {
  auto* group = new QButtonGroup(box);
  auto* layout = new QVBoxLayout(box);
  int id = 0;
  for (const char* item : items) {
    auto* button = new QRadioButton(QString::fromUtf8(item), box);
    group->addButton(button, id++);
    layout->addWidget(button);
  }
  return group;
}

QLabel* helpText(QWidget* parent) {
  QStringList lines;
  for (const char* line : kHelpLines) lines << QString::fromUtf8(line);
  auto* memo = new QLabel(lines.join('\n'), parent);
  memo->setTextFormat(Qt::PlainText);
  memo->setFrameShape(QFrame::StyledPanel);
  memo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  memo->setMargin(6);
  return memo;
}

}  // namespace

StarInfoWindow::StarInfoWindow(StarInfoDialog& model, RoiWindow& roiWindow, QWidget* parent)
    : QDialog(parent), model_(model), roiWindow_(roiWindow) {
  setWindowTitle("Stern-Info");
  setModal(true);

  idEdit_ = new QLineEdit(this);
  idEdit_->setReadOnly(true);
  idEdit_->setMaximumWidth(fontMetrics().horizontalAdvance("ROI 0000") + 16);
  auto* nameRow = new QGridLayout;
  nameRow->addWidget(idEdit_, 0, 0);
  nameRow->addWidget(new QLabel("Stern-Bezeichnung", this), 0, 1);
  nameRow->addWidget(addField({"Stern-Bezeichnung", &StarInfoDialog::StarnameEdit}), 1, 0, 1, 2);

  auto* typeBox = new QGroupBox("Stern Typ", this);
  starType_ = radioGroup(
      typeBox, {"Veränderlicher (Var)", "Vergleichsstern (Comp)", "Kontrollstern (Check)"});
  connect(starType_, &QButtonGroup::idClicked, this, [this](int index) {
    model_.StarTypeGroupClick(index);
    showModel();
  });
  compGroup_ = new QGroupBox("Photometrie Typ", this);
  compType_ = radioGroup(compGroup_, {"differentiell", "standardisiert"});
  connect(compType_, &QButtonGroup::idClicked, this, [this](int index) {
    model_.CompTypeGroupClick(index);
    showModel();
  });
  auto* groups = new QHBoxLayout;
  groups->addWidget(typeBox);
  groups->addWidget(compGroup_, 0, Qt::AlignTop);

  auto* left = new QVBoxLayout;
  left->addLayout(nameRow);
  left->addLayout(groups);
  left->addWidget(makeKatalogGroup());
  left->addStretch();
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addWidget(helpText(this));

  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Abbruch", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &StarInfoWindow::okClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  showModel();
}

QGroupBox* StarInfoWindow::makeKatalogGroup() {
  // Johnson/Cousins in the left columns, Tycho and its conversion right.
  struct Place {
    Field field;
    int row;
    int column;
  };
  using D = StarInfoDialog;
  const Place places[] = {
      {{"Bj", &D::BmagEdit, [](D& d, const std::string& t) { d.BmagEditChange(t); }, true}, 1, 0},
      {{"Vj", &D::VMagEdit, [](D& d, const std::string& t) { d.VMagEditChange(t); }, true}, 2, 0},
      {{"Rc", &D::RMagEdit, nullptr, true}, 3, 0},
      {{"Ic", &D::IMagEdit, nullptr, true}, 4, 0},
      {{"Bj-Vj", &D::BVEdit, [](D& d, const std::string& t) { d.BVEditChange(t); }, true}, 5, 0},
      {{"Bt", &D::BTEdit}, 1, 3},
      {{"Vt", &D::VTEdit}, 2, 3},
  };
  katalog_ = new QGroupBox("Katalogangaben (mag)", this);
  auto* grid = new QGridLayout(katalog_);
  grid->addWidget(new QLabel("Johnson/Cousins", katalog_), 0, 0, 1, 2);
  grid->addWidget(new QLabel("Tycho", katalog_), 0, 3, 1, 2);
  grid->setColumnMinimumWidth(2, 12);
  for (const Place& p : places) {
    grid->addWidget(new QLabel(p.field.caption, katalog_), p.row, p.column);
    grid->addWidget(addField(p.field), p.row, p.column + 1);
  }
  auto* tycho = new QPushButton("Tyc->John.", katalog_);
  grid->addWidget(tycho, 3, 3, 1, 2);
  connect(tycho, &QPushButton::clicked, this, [this] {
    model_.TycToJButtonClick();
    showModel();
  });
  field("Bj")->installEventFilter(this);
  field("Bj-Vj")->installEventFilter(this);
  return katalog_;
}

QLineEdit* StarInfoWindow::addField(Field f) {
  f.edit = new QLineEdit(this);
  f.edit->setMinimumWidth(fontMetrics().horizontalAdvance("-00.000") + 16);
  // textEdited comes from the user only, so showing the model cannot loop.
  connect(f.edit, &QLineEdit::textEdited, this, [this, f](const QString& value) {
    if (f.typed != nullptr) {
      f.typed(model_, value.toStdString());
    } else {
      model_.*f.text = value.toStdString();
    }
    showModel();
  });
  fields_.push_back(f);
  return f.edit;
}

QLineEdit* StarInfoWindow::field(const QString& caption) const {
  for (const Field& f : fields_)
    if (f.caption == caption) return f.edit;
  return nullptr;
}

bool StarInfoWindow::eventFilter(QObject* watched, QEvent* event) {
  // Reaching the field by keyboard counts as clicking into it; the focus it
  // gets back with its window does not.
  bool entered = event->type() == QEvent::MouseButtonPress;
  if (event->type() == QEvent::FocusIn) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    entered = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
              reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
  }
  if (entered && watched == field("Bj")) model_.BmagEditClick();
  if (entered && watched == field("Bj-Vj")) model_.BVEditClick();
  return QDialog::eventFilter(watched, event);
}

void StarInfoWindow::okClicked() {
  // A field that is not a number was reported; the dialog stays for a fix.
  if (model_.accept(roiWindow_)) {
    accept();
  } else {
    showModel();
  }
}

void StarInfoWindow::showModel() {
  idEdit_->setText(QString::fromStdString(model_.IDEdit));
  for (const Field& f : fields_) {
    const QString text = QString::fromStdString(model_.*f.text);
    // Rewriting the field being typed in would move its cursor.
    if (f.edit->text() != text) f.edit->setText(text);
    if (f.magnitude) f.edit->setEnabled(model_.MagnitudeFieldsEnabled);
  }
  if (QAbstractButton* b = starType_->button(model_.StarTypeGroup)) b->setChecked(true);
  if (QAbstractButton* b = compType_->button(model_.CompTypeGroup.ItemIndex)) b->setChecked(true);
  compGroup_->setEnabled(model_.CompTypeGroup.Enabled);
  katalog_->setEnabled(model_.KatalogGroupEnabled);
}

bool showStarInfo(QWidget* parent, Application& app) {
  StarInfoWindow window(app.starInfo, app.roiWindow, parent);
  return window.exec() == QDialog::Accepted;
}

}  // namespace vargaze
