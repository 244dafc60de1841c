// Every handler of the viewer's windows runs through runHandler: an error
// that escapes it (the calendar's invalid-date error) is shown in an error
// box, the rest of the handler is skipped and the program goes on. Errors
// never cross the toolkit's own frames.
#pragma once

#include <QString>
#include <exception>

class QWidget;

// Opens an application-modal error box captioned with the application's
// name and returns at once.
void showHandlerError(QWidget* parent, const QString& message);

template <class Handler>
void runHandler(QWidget* parent, Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showHandlerError(parent, QString::fromUtf8(error.what()));
    }
}
