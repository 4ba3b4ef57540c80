// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/ColorCodeMenu.h"

#include "forms/Guard.h"

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>

#include <array>

namespace {

struct ColorItem {
    const char* name;
    int tag;
    QColor swatch;
    const char* colour; // what the game shows
};

// The items in menu order; the n-th shows the n-th swatch of the window's image list.
const std::array<ColorItem, 10> ColorItems = {{{"C1Ref", 1, QColor(255, 0, 0), "red"},
                                               {"C2", 2, QColor(0, 255, 0), "green"},
                                               {"C3", 3, QColor(255, 255, 0), "yellow"},
                                               {"C4", 4, QColor(0, 0, 255), "blue"},
                                               {"C5", 5, QColor(0, 255, 255), "cyan"},
                                               {"C6", 6, QColor(255, 0, 255), "magenta"},
                                               {"C7", 7, QColor(255, 255, 255), "white"},
                                               {"C8", 8, QColor(128, 0, 128), "purple"},
                                               {"C9", 9, QColor(128, 128, 128), "grey"},
                                               {"C0", 0, QColor(0, 0, 0), "black"}}};

QIcon Swatch(const QColor& color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

// Runs `action` on the field, whichever of the two text controls it is.
template <class Action> void ApplyToField(QWidget* field, Action action) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        action(*edit);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        action(*memo);
}

} // namespace

TColorCodeMenu::TColorCodeMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("PopupMenu"));
    setToolTipsVisible(true);
    for (const auto& item : ColorItems) {
        QAction* action = addAction(Swatch(item.swatch), QStringLiteral("(insert ^%1)").arg(item.tag));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setToolTip(QStringLiteral("The text after ^%1 shows in %2 in the game, up to the next colour code")
                               .arg(item.tag)
                               .arg(QString::fromLatin1(item.colour)));
        action->setProperty("tag", item.tag);
        const int digit = item.tag;
        connect(action, &QAction::triggered, this, [this, digit] { RunGuarded([&] { C1RefClick(digit); }); });
    }
    addSeparator();
    const std::array<std::pair<const char*, void (TColorCodeMenu::*)()>, 4> edits = {{
        {"&Copy", &TColorCodeMenu::Copy1Click},
        {"&Paste", &TColorCodeMenu::Paste1Click},
        {"&Select All", &TColorCodeMenu::SelectAll1Click},
        {"&Undo", &TColorCodeMenu::Undo1Click},
    }};
    const std::array<const char*, 4> names = {"Copy1", "Paste1", "SelectAll1", "Undo1"};
    for (std::size_t i = 0; i < edits.size(); ++i) {
        QAction* action = addAction(QString::fromLatin1(edits[i].first));
        action->setObjectName(QString::fromLatin1(names[i]));
        ConnectGuarded(action, &QAction::triggered, this, edits[i].second);
    }
}

void TColorCodeMenu::AttachTo(QWidget* field) {
    field->setContextMenuPolicy(Qt::CustomContextMenu);
    // A scroll area (the messages box) reports the point in its viewport's coordinates.
    auto* scrollArea = qobject_cast<QAbstractScrollArea*>(field);
    QWidget* origin = scrollArea ? scrollArea->viewport() : field;
    connect(field, &QWidget::customContextMenuRequested, this,
            [this, field, origin](const QPoint& at) { PopupFor(*field, origin->mapToGlobal(at)); });
}

void TColorCodeMenu::PopupFor(QWidget& field, const QPoint& where) {
    field_ = &field;
    popup(where);
}

void TColorCodeMenu::C1RefClick(int digit) {
    const QString code = QStringLiteral("^%1").arg(digit);
    if (auto* edit = qobject_cast<QLineEdit*>(field_.data())) {
        edit->insert(code + edit->selectedText());
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(field_.data())) {
        QTextCursor cursor = memo->textCursor();
        cursor.insertText(code + cursor.selectedText());
    }
}

void TColorCodeMenu::Copy1Click() {
    ApplyToField(field_, [](auto& field) { field.copy(); });
}

void TColorCodeMenu::Paste1Click() {
    ApplyToField(field_, [](auto& field) { field.paste(); });
}

void TColorCodeMenu::SelectAll1Click() {
    ApplyToField(field_, [](auto& field) { field.selectAll(); });
}

void TColorCodeMenu::Undo1Click() {
    ApplyToField(field_, [](auto& field) { field.undo(); });
}
