// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QAbstractButton;
class TSvgEditIni;

// The buttons of the main window that keep settings files.
struct TSettingsButtons {
    QAbstractButton* ButtonOpen;
    QAbstractButton* ButtonSave;
    QAbstractButton* ButtonDefault;
    QAbstractButton* AddDefault; // maintenance, on a hidden panel
    QAbstractButton* AddPk3;     // maintenance, on a hidden panel
};

// Open, Save and Default of settings files, and the maintenance commands that fill "default.bin" and
// "data.bin". Settings go through the main window's store, so one file holds every window.
class TSettingsCommands : public QObject {
    Q_OBJECT
public:
    // Connects the buttons to the handlers below. `store` is the main window's; `refresh` rebuilds what depends
    // on loaded settings (the comment index of the advanced list, then the maps list). Both outlive this object.
    TSettingsCommands(const TSettingsButtons& buttons, TSvgEditIni& store, std::function<void()> refresh,
                      QObject* parent = nullptr);

    // Loads a settings file that the user picks in "configs", then refreshes.
    void ButtonOpenClick();
    // Saves every window into a settings file that the user picks in "configs".
    void ButtonSaveClick();
    // Extracts the factory settings "default.ini" from "default.bin" into the scratch folder, and loads them
    // when the user agrees.
    void ButtonDefaultClick();
    // Makes the current settings the factory settings: saves "default.ini" and stores it in "default.bin".
    // An installed program changes the user's own copy of "default.bin", made on the first change.
    void AddDefaultClick();
    // Stores the mod archive "BriselaMod_v2/PRM_5.pk3" of the working folder in "data.bin" (the user's own copy,
    // as above, for an installed program).
    void AddPk3Click();

private:
    TSvgEditIni& store_;
    std::function<void()> refresh_;
};
