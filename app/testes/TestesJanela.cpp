// The main window on Qt's offscreen platform, against a real embedded database
// with the demo data. Message boxes are answered by the tests; a run is waited
// for by its end signal, never by a fixed time.
#include "../../data/testes/BancoTeste.h"
#include "FormatoBrasileiro.h"
#include "FrmPrincipalSintegra.h"
#include "Mensagens.h"
#include "VerificaArquivo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QAction>
#include <QDialog>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

namespace fs = std::filesystem;

// Holds the export thread at its start until the test opens it.
class Porta {
public:
    void Espera() {
        std::unique_lock t(m_);
        cv_.wait(t, [&] { return aberta_; });
    }
    void Abre() {
        std::lock_guard t(m_);
        aberta_ = true;
        cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool aberta_ = false;
};

std::string Le(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The schema and the demo data, built once by the build (or else once per
// test program) and copied for each test: loading the demo script takes
// seconds, a copy does not.
const fs::path& ModeloDemo() {
#ifdef PRAXO_MODELO_DEMO
    static const fs::path construido = PRAXO_MODELO_DEMO;
    if (fs::exists(construido)) return construido;
#endif
    static testes::PastaTemporaria pasta;
    static const fs::path modelo = [] {
        const fs::path p = pasta.Caminho() / "demo.fdb";
        fs::copy_file(testes::Modelo(), p);
        auto c = fb::Conexao::Abre(p.string(), {"PRAXO", "varelomi", {}});
        ExecutaArquivoScript(c, (testes::PastaSql / "demo.sql").string());
        return p;
    }();
    return modelo;
}

// A program folder: the demo database with a fixture, its dbxconnections.ini,
// and the program file whose version the window shows.
class PastaPrograma {
public:
    explicit PastaPrograma(const std::string& fixture) {
        const fs::path arquivo = pasta_.Caminho() / "empresa.fdb";
        fs::copy_file(ModeloDemo(), arquivo);
        if (!fixture.empty()) {
            auto c = fb::Conexao::Abre(arquivo.string(), {"PRAXO", "varelomi", {}});
            ExecutaScript(c, fixture);
        }
        EscreveIni("[EMPRESA]\nDatabase=" + arquivo.string() + "\n");
    }
    void EscreveIni(const std::string& conteudo) const {
        testes::EscreveArquivo(pasta_.Caminho() / "dbxconnections.ini", conteudo);
    }
    std::string Pasta() const { return pasta_.Prefixo(); }

private:
    testes::PastaTemporaria pasta_;
};

class JanelaTest : public ::testing::Test {
protected:
    // An empty VERSAOBD: the version check finds nothing to do.
    static constexpr const char* SemVersaoNoBanco = "DELETE FROM VERSAOBD;";

    void SetUp() override {
        DefineMostraVerificacao([this](const std::string& arquivo) { verificados.push_back(arquivo); });
        DefineRespostaMensagens([this](const PedidoMensagem& p) {
            caixas.push_back(p);
            if (p.botoes == BotoesMensagem::Ok) return RespostaMensagem::Ok;
            const auto r = respostas.empty() ? RespostaMensagem::Nao : respostas.front();
            if (!respostas.empty()) respostas.pop_front();
            return r;
        });
    }
    void TearDown() override {
        porta.Abre();
        janela.reset();
        dm.reset();
        DefineRespostaMensagens({});
        DefineMostraVerificacao({});
        DefineEscolhaArquivoSintegra({});
    }

    // The window in a program folder holding the demo database, its
    // dbxconnections.ini and `programa` as PRAXOSintegra.
    void Abre(QStringList argumentos = {}, const std::string& fixture = SemVersaoNoBanco,
              const fs::path& programa = PRAXO_PROGRAMA_JANELA, bool biblioteca = true) {
        if (!banco) {  // a test that opens the window again keeps its folder
            banco = std::make_unique<PastaPrograma>(fixture);
            fs::create_symlink(programa, fs::path(banco->Pasta()) / "PRAXOSintegra");
            if (biblioteca) fs::create_symlink(PRAXO_BIBLIOTECA, fs::path(banco->Pasta()) / "PraxoLib.dll");
        }
        janela = std::make_unique<TFrmPrincipalSintegra>(banco->Pasta(), argumentos);
        dm = std::make_unique<TFDMExporta>(banco->Pasta());
        janela->DefineModulo(dm.get());
        janela->show();
    }

    void Clica(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    void Mes(int mes, const QString& ano) {
        janela->CbxMes->setCurrentIndex(mes - 1);
        janela->EdtAno->setText(ano);
    }
    void ProcessaMarco2010() {
        Mes(3, "2010");
        Clica(janela->BtnPesquisar);
    }
    // Waits for the run's thread to end and the window to be free again.
    bool EsperaFim() {
        return QTest::qWaitFor([&] { return !janela->ExportacaoViva(); }, 120000);
    }
    void SeguraExportacao() {
        janela->AntesDaExportacao = [this] { porta.Espera(); };
    }
    std::vector<std::string> Textos() const {
        std::vector<std::string> r;
        for (const auto& c : caixas) r.push_back(c.texto);
        return r;
    }
    std::string Status() const { return janela->StStatus->currentMessage().toStdString(); }

    std::unique_ptr<PastaPrograma> banco;
    std::unique_ptr<TFDMExporta> dm;
    std::unique_ptr<TFrmPrincipalSintegra> janela;
    std::vector<PedidoMensagem> caixas;
    std::deque<RespostaMensagem> respostas;
    std::vector<std::string> verificados;  // files whose check's dialog was shown
    Porta porta;
};

// The screen's forms do not follow the machine's locale.
TEST(FormatoBrasileiroTest, ValoresEDatas) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::pair<double, const char*> valores[] = {
        {0, "0,00"}, {1234.56, "1.234,56"}, {-1234567.891, "-1.234.567,89"}, {0.005, "0,01"}};
    for (const auto& [v, texto] : valores) EXPECT_EQ(FormataValor(v), texto) << v;
    EXPECT_EQ(FormataData(FazData(2010, 3, 1)), "01/03/2010");
    EXPECT_EQ(LeData("29/02/2012"), FazData(2012, 2, 29));
    for (const char* invalida : {"29/02/2011", "  /  /    ", "01/03/10", "32/01/2010", ""})
        EXPECT_FALSE(LeData(invalida).has_value()) << invalida;
    QLocale::setDefault(QLocale::system());
}

TEST_F(JanelaTest, InicioComOsValoresPadrao) {
    Abre();
    const QDate hoje = QDate::currentDate();
    EXPECT_EQ(janela->CbxMes->currentIndex(), hoje.month() - 1);
    EXPECT_EQ(janela->EdtAno->text(), QString::number(hoje.year()));
    EXPECT_EQ(janela->RxDBLkCbEMPRESA->currentData().toInt(), 1);
    EXPECT_EQ(janela->RxDBLkCbEMPRESA->currentText(), QString::fromUtf8("EMPÓRIO BOA VISTA"));
    EXPECT_EQ(janela->windowTitle(), QString::fromUtf8("PRAXO - Exportação de Dados para Sintegra - Versão : 1.0.0.1"));
    EXPECT_EQ(janela->VersaoBuild, "1.0.0.1");
    EXPECT_TRUE(janela->RdBtnMensal->isChecked());
    EXPECT_EQ(janela->PgCntrlTipoPeriodo->currentWidget(), janela->TbShtMes);
    EXPECT_EQ(janela->LblEtapas->text(), "Etapa : 0 / 8");
    EXPECT_EQ(janela->LblTotalRegistros->text(), "0");
    EXPECT_TRUE(janela->DtEdtInventario->text().remove('/').trimmed().isEmpty());
    EXPECT_TRUE(janela->PnlStatus->isHidden());
    for (auto* c : {janela->ChkBxPAF_ECF, janela->ChkbxItemCupom, janela->ChkBxInventario,
                    janela->ChkBxNovoContador, janela->ChkBxReg88}) {
        EXPECT_FALSE(c->isChecked());
        EXPECT_TRUE(c->isEnabled());
    }
    EXPECT_FALSE(janela->ModoPafEcf);
    EXPECT_TRUE(caixas.empty());
}

TEST_F(JanelaTest, ProgramaSemVersaoMostraZeros) {
    Abre({}, SemVersaoNoBanco, PRAXO_PROGRAMA_SEM_VERSAO);
    EXPECT_TRUE(janela->windowTitle().endsWith(QString::fromUtf8(" - Versão : 0.0.0.0")));
}

struct CasoLinhaDeComando {
    QStringList argumentos;
    bool modoPafEcf;
    std::string arquivo;
};

TEST_F(JanelaTest, LinhaDeComandoPafEcf) {
    const CasoLinhaDeComando casos[] = {
        {{"PAFECF", "PAF.TXT"}, true, "PAF.TXT"},
        {{"pafecf", "PAF.TXT"}, false, "PAF.TXT"},  // case-sensitive, the name is still taken
        {{"PAFECF"}, true, ""},
        {{"PAFECF", "PAF.TXT", "mais"}, true, "PAF.TXT"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.argumentos.join(' ').toStdString());
        Abre(caso.argumentos);
        EXPECT_EQ(janela->ModoPafEcf, caso.modoPafEcf);
        EXPECT_EQ(janela->ArquivoPafEcf, caso.arquivo);
        for (auto* c : {janela->ChkBxPAF_ECF, janela->ChkbxItemCupom}) {
            EXPECT_EQ(c->isChecked(), caso.modoPafEcf);
            EXPECT_EQ(c->isEnabled(), !caso.modoPafEcf);
        }
        janela.reset();
    }
}

struct CasoPeriodo {
    const char* nome;
    bool livre;
    QString ano, inicio, fim;
    std::string mensagem;  // empty: accepted
    IconeMensagem icone;
    Data de, ate;
};

TEST_F(JanelaTest, PeriodoMensalELivre) {
    const CasoPeriodo casos[] = {
        {"fevereiro bissexto", false, "2012", "", "", "", {}, FazData(2012, 2, 1), FazData(2012, 2, 29)},
        {"ano vazio", false, "", "", "", "Ano informado inválido.", IconeMensagem::Aviso, {}, {}},
        {"ano vazio no período livre", true, "", "01/03/2010", "31/03/2010", "Ano informado inválido.",
         IconeMensagem::Aviso, {}, {}},
        {"um só dia", true, "2010", "10/03/2010", "10/03/2010", "", {}, FazData(2010, 3, 10), FazData(2010, 3, 10)},
        {"sem data final", true, "2010", "01/03/2010", "", "O período informado é inválido.",
         IconeMensagem::Informacao, {}, {}},
        {"início depois do fim", true, "2010", "02/03/2010", "01/03/2010", "O período informado é inválido.",
         IconeMensagem::Informacao, {}, {}},
        {"data que não existe", true, "2010", "30/02/2010", "01/03/2010", "O período informado é inválido.",
         IconeMensagem::Informacao, {}, {}},
    };
    Abre();
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        caixas.clear();
        janela->DataInicialPeriodo = janela->DataFinalPeriodo = {};
        Clica(caso.livre ? janela->RdBtnPeriodo : janela->RdBtnMensal);
        EXPECT_EQ(janela->PgCntrlTipoPeriodo->currentWidget(), caso.livre ? janela->TbShtPeriodo : janela->TbShtMes);
        Mes(2, caso.ano);
        janela->DtEdtDataInicial->setText(caso.inicio);
        janela->DtEdtDataFinal->setText(caso.fim);
        Clica(janela->BtnPesquisar);
        EXPECT_TRUE(janela->PnlStatus->isHidden());
        if (caso.mensagem.empty()) {
            EXPECT_TRUE(caixas.empty()) << (caixas.empty() ? "" : caixas[0].texto);
            EXPECT_EQ(janela->DataInicialPeriodo, caso.de);
            EXPECT_EQ(janela->DataFinalPeriodo, caso.ate);
            EXPECT_TRUE(dm->CDSSaidas.Ativo());
        } else {
            ASSERT_EQ(caixas.size(), 1u);
            EXPECT_EQ(caixas[0].titulo, "PRAXO");
            EXPECT_EQ(caixas[0].texto, caso.mensagem);
            EXPECT_EQ(caixas[0].icone, caso.icone);
            EXPECT_EQ(janela->DataInicialPeriodo, Data{});
        }
    }
}

TEST_F(JanelaTest, ProcessarEnchePreviaComFormasBrasileiras) {
    // The machine's locale must not matter.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Abre();
    ProcessaMarco2010();
    QLocale::setDefault(QLocale::system());
    ASSERT_TRUE(caixas.empty());
    const auto* modelo = janela->DBGrdVendas->model();
    const int n = dm->CDSSaidas.QuantidadeRegistros();
    ASSERT_GT(n, 0);
    EXPECT_EQ(modelo->rowCount(), n);
    EXPECT_EQ(janela->LblTotalRegistros->text(), QString::number(n));
    EXPECT_EQ(janela->DtEdtInventario->text(), "31/03/2010");
    const QStringList titulos = {"Tipo",      "Nota Fiscal", "Emissão",    "CFOP", "Saída", "Valor Total",
                                 "Base ICMS", "Valor ICMS",  "Aliq. ICMS", "CNPJ", "UF"};
    ASSERT_EQ(modelo->columnCount(), titulos.size());
    for (int c = 0; c < titulos.size(); ++c) EXPECT_EQ(modelo->headerData(c, Qt::Horizontal).toString(), titulos[c]);
    const QRegularExpression valor("^-?\\d{1,3}(\\.\\d{3})*,\\d{2}$"), data("^\\d{2}/03/2010$");
    // Read from the last row back to the first: the model must find any row.
    for (int r = n - 1; r >= 0; --r) {
        const auto celula = [&](int c) { return modelo->data(modelo->index(r, c)).toString(); };
        EXPECT_TRUE(celula(0) == "NF" || celula(0) == "CF" || celula(0).isEmpty()) << celula(0).toStdString();
        EXPECT_TRUE(data.match(celula(2)).hasMatch()) << celula(2).toStdString();
        for (int c : {5, 6, 7, 8})  // a NULL stays empty
            EXPECT_TRUE(celula(c).isEmpty() || valor.match(celula(c)).hasMatch()) << celula(c).toStdString();
    }
    dm->CDSSaidas.Primeiro();
    EXPECT_EQ(modelo->data(modelo->index(0, 1)).toString().toStdString(),
              [&] { auto t = dm->CDSSaidas.Campo("NUMERODOC").Texto(); return t.substr(0, t.find_last_not_of(' ') + 1); }());
}

TEST_F(JanelaTest, ExportarSemProcessarPedeOProcessamento) {
    Abre();
    Clica(janela->BtnExportar);
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].texto,
              "Não existem informações a serem exportadas.\r\rSelecione a empresa e o período para filtrar as "
              "informações.\r\rClique no botão Processar para verificar as informações.");
    EXPECT_EQ(caixas[0].icone, IconeMensagem::Informacao);
    EXPECT_FALSE(janela->ExportacaoViva());
    EXPECT_FALSE(janela->Estado.Exportando);
}

