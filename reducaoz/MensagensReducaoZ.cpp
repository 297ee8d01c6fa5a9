#include "MensagensReducaoZ.h"

namespace {

class TMensagensNaTela : public TMensagens {
public:
    QMessageBox::StandardButton Mostra(QWidget* pai, QMessageBox::Icon icone, const QString& titulo,
                                       const QString& texto, QMessageBox::StandardButtons botoes,
                                       QMessageBox::StandardButton padrao) override {
        QString linhas = texto;
        linhas.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QMessageBox caixa(icone, titulo, linhas, botoes, pai);
        if (padrao != QMessageBox::NoButton) caixa.setDefaultButton(padrao);
        return static_cast<QMessageBox::StandardButton>(caixa.exec());
    }
};

}  // namespace

TMensagens& MensagensNaTela() {
    static TMensagensNaTela mensagens;
    return mensagens;
}
