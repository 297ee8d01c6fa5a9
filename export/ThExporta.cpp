#include "ThExporta.h"

#include "Etapas.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

bool PreparaExportacao(TFDMExporta& dm, const OpcoesExportacao& opcoes) {
    if (!dm.ClientEmpresaLocal.Ativo()) dm.ClientEmpresaLocal.Abre();
    if (!dm.ClientEmpresaLocal.Localiza("CODEMPRESA", std::int64_t{opcoes.empresa})) return false;
    auto& saidas = dm.CDSSaidas;
    saidas.Fecha();
    saidas.Parametro("TIPODOCUMENTO", "%");
    saidas.Parametro("DATAINICIAL", opcoes.dataInicial);
    saidas.Parametro("DATAFINAL", opcoes.dataFinal);
    saidas.Parametro("EMPRESA", std::int64_t{opcoes.empresa});
    saidas.Parametro("TIPOMOVIMENTO", "%");
    saidas.Parametro("ATIVO", "%");
    saidas.Abre();
    dm.CDSContador.Fecha();
    dm.CDSContador.Parametro("CODIGO", std::int64_t{opcoes.empresa});
    dm.CDSContador.Abre();
    return true;
}

ThExporta::ThExporta(TFDMExporta& dm, sintegra::tSintegra& GeradorSintegra, OpcoesExportacao opcoes,
                     EstadoExportacao& estado, TProgressoExportacao& progresso)
    : dm_(dm), gerador_(GeradorSintegra), opcoes_(opcoes), estado_(estado), progresso_(progresso) {}

bool ThExporta::Executa() {
    // The flags belong to whoever starts the run (Exportar, Inicia): a Cancelar
    // pressed between the start and this line must not be lost.
    estado_.QtdEntradas = 0;
    estado_.QtdSaidas = 0;
    CDSRegistro75.Abre(opcoes_.dataInicial, opcoes_.dataFinal);
    ContextoExportacao c{dm_, gerador_, opcoes_, estado_, progresso_, CDSRegistro75};
    try {
        if (!dm_.ClientEmpresaLocal.Ativo() ||
            !dm_.ClientEmpresaLocal.Localiza("CODEMPRESA", std::int64_t{opcoes_.empresa}))
            throw std::runtime_error("A empresa " + std::to_string(opcoes_.empresa) + " não foi encontrada.");
        EtapaDocumentos(c);
        EtapaItens(c);
        EtapaCuponsECF(c);  // with the 60R step when coupon items are asked for
        EtapaNotasModelo2(c);
        EtapaInventario(c);
        EtapaProdutos(c);
        EtapaFinal(c);
        Completa();
        return true;
    } catch (const std::exception& e) {
        // Nothing half-written stays under the file's name, and the window is
        // free again.
        gerador_.AbandonaArquivo();
        for (auto* conjunto : {&dm_.CDSSaidas, &dm_.CDSItens, &dm_.CDSItensMov}) {
            conjunto->RemoveFiltro();
            conjunto->Fecha();
        }
        CDSRegistro75.Fecha();
        estado_.Exportando = false;
        estado_.CancelaExportacao = false;
        progresso_.TotalRegistros("0");
        progresso_.PosicaoStatus(0);
        progresso_.PosicaoItens(0);
        progresso_.Descricao("A exportação falhou.");
        progresso_.Erro(e.what());
        return false;
    }
}

void ThExporta::Completa() {
    if (opcoes_.modoPafEcf) {
        // Signed before it takes the file's name: a file that cannot be signed
        // never stands there unsigned. A cancelled run's file is signed too.
        gerador_.FechaArquivo([&](const std::string& temporario) {
            dm_.Ponte.GeraEAD("", temporario, 1);
        });
    } else {
        gerador_.FechaArquivo();
    }
    // Read once: the ending chosen here is the ending shown. A Cancelar pressed
    // while the success message is open changes nothing.
    const bool cancelada = estado_.CancelaExportacao;
    if (!cancelada) {
        progresso_.MensagemFinal("Arquivo exportado com sucesso.\r\rArquivo: " +
                                 gerador_.NomeArquivoCompleto());
        estado_.Exportando = false;
        estado_.CancelaExportacao = false;
    }
    progresso_.TotalRegistros("0");
    progresso_.PosicaoStatus(0);
    progresso_.PosicaoItens(0);
    if (cancelada) {
        estado_.Exportando = false;
        estado_.CancelaExportacao = false;
        progresso_.Descricao("A exportação foi cancelada.");
    } else {
        progresso_.Descricao("Arquivo SINTEGRA.TXT foi exportado com sucesso.");
    }
}

void ThExporta::Inicia(std::shared_ptr<ThExporta> exportacao, std::function<void(bool)> aoTerminar) {
    // Cleared here, before the thread exists, and never inside it.
    exportacao->estado_.CancelaExportacao = false;
    exportacao->estado_.Exportando = true;
    std::thread([exportacao = std::move(exportacao), aoTerminar = std::move(aoTerminar)]() mutable {
        // The lowest priority above idle, so that the window stays responsive.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
        const bool ok = exportacao->Executa();
        exportacao.reset();
        if (aoTerminar) aoTerminar(ok);
    }).detach();
}
