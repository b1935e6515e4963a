#include "shell/ui/StartUp.h"
#include "widgets/Dialogs.h"

#include <QApplication>
#include <QLabel>

namespace {

const QString kApplicationTitle = QStringLiteral("Cadastro de Compras de Produtos e Componentes");
constexpr int kExitUnexpectedError = 3;

// Stands in for the invoice window, which is not part of this version yet.
void showConnectedPlaceholder(QLabel& label, const ConnectionConfig& connections)
{
    label.setWindowTitle(QStringLiteral(" Notas Fiscais de Compras"));
    label.setText(QStringLiteral("Conectado aos bancos de dados:\n%1\n%2\n\n"
                                 "A tela de notas fiscais estará disponível em uma próxima versão.")
                      .arg(connections.shared.database, connections.workstation.database));
    label.setMargin(24);
    label.show();
}

int run(QApplication& app)
{
    StartUp startUp(QCoreApplication::applicationDirPath());
    const StartUp::Outcome outcome = startUp.run();
    if (outcome != StartUp::Outcome::Connected)
        return StartUp::exitCode(outcome);
    QLabel placeholder;
    showConnectedPlaceholder(placeholder, startUp.connections());
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvanis"));
    QApplication::setApplicationDisplayName(kApplicationTitle);
    try {
        return run(app);
    } catch (const std::exception& e) {
        ShowMessage(QStringLiteral("Erro inesperado: ") + QString::fromStdString(e.what()));
        return kExitUnexpectedError;
    }
}
