// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FogForm.h"

#include "platform/Utf8Text.h"
#include "settings/SvgEditIni.h"

#include "config/FogValues.h"
#include "config/OptionPages.h"
#include "config/OptionTable.h"
#include "forms/DialogFont.h"
#include "forms/Guard.h"
#include "forms/TabOrder.h"
#include "widgets/RadioGroup.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {

// A value field that reads like a label: no border, the dialog's background.
void LookLikeALabel(QLineEdit& edit) {
    edit.setFrame(false);
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit.setPalette(palette);
}

// Room between a caption and the value beside it.
constexpr int CaptionGap = 4;

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets)
        widget->setEnabled(enabled);
}

} // namespace

TFogForm::TFogForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      TForm(*this, "FogForm") {
    setWindowTitle(QStringLiteral("Fog settings"));
    setFont(DialogFont());
    resize(231, 205);
    move(351, 343);

    const Option& fogType = OptionNamed("FogForm", "prm_fog_type");
    prm_fog_type = optionControls_.Bind(
        fogType, Own<TRadioGroup>(FromUtf8(fogType.name), FromUtf8(fogType.caption), FromUtf8(fogType.items), 1, this));
    prm_fog_type->setGeometry(8, 8, 81, 153);
    prm_fog_type->SetItemIndex(fogType.first);

    // Created before the density and distance so that a settings file lists red first, as it always has.
    prm_fog_red = MakeField("prm_fog_red");
    prm_fog_red->setGeometry(102, 136, 41, 21);
    prm_fog_red->setReadOnly(true);

    HazeLabel = MakeCaption(QStringLiteral("HazeLabel"), "prm_fog_density");
    HazeLabel->move(104, 9);
    prm_fog_density = MakeField("prm_fog_density");
    // Written the way the user writes decimals, so that a first showing reads it back.
    prm_fog_density->setText(prm_fog_density->text().replace(QLatin1Char('.'), QLocale().decimalPoint()));
    prm_fog_density->setGeometry(177, 9, 41, 15);
    prm_fog_density->setReadOnly(true);
    LookLikeALabel(*prm_fog_density);
    TrackBar1 = Own<QSlider>(QStringLiteral("TrackBar1"), Qt::Horizontal, this);
    TrackBar1->setGeometry(96, 25, 129, 25);
    TrackBar1->setRange(DensityMin, DensityMax);
    TrackBar1->setValue(DensityStart);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(10);
    TrackBar1->setSingleStep(10);
    TrackBar1->setPageStep(0);

    FogLabel = MakeCaption(QStringLiteral("FogLabel"), "prm_fog_distance");
    FogLabel->move(104, 53);
    prm_fog_distance = MakeField("prm_fog_distance");
    prm_fog_distance->setGeometry(176, 53, 41, 15);
    LookLikeALabel(*prm_fog_distance);
    TrackBar2 = Own<QSlider>(QStringLiteral("TrackBar2"), Qt::Horizontal, this);
    TrackBar2->setGeometry(96, 68, 129, 25);
    TrackBar2->setRange(DistanceMin, DistanceMax);
    TrackBar2->setValue(DistanceStart);
    TrackBar2->setTickPosition(QSlider::TicksBelow);
    TrackBar2->setTickInterval(1);

    ColorButton = Own<QPushButton>(QStringLiteral("ColorButton"), QStringLiteral("Color"), this);
    ColorButton->setGeometry(103, 97, 82, 18);
    ColorPanel = Own<QFrame>(QStringLiteral("ColorPanel"), this);
    ColorPanel->setGeometry(194, 98, 25, 17);
    ColorPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    ColorPanel->setAutoFillBackground(true);

    RLabel = MakeCaption(QStringLiteral("RLabel"), "prm_fog_red");
    RLabel->move(104, 120);
    GLabel = MakeCaption(QStringLiteral("GLabel"), "prm_fog_green");
    GLabel->move(144, 120);
    BLabel = MakeCaption(QStringLiteral("BLabel"), "prm_fog_blue");
    BLabel->move(184, 120);
    prm_fog_green = MakeField("prm_fog_green");
    prm_fog_green->setGeometry(143, 136, 41, 21);
    prm_fog_blue = MakeField("prm_fog_blue");
    prm_fog_blue->setGeometry(184, 136, 41, 21);

    CloseButton = Own<QPushButton>(QStringLiteral("CloseButton"), QStringLiteral("Close"), this);
    CloseButton->setGeometry(88, 168, 75, 25);

    for (QLabel* label : {HazeLabel, FogLabel, RLabel, GLabel, BLabel})
        label->adjustSize();
    // A value stands clear of its caption whatever the font's width, the dialog widening for it if need be.
    for (const auto& [label, field] : {std::pair{HazeLabel, prm_fog_density}, std::pair{FogLabel, prm_fog_distance}}) {
        field->move(std::max(field->x(), label->geometry().right() + CaptionGap), field->y());
        resize(std::max(width(), field->geometry().right() + CaptionGap), height());
    }
    // Its controls stand where they are: the dialog keeps the size that shows them all.
    setFixedSize(size());
    // Enter in a field neither opens the colour picker nor closes the dialog.
    for (QPushButton* button : {ColorButton, CloseButton})
        button->setAutoDefault(false);
    SetTabOrderByScreen(*this);

    // The sliders report only real moves, so a field is rewritten only when its slider's position changes.
    ConnectGuarded(TrackBar1, &QSlider::valueChanged, this, &TFogForm::TrackBar1Change);
    ConnectGuarded(TrackBar2, &QSlider::valueChanged, this, &TFogForm::TrackBar2Change);
    ConnectGuarded(prm_fog_type, &TRadioGroup::Clicked, this, &TFogForm::prm_fog_typeClick);
    ConnectGuarded(ColorButton, &QPushButton::clicked, this, &TFogForm::ColorButtonClick);
    ConnectGuarded(CloseButton, &QPushButton::clicked, this, &TFogForm::CloseButtonClick);

    // Its texts and its fog type are part of every settings file; the sliders are only views of the texts.
    auto* settings = Own<TSvgEditIni>(QStringLiteral("SvgEditIni1"), *this);
    settings->SauveOptions = TSvgEditIni::sSeulementTagVaut0;
    settings->SauveCheckBox = false;
    settings->SauveDateTimePicker = false;
}

