// A scenario of the export: a small company database built from documents and
// items, a run of the export on it, and the lines of the file it wrote.
#pragma once

#include "../../data/testes/BancoTeste.h"
#include "ThExporta.h"

#include <cstdio>
#include <map>
#include <sstream>

namespace cenario {

inline std::string Num(double v) {
    char t[64];
    std::snprintf(t, sizeof t, "%.6f", v);
    return t;
}
inline std::string Txt(const std::string& s) { return s.empty() ? "NULL" : "'" + s + "'"; }

struct Item {
    int produto = 1;
    double quantidade = 1;
    double preco = 10;
    std::string situacao = "000";
    double aliquota = 17;
    std::string cfop = "5102";
    double base = -1;  // -1: quantity times price for taxed situations, else 0
    double baseST = 0;
    double aliquotaIPI = 0;
    double desconto = 0;
    double reducao = 0;
    std::string cancelado = "N";
    int cor = 0, grade = 0;
};

struct Documento {
    std::string codigo;
    std::string movimento = "S";
    std::string agrupamento = "NFT";
    std::string numero = "1";
    std::string serie = "1";
    std::string modelo = "01";
    std::string modeloTerceiro;  // empty: NULL
    std::string cfop = "5102";
    std::string data = "2010-03-10";
    std::string dataDocumento;   // empty: the movement's date
    double frete = 0, seguro = 0, despesas = 0, servicos = 0, desconto = 0;
    double valorProdutos = -1;   // -1: the items' sum
    std::string status = "A";
    int cadastro = 1;
    std::vector<Item> itens;

    std::string Sql() const {
        double produtos = 0;
        for (const auto& i : itens) produtos += i.quantidade * i.preco;
        if (valorProdutos >= 0) produtos = valorProdutos;
        const double valor = produtos + frete + seguro + despesas + servicos - desconto;
        std::ostringstream s;
        s << "INSERT INTO MOVESTOQUE (CODMOVESTOQUE, CODEMPRESA, CODCADASTRO, DATAMOVIMENTO, "
             "DATADOCUMENTO, MOVIMENTO, AGRUPAMENTO, NUMERODOC, SERIEDOC, MODELODOC, MODELONFTERCEIRO, "
             "CFOP, VALOR, VALORPRODUTOS, VALORSERVICOS, FRETE, VALORSEGURO, VALORDESPESASACESSORIAS, "
             "DESCONTO, STATUS) VALUES ("
          << Txt(codigo) << ", 1, " << cadastro << ", '" << data << "', '"
          << (dataDocumento.empty() ? data : dataDocumento) << "', " << Txt(movimento) << ", "
          << Txt(agrupamento) << ", " << Txt(numero) << ", " << Txt(serie) << ", " << Txt(modelo) << ", "
          << Txt(modeloTerceiro) << ", " << Txt(cfop) << ", " << Num(valor) << ", " << Num(produtos)
          << ", " << Num(servicos) << ", " << Num(frete) << ", " << Num(seguro) << ", " << Num(despesas)
          << ", " << Num(desconto) << ", " << Txt(status) << ");\n";
        int seq = 0;
        for (const auto& i : itens) {
            const bool tributado = i.situacao == "000" || i.situacao == "010" || i.situacao == "020";
            const double base = i.base >= 0 ? i.base : (tributado ? i.quantidade * i.preco : 0);
            s << "INSERT INTO ITEMESTOQUE (CODMOVESTOQUE, CODSEQUENCIA, CODPRODUTO, CODCOR, CODGRADE, "
                 "CODUNIDADE, QUANTIDADE, QUANTIDADEDEEMBALAGEM, PRECOUNITARIO, VALORDESCONTO, BASEICMS, "
                 "BASEICMSST, ALIQUOTAICMS, ALIQUOTAICMSRED, SITUACAOTRIBUTARIA, ALIQUOTAIPI, CFOP, "
                 "CANCELADO) VALUES ("
              << Txt(codigo) << ", " << ++seq << ", " << i.produto << ", " << i.cor << ", " << i.grade
              << ", 1, " << Num(i.quantidade) << ", " << Num(i.quantidade) << ", " << Num(i.preco) << ", "
              << Num(i.desconto) << ", " << Num(base) << ", " << Num(i.baseST) << ", " << Num(i.aliquota)
              << ", " << Num(i.reducao) << ", " << Txt(i.situacao) << ", " << Num(i.aliquotaIPI) << ", "
              << Txt(i.cfop) << ", " << Txt(i.cancelado) << ");\n";
        }
        return s.str();
    }
};

// A company, a customer, a unit and products P1 to P5 with the codes
// 'P1'..'P5' and a few more for the ordering of records 75.
inline const char* Base = R"(
INSERT INTO CIDADE VALUES (1, 'BLUMENAU', 'SC', 4202404);
INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, RAZAOSOCIAL, CNPJ, INSCRICAOESTADUAL, ENDERECO,
  NUMEROPREDIO, BAIRRO, CEP, DDD, TELEFONE, FAX, CONTATO, CODCIDADE)
  VALUES (1, 'LOJA', 'LOJA DE TESTES LTDA', '11222333000181', '251.000.001', 'RUA DAS PALMEIRAS',
  '10', 'CENTRO', '89010000', '047', '33330000', '33330001', 'ANA', 1);
