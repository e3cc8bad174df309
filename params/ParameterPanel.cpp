#include "ParameterPanel.h"

#include "BlackListEditor.h"
#include "ReaderText.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>

#include <algorithm>
#include <span>

namespace {

// Panel size as laid out; the log keeps these margins to the panel's right and bottom edges.
constexpr int kPanelWidth = 665;
constexpr int kPanelHeight = 298;
constexpr QRect kTerminalRect{440, 16, 225, 269};

constexpr int kComboHeight = 21;
constexpr int kEditHeight = 21;
constexpr int kSpinHeight = 22;
constexpr int kLabelAbove = 16;

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A label standing 16 px above the control it names.
QLabel* LabelAbove(QWidget* parent, const char* name, const QString& caption, int left, int top) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->adjustSize();
  label->move(left, top - kLabelAbove);
  return label;
}

QString Caption(TParameter parameter) { return ReaderText(ParameterInfo(parameter).caption); }

QComboBox* DropDownList(QWidget* parent, const char* name, int left, int top, int width) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->setEditable(false);
  combo->setGeometry(left, top, width, kComboHeight);
  return combo;
}

// Values outside the range are brought to the nearer bound when the focus leaves, so what is
// shown is what is sent.
QSpinBox* SpinEdit(QWidget* parent, const char* name, int left, int top, int width, TParameter parameter) {
  auto* spin = Named(new QSpinBox(parent), name);
  const TValueRange range = ParameterInfo(parameter).range;
  spin->setRange(range.minimum, range.maximum);
  spin->setSingleStep(1);
  spin->setValue(1);
  spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  spin->setGeometry(left, top, width, kSpinHeight);
  return spin;
}

// Date only, day first; no limits, so that a reader's zero date 30.12.1899 can be shown.
QDateEdit* DatePicker(QWidget* parent, const char* name, int left, int top, int width) {
  auto* date = Named(new QDateEdit(QDate(2009, 9, 21), parent), name);
  date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  date->setMinimumDate(QDate(100, 1, 1));
  date->setMaximumDate(QDate(9999, 12, 31));
  date->setCalendarPopup(true);
  date->setGeometry(left, top, width, kEditHeight);
  return date;
}

QTableWidget* BlackListGrid(QWidget* parent) {
  constexpr int kRows = static_cast<int>(kBlackListRows);
  auto* grid = Named(new QTableWidget(kRows, 1, parent), "sgBlackList");
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setMinimumSectionSize(1);
  grid->verticalHeader()->setMinimumSectionSize(1);
  grid->setColumnWidth(0, 133);
  for (int row = 0; row < kRows; ++row) {
    grid->setRowHeight(row, 20);
    grid->setItem(row, 0, new QTableWidgetItem);
  }
  grid->setShowGrid(true);
  grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setGeometry(288, 72, 137, 213);
  return grid;
}

QPlainTextEdit* TerminalLog(QWidget* parent) {
  auto* log = Named(new QPlainTextEdit(parent), "memTerminal");
  log->setReadOnly(true);
  log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  log->setGeometry(kTerminalRect);
  return log;
}

void FillList(QComboBox* combo, std::span<const TValueName> items) {
  // Filling must not look like an operator's choice, and the list starts without a selection.
  const QSignalBlocker blocker(combo);
  combo->clear();
  for (const TValueName& item : items)
    combo->addItem(ReaderText(item.name), item.value);
  combo->setCurrentIndex(-1);
}

// Room a caption keeps to its right-hand neighbour, so that two captions never read as one.
constexpr int kCaptionGap = 6;
// How far a caption may be narrowed before it is made smaller instead.
constexpr int kNarrowestStretch = QFont::SemiCondensed;
constexpr int kStretchStep = 5;
constexpr qreal kSmallestPointSize = 6;
constexpr qreal kPointSizeStep = 0.5;

