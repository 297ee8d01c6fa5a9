#include "Regras.h"

#include "Campos.h"
#include "Sintegra.h"

#include <charconv>
#include <cmath>

std::string Apara(const std::string& s) {
    const auto i = s.find_first_not_of(' ');
    if (i == std::string::npos) return {};
    return s.substr(i, s.find_last_not_of(' ') - i + 1);
}

bool ModeloDois(const std::string& modeloDoc) {
    return Apara(modeloDoc) == "2" || modeloDoc == "02";
}

std::string SerieDocumento(const std::string& serieDoc) {
    std::string serie = Apara(serieDoc);
    if (serie == "M1" || serie == "NB") serie.clear();
    return serie;
}

bool SituacaoSemAliquota(const std::string& situacao) {
    return situacao == "040" || situacao == "041" || situacao == "060";
}

bool CFOPVendaJaEmECF(const std::string& cfop) { return cfop == "5929" || cfop == "6929"; }

std::string CodigoModeloDocumento(const std::string& modeloDoc, bool terceiroNulo,
                                  const std::string& modeloTerceiro) {
    const std::string terceiro = Apara(modeloTerceiro);
    return terceiroNulo || terceiro == "NB" ? modeloDoc : terceiro;
}

std::string CompletaZeros(double numero, int largura, int decimais) {
    char texto[64];
    std::snprintf(texto, sizeof texto, "%.*f", decimais, numero);
    std::string s = Apara(texto);
    if (static_cast<int>(s.size()) < largura) s.insert(0, static_cast<std::size_t>(largura) - s.size(), '0');
    return s;
}

bool ModeloDocumento(const std::string& codigo, std::string& modelo) {
    std::string c = codigo;
    if (c == "1A" || c == "1B" || c == "2D") c = "1";
    else if (c == "D2") c = "2";
    double n;
    const auto r = std::from_chars(c.data(), c.data() + c.size(), n);
    if (c.empty() || r.ec != std::errc() || r.ptr != c.data() + c.size()) return false;
    modelo = CompletaZeros(n, 2, 0);
    return true;
}

bool LeInteiro(const std::string& texto, long long& valor) {
    const std::string t = Apara(texto);
    const auto r = std::from_chars(t.data(), t.data() + t.size(), valor);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

std::string CodigoAliquotaECF(const std::string& situacao, double aliquota, VarianteAliquota variante) {
    const std::string s = situacao.size() > 1 ? situacao.substr(1, 2) : std::string();
    if (s == "30" || s == "40") return "I";
    if (s == "41") return variante == VarianteAliquota::Registro60DI ? "N" : "I";
    if (s == "10" || s == "60" || s == "70") return "F";
    // The rate to the hundredth, without separator or sign, in four digits.
    char digitos[sintegra::TamanhoDigitosValor];
    const int n = sintegra::DigitosValor(aliquota, 2, digitos);
    return sintegra::AlinhaDireita(sintegra::RemovePontuacao(std::string(digitos, static_cast<std::size_t>(n))), 4, '0');
}
