// The Z-reduction window, driven as a user would on Qt's offscreen platform,
// against a real embedded database: period and printer, the checks of Gravar,
// rate rows and net sale, the coupon-range lookup, editing, deleting, a store
// that fails part-way, and storing while an export runs.
#include "../../export/testes/Cenario.h"
#include "ReducaoZ.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Printer MAQ1 sells coupons 999 and 1000 on 15 March; MAQ2 one coupon on
// the 16th; MAQ3's coupon number is not a number; MAQ9 is another company's.
// One reduction of MAQ1 is stored with two rate rows. A rate row 'ERRO' is
// refused by the database, to make a store fail part-way.
const std::string Fixture = std::string(cenario::Base) + R"(
INSERT INTO ECF VALUES (1, 1, 'MAQ1', '999', '2010-03-15', 'A', 10);
INSERT INTO ECF VALUES (2, 1, 'MAQ1', '1000', '2010-03-15', 'A', 10);
INSERT INTO ECF VALUES (3, 1, 'MAQ2', '45', '2010-03-16', 'A', 10);
INSERT INTO ECF VALUES (4, 1, 'MAQ3', '12A', '2010-03-17', 'A', 10);
INSERT INTO ECF VALUES (5, 2, 'MAQ9', '1', '2010-03-15', 'A', 10);
INSERT INTO ECF VALUES (6, 1, 'MAQ1', '1001', '2010-04-01', 'A', 10);
INSERT INTO SINTREG60M VALUES (1, '2010-03-15', 'MAQ1', 1, 999, 1000, 10, 1, 35.00, 1000.00, 1);
INSERT INTO SINTREG60A VALUES (1, 1, '1700', 30.00);
INSERT INTO SINTREG60A VALUES (1, 2, 'F', 5.00);
SET GENERATOR COD60M_GEN TO 1;
SET GENERATOR COD60A_GEN TO 2;
ALTER TABLE SINTREG60A ADD CONSTRAINT ALIQUOTA_ACEITA CHECK (ALIQUOTA <> 'ERRO');
)";

// Answers the window's message boxes and keeps what they said.
class MensagensRespondidas : public TMensagens {
public:
    struct Mensagem {
        QMessageBox::Icon icone;
        QString titulo;
        QString texto;
        QMessageBox::StandardButton padrao;
    };
    QMessageBox::StandardButton Mostra(QWidget*, QMessageBox::Icon icone, const QString& titulo,
                                       const QString& texto, QMessageBox::StandardButtons botoes,
                                       QMessageBox::StandardButton padrao) override {
        mostradas.push_back({icone, titulo, texto, padrao});
        return botoes.testFlag(resposta) ? resposta : QMessageBox::Ok;
    }
    QString Ultima() const { return mostradas.empty() ? QString() : mostradas.back().texto; }

    std::vector<Mensagem> mostradas;
    QMessageBox::StandardButton resposta = QMessageBox::Ok;
};

// The export of company 1 for March 2010, as the run takes it.
OpcoesExportacao Marco2010() {
    OpcoesExportacao opcoes;
    opcoes.empresa = 1;
    opcoes.dataInicial = FazData(2010, 3, 1);
    opcoes.dataFinal = FazData(2010, 3, 31);
    return opcoes;
}

class ReducaoZTest : public ::testing::Test {
protected:
    testes::BancoTeste banco{Fixture};
    std::unique_ptr<TFDMExporta> dm = banco.Modulo();
    MensagensRespondidas mensagens;
    std::unique_ptr<TFrmReducaoZ> j;

    void SetUp() override {
        j = std::make_unique<TFrmReducaoZ>(dm->SQLConnectionPRAXO);
        j->DefineMensagens(&mensagens);
        j->show();
    }

    void Clica(QPushButton* botao) { QTest::mouseClick(botao, Qt::LeftButton); }

    void Confirma(int mes = 3, int ano = 2010, const char* empresa = "LOJA") {
        j->CbxMes->setCurrentIndex(mes - 1);
        j->EdtAno->setValue(ano);
        j->RxDBLkCbEMPRESA->setCurrentIndex(empresa ? j->RxDBLkCbEMPRESA->findText(empresa) : -1);
        Clica(j->BitBtn5);
    }

    void EscolheMaquina(const QString& serie) {
        j->DbLkpCbBxSerie->setCurrentIndex(j->DbLkpCbBxSerie->findText(serie));
        Clica(j->BtBtnConfirmaMaquina);
    }

