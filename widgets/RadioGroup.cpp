#include "widgets/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        // Buttons exclude each other by hand so that no choice at all stays possible.
        button->setAutoExclusive(false);
        connect(button, &QRadioButton::clicked, this, [this, i] {
            SetItemIndex(i);
            Q_EMIT Clicked();
        });
        layout->addWidget(button, i % rows, i / rows);
        buttons_.push_back(button);
    }
}

int TRadioGroup::ItemIndex() const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked())
            return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setChecked(static_cast<int>(i) == index);
}

QString TRadioGroup::Item(int index) const {
    return index >= 0 && index < Count() ? buttons_[static_cast<std::size_t>(index)]->text() : QString();
}
