#include "Firebird.h"

#include "Datas.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <atomic>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace Firebird;

namespace fb {

namespace {

// Days from Firebird's date origin (17 November 1858) to 1 January 1970.
constexpr int DiasAte1970 = 40587;

// The folder of the installed engine: the client library's own folder holds
// firebird/3.0 with plugins/libEngine12.so.
std::string RaizInstalada() {
    std::vector<std::string> candidatas;
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&fb_get_master_interface), &info) && info.dli_fname) {
        const auto pasta = std::filesystem::canonical(info.dli_fname).parent_path();
        candidatas.push_back((pasta / "firebird/3.0").string());
        candidatas.push_back(pasta.parent_path().string());
    }
    for (const char* c : {"/usr/lib/x86_64-linux-gnu/firebird/3.0", "/usr/lib/firebird/3.0", "/opt/firebird"})
        candidatas.emplace_back(c);
    std::error_code e;
    for (const auto& c : candidatas)
        if (std::filesystem::exists(c + "/plugins/libEngine12.so", e)) return c;
    return {};
}

// Builds the engine's configuration folder for shared (Classic) use: the
// installed configuration with ServerMode = Classic, the plugins and messages
// linked, and a real intl folder (a linked one makes WIN1252 unknown). It is
// built under a temporary name and renamed, so that two processes starting
// at once never see half of it.
std::string ConstroiRaizEmbutida(const std::string& travas) {
    namespace fs = std::filesystem;
    const std::string instalada = RaizInstalada();
    if (instalada.empty()) return {};
    std::error_code e;
    struct stat st {};
    if (::stat((instalada + "/plugins/libEngine12.so").c_str(), &st) != 0) return {};
    // A new engine (an upgrade) gets a new folder.
    const fs::path raiz = fs::path(travas) / ("raiz-" + std::to_string(st.st_mtime));
    if (fs::exists(raiz / "firebird.conf", e)) return raiz.string();

    const fs::path temporaria = fs::path(travas) / ("raiz-nova-" + std::to_string(::getpid()));
    fs::remove_all(temporaria, e);
    fs::create_directories(temporaria / "intl", e);
    if (e) return {};
    const fs::path origem(instalada);
    {
        std::ifstream conf(origem / "firebird.conf", std::ios::binary);
        std::ofstream novo(temporaria / "firebird.conf", std::ios::binary);
        novo << conf.rdbuf()
             << "\n# Several processes share one database file.\nServerMode = Classic\n"
                "DefaultDbCachePages = 2048\n";
        if (!novo) return {};
    }
    for (const char* arquivo : {"plugins.conf", "databases.conf", "fbtrace.conf"})
        if (fs::exists(origem / arquivo, e)) fs::copy_file(origem / arquivo, temporaria / arquivo, e);
    for (const char* item : {"firebird.msg", "plugins", "UDF"})
        if (fs::exists(origem / item, e)) fs::create_symlink(origem / item, temporaria / item, e);
    for (const char* arquivo : {"libfbintl.so", "fbintl.conf"})
        fs::copy_file(origem / "intl" / arquivo, temporaria / "intl" / arquivo, e);
    if (e) {
        fs::remove_all(temporaria, e);
        return {};
    }
    if (::rename(temporaria.c_str(), raiz.c_str()) != 0) fs::remove_all(temporaria, e);  // another process was first
    return fs::exists(raiz / "firebird.conf", e) ? raiz.string() : std::string();
}

IMaster* Mestre() {
    static IMaster* mestre = [] {
        // The engine reads FIREBIRD_LOCK and FIREBIRD when it starts: set them
        // before anything else.
        const std::string travas = PastaDeTravas();
        ::mkdir(travas.c_str(), 0700);
        ::setenv("FIREBIRD_LOCK", travas.c_str(), 0);
        if (!std::getenv("FIREBIRD")) {
            const std::string raiz = ConstroiRaizEmbutida(travas);
            if (!raiz.empty()) ::setenv("FIREBIRD", raiz.c_str(), 0);
        }
        return fb_get_master_interface();
    }();
    return mestre;
}

std::atomic<std::uint64_t> ProximaGeracao{0};

IUtil* Util() { return Mestre()->getUtilInterface(); }

std::string TextoDoStatus(const IStatus* status) {
    char texto[2048];
    Util()->formatStatus(texto, sizeof texto, const_cast<IStatus*>(status));
    return texto;
}

