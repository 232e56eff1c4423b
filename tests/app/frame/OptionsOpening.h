#pragma once
// Which page of the options dialog an action opens it at: the dialog is modal, so a timer
// looks for it while the action runs, notes its page and closes it with Cancel.
#include "FrameFixture.h"

#include "ui/widgets/OptionsDialog.h"

#include <QApplication>
#include <QTimer>

#include <functional>

// The page the dialog opened at; 0 when it did not open.
inline int optionsPageOpenedBy(const std::function<void()>& action)
{
    int page = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<options::COptionsDialog*>(QApplication::activeModalWidget())) {
            page = d->currentPage();
            poll.stop();
            d->reject();
        }
    });
    poll.start();
    action();
    pumpUntil([&] { return page != 0; }, 2000);
    poll.stop();
    return page;
}
