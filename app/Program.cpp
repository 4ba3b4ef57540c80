#include "app/Program.h"

#include "app/DialogForm.h"
#include "app/MainForm.h"
#include "config/FogForm.h"
#include "config/FormNewSetting.h"

TProgram::TProgram()
    : mainForm_(std::make_unique<TMainForm>()), formNewSetting_(std::make_unique<TFormNewSetting>()),
      fogForm_(std::make_unique<TFogForm>()),
      msgForm_(std::make_unique<TDialogForm>(QStringLiteral("MsgForm"), QStringLiteral("Msg settings"))),
      aboutForm_(std::make_unique<TDialogForm>(QStringLiteral("AboutForm"), QStringLiteral("About box"))) {
    // The comment index belongs to the main window's creation; the list's dialog exists only now.
    mainForm_->AttachAdvancedList(*formNewSetting_);
}

TProgram::~TProgram() = default;
