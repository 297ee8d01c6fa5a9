#include "Verificacao.h"

#include "Codigos.h"
#include "Identidades.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>

namespace verificacao {

const char* TextoNivel(Nivel n) { return n == Nivel::Erro ? "ERRO" : "AVISO"; }

namespace {

constexpr std::size_t Largura = 126;
// A line longer than this is not kept whole: its length is all that matters.
constexpr std::size_t LimiteLinha = 4096;

enum Tipo : std::uint8_t {
    T10, T11, T50, T51, T53, T54, T55, T56, T57, T60M, T60A, T60D, T60I, T60R, T61, T61R,
    T70, T71, T74, T75, T76, T77, T85, T86, T88SF, T88EC, T88SME, T88SMS, T88Outro, T90,
    TDesconhecido, QtdTipos
};

struct InfoTipo {
    const char* nome;
    int grupo;  // the two-digit type: the order of the file and the totals of record 90
};
constexpr InfoTipo Infos[QtdTipos] = {
    {"10", 10},  {"11", 11},  {"50", 50},    {"51", 51},    {"53", 53},    {"54", 54},
    {"55", 55},  {"56", 56},  {"57", 57},    {"60M", 60},   {"60A", 60},   {"60D", 60},
    {"60I", 60}, {"60R", 60}, {"61", 61},    {"61R", 61},   {"70", 70},    {"71", 71},
    {"74", 74},  {"75", 75},  {"76", 76},    {"77", 77},    {"85", 85},    {"86", 86},
    {"88SF", 88}, {"88EC", 88}, {"88SME", 88}, {"88SMS", 88}, {"88", 88},   {"90", 90},
    {"", 0},
};

// Where in the suite the values of each record come from: the end of "corrija ...".
const char* Origem(Tipo t) {
    switch (t) {
        case T10: case T88SF: case T88SME: case T88SMS: case T90: return "no cadastro da empresa";
        case T11: return "no endereço do cadastro da empresa";
        case T50: return "na nota fiscal (movimento) ou no cadastro do cliente/fornecedor";
        case T54: return "nos itens da nota fiscal";
        case T60M: case T60A: return "na redução Z da impressora fiscal (janela de Reduções Z)";
        case T60D: case T60I: case T60R: return "nos cupons fiscais e seus itens";
        case T61: case T61R: return "nas notas fiscais de venda a consumidor (modelo 2)";
        case T74: return "no estoque do produto";
        case T75: return "no cadastro do produto";
        case T88EC: return "no cadastro do contador da empresa";
        default: return "no movimento que gerou este registro";
    }
}

const std::string GereDeNovo =
    "Gere o arquivo de novo pelo PRAXO Sintegra e não o edite nem o converta depois de gerado.";

// Byte classes: 0 ordinary, 1 control character, 2 undefined in Windows-1252.
const std::array<std::uint8_t, 256> ClasseByte = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 32; ++c) t[c] = 1;
    t[0x7F] = 1;
    for (int c = 0x80; c < 0x100; ++c)
        if (ByteIndefinido(static_cast<unsigned char>(c))) t[c] = 2;
    return t;
}();

