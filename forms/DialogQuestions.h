// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/Questions.h"

// Questions asked with the desktop's dialogs: message boxes captioned with the application title, Yes/No
// questions with the question icon, pickers titled with their purpose.
class DialogQuestions final : public Questions {
public:
    void ShowMessage(const QString& text) override;
    void ShowWarning(const QString& text) override;
    void ShowError(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    bool AskOkCancel(const QString& text) override;
    std::optional<bool> AskYesNoCancel(const QString& text, QuestionTone tone, bool defaultNo) override;
    std::optional<QString> AskText(const QString& caption, const QString& prompt, const QString& value) override;
    std::optional<QString> PickFolder(const QString& instruction, const QString& folder) override;
    std::optional<QString> PickOpenFile(const QString& title, const QString& folder, const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<QString> PickSaveFile(const QString& title, const QString& folder, const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<RgbColor> PickColor(RgbColor initial) override;
};
