#pragma once

#include <QDialog>
#include <memory>

#include "ui/save_file_dialog.h"

class HistoryBrowser;
class HistoryListModel;
class KeyboardWedge;
class ProgramData;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QTreeWidget;
class QVBoxLayout;

// The history window ("Verlauf"): the receptions the history keeps, newest first, the rows of
// the one selected, a search by barcode across all, and for a reception "Speichern unter …"
// (a data file with the current settings) and "Erneut senden" (typed again by the wedge at
// the next press of the send hotkey); the rows go to the clipboard with "Kopieren".
class THistoryForm : public QDialog {
    Q_OBJECT
  public:
    THistoryForm(ProgramData& data, KeyboardWedge* wedge, QWidget* parent = nullptr);
    ~THistoryForm() override;

    QLineEdit* SearchEdit = nullptr;
    QPushButton* FindButton = nullptr;
    QPushButton* ShowAllButton = nullptr;
    QTableView* ReceptionList = nullptr;
    QTreeWidget* RowList = nullptr;
    QSpinBox* KeepDaysEdit = nullptr;
    QLabel* HistoryStatusText = nullptr;
    QPushButton* SaveAsButton = nullptr;
    QPushButton* ResendButton = nullptr;
    QPushButton* CopyButton = nullptr;
    QPushButton* CloseButton = nullptr;
    SaveFileDialog SaveDialog;

    // Lists the history anew, from the newest reception; false when there is none (it could
    // not be opened at the start).
    bool reload();
    // The selected reception (its index in the list), or -1; selecting one shows its rows.
    int selectedReception() const;
    void selectReception(int index);
    // What the list holds: every reception (fetched as it scrolls) or those found.
    const HistoryBrowser* browser() const { return browser_.get(); }

    void FindButtonClick();
    void ShowAllButtonClick();
    void SaveAsButtonClick();
    void ResendButtonClick();
    void CopyButtonClick();

  private:
    QHBoxLayout* createSearchRow();
    void createLists(QVBoxLayout* column);
    QHBoxLayout* createButtonRow();
    void showRows();
    void showCount();

    ProgramData& data_;
    KeyboardWedge* wedge_;
    std::unique_ptr<HistoryBrowser> browser_;
    HistoryListModel* model_ = nullptr;
};
