#include "ui/radio_group.h"

#include <QComboBox>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& caption, const QList<Choice>& choices, QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* layout = new QVBoxLayout(this);
    for (const Choice& choice : choices) {
        auto* button = new QRadioButton(choice.text, this);
        group_.addButton(button, choice.value);
        buttons_.append(button);
        layout->addWidget(button);
    }
    // Whoever chooses, the user or the program: a setting bound to the group follows.
    connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) emit valueChanged(id);
    });
}

int RadioGroup::value() const {
    return group_.checkedId();
}

void RadioGroup::setValue(int value) {
    QAbstractButton* chosen = value < 0 ? nullptr : group_.button(value);
    if (!chosen && value >= count() && count() > 0) chosen = buttons_.last();
    if (!chosen) {
        // An exclusive group cannot uncheck its last button by itself.
        const bool wasChosen = group_.checkedId() != -1;
        group_.setExclusive(false);
        for (auto* button : buttons_) button->setChecked(false);
        group_.setExclusive(true);
        if (wasChosen) emit valueChanged(-1);
        return;
    }
    chosen->setChecked(true);
}

int comboValue(const QComboBox* combo) {
    bool isNumber = false;
    const int value = combo->currentData().toInt(&isNumber);
    return isNumber ? value : -1;
}

void setComboValue(QComboBox* combo, int value) {
    combo->setCurrentIndex(combo->findData(value));
}
