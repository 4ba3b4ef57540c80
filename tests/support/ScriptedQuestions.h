// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/Questions.h"

#include <QStringList>

#include <deque>
#include <optional>

// Questions answered from a script, for tests: every question is recorded, and each answer is taken from the
// front of its queue (Cancel, No or nothing picked when the queue is empty). Installed while it lives.
class ScriptedQuestions final : public Questions {
public:
    ScriptedQuestions() { SetQuestions(this); }
    ~ScriptedQuestions() override { SetQuestions(nullptr); }

    void ShowMessage(const QString& text) override { messages << text; }
    void ShowWarning(const QString& text) override { warnings << text; }
    void ShowError(const QString& text) override { errors << text; }
    bool AskYesNo(const QString& text) override {
        asked << text;
        return Next(yesNo).value_or(false);
    }
    bool AskOkCancel(const QString& text) override {
        asked << text;
        return Next(okCancel).value_or(false);
    }
    std::optional<bool> AskYesNoCancel(const QString& text, QuestionTone, bool) override {
        asked << text;
        return Next(yesNoCancel);
    }
    std::optional<QString> AskText(const QString& caption, const QString& prompt, const QString& value) override {
        asked << caption + QStringLiteral("|") + prompt + QStringLiteral("|") + value;
        return Next(texts);
    }
    std::optional<QString> PickFolder(const QString& instruction, const QString& folder) override {
        asked << instruction;
        folderStarts << folder;
        return Next(folders);
    }
    std::optional<QString> PickOpenFile(const QString& title, const QString& folder, const QString& filter,
                                        const QString& defaultSuffix) override {
        asked << QStringList{title, folder, filter, defaultSuffix}.join(u'|');
        return Next(openFiles);
    }
    std::optional<QString> PickSaveFile(const QString& title, const QString& folder, const QString& filter,
                                        const QString& defaultSuffix) override {
        asked << QStringList{title, folder, filter, defaultSuffix}.join(u'|');
        return Next(saveFiles);
    }
    std::optional<RgbColor> PickColor(RgbColor initial) override {
        colorsOffered.push_back(initial);
        return Next(colors);
    }

    // Recorded questions.
    QStringList messages, warnings, errors, asked;
    QStringList folderStarts; // where each folder picker started
    std::vector<RgbColor> colorsOffered;
    // Scripted answers; std::nullopt stands for Cancel.
    std::deque<std::optional<bool>> yesNo, okCancel, yesNoCancel;
    std::deque<std::optional<QString>> texts, folders, openFiles, saveFiles;
    std::deque<std::optional<RgbColor>> colors;

private:
    template <class T> static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
        if (queue.empty())
            return std::nullopt;
        // Taken apart from its optional: GCC 12 at -O3 warns of a copied std::optional<QString> it thinks unset.
        const bool given = queue.front().has_value();
        T answer = given ? std::move(*queue.front()) : T();
        queue.pop_front();
        return given ? std::optional<T>(std::move(answer)) : std::nullopt;
    }
};
