#include "forms/DialogQuestions.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QWidget* ActiveWindow() {
    return QApplication::activeWindow();
}

std::optional<QString> PickFile(const QString& folder, const QString& filter, const QString& defaultSuffix,
                                QFileDialog::AcceptMode mode) {
    QFileDialog dialog(ActiveWindow(), ApplicationTitle, folder, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Saving over an existing file is asked first (Qt's default), so no file is lost by a slip.
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

// A message box whose text is never read as markup: messages carry names from files and from the network.
void ShowPlainMessage(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, ApplicationTitle, text, QMessageBox::Ok, ActiveWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void DialogQuestions::ShowMessage(const QString& text) {
    ShowPlainMessage(QMessageBox::Information, text);
}

void DialogQuestions::ShowError(const QString& text) {
    ShowPlainMessage(QMessageBox::Critical, text);
}

bool DialogQuestions::AskYesNo(const QString& text) {
    return QMessageBox::information(ActiveWindow(), ApplicationTitle, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool DialogQuestions::AskOkCancel(const QString& text) {
    return QMessageBox::information(ActiveWindow(), ApplicationTitle, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

std::optional<bool> DialogQuestions::AskYesNoCancel(const QString& text, QuestionTone tone, bool defaultNo) {
    const QMessageBox::Icon icon = tone == QuestionTone::Question      ? QMessageBox::Question
                                   : tone == QuestionTone::Information ? QMessageBox::Information
                                                                       : QMessageBox::Critical;
    QMessageBox box(icon, ApplicationTitle, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    ActiveWindow());
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    const int answer = box.exec();
    if (answer == QMessageBox::Cancel)
        return std::nullopt;
    return answer == QMessageBox::Yes;
}

std::optional<QString> DialogQuestions::AskText(const QString& caption, const QString& prompt, const QString& value) {
    bool ok = false;
    const QString answer = QInputDialog::getText(ActiveWindow(), caption, prompt, QLineEdit::Normal, value, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}

std::optional<QString> DialogQuestions::PickFolder(const QString& instruction) {
    const QString folder = QFileDialog::getExistingDirectory(ActiveWindow(), instruction);
    return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
}

std::optional<QString> DialogQuestions::PickOpenFile(const QString& folder, const QString& filter,
                                                     const QString& defaultSuffix) {
    return PickFile(folder, filter, defaultSuffix, QFileDialog::AcceptOpen);
}

std::optional<QString> DialogQuestions::PickSaveFile(const QString& folder, const QString& filter,
                                                     const QString& defaultSuffix) {
    return PickFile(folder, filter, defaultSuffix, QFileDialog::AcceptSave);
}

std::optional<RgbColor> DialogQuestions::PickColor(RgbColor initial) {
    const QColor color = QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue), ActiveWindow());
    if (!color.isValid())
        return std::nullopt;
    return RgbColor{color.red(), color.green(), color.blue()};
}
