// TfHistory: the history window's controls and handlers; the rows, the enabled buttons and the
// texts are THistoryList's, the undo and the report the history's.
#include "workflow/Uhistory.h"

#include <QBuffer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSplitter>
#include <QVBoxLayout>

#include "base/QtApp.h"
#include "base/QtText.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "workflow/Historyreport.h"
#include "workflow/Uprogress.h"

namespace {

QTableWidget* Table(QWidget* parent, const std::vector<std::string>& captions, const char* rus,
                    const char* ukr) {
  auto* t = new QTableWidget(0, static_cast<int>(captions.size()), parent);
  QStringList heads;
  for (const std::string& c : captions)
    heads << ToQString(c);
  t->setHorizontalHeaderLabels(heads);
  t->setAccessibleName(ToQString(ByIface(rus, ukr)));
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->verticalHeader()->hide();
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
  t->horizontalHeader()->setStretchLastSection(true);
  return t;
}

// The table under its caption, the caption being the table's buddy for the screen reader.
QWidget* Titled(QTableWidget* t, const char* caption) {
  auto* box = new QWidget(t->parentWidget());
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(ToQString(caption), box);
  label->setBuddy(t);
  t->setAccessibleDescription(label->text());
  v->addWidget(label);
  v->addWidget(t, 1);
  return box;
}

void Fill(QTableWidget* t, int row, const std::vector<std::string>& cells) {
  for (size_t c = 0; c < cells.size(); ++c)
    t->setItem(row, static_cast<int>(c), new QTableWidgetItem(ToQString(cells[c])));
}

} // namespace

TfHistory::TfHistory(QWidget* owner) : QDialog(owner) {
  setModal(true);
  setFont(ToQFont(TFontSpec{}));
  setWindowTitle(ToQString(ByIface("История изменений", "Історія змін")));
  resize(1000, 620);
  RestoreWindowGeometry(this, "history");
  auto* v = new QVBoxLayout(this);
  Heading = new QLabel(this);
  Heading->setWordWrap(true);
  Heading->hide();
  v->addWidget(Heading);
  BuildTables();
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(Titled(Batches, ByIface("Пакеты изменений комплекса, новые вверху",
                                           "Пакети змін комплексу, нові вгорі")));
  split->addWidget(Titled(Objects, ByIface("Объекты выбранного пакета: отметьте, чтобы "
                                           "отменить изменения только у них",
                                           "Об'єкти вибраного пакета: позначте, щоб скасувати "
                                           "зміни лише в них")));
  split->setSizes({220, 380});
  v->addWidget(split, 1);
  auto* h = new QHBoxLayout;
  kUndo = new QPushButton(ToQString(ByIface("Отменить изменения", "Скасувати зміни")), this);
  kReport = new QPushButton(ToQString(ByIface("Отчет", "Звіт")), this);
  kClose = new QPushButton(ToQString(ByIface("Закрыть", "Закрити")), this);
  auto* menu = new QMenu(kReport);
  menu->addAction(ToQString(ByIface("Печать...", "Друк...")), this, [this] { PrintReport(); });
  menu->addAction(ToQString(ByIface("Сохранить в файл (PDF, CSV, HTML)...",
                                    "Зберегти у файл (PDF, CSV, HTML)...")),
                  this, [this] { SaveReportAsked(); });
  kReport->setMenu(menu);
  for (QPushButton* b : {kUndo, kReport, kClose}) {
    b->setAutoDefault(false);
    h->addWidget(b);
  }
  h->insertStretch(2);
  v->addLayout(h);
  connect(kUndo, &QPushButton::clicked, this, [this] { kUndoClick(); });
  connect(kClose, &QPushButton::clicked, this, [this] { close(); });
  AskConfirm = [this](const std::string& text) { return AskConfirmBox(text); };
}

TfHistory::~TfHistory() {
  SaveWindowGeometry(this, "history");
}

void TfHistory::BuildTables() {
  Batches = Table(this, BatchCaptions(), "Пакеты изменений", "Пакети змін");
  Objects = Table(this, ObjectCaptions(), "Объекты пакета", "Об'єкти пакета");
  connect(Batches, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { ChooseBatch(row); });
  connect(Objects, &QTableWidget::itemChanged, this, [this] { ShowButtons(); });
}

void TfHistory::FormShow() {
  FLock = std::make_unique<TChangeLock>(GetDirCfg());
  FReadOnly = !FLock->CanChange();
  if (FReadOnly) {
    const TSuiteLockResult& r = FLock->State();
    std::string why = r.State == TSuiteLockState::Held
                          ? ByIface("Данные комплекса изменяет ", "Дані комплексу змінює ") +
                                SuiteLockHolderLine(r.Holder) + "."
                          : MessageLine(FLock->NoticeText(), FLock->NoticeNumber());
    Heading->setText(ToQString(ByIface("Только просмотр: отмена изменений недоступна. ",
                                       "Лише перегляд: скасування змін недоступне. ") +
                               why));
    Heading->show();
  } else {
    FLock->ShowNotice();
  }
  FList.Load();
  ShowBatches();
}

void TfHistory::ShowBatches() {
  QSignalBlocker quiet(Batches);
  Batches->setRowCount(FList.BatchCount());
  for (int i = 0; i < FList.BatchCount(); ++i)
    Fill(Batches, i, FList.BatchCells(i));
  Batches->resizeColumnsToContents();
  if (FList.ChosenRow() >= 0) Batches->selectRow(FList.ChosenRow());
  ShowObjects();
}