    // Leaving the date field, as a Tab from it would.
    void SaiDaData() {
        QFocusEvent saida(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(j->DbdtEdtData, &saida);
    }

    void IncluiAliquota(const QString& codigo, const QString& valor) {
        j->DbCbAliquota->setEditText(codigo);
        j->RxClcEdtValor->setText(valor);
        Clica(j->BtBtnIncluirAliquota);
    }

    // A new reduction with its required fields typed in.
    void NovaReducao(const QString& serie, const QString& numero, const QString& data) {
        Clica(j->BitBtn3);
        j->RxDbCbEdtNumeroSerie->setText(serie);
        j->RxDbClcNumero->setText(numero);
        j->DbdtEdtData->setText(data);
    }

    // What the database holds, one text per reduction and per rate row.
    std::vector<std::string> Consulta(const std::string& sql, std::vector<DefinicaoCampo> campos) {
        TConjuntoDados c("QVerifica", "CDSVerifica", {sql}, std::move(campos));
        c.DefineConexao(&dm->SQLConnectionPRAXO);
        c.Abre();
        std::vector<std::string> linhas;
        for (c.Primeiro(); !c.Fim(); c.Proximo()) {
            std::string l;
            for (const auto& d : c.Campos()) l += (l.empty() ? "" : " ") + c.Campo(d.nome).Texto();
            linhas.push_back(l);
        }
        return linhas;
    }
    std::vector<std::string> Reducoes() {
        return Consulta("SELECT * FROM SINTREG60M ORDER BY COD60M",
                        {Inteiro("COD60M"), DataCampo("DATAEMISSAO"), Texto("SERIEECF"), Inteiro("NUMEROECF"),
                         Inteiro("COOINICIAL"), Inteiro("COOFINAL"), Inteiro("CONTREDUCAOZ"),
                         Inteiro("CONTREINICIO"), Decimal("VENDABRUTA", 2), Decimal("GRANDETOTAL", 2),
                         Inteiro("CODEMPRESA")});
    }
    std::vector<std::string> Aliquotas() {
        return Consulta("SELECT * FROM SINTREG60A ORDER BY COD60M, COD60A",
                        {Inteiro("COD60M"), Inteiro("COD60A"), Texto("ALIQUOTA", 4), Decimal("VALOR", 2)});
    }
    // The rows of a grid as the user sees them.
    static std::vector<QString> Grade(QTableView* grade) {
        std::vector<QString> linhas;
        auto* m = grade->model();
        for (int l = 0; l < m->rowCount(); ++l) {
            QString t;
            for (int c = 0; c < m->columnCount(); ++c) t += (c ? "|" : "") + m->index(l, c).data().toString();
            linhas.push_back(t);
        }
        return linhas;
    }
    QWidget* Foco() const { return j->focusWidget(); }
};

int AnoAtual() { return static_cast<int>(Hoje().year()); }

TEST_F(ReducaoZTest, JanelaAbreNoPeriodoComTudoMaisDesabilitado) {
    EXPECT_EQ(j->windowTitle(), QString::fromUtf8("Informar Redução Z - ECF"));
    EXPECT_EQ(j->AnoAtual, AnoAtual());
    EXPECT_EQ(j->EdtAno->value(), AnoAtual());
    EXPECT_EQ(j->CbxMes->currentIndex(), static_cast<int>(static_cast<unsigned>(Hoje().month())) - 1);
    EXPECT_EQ(j->CbxMes->itemText(9), "Outrubro");
    EXPECT_EQ(j->RxDBLkCbEMPRESA->currentIndex(), -1);
    EXPECT_EQ(j->RxDBLkCbEMPRESA->count(), 2);
    EXPECT_FALSE(j->GrpBxMaquina->isEnabled());
    EXPECT_FALSE(j->PgCntrlPrincipal->isEnabled());
    EXPECT_FALSE(j->GrpBxBotoes->isEnabled());
    EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtConsulta);
    EXPECT_EQ(j->DbCbAliquota->currentText(), "1700");
    const QStringList titulos = {QString::fromUtf8("Código"), "Data", QString::fromUtf8("Série"),
                                 QString::fromUtf8("Número Máquina"), "Cupom Inicial", "Cupom Final",
                                 QString::fromUtf8("Contador Redução"), QString::fromUtf8("Contador Reinício"),
                                 "Venda Bruta", "Grande Total"};
    for (int c = 0; c < titulos.size(); ++c)
        EXPECT_EQ(j->RxDBGrid1->model()->headerData(c, Qt::Horizontal).toString(), titulos[c]);
}

