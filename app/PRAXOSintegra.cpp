// PRAXOSintegra: the main window program.
#include "DMNelvora.h"
#include "FrmPrincipalSintegra.h"
#include "Mensagens.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

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

int CanalSinal[2] = {-1, -1};

// SIGTERM and SIGINT end the program as the version check does: the window
// closes without a question, after a run's thread has ended. They are blocked
// in every thread from the start and taken by one thread of their own, so
// that the embedded database engine, which otherwise takes them for its own
// shutdown, never sees them and no call of it is interrupted.
void DesviaSinais() {
    if (::pipe(CanalSinal) != 0) return;
    sigset_t sinais;
    sigemptyset(&sinais);
    sigaddset(&sinais, SIGTERM);
    sigaddset(&sinais, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &sinais, nullptr);
    std::thread([sinais] {
        for (int sinal; ::sigwait(&sinais, &sinal) == 0;) {
            const char c = 1;
            if (::write(CanalSinal[1], &c, 1) != 1) return;
        }
    }).detach();
}

void TerminaComSinais(TFrmPrincipalSintegra& janela) {
    if (CanalSinal[0] < 0) return;
    auto* aviso = new QSocketNotifier(CanalSinal[0], QSocketNotifier::Read, &janela);
    QObject::connect(aviso, &QSocketNotifier::activated, &janela, [&janela] {
        char c;
        [[maybe_unused]] const auto r = ::read(CanalSinal[0], &c, 1);
        janela.PedeTermino();
    });
}

}  // namespace

int main(int argc, char** argv) {
    DesviaSinais();  // before any other thread exists
    TAplicacao aplicacao(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Praxo - Sintegra"));
    QStringList argumentos = QApplication::arguments();
    argumentos.removeFirst();

    // The window first, then the data module; the window's bindings take
    // effect once the module exists.
    auto FrmPrincipalSintegra = std::make_unique<TFrmPrincipalSintegra>(std::string{}, argumentos);
    auto FDMExporta = std::make_unique<TFDMExporta>();
    FrmPrincipalSintegra->DefineModulo(FDMExporta.get());
    TerminaComSinais(*FrmPrincipalSintegra);
    FrmPrincipalSintegra->show();
    const int resultado = aplicacao.exec();
    // Never end, nor drop the data module, while a run's thread lives.
    FrmPrincipalSintegra->AguardaExportacao();
    FrmPrincipalSintegra.reset();
    FDMExporta.reset();
    return resultado;
}
