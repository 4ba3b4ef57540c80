// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/Form.h"
#include "settings/SvgEditIni.h"

#include <QWidget>

#include <initializer_list>
#include <utility>

// A window of the program in miniature.
class TestForm : public QWidget, public TForm {
public:
    explicit TestForm(const QString& name) : TForm(*this, name) {}

    // Creates control `name` as the window's next component, with Tag `tag`.
    template <class T, class... Args> T* Add(const char* name, int tag, Args&&... args) {
        T* control = Own<T>(QString::fromLatin1(name), std::forward<Args>(args)..., this);
        SetComponentTag(*control, tag);
        return control;
    }

    // Gives the window a store that saves the kinds named by `flags` of the controls whose Tag is 0.
    TSvgEditIni* AddStore(std::initializer_list<bool TSvgEditIni::*> flags,
                          TSvgEditIni::TSauveOptions options = TSvgEditIni::sSeulementTagVaut0) {
        auto* store = Own<TSvgEditIni>(QStringLiteral("SvgEditIni1"), *this);
        for (bool TSvgEditIni::*flag :
             {&TSvgEditIni::SauveEdit, &TSvgEditIni::SauveDateTimePicker, &TSvgEditIni::SauveCheckBox,
              &TSvgEditIni::SauveRadioButton, &TSvgEditIni::SauveSpinEdit})
            store->*flag = false;
        for (bool TSvgEditIni::*flag : flags)
            store->*flag = true;
        store->SauveOptions = options;
        return store;
    }
};
