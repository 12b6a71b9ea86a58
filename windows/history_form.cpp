#include "windows/history_form.h"

#include <QAbstractTableModel>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/history_browser.h"
#include "core/program_data.h"
#include "core/transfers.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "windows/keyboard_wedge.h"

namespace {
QString timeText(const LocalDateTime& t) {
    return QString::asprintf("%02d.%02d.%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour,
                             t.minute, t.second);
}

QString scannerText(const HistoryEntry& entry) {
    return QString("%1 %2 (%3)")
        .arg(fromCp1252(entry.scannerId), fromCp1252(entry.name),
             QString::fromStdString(entry.serial));
}

QString deliveryText(const HistoryEntry& entry) {
    switch (entry.delivered) {
        case HistoryDelivery::Saved:
            return QString(texts::kDeliveredSaved).arg(QFile::decodeName(entry.file.c_str()));
        case HistoryDelivery::Typed:
            return texts::kDeliveredTyped;
        case HistoryDelivery::None:
            break;
    }
    return texts::kDeliveredNone;
}
}  // namespace

// The receptions of a HistoryBrowser as a table; the view fetches the next page as it
// scrolls to the end.
class HistoryListModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setBrowser(HistoryBrowser* browser) {
        beginResetModel();
        browser_ = browser;
        endResetModel();
    }
    void reset() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() || !browser_ ? 0 : int(browser_->entries().size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!browser_ || role != Qt::DisplayRole ||
            size_t(index.row()) >= browser_->entries().size())
            return {};
        const HistoryEntry& entry = browser_->entries()[size_t(index.row())];
        switch (index.column()) {
            case 0:
                return timeText(entry.readAt);
            case 1:
                return scannerText(entry);
            case 2:
                return entry.count;
            default:
                return deliveryText(entry);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return QString(texts::kHistoryColumns).split('|').value(section);
    }
    bool canFetchMore(const QModelIndex& parent) const override {
        return !parent.isValid() && browser_ && browser_->canLoadMore();
    }
    void fetchMore(const QModelIndex& parent) override {
        if (!canFetchMore(parent)) return;
        const int first = int(browser_->entries().size());
        bool inserting = false;
        browser_->loadMore([&](int count) {
            if (count == 0) return;
            beginInsertRows({}, first, first + count - 1);
            inserting = true;
        });
        if (inserting) endInsertRows();
    }

  private:
    HistoryBrowser* browser_ = nullptr;
};

THistoryForm::THistoryForm(ProgramData& data, KeyboardWedge* wedge, QWidget* parent)
    : QDialog(parent), data_(data), wedge_(wedge) {
    setWindowTitle(texts::kHistoryWindowTitle);
    resize(720, 520);
    auto* column = new QVBoxLayout(this);
    column->addLayout(createSearchRow());
    createLists(column);
    column->addLayout(createButtonRow());
    SaveDialog.filter = "Text Datei|*.txt|Alle|*.*";
    SaveDialog.defaultExtension = "txt";

    connect(FindButton, &QPushButton::clicked, this, &THistoryForm::FindButtonClick);
    connect(SearchEdit, &QLineEdit::returnPressed, this, &THistoryForm::FindButtonClick);
    connect(ShowAllButton, &QPushButton::clicked, this, &THistoryForm::ShowAllButtonClick);
    connect(SaveAsButton, &QPushButton::clicked, this, &THistoryForm::SaveAsButtonClick);
    connect(ResendButton, &QPushButton::clicked, this, &THistoryForm::ResendButtonClick);
    connect(CopyButton, &QPushButton::clicked, this, &THistoryForm::CopyButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
    connect(KeepDaysEdit, &QSpinBox::valueChanged, this,
            [this](int days) { data_.settings.historyKeepDays = days; });
    connect(ReceptionList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showRows(); });
}

QHBoxLayout* THistoryForm::createSearchRow() {
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(texts::kHistorySearch, this));
    SearchEdit = new QLineEdit(this);
    searchRow->addWidget(SearchEdit, 1);
    FindButton = new QPushButton(texts::kHistoryFind, this);
    ShowAllButton = new QPushButton(texts::kHistoryShowAll, this);
    searchRow->addWidget(FindButton);
    searchRow->addWidget(ShowAllButton);
    return searchRow;
}

void THistoryForm::createLists(QVBoxLayout* column) {
    ReceptionList = new QTableView(this);
    model_ = new HistoryListModel(this);
    ReceptionList->setModel(model_);
    ReceptionList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ReceptionList->setSelectionMode(QAbstractItemView::SingleSelection);
    ReceptionList->verticalHeader()->hide();
    ReceptionList->horizontalHeader()->setStretchLastSection(true);
    ReceptionList->setColumnWidth(0, 130);
    ReceptionList->setColumnWidth(1, 260);
    ReceptionList->setColumnWidth(2, 70);
    column->addWidget(ReceptionList, 3);

    RowList = new QTreeWidget(this);
    RowList->setHeaderLabels(QString(texts::kHistoryRowColumns).split('|'));
    RowList->setRootIsDecorated(false);
    RowList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    RowList->setColumnWidth(0, 50);
    column->addWidget(RowList, 2);
}

