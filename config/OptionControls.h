// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionValues.h"

#include <QPointer>
#include <QWidget>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPlainTextEdit;
class TIniFile;
struct Option;

// Where the settings of one window are read and written: the controls of a built window, or the values that a
// window built when first shown holds until then.
class TOptionSource {
public:
    virtual ~TOptionSource() = default;
    // True when this window shows `option`.
    virtual bool Shows(const Option& option) const = 0;
    // Writes the value of every option of this window into `values`, under its option's name.
    virtual void CollectInto(OptionValues& values) const = 0;
    // Takes for every kept option of this window its value in `values` (which must hold them all).
    virtual void ShowValues(const OptionValues& values) const = 0;
};

// The option controls of one window, recorded as the window builds them: the row of the option table that each
// shows, and the control. The values are read by walking these pairs, never by looking a control up by its name.
class TOptionControls final : public TOptionSource {
public:
    // Records `control` as the one that shows `option`, gives it the option's tooltip (the console variable it
    // sets and, for a number, its range), and returns it. Throws std::logic_error when the control is not of the
    // option's kind or the option is shown already.
    template <class Control> Control* Bind(const Option& option, Control* control) {
        Record(option, *control);
        return control;
    }

    // True when a control of this window shows `option`.
    bool Shows(const Option& option) const override;
    // Writes the value of every recorded control into `values`, under its option's name.
    void CollectInto(OptionValues& values) const override;
    // Shows in every recorded control of a kept option its value in `values` (which must hold them all).
    void ShowValues(const OptionValues& values) const override;

private:
    void Record(const Option& option, QWidget& control);

    std::vector<std::pair<const Option*, QPointer<QWidget>>> controls_;
};

// The options of a window that is built when it is first shown: until then their values are held here, from the
// table's first values on; once the window's controls are attached, they show the held values and are the options'
// values from then on.
class TDeferredOptions final : public TOptionSource {
public:
    // The options of the window named `window` in the option table.
    explicit TDeferredOptions(std::string_view window);

    // Shows the held values in `controls`, the built window's, which stand for the options from now on.
    void Attach(const TOptionControls& controls);

    bool Shows(const Option& option) const override;
    void CollectInto(OptionValues& values) const override;
    void ShowValues(const OptionValues& values) const override;

private:
    std::string_view window_;
    const TOptionControls* controls_ = nullptr;
    mutable OptionValues held_;
};

// The options of the windows that show options, in the order they are created.
using OptionWindows = std::vector<const TOptionSource*>;

// The value of every option of the table, read from the controls of the windows that show them (null for a window
// not built). Throws std::logic_error naming an option that none of them shows.
OptionValues CollectOptionValues(const OptionWindows& windows);

// The settings files of the windows, through the one reader and writer of settings files.
// Saves the kept options that the controls of `windows` show (null for a window not built) into `file`, keeping
// every other section and key of the file. Throws std::runtime_error naming the file when it cannot be read or
// written.
void SaveWindowSettings(const QString& file, const OptionWindows& windows);
// Loads the kept options of `ini` into the controls of `windows`, as LoadStoredOptions reads them: a control whose
// option the file lacks keeps its value.
void LoadWindowSettings(const TIniFile& ini, const OptionWindows& windows);

// The lines of a memo: an empty text has none, and a final line break adds no empty line.
std::vector<std::string> MemoLines(const QPlainTextEdit& memo);
