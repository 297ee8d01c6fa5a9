// The report of a check in words: one finding a line, the summary for the
// accountant, and the same as CSV.
#include "Verificacao.h"

#include <cstdio>

namespace verificacao {

namespace {

std::string Posicoes(const Achado& a) {
    if (a.Inicio == 0) return "";
    if (a.Inicio == a.Fim) return " (posição " + std::to_string(a.Inicio) + ")";
    return " (posições " + std::to_string(a.Inicio) + "-" + std::to_string(a.Fim) + ")";
}

std::string CampoCSV(const std::string& s) {
    if (s.find_first_of(";\"\n") == std::string::npos) return s;
    std::string r = "\"";
    for (char c : s) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

std::string Data(const std::string& aaaammdd) {
    if (aaaammdd.size() != 8) return aaaammdd;
    return aaaammdd.substr(6, 2) + "/" + aaaammdd.substr(4, 2) + "/" + aaaammdd.substr(0, 4);
}

std::string Coluna(std::string s, std::size_t largura, bool direita = false) {
    // Widths count characters: the UTF-8 continuation bytes take no column.
    std::size_t colunas = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++colunas;
    if (colunas >= largura) return s;
    const std::string brancos(largura - colunas, ' ');
    return direita ? brancos + s : s + brancos;
}

void LinhaTotais(std::string& r, const std::string& chave, const Totais50& t) {
    r += "  " + Coluna(chave, 9) + Coluna(std::to_string(t.Registros), 10, true) +
         Coluna(FormataCentavos(t.Valor), 18, true) + Coluna(FormataCentavos(t.Base), 18, true) +
         Coluna(FormataCentavos(t.ICMS), 16, true) + Coluna(FormataCentavos(t.Isenta), 16, true) +
         Coluna(FormataCentavos(t.Outras), 18, true) + "\n";
}

void CabecalhoTotais(std::string& r, const std::string& chave) {
    r += "  " + Coluna(chave, 9) + Coluna("Registros", 10, true) + Coluna("Valor total", 18, true) +
         Coluna("Base ICMS", 18, true) + Coluna("ICMS", 16, true) + Coluna("Isentas", 16, true) +
         Coluna("Outras", 18, true) + "\n";
}

}  // namespace

std::string FormataCentavos(std::int64_t centavos) {
    const bool negativo = centavos < 0;
    std::uint64_t v = negativo ? static_cast<std::uint64_t>(-centavos) : static_cast<std::uint64_t>(centavos);
    char dec[4];
    std::snprintf(dec, sizeof dec, "%02u", static_cast<unsigned>(v % 100));
    std::string inteiro = std::to_string(v / 100);
    std::string agrupado;
    for (std::size_t i = 0; i < inteiro.size(); ++i) {
        if (i > 0 && (inteiro.size() - i) % 3 == 0) agrupado += '.';
        agrupado += inteiro[i];
    }
    return (negativo ? "-" : "") + agrupado + "," + dec;
}

std::string TextoAchado(const Achado& a) {
    std::string r = TextoNivel(a.NivelAchado);
    if (a.Linha > 0) r += " linha " + std::to_string(a.Linha);
    if (!a.Registro.empty()) r += " registro " + a.Registro;
    if (!a.Campo.empty()) r += " campo " + a.Campo + Posicoes(a);
    return r + ": " + a.Mensagem;
}

std::string CabecalhoCSV() { return "Nível;Linha;Registro;Campo;Início;Fim;Mensagem"; }

std::string LinhaCSV(const Achado& a) {
    return std::string(TextoNivel(a.NivelAchado)) + ";" + std::to_string(a.Linha) + ";" + CampoCSV(a.Registro) +
           ";" + CampoCSV(a.Campo) + ";" + std::to_string(a.Inicio) + ";" + std::to_string(a.Fim) + ";" +
           CampoCSV(a.Mensagem);
}

std::string TextoResumo(const Resumo& s) {
    std::string r = "Resumo do arquivo\n";
    if (!s.CNPJ.empty())
        r += "  Empresa: " + s.RazaoSocial + "  CNPJ " + s.CNPJ + "  UF " + s.UF + "\n  Período: " +
             Data(s.DataInicial) + " a " + Data(s.DataFinal) + "\n";
    r += "  Linhas: " + std::to_string(s.Linhas) + "\n\nRegistros por tipo\n";
    for (const auto& [tipo, n] : s.RegistrosPorTipo) r += "  " + Coluna(tipo, 14) + Coluna(std::to_string(n), 10, true) + "\n";
    if (!s.Registros50PorCFOP.empty() || s.Registros50Cancelados > 0) {
        r += "\nNotas fiscais (registros 50) por CFOP\n";
        CabecalhoTotais(r, "CFOP");
        for (const auto& [c, t] : s.Registros50PorCFOP) LinhaTotais(r, c, t);
        r += "\nNotas fiscais (registros 50) por alíquota\n";
        CabecalhoTotais(r, "Alíquota");
        for (const auto& [c, t] : s.Registros50PorAliquota) LinhaTotais(r, c, t);
        if (s.Registros50Cancelados > 0)
            r += "  Registros 50 de notas canceladas ou denegadas (fora dos totais): " +
                 std::to_string(s.Registros50Cancelados) + "\n";
    }
    if (!s.VendaPorImpressora.empty()) {
        r += "\nCupons fiscais: venda bruta por impressora\n";
        r += "  " + Coluna("Impressora", 22) + Coluna("Reduções Z", 11, true) + Coluna("Venda bruta", 18, true) +
             Coluna("Totalizador geral", 20, true) + "\n";
        for (const auto& [serie, t] : s.VendaPorImpressora)
            r += "  " + Coluna(serie, 22) + Coluna(std::to_string(t.Reducoes), 11, true) +
                 Coluna(FormataCentavos(t.VendaBruta), 18, true) + Coluna(FormataCentavos(t.GrandeTotal), 20, true) +
                 "\n";
    }
    if (!s.ECFPorAliquota.empty()) {
        r += "\nCupons fiscais: totais por alíquota (registros 60A)\n";
        for (const auto& [codigo, v] : s.ECFPorAliquota)
            r += "  " + Coluna(codigo, 8) + Coluna(FormataCentavos(v), 18, true) + "\n";
    }
    return r;
}

std::string ResumoCSV(const Resumo& s) {
    std::string r = "Quadro;Chave;Registros;Valor;Base ICMS;ICMS;Isentas;Outras\n";
    r += "Linhas;;" + std::to_string(s.Linhas) + ";;;;;\n";
    for (const auto& [tipo, n] : s.RegistrosPorTipo) r += "Registros por tipo;" + tipo + ";" + std::to_string(n) + ";;;;;\n";
    auto totais = [&](const char* quadro, const std::map<std::string, Totais50>& m) {
        for (const auto& [c, t] : m)
            r += std::string(quadro) + ";" + CampoCSV(c) + ";" + std::to_string(t.Registros) + ";" +
                 FormataCentavos(t.Valor) + ";" + FormataCentavos(t.Base) + ";" + FormataCentavos(t.ICMS) + ";" +
                 FormataCentavos(t.Isenta) + ";" + FormataCentavos(t.Outras) + "\n";
    };
    totais("Registros 50 por CFOP", s.Registros50PorCFOP);
    totais("Registros 50 por alíquota", s.Registros50PorAliquota);
    if (s.Registros50Cancelados > 0)
        r += "Registros 50 cancelados;;" + std::to_string(s.Registros50Cancelados) + ";;;;;\n";
    for (const auto& [serie, t] : s.VendaPorImpressora)
        r += "Venda bruta por impressora;" + CampoCSV(serie) + ";" + std::to_string(t.Reducoes) + ";" +
             FormataCentavos(t.VendaBruta) + ";;;;\n";
    for (const auto& [codigo, v] : s.ECFPorAliquota)
        r += "ECF por alíquota;" + CampoCSV(codigo) + ";;" + FormataCentavos(v) + ";;;;\n";
    return r;
}

}  // namespace verificacao