// Next year is refused; this year and any earlier year down to 1900 are not.
TEST_F(ReducaoZTest, AnoDoPeriodo) {
    struct Caso {
        int ano;
        bool aceito;
    };
    for (const Caso caso : {Caso{AnoAtual() + 1, false}, Caso{AnoAtual(), true}, Caso{1900, true}}) {
        SCOPED_TRACE(caso.ano);
        mensagens.mostradas.clear();
        Confirma(1, caso.ano);
        if (caso.aceito) {
            EXPECT_TRUE(mensagens.mostradas.empty()) << mensagens.Ultima().toStdString();
            EXPECT_TRUE(j->GrpBxMaquina->isEnabled());
            EXPECT_EQ(j->DataInicialPeriodo, FazData(caso.ano, 1, 1));
            EXPECT_EQ(j->DataFinalPeriodo, FazData(caso.ano, 1, 31));
        } else {
            ASSERT_EQ(mensagens.mostradas.size(), 1u);
            EXPECT_EQ(mensagens.mostradas[0].texto, QString::fromUtf8("Ano de processamento maior que o atual."));
            EXPECT_EQ(mensagens.mostradas[0].titulo, "PRAXO");
            EXPECT_EQ(mensagens.mostradas[0].icone, QMessageBox::Information);
            EXPECT_EQ(Foco(), j->EdtAno);
            EXPECT_FALSE(j->GrpBxMaquina->isEnabled());
        }
    }
}

TEST_F(ReducaoZTest, ConfirmarTrazAsMaquinasDaEmpresaNoMes) {
    Confirma(3, 2010);
    QStringList series;
    for (int i = 0; i < j->DbLkpCbBxSerie->count(); ++i) series << j->DbLkpCbBxSerie->itemText(i);
    EXPECT_EQ(series, (QStringList{"MAQ1", "MAQ2", "MAQ3"}));  // not MAQ9 of company 2
    EXPECT_EQ(j->DbLkpCbBxSerie->currentIndex(), -1);
    EXPECT_TRUE(j->GrpBxMaquina->isEnabled());
    EXPECT_TRUE(j->GrpBxBotoes->isEnabled());
    EXPECT_TRUE(j->PgCntrlPrincipal->isEnabled());
    EXPECT_EQ(Foco(), j->DbLkpCbBxSerie);
    EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtConsulta);

    EscolheMaquina("MAQ1");
    EXPECT_EQ(Grade(j->RxDBGrid1), (std::vector<QString>{"1|15/03/2010|MAQ1|1|999|1000|10|1|35,00|1.000,00"}));
}

TEST_F(ReducaoZTest, ConfirmarSemEmpresaSoAvisa) {
    Confirma(3, 2010, nullptr);
    ASSERT_EQ(mensagens.mostradas.size(), 1u);
    EXPECT_EQ(mensagens.mostradas[0].icone, QMessageBox::Information);
    EXPECT_TRUE(mensagens.Ultima().contains("empresa"));
    EXPECT_EQ(j->DbLkpCbBxSerie->count(), 0);
    EXPECT_FALSE(j->GrpBxMaquina->isEnabled());
    EXPECT_FALSE(j->GrpBxBotoes->isEnabled());
}

TEST_F(ReducaoZTest, NovoComESemMaquinaEscolhida) {
    Confirma();
    Clica(j->BitBtn3);  // no printer chosen
    EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtDetalhes);
    EXPECT_FALSE(j->GrpBxBotoes->isEnabled());
    EXPECT_EQ(j->RxDbCbEdtNumeroSerie->text(), "");
    for (auto* e : {j->RxDbClcNumero, j->RxDbClcPrimeiroCupom, j->RxDbclcEdtUltimoCupom, j->RxDbClcEdtContadorReducao,
                    j->RxDbClcContadorReinicio})
        EXPECT_EQ(e->text(), "0") << e->objectName().toStdString();
    EXPECT_EQ(j->RxDbClcEdtVendaBruta->text(), "0,00");
    EXPECT_EQ(j->RxDbClcEdtGrandeTotal->text(), "0,00");
    EXPECT_EQ(j->RxClcEdtVendaLiquida->text(), "0,00");
    EXPECT_EQ(Foco(), j->DbdtEdtData);
    j->DbdtEdtData->setText("20/03/2010");
    Clica(j->BitBtn1);
    EXPECT_EQ(mensagens.Ultima(), QString::fromUtf8("Deve ser informado o Número de série do equipamento."));

    Clica(j->BitBtn2);
    EXPECT_TRUE(j->GrpBxBotoes->isEnabled());
    EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtConsulta);
    EscolheMaquina("MAQ2");
    Clica(j->BitBtn3);
    EXPECT_EQ(j->RxDbCbEdtNumeroSerie->text(), "MAQ2");
}

