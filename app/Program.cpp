// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Program.h"

#include "app/MainForm.h"
#include "app/VersionText.h"
#include "config/FogForm.h"
#include "config/FormNewSetting.h"
#include "config/MsgForm.h"
#include "forms/ColorCodeMenu.h"
#include "settings/SettingsLocation.h"
#include "widgets/AboutForm.h"

#include <QFileInfo>

TProgram::TProgram() : mainForm_(std::make_unique<TMainForm>()) {
    // The last run's settings come back into every window at once, before anything is built from them.
    const bool firstStart = !QFileInfo::exists(DefaultSettingsFile());
    mainForm_->AttachDialogs(
        {[this]() -> TFormNewSetting& { return NewSetting(); }, [this]() -> QDialog& { return Fog(); }, fogOptions_,
         [this]() -> QDialog& { return Messages(); }, msgOptions_, [this]() -> QDialog& { return About(); }});
    mainForm_->RestoreLastState();
    if (firstStart)
        mainForm_->Log(FirstStartHint);
}

TProgram::~TProgram() = default;

TFogForm& TProgram::Fog() {
    if (!fogForm_) {
        fogForm_ = std::make_unique<TFogForm>();
        fogOptions_.Attach(fogForm_->OptionControls());
    }
    return *fogForm_;
}

TMsgForm& TProgram::Messages() {
    if (!msgForm_) {
        msgForm_ = std::make_unique<TMsgForm>();
        msgOptions_.Attach(msgForm_->OptionControls());
        msgForm_->SetColorCodeMenu(mainForm_->PopupMenu());
    }
    return *msgForm_;
}

TFormNewSetting& TProgram::NewSetting() {
    if (!formNewSetting_)
        formNewSetting_ = std::make_unique<TFormNewSetting>();
    return *formNewSetting_;
}

QDialog& TProgram::About() {
    if (!aboutForm_)
        aboutForm_ = std::make_unique<TAboutForm>(QString::fromStdString(GetVersionText()), mainForm_.get());
    return *aboutForm_;
}
