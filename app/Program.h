// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionControls.h"
#include "forms/Form.h"

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

// The program's windows: the main window, created at start, then the fog dialog and the messages dialog, the
// new-setting dialog and the about box, each built when first opened. The default settings file is read once at
// start and restores the saved state of the main window and of the two dialogs, whose options hold it until they
// are built.
class TProgram {
public:
    TProgram();
    ~TProgram();

    TMainForm& MainForm() const { return *mainForm_; }

private:
    TFormNewSetting& NewSetting();
    TFogForm& Fog();
    TMsgForm& Messages();
    QDialog& About();

    TDeferredOptions fogOptions_{"FogForm"};
    TDeferredOptions msgOptions_{"MsgForm"};
    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TFormNewSetting> formNewSetting_;
    std::unique_ptr<TFogForm> fogForm_;
    std::unique_ptr<TMsgForm> msgForm_;
    std::unique_ptr<TAboutForm> aboutForm_;
    TDeferredForm deferredFog_{[this] { Fog(); }};
    TDeferredForm deferredMessages_{[this] { Messages(); }};
};
