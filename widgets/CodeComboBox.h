// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

#include <functional>

// A drop-down list of codes that shows each code with its name beside it ("sd – Search and Destroy"), in the list
// and in the box; its items stay the codes, which is what the program reads and stores.
class TCodeComboBox : public QComboBox {
    Q_OBJECT
public:
    // `name` gives the name of a code, or an empty text for a code without one.
    explicit TCodeComboBox(std::function<QString(const QString& code)> name, QWidget* parent = nullptr);

    // What the list shows for `code`: the code, and its name after a dash when it has one.
    QString Shown(const QString& code) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<QString(const QString&)> name_;
};
