// Stage 8: one record 75 per product of the list, in code order. Stage 9: the
// records 88 and the totals of record 90.
#include "Etapas.h"

void EtapaProdutos(ContextoExportacao& c) {
    c.Etapa("produtos (registros 75)");
    c.progresso.Etapa("Etapa : 8 / 9");
    c.progresso.Descricao("Gerando Registros 75 Produtos dos registros anteriores...");
    const auto produtos = c.CDSRegistro75.EmOrdemDeCodigo();
    c.progresso.MaximoStatus(static_cast<int>(produtos.size()));
    c.progresso.PosicaoStatus(0);
    c.contador = 0;
    for (const auto* p : produtos) {
        if (c.Cancelado()) break;
        c.progresso.PosicaoStatus(++c.contador);
        c.progresso.Descricao("Produto : " + p->CodProduto);
        c.Referencia("produto " + p->CodProduto);
        c.GeradorSintegra.Registro75(p->CodProduto, "", p->DataInicial, p->DataFinal, p->NomeProduto,
                                     p->Unidade, p->AliquotaIPI, p->AliquotaICMS,
                                     p->ReducaoBaseCalculoICMS, p->BaseCalculoICMSSubst);
    }
    c.CDSRegistro75.Fecha();
}

void EtapaFinal(ContextoExportacao& c) {
    auto& g = c.GeradorSintegra;
    c.Etapa("registros finais (88 e 90)");
    c.progresso.Etapa("Etapa : 9 / 9");
    c.progresso.Descricao("Gerando Registros Finais");
    const std::string cnpj = c.Empresa("CNPJ");
    const std::string inscricao = c.Empresa("INSCRICAOESTADUAL");
    if (c.estado.QtdSaidas == 0) g.Registro88SMS(cnpj, inscricao);
    if (c.estado.QtdEntradas == 0) g.Registro88SME(cnpj, inscricao);
    const std::string indicador = c.opcoes.novoContador ? "0" : "1";
    if (c.opcoes.registro88) {
        auto& contador = c.dm.CDSContador;
        auto coluna = [&](const char* nome) { return contador.Campo(nome).Texto(); };
        g.Registro88EC(coluna("NOMERESPONSAVEL"), coluna("CPF"), coluna("CRC"),
                       coluna("DDD") + coluna("TELEFONE"), coluna("EMAIL"), indicador);
        g.Registro88SF();
    }
    c.Referencia("totais do arquivo");
    g.Registro90(cnpj, inscricao, "50", g.Qtd50());
    g.Registro90(cnpj, inscricao, "54", g.Qtd54());
    g.Registro90(cnpj, inscricao, "60", g.Qtd60());
    g.Registro90(cnpj, inscricao, "61", g.Qtd61());
    if (c.opcoes.inventario) g.Registro90(cnpj, inscricao, "74", g.Qtd74());
    g.Registro90(cnpj, inscricao, "75", g.Qtd75());
    g.Registro90(cnpj, inscricao, "88", g.Qtd88());
    // Records 10 and 11 and this line itself.
    g.Registro90(cnpj, inscricao, "99", g.QtdTotal() + 3);
}
