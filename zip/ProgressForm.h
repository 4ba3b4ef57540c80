// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "zip/Zip.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The small window shown while the unzip library works: the member's name, a bar, and Cancel, which stops
// the batch at the library's next callback.
class TProgressForm final : public QDialog, public TZipProgressView {
public:
    explicit TProgressForm(TZip& owner);

    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;
    void SetText(const std::string& text) override;
    void ShowView() override;
    void HideView() override;

    QLabel& Label() const { return *label_; }
    QProgressBar& Bar() const { return *bar_; }
    QPushButton& CancelButton() const { return *cancel_; }

private:
    void CancelClick();

    TZip& owner_;
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};