QLineEdit* TFogForm::MakeField(const char* name) {
    return MakeOptionEdit(*this, OptionNamed("FogForm", name), this, optionControls_);
}

QLabel* TFogForm::MakeCaption(const QString& name, const char* field) {
    return Own<QLabel>(name, FromUtf8(OptionNamed("FogForm", field).caption), this);
}

void TFogForm::TrackBar1Change() {
    prm_fog_density->setText(DensityText(TrackBar1->value(), QLocale()));
}

void TFogForm::TrackBar2Change() {
    prm_fog_distance->setText(DistanceText(TrackBar2->value()));
}

void TFogForm::FormShow() {
    const double density = ParseDensity(prm_fog_density->text(), QLocale());
    const int distance = ParseInteger(prm_fog_distance->text());
    TrackBar1->setValue(DensityPosition(density));
    TrackBar2->setValue(DistancePosition(distance));
    const int blue = ParseInteger(prm_fog_blue->text());
    const int green = ParseInteger(prm_fog_green->text());
    const int red = ParseInteger(prm_fog_red->text());
    SetPanelColor(PanelColor(red, green, blue));
    prm_fog_typeClick();
}

void TFogForm::prm_fog_typeClick() {
    const auto enabled = FogControlsEnabledFor(prm_fog_type->ItemIndex());
    if (!enabled)
        return;
    SetEnabled({TrackBar1, HazeLabel, prm_fog_density}, enabled->density);
    SetEnabled({TrackBar2, FogLabel, prm_fog_distance}, enabled->distance);
    SetEnabled({prm_fog_red, prm_fog_green, prm_fog_blue, ColorButton, RLabel, GLabel, BLabel}, enabled->colour);
}

void TFogForm::ColorButtonClick() {
    const auto picked = Ask().PickColor(pickerColor_);
    if (!picked)
        return;
    pickerColor_ = *picked;
    prm_fog_red->setText(QString::number(picked->red));
    prm_fog_green->setText(QString::number(picked->green));
    prm_fog_blue->setText(QString::number(picked->blue));
    SetPanelColor(*picked);
}

void TFogForm::CloseButtonClick() {
    close();
}

void TFogForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A text that does not convert is reported and the dialog still opens.
    if (!event->spontaneous())
        RunGuarded([this] { FormShow(); });
}

void TFogForm::SetPanelColor(RgbColor color) {
    QPalette palette = ColorPanel->palette();
    palette.setColor(QPalette::Window, QColor(color.red, color.green, color.blue));
    ColorPanel->setPalette(palette);
}
