// Shared pieces of the Qt adapter tests: the recording IWindowEvents and small helpers.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Ui.h"
#include "support/FakeEvents.h"

namespace zavro::test {

inline void Pump(int rounds = 5) {
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

}  // namespace zavro::test