// A status for one call into the library; failures become ErroBanco.
class Estado {
public:
    Estado() : status_(Mestre()->getStatus()) {}
    ~Estado() { status_.dispose(); }
    ThrowStatusWrapper* operator&() { return &status_; }

private:
    ThrowStatusWrapper status_;
};

// The library's error codes and the system's error number of a status vector.
ErroBanco ErroDoStatus(const IStatus* status) {
    std::vector<std::intptr_t> codigos;
    int erroSistema = 0;
    for (const ISC_STATUS* v = const_cast<IStatus*>(status)->getErrors(); v && *v != isc_arg_end;) {
        const ISC_STATUS tipo = *v++;
        const ISC_STATUS valor = *v++;
        if (tipo == isc_arg_gds) codigos.push_back(valor);
        else if (tipo == isc_arg_unix) erroSistema = static_cast<int>(valor);
        else if (tipo == isc_arg_cstring) ++v;  // length, then the text
    }
    ErroBanco erro(TextoDoStatus(status), std::move(codigos));
    erro.DefineErroSistema(erroSistema);
    return erro;
}

template <typename F>
auto Chama(F&& f) {
    Estado estado;
    try {
        return f(&estado);
    } catch (const FbException& e) {
        throw ErroDoStatus(e.getStatus());
    }
}

struct Construtor {
    IXpbBuilder* xpb;
    ~Construtor() { xpb->dispose(); }
};

std::vector<unsigned char> ParametrosConexao(const Credenciais& c, bool criacao) {
    return Chama([&](ThrowStatusWrapper* st) {
        Construtor b{Util()->getXpbBuilder(st, IXpbBuilder::DPB, nullptr, 0)};
        if (!c.usuario.empty()) b.xpb->insertString(st, isc_dpb_user_name, c.usuario.c_str());
        if (!c.senha.empty()) b.xpb->insertString(st, isc_dpb_password, c.senha.c_str());
        if (!c.papel.empty()) b.xpb->insertString(st, isc_dpb_sql_role_name, c.papel.c_str());
        b.xpb->insertString(st, isc_dpb_lc_ctype, "UTF8");
        b.xpb->insertInt(st, isc_dpb_sql_dialect, 3);
        if (criacao) {
            b.xpb->insertInt(st, isc_dpb_page_size, 8192);
            b.xpb->insertString(st, isc_dpb_set_db_charset, "WIN1252");
        }
        const auto* p = b.xpb->getBuffer(st);
        return std::vector<unsigned char>(p, p + b.xpb->getBufferLength(st));
    });
}

std::vector<ColunaResultado> Descreve(IMessageMetadata* m) {
    return Chama([&](ThrowStatusWrapper* st) {
        std::vector<ColunaResultado> colunas(m->getCount(st));
        for (unsigned i = 0; i < colunas.size(); ++i) {
            auto& c = colunas[i];
            c.nome = m->getAlias(st, i);
            c.tipo = m->getType(st, i) & ~1u;
            c.escala = m->getScale(st, i);
            c.tamanho = m->getLength(st, i);
            c.deslocamento = m->getOffset(st, i);
            c.deslocamentoNulo = m->getNullOffset(st, i);
        }
        return colunas;
    });
}

