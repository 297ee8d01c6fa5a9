#include "DMNelvora.h"

#include "ArquivoIni.h"
#include "ErroSistema.h"
#include "Plataforma.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------- movements

EntradaCatalogo NovoSaidas() {
    return EntradaCatalogo{
        "QSaidas", "CDSSaidas",
        {"SELECT *",
         "FROM RELATORIOAPURACAOICMS(:TIPODOCUMENTO, :TIPOMOVIMENTO, :DATAINICIAL, :DATAFINAL, "
         ":EMPRESA, :ATIVO)",
         "ORDER BY DATAMOVIMENTO, AGRUPAMENTO, NUMERODOC"},
        {Texto("CODMOVESTOQUE", 10), DataCampo("DATAMOVIMENTO"), TextoFixo("MOVIMENTO", 1),
         TextoFixo("AGRUPAMENTO", 3), Texto("NUMERODOC", 10), TextoFixo("SERIEDOC", 3),
         Decimal("VALOR", 2), TextoFixo("CFOP", 4), Decimal("BASEICMS", 2),
         Decimal("ALIQUOTAICMS", 2), Decimal("VALORICMS", 2), DataCampo("DATADOCUMENTO"),
         Texto("ESTADO", 2), Texto("SITUACAO", 10), Decimal("FRETE", 2),
         Texto("INSCRICAOESTADUAL", 20), TextoFixo("ESTADOCLIENTE", 2),
         Texto("NOMEFANTASIACLIENTE", 50), TextoFixo("CNPJ", 14), Decimal("VALORPRODUTOS", 2),
         Texto("DOCCONSUMIDOR", 14), Decimal("VALORSEGURO", 2),
         Decimal("VALORDESPESASACESSORIAS", 2), Decimal("VALORSERVICOS", 2),
         TextoFixo("MODELODOC", 2), TextoFixo("MODELONFTERCEIRO", 2),
         // declared, not read
         Inteiro("CODCADASTRO"), Texto("FAVORECIDO", 50), Texto("OPERACAO", 50),
         Decimal("VALORICMSSUBST", 2), Decimal("ISENTO", 2), Decimal("VALORIPI", 2),
         Decimal("BASEIPI", 2), Decimal("VALORISS", 2), Decimal("BASEISS", 2),
         Decimal("OUTROS", 2), Texto("ESPECIE", 10), Decimal("BASEICMSSUBST", 2),
         Decimal("ALIQUOTAIPI", 2), TextoFixo("DDD", 3), DataCampo("DATAEMISSAORG"),
         Texto("ORGAOEMISSOR", 10), Texto("RG", 20), Texto("INSCRICAOMUNICIPAL", 20),
         Texto("SITE", 50), Texto("EMAIL", 50), TextoFixo("FAX", 8), TextoFixo("TELEFONE", 8),
         TextoFixo("SEXO", 1), DataCampo("DATANASCIMENTO"), Texto("CIDADECLIENTE", 50),
         Texto("BAIRRO", 30), TextoFixo("CEP", 8), Texto("ENDERECOCLIENTE", 40),
         Texto("COMPLEMENTO", 30), Texto("NUMERO", 5), Texto("NOMECLIENTE", 50),
         Texto("CPF", 11), Texto("CIFFOB", 1), Texto("OBSERVACAO", 200),
         DataCampo("LANCAMENTO"), Inteiro("CODIGOCIDADEIBGE"), Inteiro("CODIGOPAISIBGE"),
         Decimal("DESCONTO", 2)}};
}

EntradaCatalogo NovoItens() {
    return EntradaCatalogo{
        "QItens", "CDSItens",
        {"SELECT RA.PRODUTO, RA.UNID, RA.QUANTIDADEDEEMBALAGEM, RA.PRECOUNITARIO, "
         "RA.VALORDESCONTO,RA. ACRESCIMOFINANCEIRO,",
         "     RA.VALORUNITARIO, RA.BASEICMS, RA.BASEICMSST, RA.NOMEPRODUTO, RA.ALIQUOTAICMS, "
         "RA.ALIQUOTAICMSRED, RA.SITUACAOTRIBUTARIA,",
         "     RA.MOVIMENTAESTOQUE, RA.PRECOTOTAL, RA.NOMERESUMIDO, RA.ALIQUOTAIPI, "
         "RA.CLASFISCAL, RA.CODSEQUENCIA, RA.SERIEDOC,",
         "     RA.DATADOCUMENTO, RA.CNPJ, RA.NUMERODOC, RA.CFOP, RA.FRETE, RA.VALORSEGURO, "
         "RA.VALORDESPESASACESSORIAS, RA.AGRUPAMENTO, ",
         "   RA.DOCCONSUMIDOR, RA.MOVIMENTO, RA.CFOP_MOV, RA.MODELODOC",
         "FROM SP_REG54 (:TIPODOCUMENTO, :TIPOMOVIMENTO, :DATAINICIAL, :DATAFINAL, :EMPRESA, "
         ":ATIVO) RA",
         "ORDER BY RA.DATADOCUMENTO, RA.NUMERODOC, RA.DOCCONSUMIDOR, RA.CFOP, RA.ALIQUOTAICMS"},
        {Texto("PRODUTO", 13), Texto("UNID", 40), Decimal("QUANTIDADEDEEMBALAGEM", 4),
         Decimal("VALORDESCONTO", 5), Decimal("VALORUNITARIO", 5), Decimal("BASEICMS", 5),
         Decimal("BASEICMSST", 5), Texto("NOMEPRODUTO", 40), Decimal("ALIQUOTAICMS", 2),
         Decimal("ALIQUOTAICMSRED", 4), TextoFixo("SITUACAOTRIBUTARIA", 3),
         Decimal("ALIQUOTAIPI", 4), TextoFixo("CFOP", 4), TextoFixo("SERIEDOC", 3),
         Texto("NUMERODOC", 10), Decimal("FRETE", 2), Decimal("VALORSEGURO", 2),
         Decimal("VALORDESPESASACESSORIAS", 2), Texto("DOCCONSUMIDOR", 14),
         TextoFixo("CFOP_MOV", 4), TextoFixo("MODELODOC", 2),
         // declared, not read
         Decimal("PRECOUNITARIO", 5), Decimal("ACRESCIMOFINANCEIRO", 5),
         Texto("MOVIMENTAESTOQUE", 1), Decimal("PRECOTOTAL", 5), Texto("NOMERESUMIDO", 40),
         Texto("CLASFISCAL", 10), Inteiro("CODSEQUENCIA"), DataCampo("DATADOCUMENTO"),
         Texto("CNPJ", 14), Texto("AGRUPAMENTO", 3), Texto("MOVIMENTO", 1)}};
}

