// Records 74: the stock of every product at the inventory date, with each
// product not met before added to the product list.
#include "Etapas.h"

void EtapaInventario(ContextoExportacao& c) {
    c.Etapa("inventário (registros 74)");
    c.progresso.Etapa("Etapa  6 / 9");
    c.progresso.Descricao("Gerando Registro 75 - Inventário (Aguarde...)");
    c.progresso.PosicaoStatus(0);
    if (!c.opcoes.inventario) return;

    auto& inventario = c.dm.CDSInventario;
    inventario.Fecha();
    for (const char* filtro : {"GRUPO", "SUBGRUPO", "LINHA", "FABRICANTE", "ORIGEM", "SITUACAO"})
        inventario.Parametro(filtro, "%");
    inventario.Parametro("ORDEM", "C");
    inventario.Parametro("EMPRESA", c.CodigoEmpresa());
    inventario.Parametro("DATAPOSICAO", c.opcoes.dataInventario);
    c.progresso.CursorEspera(true);
    try {
        inventario.Abre();
    } catch (...) {
        c.progresso.CursorEspera(false);
        throw;
    }
    c.progresso.CursorEspera(false);

    // The catalogue of the run's company, loaded once per run.
    auto& cadastro = c.dm.CDSCadProduto;
    bool cadastroCarregado = false;
    const std::string uf = c.Empresa("ESTADO");
    c.progresso.MaximoItens(inventario.QuantidadeRegistros());
    int contador = 0;
    for (inventario.Primeiro(); !inventario.Fim(); inventario.Proximo()) {
        c.progresso.PosicaoItens(++contador);
        const std::string produto = inventario.Campo("PRODUTO").Texto();
        c.Referencia("produto " + produto);
        c.GeradorSintegra.Registro74(produto, c.opcoes.dataFinal, uf, inventario.Campo("SALDO").Real(),
                                     inventario.Campo("PRECOCUSTO").Real());
        if (c.CDSRegistro75.Existe(produto)) continue;
        if (!cadastroCarregado) {
            cadastro.Fecha();
            cadastro.Parametro("EMPRESA", c.CodigoEmpresa());
            cadastro.Abre();
            cadastroCarregado = true;
        }
        // A product missing from the catalogue gets rates of 0.
        const bool achou = cadastro.BuscaChave(produto);
        c.CDSRegistro75.AcrescentaUmaVez(produto, inventario.Campo("NOMEPRODUTO").Texto(),
                                         inventario.Campo("SIGLA").Texto(),
                                         achou ? cadastro.Campo("IPI").Real() : 0,
                                         achou ? cadastro.Campo("ICMS").Real() : 0,
                                         achou ? cadastro.Campo("ALIQREDUCAOICMS").Real() : 0, 0);
    }
    inventario.Fecha();
}
