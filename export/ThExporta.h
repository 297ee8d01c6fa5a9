// ThExporta: the export run. It walks the stages in their order, writes
// through the run's writer, reports progress, polls the cancel request, and at
// the end closes the file (signed in PAF-ECF mode) and reports the result.
#pragma once

#include "DMNelvora.h"
#include "Exportacao.h"
#include "ListaProdutos.h"
#include "Sintegra.h"

#include <memory>

// What Processar prepares for a run: ClientEmpresaLocal on the company, the
// period's documents in CDSSaidas and the company's accountant in CDSContador.
// False when the company does not exist.
bool PreparaExportacao(TFDMExporta& dm, const OpcoesExportacao& opcoes);

class ThExporta {
public:
    // The writer's file is open; CDSSaidas and CDSContador were opened for the
    // period and ClientEmpresaLocal stands on the chosen company.
    ThExporta(TFDMExporta& dm, sintegra::tSintegra& GeradorSintegra, OpcoesExportacao opcoes,
              EstadoExportacao& estado, TProgressoExportacao& progresso);

    // The run on the calling thread. Returns true when the file was written
    // (also when cancelled), false when the run failed; the failure's text
    // went to the progress.
    bool Executa();

    // The run on a thread of its own, at the lowest priority above idle; the
    // thread frees the run when it ends. `aoTerminar` runs on that thread last.
    static void Inicia(std::shared_ptr<ThExporta> exportacao, std::function<void(bool)> aoTerminar = {});

    TCDSRegistro75 CDSRegistro75;

    // The run ended on the cancel path (its file holds what was written
    // before the cancel request); false after a complete run.
    bool Cancelada() const { return cancelada_; }

private:
    bool cancelada_ = false;
    void Completa();

    TFDMExporta& dm_;
    sintegra::tSintegra& gerador_;
    OpcoesExportacao opcoes_;
    EstadoExportacao& estado_;
    TProgressoExportacao& progresso_;
};