EntradaCatalogo NovoItensMov() {
    return EntradaCatalogo{
        "QItensMov", "CDSItensMov",
        {"SELECT RG.PRODUTO, RG.UNID, RG.QUANTIDADEDEEMBALAGEM, RG.PRECOUNITARIO, "
         "RG.VALORDESCONTO,",
         "       RG.ACRESCIMOFINANCEIRO, RG.VALORUNITARIO, RG.BASEICMS, RG.BASEICMSST, "
         "RG.NOMEPRODUTO,",
         "       RG.ALIQUOTAICMS, RG.ALIQUOTAICMSRED, RG.SITUACAOTRIBUTARIA, "
         "RG.MOVIMENTAESTOQUE,",
         "       RG.PRECOTOTAL, RG.NOMERESUMIDO, RG.ALIQUOTAIPI, RG.CLASFISCAL, "
         "RG.CODSEQUENCIA,",
         "       RG.CFOP, RG.CFOP_MOV", "FROM SP_REG50 (:EMPRESA,:MOVIMENTO) RG"},
        {Decimal("QUANTIDADEDEEMBALAGEM", 4), Decimal("VALORUNITARIO", 5),
         Decimal("BASEICMS", 5), Decimal("BASEICMSST", 5), Decimal("ALIQUOTAICMS", 2),
         TextoFixo("SITUACAOTRIBUTARIA", 3), TextoFixo("CFOP", 4), TextoFixo("CFOP_MOV", 4),
         // declared, not read
         Texto("PRODUTO", 13), Texto("UNID", 3), Decimal("PRECOUNITARIO", 5),
         Decimal("VALORDESCONTO", 5), Decimal("ACRESCIMOFINANCEIRO", 5),
         Decimal("PRECOTOTAL", 5), Texto("NOMEPRODUTO", 40), Decimal("ALIQUOTAICMSRED", 4),
         Decimal("ALIQUOTAIPI", 4), Texto("MOVIMENTAESTOQUE", 1), Texto("NOMERESUMIDO", 40),
         Texto("CLASFISCAL", 10), Inteiro("CODSEQUENCIA")}};
}

// Model-2 notes by day, model, series and rate. The tax rows of each note are
// summed per rate first, so that a note's product total counts once in each
// group it belongs to, however many tax rows it has at that rate.
EntradaCatalogo NovoReg61() {
    return EntradaCatalogo{
        "QReg61", "CDSReg61",
        {"select nf.dataemissaonf, nf.modelonf, nf.serienf, t.aliquotaicms,",
         "min(nf.numeronf) as numeroinicial, max(nf.numeronf) as numerofinal,",
         "sum(nf.valortotalprodutos) as totalbruto,  sum(t.baseicms) as baseicms,",
         "sum(t.valoricms) as valoricms, sum(t.outros) as outros, sum(t.isento) as isento",
         "from (select nfm.codnota, tm.aliquotaicms, sum(tm.baseicms) as baseicms,",
         "        sum(tm.valoricms) as valoricms, sum(tm.outros) as outros, sum(tm.isento) as "
         "isento",
         "      from movestoque m",
         "      join tribmovestoque tm on (tm.codmovestoque = m.codmovestoque)",
         "      join nfmovimento nfm on (nfm.codmovestoque = m.codmovestoque)",
         "      where (m.codempresa = :empresa)",
         "      group by nfm.codnota, tm.aliquotaicms) t",
         "join notafiscal nf on (nf.codnota = t.codnota)",
         "where (nf.dataemissaonf between :datainicial and :datafinal)",
         "  and (nf.modelonf in ('2'))", "  and (nf. situacaonf = 'A')",
         "group by nf.dataemissaonf, nf.modelonf, nf.serienf, t.aliquotaicms"},
        {DataCampo("DATAEMISSAONF"), TextoFixo("MODELONF", 2), TextoFixo("SERIENF", 3),
         Decimal("ALIQUOTAICMS", 2), Inteiro("NUMEROINICIAL"), Inteiro("NUMEROFINAL"),
         Decimal("TOTALBRUTO", 2), Decimal("BASEICMS", 2), Decimal("VALORICMS", 2),
         Decimal("OUTROS", 2), Decimal("ISENTO", 2)}};
}

// Model-2 note items by month, product and rate: the sums of the items
// themselves, each item counted once.
EntradaCatalogo NovoReg61R() {
    return EntradaCatalogo{
        "QReg61R", "CDSReg61R",
        {"select extract(month from nf.dataemissaonf) as mes, extract(year from "
         "nf.dataemissaonf) as ano, pn.produto, pn.nomeproduto, i.aliquotaicms, "
         "sum(i.quantidade) as quantidade, sum(i.quantidadedeembalagem * (i.precounitario - "
         "i.valordesconto + i.acrescimofinanceiro)) as totalbruto, sum(i.baseicms) as baseicms",
         "from movestoque m", "join itemestoque i on (i.codmovestoque = m.codmovestoque)",
         "join produtonome pn on (pn.codproduto = i.codproduto and pn.codcor = i.codcor and "
         "pn.codgrade = i.codgrade)",
         "join nfmovimento nfm on (nfm.codmovestoque = m.codmovestoque)",
         "join notafiscal nf on (nf.codnota = nfm.codnota)", "where (m.codempresa = :empresa)",
         "  and (nf.dataemissaonf between :datainicial and :datafinal)",
         "  and (nf.modelonf in ('2'))", "  and (i.cancelado = 'N')",
         "group by extract(month from nf.dataemissaonf), extract(year from nf.dataemissaonf), "
         "pn.produto, pn.nomeproduto, i.aliquotaicms"},
        {Pequeno("MES"), Pequeno("ANO"), Texto("PRODUTO", 13), Decimal("ALIQUOTAICMS", 2),
         Decimal("QUANTIDADE", 4), Decimal("TOTALBRUTO", 2), Decimal("BASEICMS", 2),
         Texto("NOMEPRODUTO", 40)}};
}

// ---------------------------------------------------------------- fiscal printers

EntradaCatalogo NovoECFM() {
    return EntradaCatalogo{
        "QECFM", "CDSECFM",
        {"SELECT M.*", "FROM SINTREG60M M", "WHERE M.CODEMPRESA = :EMPRESA",
         "  AND M.DATAEMISSAO BETWEEN :DATAINICIO AND :DATAFIM", "ORDER BY M.DATAEMISSAO"},
        {Inteiro("COD60M"), DataCampo("DATAEMISSAO"), Texto("SERIEECF", 20),
         Inteiro("NUMEROECF"), Inteiro("COOINICIAL"), Inteiro("COOFINAL"),
         Inteiro("CONTREDUCAOZ"), Inteiro("CONTREINICIO"), Decimal("VENDABRUTA", 2),
         Decimal("GRANDETOTAL", 2), Inteiro("CODEMPRESA")}};
}

