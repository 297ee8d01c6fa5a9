#include "VerificaArquivo.h"

#include "FrmVerificacaoSintegra.h"

#include <QFileDialog>

namespace {

std::function<std::string(const std::string&)>& Escolha() {
    static std::function<std::string(const std::string&)> f;
    return f;
}

std::function<void(const std::string&)>& Mostra() {
    static std::function<void(const std::string&)> f;
    return f;
}

}  // namespace

std::string EscolheArquivoSintegra(QWidget* pai, const std::string& pasta) {
    if (Escolha()) return Escolha()(pasta);
    return QFileDialog::getOpenFileName(pai, QString::fromUtf8("Verificar arquivo Sintegra"),
                                        QString::fromStdString(pasta),
                                        QString::fromUtf8("Arquivos do Sintegra (*.TXT *.txt);;Todos (*)"))
        .toStdString();
}

void MostraVerificacao(QWidget* pai, const std::string& arquivo) {
    if (Mostra()) return Mostra()(arquivo);
    TFrmVerificacaoSintegra janela(pai);
    janela.Verifica(QString::fromStdString(arquivo));
    janela.exec();
}

void DefineEscolhaArquivoSintegra(std::function<std::string(const std::string&)> escolha) {
    Escolha() = std::move(escolha);
}

void DefineMostraVerificacao(std::function<void(const std::string&)> mostra) { Mostra() = std::move(mostra); }