// Each check of Gravar, in its order, with its message, title and focus; the
// last case passes them all (same day, another printer number).
TEST_F(ReducaoZTest, GravarVerificaNaOrdem) {
    struct Caso {
        const char* serie;
        const char* numero;
        const char* data;
        const char* primeiro;
        const char* ultimo;
        const char* mensagem;  // nullptr: stored
        const char* titulo;
        QLineEdit* TFrmReducaoZ::*foco;
    };
    const Caso casos[] = {
        {"MAQ1", "1", "", "1", "2", "Deve ser informado a Data do Movimento.", "PRAXO - Sintegra",
         &TFrmReducaoZ::DbdtEdtData},
        {"  ", "1", "20/03/2010", "1", "2", "Deve ser informado o Número de série do equipamento.",
         "PRAXO - Sintegra", &TFrmReducaoZ::RxDbCbEdtNumeroSerie},
        {"MAQ1", "", "20/03/2010", "1", "2", "Deve ser informado o Número do equipamento.", "PRAXO - Sintegra",
         &TFrmReducaoZ::RxDbClcNumero},
        {"MAQ1", "1", "20/03/2010", "3", "2",
         "O Número do PRIMEIRO cupom emitido é maior que o número do ÚLTIMO cupom.", "PRAXO - Sintegra",
         &TFrmReducaoZ::RxDbClcPrimeiroCupom},
        {"MAQ1", "1", "15/03/2010", "2", "2", "Já existe movimento desta máquina para esta data.",
         "PRAXO Sintegra", &TFrmReducaoZ::RxDbClcNumero},
        {"MAQ1", "2", "15/03/2010", "2", "2", nullptr, nullptr, nullptr},
    };
    Confirma();
    EscolheMaquina("MAQ1");
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.mensagem ? caso.mensagem : "gravada");
        mensagens.mostradas.clear();
        NovaReducao(caso.serie, caso.numero, caso.data);
        j->RxDbClcPrimeiroCupom->setText(caso.primeiro);
        j->RxDbclcEdtUltimoCupom->setText(caso.ultimo);
        Clica(j->BitBtn1);
        if (caso.mensagem) {
            ASSERT_EQ(mensagens.mostradas.size(), 1u);
            EXPECT_EQ(mensagens.mostradas[0].texto, QString::fromUtf8(caso.mensagem));
            EXPECT_EQ(mensagens.mostradas[0].titulo, caso.titulo);
            EXPECT_EQ(mensagens.mostradas[0].icone, QMessageBox::Information);
            EXPECT_EQ(Foco(), (*j).*caso.foco);
            EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtDetalhes);
            EXPECT_EQ(Reducoes().size(), 1u);
            Clica(j->BitBtn2);
        } else {
            EXPECT_TRUE(mensagens.mostradas.empty()) << mensagens.Ultima().toStdString();
            EXPECT_EQ(Reducoes().back(), "2 15/03/2010 MAQ1 2 2 2 0 0 0 0 1");
            EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtConsulta);
            EXPECT_EQ(Grade(j->RxDBGrid1).size(), 2u);  // the list is reloaded
        }
    }
}

// A reduction with three rate rows is stored whole, shows in the list and
// goes out as one 60M and three 60A records.
TEST_F(ReducaoZTest, ReducaoComTresAliquotasGravadaListadaEExportada) {
    Confirma();
    EscolheMaquina("MAQ2");
    NovaReducao("MAQ2", "2", "16/03/2010");
    SaiDaData();  // first and last coupon: 45
    j->RxDbClcEdtContadorReducao->setText("5");
    j->RxDbClcContadorReinicio->setText("1");
    j->RxDbClcEdtVendaBruta->setText("115,00");
    j->RxDbClcEdtGrandeTotal->setText("5.000,00");
    IncluiAliquota("1700", "100,00");
    IncluiAliquota("CANC", "10,00");
    IncluiAliquota("DESC", "5,00");
    EXPECT_EQ(j->RxClcEdtVendaLiquida->text(), "85,00");
    Clica(j->BitBtn1);
    ASSERT_TRUE(mensagens.mostradas.empty()) << mensagens.Ultima().toStdString();

    EXPECT_EQ(Reducoes().back(), "2 16/03/2010 MAQ2 2 45 45 5 1 115 5000 1");
    EXPECT_EQ(Aliquotas(), (std::vector<std::string>{"1 1 1700 30", "1 2 F 5", "2 3 1700 100", "2 4 CANC 10",
                                                     "2 5 DESC 5"}));
    EXPECT_EQ(Grade(j->RxDBGrid1), (std::vector<QString>{"2|16/03/2010|MAQ2|2|45|45|5|1|115,00|5.000,00"}));
    EXPECT_EQ(j->RxClcEdtVendaLiquida->text(), "0,00");

    // The export run reads it back on its own module.
    auto modulo = banco.Modulo();
    const OpcoesExportacao opcoes = Marco2010();
    ASSERT_TRUE(PreparaExportacao(*modulo, opcoes));
    sintegra::tSintegra gerador(banco.Pasta());
    ASSERT_TRUE(gerador.AbreArquivo("SINTEGRA.TXT"));
    EstadoExportacao estado;
    cenario::ProgressoGravado progresso(estado);
    ASSERT_TRUE(ThExporta(*modulo, gerador, opcoes, estado, progresso).Executa());
    std::ifstream f(gerador.NomeArquivoCompleto(), std::ios::binary);
    std::ostringstream conteudo;
    conteudo << f.rdbuf();
    const auto linhas = cenario::Linhas(conteudo.str());
    std::vector<std::string> maq2;
    for (const auto& l : cenario::DoTipo(linhas, "60"))
        if (cenario::Campo(l, 12, 15) == "MAQ2") maq2.push_back(l.substr(0, l.find_last_not_of(' ') + 1));
    EXPECT_EQ(maq2, (std::vector<std::string>{
                        "60M20100316MAQ2                0022D000045000045000005001"
                        "00000000000115000000000000500000",
                        "60A20100316MAQ2                1700000000010000",
                        "60A20100316MAQ2                CANC000000001000",
                        "60A20100316MAQ2                DESC000000000500"}));
}