EntradaCatalogo NovoECFA() {
    return EntradaCatalogo{"QECFA", "CDSECFA",
                              {"SELECT A.*", "FROM SINTREG60A A", "WHERE A.COD60M = :CODIGO"},
                           {Inteiro("COD60M"), Inteiro("COD60A"), Texto("ALIQUOTA", 4),
                            Decimal("VALOR", 2)}};
}

std::vector<DefinicaoCampo> CamposECFD() {
    return {DataCampo("DATAMOVIMENTO"), Texto("NUMSERIEMAQECF", 20), Texto("PRODUTO", 13),
            Decimal("ALIQUOTAICMS", 2), TextoFixo("SITUACAOTRIBUTARIA", 3),
            Decimal("QUANTIDADE", 4), Decimal("VALOR", 9), Decimal("BASEICMS", 5),
            Decimal("VALORICMS", 7)};
}

std::vector<DefinicaoCampo> CamposECFI() {
    return {DataCampo("DATAMOVIMENTO"), Texto("NUMSERIEMAQECF", 20), Texto("PRODUTO", 13),
            Texto("NOMEPRODUTO", 40), Texto("UNID", 40), Decimal("ALIQUOTAICMS", 2),
            TextoFixo("SITUACAOTRIBUTARIA", 3), Texto("NUMEROCUPOMFISCAL", 10),
            Inteiro("CODSEQUENCIA"), Decimal("QUANTIDADE", 4), Decimal("VALOR", 9),
            Decimal("BASEICMS", 5), Decimal("VALORICMS", 7), Decimal("ALIQUOTAICMSRED", 4),
            Decimal("ALIQUOTAIPI", 4), Decimal("BASEICMSST", 5)};
}

// The product name joins on product, colour and size, so that a product with
// colour or size variants is counted once.
EntradaCatalogo NovoECFD() {
    return EntradaCatalogo{
        "QECFD", "CDSECFD",
        {"select M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, N.PRODUTO, I.ALIQUOTAICMS, "
         "I.SITUACAOTRIBUTARIA,",
         "   sum(I.QUANTIDADE) as QUANTIDADE,",
         "   sum((I.QUANTIDADEDEEMBALAGEM * "
         "(I.PRECOUNITARIO-I.VALORDESCONTO+I.ACRESCIMOFINANCEIRO))) as VALOR,",
         "   sum(I.BASEICMS) as BASEICMS,", "   sum(I.BASEICMS * I.ALIQUOTAICMS/100) AS VALORICMS",
         "from ITEMESTOQUE I", "join ECFMOVIMENTO ECFM on (ECFM.CODMOVESTOQUE = I.CODMOVESTOQUE)",
         "join ECF ECF on (ECF.CODECF = ECFM.CODECF)",
         "JOIN ecf_eqpto EQ ON (ECF.numseriemaqecf = EQ.numero_fabricacao)",
         "JOIN ecf_reducaoz ERZ ON (EQ.codecf_eqpto = ERZ.codecf_eqpto)",
         "join MOVESTOQUE M on(M.CODMOVESTOQUE=I.CODMOVESTOQUE)",
         "join PRODUTO P on (P.CODPRODUTO=I.CODPRODUTO)",
         "join PRODUTONOME N on (I.CODPRODUTO=N.CODPRODUTO AND I.CODCOR = N.CODCOR AND "
         "I.CODGRADE = N.CODGRADE)",
         "where M.CODEMPRESA= :EMPRESA", "  and M.DATAMOVIMENTO between :DI and :DF",
         "  and ERZ.codreducaoz = :REDUCAO", "  and I.CANCELADO = 'N'",
         "GROUP BY M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, N.PRODUTO, I.ALIQUOTAICMS, "
         "I.SITUACAOTRIBUTARIA",
         "ORDER BY M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, I.ALIQUOTAICMS, N.PRODUTO"},
        CamposECFD()};
}

EntradaCatalogo NovoECFI() {
    return EntradaCatalogo{
        "QECFI", "CDSECFI",
        {"select M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, N.PRODUTO, N.NOMEPRODUTO, U.DESCRICAO AS "
         "UNID, I.ALIQUOTAICMS, I.SITUACAOTRIBUTARIA,",
         "       ECF.NUMEROCUPOMFISCAL, I.CODSEQUENCIA, I.QUANTIDADE,",
         "       (I.QUANTIDADEDEEMBALAGEM * "
         "(I.PRECOUNITARIO-I.VALORDESCONTO+I.ACRESCIMOFINANCEIRO)) as VALOR,",
         "       I.BASEICMS, (i.BASEICMS * I.ALIQUOTAICMS/100) AS VALORICMS,",
         "       I.ALIQUOTAICMSRED, I.ALIQUOTAIPI, I.BASEICMSST", "from ITEMESTOQUE I",
         "join ECFMOVIMENTO ECFM on (ECFM.CODMOVESTOQUE = I.CODMOVESTOQUE)",
         "join ECF ECF on (ECF.CODECF = ECFM.CODECF)",
         "JOIN ecf_eqpto EQ ON (ECF.numseriemaqecf = EQ.numero_fabricacao)",
         "JOIN ecf_reducaoz ERZ ON (EQ.codecf_eqpto = ERZ.codecf_eqpto)",
         "join MOVESTOQUE M on(M.CODMOVESTOQUE=I.CODMOVESTOQUE)",
         "join PRODUTO P on (P.CODPRODUTO=I.CODPRODUTO)",
         "join PRODUTONOME N on (I.CODPRODUTO=N.CODPRODUTO AND I.CODCOR = N.CODCOR AND "
         "I.CODGRADE = N.CODGRADE)",
         "JOIN UNIDADE U ON (I.CODUNIDADE=U.CODUNIDADE)", "where M.CODEMPRESA= :EMPRESA",
         "  and M.DATAMOVIMENTO between :DI and :DF", "  and ERZ.codreducaoz = :REDUCAO",
         "ORDER BY M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, ECF.NUMEROCUPOMFISCAL, I.CODSEQUENCIA, "
         "I.ALIQUOTAICMS, N.PRODUTO"},
        CamposECFI()};
}

