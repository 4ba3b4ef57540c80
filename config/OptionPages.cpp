// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionPages.h"

#include "config/OptionControls.h"
#include "config/OptionTable.h"
#include "forms/Form.h"
#include "platform/Utf8Text.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// The page of the effects, whose controls stand on the page itself, beside the fog button.
constexpr std::string_view EffectsPage = "TabSheetFx";
// The width of a spin edit's field: three digits and the arrows.
constexpr int SpinEditWidth = 50;

// The control of an option placed on a page: a check box or a radio group carries its caption itself; the other
// kinds stand beside their label, a free text under it.
QWidget* MakePagedControl(TForm& form, const Option& option, QWidget* parent, TOptionControls& controls) {
    const QString name = FromUtf8(option.name);
    const QString caption = FromUtf8(option.caption);
    switch (option.kind) {
    case OptionKind::CheckBox: {
        auto* box = controls.Bind(option, form.Own<QCheckBox>(name, caption, parent));
        box->setChecked(option.first != 0);
        return box;
    }
    case OptionKind::RadioGroup: {
        auto* group = controls.Bind(option, form.Own<TRadioGroup>(name, caption, FromUtf8(option.items), 2, parent));
        group->SetItemIndex(option.first);
        return group;
    }
    default:
        break;
    }
    auto* row = new QWidget(parent);
    auto* layout =
        new QBoxLayout(option.kind == OptionKind::Edit ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, row);
    layout->setSpacing(option.kind == OptionKind::Edit ? 1 : OptionCaptionGap);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(caption, row));
    QWidget* field = nullptr;
    if (option.kind == OptionKind::SpinEdit) {
        field = controls.Bind(option, form.Own<TSpinEdit>(name, option.min, option.max, option.first, row));
        field->setFixedWidth(SpinEditWidth);
    } else if (option.kind == OptionKind::ComboBox) {
        field = MakeOptionComboBox(form, option, row, controls);
    } else {
        field = MakeOptionEdit(form, option, row, controls);
    }
    layout->addWidget(field, 1);
    return row;
}

} // namespace

QLineEdit* MakeOptionEdit(TForm& form, const Option& option, QWidget* parent, TOptionControls& controls) {
    return controls.Bind(option, form.Own<QLineEdit>(FromUtf8(option.name), FromUtf8(option.firstText), parent));
}

QComboBox* MakeOptionComboBox(TForm& form, const Option& option, QWidget* parent, TOptionControls& controls) {
    auto* combo = controls.Bind(option, form.Own<QComboBox>(FromUtf8(option.name), parent));
    combo->addItems(FromUtf8(option.items));
    combo->setCurrentIndex(option.first);
    return combo;
}

QGridLayout& AddOptionPages(TForm& form, QTabWidget& pages, TOptionControls& controls) {
    // One grid per group, filled by slot once every control exists.
    std::map<std::pair<std::string_view, std::string_view>, QGridLayout*> groups;
    for (const OptionPage& sheet : OptionPages()) {
        auto* page = form.Own<QWidget>(FromUtf8(sheet.name), &pages);
        pages.addTab(page, FromUtf8(sheet.caption));
        // Groups fill the columns in turn; each column stacks its groups at its own heights.
        auto* pageLayout = new QHBoxLayout(page);
        pageLayout->setContentsMargins(4, 4, 4, 4);
        pageLayout->setSpacing(4);
        std::vector<QVBoxLayout*> columns;
        for (int c = 0; c < sheet.columns; ++c) {
            columns.push_back(new QVBoxLayout);
            pageLayout->addLayout(columns.back(), 1);
        }
        int place = 0;
        for (const std::string_view group : OptionGroups(sheet.name)) {
            QWidget* box = group.empty() ? new QWidget(page) : new QGroupBox(FromUtf8(group), page);
            auto* grid = new QGridLayout(box);
            grid->setContentsMargins(6, 2, 6, 2);
            grid->setVerticalSpacing(0);
            columns[static_cast<std::size_t>(place++ % sheet.columns)]->addWidget(box);
            groups[{sheet.name, group}] = grid;
        }
        for (QVBoxLayout* column : columns)
            column->addStretch();
    }
    std::map<QGridLayout*, std::map<int, QWidget*>> placed;
    for (const Option& option : Options()) {
        if (option.window != "MainForm" || option.page.empty())
            continue;
        QGridLayout* grid = groups.at({option.page, option.group});
        placed[grid][option.slot] = MakePagedControl(form, option, grid->parentWidget(), controls);
    }
    for (auto& [grid, slots] : placed) {
        for (auto& [slot, widget] : slots)
            grid->addWidget(widget, slot, 0);
        grid->setRowStretch(grid->rowCount(), 1); // controls stand at the top of their group
    }
    return *groups.at({EffectsPage, ""});
}
