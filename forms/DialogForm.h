#pragma once

#include "forms/Form.h"

#include <QDialog>

// A dialog window of the program with its name and caption, created hidden and kept until the end.
class TDialogForm : public QDialog, public TForm {
    Q_OBJECT
public:
    TDialogForm(const QString& name, const QString& caption, QWidget* parent = nullptr)
        : QDialog(parent), TForm(*this, name) {
        setWindowTitle(caption);
    }
};