EntradaCatalogo NovoECFR() {
    return EntradaCatalogo{
        "QECFR", "CDSECFR",
        {"select N.PRODUTO, I.ALIQUOTAICMS, I.SITUACAOTRIBUTARIA,",
         "   sum(I.QUANTIDADE) as QUANTIDADE,",
         "   sum((I.QUANTIDADEDEEMBALAGEM * "
         "(I.PRECOUNITARIO-I.VALORDESCONTO+I.ACRESCIMOFINANCEIRO))) as VALOR,",
         "   sum(I.BASEICMS) as BASEICMS,", "   sum(I.BASEICMS * I.ALIQUOTAICMS/100) AS VALORICMS",
         "from ITEMESTOQUE I", "join ECFMOVIMENTO ECFM on (ECFM.CODMOVESTOQUE = I.CODMOVESTOQUE)",
         "join ECF ECF on (ECF.CODECF = ECFM.CODECF)",
         "join MOVESTOQUE M on(M.CODMOVESTOQUE=I.CODMOVESTOQUE)",
         "join PRODUTO P on (P.CODPRODUTO=I.CODPRODUTO)",
         "join PRODUTONOME N on (I.CODPRODUTO=N.CODPRODUTO AND I.CODCOR = N.CODCOR AND "
         "I.CODGRADE = N.CODGRADE)",
         "where M.CODEMPRESA= :EMPRESA", "  and M.DATAMOVIMENTO between :DI and :DF",
         "  and ECF.STATUS = 'A'", "GROUP BY N.PRODUTO, I.ALIQUOTAICMS, I.SITUACAOTRIBUTARIA",
         "ORDER BY N.PRODUTO, I.ALIQUOTAICMS, I.SITUACAOTRIBUTARIA"},
        {Texto("PRODUTO", 13), Decimal("ALIQUOTAICMS", 2), TextoFixo("SITUACAOTRIBUTARIA", 3),
         Decimal("QUANTIDADE", 4), Decimal("VALOR", 9), Decimal("BASEICMS", 5),
         Decimal("VALORICMS", 7)}};
}

EntradaCatalogo NovoCupomM() {
    return EntradaCatalogo{
        "QCupomM", "CDSCupomM",
        {"SELECT R.CODREDUCAOZ, E.NUMERO_FABRICACAO, E.NUMERO_CAIXA, R.CRZ, R.COO, R.CRO, "
         "R.DATA_MOVIMENTO, R.DATA_EMISSAO, R.VENDA_BRUTA, R.GT",
         "FROM ECF_REDUCAOZ R JOIN ECF_EQPTO E ON (R.CODECF_EQPTO = E.CODECF_EQPTO) JOIN "
         "EMPRESA P ON (E.CODEMPRESA = P.CODEMPRESA)",
         "WHERE P.CODEMPRESA = :EMPRESA AND R.DATA_MOVIMENTO BETWEEN :DATAINICIO AND :DATAFIM",
         "ORDER BY R.CODREDUCAOZ, E.NUMERO_FABRICACAO"},
        {Inteiro("CODREDUCAOZ"), Texto("NUMERO_FABRICACAO", 20), Texto("NUMERO_CAIXA", 3),
         Texto("CRZ", 6), Texto("COO", 6), Texto("CRO", 6), DataCampo("DATA_MOVIMENTO"),
         DataCampo("DATA_EMISSAO"), Decimal("VENDA_BRUTA", 2), Decimal("GT", 2)}};
}

EntradaCatalogo NovoCupomA() {
    return EntradaCatalogo{
        "QCupomA", "CDSCupomA",
        {"SELECT T.TOTALIZADOR, T.VALOR", "FROM ECF_TOTALIZADORES T",
         "WHERE T.CODREDUCAOZ = :CODREDUCAO",
         " AND T.VALOR > 0 AND T.TOTALIZADOR NOT IN('AT', 'Can-S', 'OPNF')"},
        {Texto("TOTALIZADOR", 7), Decimal("VALOR", 2)}};
}

// The first and last coupon of a printer on a day, compared as numbers (of 999
// and 1000 the last is 1000).
EntradaCatalogo NovoConsCOO() {
    return EntradaCatalogo{
        "QConsCOO_do_Dia", "CDSConsCOO_do_Dia",
        {"SELECT MIN(CAST(ECF.NUMEROCUPOMFISCAL AS INTEGER)), MAX(CAST(ECF.NUMEROCUPOMFISCAL AS "
         "INTEGER))",
         "FROM ECF ECF JOIN ECFMOVIMENTO ECFM ON (ECF.CODECF = ECFM.CODECF)",
         "WHERE ECF.CODEMPRESA = :EMPRESA AND ECF.NUMSERIEMAQECF = :SERIEECF AND",
         "      ECF.DATAEMISSAOECF = :DATA"},
        {Texto("MIN", 10), Texto("MAX", 10)}};
}

// Coupon items of one printer on one day, by its serial number, for the
// reductions typed in by hand (which have no key in ecf_reducaoz).
EntradaCatalogo NovoECFDMaquina() {
    return EntradaCatalogo{
        "QECFDMaquina", "CDSECFDMaquina",
        {"select M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, N.PRODUTO, I.ALIQUOTAICMS, "
         "I.SITUACAOTRIBUTARIA,",
         "   sum(I.QUANTIDADE) as QUANTIDADE,",
         "   sum((I.QUANTIDADEDEEMBALAGEM * "
         "(I.PRECOUNITARIO-I.VALORDESCONTO+I.ACRESCIMOFINANCEIRO))) as VALOR,",
         "   sum(I.BASEICMS) as BASEICMS,", "   sum(I.BASEICMS * I.ALIQUOTAICMS/100) AS VALORICMS",
         "from ITEMESTOQUE I", "join ECFMOVIMENTO ECFM on (ECFM.CODMOVESTOQUE = I.CODMOVESTOQUE)",
         "join ECF ECF on (ECF.CODECF = ECFM.CODECF)",
         "join MOVESTOQUE M on(M.CODMOVESTOQUE=I.CODMOVESTOQUE)",
         "join PRODUTO P on (P.CODPRODUTO=I.CODPRODUTO)",
         "join PRODUTONOME N on (I.CODPRODUTO=N.CODPRODUTO AND I.CODCOR = N.CODCOR AND "
         "I.CODGRADE = N.CODGRADE)",
         "where M.CODEMPRESA= :EMPRESA", "  and M.DATAMOVIMENTO between :DI and :DF",
         "  and ECF.NUMSERIEMAQECF = :SERIEECF", "  and I.CANCELADO = 'N'",
         "GROUP BY M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, N.PRODUTO, I.ALIQUOTAICMS, "
         "I.SITUACAOTRIBUTARIA",
         "ORDER BY M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, I.ALIQUOTAICMS, N.PRODUTO"},
        CamposECFD()};
}

