// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/DialogQuestions.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QWidget* ActiveWindow() {
    return QApplication::activeWindow();
}

std::optional<QString> PickFile(const QString& title, const QString& folder, const QString& filter,
                                const QString& defaultSuffix, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(ActiveWindow(), title, folder, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Saving over an existing file is asked first (Qt's default), so no file is lost by a slip.
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

// The least width of a message box whose text is drawn with `metrics`, so that its title bar has room for the
// whole caption: title bars draw it in a larger bold font, beside an icon and up to four buttons of about two
// lines' height each.
int MessageBoxMinimumWidth(const QFontMetrics& metrics) {
    return metrics.horizontalAdvance(ApplicationTitle) * 3 / 2 + 10 * metrics.height();
}

// Shows a message box captioned with the application title and returns the button pressed. Its text is never
// read as markup: messages carry names from files and from the network. The box is made wide enough for its
// caption, which a window manager cuts short on a box as narrow as a short question makes it.
int ExecMessageBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, ApplicationTitle, text, buttons, ActiveWindow());
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(box.fontMetrics()), 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box.exec();
}

} // namespace

void DialogQuestions::ShowMessage(const QString& text) {
    ExecMessageBox(QMessageBox::Information, text, QMessageBox::Ok);
}

void DialogQuestions::ShowWarning(const QString& text) {
    ExecMessageBox(QMessageBox::Warning, text, QMessageBox::Ok);
}

void DialogQuestions::ShowError(const QString& text) {
    ExecMessageBox(QMessageBox::Critical, text, QMessageBox::Ok);
}

bool DialogQuestions::AskYesNo(const QString& text) {
    return ExecMessageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool DialogQuestions::AskOkCancel(const QString& text) {
    return ExecMessageBox(QMessageBox::Information, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<bool> DialogQuestions::AskYesNoCancel(const QString& text, QuestionTone tone, bool defaultNo) {
    const QMessageBox::Icon icon = tone == QuestionTone::Question      ? QMessageBox::Question
                                   : tone == QuestionTone::Information ? QMessageBox::Information
                                                                       : QMessageBox::Critical;
    const int answer = ExecMessageBox(icon, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      defaultNo ? QMessageBox::No : QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return std::nullopt;
    return answer == QMessageBox::Yes;
}

std::optional<QString> DialogQuestions::AskText(const QString& caption, const QString& prompt, const QString& value) {
    bool ok = false;
    const QString answer = QInputDialog::getText(ActiveWindow(), caption, prompt, QLineEdit::Normal, value, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}

std::optional<QString> DialogQuestions::PickFolder(const QString& instruction, const QString& folder) {
    const QString picked = QFileDialog::getExistingDirectory(ActiveWindow(), instruction, folder);
    return picked.isEmpty() ? std::nullopt : std::optional<QString>(picked);
}

std::optional<QString> DialogQuestions::PickOpenFile(const QString& title, const QString& folder, const QString& filter,
                                                     const QString& defaultSuffix) {
    return PickFile(title, folder, filter, defaultSuffix, QFileDialog::AcceptOpen);
}

std::optional<QString> DialogQuestions::PickSaveFile(const QString& title, const QString& folder, const QString& filter,
                                                     const QString& defaultSuffix) {
    return PickFile(title, folder, filter, defaultSuffix, QFileDialog::AcceptSave);
}

std::optional<RgbColor> DialogQuestions::PickColor(RgbColor initial) {
    const QColor color = QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue), ActiveWindow());
    if (!color.isValid())
        return std::nullopt;
    return RgbColor{color.red(), color.green(), color.blue()};
}
