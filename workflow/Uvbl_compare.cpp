// TfCompare: the comparison of an object's calculation with the new reference, shown line by
// line; the widget only lays out what CompareWithNewReference found.
#include "workflow/Uvbl_compare.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "messages/Utslang.h"

namespace {
constexpr int kColMark = 0, kColObject = 1, kColReference = 2;
const QColor kDiffers(255, 228, 196);

std::string VerdictText(const TCalcComparison& c) {
  std::string text = c.Object + ": ";
  if (!c.Fault.empty()) return text + c.Fault;
  switch (c.Match) {
  case TSurveyMatch::Old:
    return text + ByIface("расчет равен старому эталону, замена возможна",
                          "розрахунок дорівнює старому еталону, заміна можлива");
  case TSurveyMatch::New:
    return text +
           ByIface("расчет уже равен новому эталону", "розрахунок уже дорівнює новому еталону");
  default:
    return text + ByIface("расчет изменен пользователем и не подлежит замене",
                          "розрахунок змінено користувачем, він не підлягає заміні");
  }
}

QTableWidgetItem* Cell(const std::string& text, bool differs) {
  auto* item = new QTableWidgetItem(ToQString(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setToolTip(item->text());
  if (differs) item->setBackground(kDiffers);
  return item;
}
} // namespace

TfCompare::TfCompare(QWidget* owner, const TCalcComparison& c) : QDialog(owner) {
  setWindowTitle(ToQString(ByIface("Сравнение с новым эталоном", "Порівняння з новим еталоном")));
  resize(1000, 560);
  auto* v = new QVBoxLayout(this);
  Verdict = new QLabel(ToQString(VerdictText(c)), this);
  Verdict->setWordWrap(true);
  v->addWidget(Verdict);
  Lines = new QTableWidget(static_cast<int>(c.Rows.size()), 3, this);
  Lines->setHorizontalHeaderLabels({QString(),
                                    ToQString(ByIface("Расчет объекта", "Розрахунок об'єкта")),
                                    ToQString(ByIface("Новый эталон", "Новий еталон"))});
  Lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Lines->setWordWrap(true);
  QStringList rowNames;
  for (size_t i = 0; i < c.Rows.size(); ++i) {
    const TCompareRow& r = c.Rows[i];
    int row = static_cast<int>(i);
    Lines->setItem(row, kColMark, Cell("", r.Differs));
    if (r.Differs) Lines->item(row, kColMark)->setText(QStringLiteral("\u2260")); // "not equal"
    Lines->setItem(row, kColObject, Cell(r.Object, r.Differs));
    Lines->setItem(row, kColReference, Cell(r.Reference, r.Differs));
    rowNames << ToQString(r.Result ? ByIface("итог", "підсумок") : ByIface("исх.", "вих."));
  }
  Lines->setVerticalHeaderLabels(rowNames);
  Lines->horizontalHeader()->setSectionResizeMode(kColMark, QHeaderView::ResizeToContents);
  Lines->horizontalHeader()->setSectionResizeMode(kColObject, QHeaderView::Stretch);
  Lines->horizontalHeader()->setSectionResizeMode(kColReference, QHeaderView::Stretch);
  v->addWidget(Lines, 1);
  auto* close = new QPushButton(ToQString(ByIface("Закрыть", "Закрити")), this);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  v->addWidget(close, 0, Qt::AlignRight);
}

// The wrapped lines take their heights from the widths the columns have once laid out.
void TfCompare::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTimer::singleShot(0, Lines, [this] { Lines->resizeRowsToContents(); });
}

void TfCompare::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  QTimer::singleShot(0, Lines, [this] { Lines->resizeRowsToContents(); });
}

int TfCompare::DifferingRows() const {
  int n = 0;
  for (int r = 0; r < Lines->rowCount(); ++r)
    n += !Lines->item(r, kColMark)->text().isEmpty();
  return n;
}