EntradaCatalogo NovoECFIMaquina() {
    return EntradaCatalogo{
        "QECFIMaquina", "CDSECFIMaquina",
        {"select M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, N.PRODUTO, N.NOMEPRODUTO, U.DESCRICAO AS "
         "UNID, I.ALIQUOTAICMS, I.SITUACAOTRIBUTARIA,",
         "       ECF.NUMEROCUPOMFISCAL, I.CODSEQUENCIA, I.QUANTIDADE,",
         "       (I.QUANTIDADEDEEMBALAGEM * "
         "(I.PRECOUNITARIO-I.VALORDESCONTO+I.ACRESCIMOFINANCEIRO)) as VALOR,",
         "       I.BASEICMS, (i.BASEICMS * I.ALIQUOTAICMS/100) AS VALORICMS,",
         "       I.ALIQUOTAICMSRED, I.ALIQUOTAIPI, I.BASEICMSST", "from ITEMESTOQUE I",
         "join ECFMOVIMENTO ECFM on (ECFM.CODMOVESTOQUE = I.CODMOVESTOQUE)",
         "join ECF ECF on (ECF.CODECF = ECFM.CODECF)",
         "join MOVESTOQUE M on(M.CODMOVESTOQUE=I.CODMOVESTOQUE)",
         "join PRODUTO P on (P.CODPRODUTO=I.CODPRODUTO)",
         "join PRODUTONOME N on (I.CODPRODUTO=N.CODPRODUTO AND I.CODCOR = N.CODCOR AND "
         "I.CODGRADE = N.CODGRADE)",
         "JOIN UNIDADE U ON (I.CODUNIDADE=U.CODUNIDADE)", "where M.CODEMPRESA= :EMPRESA",
         "  and M.DATAMOVIMENTO between :DI and :DF", "  and ECF.NUMSERIEMAQECF = :SERIEECF",
         "ORDER BY M.DATAMOVIMENTO, ECF.NUMSERIEMAQECF, ECF.NUMEROCUPOMFISCAL, I.CODSEQUENCIA, "
         "I.ALIQUOTAICMS, N.PRODUTO"},
        CamposECFI()};
}

// ---------------------------------------------------------------- company and products

EntradaCatalogo NovoEmpresaLocal() {
    return EntradaCatalogo{
        "QEmpresaLocal", "ClientEmpresaLocal",
        {"SELECT E.*, C.NOMECIDADE, C.ESTADO",
         "FROM EMPRESA E JOIN CIDADE C ON (E.CODCIDADE=C.CODCIDADE)", "ORDER BY E.CODEMPRESA"},
        {Inteiro("CODEMPRESA"), Texto("FANTASIA", 50), Texto("RAZAOSOCIAL", 50),
         TextoFixo("CNPJ", 14), Texto("INSCRICAOESTADUAL", 15), Texto("ENDERECO", 40),
         Texto("NUMEROPREDIO", 5), Texto("BAIRRO", 30), TextoFixo("CEP", 8),
         Texto("NOMECIDADE", 50), Texto("ESTADO", 2), TextoFixo("DDD", 3),
         TextoFixo("TELEFONE", 8), TextoFixo("FAX", 8), Texto("CONTATO", 20),
         // declared, not read
         TextoFixo("DDG", 4), Texto("CPF", 11), Texto("SITE", 50), Texto("EMAIL", 50),
         Texto("STATUS", 1), Texto("INSCRICAOMUNICIPAL", 20), Texto("ESTAEMPRESA", 1),
         Inteiro("CONTROLADORA"), Texto("REGIMEFISCAL", 1), Decimal("CUSTOFIXO", 2),
         Decimal("IMPOSTOSOBREESPECIAL", 2), Decimal("ISS", 2), Decimal("ICMSESTADUAL", 2),
         Texto("ORDEMPRECO", 1), Inteiro("MESESCURVAABC"), Inteiro("FREQCURVAABC"),
         Decimal("PERCCURVAA", 2), Decimal("PERCCURVAB", 2), Decimal("PERCCURVAC", 2),
         DataCampo("DATAULTIMACURVA"), Inteiro("CODCIDADE"), Inteiro("DIFERENCAHORARIO"),
         Texto("TIPOEMPRESA", 1), Inteiro("CODCADASTRO"), Texto("REGISTRO", 20),
         Texto("CHAVE", 40)}};
}

EntradaCatalogo NovoContador() {
    return EntradaCatalogo{
        "QContador", "CDSContador", {"SELECT *", "FROM RESPTECNICO", "WHERE CODEMPRESA = :CODIGO"},
        {Inteiro("CODRESPTECNICO"), Texto("NOMERESPONSAVEL", 60), Texto("CPF", 11),
         Texto("CRC", 10), TextoFixo("DDD", 3), Texto("TELEFONE", 8), Texto("EMAIL", 50),
         Inteiro("CODEMPRESA")}};
}

EntradaCatalogo NovoInventario() {
    return EntradaCatalogo{
        "SQLQInventario", "CDSInventario",
        {"SELECT RI.*",
         "FROM REGISTROINVENTARIO(:Grupo, :SubGrupo, :Linha, :Fabricante, :Situacao, :Origem, "
         ":Empresa, :DataPosicao, :Ordem) RI"},
        {Texto("PRODUTO", 13), Texto("NOMEPRODUTO", 40), Texto("SIGLA", 3), Decimal("SALDO", 4),
         Decimal("PRECOCUSTO", 4), Decimal("PRECOCOMPRA", 5)}};
}

EntradaCatalogo NovoConsProduto() {
    return EntradaCatalogo{
        "QConsProduto", "CDSConsProduto",
        {"select N.PRODUTO, N.NOMEPRODUTO, U.DESCRICAO AS UNID, S.ICMS, S.SITTRIBTABELAB,",
         "       S.ALIQREDUCAOICMS, S.IPI", "from SALDOESTOQUE S",
         "JOIN PRODUTO P ON (S.CODPRODUTO=P.CODPRODUTO)",
         "join PRODUTONOME N on (S.CODPRODUTO=N.CODPRODUTO AND S.CODCOR = N.CODCOR AND "
         "S.CODGRADE = N.CODGRADE)",
         "JOIN UNIDADE U ON (P.CODUNIDADE=U.CODUNIDADE)", "where S.CODEMPRESA= :EMPRESA",
         "  and N.PRODUTO = :PRODUTO"},
        {Texto("NOMEPRODUTO", 40), Texto("UNID", 40), Decimal("ICMS", 2), Decimal("IPI", 2),
         Decimal("ALIQREDUCAOICMS", 4), Texto("PRODUTO", 13), TextoFixo("SITTRIBTABELAB", 2)}};
}