TEST_F(JanelaTest, ExportacaoCompletaDaJanela) {
    Abre();
    const fs::path arquivo = fs::path(banco->Pasta()) / "SINTEGRA_1_Março_2010.TXT";
    testes::EscreveArquivo(arquivo, "anterior");  // replaced
    ProcessaMarco2010();
    janela->ChkBxReg88->setChecked(true);
    janela->ChkBxInventario->setChecked(true);
    janela->ChkbxItemCupom->setChecked(true);
    Clica(janela->BtnExportar);
    EXPECT_TRUE(janela->Estado.Exportando || !janela->ExportacaoViva());
    ASSERT_TRUE(EsperaFim());
    EXPECT_EQ(Textos(), std::vector<std::string>{"Arquivo exportado com sucesso.\r\rArquivo: " + arquivo.string()});
    EXPECT_EQ(caixas[0].titulo, "PRAXO");
    EXPECT_EQ(janela->LblDescricao->text().toStdString(), "Arquivo SINTEGRA.TXT foi exportado com sucesso.");
    EXPECT_EQ(janela->LblEtapas->text(), "Etapa : 9 / 9");
    EXPECT_EQ(janela->LblTotalRegistros->text(), "0");
    EXPECT_EQ(janela->PgrStatus->value(), 0);
    EXPECT_FALSE(janela->Estado.Exportando);
    EXPECT_FALSE(janela->Estado.CancelaExportacao);
    const std::string conteudo = Le(arquivo);
    EXPECT_EQ(conteudo.rfind("10", 0), 0u);
    EXPECT_TRUE(verificados.empty());  // the demo's file has nothing the validator rejects
    EXPECT_NE(conteudo.find("\r\n50"), std::string::npos);
    EXPECT_NE(conteudo.find("\r\n88"), std::string::npos);
    // The preview is empty until the next Processar.
    EXPECT_EQ(janela->DBGrdVendas->model()->rowCount(), 0);
    caixas.clear();
    Clica(janela->BtnExportar);
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].texto.rfind("Não existem informações a serem exportadas.", 0), 0u);
}

