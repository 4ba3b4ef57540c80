// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/RadioGroup.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QRadioButton>

#include <algorithm>

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
        connect(button, &QRadioButton::clicked, this, [this, i] { Choose(i); });
        button->installEventFilter(this);
        layout->addWidget(button, i % rows, i / rows);
        buttons_.push_back(button);
    }
    UpdateTabStop();
}

void TRadioGroup::Choose(int index) {
    SetItemIndex(index);
    Q_EMIT Clicked();
}

void TRadioGroup::UpdateTabStop() {
    // The group is one Tab stop: its chosen button, or its first while none is chosen.
    const int stop = std::max(ItemIndex(), 0);
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setFocusPolicy(static_cast<int>(i) == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TRadioGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QGroupBox::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int step = key == Qt::Key_Up || key == Qt::Key_Left      ? -1
                     : key == Qt::Key_Down || key == Qt::Key_Right ? 1
                                                                   : 0;
    const auto at = std::find(buttons_.begin(), buttons_.end(), watched);
    if (step == 0 || at == buttons_.end())
        return QGroupBox::eventFilter(watched, event);
    // The arrows move the choice, and the focus with it, round the items as on every desktop.
    const int count = Count();
    const int next = (static_cast<int>(at - buttons_.begin()) + step + count) % count;
    Choose(next);
    buttons_[static_cast<std::size_t>(next)]->setFocus(Qt::TabFocusReason);
    return true;
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
    UpdateTabStop();
}

QString TRadioGroup::Item(int index) const {
    return index >= 0 && index < Count() ? buttons_[static_cast<std::size_t>(index)]->text() : QString();
}
