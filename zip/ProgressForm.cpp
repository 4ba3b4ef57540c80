// SPDX-License-Identifier: GPL-3.0-or-later
#include "zip/ProgressForm.h"

#include "forms/Form.h"
#include "forms/Questions.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int ClientWidth = 300;
constexpr int ClientHeight = 100;
constexpr int ControlWidth = 280;

// Places `control` at `top`, centred in the client width.
void PlaceCentred(QWidget& control, int top) {
    control.move((ClientWidth - control.width()) / 2, top);
}

} // namespace

TProgressForm::TProgressForm(TZip& owner)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      owner_(owner), label_(new QLabel(QStringLiteral("wait ..."), this)), bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setWindowTitle(ApplicationTitle);
    setFixedSize(ClientWidth, ClientHeight);
    label_->resize(ControlWidth, label_->sizeHint().height());
    PlaceCentred(*label_, 15);
    bar_->resize(ControlWidth, bar_->sizeHint().height());
    bar_->setTextVisible(false);
    PlaceCentred(*bar_, 35);
    cancel_->setDefault(true);
    PlaceCentred(*cancel_, 60);
    connect(cancel_, &QPushButton::clicked, this, &TProgressForm::CancelClick);

    if (!ApplicationForms().empty()) {
        const QRect main = ApplicationForms().front()->Window().frameGeometry();
        move(main.left() + (main.width() - width()) / 2, main.top() + (main.height() - height()) / 2);
    }
}

void TProgressForm::SetMaximum(int maximum) {
    bar_->setMaximum(maximum);
}

void TProgressForm::SetPosition(int position) {
    bar_->setValue(std::min(position, bar_->maximum()));
}

void TProgressForm::SetText(const std::string& text) {
    label_->setText(QString::fromStdString(text));
    PlaceCentred(*label_, label_->y());
}

void TProgressForm::ShowView() {
    show();
}

void TProgressForm::HideView() {
    hide();
}

void TProgressForm::CancelClick() {
    owner_.CancelRequested = true;
    hide();
}
