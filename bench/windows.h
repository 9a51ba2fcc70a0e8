#pragma once
// The windows a benchmark drives without a person in front of them.

#include "patients/prompts.h"

#include <QCoreApplication>

namespace bench {

// Messages would wait for a person: the bench counts them instead, and
// answers every question "no".
inline int g_messages = 0;

inline void quietPrompts()
{
    tav::patients::prompts().info = [](const QString&, QWidget*) { ++g_messages; };
    tav::patients::prompts().ask = [](const QString&, QWidget*, const QString&) { return false; };
}

// Deletes the shared window of kind W now, so that the next show makes a new one.
template <class W>
void dropWindow()
{
    delete W::instance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace bench
