#include "Assinatura.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct LiberaBio {
    void operator()(BIO* b) const { BIO_free(b); }
};
struct LiberaChave {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct LiberaContexto {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

using Chave = std::unique_ptr<EVP_PKEY, LiberaChave>;

Chave LeChave(const std::string& pem, bool privada) {
    std::unique_ptr<BIO, LiberaBio> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    EVP_PKEY* k = privada ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr)
                          : PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr);
    if (!k) throw std::runtime_error(privada ? "chave privada inválida" : "chave pública inválida");
    return Chave(k);
}

std::string Hex(const unsigned char* p, std::size_t n) {
    static const char digitos[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        s += digitos[p[i] >> 4];
        s += digitos[p[i] & 15];
    }
    return s;
}

bool DeHex(const std::string& s, std::vector<unsigned char>& saida) {
    if (s.size() % 2) return false;
    auto valor = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const int a = valor(s[i]), b = valor(s[i + 1]);
        if (a < 0 || b < 0) return false;
        saida.push_back(static_cast<unsigned char>(a * 16 + b));
    }
    return true;
}

}  // namespace

std::string AssinaHex(const std::string& conteudo, const std::string& chavePrivadaPem) {
    const Chave chave = LeChave(chavePrivadaPem, true);
    std::unique_ptr<EVP_MD_CTX, LiberaContexto> ctx(EVP_MD_CTX_new());
    std::size_t tamanho = 0;
    if (EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, chave.get()) != 1 ||
        EVP_DigestSign(ctx.get(), nullptr, &tamanho,
                       reinterpret_cast<const unsigned char*>(conteudo.data()), conteudo.size()) != 1)
        throw std::runtime_error("falha ao assinar");
    std::vector<unsigned char> assinatura(tamanho);
    if (EVP_DigestSign(ctx.get(), assinatura.data(), &tamanho,
                       reinterpret_cast<const unsigned char*>(conteudo.data()), conteudo.size()) != 1)
        throw std::runtime_error("falha ao assinar");
    return Hex(assinatura.data(), tamanho);
}

ResultadoVerificacao VerificaEAD(const std::string& conteudo, const std::string& chavePublicaPem) {
    // The EAD line is the last line of the file.
    if (conteudo.size() < 2 || conteudo.compare(conteudo.size() - 2, 2, "\r\n") != 0)
        return ResultadoVerificacao::SemRegistroEAD;
    const auto inicio = conteudo.rfind("\r\n", conteudo.size() - 3);
    const std::size_t inicioLinha = inicio == std::string::npos ? 0 : inicio + 2;
    const std::string linha = conteudo.substr(inicioLinha, conteudo.size() - 2 - inicioLinha);
    if (linha.compare(0, 3, "EAD") != 0) return ResultadoVerificacao::SemRegistroEAD;
    std::vector<unsigned char> assinatura;
    if (!DeHex(linha.substr(3), assinatura)) return ResultadoVerificacao::Invalida;
    const Chave chave = LeChave(chavePublicaPem, false);
    std::unique_ptr<EVP_MD_CTX, LiberaContexto> ctx(EVP_MD_CTX_new());
    if (EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, chave.get()) != 1)
        return ResultadoVerificacao::Invalida;
    const int r = EVP_DigestVerify(ctx.get(), assinatura.data(), assinatura.size(),
                                   reinterpret_cast<const unsigned char*>(conteudo.data()), inicioLinha);
    return r == 1 ? ResultadoVerificacao::Valida : ResultadoVerificacao::Invalida;
}
