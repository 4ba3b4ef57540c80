// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionControls.h"

#include "config/OptionTable.h"
#include "config/StoredOptions.h"
#include "platform/TextLines.h"
#include "platform/Utf8Text.h"
#include "settings/IniFile.h"
#include "settings/ItemTexts.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <algorithm>
#include <stdexcept>

namespace {

bool OfKind(OptionKind kind, QWidget& control) {
    switch (kind) {
    case OptionKind::CheckBox:
        return qobject_cast<QCheckBox*>(&control) != nullptr;
    case OptionKind::SpinEdit:
        return qobject_cast<TSpinEdit*>(&control) != nullptr;
    case OptionKind::RadioGroup:
        return qobject_cast<TRadioGroup*>(&control) != nullptr;
    case OptionKind::Edit:
        return qobject_cast<QLineEdit*>(&control) != nullptr;
    case OptionKind::ComboBox:
        return qobject_cast<QComboBox*>(&control) != nullptr;
    case OptionKind::Memo:
        return qobject_cast<QPlainTextEdit*>(&control) != nullptr;
    case OptionKind::ListBox:
        return qobject_cast<QListWidget*>(&control) != nullptr;
    }
    return false;
}

std::string Named(const Option& option) {
    return std::string(option.window) + "." + std::string(option.name);
}

// The kind was checked when the pair was recorded.
template <class Control> const Control& As(const QWidget& control) {
    return *static_cast<const Control*>(&control);
}

void Collect(OptionValues& values, const Option& option, const QWidget& control) {
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        values.ticked[name] = As<QCheckBox>(control).isChecked();
        break;
    case OptionKind::SpinEdit:
        values.numbers[name] = As<TSpinEdit>(control).Value();
        break;
    case OptionKind::RadioGroup:
        values.numbers[name] = As<TRadioGroup>(control).ItemIndex();
        break;
    case OptionKind::Edit:
        values.texts[name] = As<QLineEdit>(control).text().toStdString();
        break;
    case OptionKind::ComboBox: {
        // A drop-down without a chosen item has an empty current text.
        const auto& combo = As<QComboBox>(control);
        values.numbers[name] = combo.currentIndex();
        values.lines[name] = Utf8Lines(ItemTexts(combo));
        values.texts[name] = combo.currentText().toStdString();
        break;
    }
    case OptionKind::Memo:
        values.lines[name] = MemoLines(As<QPlainTextEdit>(control));
        break;
    case OptionKind::ListBox:
        values.lines[name] = Utf8Lines(ItemTexts(As<QListWidget>(control)));
        values.numbers[name] = SelectedRow(As<QListWidget>(control));
        break;
    }
}

// Puts the value of `option` into its control when it differs from what the control shows, so that a control
// whose value stays the same sends no signal of a change.
void Show(const OptionValues& values, const Option& option, QWidget& control) {
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        static_cast<QCheckBox&>(control).setChecked(values.Ticked(name));
        break;
    case OptionKind::SpinEdit:
        static_cast<TSpinEdit&>(control).SetValue(values.Number(name));
        break;
    case OptionKind::RadioGroup:
        static_cast<TRadioGroup&>(control).SetItemIndex(values.Number(name));
        break;
    case OptionKind::Edit: {
        auto& edit = static_cast<QLineEdit&>(control);
        const QString text = FromUtf8(values.Text(name));
        if (edit.text() != text) {
            edit.setText(text);
            edit.setCursorPosition(0); // a long text shows its beginning
        }
        break;
    }
    case OptionKind::ComboBox: {
        auto& combo = static_cast<QComboBox&>(control);
        const QStringList items = FromUtf8(values.Lines(name));
        if (ItemTexts(combo) != items) {
            combo.clear();
            combo.addItems(items);
        }
        combo.setCurrentIndex(values.Number(name));
        break;
    }
    case OptionKind::Memo: {
        auto& memo = static_cast<QPlainTextEdit&>(control);
        if (MemoLines(memo) != values.Lines(name))
            memo.setPlainText(LinesText(FromUtf8(values.Lines(name))));
        break;
    }
    case OptionKind::ListBox: {
        auto& list = static_cast<QListWidget&>(control);
        const QStringList items = FromUtf8(values.Lines(name));
        if (ItemTexts(list) != items) {
            list.clear();
            list.addItems(items);
        }
        list.setCurrentRow(values.Number(name));
        break;
    }
    }
}

} // namespace

void TOptionControls::Record(const Option& option, QWidget& control) {
    if (!OfKind(option.kind, control))
        throw std::logic_error("the control of the option " + Named(option) + " is not of its kind");
    if (Shows(option))
        throw std::logic_error("the option " + Named(option) + " has a control already");
    control.setToolTip(QString::fromStdString(OptionToolTip(option)));
    controls_.emplace_back(&option, &control);
}

bool TOptionControls::Shows(const Option& option) const {
    return std::ranges::any_of(controls_, [&option](const auto& pair) { return pair.first == &option; });
}

void TOptionControls::CollectInto(OptionValues& values) const {
    for (const auto& [option, control] : controls_) {
        if (!control)
            throw std::logic_error("the control of the option " + Named(*option) + " is gone");
        Collect(values, *option, *control);
    }
}

void TOptionControls::ShowValues(const OptionValues& values) const {
    for (const auto& [option, control] : controls_)
        if (control && option->kept)
            Show(values, *option, *control);
}

TDeferredOptions::TDeferredOptions(std::string_view window) : window_(window) {
    const OptionValues first = FirstOptionValues();
    for (const Option& option : Options())
        if (option.window == window_)
            CopyOptionValue(first, option, held_);
}

void TDeferredOptions::Attach(const TOptionControls& controls) {
    controls.ShowValues(held_);
    controls_ = &controls;
}

bool TDeferredOptions::Shows(const Option& option) const {
    return option.window == window_;
}

void TDeferredOptions::CollectInto(OptionValues& values) const {
    if (controls_ != nullptr) {
        controls_->CollectInto(values);
        return;
    }
    for (const Option& option : Options())
        if (option.window == window_)
            CopyOptionValue(held_, option, values);
}

void TDeferredOptions::ShowValues(const OptionValues& values) const {
    if (controls_ != nullptr) {
        controls_->ShowValues(values);
        return;
    }
    for (const Option& option : Options())
        if (option.window == window_ && option.kept)
            CopyOptionValue(values, option, held_);
}

void SaveWindowSettings(const QString& file, const OptionWindows& windows) {
    OptionValues values;
    for (const TOptionSource* window : windows)
        if (window)
            window->CollectInto(values);
    TIniFile ini(file);
    SaveStoredOptions(ini, values);
    ini.Save();
}

void LoadWindowSettings(const TIniFile& ini, const OptionWindows& windows) {
    OptionValues values;
    for (const TOptionSource* window : windows)
        if (window)
            window->CollectInto(values);
    LoadStoredOptions(ini, values);
    for (const TOptionSource* window : windows)
        if (window)
            window->ShowValues(values);
}

OptionValues CollectOptionValues(const OptionWindows& windows) {
    OptionValues values;
    for (const Option& option : Options())
        if (std::ranges::none_of(windows,
                                 [&option](const TOptionSource* window) { return window && window->Shows(option); }))
            throw std::logic_error("no control shows the option " + Named(option));
    for (const TOptionSource* window : windows)
        if (window)
            window->CollectInto(values);
    return values;
}

std::vector<std::string> MemoLines(const QPlainTextEdit& memo) {
    return Utf8Lines(TextLines(memo.toPlainText()));
}