std::int64_t Potencia10(int n) {
    std::int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

[[noreturn]] void ErroConversao(const std::string& texto) {
    throw ErroBanco("conversion error from string \"" + texto + "\"");
}

[[noreturn]] void ErroTruncamento() {
    throw ErroBanco(
        "arithmetic exception, numeric overflow, or string truncation\n-string right truncation");
}

// Reads a decimal text ("-12.50") as an integer scaled by 10^casas.
std::int64_t TextoParaEscalado(const std::string& t, int casas) {
    std::size_t i = t.find_first_not_of(' ');
    const std::size_t fim = t.find_last_not_of(' ');
    if (i == std::string::npos) ErroConversao(t);
    bool negativo = false;
    if (t[i] == '-' || t[i] == '+') negativo = t[i++] == '-';
    std::int64_t inteiro = 0;
    int decimais = -1;
    bool algum = false;
    for (; i <= fim; ++i) {
        const char ch = t[i];
        if (ch == '.' && decimais < 0) {
            decimais = 0;
            continue;
        }
        if (ch < '0' || ch > '9') ErroConversao(t);
        algum = true;
        if (decimais >= 0) {
            if (decimais == casas) continue;  // extra decimals are dropped
            ++decimais;
        }
        inteiro = inteiro * 10 + (ch - '0');
    }
    if (!algum) ErroConversao(t);
    for (int k = std::max(decimais, 0); k < casas; ++k) inteiro *= 10;
    return negativo ? -inteiro : inteiro;
}

bool TextoParaData(const std::string& t, Data& d) {
    int dia, mes, ano;
    if (std::sscanf(t.c_str(), "%d/%d/%d", &dia, &mes, &ano) == 3 ||
        (std::sscanf(t.c_str(), "%d-%d-%d", &ano, &mes, &dia) == 3)) {
        d = FazData(ano, static_cast<unsigned>(mes), static_cast<unsigned>(dia));
        return d.ok();
    }
    return false;
}

ISC_DATE ParaDataFirebird(Data d) {
    return static_cast<ISC_DATE>(std::chrono::sys_days(d).time_since_epoch().count() +
                                 DiasAte1970);
}

std::string TextoDoEscalado(std::int64_t v, int escala) {
    if (escala >= 0) return std::to_string(v * Potencia10(escala));
    const int casas = -escala;
    const bool negativo = v < 0;
    std::string digitos = std::to_string(negativo ? -v : v);
    if (static_cast<int>(digitos.size()) <= casas)
        digitos.insert(0, static_cast<std::size_t>(casas + 1) - digitos.size(), '0');
    digitos.insert(digitos.size() - static_cast<std::size_t>(casas), ".");
    return negativo ? "-" + digitos : digitos;
}

// Integer parameters are bound as 64-bit integers (with their scale): the
// engine converts them to the column's type and reports an overflow, where a
// cut to 16 or 32 bits here would change the value without a word.
IMessageMetadata* ParametrosInteirosEm64Bits(ThrowStatusWrapper* st, IMessageMetadata* m) {
    const unsigned n = m->getCount(st);
    bool algum = false;
    for (unsigned i = 0; i < n && !algum; ++i) {
        const unsigned tipo = m->getType(st, i) & ~1u;
        algum = tipo == SQL_SHORT || tipo == SQL_LONG;
    }
    if (!algum) return m;
    IMetadataBuilder* b = m->getBuilder(st);
    try {
        for (unsigned i = 0; i < n; ++i) {
            const unsigned tipo = m->getType(st, i) & ~1u;
            if (tipo != SQL_SHORT && tipo != SQL_LONG) continue;
            b->setType(st, i, SQL_INT64 | (m->getType(st, i) & 1u));
            b->setLength(st, i, sizeof(std::int64_t));
            b->setScale(st, i, m->getScale(st, i));
        }
        IMessageMetadata* nova = b->getMetadata(st);
        b->release();
        m->release();
        return nova;
    } catch (...) {
        b->release();
        throw;
    }
}

}  // namespace

std::string PastaDeTravas() {
    if (const char* p = std::getenv("FIREBIRD_LOCK"); p && *p) return p;
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : "/tmp";
    return base + "/praxo-firebird-" + std::to_string(::getuid());
}

bool ErroBanco::Tem(std::intptr_t codigo) const {
    return std::find(codigos_.begin(), codigos_.end(), codigo) != codigos_.end();
}

std::string PastaConfiguracaoEmbutida() {
    Mestre();
    const char* raiz = std::getenv("FIREBIRD");
    return raiz ? raiz : "";
}

std::vector<std::string> ProcessosComArquivo(const std::string& arquivo) {
    namespace fs = std::filesystem;
    std::vector<std::string> processos;
    std::error_code e;
    const auto alvo = fs::canonical(arquivo, e);
    if (e) return processos;
    const std::string proprio = std::to_string(::getpid());
    for (const auto& p : fs::directory_iterator("/proc", e)) {
        const std::string pid = p.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == proprio) continue;
        std::error_code e2;
        for (const auto& fd : fs::directory_iterator(p.path() / "fd", e2)) {
            std::error_code e3;
            if (fs::read_symlink(fd.path(), e3) != alvo) continue;
            std::ifstream comm(p.path() / "comm");
            std::string nome;
            std::getline(comm, nome);
            processos.push_back(nome + " (processo " + pid + ")");
            break;
        }
    }
    return processos;
}

bool BancoLocal(const std::string& banco) {
    const auto doisPontos = banco.find(':');
    if (doisPontos == std::string::npos) return true;
    if (doisPontos == 1) return true;  // a drive letter
    return banco[0] == '/' || banco[0] == '.';
}

