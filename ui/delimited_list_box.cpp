#include "ui/delimited_list_box.h"

#include <QHeaderView>

#include "text/delimited_text.h"
#include "ui/qt_text.h"

DelimitedListBox::DelimitedListBox(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

void DelimitedListBox::setSections(const QStringList& captions, const QList<int>& widths) {
    setColumnCount(static_cast<int>(captions.size()));
    setHeaderLabels(captions);
    for (int k = 0; k < widths.size(); ++k) setColumnWidth(k, widths[k]);
    showAllRows();
}

void DelimitedListBox::setSectionCaption(int section, const QString& caption) {
    headerItem()->setText(section, caption);
}

QString DelimitedListBox::sectionCaption(int section) const {
    return headerItem()->text(section);
}

void DelimitedListBox::setDelimiter(char delimiter) {
    if (delimiter == delimiter_) return;
    delimiter_ = delimiter;
    showAllRows();
}

std::string DelimitedListBox::column(int index, int column) const {
    return delimitedField(row(index), delimiter_, column);
}

void DelimitedListBox::addRow(const std::string& row) {
    addRow(row, {row});
}

void DelimitedListBox::addRow(const std::string& row, std::vector<std::string> fields) {
    rows_.push_back(row);
    fields_.push_back(std::move(fields));
    auto* item = new QTreeWidgetItem(this);
    showRow(item, row);
}

void DelimitedListBox::setRow(int index, const std::string& row) {
    rows_.at(static_cast<size_t>(index)) = row;
    fields_.at(static_cast<size_t>(index)) = {row};
    showRow(topLevelItem(index), row);
}

void DelimitedListBox::removeRow(int index) {
    if (index < 0 || index >= rowCount()) return;
    rows_.erase(rows_.begin() + index);
    fields_.erase(fields_.begin() + index);
    delete takeTopLevelItem(index);
}

void DelimitedListBox::setRows(std::vector<std::string> rows) {
    rows_ = std::move(rows);
    fields_.clear();
    for (const auto& row : rows_) fields_.push_back({row});
    showAllRows();
}

void DelimitedListBox::clearRows() {
    rows_.clear();
    fields_.clear();
    clear();
}

int DelimitedListBox::selectedRow() const {
    const auto selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

void DelimitedListBox::selectRow(int index) {
    clearSelection();
    if (index < 0 || index >= rowCount()) return;
    setCurrentItem(topLevelItem(index));
    topLevelItem(index)->setSelected(true);
    scrollToItem(topLevelItem(index));
}

void DelimitedListBox::showRow(QTreeWidgetItem* item, const std::string& row) const {
    for (int k = 0; k < columnCount(); ++k)
        item->setText(k, fromCp1252(delimitedField(row, delimiter_, k)));
}

void DelimitedListBox::showAllRows() {
    clear();
    for (const auto& row : rows_) showRow(new QTreeWidgetItem(this), row);
}