// How wide a caption may be where it stands: up to the nearest control or caption to its right
// that shares its lines, less the gap, or up to the panel's edge.
int CaptionRoom(const QLabel* label) {
  const QWidget* panel = label->parentWidget();
  const int top = label->y();
  const int bottom = top + label->sizeHint().height();
  int right = panel->width() + kCaptionGap;
  for (const QObject* child : panel->children()) {
    const auto* widget = qobject_cast<const QWidget*>(child);
    if (!widget || widget == label || widget->x() <= label->x()) continue;
    const QRect place = widget->geometry();
    if (place.top() < bottom && place.bottom() >= top) right = std::min(right, place.left());
  }
  return right - kCaptionGap - label->x();
}

// The layout was drawn for a face narrower than the desktop's own (DejaVu Sans on Debian): a
// caption that would be cut by its neighbour is narrowed a little, and only if that is not
// enough made smaller, until it reads whole.
void FitCaption(QLabel* label) {
  const int room = CaptionRoom(label);
  QFont face = label->font();
  int stretch = face.stretch() == QFont::AnyStretch ? int{QFont::Unstretched} : face.stretch();
  while (label->sizeHint().width() > room && stretch - kStretchStep >= kNarrowestStretch) {
    stretch -= kStretchStep;
    face.setStretch(stretch);
    label->setFont(face);
  }
  while (label->sizeHint().width() > room && face.pointSizeF() - kPointSizeStep >= kSmallestPointSize) {
    face.setPointSizeF(face.pointSizeF() - kPointSizeStep);
    label->setFont(face);
  }
  label->adjustSize();
}

}  // namespace