EntradaCatalogo NovoCadProduto() {
    return EntradaCatalogo{
        "QCadProduto", "CDSCadProduto",
        {"SELECT P.*, N.PRODUTO, N.NOMEPRODUTO, N.NOMERESUMIDO, N.CODCOR, N.CODGRADE, "
         "N.CODBARRA, N.QTDEEMBALAGEM,",
         "       U.DESCRICAO AS UNID,",
         "       S.ICMS, S.ALIQREDUCAOICMS, S.MARGEMVALORAGREG, S.IPI, S.SITTRIBTABELAA, "
         "S.SITTRIBTABELAB",
         "FROM SALDOESTOQUE S", "JOIN PRODUTO P ON (P.CODPRODUTO = S.CODPRODUTO)",
         "JOIN PRODUTONOME N ON (N.CODPRODUTO = S.CODPRODUTO AND N.CODCOR = S.CODCOR AND "
         "N.CODGRADE = S.CODGRADE)",
         "JOIN UNIDADE U ON (P.CODUNIDADE=U.CODUNIDADE)", "WHERE S.CODEMPRESA = :EMPRESA"},
        {Texto("PRODUTO", 13), Decimal("ICMS", 2), Decimal("IPI", 2),
         Decimal("ALIQREDUCAOICMS", 4),
         // declared, not read
         Inteiro("CODPRODUTO"), Inteiro("LISTAPRECO"), Texto("CLASFISCAL", 10),
         Texto("NCM", 8), Texto("NBM", 10), Texto("CONTROLAGRADECOR", 1),
         Texto("CONTROLASERIE", 1), Texto("MONTADO", 1), Texto("PRECOUNICOGRADECOR", 1),
         Inteiro("CODLINHA"), Inteiro("CODUNIDADE"), Inteiro("CODUNIDADE_1"),
         Inteiro("CODGRUPO"), Inteiro("CODSUBGRUPO"), Inteiro("CODCADASTRO"),
         Inteiro("CODCADASTRO_1"), Texto("PAISORIGEM", 30), Texto("FORMULADO", 1),
         Texto("FORADELINHA", 1), Texto("MADEIRA_APARELHADA", 1), Texto("UNIDADEPADRAO", 1),
         Texto("TIPO_PRODUTO", 2), Texto("UNID", 40), Texto("NOMEPRODUTO", 40),
         Texto("NOMERESUMIDO", 40), Inteiro("CODCOR"), Inteiro("CODGRADE"),
         Texto("CODBARRA", 20), Decimal("MARGEMVALORAGREG", 2), TextoFixo("SITTRIBTABELAA", 1),
         TextoFixo("SITTRIBTABELAB", 2), Decimal("QTDEEMBALAGEM", 4)}};
}

}  // namespace

std::string CDSSaidasCalcFields(const TConjuntoDados& saidas) {
    const std::string agrupamento = saidas.Campo("AGRUPAMENTO").Texto();
    if (agrupamento == "NFT" || agrupamento == "FAT" || agrupamento == "NFE") return "NF";
    if (agrupamento == "ECF") return "CF";
    return {};
}

std::string CDSCupomACalcFields(const TConjuntoDados& totalizadores) {
    const std::string t = totalizadores.Campo("TOTALIZADOR").Texto();
    if (t == "N1") return "NN";
    if (t == "I1") return "II";
    if (t == "F1") return "FF";
    if (t == "Can-T") return "CANC";
    if (t == "DT") return "DESC";
    if (t.size() >= 3 && t[2] == 'T') return t.substr(3, 4);  // the four-digit rate
    if (t.size() >= 3 && t[2] == 'S') return "ISS";
    return {};
}

TFDMExporta::TFDMExporta(std::string pastaPrograma)
    : CDSSaidas(NovoSaidas()),
      CDSItens(NovoItens()),
      CDSItensMov(NovoItensMov()),
      CDSReg61(NovoReg61()),
      CDSReg61R(NovoReg61R()),
      CDSECFM(NovoECFM()),
      CDSECFA(NovoECFA()),
      CDSECFD(NovoECFD()),
      CDSECFI(NovoECFI()),
      CDSECFR(NovoECFR()),
      CDSCupomM(NovoCupomM()),
      CDSCupomA(NovoCupomA()),
      CDSConsCOO_do_Dia(NovoConsCOO()),
      CDSECFDMaquina(NovoECFDMaquina()),
      CDSECFIMaquina(NovoECFIMaquina()),
      ClientEmpresaLocal(NovoEmpresaLocal()),
      CDSContador(NovoContador()),
      CDSInventario(NovoInventario()),
      CDSConsProduto(NovoConsProduto()),
      CDSCadProduto(NovoCadProduto()),
      Ponte(pastaPrograma.empty() ? PastaDoExecutavel() : pastaPrograma),
      pastaPrograma_(pastaPrograma.empty() ? PastaDoExecutavel() : std::move(pastaPrograma)) {
    SQLConnectionPRAXO.NomeConexao = "EMPRESA";
    SQLConnectionPRAXO.AntesDeConectar = [this] { SQLConnectionPRAXOBeforeConnect(); };
    CDSSaidas.AcrescentaCalculado(Texto("TIPO", 2), CDSSaidasCalcFields);
    CDSCupomA.AcrescentaCalculado(Texto("SituacaoTributaria", 4), CDSCupomACalcFields);
    CDSCadProduto.DefineIndice("PRODUTO");  // CDSCadProdutoIndex1
    for (auto* c : Catalogo()) c->DefineConexao(&SQLConnectionPRAXO);
}

TFDMExporta::~TFDMExporta() {
    for (auto* c : Catalogo()) c->Fecha();
    SQLConnectionPRAXO.Desconecta();
}

std::vector<TConjuntoDados*> TFDMExporta::Catalogo() {
    return {&CDSSaidas,     &CDSItens,          &CDSItensMov,    &CDSReg61,
            &CDSReg61R,     &CDSECFM,           &CDSECFA,        &CDSECFD,
            &CDSECFI,       &CDSECFR,           &CDSCupomM,      &CDSCupomA,
            &CDSConsCOO_do_Dia, &CDSECFDMaquina, &CDSECFIMaquina, &ClientEmpresaLocal,
            &CDSContador,   &CDSInventario,     &CDSConsProduto, &CDSCadProduto};
}

