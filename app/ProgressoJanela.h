// What the export thread reports, carried to the window. The run writes the
// latest texts and positions into a shared snapshot; the window is told by a
// queued signal and repaints from the snapshot at most every 40 ms, however
// many rows the run walks. The success message and the error reach the window
// as queued signals too; the run waits until the success box is closed.
#pragma once

#include "Exportacao.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>

struct QuadroProgresso {
    QString etapa, descricao, totalRegistros;
    bool temEtapa = false, temDescricao = false, temTotal = false;
    int maximoStatus = -1, posicaoStatus = -1, maximoItens = -1, posicaoItens = -1;
    int cursorEspera = -1;  // -1: unchanged, 0 or 1
};

class TProgressoJanela : public QObject, public TProgressoExportacao {
    Q_OBJECT
public:
    // The shortest time between two repaints of the window's controls.
    static constexpr int IntervaloMs = 40;

    void Etapa(const std::string& texto) override;
    void Descricao(const std::string& texto) override;
    void MaximoStatus(int maximo) override;
    void PosicaoStatus(int posicao) override;
    void MaximoItens(int maximo) override;
    void PosicaoItens(int posicao) override;
    void TotalRegistros(const std::string& texto) override;
    void CursorEspera(bool espera) override;
    void MensagemFinal(const std::string& texto) override;
    void Erro(const std::string& texto) override;

    // On the window's side: what changed since the last call; nothing when the
    // run holds the snapshot at this moment, unless `esperando`.
    std::optional<QuadroProgresso> Retira(bool esperando = false);
    // The success box was closed: the run goes on.
    void MensagemVista();
    // The program is ending: the run no longer waits for a box.
    void Encerra();

signals:
    void Mudou();  // something to repaint; sent once until Retira
    void PedeMensagemFinal(QString texto);
    void PedeErro(QString texto);

private:
    template <typename F>
    void Altera(F&& alteracao);

    std::mutex mutex_;
    QuadroProgresso quadro_;
    std::atomic<bool> avisado_{false};
    std::condition_variable vista_;
    bool mensagemVista_ = false;
    bool encerrando_ = false;
};
