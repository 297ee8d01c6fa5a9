// Stage 2: one record 54 per item of the period's documents, numbered within
// each document group, followed by the group's freight, insurance and other
// charges as items 991, 992 and 999; every product met goes to the product list.
#include "Etapas.h"

namespace {

struct Chave {
    std::string docConsumidor, numero, cfop;
    bool operator==(const Chave&) const = default;
};

}  // namespace

void EtapaItens(ContextoExportacao& c) {
    c.Etapa("itens (registros 54)");
    c.progresso.Etapa("Etapa : 2 / 9");
    c.progresso.Descricao("Preparando para gerar os itens do movimento, aguarde.....");
    auto& itens = c.dm.CDSItens;
    itens.Fecha();
    itens.Parametro("TIPODOCUMENTO", "%");
    itens.Parametro("DATAINICIAL", c.opcoes.dataInicial);
    itens.Parametro("DATAFINAL", c.opcoes.dataFinal);
    itens.Parametro("EMPRESA", c.CodigoEmpresa());
    itens.Parametro("TIPOMOVIMENTO", "%");
    itens.Parametro("ATIVO", "A");
    itens.Abre();
    // Coupon sales are the coupon stages' business, model-2 notes are
    // summarised in records 61: neither takes part in this walk.
    itens.DefineFiltro(" ( AGRUPAMENTO <> 'ECF') ");
    itens.DefineFiltroFuncao([](const TConjuntoDados& i) {
        const std::string modelo = i.Campo("MODELODOC").Texto();
        return !ModeloDois(modelo);
    });
    c.progresso.MaximoStatus(itens.QuantidadeRegistros());
    c.progresso.PosicaoStatus(0);
    itens.Primeiro();

    const auto docConsumidor = itens.Campo("DOCCONSUMIDOR");
    const auto numeroDoc = itens.Campo("NUMERODOC");
    const auto cfop = itens.Campo("CFOP");
    const auto cfopMovimento = itens.Campo("CFOP_MOV");
    const auto produto = itens.Campo("PRODUTO");
    const auto nomeProduto = itens.Campo("NOMEPRODUTO");
    const auto quantidade = itens.Campo("QUANTIDADEDEEMBALAGEM");
    const auto valorUnitario = itens.Campo("VALORUNITARIO");
    const auto situacao = itens.Campo("SITUACAOTRIBUTARIA");
    const auto aliquotaIPI = itens.Campo("ALIQUOTAIPI");
    const auto aliquotaICMS = itens.Campo("ALIQUOTAICMS");
    const auto baseST = itens.Campo("BASEICMSST");
    const auto movimento = itens.Campo("MOVIMENTO");
    auto chaveAtual = [&] { return Chave{docConsumidor.Texto(), numeroDoc.Texto(), cfop.Texto()}; };

    int numeroItem = 0;
    Chave anterior = chaveAtual();
    std::string serie, modelo;
    double frete = 0, seguro = 0, despesas = 0;
    while (!itens.Fim() && !c.Cancelado()) {
        const std::string cfopMov = cfopMovimento.Texto();
        if (CFOPVendaJaEmECF(cfopMov)) {
            itens.Proximo();
            numeroItem = 0;
            anterior = chaveAtual();
            continue;
        }
        ++c.contador;
        c.progresso.PosicaoStatus(c.contador);
        c.progresso.Descricao("Produto:" + produto.Texto() + " - " + nomeProduto.Texto());

        c.Referencia("item do produto " + produto.Texto() + " da nota " + numeroDoc.Texto());
        const std::string serieDoc = itens.Campo("SERIEDOC").Texto();
        serie = SerieDocumento(serieDoc);
        // The model of the item's document as its record 50 has it.
        const auto doc = c.modelosDocumentos.find(
            ChaveDocumento(movimento.Texto(), docConsumidor.Texto(), numeroDoc.Texto(), serieDoc));
        modelo = doc != c.modelosDocumentos.end() && !doc->second.empty()
                     ? doc->second
                     : ModeloOuErro(itens.Campo("MODELODOC").Texto(), "", numeroDoc.Texto());
        ++numeroItem;
        const std::string st = situacao.Texto();
        const bool semAliquota = SituacaoSemAliquota(st);
        const double qtd = quantidade.Real();
        // The IPI of the item: rate times unit value times quantity.
        const double ipi = aliquotaIPI.Real() * valorUnitario.Real() * qtd / 100;
        c.GeradorSintegra.Registro54(docConsumidor.Texto(), modelo, serie, numeroDoc.Texto(),
                                     cfop.Texto(), st, std::to_string(numeroItem), produto.Texto(),
                                     qtd, qtd * valorUnitario.Real(),
                                     itens.Campo("VALORDESCONTO").Real(),
                                     itens.Campo("BASEICMS").Real(), baseST.Real(), ipi,
                                     semAliquota ? 0 : aliquotaICMS.Real());
        c.CDSRegistro75.AcrescentaUmaVez(produto.Texto(), nomeProduto.Texto(),
                                         itens.Campo("UNID").Texto(), aliquotaIPI.Real(),
                                         aliquotaICMS.Real(), itens.Campo("ALIQUOTAICMSRED").Real(),
                                         baseST.Real());
        frete = itens.Campo("FRETE").Real();
        seguro = itens.Campo("VALORSEGURO").Real();
        despesas = itens.Campo("VALORDESPESASACESSORIAS").Real();
        itens.Proximo();
        if (!itens.Fim() && chaveAtual() == anterior) continue;

        // The document group is complete: its charges follow its items.
        numeroItem = 0;
        const std::pair<double, const char*> encargos[] = {
            {frete, "991"}, {seguro, "992"}, {despesas, "999"}};
        for (const auto& [valor, numero] : encargos)
            if (valor > 0)
                c.GeradorSintegra.Registro54(anterior.docConsumidor, modelo, serie, anterior.numero,
                                             anterior.cfop, "", numero, "", 0, 0, valor, 0, 0, 0, 0);
        anterior = chaveAtual();
    }
    itens.RemoveFiltro();
    itens.Fecha();
    c.progresso.PosicaoItens(0);
}