INSERT INTO EMPRESA (CODEMPRESA, FANTASIA, RAZAOSOCIAL, CNPJ, CODCIDADE) VALUES (2, 'OUTRA', 'OUTRA LTDA', '07526557000100', 1);
INSERT INTO RESPTECNICO VALUES (1, 'CARLOS CONTADOR', '1234567890', 'SC-1', '047', '33334444', 'c@x.com', 1);
INSERT INTO CADASTRO (CODCADASTRO, NOMECLIENTE, NOMEFANTASIA, CNPJ, INSCRICAOESTADUAL, CODCIDADE)
  VALUES (1, 'CLIENTE', 'CLIENTE FANTASIA', '22333444000181', '252.000.002', 1);
INSERT INTO UNIDADE VALUES (1, 'UN', 'UN');
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE) VALUES (1, 1);
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE) VALUES (2, 1);
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE) VALUES (3, 1);
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE) VALUES (4, 1);
INSERT INTO PRODUTO (CODPRODUTO, CODUNIDADE) VALUES (5, 1);
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (1, 'P1', 'PRODUTO UM');
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (2, 'P2', 'PRODUTO DOIS');
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (3, 'B1', 'PRODUTO B1');
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (4, 'A7', 'PRODUTO A7');
INSERT INTO PRODUTONOME (CODPRODUTO, PRODUTO, NOMEPRODUTO) VALUES (5, 'A10', 'PRODUTO A10');
INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, ICMS, IPI, ALIQREDUCAOICMS, PRECOCUSTO) VALUES (1, 1, 17, 5, 0, 2);
INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, ICMS, IPI, ALIQREDUCAOICMS, PRECOCUSTO) VALUES (1, 2, 12, 0, 10, 3);
INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, ICMS, IPI, ALIQREDUCAOICMS, PRECOCUSTO) VALUES (1, 3, 7, 0, 0, 1);
INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, ICMS, IPI, ALIQREDUCAOICMS, PRECOCUSTO) VALUES (1, 4, 7, 0, 0, 1);
INSERT INTO SALDOESTOQUE (CODEMPRESA, CODPRODUTO, ICMS, IPI, ALIQREDUCAOICMS, PRECOCUSTO) VALUES (1, 5, 7, 0, 0, 1);
)";

// Records every text the run shows; can ask for a cancel when a text appears.
class ProgressoGravado : public TProgressoExportacao {
public:
    explicit ProgressoGravado(EstadoExportacao& estado) : estado_(estado) {}
    void Etapa(const std::string& t) override { eventos.push_back("Etapa|" + t); }
    void Descricao(const std::string& t) override {
        eventos.push_back("Descricao|" + t);
        if (!cancelaEm.empty() && t.rfind(cancelaEm, 0) == 0) {
            estado_.CancelaExportacao = true;
            estado_.Exportando = false;
        }
    }
    void MaximoStatus(int m) override { eventos.push_back("MaximoStatus|" + std::to_string(m)); }
    void PosicaoStatus(int) override {}
    void MaximoItens(int m) override { eventos.push_back("MaximoItens|" + std::to_string(m)); }
    void PosicaoItens(int) override {}
    void TotalRegistros(const std::string& t) override { eventos.push_back("TotalRegistros|" + t); }
    void CursorEspera(bool e) override { eventos.push_back(std::string("CursorEspera|") + (e ? "1" : "0")); }
    void MensagemFinal(const std::string& t) override { mensagens.push_back(t); }
    void Erro(const std::string& t) override { erros.push_back(t); }

