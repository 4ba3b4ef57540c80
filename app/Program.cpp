#include "app/Program.h"

#include "app/DialogForm.h"
#include "app/MainForm.h"

TProgram::TProgram()
    : mainForm_(std::make_unique<TMainForm>()),
      formNewSetting_(std::make_unique<TDialogForm>(QStringLiteral("FormNewSetting"), QStringLiteral("New Setting"))),
      fogForm_(std::make_unique<TDialogForm>(QStringLiteral("FogForm"), QStringLiteral("Fog settings"))),
      msgForm_(std::make_unique<TDialogForm>(QStringLiteral("MsgForm"), QStringLiteral("Msg settings"))),
      aboutForm_(std::make_unique<TDialogForm>(QStringLiteral("AboutForm"), QStringLiteral("About box"))) {}

TProgram::~TProgram() = default;