TEST_F(JanelaTest, CancelarNaEtapa1) {
    Abre();
    ProcessaMarco2010();
    SeguraExportacao();
    Clica(janela->BtnExportar);
    ASSERT_TRUE(janela->ExportacaoViva());
    Clica(janela->BtnCancelar);
    EXPECT_EQ(Status(), "  Aguarde, a exportação está sendo cancelada...");
    porta.Abre();
    ASSERT_TRUE(EsperaFim());
    EXPECT_TRUE(caixas.empty());
    EXPECT_EQ(janela->LblDescricao->text().toStdString(), "A exportação foi cancelada.");
    EXPECT_FALSE(janela->Estado.Exportando);
    EXPECT_FALSE(janela->Estado.CancelaExportacao);
    const std::string conteudo = Le(fs::path(banco->Pasta()) / "SINTEGRA_1_Março_2010.TXT");
    EXPECT_EQ(conteudo.rfind("10", 0), 0u);
    EXPECT_EQ(conteudo.find("\r\n50"), std::string::npos);  // stage 1 stopped before its first document
    EXPECT_NE(conteudo.find("\r\n90"), std::string::npos);
}

// While the run's thread lives, also after Cancelar, the window refuses what
// would touch the run, and opens again when the thread has ended.
TEST_F(JanelaTest, RecusasDuranteAExportacao) {
    Abre();
    ProcessaMarco2010();
    SeguraExportacao();
    Clica(janela->BtnExportar);
    ASSERT_TRUE(janela->ExportacaoViva());
    struct Caso {
        QAbstractButton* botao;
        const char* texto;
    };
    const Caso casos[] = {
        {janela->BtnPesquisar, "  Não é permitido executar outra consulta durante a exportação..."},
        {janela->BtnExportar, "  Aguarde, o sistema já está exportando os dados..."},
        {janela->BtnFechar, "  Não é permitido o fechamento do formulário durante a exportação..."},
    };
    for (const auto& c : casos) {
        Clica(c.botao);
        EXPECT_EQ(Status(), c.texto);
    }
    EXPECT_FALSE(janela->close());
    EXPECT_TRUE(janela->isVisible());
    Clica(janela->BtnCancelar);
    for (const auto& c : casos) {
        janela->StStatus->clearMessage();
        Clica(c.botao);
        EXPECT_EQ(Status(), "  Aguarde, a exportação está sendo cancelada...");
    }
    EXPECT_FALSE(janela->close());
    EXPECT_TRUE(caixas.empty());
    porta.Abre();
    ASSERT_TRUE(EsperaFim());
    EXPECT_TRUE(janela->close());
}