// ---------------------------------------------------------------- Conexao

Conexao::~Conexao() { Fecha(); }

Conexao::Conexao(Conexao&& outra) noexcept
    : anexo_(std::exchange(outra.anexo_, nullptr)), geracao_(std::exchange(outra.geracao_, 0)) {}

Conexao& Conexao::operator=(Conexao&& outra) noexcept {
    if (this != &outra) {
        Fecha();
        anexo_ = std::exchange(outra.anexo_, nullptr);
        geracao_ = std::exchange(outra.geracao_, 0);
    }
    return *this;
}

namespace {

// Attaches to a database, or creates it.
IAttachment* Anexa(const std::string& banco, const Credenciais& credenciais, bool criacao) {
    const auto dpb = ParametrosConexao(credenciais, criacao);
    return Chama([&](ThrowStatusWrapper* st) {
        IProvider* provedor = Mestre()->getDispatcher();
        struct Libera {
            IProvider* p;
            ~Libera() { p->release(); }
        } libera{provedor};
        const auto n = static_cast<unsigned>(dpb.size());
        return criacao ? provedor->createDatabase(st, banco.c_str(), n, dpb.data())
                       : provedor->attachDatabase(st, banco.c_str(), n, dpb.data());
    });
}

}  // namespace

Conexao Conexao::Abre(const std::string& banco, const Credenciais& credenciais) {
    Conexao c;
    c.anexo_ = Anexa(banco, credenciais, false);
    c.geracao_ = ++ProximaGeracao;
    return c;
}

Conexao Conexao::Cria(const std::string& banco, const Credenciais& credenciais) {
    Conexao c;
    c.anexo_ = Anexa(banco, credenciais, true);
    c.geracao_ = ++ProximaGeracao;
    return c;
}

void Conexao::Fecha() {
    if (!anexo_) return;
    IAttachment* a = std::exchange(anexo_, nullptr);
    geracao_ = 0;
    try {
        Chama([&](ThrowStatusWrapper* st) { a->detach(st); });
    } catch (const ErroBanco&) {
        a->release();  // detach failed: the object is still ours to release
    }
}

void Conexao::Interrompe() {
    if (IAttachment* a = anexo_) {
        try {
            Chama([&](ThrowStatusWrapper* st) { a->cancelOperation(st, fb_cancel_raise); });
        } catch (const ErroBanco&) {
            // nothing was running
        }
    }
}

void Conexao::Executa(const std::string& sql) {
    Transacao t(*this);
    Chama([&](ThrowStatusWrapper* st) {
        anexo_->execute(st, t.Ponteiro(), 0, sql.c_str(), 3, nullptr, nullptr, nullptr,
                        nullptr);
    });
    t.Confirma();
}

// ---------------------------------------------------------------- Transacao

Transacao::Transacao(Conexao& conexao, bool somenteLeitura) {
    if (!conexao.Aberta()) throw ErroBanco("a conexão com o banco de dados não está aberta");
    transacao_ = Chama([&](ThrowStatusWrapper* st) {
        Construtor b{Util()->getXpbBuilder(st, IXpbBuilder::TPB, nullptr, 0)};
        b.xpb->insertTag(st, isc_tpb_read_committed);
        b.xpb->insertTag(st, isc_tpb_rec_version);
        b.xpb->insertTag(st, somenteLeitura ? isc_tpb_read : isc_tpb_write);
        b.xpb->insertTag(st, isc_tpb_wait);
        return conexao.Anexo()->startTransaction(st, b.xpb->getBufferLength(st),
                                                 b.xpb->getBuffer(st));
    });
}

Transacao::~Transacao() {
    if (transacao_) {
        try {
            Desfaz();
        } catch (const ErroBanco&) {
        }
    }
}

void Transacao::Confirma() {
    Chama([&](ThrowStatusWrapper* st) { transacao_->commit(st); });
    transacao_ = nullptr;
}

void Transacao::Desfaz() {
    ITransaction* t = std::exchange(transacao_, nullptr);
    try {
        Chama([&](ThrowStatusWrapper* st) { t->rollback(st); });
    } catch (const ErroBanco&) {
        t->release();
        throw;
    }
}

// ---------------------------------------------------------------- Comando

