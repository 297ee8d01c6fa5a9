// PRAXOSintegra: the main window program.
#include "DMNelvora.h"
#include "FrmPrincipalSintegra.h"
#include "Mensagens.h"

#include <QApplication>

namespace {

// The general error handler: an error that escapes an event's handling is
// shown with its text, and the program goes on.
class TAplicacao : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* destino, QEvent* evento) override {
        try {
            return QApplication::notify(destino, evento);
        } catch (const std::exception& e) {
            MostraErroGeral(activeWindow(), e.what());
        } catch (...) {
            MostraErroGeral(activeWindow(), "Erro desconhecido.");
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    TAplicacao aplicacao(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Praxo - Sintegra"));
    QStringList argumentos = QApplication::arguments();
    argumentos.removeFirst();

    // The window first, then the data module; the window's bindings take
    // effect once the module exists.
    auto FrmPrincipalSintegra = std::make_unique<TFrmPrincipalSintegra>(std::string{}, argumentos);
    auto FDMExporta = std::make_unique<TFDMExporta>();
    FrmPrincipalSintegra->DefineModulo(FDMExporta.get());
    FrmPrincipalSintegra->show();
    const int resultado = aplicacao.exec();
    // Never end, nor drop the data module, while a run's thread lives.
    FrmPrincipalSintegra->AguardaExportacao();
    FrmPrincipalSintegra.reset();
    FDMExporta.reset();
    return resultado;
}
