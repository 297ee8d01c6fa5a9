// Stage 1: the header records 10 and 11, then one record 50 per run of items
// with the same ICMS rate and CFOP of each document, the document's charges
// and discount spread over its items.
#include "Etapas.h"

namespace {

struct Documento {
    std::string movimento, cnpj, inscricao, uf, modelo, serie, numero, emitente, situacao;
    Data data;
};

struct Grupo {
    double valorTotal = 0, baseCalculo = 0, valorICMS = 0, outras = 0;
    double aliquota = 0;
    std::string cfop, situacaoTributaria;
};

void EscreveGrupo(ContextoExportacao& c, const Documento& d, const Grupo& g) {
    const bool semAliquota = SituacaoSemAliquota(g.situacaoTributaria);
    c.GeradorSintegra.Registro50(d.cnpj, d.inscricao, d.data, d.uf, d.modelo, d.serie, d.numero,
                                 g.cfop, d.emitente, g.valorTotal, g.baseCalculo, g.valorICMS, 0,
                                 g.outras, semAliquota ? 0 : g.aliquota, d.situacao);
}

// The items of one document in runs of the same rate and CFOP.
void PercorreGrupos(ContextoExportacao& c, const Documento& d) {
    auto& doc = c.dm.CDSSaidas;
    auto& itens = c.dm.CDSItensMov;
    const double valorProdutos = doc.Campo("VALORPRODUTOS").Real();
    const double frete = doc.Campo("FRETE").Real();
    const double seguro = doc.Campo("VALORSEGURO").Real();
    const double despesas = doc.Campo("VALORDESPESASACESSORIAS").Real();
    // The amount by which goods and charges exceed the document's total.
    const double desconto = valorProdutos + despesas + seguro +
                            doc.Campo("VALORSERVICOS").Real() + frete - doc.Campo("VALOR").Real();

    const auto quantidade = itens.Campo("QUANTIDADEDEEMBALAGEM");
    const auto valorUnitario = itens.Campo("VALORUNITARIO");
    const auto aliquota = itens.Campo("ALIQUOTAICMS");
    const auto cfop = itens.Campo("CFOP");
    const auto cfopMovimento = itens.Campo("CFOP_MOV");
    const auto situacao = itens.Campo("SITUACAOTRIBUTARIA");
    const auto base = itens.Campo("BASEICMS");
    const auto baseST = itens.Campo("BASEICMSST");

    auto novoGrupo = [&] {
        Grupo g;
        g.aliquota = aliquota.Real();
        g.cfop = cfop.Texto();
        g.situacaoTributaria = situacao.Texto();
        return g;
    };

    itens.Primeiro();
    Grupo g = novoGrupo();
    for (;;) {
        // Step 3: the current item joins the group.
        const double valorItem = quantidade.Real() * valorUnitario.Real();
        g.valorTotal += valorItem;
        const double parte = valorProdutos > 0 ? valorItem / valorProdutos : 1;
        g.valorTotal += frete * parte;
        g.valorTotal += seguro * parte;
        g.valorTotal += despesas * parte;
        g.valorTotal -= desconto * parte;
        if (baseST.Real() == 0) {
            g.baseCalculo += base.Real();
            g.valorICMS = g.baseCalculo * g.aliquota / 100;
            g.outras = g.valorTotal - g.baseCalculo;
        }
        itens.Proximo();
        // Step 4: a note for sales already registered on a fiscal printer is
        // declared with its CFOP and no values.
        const std::string cfopMov = cfopMovimento.Texto();
        if (CFOPVendaJaEmECF(cfopMov)) {
            g = Grupo{};
            g.cfop = cfopMov;
            itens.Ultimo();
        } else if (!itens.Fim() && aliquota.Real() == g.aliquota && cfop.Texto() == g.cfop) {
            continue;  // Step 5: same group
        }
        EscreveGrupo(c, d, g);  // Step 6
        if (itens.Fim()) break;
        g = novoGrupo();  // Step 7
    }
}

}  // namespace

std::string ChaveDocumento(const std::string& movimento, const std::string& docConsumidor,
                           const std::string& numero, const std::string& serie) {
    return Apara(movimento) + '\x1f' + Apara(docConsumidor) + '\x1f' + Apara(numero) + '\x1f' + Apara(serie);
}

// The model each document of the list gets in its record 50, so that its
// records 54 carry the same one. Documents of one key that disagree, or whose
// model does not read as a number, give no model: their items keep their own.
void ColheModelosDocumentos(ContextoExportacao& c) {
    auto& saidas = c.dm.CDSSaidas;
    const auto movimento = saidas.Campo("MOVIMENTO");
    const auto docConsumidor = saidas.Campo("DOCCONSUMIDOR");
    const auto numero = saidas.Campo("NUMERODOC");
    const auto serie = saidas.Campo("SERIEDOC");
    const auto modeloDoc = saidas.Campo("MODELODOC");
    const auto modeloTerceiro = saidas.Campo("MODELONFTERCEIRO");
    c.modelosDocumentos.clear();
    for (saidas.Primeiro(); !saidas.Fim(); saidas.Proximo()) {
        std::string modelo;
        if (!ModeloDocumento(Apara(CodigoModeloDocumento(modeloDoc.Texto(), modeloTerceiro.Nulo(),
                                                        modeloTerceiro.Texto())),
                             modelo))
            modelo.clear();
        const auto [i, novo] = c.modelosDocumentos.try_emplace(
            ChaveDocumento(movimento.Texto(), docConsumidor.Texto(), numero.Texto(), serie.Texto()), modelo);
        if (!novo && i->second != modelo) i->second.clear();
    }
}

