// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/OptionControls.h"
#include "forms/Form.h"
#include "forms/Questions.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class TRadioGroup;

// "Fog settings": the fog type, the haze density, the fog distance and the fog colour of the server. The edit
// fields and the radio group hold the values (read by the standard.cfg writer, kept in settings files);
// the sliders and the colour panel are views of them, rebuilt each time the
// dialog is shown.
class TFogForm : public QDialog, public TForm {
    Q_OBJECT
public:
    explicit TFogForm(QWidget* parent = nullptr);

    // The fog type and the fields, as the option table names them.
    const TOptionControls& OptionControls() const { return optionControls_; }

    // Handlers.
    void TrackBar1Change();
    void TrackBar2Change();
    // Rebuilds the sliders, the panel and the enabled states from the fields. Throws on a text that does not
    // convert, leaving the steps after it undone.
    void FormShow();
    void prm_fog_typeClick();
    void ColorButtonClick();
    void CloseButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A field named after its option, holding the option's first text.
    QLineEdit* MakeField(const char* name);
    // A label giving the caption of the option `field`.
    QLabel* MakeCaption(const QString& name, const char* field);
    void SetPanelColor(RgbColor color);

    TOptionControls optionControls_;
    TRadioGroup* prm_fog_type;
    QLabel* HazeLabel;
    QLineEdit* prm_fog_density;
    QSlider* TrackBar1;
    QLabel* FogLabel;
    QLineEdit* prm_fog_distance;
    QSlider* TrackBar2;
    QPushButton* ColorButton;
    QFrame* ColorPanel;
    QLabel* RLabel;
    QLabel* GLabel;
    QLabel* BLabel;
    QLineEdit* prm_fog_red;
    QLineEdit* prm_fog_green;
    QLineEdit* prm_fog_blue;
    QPushButton* CloseButton;
    // The colour picker starts from the colour it gave last, not from the fields; black at first.
    RgbColor pickerColor_;
};
