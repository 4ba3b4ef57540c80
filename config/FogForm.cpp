// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FogForm.h"

#include "platform/Utf8Text.h"

#include "config/FogValues.h"
#include "config/OptionPages.h"
#include "config/OptionTable.h"
#include "forms/DialogFont.h"
#include "forms/Guard.h"
#include "forms/TabOrder.h"
#include "widgets/RadioGroup.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>

#include <initializer_list>

namespace {

// A value field that reads like a label: no border, the dialog's background.
void LookLikeALabel(QLineEdit& edit) {
    edit.setFrame(false);
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit.setPalette(palette);
}

// A value field is as wide as a colour value's column; the swatch shows the colour beside the button.
constexpr int ValueWidth = 41;
constexpr QSize SwatchSize(25, 17);
// Room between the fog type and the values, between the values, and above the Close button.
constexpr int ColumnGap = 12;
constexpr int ValueGap = 1;
constexpr int RowGap = 2;
constexpr int CloseGap = 7;

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

    const Option& fogType = OptionNamed("FogForm", "prm_fog_type");
    prm_fog_type = optionControls_.Bind(
        fogType, Own<TRadioGroup>(FromUtf8(fogType.name), FromUtf8(fogType.caption), FromUtf8(fogType.items), 1, this));
    prm_fog_type->SetItemIndex(fogType.first);

    // Created before the density and distance so that a settings file lists red first, as it always has.
    prm_fog_red = MakeField("prm_fog_red");
    prm_fog_red->setReadOnly(true);

    HazeLabel = MakeCaption(QStringLiteral("HazeLabel"), "prm_fog_density");
    prm_fog_density = MakeField("prm_fog_density");
    // Shown the way the user writes decimals, whichever separator a settings file gave it.
    const auto localSeparator = [this] {
        const QString shown = ShownDensity(prm_fog_density->text(), QLocale());
        if (shown != prm_fog_density->text())
            prm_fog_density->setText(shown);
    };
    localSeparator();
    connect(prm_fog_density, &QLineEdit::textChanged, this, localSeparator);
    prm_fog_density->setReadOnly(true);
    LookLikeALabel(*prm_fog_density);
    TrackBar1 = Own<QSlider>(QStringLiteral("TrackBar1"), Qt::Horizontal, this);
    TrackBar1->setRange(DensityMin, DensityMax);
    TrackBar1->setValue(DensityStart);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(10);
    TrackBar1->setSingleStep(10);
    TrackBar1->setPageStep(0);

    FogLabel = MakeCaption(QStringLiteral("FogLabel"), "prm_fog_distance");
    prm_fog_distance = MakeField("prm_fog_distance");
    LookLikeALabel(*prm_fog_distance);
    TrackBar2 = Own<QSlider>(QStringLiteral("TrackBar2"), Qt::Horizontal, this);
    TrackBar2->setRange(DistanceMin, DistanceMax);
    TrackBar2->setValue(DistanceStart);
    TrackBar2->setTickPosition(QSlider::TicksBelow);
    TrackBar2->setTickInterval(1);

    ColorButton = Own<QPushButton>(QStringLiteral("ColorButton"), QStringLiteral("Color"), this);
    ColorPanel = Own<QFrame>(QStringLiteral("ColorPanel"), this);
    ColorPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    ColorPanel->setAutoFillBackground(true);

    RLabel = MakeCaption(QStringLiteral("RLabel"), "prm_fog_red");
    GLabel = MakeCaption(QStringLiteral("GLabel"), "prm_fog_green");
    BLabel = MakeCaption(QStringLiteral("BLabel"), "prm_fog_blue");
    prm_fog_green = MakeField("prm_fog_green");
    prm_fog_blue = MakeField("prm_fog_blue");

    CloseButton = Own<QPushButton>(QStringLiteral("CloseButton"), QStringLiteral("Close"), this);

    for (QLineEdit* field : {prm_fog_density, prm_fog_distance, prm_fog_red, prm_fog_green, prm_fog_blue})
        field->setFixedWidth(ValueWidth);
    ColorPanel->setFixedSize(SwatchSize);

    // The values stand in three columns, the colour's; a caption takes the two before its value.
    auto* values = new QGridLayout;
    values->setHorizontalSpacing(ValueGap);
    values->setVerticalSpacing(RowGap);
    values->addWidget(HazeLabel, 0, 0, 1, 2);
    values->addWidget(prm_fog_density, 0, 2);
    values->addWidget(TrackBar1, 1, 0, 1, 3);
    values->addWidget(FogLabel, 2, 0, 1, 2);
    values->addWidget(prm_fog_distance, 2, 2);
    values->addWidget(TrackBar2, 3, 0, 1, 3);
    values->addWidget(ColorButton, 4, 0, 1, 2);
    values->addWidget(ColorPanel, 4, 2, Qt::AlignCenter);
    values->addWidget(RLabel, 5, 0);
    values->addWidget(GLabel, 5, 1);
    values->addWidget(BLabel, 5, 2);
    values->addWidget(prm_fog_red, 6, 0);
    values->addWidget(prm_fog_green, 6, 1);
    values->addWidget(prm_fog_blue, 6, 2);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 12);
    layout->setHorizontalSpacing(ColumnGap);
    layout->setVerticalSpacing(CloseGap);
    layout->addWidget(prm_fog_type, 0, 0);
    layout->addLayout(values, 0, 1);
    layout->addWidget(CloseButton, 1, 0, 1, 2, Qt::AlignHCenter);
    // The dialog keeps the size that shows all of its controls.
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
