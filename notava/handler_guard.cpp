#include "handler_guard.h"

#include <QApplication>
#include <QMessageBox>

void showHandlerError(QWidget* parent, const QString& message) {
    auto* box = new QMessageBox(QMessageBox::Critical, QApplication::applicationName(), message,
                                QMessageBox::Ok, parent);
    box->setObjectName("HandlerErrorBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}
