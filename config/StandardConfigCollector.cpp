#include "config/StandardConfigCollector.h"

#include "forms/Form.h"
#include "settings/TextLines.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <stdexcept>

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const TForm& FormNamed(std::string_view name) {
    for (const TForm* form : ApplicationForms())
        if (form->Name() == ToQString(name))
            return *form;
    throw std::logic_error("standard.cfg: no window " + std::string(name));
}

template <class T> const T& Control(std::string_view window, std::string_view name) {
    if (const T* control = FormNamed(window).Find<T>(ToQString(name)))
        return *control;
    throw std::logic_error("standard.cfg: no control " + std::string(window) + "." + std::string(name));
}

void Collect(StandardConfigValues& values, const StandardConfigControl& control) {
    const std::string name(control.name);
    switch (control.kind) {
    case ValueKind::CheckBox:
        values.ticked[name] = Control<QCheckBox>(control.window, name).isChecked();
        break;
    case ValueKind::SpinEdit:
        values.numbers[name] = Control<TSpinEdit>(control.window, name).Value();
        break;
    case ValueKind::RadioGroup:
        values.numbers[name] = Control<TRadioGroup>(control.window, name).ItemIndex();
        break;
    case ValueKind::Edit:
        values.texts[name] = Control<QLineEdit>(control.window, name).text().toStdString();
        break;
    case ValueKind::ComboBox:
        // A drop-down without a chosen item has an empty current text.
        values.texts[name] = Control<QComboBox>(control.window, name).currentText().toStdString();
        break;
    }
}

} // namespace

std::vector<std::string> MemoLines(const QPlainTextEdit& memo) {
    std::vector<std::string> lines;
    for (const QString& line : TextLines(memo.toPlainText()))
        lines.push_back(line.toStdString());
    return lines;
}

StandardConfigValues CollectStandardConfigValues() {
    StandardConfigValues values;
    for (const auto& control : StandardConfigControls())
        Collect(values, control);
    values.messageLines = MemoLines(Control<QPlainTextEdit>("MsgForm", "MsgMemo"));
    const auto& maps = Control<QListWidget>("MainForm", "ListBoxSelectedMaps");
    for (int i = 0; i < maps.count(); ++i)
        values.selectedMaps.push_back(maps.item(i)->text().toStdString());
    return values;
}
