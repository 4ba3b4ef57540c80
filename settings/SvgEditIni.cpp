// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SvgEditIni.h"

#include "forms/Form.h"
#include "platform/TextLines.h"
#include "settings/IniFile.h"
#include "settings/ItemTexts.h"
#include "settings/SettingsLocation.h"
#include "settings/StoredValues.h"
#include "widgets/RadioGroup.h"
#include "widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTableWidget>
#include <QTextEdit>

#include <functional>
#include <optional>

namespace {

using TSauveOptions = TSvgEditIni::TSauveOptions;
using Pairs = std::vector<std::pair<QString, QString>>;

// Where one control lives in the file: its key in the window's section, or its own list section.
using ControlKeys = StoredKey;

// ---- single-valued controls: one key in the window's section ----

void SaveText(TIniFile& ini, const ControlKeys& at, const QLineEdit& edit) {
    ini.WriteString(at.section, at.key, edit.text());
}

void LoadText(const TIniFile& ini, const ControlKeys& at, QLineEdit& edit) {
    if (const auto text = StoredText(ini, at)) {
        edit.setText(*text);
        edit.setCursorPosition(0); // a long text shows its beginning
    }
}

void SaveChecked(TIniFile& ini, const ControlKeys& at, const QAbstractButton& button) {
    ini.WriteBool(at.section, at.key, button.isChecked());
}

void LoadChecked(const TIniFile& ini, const ControlKeys& at, QAbstractButton& button) {
    const auto checked = StoredChecked(ini, at);
    if (!checked)
        return;
    // A radio button of an exclusive set refuses to be unchecked, so it is freed from the set while its saved
    // state is put back.
    const bool exclusive = button.autoExclusive();
    button.setAutoExclusive(false);
    button.setChecked(*checked);
    button.setAutoExclusive(exclusive);
}

// How the number saved for a control reads back: as it is for a slider, which keeps to its range itself, brought
// into a spin edit's range, and as one of a radio group's items.
std::optional<int> SliderNumber(const TIniFile& ini, const ControlKeys& at, const QAbstractSlider&) {
    return StoredNumber(ini, at);
}

std::optional<int> SpinEditNumber(const TIniFile& ini, const ControlKeys& at, const TSpinEdit& spin) {
    return StoredNumberWithin(ini, at, spin.MinValue(), spin.MaxValue());
}

std::optional<int> RadioGroupIndex(const TIniFile& ini, const ControlKeys& at, const TRadioGroup& group) {
    return StoredItemIndex(ini, at, group.Count());
}

// Saves and loads a control whose state is one whole number.
template <class Control, int (Control::*Get)() const, void (Control::*Set)(int),
          std::optional<int> (*Read)(const TIniFile&, const ControlKeys&, const Control&)>
struct NumberState {
    static void Save(TIniFile& ini, const ControlKeys& at, const Control& control) {
        ini.WriteInteger(at.section, at.key, (control.*Get)());
    }
    static void Load(const TIniFile& ini, const ControlKeys& at, Control& control) {
        if (const auto number = Read(ini, at, control))
            (control.*Set)(*number);
    }
};
using RadioGroupState = NumberState<TRadioGroup, &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex, RadioGroupIndex>;
using SpinEditState = NumberState<TSpinEdit, &TSpinEdit::Value, &TSpinEdit::SetValue, SpinEditNumber>;
using TrackBarState = NumberState<QAbstractSlider, &QAbstractSlider::value, &QAbstractSlider::setValue, SliderNumber>;

// The user's general date-time format: short date, a blank, long time.
QString DateTimeFormat() {
    const QLocale locale;
    return locale.dateFormat(QLocale::ShortFormat) + u' ' + locale.timeFormat(QLocale::LongFormat);
}

void SaveDateTime(TIniFile& ini, const ControlKeys& at, const QDateTimeEdit& picker) {
    ini.WriteString(at.section, at.key, QLocale().toString(picker.dateTime(), DateTimeFormat()));
}

void LoadDateTime(const TIniFile& ini, const ControlKeys& at, QDateTimeEdit& picker) {
    if (!ini.ValueExists(at.section, at.key))
        return;
    const QDateTime value = QLocale().toDateTime(ini.ReadString(at.section, at.key, QString()), DateTimeFormat());
    if (value.isValid()) // a date that does not parse leaves the picker as it was
        picker.setDateTime(value);
}

// ---- list-like controls: a section of their own with L0, L1, ... and ItemIndex ----

void SaveLines(TIniFile& ini, const ControlKeys& at, const QStringList& lines, int itemIndex) {
    Pairs pairs;
    for (qsizetype i = 0; i < lines.size(); ++i)
        pairs.emplace_back(QStringLiteral("L%1").arg(i), lines[i]);
    pairs.emplace_back(ItemIndexKey, QString::number(itemIndex));
    // The section is rewritten whole, so a shorter list leaves no stale keys behind.
    ini.ReplaceSection(at.ListSection(), pairs);
}

// Memos and rich edits keep lines; their ItemIndex is always 0 and never read.
template <class TextBox> void SaveTextLines(TIniFile& ini, const ControlKeys& at, const TextBox& box) {
    SaveLines(ini, at, TextLines(box.toPlainText()), 0);
}

template <class TextBox> void LoadTextLines(const TIniFile& ini, const ControlKeys& at, TextBox& box) {
    if (const auto lines = StoredLines(ini, at))
        box.setPlainText(LinesText(*lines));
}

// Drop-down lists and list boxes keep items and the selected index.
template <class Control, int (*Selected)(const Control&)>
void SaveItems(TIniFile& ini, const ControlKeys& at, const Control& control) {
    SaveLines(ini, at, ItemTexts(control), Selected(control));
}

int ComboIndex(const QComboBox& combo) {
    return combo.currentIndex();
}

template <class Control, void (Control::*Select)(int)>
void LoadItems(const TIniFile& ini, const ControlKeys& at, Control& control) {
    const auto stored = StoredItems(ini, at);
    if (!stored)
        return;
    control.clear();
    control.addItems(stored->items);
    (control.*Select)(stored->chosen);
}

// String grids keep their shape, current cell and Tag, then every cell that holds more than blanks, keyed
// "C" + column + "L" + row.
QString CellKey(int column, int row) {
    return QStringLiteral("C%1L%2").arg(column).arg(row);
}

void SaveStringGrid(TIniFile& ini, const ControlKeys& at, const QTableWidget& grid) {
    Pairs pairs = {{QStringLiteral("COLCOUNT"), QString::number(grid.columnCount())},
                   {QStringLiteral("ROWCOUNT"), QString::number(grid.rowCount())},
                   {QStringLiteral("COL"), QString::number(grid.currentColumn())},
                   {QStringLiteral("ROW"), QString::number(grid.currentRow())},
                   {QStringLiteral("TAG"), QString::number(ComponentTag(grid))}};
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int column = 0; column < grid.columnCount(); ++column)
            if (const QTableWidgetItem* cell = grid.item(row, column); cell && !cell->text().trimmed().isEmpty())
                pairs.emplace_back(CellKey(column, row), cell->text());
    ini.ReplaceSection(at.ListSection(), pairs);
}