Comando::Comando(Conexao& conexao, Transacao& transacao, const std::string& sql)
    : geracao_(conexao.Geracao()) {
    Chama([&](ThrowStatusWrapper* st) {
        comando_ = conexao.Anexo()->prepare(st, transacao.Ponteiro(), 0, sql.c_str(), 3,
                                            IStatement::PREPARE_PREFETCH_METADATA);
        entrada_ = comando_->getInputMetadata(st);
        entrada_ = ParametrosInteirosEm64Bits(st, entrada_);
        saida_ = comando_->getOutputMetadata(st);
        bufferEntrada_.assign(entrada_->getMessageLength(st), 0);
        bufferSaida_.assign(saida_->getMessageLength(st), 0);
    });
    parametros_ = Descreve(entrada_);
    colunas_ = Descreve(saida_);
    // Every parameter starts as NULL.
    for (const auto& p : parametros_)
        *reinterpret_cast<short*>(&bufferEntrada_[p.deslocamentoNulo]) = -1;
}

Comando::~Comando() {
    if (entrada_) entrada_->release();
    if (saida_) saida_->release();
    if (comando_) {
        try {
            Chama([&](ThrowStatusWrapper* st) { comando_->free(st); });
        } catch (const ErroBanco&) {
            comando_->release();
        }
    }
}

void Comando::DefineParametro(std::size_t indice, const Valor& valor) {
    const auto& p = parametros_.at(indice);
    unsigned char* dado = &bufferEntrada_[p.deslocamento];
    short& nulo = *reinterpret_cast<short*>(&bufferEntrada_[p.deslocamentoNulo]);
    if (std::holds_alternative<std::monostate>(valor)) {
        nulo = -1;
        return;
    }
    nulo = 0;
    // The value as text, for the conversions that go through text.
    auto comoTexto = [&]() -> std::string {
        if (auto s = std::get_if<std::string>(&valor)) return *s;
        if (auto i = std::get_if<std::int64_t>(&valor)) return std::to_string(*i);
        if (auto d = std::get_if<double>(&valor)) {
            char t[64];
            std::snprintf(t, sizeof t, "%.15g", *d);
            return t;
        }
        return TextoData(std::get<Data>(valor));
    };
    switch (p.tipo) {
        case SQL_TEXT: {
            const std::string t = comoTexto();
            if (t.size() > p.tamanho) ErroTruncamento();
            std::memcpy(dado, t.data(), t.size());
            std::memset(dado + t.size(), ' ', p.tamanho - t.size());
            break;
        }
        case SQL_VARYING: {
            const std::string t = comoTexto();
            if (t.size() > p.tamanho) ErroTruncamento();
            const auto n = static_cast<unsigned short>(t.size());
            std::memcpy(dado, &n, sizeof n);
            std::memcpy(dado + 2, t.data(), t.size());
            break;
        }
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            const int casas = -p.escala;
            std::int64_t v;
            if (auto i = std::get_if<std::int64_t>(&valor))
                v = *i * Potencia10(casas);
            else if (auto d = std::get_if<double>(&valor))
                v = std::llround(*d * static_cast<double>(Potencia10(casas)));
            else if (std::holds_alternative<std::string>(valor))
                v = TextoParaEscalado(std::get<std::string>(valor), casas);
            else
                throw ErroBanco("uma data não pode ser passada como número");
            if (p.tipo == SQL_SHORT)
                *reinterpret_cast<std::int16_t*>(dado) = static_cast<std::int16_t>(v);
            else if (p.tipo == SQL_LONG)
                *reinterpret_cast<std::int32_t*>(dado) = static_cast<std::int32_t>(v);
            else
                *reinterpret_cast<std::int64_t*>(dado) = v;
            break;
        }
        case SQL_FLOAT:
        case SQL_DOUBLE: {
            double v;
            if (auto i = std::get_if<std::int64_t>(&valor))
                v = static_cast<double>(*i);
            else if (auto d = std::get_if<double>(&valor))
                v = *d;
            else if (std::holds_alternative<std::string>(valor))
                v = static_cast<double>(TextoParaEscalado(std::get<std::string>(valor), 9)) / 1e9;
            else
                throw ErroBanco("uma data não pode ser passada como número");
            if (p.tipo == SQL_FLOAT)
                *reinterpret_cast<float*>(dado) = static_cast<float>(v);
            else
                *reinterpret_cast<double*>(dado) = v;
            break;
        }
        case SQL_TYPE_DATE:
        case SQL_TIMESTAMP: {
            Data d;
            if (auto dd = std::get_if<Data>(&valor))
                d = *dd;
            else if (!TextoParaData(comoTexto(), d))
                ErroConversao(comoTexto());
            auto* destino = reinterpret_cast<ISC_DATE*>(dado);
            destino[0] = ParaDataFirebird(d);
            if (p.tipo == SQL_TIMESTAMP) reinterpret_cast<ISC_TIME*>(dado)[1] = 0;
            break;
        }
        case SQL_BOOLEAN: {
            auto i = std::get_if<std::int64_t>(&valor);
            *dado = i && *i ? 1 : 0;
            break;
        }
        default:
            throw ErroBanco("tipo de parâmetro não suportado: " + std::to_string(p.tipo));
    }
}