void TFDMExporta::SQLConnectionPRAXOBeforeConnect() {
    if (ConexaoConfigurada) return;
    const std::string arquivo = ArquivoConfiguracao();
    auto& parametros = SQLConnectionPRAXO.Parametros;
    parametros.clear();
    SQLConnectionPRAXO.NomeConexao = "EMPRESA";
    const auto ini = TArquivoIni::Le(arquivo);
    if (!ini) {
        std::error_code e;
        if (!std::filesystem::exists(arquivo, e))
            throw std::runtime_error("Driver/Connection Registry File '" + arquivo + "' not found");
        int erro = EISDIR;
        if (!std::filesystem::is_directory(arquivo, e)) {
            const int fd = ::open(arquivo.c_str(), O_RDONLY);
            erro = fd < 0 ? errno : EIO;
            if (fd >= 0) ::close(fd);
        }
        throw std::runtime_error("Não foi possível ler o arquivo de configuração " + arquivo + ": " +
                                 DescricaoErroSistema(erro) + ".");
    }
    for (const auto& [chave, valor] : ini->Secao("EMPRESA")) parametros.push_back(chave + "=" + valor);
    // The first matching line wins: a User_Name or Password of the file takes
    // precedence over these two.
    parametros.push_back("User_Name=PRAXO");
    parametros.push_back(std::string("Password=") + "varelomi");
    SQLConnectionPRAXO.NomeDriver = "Interbase";
    SQLConnectionPRAXO.BibliotecaDriver = "dbexpint.dll";
    SQLConnectionPRAXO.BibliotecaCliente = "fbclient.dll";
    ConexaoConfigurada = true;
    // Configured all the same: as with any configuration, a mended file is
    // read by the next run of the program.
    if (!ini->TemSecao("EMPRESA"))
        throw std::runtime_error("O arquivo de configuração " + arquivo +
                                 " não tem a seção [EMPRESA], que diz onde está o banco de dados da "
                                 "empresa. Acrescente a seção com a chave Database.");
    if (ini->Valor("EMPRESA", "Database").empty())
        throw std::runtime_error("A seção [EMPRESA] do arquivo de configuração " + arquivo +
                                 " não informa o banco de dados: acrescente a chave Database com o "
                                 "caminho do banco (ou servidor/porta:caminho).");
}

std::string TFDMExporta::MotivoEmpresaAusente(std::int64_t codigo) {
    TConjuntoDados consulta("QEmpresaCidade", "QEmpresaCidade",
                            {"SELECT E.CODCIDADE, C.CODCIDADE AS CIDADE",
                             "FROM EMPRESA E LEFT JOIN CIDADE C ON (E.CODCIDADE=C.CODCIDADE)",
                             "WHERE E.CODEMPRESA = :CODEMPRESA"},
                            {Inteiro("CODCIDADE"), Inteiro("CIDADE")});
    consulta.DefineConexao(&SQLConnectionPRAXO);
    consulta.Parametro("CODEMPRESA", codigo);
    consulta.Abre();
    const std::string empresa = "A empresa " + std::to_string(codigo);
    if (consulta.Vazio()) return empresa + " não existe no banco de dados.";
    if (consulta.Campo("CODCIDADE").Nulo())
        return empresa + " está sem cidade no cadastro de empresas: informe a cidade da empresa no "
                         "sistema e exporte de novo.";
    if (consulta.Campo("CIDADE").Nulo())
        return empresa + " tem a cidade de código " + consulta.Campo("CODCIDADE").Texto() +
               ", que não existe no cadastro de cidades: corrija a cidade da empresa no sistema e "
               "exporte de novo.";
    return empresa + " não foi encontrada no banco de dados.";
}

std::string TFDMExporta::ArquivoBancoLocal() {
    SQLConnectionPRAXOBeforeConnect();
    std::string banco = SQLConnectionPRAXO.ValorParametro("Database");
    const auto i = banco.find_first_not_of(' ');
    banco = i == std::string::npos ? std::string() : banco.substr(i, banco.find_last_not_of(' ') - i + 1);
    if (!fb::BancoLocal(banco)) {
        // host:path or host/port:path; the path is this machine's only when
        // it names a file here.
        banco = banco.substr(banco.find(':') + 1);
        if (banco.empty() || banco[0] != '/') return {};
    }
    return banco;
}

// ---------------------------------------------------------------- Z-reduction window

namespace {

std::vector<DefinicaoCampo> CamposReg60M() {
    return {Inteiro("COD60M"), DataCampo("DATAEMISSAO"), Texto("SERIEECF", 20),
            Inteiro("NUMEROECF"), Inteiro("COOINICIAL"), Inteiro("COOFINAL"),
            Inteiro("CONTREDUCAOZ"), Inteiro("CONTREINICIO"), Decimal("VENDABRUTA", 2),
            Decimal("GRANDETOTAL", 2)};
}

EntradaCatalogo NovoConsSeries() {
    // The serial is read at the 20 characters the coupon table holds: cut
    // shorter, it would find none of the printer's reductions.
    return EntradaCatalogo{"QConsSeries", "CDSConsSeries",
                           {"select e.numseriemaqecf", "from ecf e", "where e.CODEMPRESA = :emp",
                            "  and E.DATAEMISSAOECF BETWEEN :DI AND :DF", "group by e.numseriemaqecf"},
                           {Texto("NUMSERIEMAQECF", 20)}};
}

EntradaCatalogo NovoConsulta() {
    return EntradaCatalogo{"QConsulta", "CDSConsulta",
                           {"select M.*", "from SINTREG60M M", "where M.SERIEECF = :SERIE",
                            "  and M.DATAEMISSAO BETWEEN :DI AND :DF", "ORDER BY M.DATAEMISSAO"},
                           CamposReg60M()};
}

EntradaCatalogo NovoRegM() {
    auto campos = CamposReg60M();
    campos.push_back(Inteiro("CODEMPRESA"));
    return EntradaCatalogo{"QRegM", "CDSRegM", {"SELECT *", "FROM SINTREG60M", "WHERE COD60M = :CODIGO"},
                           std::move(campos)};
}

EntradaCatalogo NovoRegA() {
    return EntradaCatalogo{"QRegA", "CDSRegA", {"SELECT *", "FROM SINTREG60A", "WHERE COD60M = :CODIGO"},
                           {Inteiro("COD60M"), Inteiro("COD60A"), Texto("ALIQUOTA", 4), Decimal("VALOR", 2)}};
}

EntradaCatalogo NovoGeraCodigo() {
    return EntradaCatalogo{"SQLGeraCodigo", "SQLGeraCodigo",
                           {"SELECT NOVO", "FROM GERACODIGO(:GERADORCODIGO, :INCREMENTO)"},
                           {Decimal("NOVO", 1)}};
}

EntradaCatalogo NovoConsExisteData() {
    return EntradaCatalogo{"QConsExisteData", "QConsExisteData",
                           {"SELECT COUNT(*) AS QTDE", "FROM SINTREG60M", "WHERE NUMEROECF = :NUMERO",
                            "  AND SERIEECF = :SERIE", "  AND DATAEMISSAO = :EMISSAO"},
                           {Inteiro("QTDE")}};
}

// Every coupon number of the printer's day: the first and the last are
// found by number here, since the column is text ('1000' < '999').
EntradaCatalogo NovoConsCupons() {
    return EntradaCatalogo{"QConsCupons", "QConsCupons",
                           {"SELECT ECF.NUMEROCUPOMFISCAL", "FROM ECF ECF",
                            "WHERE ECF.NUMSERIEMAQECF = :SERIE",
                            "  AND ECF.DATAEMISSAOECF BETWEEN :DI AND :DF"},
                           {Texto("NUMEROCUPOMFISCAL", 10)}};
}

}  // namespace