QHBoxLayout* THistoryForm::createButtonRow() {
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(texts::kHistoryKeep, this));
    KeepDaysEdit = new QSpinBox(this);
    KeepDaysEdit->setRange(0, 36500);
    bottom->addWidget(KeepDaysEdit);
    HistoryStatusText = new QLabel(this);
    bottom->addWidget(HistoryStatusText, 1);
    SaveAsButton = new QPushButton(texts::kHistorySaveAs, this);
    ResendButton = new QPushButton(texts::kHistoryResend, this);
    CopyButton = new QPushButton(texts::kHistoryCopy, this);
    CloseButton = new QPushButton(texts::kClose, this);
    for (QPushButton* button : {SaveAsButton, ResendButton, CopyButton, CloseButton}) {
        button->setAutoDefault(false);
        bottom->addWidget(button);
    }
    return bottom;
}

THistoryForm::~THistoryForm() {
    model_->setBrowser(nullptr);
}

bool THistoryForm::reload() {
    model_->setBrowser(nullptr);
    browser_.reset();
    RowList->clear();
    KeepDaysEdit->setValue(data_.settings.historyKeepDays);
    if (!data_.history) return false;
    browser_ = std::make_unique<HistoryBrowser>(*data_.history);
    browser_->showAll();
    model_->setBrowser(browser_.get());
    SearchEdit->clear();
    selectReception(0);
    showCount();
    return true;
}

int THistoryForm::selectedReception() const {
    const QModelIndex current = ReceptionList->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void THistoryForm::selectReception(int index) {
    if (!browser_ || index < 0 || size_t(index) >= browser_->entries().size()) {
        RowList->clear();
        return;
    }
    ReceptionList->selectionModel()->setCurrentIndex(
        model_->index(index, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    showRows();
}

void THistoryForm::showRows() {
    RowList->clear();
    const int index = selectedReception();
    if (!browser_ || index < 0) return;
    const std::vector<HistoryRow> rows = browser_->rows(size_t(index));
    const std::vector<int>& found = browser_->foundRows(size_t(index));
    QTreeWidgetItem* first = nullptr;
    for (size_t i = 0; i < rows.size(); ++i) {
        auto* item = new QTreeWidgetItem(RowList);
        item->setText(0, QString::number(i + 1));
        item->setText(1, fromCp1252(rows[i].line) + (rows[i].repeated ? texts::kRepeated : ""));
        if (std::find(found.begin(), found.end(), int(i)) != found.end()) {
            QFont bold = item->font(1);
            bold.setBold(true);
            item->setFont(1, bold);
            if (!first) first = item;
        }
    }
    if (first) RowList->scrollToItem(first);
}

void THistoryForm::showCount() {
    if (!browser_) return;
    HistoryStatusText->setText(
        browser_->searching()
            ? QString(texts::kHistoryFound).arg(browser_->foundRowCount()).arg(browser_->total())
            : QString(texts::kHistoryCount).arg(browser_->total()));
}

void THistoryForm::FindButtonClick() {
    if (!browser_) return;
    model_->setBrowser(nullptr);
    browser_->search(toCp1252(SearchEdit->text().trimmed()));
    model_->setBrowser(browser_.get());
    selectReception(0);
    showCount();
}

void THistoryForm::ShowAllButtonClick() {
    SearchEdit->clear();
    FindButtonClick();
}

void THistoryForm::SaveAsButtonClick() {
    const int index = selectedReception();
    if (!browser_ || index < 0) return;
    if (SaveDialog.fileName.isEmpty())
        SaveDialog.initialDirectory = QFileInfo(fromCp1252(data_.settings.dataFile)).absolutePath();
    if (!SaveDialog.execute(this)) return;
    const std::string path = QFile::encodeName(SaveDialog.fileName).toStdString();
    const HistoryEntry& entry = browser_->entries()[size_t(index)];
    std::string reason;
    if (!saveReception(browser_->replayed(size_t(index), data_.settings), data_.settings, path,
                       reason)) {
        showWarning(
            QString(texts::kDataNotSaved).arg(SaveDialog.fileName, QString::fromUtf8(reason)),
            texts::kSaveError);
        return;
    }
    HistoryStatusText->setText(QString(texts::kHistorySaved)
                                   .arg(timeText(entry.readAt))
                                   .arg(entry.count)
                                   .arg(SaveDialog.fileName));
}

void THistoryForm::ResendButtonClick() {
    const int index = selectedReception();
    if (!browser_ || !wedge_ || index < 0) return;
    const HistoryEntry& entry = browser_->entries()[size_t(index)];
    wedge_->resendOnHotkey(browser_->replayed(size_t(index), data_.settings), entry.id,
                           entry.delivered != HistoryDelivery::None);
    // The user goes to the application the barcodes are for and presses the send hotkey.
    accept();
}

void THistoryForm::CopyButtonClick() {
    const int index = selectedReception();
    if (!browser_ || index < 0) return;
    std::vector<int> positions;
    for (int i = 0; i < RowList->topLevelItemCount(); ++i)
        if (RowList->topLevelItem(i)->isSelected()) positions.push_back(i);
    QGuiApplication::clipboard()->setText(
        fromCp1252(browser_->copiedLines(size_t(index), positions)));
}
