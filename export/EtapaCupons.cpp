// Stage 3: the fiscal-printer records. For every Z-reduction a record 60M,
// its totals by rate as records 60A and, with coupon items, the day's product
// totals (60D) and the single items (60I) of that reduction's printer.
#include "Etapas.h"

namespace {

// Records 60D of the rows of `d`, then 60I of the rows of `i`, adding each
// coupon item's product to the product list.
void EscreveItensDoDia(ContextoExportacao& c, TConjuntoDados& d, TConjuntoDados& i) {
    auto& g = c.GeradorSintegra;
    for (d.Primeiro(); !d.Fim(); d.Proximo())
        g.Registro60D(d.Campo("NUMSERIEMAQECF").Texto(), d.Campo("PRODUTO").Texto(),
                      d.Campo("DATAMOVIMENTO").DataValor(),
                      CodigoAliquotaECF(d.Campo("SITUACAOTRIBUTARIA").Texto(),
                                        d.Campo("ALIQUOTAICMS").Real(), VarianteAliquota::Registro60DI),
                      d.Campo("QUANTIDADE").Real(), d.Campo("VALOR").Real(),
                      d.Campo("BASEICMS").Real(), d.Campo("VALORICMS").Real());
    d.Fecha();
    for (i.Primeiro(); !i.Fim(); i.Proximo()) {
        const std::string cupom = i.Campo("NUMEROCUPOMFISCAL").Texto();
        long long numero;
        if (!LeInteiro(cupom, numero))
            throw ErroConversaoExportacao("O número do cupom fiscal \"" + cupom + "\" da máquina " +
                                          i.Campo("NUMSERIEMAQECF").Texto() + " não é um número.");
        const std::string produto = i.Campo("PRODUTO").Texto();
        g.Registro60I(i.Campo("NUMSERIEMAQECF").Texto(), "2D", i.Campo("DATAMOVIMENTO").DataValor(),
                      produto,
                      CodigoAliquotaECF(i.Campo("SITUACAOTRIBUTARIA").Texto(),
                                        i.Campo("ALIQUOTAICMS").Real(), VarianteAliquota::Registro60DI),
                      numero, i.Campo("CODSEQUENCIA").Inteiro(),
                      i.Campo("QUANTIDADE").Real(), i.Campo("VALOR").Real(),
                      i.Campo("BASEICMS").Real(), i.Campo("VALORICMS").Real());
        c.CDSRegistro75.AcrescentaUmaVez(produto, i.Campo("NOMEPRODUTO").Texto(),
                                         i.Campo("UNID").Texto(), i.Campo("ALIQUOTAIPI").Real(),
                                         i.Campo("ALIQUOTAICMS").Real(),
                                         i.Campo("ALIQUOTAICMSRED").Real(),
                                         i.Campo("BASEICMSST").Real());
    }
    i.Fecha();
}

// The period's reductions of the company, with the progress bar sized to them.
void AbreReducoes(ContextoExportacao& c, TConjuntoDados& reducoes) {
    reducoes.Fecha();
    reducoes.Parametro("EMPRESA", c.CodigoEmpresa());
    reducoes.Parametro("DATAINICIO", c.opcoes.dataInicial);
    reducoes.Parametro("DATAFIM", c.opcoes.dataFinal);
    reducoes.Abre();
    c.progresso.MaximoStatus(reducoes.QuantidadeRegistros());
}

long long InteiroOuErro(const std::string& texto, const std::string& oque, const std::string& maquina) {
    long long v;
    if (!LeInteiro(texto, v))
        throw ErroConversaoExportacao("O " + oque + " \"" + texto + "\" da redução Z da máquina " +
                                      maquina + " não é um número.");
    return v;
}

}  // namespace