void Comando::Abre(Transacao& transacao,
                   const std::function<void(const unsigned char*)>& linha) {
    Chama([&](ThrowStatusWrapper* st) {
        IResultSet* cursor = comando_->openCursor(st, transacao.Ponteiro(), entrada_,
                                                  bufferEntrada_.data(), saida_, 0);
        try {
            while (cursor->fetchNext(st, bufferSaida_.data()) == IStatus::RESULT_OK)
                linha(bufferSaida_.data());
            cursor->close(st);
        } catch (...) {
            cursor->release();
            throw;
        }
    });
}

void Comando::Executa(Transacao& transacao) {
    Chama([&](ThrowStatusWrapper* st) {
        comando_->execute(st, transacao.Ponteiro(), entrada_, bufferEntrada_.data(), saida_,
                          bufferSaida_.data());
    });
}

std::uint64_t Comando::LinhasAfetadas() {
    const unsigned char pedido[] = {isc_info_sql_records};
    unsigned char resposta[64] = {};
    Chama([&](ThrowStatusWrapper* st) {
        comando_->getInfo(st, sizeof pedido, pedido, sizeof resposta, resposta);
    });
    // isc_info_sql_records, length, then counters: item, length, value.
    auto inteiro = [&](std::size_t i, unsigned tamanho) {
        std::uint64_t v = 0;
        for (unsigned k = 0; k < tamanho; ++k) v |= static_cast<std::uint64_t>(resposta[i + k]) << (8 * k);
        return v;
    };
    if (resposta[0] != isc_info_sql_records) return 0;
    std::uint64_t total = 0;
    for (std::size_t i = 3; i + 3 <= sizeof resposta && resposta[i] != isc_info_end;) {
        const unsigned char item = resposta[i];
        const auto tamanho = static_cast<unsigned>(inteiro(i + 1, 2));
        if (i + 3 + tamanho > sizeof resposta) break;
        if (item == isc_info_req_insert_count || item == isc_info_req_update_count ||
            item == isc_info_req_delete_count)
            total += inteiro(i + 3, tamanho);
        i += 3 + tamanho;
    }
    return total;
}

// ---------------------------------------------------------------- reading

namespace {

// The unscaled integer of a SMALLINT, INTEGER or BIGINT column (NUMERIC and
// DECIMAL included); false for other types.
bool LeBruto(const ColunaResultado& c, const unsigned char* linha, std::int64_t& v) {
    const unsigned char* p = linha + c.deslocamento;
    switch (c.tipo) {
        case SQL_SHORT: v = *reinterpret_cast<const std::int16_t*>(p); return true;
        case SQL_LONG: v = *reinterpret_cast<const std::int32_t*>(p); return true;
        case SQL_INT64: v = *reinterpret_cast<const std::int64_t*>(p); return true;
        default: return false;
    }
}

}  // namespace

bool EhNulo(const ColunaResultado& c, const unsigned char* linha) {
    return *reinterpret_cast<const short*>(linha + c.deslocamentoNulo) != 0;
}

bool EhTexto(const ColunaResultado& c) { return c.tipo == SQL_TEXT || c.tipo == SQL_VARYING; }

bool EhNumero(const ColunaResultado& c) {
    return c.tipo == SQL_SHORT || c.tipo == SQL_LONG || c.tipo == SQL_INT64 ||
           c.tipo == SQL_FLOAT || c.tipo == SQL_DOUBLE || c.tipo == SQL_D_FLOAT;
}

bool EhData(const ColunaResultado& c) {
    return c.tipo == SQL_TYPE_DATE || c.tipo == SQL_TIMESTAMP;
}

