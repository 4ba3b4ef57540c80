// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QAbstractButton;
class QString;
class TIniFile;

// The buttons of the main window that keep settings files.
struct TSettingsButtons {
    QAbstractButton* ButtonOpen;
    QAbstractButton* ButtonSave;
    QAbstractButton* ButtonDefault;
    QAbstractButton* AddDefault; // maintenance, on a hidden panel
    QAbstractButton* AddPk3;     // maintenance, on a hidden panel
};

// Open, Save and Default of settings files, and the maintenance commands that fill "default.bin" and
// "data.bin". One file holds the settings of every window.
class TSettingsCommands : public QObject {
    Q_OBJECT
public:
    // Connects the buttons to the handlers below. `load` puts a settings file into the windows and rebuilds what
    // depends on it; `save` writes the windows' settings into the file of that name.
    TSettingsCommands(const TSettingsButtons& buttons, std::function<void(const TIniFile&)> load,
                      std::function<void(const QString&)> save, QObject* parent = nullptr);

    // Loads a settings file that the user picks in "configs".
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
    std::function<void(const TIniFile&)> load_;
    std::function<void(const QString&)> save_;
};