TParameterPanel::TParameterPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Panel1"));
  resize(kPanelWidth, kPanelHeight);
  // The fixed layout is drawn for an 8 point face; larger desktop fonts would let the labels run
  // into their neighbours.
  QFont face = font();
  face.setPointSize(8);
  setFont(face);

  // Creation order is the child order that enabling walks.
  lblReader = LabelAbove(this, "lblReader", tr("Считыватель"), 8, 16);
  cbReader = DropDownList(this, "cbReader", 8, 16, 121);

  lblCacheNumber = LabelAbove(this, "lblCacheNumber", Caption(TParameter::CashDeskNumber), 136, 16);
  leCacheNumber = Named(new QLineEdit(this), "leCacheNumber");
  leCacheNumber->setGeometry(136, 16, 137, kEditHeight);
  QPalette buttonFace = leCacheNumber->palette();
  buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
  leCacheNumber->setPalette(buttonFace);
  lblCacheNumber->setBuddy(leCacheNumber);

  Label1 = LabelAbove(this, "Label1", Caption(TParameter::Mode), 8, 72);
  cbMode = DropDownList(this, "cbMode", 8, 72, 265);

  Label7 = LabelAbove(this, "Label7", Caption(TParameter::RelayTime), 8, 136);
  seRelayTime = SpinEdit(this, "seRelayTime", 8, 136, 121, TParameter::RelayTime);

  Label6 = LabelAbove(this, "Label6", Caption(TParameter::AbonementTimeout), 136, 136);
  seAbonementTimeout = SpinEdit(this, "seAbonementTimeout", 136, 136, 137, TParameter::AbonementTimeout);

  lblCurrentDate = LabelAbove(this, "lblCurrentDate", Caption(TParameter::CurrentDate), 8, 200);
  dtpCurrentDate = DatePicker(this, "dtpCurrentDate", 8, 200, 121);

  lblEndDate = LabelAbove(this, "lblEndDate", Caption(TParameter::EndDate), 136, 200);
  dtpEndDate = DatePicker(this, "dtpEndDate", 136, 200, 137);

  lblCardType = LabelAbove(this, "lblCardType", Caption(TParameter::CardType), 8, 259);
  cbCardType = DropDownList(this, "cbCardType", 8, 259, 121);

  lblRecharging = LabelAbove(this, "lblRecharging", Caption(TParameter::RechargeUnits), 136, 259);
  seRecharging = SpinEdit(this, "seRecharging", 136, 259, 65, TParameter::RechargeUnits);

  Label5 = LabelAbove(this, "Label5", Caption(TParameter::Sector), 208, 259);
  seCardSector = SpinEdit(this, "seCardSector", 208, 259, 65, TParameter::Sector);

  Label9 = LabelAbove(this, "Label9", Caption(TParameter::BlackList), 288, 72);
  sgBlackList = BlackListGrid(this);
  BlackListEditor = new TBlackListEditor(sgBlackList);

  Label2 = LabelAbove(this, "Label2", tr("Журнал"), 440, 16);
  memTerminal = TerminalLog(this);

  // Every control stands in its place now, so each caption knows its room.
  for (QLabel* caption : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) FitCaption(caption);

  const QWidget* tabOrder[] = {cbMode,       cbCardType, dtpCurrentDate, dtpEndDate,
                               seCardSector, seAbonementTimeout, seRelayTime, seRecharging,
                               leCacheNumber, sgBlackList, memTerminal, cbReader};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i)
    setTabOrder(const_cast<QWidget*>(tabOrder[i - 1]), const_cast<QWidget*>(tabOrder[i]));

  const std::pair<TParameter, TParameterControls> byParameter[] = {
      {TParameter::CashDeskNumber, {lblCacheNumber, leCacheNumber}},
      {TParameter::RechargeUnits, {lblRecharging, seRecharging}},
      {TParameter::Mode, {Label1, cbMode}},
      {TParameter::CardType, {lblCardType, cbCardType}},
      {TParameter::CurrentDate, {lblCurrentDate, dtpCurrentDate}},
      {TParameter::EndDate, {lblEndDate, dtpEndDate}},
      {TParameter::Sector, {Label5, seCardSector}},
      {TParameter::AbonementTimeout, {Label6, seAbonementTimeout}},
      {TParameter::RelayTime, {Label7, seRelayTime}},
      {TParameter::BlackList, {Label9, sgBlackList}},
  };
  for (const auto& [parameter, controls] : byParameter) controls_[static_cast<std::size_t>(parameter)] = controls;

  // Only the operator's choice runs the rule; a selection made by the program does not.
  connect(cbMode, &QComboBox::activated, this, [this] { cbModeChange(); });
  connect(cbReader, &QComboBox::activated, this, [this] { cbModeChange(); });
}

void TParameterPanel::FillModeList() {
  FillList(cbMode, ListOf(TParameter::Mode));
}

void TParameterPanel::FillCardTypeList() {
  FillList(cbCardType, ListOf(TParameter::CardType));
}

int TParameterPanel::Mode() const {
  return cbMode->currentIndex() < 0 ? kNoSelection : cbMode->currentData().toInt();
}

void TParameterPanel::cbModeChange() {
  const int mode = Mode();
  // Controls of every mode are left alone: the rule touches only what a mode can switch off.
  for (const TParameterInfo& info : kParameterTable) {
    if (info.usedIn.Kind() == TModeRule::TKind::EveryMode) continue;
    const TParameterControls& controls = controls_[static_cast<std::size_t>(info.parameter)];
    controls.label->setEnabled(info.usedIn.Applies(mode));
    controls.control->setEnabled(info.usedIn.Applies(mode));
  }
}

void TParameterPanel::EnableControls(bool value) {
  for (QObject* child : children()) {
    if (auto* widget = qobject_cast<QWidget*>(child)) widget->setEnabled(value);
  }
  if (value) cbModeChange();
}

void TParameterPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The log is the one control that grows with the panel.
  memTerminal->setGeometry(kTerminalRect.left(), kTerminalRect.top(),
                           width() - (kPanelWidth - kTerminalRect.width()),
                           height() - (kPanelHeight - kTerminalRect.height()));
}