bool Digitos(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

bool Brancos(std::string_view s) {
    for (char c : s)
        if (c != ' ') return false;
    return true;
}

bool Zeros(std::string_view s) {
    for (char c : s)
        if (c != '0') return false;
    return true;
}

std::int64_t Inteiro(std::string_view s) {
    std::int64_t n = 0;
    for (char c : s) n = n * 10 + (c - '0');
    return n;
}

std::string_view Aparado(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return s;
}

bool Bissexto(int a) { return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0; }
int DiasDoMes(int a, int m) {
    static constexpr int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && Bissexto(a) ? 29 : d[m - 1];
}

// AAAAMMDD → the number AAAAMMDD when it is a real date, 0 otherwise.
int DataReal(std::string_view s) {
    if (s.size() != 8 || !Digitos(s)) return 0;
    const int a = static_cast<int>(Inteiro(s.substr(0, 4))), m = static_cast<int>(Inteiro(s.substr(4, 2))),
              d = static_cast<int>(Inteiro(s.substr(6, 2)));
    if (a < 1900 || m < 1 || m > 12 || d < 1 || d > DiasDoMes(a, m)) return 0;
    return a * 10000 + m * 100 + d;
}

std::string DataTexto(int d) {
    char t[16];
    std::snprintf(t, sizeof t, "%02d/%02d/%04d", d % 100, d / 100 % 100, d / 10000);
    return t;
}

std::uint64_t Hash(std::string_view s, std::uint64_t h = 1469598103934665603ull) {
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// Product codes are short: a hash of their bytes read eight at a time, and
// lookups by the field itself, without making a string of it.
struct HashCodigo {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const {
        std::uint64_t h = s.size() * 0x9E3779B97F4A7C15ull;
        while (s.size() >= 8) {
            std::uint64_t bloco;
            std::memcpy(&bloco, s.data(), 8);
            h = (h ^ bloco) * 0xBF58476D1CE4E5B9ull;
            h ^= h >> 31;
            s.remove_prefix(8);
        }
        std::uint64_t resto = 0;
        std::memcpy(&resto, s.data(), s.size());
        h = (h ^ resto) * 0x94D049BB133111EBull;
        return h ^ (h >> 29);
    }
};
struct IgualCodigo {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

std::string Citado(std::string_view s) { return "\"" + ParaUTF8(Aparado(s)) + "\""; }

// The ECF's code of a tax situation or rate: four digits, or F, I, N, CANC,
// DESC, ISS left-aligned in four characters.
bool CodigoAliquotaECF(std::string_view s) {
    if (Digitos(s)) return true;
    return s == "F   " || s == "I   " || s == "N   " || s == "CANC" || s == "DESC" || s == "ISS ";
}

bool ModeloECF(std::string_view s) { return s == "2B" || s == "2C" || s == "2D"; }

bool ModeloNota(std::string_view s) {
    return s == "01" || s == "03" || s == "04" || s == "06" || s == "21" || s == "22" || s == "55";
}

bool ModeloResumo(std::string_view s) {
    return s == "02" || s == "04" || s == "13" || s == "14" || s == "15" || s == "16" || s == "18";
}

std::string Aliquota(std::string_view quatro) {
    return std::to_string(Inteiro(quatro.substr(0, 2))) + "," + std::string(quatro.substr(2, 2));
}

}  // namespace

struct TVerificadorSintegra::Estado {
    Receptor receptor;
    Resumo resumo;
    Contagem contagem;
    bool terminado = false;

    // The line being assembled across pieces.
    std::string parcial;
    std::size_t tamanhoParcial = 0;
    char ultimoByteParcial = 0;

    // The line being checked.
    std::uint64_t linha = 0;
    std::string_view l;
    Tipo tipo = TDesconhecido;
    std::string ultimoCNPJValido;

    // Order of the file.
    int ultimoGrupo = 0;
    Tipo ultimoTipo = TDesconhecido;  // of the highest type so far
    Tipo tipoUltimaLinha = TDesconhecido;
    // The PAF-ECF signature line "EAD..." that the maker's library appends
    // after the record 90: not a record of the layout, and not counted.
    std::uint64_t linhaAssinatura = 0;
    std::array<std::uint64_t, QtdTipos> porTipo{};
    std::array<std::uint64_t, 100> porGrupo{};

    // Record 10.
    bool periodo = false;
    int dataInicial = 0, dataFinal = 0;
    std::string cnpj10, ie10, uf10;

    // Records 50 by document key, for their 54.
    struct Documento {
        std::int64_t valor50 = 0, itens = 0;
        std::uint64_t linha50 = 0;
        int data = 0;
        bool temItens = false;
        bool temFrete = false;
    };
    std::unordered_map<std::uint64_t, Documento> documentos;
    bool saidas50 = false, entradas50 = false;

    // Product codes in use and their records 75.
    struct Uso {
        int primeiro = 0, ultimo = 0;  // dates of use; 0 when unknown
        std::uint64_t linhaUso = 0;    // first line that uses it
        Tipo tipoUso = TDesconhecido;
        std::uint32_t qtd75 = 0;
        int inicio75 = 0, fim75 = 0;
        std::uint64_t linha75 = 0;
        bool avisado = false;
    };
    std::unordered_map<std::string, Uso, HashCodigo, IgualCodigo> produtos;

    // The printer day opened by the last 60M.
    bool grupoECF = false;
    std::string serieECF;
    int dataECF = 0;
    std::uint64_t linha60M = 0;
    std::int64_t vendaBruta = 0, soma60A = 0;
    bool tem60A = false;

    // Records 90.
    std::uint64_t linhas90 = 0;
    std::vector<std::pair<std::uint64_t, int>> declaracoes90;  // line, its count in position 126
    struct Total90 {
        std::uint64_t total = 0, linha = 0;
    };
    std::map<int, Total90> totais90;

    std::vector<Achado> finais;  // rules across records, told at the end in line order

    // ---------------------------------------------------------------- findings

    void Emite(Achado a) {
        if (a.NivelAchado == Nivel::Erro) ++contagem.Erros;
        else ++contagem.Avisos;
        if (receptor) receptor(a);
    }

    void Acha(Nivel n, std::string campo, int inicio, int fim, std::string mensagem) {
        Emite({linha, Infos[tipo].nome, std::move(campo), inicio, fim, n, std::move(mensagem)});
    }
    void Erro(std::string campo, int inicio, int fim, std::string mensagem) {
        Acha(Nivel::Erro, std::move(campo), inicio, fim, std::move(mensagem));
    }
    void Aviso(std::string campo, int inicio, int fim, std::string mensagem) {
        Acha(Nivel::Aviso, std::move(campo), inicio, fim, std::move(mensagem));
    }
    void Final(std::uint64_t naLinha, Tipo t, std::string campo, int inicio, int fim, Nivel n,
               std::string mensagem) {
        finais.push_back({naLinha, Infos[t].nome, std::move(campo), inicio, fim, n, std::move(mensagem)});
    }

    std::string_view C(int inicio, int fim) const {
        return l.substr(static_cast<std::size_t>(inicio - 1), static_cast<std::size_t>(fim - inicio + 1));
    }

    std::string Corrija() const { return std::string("Corrija ") + Origem(tipo); }

    // ------------------------------------------------------------ field rules

    bool Numerico(const char* campo, int inicio, int fim) {
        if (Digitos(C(inicio, fim))) return true;
        Erro(campo, inicio, fim,
             std::string("O campo ") + campo + " deve ter só algarismos e tem " + Citado(C(inicio, fim)) + ". " +
                 Corrija() + ".");
        return false;
    }

    void EmBranco(const char* campo, int inicio, int fim) {
        if (!Brancos(C(inicio, fim)))
            Aviso(campo, inicio, fim,
                  std::string("As posições ") + std::to_string(inicio) + " a " + std::to_string(fim) +
                      " devem estar em branco e têm " + Citado(C(inicio, fim)) + ". " + GereDeNovo);
    }

    // A real date; 0 (and a finding) when it is not one.
    int Data(const char* campo, int inicio, int fim) {
        const int d = DataReal(C(inicio, fim));
        if (d == 0)
            Erro(campo, inicio, fim,
                 std::string("O campo ") + campo + " deve ser uma data real na forma AAAAMMDD e tem " +
                     Citado(C(inicio, fim)) + ". " + Corrija() + ".");
        return d;
    }

    void DataNoPeriodo(const char* campo, int inicio, int fim, int d) {
        if (!periodo || d == 0 || (d >= dataInicial && d <= dataFinal)) return;
        Erro(campo, inicio, fim,
             std::string("A data ") + DataTexto(d) + " está fora do período do arquivo (" + DataTexto(dataInicial) +
                 " a " + DataTexto(dataFinal) + "). " + Corrija() + " ou gere o arquivo do mês dessa data.");
    }

    // A month and year (MM and AAAA) in the period; returns the first and last day.
    std::pair<int, int> MesNoPeriodo(const char* campo, int inicio, int fim, std::string_view mes,
                                     std::string_view ano) {
        if (!Digitos(mes) || !Digitos(ano)) {
            Erro(campo, inicio, fim,
                 std::string("O campo ") + campo + " deve ter só algarismos e tem " + Citado(C(inicio, fim)) +
                     ". " + Corrija() + ".");
            return {0, 0};
        }
        const int m = static_cast<int>(Inteiro(mes)), a = static_cast<int>(Inteiro(ano));
        if (m < 1 || m > 12 || a < 1900) {
            Erro(campo, inicio, fim,
                 std::string("O campo ") + campo + " não é um mês real: " + Citado(C(inicio, fim)) + ". " +
                     Corrija() + ".");
            return {0, 0};
        }
        int primeiro = a * 10000 + m * 100 + 1, ultimo = a * 10000 + m * 100 + DiasDoMes(a, m);
        if (periodo) {
            if (ultimo < dataInicial || primeiro > dataFinal) {
                Erro(campo, inicio, fim,
                     std::string("O mês ") + Citado(C(inicio, fim)) + " está fora do período do arquivo (" +
                         DataTexto(dataInicial) + " a " + DataTexto(dataFinal) + "). " + Corrija() + ".");
                return {0, 0};
            }
            primeiro = std::max(primeiro, dataInicial);
            ultimo = std::min(ultimo, dataFinal);
        }
        return {primeiro, ultimo};
    }

    // CNPJ, or a CPF preceded by three zeros. Zeros alone only where allowed.
    void CNPJouCPF(const char* campo, int inicio, int fim, bool zerosPermitidos) {
        const std::string_view v = C(inicio, fim);
        if (!Numerico(campo, inicio, fim)) return;
        if (Zeros(v)) {
            if (!zerosPermitidos)
                Erro(campo, inicio, fim,
                     std::string("O ") + campo + " não foi informado (só zeros). " + Corrija() + ".");
            return;
        }
        // Notes and items repeat the same few numbers: the last good one is remembered.
        if (v == ultimoCNPJValido) return;
        if (CNPJValido(v) || (v.substr(0, 3) == "000" && CPFValido(v.substr(3)))) {
            ultimoCNPJValido = v;
            return;
        }
        Erro(campo, inicio, fim,
             std::string("O CNPJ/CPF ") + Citado(v) + " tem dígitos verificadores inválidos. " + Corrija() + ".");
    }

    void InscricaoEstadual(const char* campo, int inicio, int fim, std::string_view uf) {
        const std::string_view v = C(inicio, fim);
        if (Brancos(v)) {
            Erro(campo, inicio, fim,
                 std::string("A Inscrição Estadual está em branco. ") + Corrija() + "." +
                     ": informe a inscrição, ou ISENTO para quem não tem.");
            return;
        }
        switch (ConfereInscricaoEstadual(uf, v)) {
            case ResultadoIE::Valida:
            case ResultadoIE::Isento:
            case ResultadoIE::UFDesconhecida:  // the UF itself is the finding
                return;
            case ResultadoIE::FormaInvalida:
                Erro(campo, inicio, fim,
                     "A Inscrição Estadual " + Citado(v) + " não tem a forma das inscrições de " +
                         std::string(uf) + ". " + Corrija() + ": informe a inscrição, ou ISENTO para quem não tem.");
                return;
            case ResultadoIE::DigitoInvalido:
                Erro(campo, inicio, fim,
                     "A Inscrição Estadual " + Citado(v) + " tem dígito verificador inválido para " +
                         std::string(uf) + ". " + Corrija() + ".");
                return;
        }
    }

    bool UF(const char* campo, int inicio, int fim, bool exteriorPermitido) {
        const std::string_view v = C(inicio, fim);
        if (UFValida(v) || (exteriorPermitido && v == "EX")) return true;
        Erro(campo, inicio, fim, "A UF " + Citado(v) + " não é a sigla de um estado. " + Corrija() + ".");
        return false;
    }

    void CFOPExistente(const char* campo, int inicio, int fim) {
        const std::string_view v = C(inicio, fim);
        if (Digitos(v) && !CFOPExiste(v))
            Erro(campo, inicio, fim,
                 "O CFOP " + Citado(v) + " não existe na tabela de CFOP. " + Corrija() + ".");
    }

    void UsaProduto(const char* campo, int inicio, int fim, int primeiro, int ultimo) {
        const std::string_view codigo = C(inicio, fim);
        if (Brancos(codigo)) {
            Erro(campo, inicio, fim, "O código do produto está em branco. " + Corrija() + ".");
            return;
        }
        auto it = produtos.find(codigo);
        if (it == produtos.end()) {
            it = produtos.try_emplace(std::string(codigo)).first;
            it->second.linhaUso = linha;
            it->second.tipoUso = tipo;
        }
        Uso& u = it->second;
        if (primeiro != 0) {
            u.primeiro = u.primeiro == 0 ? primeiro : std::min(u.primeiro, primeiro);
            u.ultimo = std::max(u.ultimo, ultimo);
        }
        // A record 75 already read (the file is out of order) is checked at once.
        if (u.qtd75 > 0 && primeiro != 0 && !u.avisado && (primeiro < u.inicio75 || ultimo > u.fim75)) {
            u.avisado = true;
            Erro(campo, inicio, fim,
                 "O produto " + Citado(codigo) + " é usado em " + DataTexto(primeiro) +
                     ", fora das datas do seu registro 75 (linha " + std::to_string(u.linha75) +
                     "). Gere o arquivo de novo pelo PRAXO Sintegra.");
        }
    }

    // ------------------------------------------------------------ the records

    void Registro10() {
        CNPJouCPF("CNPJ", 3, 16, false);
        const bool ufOk = UF("UF", 96, 97, false);
        if (ufOk) InscricaoEstadual("Inscrição Estadual", 17, 30, C(96, 97));
        Numerico("Fax", 98, 107);
        const int inicial = Data("Data inicial", 108, 115), final_ = Data("Data final", 116, 123);
        if (inicial && final_) {
            const bool primeiroDia = inicial % 100 == 1;
            const bool ultimoDia = final_ % 100 == DiasDoMes(final_ / 10000, final_ / 100 % 100);
            if (inicial / 100 != final_ / 100 || !primeiroDia || !ultimoDia)
                Erro("Data inicial/Data final", 108, 123,
                     "O período " + DataTexto(inicial) + " a " + DataTexto(final_) +
                         " não é um mês inteiro (do primeiro ao último dia). Gere o arquivo de um mês.");
            if (inicial <= final_) {
                periodo = true;
                dataInicial = inicial;
                dataFinal = final_;
            }
        }
        if (C(124, 124) != "1" && C(124, 124) != "2" && C(124, 124) != "3")
            Erro("Código da identificação da estrutura do arquivo", 124, 124,
                 "O código da estrutura do arquivo deve ser 1, 2 ou 3. " + GereDeNovo);
        if (C(125, 125) != "1" && C(125, 125) != "2" && C(125, 125) != "3")
            Erro("Código da natureza das operações informadas", 125, 125,
                 "O código da natureza das operações deve ser 1, 2 ou 3. " + GereDeNovo);
        const std::string_view f = C(126, 126);
        if (f != "1" && f != "2" && f != "3" && f != "5")
            Erro("Código da finalidade do arquivo", 126, 126,
                 "O código da finalidade do arquivo deve ser 1, 2, 3 ou 5. " + GereDeNovo);
        cnpj10 = C(3, 16);
        ie10 = C(17, 30);
        uf10 = C(96, 97);
        resumo.CNPJ = cnpj10;
        resumo.RazaoSocial = ParaUTF8(Aparado(C(31, 65)));
        resumo.UF = uf10;
        resumo.DataInicial = C(108, 115);
        resumo.DataFinal = C(116, 123);
    }

    void Registro11() {
        Numerico("Número", 37, 41);
        const std::string_view cep = C(79, 86);
        if (!Digitos(cep) || Zeros(cep))
            Erro("CEP", 79, 86,
                 "O CEP " + Citado(cep) + " deve ter 8 algarismos, sem hífen. Corrija o CEP no cadastro da empresa.");
        else if (UFValida(uf10) && !CEPDaUF(cep, uf10))
            Aviso("CEP", 79, 86,
                  "O CEP " + Citado(cep) + " não é de " + uf10 + ", a UF do registro 10. Confira o CEP e a cidade "
                  "no cadastro da empresa.");
        Numerico("Telefone", 115, 126);
    }

    void Registro50() {
        const std::string_view uf = C(39, 40);
        const bool exterior = uf == "EX";
        CNPJouCPF("CNPJ", 3, 16, exterior);
        const bool ufOk = UF("UF", 39, 40, true);
        if (ufOk && !exterior) InscricaoEstadual("Inscrição Estadual", 17, 30, uf);
        const int d = Data("Data de emissão ou recebimento", 31, 38);
        DataNoPeriodo("Data de emissão ou recebimento", 31, 38, d);
        if (!ModeloNota(C(41, 42)))
            Erro("Modelo", 41, 42,
                 "O modelo " + Citado(C(41, 42)) + " não é um modelo de nota fiscal do registro 50 (01, 03, 04, 06, "
                 "21, 22 ou 55). " + Corrija() + ".");
        Numerico("Número", 46, 51);
        const std::string_view cfop = C(52, 55);
        const std::string_view emitente = C(56, 56);
        if (Numerico("CFOP", 52, 55)) {
            CFOPExistente("CFOP", 52, 55);
            const char direcao = cfop[0];
            const bool saida = direcao >= '5';
            if (emitente == "T" && saida)
                Erro("CFOP", 52, 55,
                     "O CFOP " + Citado(cfop) + " é de saída, mas a nota é de terceiros (entrada). " + Corrija() + "." +
                         ": uma entrada usa CFOP começado por 1, 2 ou 3.");
            // The company may issue a note of its own for an entry, so this is only probably wrong.
            if (emitente == "P" && !saida)
                Aviso("CFOP", 52, 55,
                      "O CFOP " + Citado(cfop) + " é de entrada numa nota de emissão própria. Confira se a nota é "
                      "mesmo uma entrada emitida pela empresa; se for uma saída, corrija o CFOP na nota fiscal.");
            if (ufOk && UFValida(uf10)) {
                const bool mesmoEstado = direcao == '1' || direcao == '5';
                const bool outroEstado = direcao == '2' || direcao == '6';
                const bool doExterior = direcao == '3' || direcao == '7';
                std::string esperado;
                if (mesmoEstado && uf != uf10) esperado = "começado por 2 ou 6 (outro estado)";
                if (outroEstado && (uf == uf10 || exterior))
                    esperado = exterior ? "começado por 3 ou 7 (exterior)" : "começado por 1 ou 5 (dentro do estado)";
                if (doExterior && !exterior)
                    esperado = uf == uf10 ? "começado por 1 ou 5 (dentro do estado)" : "começado por 2 ou 6 (outro estado)";
                if (!esperado.empty())
                    Erro("CFOP", 52, 55,
                         "O CFOP " + Citado(cfop) + " não combina com a UF " + Citado(uf) + " do cliente/fornecedor "
                         "(empresa em " + uf10 + "): o CFOP deveria ser " + esperado + ". " + Corrija() + ".");
            }
            if (saida) saidas50 = true;
            else entradas50 = true;
        }
        if (emitente != "P" && emitente != "T")
            Erro("Emitente", 56, 56,
                 "O emitente deve ser P (emissão própria) ou T (terceiros) e é " + Citado(emitente) + ". " + GereDeNovo);
        bool valores = true;
        valores &= Numerico("Valor total", 57, 69);
        valores &= Numerico("Base de cálculo do ICMS", 70, 82);
        valores &= Numerico("Valor do ICMS", 83, 95);
        valores &= Numerico("Isenta ou não tributada", 96, 108);
        valores &= Numerico("Outras", 109, 121);
        valores &= Numerico("Alíquota", 122, 125);
        const std::string_view situacao = C(126, 126);
        if (situacao.find_first_of("NSEX24") == std::string_view::npos || situacao == " ")
            Erro("Situação", 126, 126,
                 "A situação da nota deve ser N, S, E, X, 2 ou 4 e é " + Citado(situacao) + ". " + Corrija() + ".");
        if (!valores) return;

        const std::int64_t valor = Inteiro(C(57, 69));
        auto& doc = documentos[Hash(C(3, 16), Hash(C(41, 51), Hash(cfop)))];
        if (doc.linha50 == 0) {
            doc.linha50 = linha;
            doc.data = d;
        }
        doc.valor50 += valor;

        if (situacao == "N" || situacao == "E") {
            for (Totais50* t : {&resumo.Registros50PorCFOP[std::string(cfop)],
                                &resumo.Registros50PorAliquota[Aliquota(C(122, 125))]}) {
                ++t->Registros;
                t->Valor += valor;
                t->Base += Inteiro(C(70, 82));
                t->ICMS += Inteiro(C(83, 95));
                t->Isenta += Inteiro(C(96, 108));
                t->Outras += Inteiro(C(109, 121));
            }
        } else {
            ++resumo.Registros50Cancelados;
        }
    }

    void Registro54() {
        const std::string_view cnpj = C(3, 16);
        if (!Zeros(cnpj)) CNPJouCPF("CNPJ", 3, 16, true);
        if (!ModeloNota(C(17, 18)))
            Erro("Modelo", 17, 18,
                 "O modelo " + Citado(C(17, 18)) + " não é um modelo de nota fiscal do registro 54. " + Corrija() + ".");
        Numerico("Número", 22, 27);
        if (Numerico("CFOP", 28, 31)) CFOPExistente("CFOP", 28, 31);
        int item = 0;
        if (Numerico("Número do item", 35, 37)) {
            item = static_cast<int>(Inteiro(C(35, 37)));
            if (item == 0) Erro("Número do item", 35, 37, "O número do item não pode ser 000. " + GereDeNovo);
        }
        bool valores = true;
        valores &= Numerico("Quantidade", 52, 62);
        valores &= Numerico("Valor do produto", 63, 74);
        valores &= Numerico("Valor do desconto ou despesa acessória", 75, 86);
        Numerico("Base de cálculo do ICMS", 87, 98);
        Numerico("Base de cálculo do ICMS de substituição tributária", 99, 110);
        valores &= Numerico("Valor do IPI", 111, 122);
        Numerico("Alíquota do ICMS", 123, 126);

        const bool despesa = item >= 991;  // freight, insurance and other charges of the note
        const auto it = documentos.find(Hash(cnpj, Hash(C(17, 27), Hash(C(28, 31)))));
        const int data = it == documentos.end() ? 0 : it->second.data;
        if (!despesa) UsaProduto("Código do produto ou serviço", 38, 51, data, data);
        if (it == documentos.end()) {
            Erro("CNPJ/Modelo/Série/Número/CFOP", 3, 31,
                 "Este item não tem o registro 50 da sua nota (CNPJ " + Citado(cnpj) + ", modelo " + Citado(C(17, 18)) +
                     ", série " + Citado(C(19, 21)) + ", número " + Citado(C(22, 27)) + ", CFOP " + Citado(C(28, 31)) +
                     "). Confira o CFOP, a série e o modelo da nota e dos seus itens no movimento.");
            return;
        }
        if (!valores) return;
        auto& doc = it->second;
        doc.temItens = true;
        if (despesa) {
            doc.itens += Inteiro(C(75, 86));
            doc.temFrete = true;
        } else {
            // The note's total holds the items less their discounts, plus their IPI.
            doc.itens += Inteiro(C(63, 74)) - Inteiro(C(75, 86)) + Inteiro(C(111, 122));
        }
    }

    // The printer day that a 60A, 60D or 60I belongs to.
    void NoDiaDaImpressora(int data) {
        const std::string_view serie = C(12, 31);
        if (grupoECF && serie == serieECF && data == dataECF) return;
        Erro("Número de série de fabricação", 12, 31,
             std::string("O registro ") + Infos[tipo].nome + " não vem depois de um registro 60M da mesma impressora " +
                 Citado(serie) + " e do mesmo dia. Confira se há redução Z digitada para essa impressora nesse dia " +
                 "(janela de Reduções Z).");
    }

    void FechaDiaECF() {
        if (!grupoECF) return;
        grupoECF = false;
        if (tem60A && std::llabs(soma60A - vendaBruta) > 1)
            Emite({linha60M, "60M", "Venda bruta diária", 58, 73, Nivel::Aviso,
                   "A venda bruta da redução Z (" + FormataCentavos(vendaBruta) +
                       ") difere da soma dos seus totalizadores 60A (" + FormataCentavos(soma60A) +
                       "). Confira os totais por alíquota da redução Z (janela de Reduções Z)."});
    }

    void Registro60M() {
        const int d = Data("Data de emissão", 4, 11);
        DataNoPeriodo("Data de emissão", 4, 11, d);
        if (Brancos(C(12, 31)))
            Erro("Número de série de fabricação", 12, 31, "O número de série da impressora está em branco. " +
                                                               Corrija() + ".");
        Numerico("Número de ordem sequencial do equipamento", 32, 34);
        if (!ModeloECF(C(35, 36)))
            Erro("Modelo do documento fiscal", 35, 36,
                 "O modelo " + Citado(C(35, 36)) + " não é um modelo de cupom fiscal (2B, 2C ou 2D). " + GereDeNovo);
        const bool coo = Numerico("Contador de ordem de operação no início do dia", 37, 42) &
                         Numerico("Contador de ordem de operação no fim do dia", 43, 48);
        Numerico("Contador de redução Z", 49, 54);
        Numerico("Contador de reinício de operação", 55, 57);
        const bool vb = Numerico("Venda bruta diária", 58, 73);
        const bool gt = Numerico("Totalizador geral", 74, 89);
        EmBranco("Brancos", 90, 126);
        if (coo && Inteiro(C(43, 48)) < Inteiro(C(37, 42)))
            Aviso("Contador de ordem de operação no fim do dia", 43, 48,
                  "O contador de ordem de operação do fim do dia é menor que o do início. " + Corrija() + ".");
        grupoECF = true;
        serieECF = C(12, 31);
        dataECF = d;
        linha60M = linha;
        vendaBruta = vb ? Inteiro(C(58, 73)) : 0;
        soma60A = 0;
        tem60A = false;
        auto& imp = resumo.VendaPorImpressora[ParaUTF8(Aparado(C(12, 31)))];
        ++imp.Reducoes;
        imp.VendaBruta += vendaBruta;
        if (gt) imp.GrandeTotal = Inteiro(C(74, 89));
    }

    void Registro60A() {
        const int d = Data("Data de emissão", 4, 11);
        DataNoPeriodo("Data de emissão", 4, 11, d);
        NoDiaDaImpressora(d);
        const std::string_view codigo = C(32, 35);
        if (!CodigoAliquotaECF(codigo))
            Erro("Situação tributária ou alíquota", 32, 35,
                 "O totalizador " + Citado(codigo) + " não é uma alíquota de 4 algarismos nem F, I, N, CANC, DESC ou "
                 "ISS. " + Corrija() + ".");
        if (Numerico("Valor acumulado no totalizador parcial", 36, 47)) {
            const std::int64_t v = Inteiro(C(36, 47));
            soma60A += v;
            tem60A = true;
            resumo.ECFPorAliquota[std::string(Aparado(codigo))] += v;
        }
        EmBranco("Brancos", 48, 126);
    }

    // The tax situation or rate of records 60D, 60I and 60R.
    void SituacaoTributariaECF(int inicio, int fim) {
        if (!CodigoAliquotaECF(C(inicio, fim)))
            Erro("Situação tributária ou alíquota", inicio, fim,
                 "A situação tributária " + Citado(C(inicio, fim)) + " não é uma alíquota de 4 algarismos nem F, I, N, "
                 "CANC, DESC ou ISS. " + Corrija() + ".");
    }

    void Registro60D() {
        const int d = Data("Data de emissão", 4, 11);
        DataNoPeriodo("Data de emissão", 4, 11, d);
        NoDiaDaImpressora(d);
        UsaProduto("Código do produto", 32, 45, d, d);
        Numerico("Quantidade", 46, 58);
        Numerico("Valor acumulado do produto", 59, 74);
        Numerico("Base de cálculo do ICMS", 75, 90);
        SituacaoTributariaECF(91, 94);
        Numerico("Valor do ICMS", 95, 107);
        EmBranco("Brancos", 108, 126);
    }

    void Registro60I() {
        const int d = Data("Data de emissão", 4, 11);
        DataNoPeriodo("Data de emissão", 4, 11, d);
        NoDiaDaImpressora(d);
        if (!ModeloECF(C(32, 33)))
            Erro("Modelo do documento fiscal", 32, 33,
                 "O modelo " + Citado(C(32, 33)) + " não é um modelo de cupom fiscal (2B, 2C ou 2D). " + GereDeNovo);
        Numerico("Número de ordem do documento fiscal", 34, 39);
        Numerico("Número do item", 40, 42);
        UsaProduto("Código do produto", 43, 56, d, d);
        Numerico("Quantidade", 57, 69);
        Numerico("Valor do produto", 70, 82);
        Numerico("Base de cálculo do ICMS", 83, 94);
        SituacaoTributariaECF(95, 98);
        Numerico("Valor do ICMS", 99, 110);
        EmBranco("Brancos", 111, 126);
    }

    void Registro60R() {
        const auto [primeiro, ultimo] = MesNoPeriodo("Mês e ano de emissão", 4, 9, C(4, 5), C(6, 9));
        UsaProduto("Código do produto", 10, 23, primeiro, ultimo);
        Numerico("Quantidade", 24, 36);
        Numerico("Valor acumulado do produto", 37, 52);
        Numerico("Base de cálculo do ICMS", 53, 68);
        SituacaoTributariaECF(69, 72);
        EmBranco("Brancos", 73, 126);
    }

    void Registro61() {
        EmBranco("Brancos", 3, 30);
        const int d = Data("Data de emissão", 31, 38);
        DataNoPeriodo("Data de emissão", 31, 38, d);
        if (!ModeloResumo(C(39, 40)))
            Erro("Modelo", 39, 40,
                 "O modelo " + Citado(C(39, 40)) + " não é um modelo de documento do registro 61 (02, 04, 13, 14, 15, "
                 "16 ou 18). " + Corrija() + ".");
        const bool numeros = Numerico("Número inicial de ordem", 46, 51) & Numerico("Número final de ordem", 52, 57);
        if (numeros && Inteiro(C(52, 57)) < Inteiro(C(46, 51)))
            Aviso("Número final de ordem", 52, 57, "O número final é menor que o inicial. " + Corrija() + ".");
        Numerico("Valor total", 58, 70);
        Numerico("Base de cálculo do ICMS", 71, 83);
        Numerico("Valor do ICMS", 84, 95);
        Numerico("Isenta ou não tributada", 96, 108);
        Numerico("Outras", 109, 121);
        Numerico("Alíquota", 122, 125);
        EmBranco("Branco", 126, 126);
    }

    void Registro61R() {
        const auto [primeiro, ultimo] = MesNoPeriodo("Mês e ano de emissão", 4, 9, C(4, 5), C(6, 9));
        UsaProduto("Código do produto", 10, 23, primeiro, ultimo);
        Numerico("Quantidade", 24, 36);
        Numerico("Valor bruto", 37, 52);
        Numerico("Base de cálculo do ICMS", 53, 68);
        Numerico("Alíquota", 69, 72);
        EmBranco("Brancos", 73, 126);
    }

    void Registro74() {
        const int d = Data("Data do inventário", 3, 10);
        if (d && periodo && d > dataFinal)
            Erro("Data do inventário", 3, 10,
                 "A data do inventário " + DataTexto(d) + " é posterior ao fim do período (" + DataTexto(dataFinal) +
                     "). Escolha uma data de inventário até o fim do período.");
        UsaProduto("Código do produto", 11, 24, d, d);
        Numerico("Quantidade do produto", 25, 37);
        Numerico("Valor do produto", 38, 50);
        const std::string_view posse = C(51, 51);
        if (posse != "1" && posse != "2" && posse != "3")
            Erro("Código de posse das mercadorias", 51, 51,
                 "O código de posse deve ser 1, 2 ou 3 e é " + Citado(posse) + ". " + GereDeNovo);
        // Goods of the informant held by himself carry no possessor.
        if (posse == "1") {
            if (!Zeros(C(52, 65))) CNPJouCPF("CNPJ do possuidor ou proprietário", 52, 65, true);
        } else {
            CNPJouCPF("CNPJ do possuidor ou proprietário", 52, 65, false);
        }
        UF("UF do possuidor ou proprietário", 80, 81, true);
        EmBranco("Brancos", 82, 126);
    }

    void Registro75() {
        const int inicio = Data("Data inicial", 3, 10), fim = Data("Data final", 11, 18);
        if (inicio && fim && inicio > fim)
            Erro("Data inicial", 3, 18, "A data inicial do registro 75 é posterior à data final. " + GereDeNovo);
        const std::string_view codigo = C(19, 32);
        const std::string_view ncm = Aparado(C(33, 40));
        if (!ncm.empty() && !Digitos(ncm))
            Erro("Código NCM", 33, 40,
                 "O código NCM " + Citado(ncm) + " deve ter só algarismos. Corrija o NCM no cadastro do produto.");
        if (Brancos(C(41, 93)))
            Aviso("Descrição", 41, 93,
                  "O produto " + Citado(codigo) + " está sem descrição. Confira o cadastro do produto.");
        Numerico("Alíquota do IPI", 100, 104);
        Numerico("Alíquota do ICMS", 105, 108);
        Numerico("Redução da base de cálculo do ICMS", 109, 113);
        Numerico("Base de cálculo do ICMS de substituição tributária", 114, 126);
        if (Brancos(codigo)) {
            Erro("Código do produto ou serviço", 19, 32, "O código do produto está em branco. " + Corrija() + ".");
            return;
        }
        auto [it, novo] = produtos.try_emplace(std::string(codigo));
        Uso& u = it->second;
        if (++u.qtd75 > 1) {
            Erro("Código do produto ou serviço", 19, 32,
                 "O produto " + Citado(codigo) + " já tem registro 75 na linha " + std::to_string(u.linha75) +
                     "; cada código deve ter um só. " + GereDeNovo);
            return;
        }
        u.inicio75 = inicio;
        u.fim75 = fim;
        u.linha75 = linha;
        if (!novo && inicio && fim && u.primeiro != 0 && (u.primeiro < inicio || u.ultimo > fim)) {
            u.avisado = true;
            Erro("Data inicial/Data final", 3, 18,
                 "As datas do registro 75 (" + DataTexto(inicio) + " a " + DataTexto(fim) + ") não cobrem o uso do "
                 "produto " + Citado(codigo) + " de " + DataTexto(u.primeiro) + " a " + DataTexto(u.ultimo) + " (linha " +
                     std::to_string(u.linhaUso) + "). " + GereDeNovo);
        }
    }

    void Registro88SF() {
        CNPJouCPF("CNPJ do fornecedor", 40, 53, false);
        Numerico("Números de contato do fornecedor", 54, 75);
    }

    void Registro88EC() {
        const std::string_view cpf = C(44, 54);
        if (Numerico("CPF", 44, 54)) {
            if (Zeros(cpf))
                Erro("CPF", 44, 54, "O CPF do contador não foi informado. " + Corrija() + ".");
            else if (!CPFValido(cpf))
                Erro("CPF", 44, 54, "O CPF " + Citado(cpf) + " do contador tem dígitos verificadores inválidos. " +
                                        Corrija() + ".");
        }
        Numerico("Telefone", 65, 75);
        if (C(126, 126) != "0" && C(126, 126) != "1")
            Erro("Indicador de novo responsável", 126, 126, "O indicador de novo responsável deve ser 0 ou 1. " +
                                                                GereDeNovo);
    }

    void Registro88SemMovimento() {
        CNPJouCPF("CNPJ", 6, 19, false);
        if (!cnpj10.empty() && C(6, 19) != cnpj10)
            Erro("CNPJ", 6, 19, "O CNPJ difere do CNPJ da empresa no registro 10. " + GereDeNovo);
        // Right-aligned with zeros here, left-aligned with blanks in record 10.
        auto semZeros = [](std::string_view s) {
            s = Aparado(s);
            while (!s.empty() && s.front() == '0') s.remove_prefix(1);
            return s;
        };
        if (!ie10.empty() && semZeros(C(20, 33)) != semZeros(ie10))
            Erro("Inscrição Estadual", 20, 33,
                 "A Inscrição Estadual difere da inscrição da empresa no registro 10. " + GereDeNovo);
        if (tipo == T88SMS && saidas50)
            Aviso("Mensagem", 34, 67, "O arquivo declara não ter saídas, mas tem registros 50 de saída. " + GereDeNovo);
        if (tipo == T88SME && entradas50)
            Aviso("Mensagem", 34, 67, "O arquivo declara não ter entradas, mas tem registros 50 de entrada. " + GereDeNovo);
    }

    void Registro90() {
        ++linhas90;
        if (!cnpj10.empty() && C(3, 16) != cnpj10)
            Erro("CNPJ", 3, 16, "O CNPJ difere do CNPJ da empresa no registro 10. " + GereDeNovo);
        if (!ie10.empty() && C(17, 30) != ie10)
            Erro("Inscrição Estadual", 17, 30, "A Inscrição Estadual difere da inscrição do registro 10. " + GereDeNovo);
        // One or several pairs of type and total, then blanks.
        int pares = 0;
        int p = 31;
        for (; p + 9 <= 125; p += 10) {
            const std::string_view par = C(p, p + 9);
            if (Brancos(par)) break;
            ++pares;
            if (!Digitos(par)) {
                Erro("Tipo a ser totalizado/Total de registros", p, p + 9,
                     "O par de tipo e total " + Citado(par) + " deve ter só algarismos. " + GereDeNovo);
                continue;
            }
            const int t = static_cast<int>(Inteiro(par.substr(0, 2)));
            auto [it, novo] = totais90.try_emplace(t, Total90{static_cast<std::uint64_t>(Inteiro(par.substr(2))), linha});
            if (!novo)
                Erro("Tipo a ser totalizado", p, p + 1,
                     "O tipo " + std::string(par.substr(0, 2)) + " já foi totalizado na linha " +
                         std::to_string(it->second.linha) + ". " + GereDeNovo);
        }
        if (pares == 0)
            Erro("Tipo a ser totalizado", 31, 32, "O registro 90 não totaliza nenhum tipo. " + GereDeNovo);
        if (p <= 125) EmBranco("Brancos", p, 125);
        if (Numerico("Número de registros tipo 90", 126, 126) && declaracoes90.size() < 100)
            declaracoes90.emplace_back(linha, static_cast<int>(Inteiro(C(126, 126))));
    }

    // ------------------------------------------------------------- the lines

    Tipo TipoDaLinha() const {
        if (l.size() < 2) return TDesconhecido;
        const std::string_view t = l.substr(0, 2);
        const char s = l.size() > 2 ? l[2] : ' ';
        if (t == "10") return T10;
        if (t == "11") return T11;
        if (t == "50") return T50;
        if (t == "51") return T51;
        if (t == "53") return T53;
        if (t == "54") return T54;
        if (t == "55") return T55;
        if (t == "56") return T56;
        if (t == "57") return T57;
        if (t == "60") {
            switch (s) {
                case 'M': return T60M;
                case 'A': return T60A;
                case 'D': return T60D;
                case 'I': return T60I;
                case 'R': return T60R;
                default: return TDesconhecido;
            }
        }
        if (t == "61") return s == 'R' ? T61R : T61;
        if (t == "70") return T70;
        if (t == "71") return T71;
        if (t == "74") return T74;
        if (t == "75") return T75;
        if (t == "76") return T76;
        if (t == "77") return T77;
        if (t == "85") return T85;
        if (t == "86") return T86;
        if (t == "88") {
            const std::string_view sub = l.substr(2, std::min<std::size_t>(3, l.size() - 2));
            if (sub == "SME") return T88SME;
            if (sub == "SMS") return T88SMS;
            if (sub.substr(0, 2) == "SF") return T88SF;
            if (sub.substr(0, 2) == "EC") return T88EC;
            return T88Outro;  // the states' own records 88
        }
        if (t == "90") return T90;
        return TDesconhecido;
    }

    // `tamanho` bytes of the line are at `dados` (all of them, or the first
    // LimiteLinha); `tamanhoReal` is its whole length before the LF; `cr` tells
    // whether its last byte is a CR.
    void Linha(const char* dados, std::size_t tamanho, std::size_t tamanhoReal, bool cr, bool fimDeLinha) {
        if (tipoUltimaLinha == T90 && linhaAssinatura == 0 && tamanho >= 3 && std::memcmp(dados, "EAD", 3) == 0) {
            linhaAssinatura = linha + 1;
            return;
        }
        if (linhaAssinatura != 0) {
            Emite({linha + 2, "", "Assinatura", 1, 3, Nivel::Erro,  // the line after the signature
                   "Há linhas depois da assinatura digital (registro EAD), que deve ser a última linha do arquivo. " +
                       GereDeNovo});
            linhaAssinatura = ~std::uint64_t{0};  // told once
        }
        ++linha;
        ++resumo.Linhas;
        if (cr) {
            if (tamanho == tamanhoReal) --tamanho;
            --tamanhoReal;
        }
        l = std::string_view(dados, tamanho);
        tipo = TipoDaLinha();
        if (tipo != T60A && tipo != T60D && tipo != T60I) FechaDiaECF();

        if (!fimDeLinha)
            Erro("Fim de linha", 0, 0, "A última linha não termina com CR LF. " + GereDeNovo);
        else if (!cr)
            Erro("Fim de linha", 0, 0,
                 "A linha termina só com LF; o Sintegra exige CR LF no fim de cada linha. " + GereDeNovo);
        const bool larguraCerta = tamanhoReal == Largura;
        if (!larguraCerta)
            Erro("Linha", 1, static_cast<int>(std::min<std::size_t>(tamanhoReal, 99999)),
                 "A linha tem " + std::to_string(tamanhoReal) + " caracteres; todo registro tem 126. " + GereDeNovo);
        for (std::size_t i = 0; i < l.size(); ++i) {
            const std::uint8_t classe = ClasseByte[static_cast<unsigned char>(l[i])];
            if (classe == 0) continue;
            const int pos = static_cast<int>(i + 1);
            char hexa[8];
            std::snprintf(hexa, sizeof hexa, "%02X", static_cast<unsigned char>(l[i]));
            Erro("Caractere", pos, pos,
                 classe == 2 ? "O byte " + std::string(hexa) + " na posição " + std::to_string(pos) +
                                   " não é um caractere do Windows-1252. " + Corrija() + " (tire o caractere estranho)."
                             : "Há um caractere de controle (byte " + std::string(hexa) + ") na posição " +
                                   std::to_string(pos) + ". " + Corrija() + ".");
            break;
        }

        ++porTipo[tipo];
        tipoUltimaLinha = tipo;
        if (tipo == TDesconhecido) {
            Erro("Tipo", 1, 3,
                 "Tipo de registro desconhecido: " + Citado(l.substr(0, std::min<std::size_t>(3, l.size()))) + ". " +
                     GereDeNovo);
            return;
        }
        const int grupo = Infos[tipo].grupo;
        ++porGrupo[grupo];

        // 10 first, 11 second, then ascending types, 90 last.
        if (linha == 1 && tipo != T10)
            Erro("Tipo", 1, 2, "A primeira linha deve ser o registro 10. " + GereDeNovo);
        else if (linha == 2 && tipo != T11)
            Erro("Tipo", 1, 2, "A segunda linha deve ser o registro 11. " + GereDeNovo);
        else if ((tipo == T10 && linha != 1) || (tipo == T11 && linha != 2))
            Erro("Tipo", 1, 2, std::string("O registro ") + Infos[tipo].nome + " só pode aparecer uma vez, na linha " +
                                   (tipo == T10 ? "1" : "2") + ". " + GereDeNovo);
        else if (grupo < ultimoGrupo)
            Erro("Tipo", 1, 2,
                 std::string("O registro ") + Infos[tipo].nome + " está fora de ordem: vem depois de um registro " +
                     Infos[ultimoTipo].nome + ", e os tipos devem estar em ordem crescente. " + GereDeNovo);
        if (grupo >= ultimoGrupo) {
            ultimoGrupo = grupo;
            ultimoTipo = tipo;
        }

        if (!larguraCerta) return;  // the fields are not where the layout puts them
        switch (tipo) {
            case T10: Registro10(); break;
            case T11: Registro11(); break;
            case T50: Registro50(); break;
            case T54: Registro54(); break;
            case T60M: Registro60M(); break;
            case T60A: Registro60A(); break;
            case T60D: Registro60D(); break;
            case T60I: Registro60I(); break;
            case T60R: Registro60R(); break;
            case T61: Registro61(); break;
            case T61R: Registro61R(); break;
            case T70:
            case T71: CNPJouCPF("CNPJ", 3, 16, false); break;
            case T74: Registro74(); break;
            case T75: Registro75(); break;
            case T88SF: Registro88SF(); break;
            case T88EC: Registro88EC(); break;
            case T88SME:
            case T88SMS: Registro88SemMovimento(); break;
            case T90: Registro90(); break;
            default: break;  // types this program does not write: their form only
        }
    }

    void Trecho(const char* p, std::size_t n) {
        while (n > 0) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', n));
            const std::size_t ate = lf ? static_cast<std::size_t>(lf - p) : n;
            if (tamanhoParcial == 0 && lf) {
                Linha(p, ate, ate, ate > 0 && p[ate - 1] == '\r', true);
            } else {
                const std::size_t cabe = parcial.size() < LimiteLinha ? std::min(ate, LimiteLinha - parcial.size()) : 0;
                parcial.append(p, cabe);
                tamanhoParcial += ate;
                if (ate > 0) ultimoByteParcial = p[ate - 1];
                if (lf) {
                    Linha(parcial.data(), parcial.size(), tamanhoParcial, ultimoByteParcial == '\r', true);
                    parcial.clear();
                    tamanhoParcial = 0;
                    ultimoByteParcial = 0;
                }
            }
            if (!lf) return;
            p = lf + 1;
            n -= ate + 1;
        }
    }

    void Termina() {
        if (terminado) return;
        terminado = true;
        if (tamanhoParcial > 0) {
            Linha(parcial.data(), parcial.size(), tamanhoParcial, ultimoByteParcial == '\r', false);
            parcial.clear();
            tamanhoParcial = 0;
        }
        FechaDiaECF();
        tipo = TDesconhecido;
        if (linha == 0) {
            Emite({0, "", "Arquivo", 0, 0, Nivel::Erro, "O arquivo está vazio. " + GereDeNovo});
        } else if (tipoUltimaLinha != T90) {
            Emite({linha, "", "Tipo", 1, 2, Nivel::Erro, "O arquivo não termina com o registro 90. " + GereDeNovo});
        }

        // Products without their record 75.
        for (const auto& [codigo, u] : produtos)
            if (u.linhaUso != 0 && u.qtd75 == 0)
                Final(u.linhaUso, u.tipoUso, "Código do produto", 0, 0, Nivel::Erro,
                      "O produto " + Citado(codigo) + " não tem registro 75. Confira o cadastro do produto e gere o "
                      "arquivo de novo.");

        // Items that do not add up to their records 50.
        for (const auto& [chave, d] : documentos)
            if (d.temItens && std::llabs(d.itens - d.valor50) > 1)
                Final(d.linha50, T50, "Valor total", 57, 69, Nivel::Aviso,
                      "O valor total da nota (" + FormataCentavos(d.valor50) + ", somados os registros 50 da nota com "
                      "este CFOP) difere da soma dos seus itens 54 (" + FormataCentavos(d.itens) +
                          "). Confira os valores, descontos e despesas da nota e dos itens.");

        // Totals of record 90.
        if (porTipo[T90] > 0) {
            for (const auto& [l90, contagem90] : declaracoes90)
                if (static_cast<std::uint64_t>(contagem90) != linhas90)
                    Final(l90, T90, "Número de registros tipo 90", 126, 126, Nivel::Erro,
                          "A linha diz " + std::to_string(contagem90) + " registros 90, e o arquivo tem " +
                              std::to_string(linhas90) + ". " + GereDeNovo);
            std::uint64_t ultima90 = 0;
            for (const auto& [t, tot] : totais90) ultima90 = std::max(ultima90, tot.linha);
            for (const auto& [t, tot] : totais90) {
                if (t == 99) {
                    if (tot.total != linha)
                        Final(tot.linha, T90, "Total de registros", 33, 40, Nivel::Erro,
                              "O total geral (tipo 99) é " + std::to_string(tot.total) + ", e o arquivo tem " +
                                  std::to_string(linha) + " linhas. " + GereDeNovo);
                    continue;
                }
                const std::uint64_t real = t >= 0 && t < 100 ? porGrupo[t] : 0;
                if (t == 10 || t == 11 || t == 90 || tot.total != real)
                    Final(tot.linha, T90, "Total de registros", 33, 40, Nivel::Erro,
                          "O total do tipo " + std::to_string(t) + " é " + std::to_string(tot.total) +
                              ", e o arquivo tem " + std::to_string(real) + " registros desse tipo. " + GereDeNovo);
            }
            for (int g = 12; g < 90; ++g)
                if (porGrupo[g] > 0 && !totais90.contains(g))
                    Final(ultima90, T90, "Tipo a ser totalizado", 31, 32, Nivel::Erro,
                          "O arquivo tem " + std::to_string(porGrupo[g]) + " registros do tipo " + std::to_string(g) +
                              " e nenhum registro 90 os totaliza. " + GereDeNovo);
            if (!totais90.contains(99))
                Final(ultima90, T90, "Tipo a ser totalizado", 31, 32, Nivel::Erro,
                      "Falta o total geral (tipo 99) no registro 90. " + GereDeNovo);
        }

        std::stable_sort(finais.begin(), finais.end(),
                         [](const Achado& a, const Achado& b) { return a.Linha < b.Linha; });
        for (auto& a : finais) Emite(std::move(a));
        finais.clear();

        for (int t = 0; t < TDesconhecido; ++t)
            if (porTipo[t] > 0) resumo.RegistrosPorTipo[Infos[t].nome] = porTipo[t];
        if (porTipo[TDesconhecido] > 0) resumo.RegistrosPorTipo["desconhecido"] = porTipo[TDesconhecido];
    }
};

TVerificadorSintegra::TVerificadorSintegra(Receptor receptor) : e_(new Estado) { e_->receptor = std::move(receptor); }
TVerificadorSintegra::~TVerificadorSintegra() { delete e_; }
void TVerificadorSintegra::Trecho(const char* dados, std::size_t tamanho) { e_->Trecho(dados, tamanho); }
void TVerificadorSintegra::Termina() { e_->Termina(); }
const Resumo& TVerificadorSintegra::ResumoArquivo() const { return e_->resumo; }
const Contagem& TVerificadorSintegra::Contagens() const { return e_->contagem; }

bool VerificaFluxo(std::istream& entrada, const TVerificadorSintegra::Receptor& receptor, Resumo* resumo,
                   Contagem* contagem) {
    TVerificadorSintegra v(receptor);
    std::vector<char> buffer(1 << 20);
    bool ok = true;
    while (entrada) {
        entrada.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto lidos = entrada.gcount();
        if (lidos > 0) v.Trecho(buffer.data(), static_cast<std::size_t>(lidos));
    }
    if (entrada.bad()) ok = false;
    v.Termina();
    if (resumo) *resumo = v.ResumoArquivo();
    if (contagem) *contagem = v.Contagens();
    return ok;
}

Relatorio VerificaArquivo(const std::string& caminho, std::size_t limiteAchados) {
    Relatorio r;
    std::error_code erro;
    std::ifstream f(caminho, std::ios::binary);
    if (!f || std::filesystem::is_directory(caminho, erro)) {
        r.FalhaLeitura = "Não foi possível abrir o arquivo " + caminho + ".";
        return r;
    }
    const bool ok = VerificaFluxo(
        f,
        [&](const Achado& a) {
            if (r.Achados.size() < limiteAchados) r.Achados.push_back(a);
        },
        &r.ResumoArquivo, &r.Contagens);
    if (!ok) {
        r.FalhaLeitura = "Falha ao ler o arquivo " + caminho + ".";
        return r;
    }
    r.Lido = true;
    return r;
}

VerificacaoExportacao VerificaArquivoExportado(const std::string& caminho, std::size_t primeiros) {
    VerificacaoExportacao v;
    const Relatorio r = VerificaArquivo(caminho, primeiros);
    if (!r.Lido) {
        v.Texto = "Verificação do arquivo: " + r.FalhaLeitura + "\n";
        return v;
    }
    v.Lido = true;
    v.Erros = r.Contagens.Erros;
    v.Avisos = r.Contagens.Avisos;
    v.Texto = "Verificação do arquivo: " + std::to_string(v.Erros) + " ERRO, " + std::to_string(v.Avisos) + " AVISO.\n";
    for (const auto& a : r.Achados) v.Texto += "  " + TextoAchado(a) + "\n";
    const std::uint64_t total = v.Erros + v.Avisos;
    if (total > r.Achados.size())
        v.Texto += "  ... e mais " + std::to_string(total - r.Achados.size()) +
                   " (VerificaSintegra ARQUIVO mostra todos).\n";
    return v;
}

}  // namespace verificacao
