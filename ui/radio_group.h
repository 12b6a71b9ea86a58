#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QList>
#include <QString>

class QComboBox;
class QRadioButton;

// A captioned group of radio buttons, one per choice. Its setting is the value of the chosen
// button, -1 when none is chosen; the values are the numbers the settings file stores.
class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    struct Choice {
        int value;
        QString text;
    };
    // `choices` in the order of their buttons, their values counting up from 0.
    RadioGroup(const QString& caption, const QList<Choice>& choices, QWidget* parent = nullptr);

    int value() const;
    // A value from outside is clamped, as the stored item index of a radio group is: below 0
    // chooses none, above the last choice the last one.
    void setValue(int value);
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.at(index); }

  signals:
    // The choice changed, by a click or by setValue; -1 when none is chosen any more.
    void valueChanged(int value);

  private:
    QButtonGroup group_;
    QList<QRadioButton*> buttons_;
};

// Drop-down lists whose items carry their value as item data (Qt::UserRole).
// The value of the current item; -1 when none is current or it carries no value.
int comboValue(const QComboBox* combo);
// Makes the item of `value` current, or none (-1) when no item carries it.
void setComboValue(QComboBox* combo, int value);
