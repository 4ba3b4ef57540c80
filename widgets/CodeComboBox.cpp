// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CodeComboBox.h"

#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

// Shows the items of the list as their box shows them.
class TShownItemDelegate : public QStyledItemDelegate {
public:
    explicit TShownItemDelegate(TCodeComboBox& box) : QStyledItemDelegate(&box), box_(box) {}

    QString displayText(const QVariant& value, const QLocale&) const override { return box_.Shown(value.toString()); }

private:
    const TCodeComboBox& box_;
};

} // namespace

TCodeComboBox::TCodeComboBox(std::function<QString(const QString& code)> name, QWidget* parent)
    : QComboBox(parent), name_(std::move(name)) {
    setItemDelegate(new TShownItemDelegate(*this));
}

QString TCodeComboBox::Shown(const QString& code) const {
    const QString name = name_(code);
    return name.isEmpty() ? code : code + QStringLiteral(" \u2013 ") + name;
}

void TCodeComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() >= 0)
        option.currentText = Shown(currentText());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