// The net sale: CANC and DESC (exactly, in capitals) subtract, every other code adds.
TEST_F(ReducaoZTest, VendaLiquidaDasAliquotas) {
    struct Caso {
        std::vector<std::pair<const char*, const char*>> linhas;
        const char* liquida;
    };
    const Caso casos[] = {
        {{{"1700", "100,00"}, {"CANC", "10,00"}, {"DESC", "5,00"}}, "85,00"},
        {{{"1700", "100,00"}, {"canc", "10,00"}}, "110,00"},
        {{{"ISS", "1,00"}, {"F", "2,00"}, {"N", "3,00"}, {"I", "4,00"}}, "10,00"},
        {{{"0700", "1.000,50"}, {"DESC", "-0,50"}}, "1.001,00"},  // negative values are accepted
    };
    Confirma();
    EscolheMaquina("MAQ2");
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.liquida);
        Clica(j->BitBtn3);
        for (const auto& [codigo, valor] : caso.linhas) IncluiAliquota(codigo, valor);
        EXPECT_EQ(j->RxClcEdtVendaLiquida->text(), caso.liquida);
        EXPECT_EQ(j->RxDBGrid2->model()->rowCount(), static_cast<int>(caso.linhas.size()));
        EXPECT_TRUE(mensagens.mostradas.empty());
        EXPECT_EQ(Foco(), j->DbCbAliquota);
        EXPECT_EQ(j->RxClcEdtValor->text(), "");
        Clica(j->BitBtn2);
    }
}

TEST_F(ReducaoZTest, AliquotasIncluidasRemovidasEAjuda) {
    Confirma();
    EscolheMaquina("MAQ2");
    Clica(j->BitBtn3);
    // Without a code or with value 0: nothing is added.
    IncluiAliquota("1700", "0");
    IncluiAliquota(" ", "5,00");
    ASSERT_EQ(mensagens.mostradas.size(), 2u);
    for (const auto& m : mensagens.mostradas) {
        EXPECT_EQ(m.texto, QString::fromUtf8("Deve ser informado uma alíquota e o Valor."));
        EXPECT_EQ(m.titulo, "PRAXO - Sintegra");
    }
    EXPECT_EQ(j->RxDBGrid2->model()->rowCount(), 0);
    // A code longer than four characters keeps its first four.
    IncluiAliquota("17000", "3,00");
    IncluiAliquota("F", "2,00");
    EXPECT_EQ(Grade(j->RxDBGrid2), (std::vector<QString>{"1700|3,00", "F|2,00"}));
    j->RxDBGrid2->setCurrentIndex(j->RxDBGrid2->model()->index(0, 0));
    Clica(j->SpeedButton1);
    EXPECT_EQ(Grade(j->RxDBGrid2), (std::vector<QString>{"F|2,00"}));
    EXPECT_EQ(j->RxClcEdtVendaLiquida->text(), "2,00");

    mensagens.mostradas.clear();
    Clica(j->SpeedButton2);
    ASSERT_EQ(mensagens.mostradas.size(), 1u);
    EXPECT_EQ(mensagens.mostradas[0].titulo, "PRAXO Sintegra");
    EXPECT_EQ(mensagens.mostradas[0].texto,
              QString::fromUtf8("O campo alíquota deve ser informado da seguinte forma :\r\r"
                                "Para uma alíquota de 17,00% informar 1700 (sem vírgulas ou pontos)\r"
                                "Para uma alíquota de 7,50% informar 0750 (sem vírgulas ou pontos)\r"
                                "Para os cancelamentos de Cupons informar CANC \r"
                                "Para os descontos concedidos em Cupons informar DESC"));
}

