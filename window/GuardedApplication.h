#pragma once

#include <QApplication>

// The application object of the program: an error that escapes an event handler is reported
// (`ReportUnhandledError`) and ends that event only, instead of leaving through Qt's event loop.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
