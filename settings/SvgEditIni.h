// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class TForm;

// The form state store: saves the state of the input controls of every window that owns one (texts, check
// marks, selections, list contents) into one INI file and loads it back. Each window chooses with the Sauve*
// flags of its last store which kinds of control count; SauveOptions can leave out controls whose Tag is not 0.
//
// The file holds a section named after each window ("MainForm") with one key per single-valued control, named
// after the control, and for each list-like control a section named after the window and the control together
// ("MainFormListBoxCfg") with the keys L0, L1, ... and ItemIndex.
class TSvgEditIni : public QObject {
    Q_OBJECT
    Q_PROPERTY(TSauveOptions SauveOptions MEMBER SauveOptions)
    Q_PROPERTY(bool SauveEdit MEMBER SauveEdit)
    Q_PROPERTY(bool SauveDateTimePicker MEMBER SauveDateTimePicker)
    Q_PROPERTY(bool SauveCheckBox MEMBER SauveCheckBox)
    Q_PROPERTY(bool SauveRadioButton MEMBER SauveRadioButton)
    Q_PROPERTY(bool SauveSpinEdit MEMBER SauveSpinEdit)
    Q_PROPERTY(bool SauveMemo MEMBER SauveMemo)
    Q_PROPERTY(bool SauveRichEdit MEMBER SauveRichEdit)
    Q_PROPERTY(bool SauveComboBox MEMBER SauveComboBox)
    Q_PROPERTY(bool SauveListBox MEMBER SauveListBox)
    Q_PROPERTY(bool SauveStringGrid MEMBER SauveStringGrid)
    Q_PROPERTY(bool SauveTrackBar MEMBER SauveTrackBar)
public:
    // Which controls of an enabled kind count: all of them, or only those whose Tag is 0.
    enum TSauveOptions { sTout = 0, sSeulementTagVaut0 = 1 };
    Q_ENUM(TSauveOptions)

    // A store owned by `form` (create it with form.Own<TSvgEditIni>(name, form)). The store on the first
    // window created (the main window) is the one that saves the default settings file when it closes.
    explicit TSvgEditIni(TForm& form);

    // Loads the state of every window that owns a store from `fileName` (empty: the default settings file).
    // A control whose key or section is absent keeps its state; a missing or unreadable file loads nothing.
    void ChargeIni(const QString& fileName);
    // Saves the state of every window that owns a store into `fileName` (empty: the default settings file),
    // keeping every other section and key of the file. Throws std::runtime_error naming the file when it
    // cannot be read or written.
    void SauveIni(const QString& fileName);

    // To be called once the windows that carry stores exist: loads the default settings file into all of
    // them, reading it once.
    void Loaded();
    // To be called by the main window after its own close handler: saves the default settings file when this
    // is the main window's store; does nothing for the stores of other windows.
    void FormClosed();
    // True for the store of the first window created, the one that saves when its window closes.
    bool SavesOnClose() const { return savesOnClose_; }

    TSauveOptions SauveOptions = sTout;
    bool SauveEdit = true;
    bool SauveDateTimePicker = true;
    bool SauveCheckBox = true;
    bool SauveRadioButton = true;
    bool SauveSpinEdit = true;
    bool SauveMemo = false;
    bool SauveRichEdit = false;
    bool SauveComboBox = false;
    bool SauveListBox = false;
    bool SauveStringGrid = false;
    bool SauveTrackBar = false;

private:
    bool savesOnClose_;
};
