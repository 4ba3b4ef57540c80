// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QDialog;
class TAboutForm;
class TFogForm;
class TFormNewSetting;
class TMainForm;
class TMsgForm;

// The run log's line on a start without saved settings, when every list of the window is still empty: the maps
// come first, so that the factory rotation finds them in the catalogue.
inline const QString FirstStartHint =
    QStringLiteral("First start : choose the game folder with \"...\", press Scan Maps for its maps, then Default "
                   "for the factory settings");

// The program's windows: the main window, the fog dialog and the messages dialog, created in this order at start,
// and the new-setting dialog and the about box, which carry no saved state and are built when first opened. Once
// the first three exist, the default settings file is read once and restores the saved state of the three.
class TProgram {
public:
    TProgram();
    ~TProgram();

    TMainForm& MainForm() const { return *mainForm_; }

private:
    TFormNewSetting& NewSetting();
    QDialog& About();

    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TFormNewSetting> formNewSetting_;
    std::unique_ptr<TFogForm> fogForm_;
    std::unique_ptr<TMsgForm> msgForm_;
    std::unique_ptr<TAboutForm> aboutForm_;
};
