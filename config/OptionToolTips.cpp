// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/OptionToolTips.h"

#include "config/OptionTable.h"
#include "forms/Form.h"
#include "platform/Utf8Text.h"

#include <QWidget>

void ShowOptionToolTips(const TForm& form) {
    for (const Option& option : Options())
        if (FromUtf8(option.window) == form.Name())
            if (auto* control = form.Find<QWidget>(FromUtf8(option.name)))
                control->setToolTip(QString::fromStdString(OptionToolTip(option)));
}
