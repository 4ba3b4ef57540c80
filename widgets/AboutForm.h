// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/Form.h"

#include <QDialog>

class QLabel;
class QTextEdit;
class TLabelExtra;

// The address of the author's web page, shown in the about box.
inline constexpr const char* AuthorWebPage = "https://brisela.example.org";

// "About box": a borderless maroon window over the main window with the banner, a red frame and the
// program's name, version and credits; a click anywhere in it, or Escape, closes it.
class TAboutForm : public QDialog, public TForm {
    Q_OBJECT
public:
    // `versionText` follows the program's name ("Version 2.0.0.0" or "Unknown version"); the box opens
    // centred over `owner`.
    explicit TAboutForm(const QString& versionText, QWidget* owner = nullptr);

    void setVisible(bool visible) override;

    // Handlers.
    void FormCreate();
    void LabelExtra1Click();
    void Memo1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString versionText_;
    QLabel* Image1;
    TLabelExtra* LabelExtra1;
    QTextEdit* Memo1;
};