TConsultasReducaoZ::TConsultasReducaoZ(TConexaoSQL& conexao)
    : Conexao(conexao),
      CDSEmpresaLocal(NovoEmpresaLocal()),
      CDSConsSeries(NovoConsSeries()),
      CDSConsulta(NovoConsulta()),
      CDSRegM(NovoRegM()),
      CDSRegA(NovoRegA()),
      SQLGeraCodigo(NovoGeraCodigo()),
      QConsExisteData(NovoConsExisteData()),
      QConsCupons(NovoConsCupons()) {
    CDSRegM.DefineTabelaAtualizacao("SINTREG60M");
    CDSRegA.DefineTabelaAtualizacao("SINTREG60A");
    for (auto* c : {&CDSEmpresaLocal, &CDSConsSeries, &CDSConsulta, &CDSRegM, &CDSRegA, &SQLGeraCodigo,
                    &QConsExisteData, &QConsCupons})
        c->DefineConexao(&Conexao);
}

TConsultasReducaoZ::~TConsultasReducaoZ() = default;

std::int64_t TConsultasReducaoZ::NovoCodigo(const std::string& gerador) {
    SQLGeraCodigo.Fecha();
    SQLGeraCodigo.Parametro("GERADORCODIGO", gerador);
    SQLGeraCodigo.Parametro("INCREMENTO", std::int64_t{1});
    SQLGeraCodigo.Abre();
    const std::int64_t novo = SQLGeraCodigo.Campo("NOVO").Inteiro();
    SQLGeraCodigo.Fecha();
    return novo;
}

std::int64_t TConsultasReducaoZ::QuantidadeMovimentos(std::int64_t numero, const std::string& serie,
                                                      Data emissao) {
    QConsExisteData.Fecha();
    QConsExisteData.Parametro("NUMERO", numero);
    QConsExisteData.Parametro("SERIE", serie);
    QConsExisteData.Parametro("EMISSAO", emissao);
    QConsExisteData.Abre();
    const std::int64_t quantidade = QConsExisteData.Campo("QTDE").Inteiro();
    QConsExisteData.Fecha();
    return quantidade;
}

TConsultasReducaoZ::FaixaCupons TConsultasReducaoZ::CuponsDoDia(const std::string& serie, Data dia) {
    QConsCupons.Fecha();
    QConsCupons.Parametro("SERIE", serie);
    QConsCupons.Parametro("DI", dia);
    QConsCupons.Parametro("DF", dia);
    QConsCupons.Abre();
    FaixaCupons faixa;
    bool algum = false;
    try {
        for (QConsCupons.Primeiro(); !QConsCupons.Fim(); QConsCupons.Proximo()) {
            const auto campo = QConsCupons.Campo("NUMEROCUPOMFISCAL");
            std::int64_t numero;
            try {
                numero = campo.Inteiro();
            } catch (const ErroConversao&) {
                throw std::runtime_error("O cupom fiscal \"" + campo.Texto() + "\" da máquina " + serie + " em " +
                                         TextoData(dia) +
                                         " não é um número. Corrija o número do cupom no cadastro de cupons "
                                         "ou informe o primeiro e o último cupom à mão.");
            }
            if (!algum || numero < faixa.primeiro) faixa.primeiro = numero;
            if (!algum || numero > faixa.ultimo) faixa.ultimo = numero;
            algum = true;
        }
    } catch (...) {
        QConsCupons.Fecha();
        throw;
    }
    QConsCupons.Fecha();
    return faixa;
}

void TConsultasReducaoZ::ArmazenaReducao() {
    std::lock_guard trava(Conexao.Trava());
    fb::Transacao transacao(Conexao.Conexao());
    try {
        CDSRegM.AplicaAlteracoes(Conexao, transacao);
        CDSRegA.AplicaAlteracoes(Conexao, transacao);
        transacao.Confirma();
    } catch (...) {
        if (transacao.Ativa()) {
            try {
                transacao.Desfaz();
            } catch (const fb::ErroBanco&) {
            }
        }
        throw;
    }
    CDSRegM.FundeAlteracoes();
    CDSRegA.FundeAlteracoes();
}

bool TConsultasReducaoZ::ReducaoRepetida(std::int64_t numero, const std::string& serie, Data emissao) {
    std::int64_t propria = 0;
    if (CDSRegM.Ativo() && CDSRegM.RegistroArmazenado()) {
        const Valor lidoNumero = CDSRegM.ValorLido("NUMEROECF");
        const Valor lidaSerie = CDSRegM.ValorLido("SERIEECF");
        const Valor lidaData = CDSRegM.ValorLido("DATAEMISSAO");
        if (lidoNumero == Valor{numero} && lidaSerie == Valor{serie} && lidaData == Valor{emissao}) propria = 1;
    }
    return QuantidadeMovimentos(numero, serie, emissao) > propria;
}

void TConsultasReducaoZ::ExcluiReducao(std::int64_t codigo) {
    PreparaExclusao(codigo);
    ArmazenaReducao();
}

void TConsultasReducaoZ::PreparaExclusao(std::int64_t codigo) {
    CDSRegM.Fecha();
    CDSRegM.Parametro("CODIGO", codigo);
    CDSRegM.Abre();
    CDSRegM.Exclui();
    // The rate rows go with their reduction: none is left without it.
    CDSRegA.Fecha();
    CDSRegA.Parametro("CODIGO", codigo);
    CDSRegA.Abre();
    while (!CDSRegA.Vazio()) CDSRegA.Exclui();
}
