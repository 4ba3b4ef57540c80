// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RgbColor.h"

#include <QString>

#include <optional>

// The icon of a three-way question.
enum class QuestionTone { Question, Information, Warning };

// Every question the program puts to the user: message boxes, input boxes and pickers. The windows use
// dialogs, the command line answers from the console, and tests answer with scripted replies.
class Questions {
public:
    virtual ~Questions() = default;

    // A plain information box with an OK button, captioned with the application title.
    virtual void ShowMessage(const QString& text) = 0;
    // A box with the warning icon and an OK button: something went wrong that the program could not check for the
    // user, and that may mend itself.
    virtual void ShowWarning(const QString& text) = 0;
    // The default error box: the message of a failed operation; the program goes on.
    virtual void ShowError(const QString& text) = 0;
    // A question box with Yes and No; true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    // An information box with OK and Cancel; true for OK.
    virtual bool AskOkCancel(const QString& text) = 0;
    // A box with Yes, No and Cancel; nullopt on Cancel. With `defaultNo` the No button is the default.
    virtual std::optional<bool> AskYesNoCancel(const QString& text, QuestionTone tone, bool defaultNo) = 0;
    // An input box with OK and Cancel; nullopt on Cancel.
    virtual std::optional<QString> AskText(const QString& caption, const QString& prompt, const QString& value) = 0;
    // A folder picker titled with `instruction`, starting at `folder` (wherever the system likes when it is empty
    // or missing); nullopt on Cancel.
    virtual std::optional<QString> PickFolder(const QString& instruction, const QString& folder) = 0;
    // Open and save pickers titled with their purpose ("Open settings"), starting in `folder`, with a filter such as
    // "Ini files (*.ini)" and the extension added to a typed name that has none; nullopt on Cancel.
    virtual std::optional<QString> PickOpenFile(const QString& title, const QString& folder, const QString& filter,
                                                const QString& defaultSuffix) = 0;
    virtual std::optional<QString> PickSaveFile(const QString& title, const QString& folder, const QString& filter,
                                                const QString& defaultSuffix) = 0;
    // A colour picker that starts from `initial`; nullopt on Cancel.
    virtual std::optional<RgbColor> PickColor(RgbColor initial) = 0;

    // An input box whose Cancel returns the offered value, as the classic input box does.
    QString InputBox(const QString& caption, const QString& prompt, const QString& value) {
        return AskText(caption, prompt, value).value_or(value);
    }
};

// The questions in force for the whole program.
Questions& Ask();

// Installs `questions` (not owned) as the questions in force; nullptr restores the previous default.
void SetQuestions(Questions* questions);

// Installs questions for as long as it lives, and puts back the ones in force before it when it goes, an
// exception's way included.
class QuestionsInstalled {
public:
    explicit QuestionsInstalled(Questions& questions);
    ~QuestionsInstalled();
    QuestionsInstalled(const QuestionsInstalled&) = delete;
    QuestionsInstalled& operator=(const QuestionsInstalled&) = delete;

private:
    Questions* previous_;
};

// The application title, the caption of every message box.
inline const QString ApplicationTitle = QStringLiteral("Brisela Quendry");