void TfHistory::ChooseBatch(int row) {
  FList.Choose(row);
  if (row >= 0 && Batches->currentRow() != row) {
    QSignalBlocker quiet(Batches);
    Batches->selectRow(row);
  }
  ShowObjects();
}

void TfHistory::ShowObjects() {
  {
    QSignalBlocker quiet(Objects);
    Objects->setRowCount(FList.ObjectCount());
    for (int i = 0; i < FList.ObjectCount(); ++i) {
      Fill(Objects, i, FList.ObjectCells(i));
      Objects->item(i, 0)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                    (FReadOnly ? Qt::NoItemFlags : Qt::ItemIsUserCheckable));
      if (!FReadOnly) Objects->item(i, 0)->setCheckState(Qt::Unchecked);
    }
    Objects->resizeColumnsToContents();
  }
  ShowButtons();
}

std::vector<int> TfHistory::Marked() const {
  std::vector<int> out;
  for (int i = 0; i < Objects->rowCount(); ++i)
    if (Objects->item(i, 0) && Objects->item(i, 0)->checkState() == Qt::Checked) out.push_back(i);
  return out;
}

void TfHistory::ShowButtons() {
  kUndo->setEnabled(FList.CanUndo(FReadOnly, Marked()));
  kReport->setEnabled(FList.CanReport());
}

bool TfHistory::AskConfirmBox(const std::string& text) {
  QMessageBox box(QMessageBox::Question, windowTitle(), ToQString(text).replace("#", "\n"),
                  QMessageBox::NoButton, this);
  QPushButton* yes = box.addButton(ToQString(ByIface("Отменить изменения", "Скасувати зміни")),
                                   QMessageBox::AcceptRole);
  box.addButton(ToQString(ByIface("Не отменять", "Не скасовувати")), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes;
}

void TfHistory::kUndoClick() {
  if (FBusy) return;
  if (FReadOnly) {
    OutWar(ByIface("Только просмотр: данные комплекса изменяет другой сеанс, отмена изменений "
                   "недоступна.",
                   "Лише перегляд: дані комплексу змінює інший сеанс, скасування змін "
                   "недоступне."),
           MsgOwnText);
    return;
  }
  std::vector<int> marked = Marked();
  size_t count = FList.UndoNumbers(marked).size();
  if (!FList.CanUndo(false, marked) || (AskConfirm && !AskConfirm(FList.ConfirmUndoText(count))))
    return;
  TUndoResult r;
  try {
    TBusy busy(FBusy);
    TProgressShown progress(this, ByIface("Отмена изменений", "Скасування змін"), false);
    r = FList.Undo(marked, [&](size_t done, size_t total, const std::string& file) {
      progress.Step(done, total, file);
    });
  } catch (const ZError& e) {
    OutErr(e);
  }
  ShowBatches();
  if (!r.Items.empty())
    ShowFinalMessage(this, THistoryList::FinalUndoText(r), THistoryList::Refused(r));
}

std::unique_ptr<QTextDocument> TfHistory::ReportDocument() const {
  auto doc = std::make_unique<QTextDocument>();
  doc->setDefaultFont(font());
  doc->setHtml(QString::fromStdString(FList.ReportHtml()));
  return doc;
}

void TfHistory::PrintReport() {
  if (!FList.CanReport()) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  ReportDocument()->print(&printer);
}

void TfHistory::SaveReportAsked() {
  if (!FList.CanReport()) return;
  QString pdf = "PDF (*.pdf)", csv = "CSV (*.csv)", html = "HTML (*.html *.htm)", chosen = pdf;
  QString path = QFileDialog::getSaveFileName(
      this, ToQString(ByIface("Сохранить отчет", "Зберегти звіт")),
      QString::fromStdString(FList.Batch()->Id) + ".pdf", pdf + ";;" + csv + ";;" + html, &chosen);
  if (path.isEmpty()) return;
  // A name without an extension takes the chosen type's.
  if (QFileInfo(path).suffix().isEmpty())
    path += chosen == csv ? ".csv" : chosen == html ? ".html" : ".pdf";
  SaveReport(path);
}

void TfHistory::SaveReport(const QString& path) {
  std::string name = FromQString(path);
  try {
    TReportType type = ReportTypeOf(name);
    if (type != TReportType::Pdf) {
      WriteReportFile(name, type == TReportType::Csv ? FList.ReportCsv() : FList.ReportHtml());
      return;
    }
    // The page is made in memory: the file is written like every other.
    QByteArray bytes;
    {
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      QPdfWriter writer(&buffer);
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageOrientation(QPageLayout::Landscape);
      writer.setResolution(300);
      writer.setTitle(
          ToQString(ByIface("Отчет о замене расчета П145 ", "Звіт про заміну розрахунку П145 ") +
                    FList.Batch()->Id));
      ReportDocument()->print(&writer);
    }
    WriteReportFile(name, bytes.toStdString());
  } catch (const ZError& e) {
    OutErr(e);
  }
}

void TfHistory::reject() {
  if (!FBusy) QDialog::reject();
}

void OpenHistory(QWidget* owner) {
  try {
    TfHistory w(owner);
    w.FormShow();
    w.exec();
  } catch (const ZError& e) {
    OutErr(e);
  }
}
