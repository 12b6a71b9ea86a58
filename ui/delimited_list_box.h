#pragma once

#include <QTreeWidget>
#include <string>
#include <vector>

// A list of text rows under a header with sections. Each row is one text (Windows-1252
// bytes, as in the files); the list splits it into columns at its delimiter character and
// shows column k under header section k. Rows stay in the order they were added.
//
// Each row also keeps the fields it was built from. The text alone cannot give them back
// when a field holds the delimiter (a barcode with ";" in it); a row given as text alone is
// its own single field.
class DelimitedListBox : public QTreeWidget {
    Q_OBJECT
  public:
    explicit DelimitedListBox(QWidget* parent = nullptr);

    // Sets the header sections: captions and pixel widths.
    void setSections(const QStringList& captions, const QList<int>& widths);
    void setSectionCaption(int section, const QString& caption);
    QString sectionCaption(int section) const;

    char delimiter() const { return delimiter_; }
    void setDelimiter(char delimiter);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const std::string& row(int index) const { return rows_.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& rows() const { return rows_; }
    // Column `column` of row `index`, split at the delimiter; empty when the row lacks it.
    std::string column(int index, int column) const;

    // The fields row `index` was built from.
    const std::vector<std::string>& rowFields(int index) const {
        return fields_.at(static_cast<size_t>(index));
    }

    void addRow(const std::string& row);
    void addRow(const std::string& row, std::vector<std::string> fields);
    void setRow(int index, const std::string& row);
    void removeRow(int index);
    void setRows(std::vector<std::string> rows);
    void clearRows();

    // The selected row, or -1.
    int selectedRow() const;
    void selectRow(int index);

  private:
    void showRow(QTreeWidgetItem* item, const std::string& row) const;
    void showAllRows();

    std::vector<std::string> rows_;
    std::vector<std::vector<std::string>> fields_;  // one entry per row
    char delimiter_ = ';';
};