// Leaving the date of a new reduction fills the day's coupon range, by number.
TEST_F(ReducaoZTest, FaixaDeCuponsAoSairDaData) {
    struct Caso {
        const char* serie;
        const char* data;
        const char* primeiro;
        const char* ultimo;
    };
    const Caso casos[] = {
        {"MAQ1", "15/03/2010", "999", "1000"},
        {"MAQ2", "20/03/2010", "0", "0"},  // no coupon that day
        {"MAQ2", "16/03/2010", "45", "45"},
    };
    Confirma();
    for (const auto& caso : casos) {
        SCOPED_TRACE(std::string(caso.serie) + " " + caso.data);
        NovaReducao(caso.serie, "1", caso.data);
        SaiDaData();
        EXPECT_EQ(j->RxDbClcPrimeiroCupom->text(), caso.primeiro);
        EXPECT_EQ(j->RxDbclcEdtUltimoCupom->text(), caso.ultimo);
        Clica(j->BitBtn2);
    }
    EXPECT_TRUE(mensagens.mostradas.empty());

    // A coupon number that is not a number is named.
    NovaReducao("MAQ3", "3", "17/03/2010");
    SaiDaData();
    ASSERT_EQ(mensagens.mostradas.size(), 1u);
    EXPECT_TRUE(mensagens.Ultima().contains("\"12A\"")) << mensagens.Ultima().toStdString();
    EXPECT_EQ(j->RxDbClcPrimeiroCupom->text(), "0");
}

// While a stored reduction is edited, leaving the date does not look the
// coupons up; "Atualiza Cupons" does.
TEST_F(ReducaoZTest, AtualizaCuponsAoEditar) {
    Confirma();
    EscolheMaquina("MAQ1");
    Clica(j->BitBtn6);
    j->RxDbClcPrimeiroCupom->setText("1");
    j->RxDbclcEdtUltimoCupom->setText("2");
    SaiDaData();
    EXPECT_EQ(j->RxDbClcPrimeiroCupom->text(), "1");
    Clica(j->SBAtualizaCupons);
    EXPECT_EQ(j->RxDbClcPrimeiroCupom->text(), "999");
    EXPECT_EQ(j->RxDbclcEdtUltimoCupom->text(), "1000");
    EXPECT_EQ(j->MarcadorAtualizaCupons, 0);
    // The marker goes back to 0 when the lookup fails too.
    j->RxDbCbEdtNumeroSerie->setText("MAQ3");
    j->DbdtEdtData->setText("17/03/2010");
    Clica(j->SBAtualizaCupons);
    EXPECT_EQ(mensagens.mostradas.size(), 1u);
    EXPECT_EQ(j->MarcadorAtualizaCupons, 0);
}

// Editar: values changed, a rate row removed and another added, all stored
// in one go; the reduction does not count as its own duplicate.
TEST_F(ReducaoZTest, EditarGravaValoresEAliquotasDeUmaVez) {
    Confirma();
    EscolheMaquina("MAQ1");
    Clica(j->BitBtn6);
    EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtDetalhes);
    EXPECT_EQ(j->RxDbClcEdtVendaBruta->text(), "35,00");
    EXPECT_EQ(j->RxClcEdtVendaLiquida->text(), "35,00");
    j->RxDbClcEdtVendaBruta->setText("37,00");
    j->RxDBGrid2->setCurrentIndex(j->RxDBGrid2->model()->index(1, 0));  // F
    Clica(j->SpeedButton1);
    IncluiAliquota("CANC", "2,00");
    EXPECT_EQ(j->RxClcEdtVendaLiquida->text(), "28,00");
    Clica(j->BitBtn1);
    ASSERT_TRUE(mensagens.mostradas.empty()) << mensagens.Ultima().toStdString();
    EXPECT_EQ(Reducoes(), (std::vector<std::string>{"1 15/03/2010 MAQ1 1 999 1000 10 1 37 1000 1"}));
    EXPECT_EQ(Aliquotas(), (std::vector<std::string>{"1 1 1700 30", "1 3 CANC 2"}));
}

// Editing a reduction onto another one's printer and day is refused too.
TEST_F(ReducaoZTest, DuplicadaTambemAoEditar) {
    dm->SQLConnectionPRAXO.Conexao().Executa(
        "INSERT INTO SINTREG60M VALUES (7, '2010-03-16', 'MAQ1', 1, 1001, 1001, 11, 1, 0, 0, 1)");
    Confirma();
    EscolheMaquina("MAQ1");
    j->RxDBGrid1->setCurrentIndex(j->RxDBGrid1->model()->index(1, 0));
    Clica(j->BitBtn6);
    j->DbdtEdtData->setText("15/03/2010");
    Clica(j->BitBtn1);
    EXPECT_EQ(mensagens.Ultima(), QString::fromUtf8("Já existe movimento desta máquina para esta data."));
    EXPECT_EQ(Reducoes()[1], "7 16/03/2010 MAQ1 1 1001 1001 11 1 0 0 1");
}

