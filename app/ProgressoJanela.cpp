#include "ProgressoJanela.h"

template <typename F>
void TProgressoJanela::Altera(F&& alteracao) {
    {
        std::lock_guard trava(mutex_);
        alteracao(quadro_);
    }
    if (!avisado_.exchange(true)) emit Mudou();
}

void TProgressoJanela::Etapa(const std::string& texto) {
    QString t = QString::fromStdString(texto);  // outside the lock: the window never waits on it long
    Altera([&](QuadroProgresso& q) {
        q.etapa = std::move(t);
        q.temEtapa = true;
    });
}

void TProgressoJanela::Descricao(const std::string& texto) {
    QString t = QString::fromStdString(texto);
    Altera([&](QuadroProgresso& q) {
        q.descricao = std::move(t);
        q.temDescricao = true;
    });
}

void TProgressoJanela::MaximoStatus(int maximo) {
    Altera([&](QuadroProgresso& q) { q.maximoStatus = maximo; });
}
void TProgressoJanela::PosicaoStatus(int posicao) {
    Altera([&](QuadroProgresso& q) { q.posicaoStatus = posicao; });
}
void TProgressoJanela::MaximoItens(int maximo) {
    Altera([&](QuadroProgresso& q) { q.maximoItens = maximo; });
}
void TProgressoJanela::PosicaoItens(int posicao) {
    Altera([&](QuadroProgresso& q) { q.posicaoItens = posicao; });
}
void TProgressoJanela::TotalRegistros(const std::string& texto) {
    QString t = QString::fromStdString(texto);
    Altera([&](QuadroProgresso& q) {
        q.totalRegistros = std::move(t);
        q.temTotal = true;
    });
}
void TProgressoJanela::CursorEspera(bool espera) {
    Altera([&](QuadroProgresso& q) { q.cursorEspera = espera ? 1 : 0; });
}

std::optional<QuadroProgresso> TProgressoJanela::Retira(bool esperando) {
    // The run's thread runs at the lowest priority: on a busy machine it may
    // hold the lock while it waits for a processor, and the window must not
    // wait with it.
    std::unique_lock trava(mutex_, std::defer_lock);
    if (esperando)
        trava.lock();
    else if (!trava.try_lock())
        return std::nullopt;
    avisado_ = false;
    return std::exchange(quadro_, QuadroProgresso{});
}

void TProgressoJanela::MensagemFinal(const std::string& texto) {
    std::unique_lock trava(mutex_);
    if (encerrando_) return;
    mensagemVista_ = false;
    trava.unlock();
    emit PedeMensagemFinal(QString::fromStdString(texto));
    trava.lock();
    vista_.wait(trava, [&] { return mensagemVista_ || encerrando_; });
}

void TProgressoJanela::Erro(const std::string& texto) { emit PedeErro(QString::fromStdString(texto)); }

void TProgressoJanela::MensagemVista() {
    std::lock_guard trava(mutex_);
    mensagemVista_ = true;
    vista_.notify_all();
}

void TProgressoJanela::Encerra() {
    std::lock_guard trava(mutex_);
    encerrando_ = true;
    vista_.notify_all();
}
