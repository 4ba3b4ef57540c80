#pragma once

#include "app/Form.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPoint;
class QPushButton;
class TSpinEdit;

// "Msg settings": the server messages, one per line, and the delay between them in seconds, read by the
// standard.cfg writer. The settings layer adds its store SvgEditIni1 to this window; it keeps the messages.
class TMsgForm : public QDialog, public TForm {
    Q_OBJECT
public:
    // Pops up a context menu for `target` at the global position `where`.
    using ContextMenu = std::function<void(QWidget& target, const QPoint& where)>;

    explicit TMsgForm(QWidget* parent = nullptr);

    // Gives the messages box the main window's colour-code menu.
    void SetColorCodeMenu(ContextMenu menu);

    // Handlers.
    void CloseButtonClick();

private:
    QLabel* Label1;
    TSpinEdit* prm_delay;
    QLabel* LabelExtra1;
    QPushButton* CloseButton;
    QPlainTextEdit* MsgMemo;
    ContextMenu colorCodeMenu_;
};