std::string ModeloOuErro(const std::string& codigo, const std::string& movimento,
                         const std::string& numeroDocumento) {
    std::string modelo;
    if (!ModeloDocumento(Apara(codigo), modelo))
        throw ErroConversaoExportacao("O modelo \"" + codigo + "\" do documento " + numeroDocumento +
                                      (movimento.empty() ? "" : " (movimento " + movimento + ")") +
                                      " não é um número.");
    return modelo;
}

void EtapaDocumentos(ContextoExportacao& c) {
    auto& g = c.GeradorSintegra;
    c.Etapa("documentos (registros 10, 11 e 50)");
    c.progresso.Etapa("Etapa : 1 / 9");
    g.Registro10(c.Empresa("CNPJ"), c.Empresa("INSCRICAOESTADUAL"), c.Empresa("RAZAOSOCIAL"),
                 c.Empresa("NOMECIDADE"), c.Empresa("ESTADO"), c.Empresa("DDD") + c.Empresa("FAX"),
                 c.opcoes.dataInicial, c.opcoes.dataFinal, 3, 3, 1);
    g.Registro11(c.Empresa("ENDERECO"), c.Empresa("NUMEROPREDIO"), "", c.Empresa("BAIRRO"),
                 c.Empresa("CEP"), c.Empresa("CONTATO"), c.Empresa("DDD") + c.Empresa("TELEFONE"));

    auto& saidas = c.dm.CDSSaidas;
    auto& itens = c.dm.CDSItensMov;
    c.progresso.MaximoStatus(saidas.QuantidadeRegistros());
    c.progresso.PosicaoStatus(0);
    c.contador = 0;
    saidas.DefineFiltro(" ( AGRUPAMENTO <> 'ECF') ");
    ColheModelosDocumentos(c);
    saidas.Primeiro();

    const auto codMovimento = saidas.Campo("CODMOVESTOQUE");
    const auto cliente = saidas.Campo("NOMEFANTASIACLIENTE");
    const auto modeloDoc = saidas.Campo("MODELODOC");
    const auto modeloTerceiro = saidas.Campo("MODELONFTERCEIRO");
    const auto movimento = saidas.Campo("MOVIMENTO");
    while (!saidas.Fim() && !c.Cancelado()) {
        ++c.contador;
        c.progresso.PosicaoStatus(c.contador);
        c.progresso.Descricao(std::to_string(c.contador) + " Venda:" + codMovimento.Texto() +
                              "   Cliente:" + cliente.Texto());
        if (ModeloDois(modeloDoc.Texto())) {  // summarised in records 61
            saidas.Proximo();
            continue;
        }
        Documento d;
        d.situacao = saidas.Campo("SITUACAO").Texto() == "CANC." ? "S" : "N";
        if (movimento.Texto() == "S") {
            d.emitente = "P";
            ++c.estado.QtdSaidas;
        } else {
            d.emitente = "T";
            ++c.estado.QtdEntradas;
        }
        if (d.emitente == "T" && d.situacao == "S") {  // a cancelled entry is not declared
            saidas.Proximo();
            continue;
        }
        d.movimento = codMovimento.Texto();
        d.numero = saidas.Campo("NUMERODOC").Texto();
        d.serie = SerieDocumento(saidas.Campo("SERIEDOC").Texto());
        d.modelo = ModeloOuErro(
            CodigoModeloDocumento(modeloDoc.Texto(), modeloTerceiro.Nulo(), modeloTerceiro.Texto()),
            d.movimento, d.numero);
        d.data = movimento.Texto() == "S" ? saidas.Campo("DATADOCUMENTO").DataValor()
                                          : saidas.Campo("DATAMOVIMENTO").DataValor();
        d.cnpj = saidas.Campo("DOCCONSUMIDOR").Texto();
        d.inscricao = saidas.Campo("INSCRICAOESTADUAL").Texto();
        d.uf = saidas.Campo("ESTADOCLIENTE").Texto();

        c.Referencia("nota " + d.numero + " (movimento " + d.movimento + ")");
        itens.Fecha();
        itens.Parametro("EMPRESA", c.CodigoEmpresa());
        itens.Parametro("MOVIMENTO", d.movimento);
        itens.Abre();
        if (itens.Vazio()) {
            Grupo vazio;
            vazio.cfop = saidas.Campo("CFOP").Texto();
            EscreveGrupo(c, d, vazio);
        } else {
            PercorreGrupos(c, d);
        }
        saidas.Proximo();
    }

    itens.Fecha();
    saidas.RemoveFiltro();
    saidas.Fecha();
    c.contador = 0;
    c.progresso.PosicaoStatus(0);
}