std::int64_t LeInteiro(const ColunaResultado& c, const unsigned char* linha) {
    if (EhNulo(c, linha)) return 0;
    std::int64_t v;
    if (!LeBruto(c, linha, v)) {
        if (c.tipo == SQL_FLOAT || c.tipo == SQL_DOUBLE) return std::llround(LeReal(c, linha));
        if (c.tipo == SQL_BOOLEAN) return *(linha + c.deslocamento) ? 1 : 0;
        return TextoParaEscalado(LeTexto(c, linha), 0);
    }
    if (c.escala < 0) {
        // Rounded, as a decimal with places is read into a whole number.
        const std::int64_t p10 = Potencia10(-c.escala);
        const std::int64_t q = v / p10, r = v % p10;
        if (2 * (r < 0 ? -r : r) >= p10) return v < 0 ? q - 1 : q + 1;
        return q;
    }
    return v * Potencia10(c.escala);
}

double LeReal(const ColunaResultado& c, const unsigned char* linha) {
    if (EhNulo(c, linha)) return 0;
    const unsigned char* p = linha + c.deslocamento;
    if (c.tipo == SQL_FLOAT) return *reinterpret_cast<const float*>(p);
    if (c.tipo == SQL_DOUBLE || c.tipo == SQL_D_FLOAT) return *reinterpret_cast<const double*>(p);
    std::int64_t v;
    if (!LeBruto(c, linha, v))
        return static_cast<double>(TextoParaEscalado(LeTexto(c, linha), 9)) / 1e9;
    // A scaled integer divided by an exact power of ten gives the double
    // nearest to the decimal value.
    if (c.escala < 0) return static_cast<double>(v) / static_cast<double>(Potencia10(-c.escala));
    return static_cast<double>(v * Potencia10(c.escala));
}

bool LeInteiroEscalado(const ColunaResultado& c, const unsigned char* linha, int casas,
                       std::int64_t& valor) {
    std::int64_t v;
    if (!LeBruto(c, linha, v)) return false;
    // The column holds v × 10^escala; as places of `casas`: v × 10^(escala + casas).
    const int deslocamento = c.escala + casas;
    if (deslocamento < 0 || deslocamento > 9) return false;
    const std::int64_t fator = Potencia10(deslocamento);
    if (v > INT64_MAX / fator || v < INT64_MIN / fator) return false;
    valor = v * fator;
    return true;
}

Data LeData(const ColunaResultado& c, const unsigned char* linha) {
    if (EhNulo(c, linha)) return Data{};
    if (EhData(c)) {
        const auto dias = *reinterpret_cast<const ISC_DATE*>(linha + c.deslocamento);
        return Data{std::chrono::sys_days{std::chrono::days{dias - DiasAte1970}}};
    }
    Data d;
    const std::string t = LeTexto(c, linha);
    if (!TextoParaData(t, d)) ErroConversao(t);
    return d;
}

std::string_view VistaTexto(const ColunaResultado& c, const unsigned char* linha) {
    if (EhNulo(c, linha)) return {};
    const auto* p = reinterpret_cast<const char*>(linha + c.deslocamento);
    if (c.tipo == SQL_TEXT) return std::string_view(p, c.tamanho);
    unsigned short n;
    std::memcpy(&n, p, sizeof n);
    return std::string_view(p + 2, n);
}

std::string LeTexto(const ColunaResultado& c, const unsigned char* linha) {
    if (EhNulo(c, linha)) return {};
    const unsigned char* p = linha + c.deslocamento;
    switch (c.tipo) {
        case SQL_TEXT:
            return std::string(reinterpret_cast<const char*>(p), c.tamanho);
        case SQL_VARYING: {
            unsigned short n;
            std::memcpy(&n, p, sizeof n);
            return std::string(reinterpret_cast<const char*>(p + 2), n);
        }
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            std::int64_t v = 0;
            LeBruto(c, linha, v);
            return TextoDoEscalado(v, c.escala);
        }
        case SQL_FLOAT:
        case SQL_DOUBLE: {
            char t[64];
            std::snprintf(t, sizeof t, "%.15g", LeReal(c, linha));
            return t;
        }
        case SQL_TYPE_DATE:
        case SQL_TIMESTAMP:
            return TextoData(LeData(c, linha));
        case SQL_BOOLEAN:
            return *p ? "True" : "False";
        default:
            throw ErroBanco("tipo de coluna não suportado: " + std::to_string(c.tipo));
    }
}

}  // namespace fb
