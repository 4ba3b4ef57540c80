// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QRadioButton;

// A captioned group of radio buttons laid out in columns, read and set by the index of the chosen item
// (-1 when none is chosen). The group is one Tab stop, and the arrow keys move its choice.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    int ItemIndex() const;
    // Chooses item `index`; any index outside the items clears the choice.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(buttons_.size()); }
    QString Item(int index) const;

Q_SIGNALS:
    // The user chose an item.
    void Clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Choose(int index);
    void UpdateTabStop();

    std::vector<QRadioButton*> buttons_;
};
