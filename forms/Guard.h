// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/Questions.h"

#include <QObject>

#include <exception>
#include <utility>

// Runs a handler; a failure inside it is shown in the default error box and the program goes on.
template <class Handler> void RunGuarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        Ask().ShowError(QString::fromUtf8(error.what()));
    } catch (...) {
        Ask().ShowError(QStringLiteral("Unknown error"));
    }
}

// Connects `signal` to a handler of `receiver` that runs guarded; the signal's arguments are dropped.
template <class Sender, class Signal, class Receiver>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)()) {
    return QObject::connect(sender, signal, receiver,
                            [receiver, handler] { RunGuarded([&] { (receiver->*handler)(); }); });
}