// A rate row the database refuses fails the whole store: neither the
// reduction nor its other rate rows are stored, the page keeps the input,
// and a corrected Gravar (checked again for duplicates) stores it.
TEST_F(ReducaoZTest, GravacaoQueFalhaNoMeioNaoGuardaNada) {
    Confirma();
    EscolheMaquina("MAQ2");
    NovaReducao("MAQ2", "2", "16/03/2010");
    j->RxDbClcEdtVendaBruta->setText("12,00");
    IncluiAliquota("1700", "10,00");
    IncluiAliquota("ERRO", "2,00");
    Clica(j->BitBtn1);
    ASSERT_EQ(mensagens.mostradas.size(), 1u);
    const auto& m = mensagens.mostradas[0];
    EXPECT_EQ(m.icone, QMessageBox::Critical);
    EXPECT_EQ(m.titulo, "PRAXO - Sintegra");
    EXPECT_TRUE(m.texto.startsWith(QString::fromUtf8("Atenção !!! Não foi possível realizar esta transação.\r\rErro : ")))
        << m.texto.toStdString();
    EXPECT_TRUE(m.texto.contains("ALIQUOTA_ACEITA")) << m.texto.toStdString();
    EXPECT_TRUE(m.texto.endsWith("\rClasse do erro : ErroBanco")) << m.texto.toStdString();
    EXPECT_EQ(Reducoes().size(), 1u);
    EXPECT_EQ(Aliquotas().size(), 2u);
    EXPECT_EQ(j->PgCntrlPrincipal->currentWidget(), j->TbShtDetalhes);
    EXPECT_EQ(j->RxDbClcEdtVendaBruta->text(), "12,00");
    EXPECT_EQ(Grade(j->RxDBGrid2).size(), 2u);

    // Still checked for duplicates on the repeated Gravar.
    dm->SQLConnectionPRAXO.Conexao().Executa(
        "INSERT INTO SINTREG60M VALUES (9, '2010-03-16', 'MAQ2', 2, 45, 45, 5, 1, 0, 0, 1)");
    Clica(j->BitBtn1);
    EXPECT_EQ(mensagens.Ultima(), QString::fromUtf8("Já existe movimento desta máquina para esta data."));
    dm->SQLConnectionPRAXO.Conexao().Executa("DELETE FROM SINTREG60M WHERE COD60M = 9");

    j->RxDBGrid2->setCurrentIndex(j->RxDBGrid2->model()->index(1, 0));
    Clica(j->SpeedButton1);
    mensagens.mostradas.clear();
    Clica(j->BitBtn1);
    ASSERT_TRUE(mensagens.mostradas.empty()) << mensagens.Ultima().toStdString();
    EXPECT_EQ(Reducoes().back(), "2 16/03/2010 MAQ2 2 0 0 0 0 12 0 1");
    EXPECT_EQ(Aliquotas().back(), "2 3 1700 10");
}

// Excluir asks first; Yes removes the reduction with its rate rows and the
// list no longer shows it.
TEST_F(ReducaoZTest, ExcluirPerguntaERemoveComAsAliquotas) {
    Confirma();
    EscolheMaquina("MAQ1");
    mensagens.resposta = QMessageBox::No;
    Clica(j->BitBtn8);
    ASSERT_EQ(mensagens.mostradas.size(), 1u);
    EXPECT_EQ(mensagens.mostradas[0].texto, QString::fromUtf8("Confirma exclusão do Registro Mestre ?"));
    EXPECT_EQ(mensagens.mostradas[0].icone, QMessageBox::Question);
    EXPECT_EQ(mensagens.mostradas[0].padrao, QMessageBox::No);
    EXPECT_EQ(Reducoes().size(), 1u);

    mensagens.resposta = QMessageBox::Yes;
    Clica(j->BitBtn8);
    EXPECT_EQ(mensagens.mostradas.size(), 2u);
    EXPECT_TRUE(Reducoes().empty());
    EXPECT_TRUE(Aliquotas().empty());
    EXPECT_TRUE(Grade(j->RxDBGrid1).empty());

    // With nothing in the list there is nothing to delete.
    Clica(j->BitBtn8);
    EXPECT_EQ(mensagens.mostradas.size(), 4u);
    EXPECT_EQ(mensagens.mostradas.back().icone, QMessageBox::Critical);
}

// Enter moves to the next control as Tab does.
TEST_F(ReducaoZTest, EnterPassaAoProximoControle) {
    Confirma();
    Clica(j->BitBtn3);
    j->activateWindow();
    j->RxDbCbEdtNumeroSerie->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(j->RxDbCbEdtNumeroSerie, &enter);
    EXPECT_EQ(Foco(), j->RxDbClcNumero);
    EXPECT_TRUE(mensagens.mostradas.empty());
}

