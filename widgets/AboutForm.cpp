// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/AboutForm.h"

#include "forms/DialogFont.h"
#include "forms/Guard.h"
#include "widgets/LabelColours.h"
#include "widgets/LabelExtra.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString BannerFile = QStringLiteral(":/widgets/AboutBanner.png");
// The width of the red frame's pen; the text keeps inside the frame.
constexpr int FrameWidth = 4;

} // namespace

TAboutForm::TAboutForm(const QString& versionText, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), TForm(*this, QStringLiteral("AboutForm")),
      versionText_(versionText) {
    setWindowTitle(QStringLiteral("About box"));
    setFont(DialogFont());
    QPalette face = palette();
    face.setColor(QPalette::Window, Maroon());
    setPalette(face);
    setAutoFillBackground(true);

    Image1 = Own<QLabel>(QStringLiteral("Image1"), this);
    // The banner comes with the first painting; its size, read from the file's header, lays the box out now.
    Image1->setMinimumSize(QImageReader(BannerFile).size());
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The red frame along the window's edge; it lies over the picture and takes the clicks on it.
    LabelExtra1 = Own<TLabelExtra>(QStringLiteral("LabelExtra1"), this);
    LabelExtra1->SetFilling(Qt::NoBrush);
    LabelExtra1->SetOutLine({Qt::red, FrameWidth, psSolid});
    LabelExtra1->SetShape(dsRect);
    LabelExtra1->SetAutoCenter(true);
    LabelExtra1->SetAlignment(Qt::AlignHCenter);
    LabelExtra1->SetLayout(Qt::AlignVCenter);
    LabelExtra1->SetTextDirection(THorz);

    Memo1 = Own<QTextEdit>(QStringLiteral("Memo1"), this);
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::NoTextInteraction);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->document()->setDocumentMargin(1);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont bold = DialogFont();
    bold.setBold(true);
    Memo1->setFont(bold);
    QPalette text = Memo1->palette();
    text.setColor(QPalette::Base, Maroon());
    text.setColor(QPalette::Text, RedOnMaroon());
    Memo1->setPalette(text);
    Memo1->viewport()->installEventFilter(this);

    // The banner, and below it the text inside the frame; the frame takes both.
    auto* lines = new QVBoxLayout;
    lines->setContentsMargins(FrameWidth, 0, FrameWidth, FrameWidth - 1);
    lines->addWidget(Memo1);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Image1, 0, 0);
    layout->addLayout(lines, 1, 0);
    layout->addWidget(LabelExtra1, 0, 0, 2, 1);
    // The box keeps the size of its banner and its lines.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ConnectGuarded(LabelExtra1, &TLabelExtra::Click, this, &TAboutForm::LabelExtra1Click);
    RunGuarded([this] { FormCreate(); });
    // Sized from its lines now, so that it opens centred over its owner.
    layout->activate();
}

void TAboutForm::FormCreate() {
    const QStringList lines = {QString(),
                               QStringLiteral("Brisela Quendry ") + versionText_,
                               QString::fromLatin1(AuthorWebPage),
                               QString(),
                               QStringLiteral("PRM Realism 5 (thank to PRM team)"),
                               QStringLiteral("Blood FX 3 (thank to Blood FX team)")};
    Memo1->setPlainText(lines.join(u'\n'));
    QTextOption centred = Memo1->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    Memo1->document()->setDefaultTextOption(centred);
    // Every line takes the font's line spacing; below the last the box keeps a line's room, as above the first.
    const int lineHeight = QFontMetrics(Memo1->font()).lineSpacing();
    QTextBlockFormat block;
    block.setLineHeight(lineHeight, QTextBlockFormat::FixedHeight);
    QTextCursor all(Memo1->document());
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(block);
    Memo1->setFixedHeight(static_cast<int>((lines.size() + 1) * lineHeight + 2 * Memo1->document()->documentMargin()));
}

void TAboutForm::setVisible(bool visible) {
    if (visible && parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    QDialog::setVisible(visible);
}

void TAboutForm::paintEvent(QPaintEvent* event) {
    // The banner is decoded when the box is first drawn, before its children: most runs never show the box.
    if (Image1->pixmap().isNull())
        Image1->setPixmap(QPixmap(BannerFile));
    QDialog::paintEvent(event);
}

void TAboutForm::LabelExtra1Click() {
    close();
}

void TAboutForm::Memo1Click() {
    close();
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        RunGuarded([this] { Memo1Click(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
