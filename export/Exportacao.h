// The export run: its options, the flags it shares with whoever started it,
// and the progress it reports. The main window and the command line drive the
// same run through these.
#pragma once

#include "Valor.h"

#include <atomic>
#include <stdexcept>
#include <string>

// What the user chose for one run.
struct OpcoesExportacao {
    int empresa = 0;               // CODEMPRESA of the chosen company
    Data dataInicial{};            // DataInicialPeriodo
    Data dataFinal{};              // DataFinalPeriodo
    bool pafEcf = false;           // ChkBxPAF_ECF: coupon data from the PAF-ECF tables
    bool itensCupom = false;       // ChkbxItemCupom: records 60D, 60I and 60R
    bool inventario = false;       // ChkBxInventario
    Data dataInventario{};         // DtEdtInventario
    bool registro88 = false;       // ChkBxReg88: records 88EC and 88SF
    bool novoContador = false;     // ChkBxNovoContador
    bool modoPafEcf = false;       // ModoPafEcf: the finished file is signed
};

// The flags the window (or the command) and the run share.
struct EstadoExportacao {
    std::atomic<bool> Exportando{false};
    std::atomic<bool> CancelaExportacao{false};
    // Stop at once and publish nothing (the command's Ctrl-C, SIGTERM, SIGHUP):
    // unlike a cancel, no record 88 or 90 is written and no file is left.
    std::atomic<bool> Interrompe{false};
    std::atomic<int> QtdEntradas{0};
    std::atomic<int> QtdSaidas{0};
};

// The run stopped because Interrompe was set.
class ExportacaoInterrompida : public std::runtime_error {
public:
    ExportacaoInterrompida() : std::runtime_error("A exportação foi interrompida.") {}
};

// What the run shows while it works; every text and value is the one the
// window's controls would show. Calls come from the export thread.
class TProgressoExportacao {
public:
    virtual ~TProgressoExportacao() = default;
    virtual void Etapa(const std::string& texto) = 0;            // LblEtapas
    virtual void Descricao(const std::string& texto) = 0;        // LblDescricao
    virtual void MaximoStatus(int maximo) = 0;                   // PgrStatus
    virtual void PosicaoStatus(int posicao) = 0;
    virtual void MaximoItens(int maximo) = 0;                    // PgrItens
    virtual void PosicaoItens(int posicao) = 0;
    virtual void TotalRegistros(const std::string& texto) = 0;   // LblTotalRegistros
    virtual void CursorEspera(bool espera) = 0;                  // the database-wait pointer
    // The success message; the run waits until the user has seen it.
    virtual void MensagemFinal(const std::string& texto) = 0;
    // The run failed; the text says what.
    virtual void Erro(const std::string& texto) = 0;
};

// A progress that shows nothing.
class TProgressoMudo : public TProgressoExportacao {
public:
    void Etapa(const std::string&) override {}
    void Descricao(const std::string&) override {}
    void MaximoStatus(int) override {}
    void PosicaoStatus(int) override {}
    void MaximoItens(int) override {}
    void PosicaoItens(int) override {}
    void TotalRegistros(const std::string&) override {}
    void CursorEspera(bool) override {}
    void MensagemFinal(const std::string&) override {}
    void Erro(const std::string&) override {}
};
