// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QComboBox;
class QListWidget;

// The controls of the "Maps and gametype" page that choose the gametype and the rotation.
struct TRotationControls {
    QComboBox* g_gametype;
    QListWidget* ListBoxMaps;
    QListWidget* ListBoxSelectedMaps;
    QAbstractButton* ButtonToRight;
    QAbstractButton* ButtonToLeft;
    QAbstractButton* ButtonUp;
    QAbstractButton* ButtonDown;
};

// Drives the rotation controls of the main window: lists the maps of the chosen gametype, keeps the rotation
// to maps of that gametype, and adds, removes and moves rotation maps. The controls and the maps list belong
// to the window, which outlives this object.
class TRotationPage : public QObject {
    Q_OBJECT
public:
    // Connects the controls' events to the handlers below; `mapsList` holds the lines of "maps.ini".
    TRotationPage(const TRotationControls& controls, const QStringList& mapsList, QObject* parent = nullptr);

    // Where the listing of the maps reports the rotation maps it dropped, by name.
    void SetLog(std::function<void(const QString&)> log) { log_ = std::move(log); }

    // Lists the maps of the chosen gametype and drops from the rotation the maps it does not offer, naming them in
    // the run log with the reason; returns the dropped maps, top to bottom.
    QStringList FillMapsList();
    // The user chose another gametype: its maps are listed.
    void g_gametypeChange();
    // Adds the map chosen in the maps list to the end of the rotation, unless it is there already.
    void ButtonToRightClick();
    void ListBoxMapsDblClick();
    // Removes the chosen rotation map.
    void ButtonToLeftClick();
    void ListBoxSelectedMapsDblClick();
    // Moves the chosen rotation map one place up or down, its selection with it.
    void ButtonUpClick();
    void ButtonDownClick();

private:
    void MoveChosenMap(int step);

    TRotationControls controls_;
    const QStringList& mapsList_;
    std::function<void(const QString&)> log_;
};
