#include "admin/AdminCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The reports paint text, which needs the fonts of a GUI application; no display is used.
std::unique_ptr<QCoreApplication> applicationFor(int& argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("korvanis-admin (Korvanis Compras) %s\n", KORVANIS_VERSION);
        return 0;
    }
    const std::unique_ptr<QCoreApplication> app = applicationFor(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return admin::run(QCoreApplication::arguments().mid(1), out, err);
}
