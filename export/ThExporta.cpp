#include "ThExporta.h"

#include "Etapas.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// The run's progress, passed on; each report first looks at the interrupt
// request, so that every walk of the run stops at its next row.
class ProgressoVigiado : public TProgressoExportacao {
public:
    ProgressoVigiado(TProgressoExportacao& destino, const EstadoExportacao& estado)
        : destino_(destino), estado_(estado) {}
    void Etapa(const std::string& t) override { Vigia(); destino_.Etapa(t); }
    void Descricao(const std::string& t) override { Vigia(); destino_.Descricao(t); }
    void MaximoStatus(int m) override { Vigia(); destino_.MaximoStatus(m); }
    void PosicaoStatus(int p) override { Vigia(); destino_.PosicaoStatus(p); }
    void MaximoItens(int m) override { Vigia(); destino_.MaximoItens(m); }
    void PosicaoItens(int p) override { Vigia(); destino_.PosicaoItens(p); }
    void TotalRegistros(const std::string& t) override { destino_.TotalRegistros(t); }
    void CursorEspera(bool e) override { destino_.CursorEspera(e); }
    void MensagemFinal(const std::string& t) override { destino_.MensagemFinal(t); }
    void Erro(const std::string& t) override { destino_.Erro(t); }
    void Vigia() const {
        if (estado_.Interrompe) throw ExportacaoInterrompida();
    }

private:
    TProgressoExportacao& destino_;
    const EstadoExportacao& estado_;
};

// The text of an error that ended the run: a database error says in which
// stage and on which document or product it happened.
std::string TextoDoErro(const std::exception& e, const ContextoExportacao& c) {
    if (!dynamic_cast<const fb::ErroBanco*>(&e)) return e.what();
    std::string texto = "Erro do banco de dados";
    if (!c.etapa.empty()) texto += " na etapa de " + c.etapa;
    if (!c.referencia.empty()) texto += ", ao ler " + c.referencia;
    return texto + ": " + e.what();
}

}  // namespace

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
    ProgressoVigiado vigiado(progresso_, estado_);
    ContextoExportacao c{dm_, gerador_, opcoes_, estado_, vigiado, CDSRegistro75, 0, {}, {}, {}};
    try {
        // A file that must be signed fails now, not after the whole export,
        // when the maker's library cannot sign it.
        if (opcoes_.modoPafEcf) dm_.Ponte.VerificaGeraEAD();
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
        vigiado.Vigia();
        Completa();
        return true;
    } catch (const std::exception& e) {
        const bool interrompida = estado_.Interrompe.load();
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
        if (interrompida) {
            // Stopped on request: no file, no error to report.
            progresso_.Descricao("A exportação foi interrompida.");
            return false;
        }
        progresso_.Descricao("A exportação falhou.");
        progresso_.Erro(TextoDoErro(e, c));
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
    const bool cancelada = cancelada_ = estado_.CancelaExportacao;
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
