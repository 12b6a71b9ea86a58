#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class QRadioButton;

// A captioned group of radio buttons whose setting is its item index: -1 = none chosen.
// An index set from outside is clamped: below -1 gives -1, at or above the item count
// gives the last item.
class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit RadioGroup(const QString& caption, const QStringList& items,
                        QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.at(index); }

  signals:
    void itemIndexChanged(int index);

  private:
    QButtonGroup group_;
    QList<QRadioButton*> buttons_;
};

class QComboBox;
// Selects item `index` of a drop-down list, or no item (-1) when the index lies outside its
// items.
void setComboIndex(QComboBox* combo, int index);
