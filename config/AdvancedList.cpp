// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/AdvancedList.h"

#include "config/FormNewSetting.h"
#include "forms/Guard.h"
#include "platform/Utf8Text.h"
#include "settings/ItemTexts.h"
#include "widgets/UpDown.h"

#include <QAbstractButton>
#include <QListWidget>

TAdvancedList::TAdvancedList(const Controls& controls, std::function<TFormNewSetting&()> newSetting, QObject* parent,
                             DialogRunner runDialog)
    : QObject(parent), controls_(controls), newSetting_(std::move(newSetting)), runDialog_(std::move(runDialog)) {
    ConnectGuarded(controls_.ListBoxCfg, &QListWidget::itemDoubleClicked, this, &TAdvancedList::ListBoxCfgDblClick);
    ConnectGuarded(controls_.UpDown1, &TUpDown::Clicked, this, &TAdvancedList::UpDown1Click);
    ConnectGuarded(controls_.ButtonInsertSetting, &QAbstractButton::clicked, this,
                   &TAdvancedList::ButtonInsertSettingClick);
    ConnectGuarded(controls_.ButtonDeleteLine, &QAbstractButton::clicked, this, &TAdvancedList::ButtonDeleteLineClick);
    ConnectGuarded(controls_.Button1, &QAbstractButton::clicked, this, &TAdvancedList::Button1Click);
    ConnectGuarded(controls_.Button2, &QAbstractButton::clicked, this, &TAdvancedList::Button2Click);
    ConnectGuarded(controls_.ButtonUp2, &QAbstractButton::clicked, this, &TAdvancedList::ButtonUp2Click);
    ConnectGuarded(controls_.ButtonDown2, &QAbstractButton::clicked, this, &TAdvancedList::ButtonDown2Click);
}

AdvancedLines TAdvancedList::Lines() const {
    AdvancedLines list;
    const QListWidget& box = *controls_.ListBoxCfg;
    list.lines = Utf8Lines(ItemTexts(box));
    const QList<QListWidgetItem*> selected = box.selectedItems();
    list.selected = selected.isEmpty() ? -1 : box.row(selected.first());
    return list;
}

void TAdvancedList::Apply(const AdvancedLines& list, bool changed) {
    if (!changed)
        return;
    QListWidget& box = *controls_.ListBoxCfg;
    box.clear();
    for (const auto& line : list.lines)
        box.addItem(QString::fromStdString(line));
    box.setCurrentRow(list.selected);
    RefreshCommentIndex();
}

void TAdvancedList::RefreshCommentIndex() {
    comments_ = BuildCommentIndex(Lines().lines);
    controls_.UpDown1->SetMax(static_cast<int>(comments_.size()) - 1);
}

void TAdvancedList::ListBoxCfgDblClick() {
    const AdvancedLines list = Lines();
    if (!list.HasSelection())
        return;
    const auto edit = EditFor(list.lines[static_cast<std::size_t>(list.selected)]);
    if (!edit)
        return;
    const QString answer = Ask().InputBox(QString::fromStdString(edit->caption), QString::fromStdString(edit->prompt),
                                          QString::fromStdString(edit->offered));
    // Replaced in place: the comment index keeps the old text until the next change of the list.
    if (const auto edited = EditedLine(*edit, answer.toStdString()))
        controls_.ListBoxCfg->item(list.selected)->setText(QString::fromStdString(*edited));
}

void TAdvancedList::UpDown1Click() {
    // The arrows have already moved their position, clamped to the comment index.
    if (const auto line = CommentLineAt(comments_, controls_.UpDown1->Position()))
        controls_.ListBoxCfg->setCurrentRow(*line);
}

void TAdvancedList::ButtonInsertSettingClick() {
    AdvancedLines list = Lines();
    TFormNewSetting& newSetting = newSetting_();
    runDialog_(newSetting);
    if (!newSetting.Cancelled())
        Apply(list, InsertLine(list, newSetting.NewLine().toStdString()));
}

void TAdvancedList::ButtonDeleteLineClick() {
    AdvancedLines list = Lines();
    if (list.HasSelection() &&
        Ask().AskYesNo(QString::fromStdString(DeleteLineQuestion(list.lines[static_cast<std::size_t>(list.selected)]))))
        Apply(list, DeleteSelected(list));
}

void TAdvancedList::Button1Click() {
    AdvancedLines list = Lines();
    const QString answer =
        Ask().InputBox(QStringLiteral("New comment"), QStringLiteral("Type here a new comment"), QString());
    if (!answer.isEmpty())
        Apply(list, InsertLine(list, "// " + answer.toStdString()));
}

void TAdvancedList::Button2Click() {
    AdvancedLines list = Lines();
    Apply(list, InsertLine(list, {}));
}

void TAdvancedList::ButtonUp2Click() {
    AdvancedLines list = Lines();
    Apply(list, MoveSelectedUp(list));
}

void TAdvancedList::ButtonDown2Click() {
    AdvancedLines list = Lines();
    Apply(list, MoveSelectedDown(list));
}