TEST_F(ReducaoZTest, ValoresNoPadraoBrasileiro) {
    const std::pair<double, const char*> casos[] = {
        {0, "0,00"}, {1234.5, "1.234,50"}, {-1234567.891, "-1.234.567,89"}, {999.995, "1.000,00"}};
    for (const auto& [valor, texto] : casos) EXPECT_EQ(TFrmReducaoZ::FormataValor(valor), texto);
    double v = 0;
    EXPECT_TRUE(TFrmReducaoZ::LeValor("1.234,56", v));
    EXPECT_DOUBLE_EQ(v, 1234.56);
    EXPECT_FALSE(TFrmReducaoZ::LeValor("12x", v));
}

// Progress that holds the run inside its coupon stage until told to go on.
class ProgressoRetido : public cenario::ProgressoGravado {
public:
    using cenario::ProgressoGravado::ProgressoGravado;
    void Descricao(const std::string& t) override {
        cenario::ProgressoGravado::Descricao(t);
        if (t.rfind("ECF dia", 0) != 0) return;
        std::unique_lock trava(m);
        naEtapa = true;
        cv.notify_all();
        cv.wait(trava, [&] { return prossegue; });
    }
    std::mutex m;
    std::condition_variable cv;
    bool naEtapa = false;
    bool prossegue = false;
};

// Storing a reduction while an export of the same company is in its coupon
// stage: the store does not wait for the run, and the run ends with the
// reductions it had read.
TEST_F(ReducaoZTest, GravarDuranteUmaExportacao) {
    auto modulo = banco.Modulo();  // the run's own module and attachment
    const OpcoesExportacao opcoes = Marco2010();
    ASSERT_TRUE(PreparaExportacao(*modulo, opcoes));
    sintegra::tSintegra gerador(banco.Pasta());
    ASSERT_TRUE(gerador.AbreArquivo("SINTEGRA.TXT"));
    EstadoExportacao estado;
    ProgressoRetido progresso(estado);
    bool ok = false;
    std::thread run([&] { ok = ThExporta(*modulo, gerador, opcoes, estado, progresso).Executa(); });
    {
        std::unique_lock trava(progresso.m);
        progresso.cv.wait(trava, [&] { return progresso.naEtapa; });
    }

    Confirma();
    EscolheMaquina("MAQ2");
    NovaReducao("MAQ2", "2", "16/03/2010");
    IncluiAliquota("1700", "10,00");
    Clica(j->BitBtn1);  // the run is held: were the store to wait for it, this would never return
    EXPECT_TRUE(mensagens.mostradas.empty()) << mensagens.Ultima().toStdString();
    EXPECT_EQ(Reducoes().size(), 2u);

    {
        std::lock_guard trava(progresso.m);
        progresso.prossegue = true;
    }
    progresso.cv.notify_all();
    run.join();
    EXPECT_TRUE(ok) << (progresso.erros.empty() ? "" : progresso.erros[0]);
    std::ifstream f(gerador.NomeArquivoCompleto(), std::ios::binary);
    std::ostringstream conteudo;
    conteudo << f.rdbuf();
    const auto linhas = cenario::Linhas(conteudo.str());
    EXPECT_EQ(cenario::DoTipo(linhas, "60M").size(), 1u);  // read before the store
    EXPECT_EQ(cenario::DoTipo(linhas, "60A").size(), 2u);
    EXPECT_EQ(linhas.back().substr(0, 2), "90");
}

// The demo data: every printer's day with coupons has a typed-in reduction,
// and each reduction's gross sale is the sum of its rate rows, so the demo
// export's records 60M carry a real gross sale.
TEST(DemoTest, UmaReducaoPorMaquinaEDiaComAVendaBrutaDasAliquotas) {
    testes::BancoTeste demo({}, true);
    auto dm = demo.Modulo();
    auto conta = [&](const std::string& sql) {
        TConjuntoDados c("QConta", "CDSConta", {sql}, {Inteiro("N")});
        c.DefineConexao(&dm->SQLConnectionPRAXO);
        c.Abre();
        return c.Campo("N").Inteiro();
    };
    EXPECT_GT(conta("SELECT COUNT(*) AS N FROM SINTREG60M"), 0);
    EXPECT_EQ(conta("SELECT COUNT(*) AS N FROM (SELECT DISTINCT E.CODEMPRESA, E.NUMSERIEMAQECF, E.DATAEMISSAOECF "
                    "FROM ECF E WHERE NOT EXISTS (SELECT 1 FROM SINTREG60M M WHERE M.CODEMPRESA = E.CODEMPRESA "
                    "AND M.SERIEECF = E.NUMSERIEMAQECF AND M.DATAEMISSAO = E.DATAEMISSAOECF))"),
              0);
    EXPECT_EQ(conta("SELECT COUNT(*) AS N FROM SINTREG60M M WHERE M.VENDABRUTA <> "
                    "(SELECT COALESCE(SUM(A.VALOR), 0) FROM SINTREG60A A WHERE A.COD60M = M.COD60M)"),
              0);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
