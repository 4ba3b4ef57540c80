// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/Questions.h"

#include <iosfwd>

// Questions for the command line: messages go to the error stream. Without an input stream nothing is ever
// picked or confirmed; with one, questions that need an answer (yes/no, OK/Cancel, a text) are read from it a
// line at a time, and its end counts as No or Cancel.
class ConsoleQuestions final : public Questions {
public:
    explicit ConsoleQuestions(std::ostream& err, std::istream* in = nullptr) : err_(err), in_(in) {}

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

private:
    // Shows `text` with the answers offered and reads one line; nullopt when there is no input or it ended.
    std::optional<std::string> ReadAnswer(const QString& text, const char* choices);

    std::ostream& err_;
    std::istream* in_;
};
