#include "ListaProdutos.h"

#include "ConjuntoDados.h"

#include <algorithm>

namespace {

// A text cut to its first `n` characters when stored.
std::string Corta(const std::string& s, int n) { return std::string(PrimeirosCaracteres(s, n)); }

}  // namespace

void TCDSRegistro75::Abre(Data dataInicial, Data dataFinal) {
    produtos_.clear();
    dataInicial_ = dataInicial;
    dataFinal_ = dataFinal;
    ativo_ = true;
}

void TCDSRegistro75::Fecha() {
    produtos_.clear();
    ativo_ = false;
}

bool TCDSRegistro75::Existe(const std::string& codigo) const {
    return produtos_.count(Corta(codigo, 14)) != 0;
}

bool TCDSRegistro75::AcrescentaUmaVez(const std::string& codigo, const std::string& nome,
                                      const std::string& unidade, double aliquotaIPI,
                                      double aliquotaICMS, double reducao,
                                      double baseSubstituicao) {
    const std::string chave = Corta(codigo, 14);
    if (produtos_.count(chave)) return false;
    ProdutoRegistro75 p;
    p.DataInicial = dataInicial_;
    p.DataFinal = dataFinal_;
    p.CodProduto = chave;
    p.NomeProduto = Corta(nome, 53);
    p.Unidade = Corta(unidade, 6);
    p.AliquotaIPI = aliquotaIPI;
    p.AliquotaICMS = aliquotaICMS;
    p.ReducaoBaseCalculoICMS = reducao;
    p.BaseCalculoICMSSubst = baseSubstituicao;
    produtos_.emplace(chave, std::move(p));
    return true;
}

std::vector<const ProdutoRegistro75*> TCDSRegistro75::EmOrdemDeCodigo() const {
    std::vector<const ProdutoRegistro75*> r;
    r.reserve(produtos_.size());
    for (const auto& [_, p] : produtos_) r.push_back(&p);
    std::sort(r.begin(), r.end(), [](auto* a, auto* b) { return a->CodProduto < b->CodProduto; });
    return r;
}
