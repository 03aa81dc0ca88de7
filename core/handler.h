#pragma once
// The one way the program connects the operator's actions (menu items,
// buttons, check boxes, grid events, dialog buttons) to their handlers: every
// handler runs under the error guard, so an error it raises is reported and
// never unwinds through Qt's own frames.

#include "core/error.h"

#include <QObject>
#include <type_traits>
#include <utility>

// The handler takes the signal's arguments, or none.
template <class Sender, class Signal, class F>
QMetaObject::Connection connectHandler(const Sender *sender, Signal signal, const QObject *context, F handler)
{
    return QObject::connect(sender, signal, context, [h = std::move(handler)](auto &&...args) {
        guarded([&] {
            if constexpr (std::is_invocable_v<F &, decltype(args)...>)
                h(std::forward<decltype(args)>(args)...);
            else
                h();
        });
    });
}