void EtapaCuponsECF(ContextoExportacao& c) {
    c.progresso.PosicaoItens(0);
    c.progresso.Descricao("Gerando registro de Cupom Fiscal.");
    c.Etapa("cupons fiscais (registros 60M, 60A, 60D e 60I)");
    c.progresso.Etapa("Etapa : 3 / 9");
    c.progresso.PosicaoStatus(0);
    if (c.opcoes.pafEcf) {
        ExportaCupomPAF_ECF(c);
        return;
    }
    auto& m = c.dm.CDSECFM;
    auto& a = c.dm.CDSECFA;
    AbreReducoes(c, m);
    int contador = 0;
    for (m.Primeiro(); !m.Fim(); m.Proximo()) {
        c.progresso.PosicaoStatus(++contador);
        const std::string serie = m.Campo("SERIEECF").Texto();
        const Data dia = m.Campo("DATAEMISSAO").DataValor();
        c.progresso.Descricao("ECF dia " + TextoData(dia) + "   Máquina:" + serie);
        c.Referencia("redução Z do ECF " + serie + " de " + TextoData(dia));
        c.GeradorSintegra.Registro60M(
            serie, m.Campo("NUMEROECF").Texto(), dia, "2D",
            m.Campo("COOINICIAL").Inteiro(),
            m.Campo("COOFINAL").Inteiro(),
            m.Campo("CONTREDUCAOZ").Inteiro(),
            m.Campo("CONTREINICIO").Inteiro(), m.Campo("VENDABRUTA").Real(),
            m.Campo("GRANDETOTAL").Real());
        a.Fecha();
        a.Parametro("CODIGO", m.Campo("COD60M").Inteiro());
        a.Abre();
        for (a.Primeiro(); !a.Fim(); a.Proximo())
            c.GeradorSintegra.Registro60A(serie, a.Campo("ALIQUOTA").Texto(), dia, a.Campo("VALOR").Real());
        if (c.opcoes.itensCupom) {
            // The coupon items of this reduction's printer on its day.
            for (auto* q : {&c.dm.CDSECFDMaquina, &c.dm.CDSECFIMaquina}) {
                q->Fecha();
                q->Parametro("EMPRESA", c.CodigoEmpresa());
                q->Parametro("DI", dia);
                q->Parametro("DF", dia);
                q->Parametro("SERIEECF", serie);
                q->Abre();
            }
            EscreveItensDoDia(c, c.dm.CDSECFDMaquina, c.dm.CDSECFIMaquina);
        }
    }
    if (c.opcoes.itensCupom) EtapaPeriodoECF(c);
}

void ExportaCupomPAF_ECF(ContextoExportacao& c) {
    auto& m = c.dm.CDSCupomM;
    auto& a = c.dm.CDSCupomA;
    auto& coo = c.dm.CDSConsCOO_do_Dia;
    AbreReducoes(c, m);
    int contador = 0;
    for (m.Primeiro(); !m.Fim(); m.Proximo()) {
        c.progresso.PosicaoStatus(++contador);
        const std::string maquina = m.Campo("NUMERO_FABRICACAO").Texto();
        const Data dia = m.Campo("DATA_MOVIMENTO").DataValor();
        const std::int64_t reducao = m.Campo("CODREDUCAOZ").Inteiro();
        c.progresso.Descricao("ECF dia " + TextoData(dia) + "   Máquina:" + maquina);
        c.Referencia("redução Z do ECF " + maquina + " de " + TextoData(dia));

        a.Fecha();
        a.Parametro("CODREDUCAO", reducao);
        a.Abre();
        if (a.Vazio()) continue;  // no rate totals: the reduction is skipped
        coo.Fecha();
        coo.Parametro("EMPRESA", c.CodigoEmpresa());
        coo.Parametro("SERIEECF", maquina);
        coo.Parametro("DATA", dia);
        coo.Abre();
        const std::string primeiro = coo.Campo("MIN").Texto();
        if (primeiro.empty()) continue;  // the printer issued no coupon that day

        c.GeradorSintegra.Registro60M(
            maquina, m.Campo("NUMERO_CAIXA").Texto(), dia, "2D",
            InteiroOuErro(primeiro, "primeiro cupom", maquina),
            InteiroOuErro(coo.Campo("MAX").Texto(), "último cupom", maquina),
            InteiroOuErro(m.Campo("CRZ").Texto(), "contador de redução", maquina),
            InteiroOuErro(m.Campo("CRO").Texto(), "contador de reinício", maquina),
            m.Campo("VENDA_BRUTA").Real(), m.Campo("GT").Real());
        for (a.Primeiro(); !a.Fim(); a.Proximo())
            c.GeradorSintegra.Registro60A(maquina, a.Campo("SituacaoTributaria").Texto(), dia,
                                          a.Campo("VALOR").Real());
        if (c.opcoes.itensCupom) {
            for (auto* q : {&c.dm.CDSECFD, &c.dm.CDSECFI}) {
                q->Fecha();
                q->Parametro("DI", dia);
                q->Parametro("DF", dia);
                q->Parametro("EMPRESA", c.CodigoEmpresa());
                q->Parametro("REDUCAO", reducao);
                q->Abre();
            }
            EscreveItensDoDia(c, c.dm.CDSECFD, c.dm.CDSECFI);
        }
    }
    if (c.opcoes.itensCupom) EtapaPeriodoECF(c);
}
