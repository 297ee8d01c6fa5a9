#include "Mensagens.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

namespace {

RespondeMensagem& Resposta() {
    static RespondeMensagem resposta;
    return resposta;
}

QMessageBox::Icon IconeQt(IconeMensagem icone) {
    switch (icone) {
        case IconeMensagem::Informacao: return QMessageBox::Information;
        case IconeMensagem::Aviso: return QMessageBox::Warning;
        case IconeMensagem::Erro: return QMessageBox::Critical;
        case IconeMensagem::Pergunta: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void DefineRespostaMensagens(RespondeMensagem resposta) { Resposta() = std::move(resposta); }

RespostaMensagem MostraMensagem(QWidget* pai, const std::string& titulo, const std::string& texto,
                                IconeMensagem icone, BotoesMensagem botoes) {
    if (Resposta()) return Resposta()(PedidoMensagem{titulo, texto, icone, botoes});
    QMessageBox caixa(IconeQt(icone), QString::fromStdString(titulo),
                      QString::fromStdString(texto).replace('\r', '\n'),
                      botoes == BotoesMensagem::SimNao ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                      pai);
    if (botoes == BotoesMensagem::SimNao) {
        caixa.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
        caixa.button(QMessageBox::No)->setText(QString::fromUtf8("&Não"));
    }
    const int botao = caixa.exec();
    if (botoes == BotoesMensagem::Ok) return RespostaMensagem::Ok;
    return botao == QMessageBox::Yes ? RespostaMensagem::Sim : RespostaMensagem::Nao;
}

void MostraErroGeral(QWidget* pai, const std::string& texto) {
    MostraMensagem(pai, QCoreApplication::applicationName().toStdString(), texto, IconeMensagem::Erro);
}
