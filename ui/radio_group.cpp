#include "ui/radio_group.h"

#include <QComboBox>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_.addButton(button, i);
        buttons_.append(button);
        layout->addWidget(button);
    }
    connect(&group_, &QButtonGroup::idClicked, this, &RadioGroup::itemIndexChanged);
}

int RadioGroup::itemIndex() const {
    return group_.checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index >= count()) index = count() - 1;
    if (index < 0) {
        // An exclusive group cannot uncheck its last button by itself.
        group_.setExclusive(false);
        for (auto* button : buttons_) button->setChecked(false);
        group_.setExclusive(true);
        return;
    }
    buttons_[index]->setChecked(true);
}

void setComboIndex(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}