// The cell that `key` names ("C2L0": column 2, row 0); nullopt for any other key. Numbers are written without
// leading zeros, so "C02L0" is another key, as it is for the Windows reader.
std::optional<std::pair<int, int>> CellOfKey(const QString& key) {
    static const QRegularExpression cellKey(QStringLiteral("^C(0|[1-9][0-9]{0,8})L(0|[1-9][0-9]{0,8})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = cellKey.match(key);
    if (!match.hasMatch())
        return std::nullopt;
    return std::pair(match.captured(1).toInt(), match.captured(2).toInt());
}

void LoadStringGrid(const TIniFile& ini, const ControlKeys& at, QTableWidget& grid) {
    const QString section = at.ListSection();
    if (!ini.ValueExists(section, QStringLiteral("COLCOUNT")))
        return;
    const int columns = ini.ReadInteger(section, QStringLiteral("COLCOUNT"), grid.columnCount());
    const int rows = ini.ReadInteger(section, QStringLiteral("ROWCOUNT"), grid.rowCount());
    // A damaged count must not make the window allocate cells by the billion.
    constexpr qint64 MaxCells = 1'000'000;
    if (columns < 0 || rows < 0 || static_cast<qint64>(columns) * rows > MaxCells)
        return;
    grid.setColumnCount(columns);
    grid.setRowCount(rows);
    const int currentRow = ini.ReadInteger(section, QStringLiteral("ROW"), grid.currentRow());
    const int currentColumn = ini.ReadInteger(section, QStringLiteral("COL"), grid.currentColumn());
    SetComponentTag(grid, ini.ReadInteger(section, QStringLiteral("TAG"), ComponentTag(grid)));
    // Cells without a key load empty; of two keys for one cell the first counts. Emptying the cells also
    // forgets the current cell, so that is set last.
    grid.clearContents();
    for (const auto& [key, value] : ini.ReadSectionValues(section))
        if (const auto cell = CellOfKey(key);
            cell && cell->first < columns && cell->second < rows && !grid.item(cell->second, cell->first))
            grid.setItem(cell->second, cell->first, new QTableWidgetItem(value));
    grid.setCurrentCell(currentRow, currentColumn);
}

// ---- the kinds of control ----

// One kind of control: the flag that enables it, how to recognise it, and how to save and load it.
struct ControlKind {
    bool TSvgEditIni::*enabled;
    std::function<bool(QObject&)> matches;
    std::function<void(TIniFile&, const ControlKeys&, QObject&)> save;
    std::function<void(const TIniFile&, const ControlKeys&, QObject&)> load;
};

template <class Control, class Save, class Load> ControlKind Kind(bool TSvgEditIni::*enabled, Save save, Load load) {
    return {
        enabled, [](QObject& object) { return qobject_cast<Control*>(&object) != nullptr; },
        [save](TIniFile& ini, const ControlKeys& at, QObject& object) { save(ini, at, static_cast<Control&>(object)); },
        [load](const TIniFile& ini, const ControlKeys& at, QObject& object) {
            load(ini, at, static_cast<Control&>(object));
        }};
}

// The kinds are disjoint: a spin edit is no edit box, a rich edit no memo.
const std::vector<ControlKind>& ControlKinds() {
    static const std::vector<ControlKind> kinds = {
        Kind<QLineEdit>(&TSvgEditIni::SauveEdit, SaveText, LoadText),
        Kind<QDateTimeEdit>(&TSvgEditIni::SauveDateTimePicker, SaveDateTime, LoadDateTime),
        Kind<QCheckBox>(&TSvgEditIni::SauveCheckBox, SaveChecked, LoadChecked),
        Kind<QRadioButton>(&TSvgEditIni::SauveRadioButton, SaveChecked, LoadChecked),
        Kind<TRadioGroup>(&TSvgEditIni::SauveRadioButton, RadioGroupState::Save, RadioGroupState::Load),
        Kind<TSpinEdit>(&TSvgEditIni::SauveSpinEdit, SpinEditState::Save, SpinEditState::Load),
        Kind<QPlainTextEdit>(&TSvgEditIni::SauveMemo, SaveTextLines<QPlainTextEdit>, LoadTextLines<QPlainTextEdit>),
        Kind<QTextEdit>(&TSvgEditIni::SauveRichEdit, SaveTextLines<QTextEdit>, LoadTextLines<QTextEdit>),
        Kind<QComboBox>(&TSvgEditIni::SauveComboBox, SaveItems<QComboBox, &ComboIndex>,
                        LoadItems<QComboBox, &QComboBox::setCurrentIndex>),
        Kind<QListWidget>(&TSvgEditIni::SauveListBox, SaveItems<QListWidget, &SelectedRow>,
                          LoadItems<QListWidget, &QListWidget::setCurrentRow>),
        Kind<QTableWidget>(&TSvgEditIni::SauveStringGrid, SaveStringGrid, LoadStringGrid),
        Kind<QSlider>(&TSvgEditIni::SauveTrackBar, TrackBarState::Save, TrackBarState::Load),
    };
    return kinds;
}

const ControlKind* KindOf(QObject& component) {
    for (const ControlKind& kind : ControlKinds())
        if (kind.matches(component))
            return &kind;
    return nullptr;
}

// The store whose flags choose the kinds saved for `form`: the last one it owns.
const TSvgEditIni* LastStoreOf(const TForm& form) {
    const TSvgEditIni* last = nullptr;
    for (QObject* component : form.Components())
        if (auto* store = qobject_cast<TSvgEditIni*>(component))
            last = store;
    return last;
}

// Calls `handle`(kind, keys, control) for every control that counts, window by window in creation order and
// control by control in creation order.
template <class Handle> void ForEachControl(TSauveOptions options, Handle handle) {
    for (const TForm* form : ApplicationForms()) {
        const TSvgEditIni* store = LastStoreOf(*form);
        if (!store)
            continue;
        for (QObject* component : form->Components()) {
            if (options == TSvgEditIni::sSeulementTagVaut0 && ComponentTag(*component) != 0)
                continue;
            const ControlKind* kind = KindOf(*component);
            if (kind && store->*kind->enabled)
                handle(*kind, ControlKeys{form->Name(), component->objectName()}, *component);
        }
    }
}

QString SettingsFile(const QString& fileName) {
    return fileName.isEmpty() ? DefaultSettingsFile() : fileName;
}

} // namespace

TSvgEditIni::TSvgEditIni(TForm& form) : QObject(&form.Window()), savesOnClose_(ApplicationForms().front() == &form) {}

void TSvgEditIni::ChargeIni(const QString& fileName) {
    std::optional<TIniFile> ini;
    try {
        ini.emplace(SettingsFile(fileName));
    } catch (const std::exception&) {
        return; // an unreadable file loads nothing, like a missing one
    }
    ForEachControl(SauveOptions, [&ini](const ControlKind& kind, const ControlKeys& at, QObject& control) {
        // A control that refuses its value must not keep the others from loading.
        try {
            kind.load(*ini, at, control);
        } catch (const std::exception&) {
        }
    });
}

void TSvgEditIni::SauveIni(const QString& fileName) {
    // Every control is written in memory first, so one file that cannot be written is reported once, after
    // all of them, and a file that cannot be read is never replaced by one that lost its other sections.
    TIniFile ini(SettingsFile(fileName));
    ForEachControl(SauveOptions, [&ini](const ControlKind& kind, const ControlKeys& at, QObject& control) {
        kind.save(ini, at, control);
    });
    ini.Save();
}

void TSvgEditIni::Loaded() {
    ChargeIni(QString());
}

void TSvgEditIni::FormClosed() {
    if (savesOnClose_)
        SauveIni(QString());
}
