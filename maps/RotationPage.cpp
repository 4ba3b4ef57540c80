// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/RotationPage.h"

#include "forms/Guard.h"
#include "maps/Rotation.h"
#include "settings/ItemTexts.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>

TRotationPage::TRotationPage(const TRotationControls& controls, const QStringList& mapsList, QObject* parent)
    : QObject(parent), controls_(controls), mapsList_(mapsList) {
    // `activated` comes from the user only: loading saved settings into the list must not prune the rotation
    // before the maps list is read.
    ConnectGuarded(controls_.g_gametype, &QComboBox::activated, this, &TRotationPage::g_gametypeChange);
    ConnectGuarded(controls_.ListBoxMaps, &QListWidget::itemDoubleClicked, this, &TRotationPage::ListBoxMapsDblClick);
    ConnectGuarded(controls_.ListBoxSelectedMaps, &QListWidget::itemDoubleClicked, this,
                   &TRotationPage::ListBoxSelectedMapsDblClick);
    ConnectGuarded(controls_.ButtonToRight, &QAbstractButton::clicked, this, &TRotationPage::ButtonToRightClick);
    ConnectGuarded(controls_.ButtonToLeft, &QAbstractButton::clicked, this, &TRotationPage::ButtonToLeftClick);
    ConnectGuarded(controls_.ButtonUp, &QAbstractButton::clicked, this, &TRotationPage::ButtonUpClick);
    ConnectGuarded(controls_.ButtonDown, &QAbstractButton::clicked, this, &TRotationPage::ButtonDownClick);
}

QStringList TRotationPage::FillMapsList() {
    QListWidget& maps = *controls_.ListBoxMaps;
    QListWidget& rotation = *controls_.ListBoxSelectedMaps;
    maps.clear();
    const QStringList offered = MapsOfGametype(mapsList_, controls_.g_gametype->currentText());
    maps.addItems(offered);
    QStringList dropped;
    for (int row : RotationRowsToDrop(ItemTexts(rotation), offered)) {
        QListWidgetItem* item = rotation.takeItem(row);
        dropped.prepend(item->text());
        delete item;
    }
    if (log_)
        for (const QString& line : DroppedMapsLines(dropped, mapsList_, controls_.g_gametype->currentText()))
            log_(line);
    return dropped;
}

void TRotationPage::g_gametypeChange() {
    FillMapsList();
}

void TRotationPage::ButtonToRightClick() {
    const int row = SelectedRow(*controls_.ListBoxMaps);
    QListWidget& rotation = *controls_.ListBoxSelectedMaps;
    if (row < 0)
        return;
    const QString map = controls_.ListBoxMaps->item(row)->text();
    if (CanAddToRotation(ItemTexts(rotation), map))
        rotation.addItem(map);
}

void TRotationPage::ListBoxMapsDblClick() {
    ButtonToRightClick();
}

void TRotationPage::ButtonToLeftClick() {
    QListWidget& rotation = *controls_.ListBoxSelectedMaps;
    const int row = SelectedRow(rotation);
    if (row < 0)
        return;
    delete rotation.takeItem(row);
    // Nothing is chosen afterwards, so a second click never removes a map the user did not pick.
    rotation.setCurrentRow(-1);
}

void TRotationPage::ListBoxSelectedMapsDblClick() {
    ButtonToLeftClick();
}

void TRotationPage::ButtonUpClick() {
    MoveChosenMap(-1);
}

void TRotationPage::ButtonDownClick() {
    MoveChosenMap(+1);
}

void TRotationPage::MoveChosenMap(int step) {
    QListWidget& rotation = *controls_.ListBoxSelectedMaps;
    const int row = SelectedRow(rotation);
    const int target = row + step;
    if (row < 0 || target < 0 || target >= rotation.count())
        return;
    rotation.insertItem(target, rotation.takeItem(row));
    rotation.setCurrentRow(target);
}
