// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionCollector.h"

#include "config/OptionTable.h"
#include "forms/Form.h"
#include "platform/TextLines.h"
#include "platform/Utf8Text.h"
#include "settings/ItemTexts.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <stdexcept>

namespace {

const TForm& FormNamed(std::string_view name) {
    for (const TForm* form : ApplicationForms())
        if (form->Name() == FromUtf8(name))
            return *form;
    throw std::logic_error("no window " + std::string(name));
}

template <class T> const T& Control(const Option& option) {
    if (const T* control = FormNamed(option.window).Find<T>(FromUtf8(option.name)))
        return *control;
    throw std::logic_error("no control " + std::string(option.window) + "." + std::string(option.name));
}

void Collect(OptionValues& values, const Option& option) {
    const std::string name(option.name);
    switch (option.kind) {
    case OptionKind::CheckBox:
        values.ticked[name] = Control<QCheckBox>(option).isChecked();
        break;
    case OptionKind::SpinEdit:
        values.numbers[name] = Control<TSpinEdit>(option).Value();
        break;
    case OptionKind::RadioGroup:
        values.numbers[name] = Control<TRadioGroup>(option).ItemIndex();
        break;
    case OptionKind::Edit:
        values.texts[name] = Control<QLineEdit>(option).text().toStdString();
        break;
    case OptionKind::ComboBox: {
        // A drop-down without a chosen item has an empty current text.
        const auto& combo = Control<QComboBox>(option);
        values.numbers[name] = combo.currentIndex();
        values.lines[name] = Utf8Lines(ItemTexts(combo));
        values.texts[name] = combo.currentText().toStdString();
        break;
    }
    case OptionKind::Memo:
        values.lines[name] = MemoLines(Control<QPlainTextEdit>(option));
        break;
    case OptionKind::ListBox:
        values.lines[name] = Utf8Lines(ItemTexts(Control<QListWidget>(option)));
        break;
    }
}

} // namespace

std::vector<std::string> MemoLines(const QPlainTextEdit& memo) {
    return Utf8Lines(TextLines(memo.toPlainText()));
}

OptionValues CollectOptionValues() {
    OptionValues values;
    for (const Option& option : Options())
        Collect(values, option);
    return values;
}