    bool Viu(const std::string& evento) const {
        return std::find(eventos.begin(), eventos.end(), evento) != eventos.end();
    }
    std::string UltimaDescricao() const {
        for (auto i = eventos.rbegin(); i != eventos.rend(); ++i)
            if (i->rfind("Descricao|", 0) == 0) return i->substr(10);
        return {};
    }

    std::vector<std::string> eventos, mensagens, erros;
    std::string cancelaEm;  // the run is cancelled when a description starts with this

private:
    EstadoExportacao& estado_;
};

// Lines of a Sintegra file; every line must be 126 bytes and CR LF. A final
// EAD signature line is returned apart.
inline std::vector<std::string> Linhas(const std::string& conteudo, std::string* ead = nullptr) {
    std::vector<std::string> linhas;
    std::size_t i = 0;
    while (i < conteudo.size()) {
        const auto fim = conteudo.find("\r\n", i);
        if (fim == std::string::npos) {
            ADD_FAILURE() << "line without CR LF";
            break;
        }
        std::string l = conteudo.substr(i, fim - i);
        i = fim + 2;
        if (ead && i == conteudo.size() && l.rfind("EAD", 0) == 0) {
            *ead = l;
            break;
        }
        EXPECT_EQ(l.size(), 126u) << "[" << l << "]";
        linhas.push_back(std::move(l));
    }
    return linhas;
}

inline std::string Campo(const std::string& l, int inicio, int fim) {
    return l.substr(static_cast<std::size_t>(inicio - 1), static_cast<std::size_t>(fim - inicio + 1));
}

// The lines of the given type ("50", "60D", "61R", ...).
inline std::vector<std::string> DoTipo(const std::vector<std::string>& linhas, const std::string& tipo) {
    std::vector<std::string> r;
    for (const auto& l : linhas)
        if (l.compare(0, tipo.size(), tipo) == 0 && !(tipo == "61" && l[2] == 'R'))
            r.push_back(l);
    return r;
}

struct Resultado {
    bool ok = false;
    std::vector<std::string> linhas;
    std::string conteudo;
    std::string ead;
    std::string arquivo;
    std::unique_ptr<ProgressoGravado> progresso;
    std::unique_ptr<EstadoExportacao> estado;
};

class Exportacao {
public:
    explicit Exportacao(const std::string& fixture) : banco_(std::string(Base) + fixture) {
        dm = banco_.Modulo();
        opcoes.empresa = 1;
        opcoes.dataInicial = FazData(2010, 3, 1);
        opcoes.dataFinal = FazData(2010, 3, 31);
        opcoes.dataInventario = opcoes.dataFinal;
    }

    // What Processar and Exportar do, then the run on this thread.
    Resultado Executa(const std::string& cancelaEm = {}, bool cancelaAntes = false) {
        Resultado r;
        r.estado = std::make_unique<EstadoExportacao>();
        r.progresso = std::make_unique<ProgressoGravado>(*r.estado);
        r.progresso->cancelaEm = cancelaEm;
        if (cancelaAntes) r.estado->CancelaExportacao = true;
        EXPECT_TRUE(PreparaExportacao(*dm, opcoes));
        sintegra::tSintegra gerador(banco_.Pasta());
        EXPECT_TRUE(gerador.AbreArquivo("SINTEGRA.TXT"));
        r.arquivo = gerador.NomeArquivoCompleto();
        ThExporta run(*dm, gerador, opcoes, *r.estado, *r.progresso);
        r.ok = run.Executa();
        if (std::filesystem::exists(r.arquivo)) {
            std::ifstream f(r.arquivo, std::ios::binary);
            std::ostringstream c;
            c << f.rdbuf();
            r.conteudo = c.str();
            r.linhas = Linhas(r.conteudo, &r.ead);
        }
        return r;
    }

    std::string Pasta() const { return banco_.Pasta(); }

    OpcoesExportacao opcoes;
    std::unique_ptr<TFDMExporta> dm;

private:
    testes::BancoTeste banco_;
};

}  // namespace cenario