// The run exports what Exportar handed it: another company, month or option
// chosen in the window meanwhile changes nothing in it.
TEST_F(JanelaTest, CliquesDuranteAExportacaoNaoMudamOQueElaGrava) {
    Abre();
    ProcessaMarco2010();
    SeguraExportacao();
    Clica(janela->BtnExportar);
    ASSERT_TRUE(janela->ExportacaoViva());
    janela->RxDBLkCbEMPRESA->setCurrentIndex(janela->RxDBLkCbEMPRESA->findData(2));
    Mes(4, "2011");
    janela->ChkBxReg88->setChecked(true);
    porta.Abre();
    ASSERT_TRUE(EsperaFim());
    const std::string conteudo = Le(fs::path(banco->Pasta()) / "SINTEGRA_1_Março_2010.TXT");
    ASSERT_FALSE(conteudo.empty());
    const std::string registro10 = conteudo.substr(0, conteudo.find("\r\n"));
    EXPECT_NE(registro10.find("83512494000110"), std::string::npos) << registro10;
    EXPECT_NE(registro10.find("2010030120100331"), std::string::npos) << registro10;
    EXPECT_EQ(conteudo.find("\r\n88EC"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::path(banco->Pasta()) / "SINTEGRA_2_Abril_2011.TXT"));
}

