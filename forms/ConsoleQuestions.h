#pragma once

#include "forms/Questions.h"

#include <iosfwd>

// Questions for the command line: messages go to the error stream, nothing is ever picked or confirmed.
class ConsoleQuestions final : public Questions {
public:
    explicit ConsoleQuestions(std::ostream& err) : err_(err) {}

    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    std::optional<QString> AskText(const QString& caption, const QString& prompt, const QString& value) override;
    std::optional<QString> PickFolder(const QString& instruction) override;
    std::optional<QString> PickOpenFile(const QString& folder, const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<QString> PickSaveFile(const QString& folder, const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<RgbColor> PickColor(RgbColor initial) override;

private:
    std::ostream& err_;
};
