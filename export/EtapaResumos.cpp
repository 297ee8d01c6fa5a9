// Records 60R (the period's coupon items per product, rate and situation) and
// records 61 and 61R (the model-2 notes per day and per product).
#include "Etapas.h"

#include <cstdio>

namespace {

// A product of the file added to the product list with its data from the
// company's stock rows (empty name and zero rates when none is found).
void AcrescentaDoCadastro(ContextoExportacao& c, const std::string& produto) {
    auto& p = c.dm.CDSConsProduto;
    p.Fecha();
    p.Parametro("EMPRESA", c.CodigoEmpresa());
    p.Parametro("PRODUTO", produto);
    p.Abre();
    if (c.CDSRegistro75.Existe(produto)) return;
    c.CDSRegistro75.AcrescentaUmaVez(produto, p.Campo("NOMEPRODUTO").Texto(), p.Campo("UNID").Texto(),
                                     p.Campo("IPI").Real(), p.Campo("ICMS").Real(),
                                     p.Campo("ALIQREDUCAOICMS").Real(), 0);
}

}  // namespace

void EtapaPeriodoECF(ContextoExportacao& c) {
    c.Etapa("resumo mensal dos cupons (registros 60R)");
    c.progresso.Etapa("Etapa  6 / 9");
    c.progresso.Descricao("Preparando para registro de cupom 60R");
    c.progresso.PosicaoStatus(0);
    auto& r = c.dm.CDSECFR;
    r.Fecha();
    r.Parametro("DI", c.opcoes.dataInicial);
    r.Parametro("DF", c.opcoes.dataFinal);
    r.Parametro("EMPRESA", c.CodigoEmpresa());
    r.Abre();
    c.progresso.MaximoStatus(r.QuantidadeRegistros());
    // The month of the period's first day, for every row.
    char mesAno[16];
    std::snprintf(mesAno, sizeof mesAno, "%02u%04d", static_cast<unsigned>(c.opcoes.dataInicial.month()),
                  static_cast<int>(c.opcoes.dataInicial.year()));
    int contador = 0;
    for (r.Primeiro(); !r.Fim(); r.Proximo()) {
        c.progresso.PosicaoStatus(++contador);
        const std::string produto = r.Campo("PRODUTO").Texto();
        c.progresso.Descricao(std::string("ECF Periodo ") + mesAno + "   Produto:" + produto);
        c.Referencia("produto " + produto);
        c.GeradorSintegra.Registro60R(
            mesAno, produto,
            CodigoAliquotaECF(r.Campo("SITUACAOTRIBUTARIA").Texto(), r.Campo("ALIQUOTAICMS").Real(),
                              VarianteAliquota::Registro60R),
            r.Campo("QUANTIDADE").Real(), r.Campo("VALOR").Real(), r.Campo("BASEICMS").Real());
        AcrescentaDoCadastro(c, produto);
    }
    r.Fecha();
}

void EtapaNotasModelo2(ContextoExportacao& c) {
    c.Etapa("notas de venda a consumidor (registros 61 e 61R)");
    auto& n = c.dm.CDSReg61;
    n.Fecha();
    n.Parametro("EMPRESA", c.CodigoEmpresa());
    n.Parametro("DATAINICIAL", c.opcoes.dataInicial);
    n.Parametro("DATAFINAL", c.opcoes.dataFinal);
    n.Abre();
    for (n.Primeiro(); !n.Fim(); n.Proximo()) {
        c.Referencia("notas da série " + n.Campo("SERIENF").Texto() + " de " +
                     TextoData(n.Campo("DATAEMISSAONF").DataValor()));
        const std::string modeloTexto = n.Campo("MODELONF").Texto();
        long long modelo;
        if (!LeInteiro(modeloTexto, modelo))
            throw ErroConversaoExportacao("O modelo \"" + modeloTexto + "\" das notas da série " +
                                          n.Campo("SERIENF").Texto() + " não é um número.");
        c.GeradorSintegra.Registro61(modelo, n.Campo("SERIENF").Texto(),
                                     n.Campo("DATAEMISSAONF").DataValor(),
                                     n.Campo("NUMEROINICIAL").Inteiro(),
                                     n.Campo("NUMEROFINAL").Inteiro(),
                                     n.Campo("TOTALBRUTO").Real(), n.Campo("BASEICMS").Real(),
                                     n.Campo("VALORICMS").Real(), n.Campo("ISENTO").Real(),
                                     n.Campo("OUTROS").Real(), n.Campo("ALIQUOTAICMS").Real());
    }
    auto& r = c.dm.CDSReg61R;
    r.Fecha();
    r.Parametro("EMPRESA", c.CodigoEmpresa());
    r.Parametro("DATAINICIAL", c.opcoes.dataInicial);
    r.Parametro("DATAFINAL", c.opcoes.dataFinal);
    r.Abre();
    for (r.Primeiro(); !r.Fim(); r.Proximo()) {
        const std::string produto = r.Campo("PRODUTO").Texto();
        c.Referencia("produto " + produto);
        c.GeradorSintegra.Registro61R(r.Campo("MES").Inteiro(),
                                      r.Campo("ANO").Inteiro(), produto,
                                      r.Campo("QUANTIDADE").Real(), r.Campo("TOTALBRUTO").Real(),
                                      r.Campo("BASEICMS").Real(), r.Campo("ALIQUOTAICMS").Real());
        // Every product code of the file gets its record 75.
        if (!c.CDSRegistro75.Existe(produto)) AcrescentaDoCadastro(c, produto);
    }
}