TEST_F(JanelaTest, FecharPerguntaAntes) {
    for (const auto resposta : {RespostaMensagem::Nao, RespostaMensagem::Sim}) {
        SCOPED_TRACE(resposta == RespostaMensagem::Sim ? "Sim" : "Não");
        Abre();
        ProcessaMarco2010();
        caixas.clear();
        respostas = {resposta};
        Clica(janela->BtnFechar);
        ASSERT_EQ(caixas.size(), 1u);
        EXPECT_EQ(caixas[0].titulo, "PRAXO");
        EXPECT_EQ(caixas[0].texto, "Deseja realmente sair?");
        EXPECT_EQ(caixas[0].icone, IconeMensagem::Pergunta);
        EXPECT_EQ(caixas[0].botoes, BotoesMensagem::SimNao);
        const bool sim = resposta == RespostaMensagem::Sim;
        EXPECT_EQ(janela->isVisible(), !sim);
        EXPECT_EQ(dm->CDSSaidas.Ativo(), !sim);
        EXPECT_EQ(dm->ClientEmpresaLocal.Ativo(), !sim);
        EXPECT_EQ(dm->SQLConnectionPRAXO.Conectada(), !sim);
        janela.reset();
    }
}

TEST_F(JanelaTest, BotoesDoAno) {
    Abre();
    janela->EdtAno->setText("2010");
    Clica(janela->RxSpinButton1Top);
    EXPECT_EQ(janela->EdtAno->text(), "2011");
    Clica(janela->RxSpinButton1Bottom);
    Clica(janela->RxSpinButton1Bottom);
    EXPECT_EQ(janela->EdtAno->text(), "2009");
    // An empty year is a conversion error for the general handler; nothing changes.
    janela->EdtAno->clear();
    Clica(janela->RxSpinButton1Top);
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].icone, IconeMensagem::Erro);
    EXPECT_TRUE(janela->EdtAno->text().isEmpty());
}

