// CDSRegistro75: the run's product list, one row per product code, from which
// the closing stage writes the records 75 in code order. The first stage to
// meet a product fixes its values; later occurrences change nothing.
#pragma once

#include "Valor.h"

#include <string>
#include <unordered_map>
#include <vector>

struct ProdutoRegistro75 {
    Data DataInicial{};
    Data DataFinal{};
    std::string CodProduto;   // 14 characters at most
    std::string CodNCN;       // never filled
    std::string NomeProduto;  // 53
    std::string Unidade;      // 6
    double AliquotaIPI = 0;
    double AliquotaICMS = 0;
    double ReducaoBaseCalculoICMS = 0;
    double BaseCalculoICMSSubst = 0;
};

class TCDSRegistro75 {
public:
    void Abre(Data dataInicial, Data dataFinal);
    void Fecha();
    bool Ativo() const { return ativo_; }

    // Looks the code up (exact, case-sensitive); constant time whatever the size.
    bool Existe(const std::string& codigo) const;
    // The add-once rule: inserts the product unless its code is there already.
    // Returns true when it was inserted.
    bool AcrescentaUmaVez(const std::string& codigo, const std::string& nome,
                          const std::string& unidade, double aliquotaIPI, double aliquotaICMS,
                          double reducao, double baseSubstituicao);

    std::size_t Quantidade() const { return produtos_.size(); }
    // The rows in code order (byte order of the code's text).
    std::vector<const ProdutoRegistro75*> EmOrdemDeCodigo() const;

private:
    bool ativo_ = false;
    Data dataInicial_{}, dataFinal_{};
    std::unordered_map<std::string, ProdutoRegistro75> produtos_;
};