// The menu opens the Z-reduction window modally, a new one each time.
TEST_F(JanelaTest, MenuReducaoZAbreAJanela) {
    Abre();
    std::vector<QString> titulos;
    for (int vez = 0; vez < 2; ++vez) {
        QTimer::singleShot(0, [&] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                titulos.push_back(modal->windowTitle());
                modal->reject();
            }
        });
        janela->InformarReduoZECF1->trigger();
    }
    EXPECT_EQ(titulos, (std::vector<QString>{"Informar Redução Z - ECF", "Informar Redução Z - ECF"}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    janela->Atualizaresteprograma1->trigger();
    EXPECT_TRUE(caixas.empty());
}

// "Verificar arquivo Sintegra..." checks the file the person chooses.
TEST_F(JanelaTest, MenuVerificaOArquivoEscolhido) {
    Abre();
    std::string escolha = banco->Pasta() + "QUALQUER.TXT";
    std::string pastaOferecida;
    DefineEscolhaArquivoSintegra([&](const std::string& pasta) {
        pastaOferecida = pasta;
        return escolha;
    });
    janela->VerificarArquivoSintegra1->trigger();
    EXPECT_EQ(pastaOferecida, banco->Pasta());
    EXPECT_EQ(verificados, std::vector<std::string>{escolha});
    escolha.clear();  // the person gave up
    janela->VerificarArquivoSintegra1->trigger();
    EXPECT_EQ(verificados.size(), 1u);
}

// After an export whose file the validator would reject, its check's dialog
// opens after the success message; a clean file (the demo's) opens none.
TEST_F(JanelaTest, ExportacaoComErroAbreAVerificacao) {
    Abre({}, std::string(SemVersaoNoBanco) + "UPDATE EMPRESA SET CNPJ = '11222333000100' WHERE CODEMPRESA = 1;");
    ProcessaMarco2010();
    Clica(janela->BtnExportar);
    ASSERT_TRUE(EsperaFim());
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].texto.rfind("Arquivo exportado com sucesso.", 0), 0u);
    EXPECT_EQ(verificados, std::vector<std::string>{banco->Pasta() + "SINTEGRA_1_Março_2010.TXT"});
}

// A PAF-ECF file name that is the company's database is refused before any run.
TEST_F(JanelaTest, DestinoQueEOBancoERecusado) {
    Abre({"PAFECF", "empresa.fdb"});
    const auto tamanho = fs::file_size(fs::path(banco->Pasta()) / "empresa.fdb");
    ProcessaMarco2010();
    caixas.clear();
    Clica(janela->BtnExportar);
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_NE(caixas[0].texto.find("é o banco de dados da empresa"), std::string::npos) << caixas[0].texto;
    EXPECT_FALSE(janela->ExportacaoViva());
    EXPECT_EQ(fs::file_size(fs::path(banco->Pasta()) / "empresa.fdb"), tamanho);
}

// A file that cannot be created stops Exportar: no run starts.
TEST_F(JanelaTest, ArquivoQueNaoPodeSerCriadoNaoIniciaAExportacao) {
    for (const char* nome : {"", "nao-existe/PAF.TXT"}) {  // the program's folder itself; no such folder
        SCOPED_TRACE(nome);
        Abre({"PAFECF", nome});
        ProcessaMarco2010();
        caixas.clear();
        Clica(janela->BtnExportar);
        ASSERT_EQ(caixas.size(), 1u);
        EXPECT_EQ(caixas[0].texto,
                  "Não foi possível criar o arquivo " + banco->Pasta() + nome + " no caminho especificado.");
        EXPECT_EQ(caixas[0].titulo, "PRAXO");
        EXPECT_FALSE(janela->ExportacaoViva());
        EXPECT_FALSE(janela->Estado.Exportando);
        for (const auto& f : fs::directory_iterator(banco->Pasta())) EXPECT_NE(f.path().extension(), ".tmp");
        janela.reset();
    }
}

// A run that fails: the error in a box, the failure in the label, the flags
// cleared, and the earlier file of that name untouched.
TEST_F(JanelaTest, ErroNaExportacao) {
    Abre({"PAFECF", "PAF.TXT"}, SemVersaoNoBanco, PRAXO_PROGRAMA_JANELA, false);  // no library to sign
    const fs::path arquivo = fs::path(banco->Pasta()) / "PAF.TXT";
    testes::EscreveArquivo(arquivo, "anterior");
    ProcessaMarco2010();
    Clica(janela->BtnExportar);
    ASSERT_TRUE(EsperaFim());
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].titulo, "PRAXO");
    EXPECT_EQ(caixas[0].icone, IconeMensagem::Erro);
    EXPECT_EQ(caixas[0].texto, "PraxoLib.Dll não disponível.");
    EXPECT_EQ(janela->LblDescricao->text().toStdString(), "A exportação falhou.");
    EXPECT_FALSE(janela->Estado.Exportando);
    EXPECT_FALSE(janela->Estado.CancelaExportacao);
    EXPECT_EQ(Le(arquivo), "anterior");
    EXPECT_TRUE(janela->close());
}

// The check's error is told once, however often the window is activated.
TEST_F(JanelaTest, ErroDaVerificacaoDeVersaoUmaSoVez) {
    Abre({}, "", PRAXO_PROGRAMA_JANELA, false);  // VERSAOBD names a version; no library
    for (int i = 0; i < 3; ++i) janela->FormActivate();
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].texto, "PraxoLib.Dll não disponível.");
    EXPECT_EQ(caixas[0].icone, IconeMensagem::Erro);
    EXPECT_TRUE(janela->isVisible());
}

TEST_F(JanelaTest, SemEmpresaEscolhidaNadaAcontece) {
    Abre();
    janela->RxDBLkCbEMPRESA->setCurrentIndex(-1);
    for (auto* botao : {janela->BtnPesquisar, janela->BtnExportar}) {
        caixas.clear();
        Clica(botao);
        ASSERT_EQ(caixas.size(), 1u);
        EXPECT_EQ(caixas[0].texto.rfind("Nenhuma empresa foi escolhida.", 0), 0u);
        EXPECT_FALSE(dm->CDSSaidas.Ativo());
        EXPECT_FALSE(janela->ExportacaoViva());
    }
}

TEST_F(JanelaTest, ErroAoAbrirAListaEscondeOPainel) {
    Abre();
    // The database goes away under the window.
    dm->SQLConnectionPRAXO.Desconecta();
    banco->EscreveIni("[EMPRESA]\nDatabase=" + banco->Pasta() + "nao-existe.fdb\n");
    dm->ConexaoConfigurada = false;
    ProcessaMarco2010();
    ASSERT_EQ(caixas.size(), 1u);
    EXPECT_EQ(caixas[0].icone, IconeMensagem::Erro);
    EXPECT_TRUE(janela->PnlStatus->isHidden());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Praxo - Sintegra"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
