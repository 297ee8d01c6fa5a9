#include "FrmPrincipalSintegra.h"

#include "AbreReducaoZ.h"
#include "Destino.h"
#include "FormatoBrasileiro.h"
#include "Mensagens.h"
#include "ModeloSaidas.h"
#include "Plataforma.h"
#include "ProgressoJanela.h"
#include "ThExporta.h"
#include "VerificaArquivo.h"
#include "Verificacao.h"
#include "Versao.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const char* const Meses[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                             "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};

// Refusals while the run's thread lives after a Cancelar: the run is still
// finishing what it wrote.
const char* const TextoCancelando = "  Aguarde, a exportação está sendo cancelada...";

QString Q(const char* texto) { return QString::fromUtf8(texto); }

class TPlataformaJanela : public TPlataforma {
public:
    explicit TPlataformaJanela(TFrmPrincipalSintegra& janela) : janela_(janela) {}
    void Mensagem(const std::string& titulo, const std::string& texto, IconeMensagem icone) override {
        MostraMensagem(&janela_, titulo, texto, icone);
    }
    void IniciaProcesso(const std::string& programa, const std::vector<std::string>& argumentos) override {
        IniciaProcessoDestacado(programa, argumentos);
    }
    void TerminaAplicacao() override { janela_.PedeTermino(); }

private:
    TFrmPrincipalSintegra& janela_;
};

}  // namespace

std::unique_ptr<TPlataforma> NovaPlataformaJanela(TFrmPrincipalSintegra& janela) {
    return std::make_unique<TPlataformaJanela>(janela);
}

TFrmPrincipalSintegra::TFrmPrincipalSintegra(std::string pastaPrograma, QStringList argumentos, QWidget* pai)
    : QMainWindow(pai),
      pastaPrograma_(pastaPrograma.empty() ? PastaDoExecutavel() : std::move(pastaPrograma)),
      argumentos_(std::move(argumentos)) {
    setObjectName("FrmPrincipalSintegra");
    MontaControles();
}

TFrmPrincipalSintegra::~TFrmPrincipalSintegra() { AguardaExportacao(); }

void TFrmPrincipalSintegra::MontaControles() {
    setWindowTitle(Q("PRAXO - Exportação de Dados para Sintegra"));
    // Fixed size: single border, system menu and minimize, no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* menu = menuBar();
    menu->setObjectName("MainMenu1");
    auto* arquivo = menu->addMenu(Q("&Arquivo"));
    Atualizaresteprograma1 = arquivo->addAction(Q("Atualizar este programa"));
    Atualizaresteprograma1->setObjectName("Atualizaresteprograma1");
    InformarReduoZECF1 = arquivo->addAction(Q("Informar Redução Z ECF"));
    VerificarArquivoSintegra1 = arquivo->addAction(Q("Verificar arquivo Sintegra..."));
    InformarReduoZECF1->setObjectName("InformarReduoZECF1");

    auto* barra = addToolBar(Q("Ferramentas"));
    barra->setObjectName("ToolBar1");
    barra->setMovable(false);
    auto botao = [&](QPushButton*& b, const char* nome, const char* texto, QStyle::StandardPixmap icone) {
        b = new QPushButton(style()->standardIcon(icone), Q(texto));
        b->setObjectName(nome);
        b->setMinimumHeight(32);
        barra->addWidget(b);
    };
    botao(BtnExportar, "BtnExportar", "&Exportar", QStyle::SP_DialogSaveButton);
    botao(BtnCancelar, "BtnCancelar", "Cancelar Exportação", QStyle::SP_DialogCancelButton);
    botao(BtnFechar, "BtnFechar", "&Fechar", QStyle::SP_DialogCloseButton);

    auto* central = new QWidget;
    auto* coluna = new QVBoxLayout(central);
    coluna->setContentsMargins(6, 6, 6, 6);

    RxLabel1 = new QLabel(Q("Exportação de dados para o SINTEGRA"));
    RxLabel1->setObjectName("RxLabel1");
    RxLabel1->setStyleSheet("background:#12325c; color:white; font-size:17pt; font-weight:bold; padding:6px;");
    coluna->addWidget(RxLabel1);

    Panel1 = new QLabel(Q("  Período de Pesquisa"));
    Panel1->setObjectName("Panel1");
    Panel1->setStyleSheet("background:#c9d3df; color:#12325c; font-weight:bold; padding:3px;");
    coluna->addWidget(Panel1);

    // Company, period kind, period, Processar.
    auto* selecao = new QHBoxLayout;
    auto* empresa = new QVBoxLayout;
    empresa->addWidget(new QLabel(Q("Escolha a empresa")));
    RxDBLkCbEMPRESA = new QComboBox;
    RxDBLkCbEMPRESA->setObjectName("RxDBLkCbEMPRESA");
    RxDBLkCbEMPRESA->setMinimumWidth(220);
    empresa->addWidget(RxDBLkCbEMPRESA);
    empresa->addStretch();
    selecao->addLayout(empresa);

    RdGrpTipoPeriodo = new QGroupBox;
    RdGrpTipoPeriodo->setObjectName("RdGrpTipoPeriodo");
    RdGrpTipoPeriodo->setFocusPolicy(Qt::StrongFocus);
    auto* tipos = new QVBoxLayout(RdGrpTipoPeriodo);
    RdBtnMensal = new QRadioButton(Q("Mensal"));
    RdBtnMensal->setObjectName("RdBtnMensal");
    RdBtnPeriodo = new QRadioButton(Q("Período"));
    RdBtnPeriodo->setObjectName("RdBtnPeriodo");
    RdBtnMensal->setChecked(true);
    tipos->addWidget(RdBtnMensal);
    tipos->addWidget(RdBtnPeriodo);
    selecao->addWidget(RdGrpTipoPeriodo);

    PgCntrlTipoPeriodo = new QStackedWidget;
    PgCntrlTipoPeriodo->setObjectName("PgCntrlTipoPeriodo");
    TbShtMes = new QWidget;
    TbShtMes->setObjectName("TbShtMes");
    auto* mes = new QGridLayout(TbShtMes);
    mes->addWidget(new QLabel(Q("Mês")), 0, 0);
    mes->addWidget(new QLabel(Q("Ano")), 0, 1);
    CbxMes = new QComboBox;
    CbxMes->setObjectName("CbxMes");
    for (const char* m : Meses) CbxMes->addItem(Q(m));
    mes->addWidget(CbxMes, 1, 0);
    auto* ano = new QHBoxLayout;
    ano->setSpacing(0);
    EdtAno = new QLineEdit;
    EdtAno->setObjectName("EdtAno");
    EdtAno->setAlignment(Qt::AlignRight);
    EdtAno->setMaximumWidth(70);
    EdtAno->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,4}"), EdtAno));
    ano->addWidget(EdtAno);
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    RxSpinButton1Top = new QToolButton;
    RxSpinButton1Top->setObjectName("RxSpinButton1Top");
    RxSpinButton1Top->setArrowType(Qt::UpArrow);
    RxSpinButton1Top->setFixedSize(18, 13);
    RxSpinButton1Bottom = new QToolButton;
    RxSpinButton1Bottom->setObjectName("RxSpinButton1Bottom");
    RxSpinButton1Bottom->setArrowType(Qt::DownArrow);
    RxSpinButton1Bottom->setFixedSize(18, 13);
    spin->addWidget(RxSpinButton1Top);
    spin->addWidget(RxSpinButton1Bottom);
    ano->addLayout(spin);
    ano->addStretch();
    mes->addLayout(ano, 1, 1);
    PgCntrlTipoPeriodo->addWidget(TbShtMes);

    TbShtPeriodo = new QWidget;
    TbShtPeriodo->setObjectName("TbShtPeriodo");
    auto* periodo = new QGridLayout(TbShtPeriodo);
    periodo->addWidget(new QLabel(Q("Período")), 0, 0);
    auto dataEdit = [](const char* nome) {
        auto* e = new QLineEdit;
        e->setObjectName(nome);
        e->setInputMask("99/99/9999;_");
        e->setMaximumWidth(95);
        return e;
    };
    DtEdtDataInicial = dataEdit("DtEdtDataInicial");
    DtEdtDataFinal = dataEdit("DtEdtDataFinal");
    periodo->addWidget(DtEdtDataInicial, 1, 0);
    periodo->addWidget(new QLabel(Q("à")), 1, 1);
    periodo->addWidget(DtEdtDataFinal, 1, 2);
    PgCntrlTipoPeriodo->addWidget(TbShtPeriodo);
    PgCntrlTipoPeriodo->setCurrentWidget(TbShtMes);
    selecao->addWidget(PgCntrlTipoPeriodo);
    selecao->addStretch();

    BtnPesquisar = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), Q("   &Processar"));
    BtnPesquisar->setObjectName("BtnPesquisar");
    BtnPesquisar->setMinimumHeight(34);
    selecao->addWidget(BtnPesquisar, 0, Qt::AlignVCenter);
    coluna->addLayout(selecao);

    // The preview, with the processing panel over it.
    auto* area = new QGridLayout;
    DBGrdVendas = new QTableView;
    DBGrdVendas->setObjectName("DBGrdVendas");
    DBGrdVendas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrdVendas->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrdVendas->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrdVendas->verticalHeader()->setDefaultSectionSize(20);
    DBGrdVendas->verticalHeader()->setVisible(false);
    DBGrdVendas->setAlternatingRowColors(true);
    modeloSaidas_ = new TModeloSaidas(this);
    DBGrdVendas->setModel(modeloSaidas_);
    const int larguras[] = {40, 80, 80, 50, 80, 95, 95, 90, 70, 120, 35};
    for (int i = 0; i < 11; ++i) DBGrdVendas->setColumnWidth(i, larguras[i]);
    area->addWidget(DBGrdVendas, 0, 0);
    PnlStatus = new QLabel(Q("PROCESSANDO  INFORMAÇÕES,   POR  FAVOR  AGUARDE..."));
    PnlStatus->setObjectName("PnlStatus");
    PnlStatus->setAlignment(Qt::AlignCenter);
    PnlStatus->setStyleSheet("background:#fff8d0; border:2px solid #12325c; color:#12325c; "
                             "font-weight:bold; padding:18px;");
    PnlStatus->hide();
    area->addWidget(PnlStatus, 0, 0, Qt::AlignCenter);
    coluna->addLayout(area, 1);

    auto* total = new QHBoxLayout;
    total->addStretch();
    total->addWidget(new QLabel(Q("Total de Registros:")));
    LblTotalRegistros = new QLabel(Q("0"));
    LblTotalRegistros->setObjectName("LblTotalRegistros");
    LblTotalRegistros->setMinimumWidth(60);
    total->addWidget(LblTotalRegistros);
    coluna->addLayout(total);

    // Options and progress.
    auto* baixo = new QHBoxLayout;
    auto* opcoes = new QGridLayout;
    auto caixa = [](QCheckBox*& c, const char* nome, const char* texto, const char* dica) {
        c = new QCheckBox(Q(texto));
        c->setObjectName(nome);
        if (dica) c->setToolTip(Q(dica));
    };
    caixa(ChkBxPAF_ECF, "ChkBxPAF_ECF", "PAF-ECF", "Obter dados gerados pelo PAF-ECF (a partir de 2013)");
    caixa(ChkbxItemCupom, "ChkbxItemCupom", "Exportar itens de Cupom Fiscal", nullptr);
    caixa(ChkBxInventario, "ChkBxInventario", "Exportar Inventário", nullptr);
    caixa(ChkBxNovoContador, "ChkBxNovoContador", "Novo responsável técnico",
          "Marque somente quando o houver alteração na responsabilidade técnica. - Novo Contador.");
    caixa(ChkBxReg88, "ChkBxReg88", "Gera Reg.88", nullptr);
    DtEdtInventario = dataEdit("DtEdtInventario");
    opcoes->addWidget(ChkBxPAF_ECF, 0, 0);
    opcoes->addWidget(ChkbxItemCupom, 1, 0);
    opcoes->addWidget(ChkBxInventario, 2, 0);
    opcoes->addWidget(DtEdtInventario, 2, 1);
    opcoes->addWidget(ChkBxNovoContador, 3, 0);
    opcoes->addWidget(ChkBxReg88, 4, 0);
    baixo->addLayout(opcoes);

    RdGpStatus = new QGroupBox(Q("Progresso da exportação"));
    RdGpStatus->setObjectName("RdGpStatus");
    auto* status = new QVBoxLayout(RdGpStatus);
    LblEtapas = new QLabel(Q("Etapa : 0 / 8"));
    LblEtapas->setObjectName("LblEtapas");
    LblDescricao = new QLabel;
    LblDescricao->setObjectName("LblDescricao");
    LblDescricao->setMinimumWidth(420);
    PgrStatus = new QProgressBar;
    PgrStatus->setObjectName("PgrStatus");
    PgrItens = new QProgressBar;
    PgrItens->setObjectName("PgrItens");
    for (auto* p : {PgrStatus, PgrItens}) {
        p->setRange(0, 1);
        p->setValue(0);
        p->setTextVisible(false);
    }
    status->addWidget(LblEtapas);
    status->addWidget(LblDescricao);
    status->addWidget(PgrStatus);
    status->addWidget(PgrItens);
    baixo->addWidget(RdGpStatus, 1);
    coluna->addLayout(baixo);

    setCentralWidget(central);
    StStatus = statusBar();
    StStatus->setObjectName("StStatus");
    StStatus->setSizeGripEnabled(false);

    temporizadorProgresso_ = new QTimer(this);
    temporizadorProgresso_->setSingleShot(true);
    connect(temporizadorProgresso_, &QTimer::timeout, this, [this] { AplicaProgresso(); });

    // Handlers; an error they let out goes to the general error handler.
    auto liga = [this](auto* emissor, auto sinal, void (TFrmPrincipalSintegra::*tratador)()) {
        connect(emissor, sinal, this, [this, tratador] { Protegido([this, tratador] { (this->*tratador)(); }); });
    };
    liga(BtnPesquisar, &QPushButton::clicked, &TFrmPrincipalSintegra::BtnPesquisarClick);
    liga(BtnExportar, &QPushButton::clicked, &TFrmPrincipalSintegra::BtnExportarClick);
    liga(BtnCancelar, &QPushButton::clicked, &TFrmPrincipalSintegra::BtnCancelarClick);
    liga(BtnFechar, &QPushButton::clicked, &TFrmPrincipalSintegra::BtnFecharClick);
    liga(RdBtnMensal, &QRadioButton::clicked, &TFrmPrincipalSintegra::RdGrpTipoPeriodoClick);
    liga(RdBtnPeriodo, &QRadioButton::clicked, &TFrmPrincipalSintegra::RdGrpTipoPeriodoClick);
    liga(RxSpinButton1Top, &QToolButton::clicked, &TFrmPrincipalSintegra::RxSpinButton1TopClick);
    liga(RxSpinButton1Bottom, &QToolButton::clicked, &TFrmPrincipalSintegra::RxSpinButton1BottomClick);
    liga(InformarReduoZECF1, &QAction::triggered, &TFrmPrincipalSintegra::InformarReduoZECF1Click);
    liga(Atualizaresteprograma1, &QAction::triggered, &TFrmPrincipalSintegra::Atualizaresteprograma1Click);
    liga(VerificarArquivoSintegra1, &QAction::triggered, &TFrmPrincipalSintegra::VerificarArquivoSintegra1Click);
    connect(EdtAno, &QLineEdit::editingFinished, this, [this] {
        // The edit's limits, as a typed year leaves it.
        if (EdtAno->text().isEmpty()) return;
        EdtAno->setText(QString::number(std::clamp(EdtAno->text().toInt(), 1900, 2099)));
    });
    connect(RxDBLkCbEMPRESA, &QComboBox::currentIndexChanged, this, [this](int) {
        // The chosen company becomes the company list's current row.
        Protegido([this] {
            int codigo;
            if (dm_ && dm_->ClientEmpresaLocal.Ativo() && RxDBLkCbEMPRESA->currentIndex() >= 0 &&
                (codigo = RxDBLkCbEMPRESA->currentData().toInt()) > 0)
                dm_->ClientEmpresaLocal.Localiza("CODEMPRESA", std::int64_t{codigo});
        });
    });

    setFixedSize(sizeHint().expandedTo(QSize(900, 680)));
}

void TFrmPrincipalSintegra::DefineModulo(TFDMExporta* modulo) {
    dm_ = modulo;
    modeloSaidas_->DefineConjunto(dm_ ? &dm_->CDSSaidas : nullptr);
}

void TFrmPrincipalSintegra::Protegido(const std::function<void()>& tratador) {
    try {
        tratador();
    } catch (const std::exception& e) {
        MostraErroGeral(this, e.what());
    }
}

void TFrmPrincipalSintegra::showEvent(QShowEvent* evento) {
    QMainWindow::showEvent(evento);
    if (mostrado_) return;
    mostrado_ = true;
    if (const QScreen* tela = screen()) move(tela->availableGeometry().center() - rect().center());
    Protegido([this] { FormShow(); });
    // The first activation follows the show.
    if (isActiveWindow()) Protegido([this] { FormActivate(); });
}

bool TFrmPrincipalSintegra::event(QEvent* evento) {
    const bool r = QMainWindow::event(evento);
    if (evento->type() == QEvent::WindowActivate && mostrado_) Protegido([this] { FormActivate(); });
    return r;
}

void TFrmPrincipalSintegra::closeEvent(QCloseEvent* evento) {
    if (terminando_ || FormCloseQuery())
        evento->accept();
    else
        evento->ignore();
}

void TFrmPrincipalSintegra::FormShow() {
    // 1. The command line: PAFECF (exactly) and the file name.
    for (int i = 0; i < argumentos_.size() && i < 2; ++i) {
        if (i == 0) ModoPafEcf = argumentos_[0] == "PAFECF";
        if (i == 1) ArquivoPafEcf = argumentos_[1].toStdString();
    }
    // 2. This month and year.
    const QDate hoje = QDate::currentDate();
    CbxMes->setCurrentIndex(hoje.month() - 1);
    EdtAno->setText(QString::number(hoje.year()));
    // 3. The version in the caption.
    VersaoBuild = GetBuildInfo("PRAXOSintegra.EXE", "BUILD", pastaPrograma_);
    if (QString::fromStdString(VersaoBuild).trimmed().size() > 0)
        setWindowTitle(windowTitle() + Q(" - Versão : ") + QString::fromStdString(VersaoBuild));
    // 6 comes first here so that a database that cannot be opened still leaves
    // the PAF-ECF options locked on.
    if (ModoPafEcf) {
        for (auto* c : {ChkBxPAF_ECF, ChkbxItemCupom}) {
            c->setChecked(true);
            c->setEnabled(false);
        }
    }
    // 4 and 5. The company list, on company 1.
    if (!dm_) return;
    auto& empresas = dm_->ClientEmpresaLocal;
    empresas.Abre();
    const QSignalBlocker bloqueio(RxDBLkCbEMPRESA);
    RxDBLkCbEMPRESA->clear();
    for (empresas.Primeiro(); !empresas.Fim(); empresas.Proximo())
        RxDBLkCbEMPRESA->addItem(QString::fromStdString(empresas.Campo("FANTASIA").Texto()).trimmed(),
                                 static_cast<int>(empresas.Campo("CODEMPRESA").Inteiro()));
    RxDBLkCbEMPRESA->setCurrentIndex(RxDBLkCbEMPRESA->findData(1));
    empresas.Localiza("CODEMPRESA", std::int64_t{1});
}

void TFrmPrincipalSintegra::FormActivate() {
    if (verificando_ || terminando_ || !dm_) return;
    verificando_ = true;
    struct Fim {
        bool& f;
        ~Fim() { f = false; }
    } fim{verificando_};
    try {
        TPlataformaJanela plataforma(*this);
        if (dm_->VerificaNovaVersao("VERSAO_SIN", windowTitle().toStdString(), VersaoBuild, plataforma))
            close();
    } catch (const std::exception& e) {
        // The check runs at every activation; its error is told once, or
        // closing the box would reactivate the window into the same box.
        if (erroVerificacaoMostrado_) return;
        erroVerificacaoMostrado_ = true;
        MostraErroGeral(this, e.what());
    }
}

bool TFrmPrincipalSintegra::FormCloseQuery() { return !Estado.Exportando && !ExportacaoViva(); }

void TFrmPrincipalSintegra::PedeTermino() {
    terminando_ = true;
    if (ExportacaoViva()) {
        Estado.Exportando = false;
        Estado.CancelaExportacao = true;
    }
    QCoreApplication::quit();
}

void TFrmPrincipalSintegra::BtnCancelarClick() {
    Estado.Exportando = false;
    Estado.CancelaExportacao = true;
    if (ExportacaoViva()) StStatus->showMessage(Q(TextoCancelando));
}

bool TFrmPrincipalSintegra::RecusaDuranteExportacao(const char* texto) {
    if (!ExportacaoViva() && !(Estado.Exportando && !Estado.CancelaExportacao)) return false;
    StStatus->showMessage(Estado.CancelaExportacao ? Q(TextoCancelando) : Q(texto));
    return true;
}

void TFrmPrincipalSintegra::BtnFecharClick() {
    if (RecusaDuranteExportacao("  Não é permitido o fechamento do formulário durante a exportação...")) return;
    if (MostraMensagem(this, "PRAXO", "Deseja realmente sair?", IconeMensagem::Pergunta,
                       BotoesMensagem::SimNao) != RespostaMensagem::Sim)
        return;
    if (dm_) {
        modeloSaidas_->AntesDeMudar();
        dm_->CDSSaidas.Fecha();
        dm_->CDSItens.Fecha();
        dm_->ClientEmpresaLocal.Fecha();
        modeloSaidas_->DepoisDeMudar();
        dm_->SQLConnectionPRAXO.Desconecta();
    }
    close();
}

void TFrmPrincipalSintegra::RdGrpTipoPeriodoClick() {
    PgCntrlTipoPeriodo->setCurrentWidget(RdBtnPeriodo->isChecked() ? TbShtPeriodo : TbShtMes);
}

void TFrmPrincipalSintegra::MudaAno(int passo) {
    bool ok = false;
    const int ano = EdtAno->text().toInt(&ok);
    if (!ok) throw std::runtime_error("'" + EdtAno->text().toStdString() + "' não é um número inteiro válido.");
    EdtAno->setText(QString::number(ano + passo));
}

void TFrmPrincipalSintegra::RxSpinButton1TopClick() { MudaAno(+1); }
void TFrmPrincipalSintegra::RxSpinButton1BottomClick() { MudaAno(-1); }

int TFrmPrincipalSintegra::AnoInformado() const { return EdtAno->text().toInt(); }

bool TFrmPrincipalSintegra::EmpresaEscolhida(int& codigo) {
    codigo = RxDBLkCbEMPRESA->currentIndex() >= 0 ? RxDBLkCbEMPRESA->currentData().toInt() : 0;
    if (codigo > 0) return true;
    MostraMensagem(this, "PRAXO", "Nenhuma empresa foi escolhida.\r\rEscolha a empresa em \"Escolha a empresa\".",
                   IconeMensagem::Informacao);
    RxDBLkCbEMPRESA->setFocus();
    return false;
}

void TFrmPrincipalSintegra::BtnPesquisarClick() {
    if (RecusaDuranteExportacao("  Não é permitido executar outra consulta durante a exportação...")) return;
    int empresa;
    if (!EmpresaEscolhida(empresa)) return;
    if (AnoInformado() == 0) {
        MostraMensagem(this, "PRAXO", "Ano informado inválido.", IconeMensagem::Aviso);
        if (EdtAno->isVisible() && EdtAno->isEnabled()) EdtAno->setFocus();
        return;
    }
    PnlStatus->show();
    PnlStatus->raise();
    PnlStatus->repaint();
    Data inicio, fim;
    if (PgCntrlTipoPeriodo->currentWidget() == TbShtMes) {
        inicio = TFDMExporta::PrimeiroDiaMes(FazData(AnoInformado(), static_cast<unsigned>(CbxMes->currentIndex() + 1), 1));
        fim = TFDMExporta::UltimoDiaMes(inicio);
    } else {
        const auto a = LeData(DtEdtDataInicial->text()), b = LeData(DtEdtDataFinal->text());
        if (!a || !b || *a > *b) {
            MostraMensagem(this, "PRAXO", "O período informado é inválido.", IconeMensagem::Informacao);
            DtEdtDataInicial->setFocus();
            PnlStatus->hide();
            return;
        }
        inicio = *a;
        fim = *b;
    }
    DataInicialPeriodo = inicio;
    DataFinalPeriodo = fim;
    DtEdtInventario->setText(FormataData(DataFinalPeriodo));

    OpcoesExportacao o;
    o.empresa = empresa;
    o.dataInicial = DataInicialPeriodo;
    o.dataFinal = DataFinalPeriodo;
    modeloSaidas_->AntesDeMudar();
    bool existe = false;
    try {
        existe = PreparaExportacao(*dm_, o);
    } catch (...) {
        // A list that cannot be opened leaves no panel behind.
        modeloSaidas_->DepoisDeMudar();
        PnlStatus->hide();
        LblTotalRegistros->setText(Q("0"));
        throw;
    }
    modeloSaidas_->DepoisDeMudar();
    PnlStatus->hide();
    if (!existe) throw std::runtime_error("A empresa " + std::to_string(empresa) + " não existe no banco de dados.");
    LblTotalRegistros->setText(QString::number(dm_->CDSSaidas.QuantidadeRegistros()));
    LblTotalRegistros->repaint();
    // What Exportar hands to the run, and the names its file takes.
    empresaProcessada_ = empresa;
    mesProcessado_ = CbxMes->currentText();
    anoProcessado_ = EdtAno->text();
}

void TFrmPrincipalSintegra::BtnExportarClick() {
    if (RecusaDuranteExportacao("  Aguarde, o sistema já está exportando os dados...")) return;
    int empresa;
    if (!EmpresaEscolhida(empresa)) return;
    if (!dm_ || !dm_->CDSSaidas.Ativo() || dm_->CDSSaidas.Vazio()) {
        MostraMensagem(this, "PRAXO",
                       "Não existem informações a serem exportadas.\r\rSelecione a empresa e o período para "
                       "filtrar as informações.\r\rClique no botão Processar para verificar as informações.",
                       IconeMensagem::Informacao);
        auto* radio = RdBtnPeriodo->isChecked() ? RdBtnPeriodo : RdBtnMensal;
        if (radio->isVisible() && radio->isEnabled()) radio->setFocus();
        return;
    }
    auto gerador = std::make_unique<sintegra::tSintegra>(pastaPrograma_);
    const std::string nome = ModoPafEcf ? ArquivoPafEcf
                                        : "SINTEGRA_" + std::to_string(empresaProcessada_) + "_" +
                                              mesProcessado_.toStdString() + "_" + anoProcessado_.toStdString() +
                                              ".TXT";
    // Never onto the database, the configuration, a folder or a device.
    if (!nome.empty()) {
        if (const auto motivo = MotivoDestinoRecusado(*dm_, pastaPrograma_ + nome); !motivo.empty()) {
            MostraMensagem(this, "PRAXO", motivo, IconeMensagem::Informacao);
            return;
        }
    }
    // No run starts on a file that cannot be created; a name that is a folder
    // (an empty PAF-ECF name) would only fail when the finished file takes it.
    if (!gerador->AbreArquivo(nome) || std::filesystem::is_directory(gerador->NomeArquivoCompleto())) {
        gerador->AbandonaArquivo();
        MostraMensagem(this, "PRAXO", gerador->MensagemFalhaCriacao(), IconeMensagem::Informacao);
        return;
    }
    GeradorSintegra = std::move(gerador);

    // The run's own copy of what was chosen; it reads nothing of the window.
    OpcoesExportacao o;
    o.empresa = empresaProcessada_;
    o.dataInicial = DataInicialPeriodo;
    o.dataFinal = DataFinalPeriodo;
    o.pafEcf = ChkBxPAF_ECF->isChecked();
    o.itensCupom = ChkbxItemCupom->isChecked();
    o.inventario = ChkBxInventario->isChecked();
    o.dataInventario = LeData(DtEdtInventario->text()).value_or(DataFinalPeriodo);
    o.registro88 = ChkBxReg88->isChecked();
    o.novoContador = ChkBxNovoContador->isChecked();
    o.modoPafEcf = ModoPafEcf;

    progresso_ = new TProgressoJanela;
    connect(progresso_, &TProgressoJanela::Mudou, this, [this] { ProgressoMudou(); }, Qt::QueuedConnection);
    connect(progresso_, &TProgressoJanela::PedeMensagemFinal, this, [this](const QString& texto) {
        AplicaProgresso(true);  // the run waits for this box: it holds nothing
        MostraMensagem(this, "PRAXO", texto.toStdString(), IconeMensagem::Informacao);
        if (progresso_) progresso_->MensagemVista();
    }, Qt::QueuedConnection);
    connect(progresso_, &TProgressoJanela::PedeErro, this, [this](const QString& texto) {
        AplicaProgresso(true);
        MostraMensagem(this, "PRAXO", texto.toStdString(), IconeMensagem::Erro);
    }, Qt::QueuedConnection);

    // The run opens its own attachment to the database: nothing the window
    // does meanwhile can move a cursor it reads.
    const std::string pasta = pastaPrograma_, configuracao = dm_->ArquivoConfiguracao();
    auto* gravador = GeradorSintegra.get();
    errosVerificacao_ = 0;
    arquivoExportado_.clear();
    auto* errosVerificacao = &errosVerificacao_;
    auto* arquivoExportado = &arquivoExportado_;
    auto* estado = &Estado;
    auto* progresso = progresso_;
    auto antes = AntesDaExportacao;
    Estado.CancelaExportacao = false;
    Estado.Exportando = true;
    linhaExportacao_ = QThread::create([=] {
        // The lowest priority above idle, so that the window stays responsive.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
        if (antes) antes();
        try {
            TFDMExporta dm(pasta);
            dm.DefineArquivoConfiguracao(configuracao);
            if (!PreparaExportacao(dm, o)) throw std::runtime_error(dm.MotivoEmpresaAusente(o.empresa));
            ThExporta run(dm, *gravador, o, *estado, *progresso);
            if (run.Executa() && !run.Cancelada()) {
                // The file checked as the authority's validator would, here
                // off the window's thread.
                *arquivoExportado = gravador->NomeArquivoCompleto();
                *errosVerificacao = verificacao::VerificaArquivoExportado(*arquivoExportado, 0).Erros;
            }
        } catch (const std::exception& e) {
            gravador->AbandonaArquivo();
            estado->Exportando = false;
            estado->CancelaExportacao = false;
            progresso->TotalRegistros("0");
            progresso->Descricao("A exportação falhou.");
            progresso->Erro(e.what());
        }
    });
    linhaExportacao_->setObjectName("ThExporta");
    connect(linhaExportacao_, &QThread::finished, this, [this] { FimDaExportacao(); }, Qt::QueuedConnection);
    StStatus->clearMessage();
    ultimaPintura_.invalidate();
    linhaExportacao_->start();
}

void TFrmPrincipalSintegra::ProgressoMudou() {
    if (!progresso_) return;
    const qint64 passou = ultimaPintura_.isValid() ? ultimaPintura_.elapsed() : TProgressoJanela::IntervaloMs;
    if (passou >= TProgressoJanela::IntervaloMs)
        AplicaProgresso();
    else if (!temporizadorProgresso_->isActive())
        temporizadorProgresso_->start(static_cast<int>(TProgressoJanela::IntervaloMs - passou));
}

void TFrmPrincipalSintegra::AplicaProgresso(bool final) {
    if (!progresso_) return;
    temporizadorProgresso_->stop();
    const auto quadro = progresso_->Retira(final || !ExportacaoViva());
    if (!quadro) {
        temporizadorProgresso_->start(TProgressoJanela::IntervaloMs);
        return;
    }
    ultimaPintura_.start();
    const QuadroProgresso& q = *quadro;
    if (q.temEtapa) LblEtapas->setText(q.etapa);
    if (q.temDescricao) LblDescricao->setText(q.descricao);
    if (q.temTotal) LblTotalRegistros->setText(q.totalRegistros);
    // A bar with no maximum would animate as busy; it stays still instead.
    if (q.maximoStatus >= 0) PgrStatus->setRange(0, std::max(1, q.maximoStatus));
    if (q.posicaoStatus >= 0) PgrStatus->setValue(std::min(q.posicaoStatus, PgrStatus->maximum()));
    if (q.maximoItens >= 0) PgrItens->setRange(0, std::max(1, q.maximoItens));
    if (q.posicaoItens >= 0) PgrItens->setValue(std::min(q.posicaoItens, PgrItens->maximum()));
    if (q.cursorEspera == 1 && !QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
    if (q.cursorEspera == 0)
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void TFrmPrincipalSintegra::FimDaExportacao() {
    if (!linhaExportacao_) return;
    linhaExportacao_->wait();
    delete linhaExportacao_;
    linhaExportacao_ = nullptr;
    AplicaProgresso(true);
    progresso_->deleteLater();
    progresso_ = nullptr;
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    // The preview stays empty until the next Processar.
    if (dm_) {
        modeloSaidas_->AntesDeMudar();
        dm_->CDSSaidas.Fecha();
        dm_->CDSItens.Fecha();
        modeloSaidas_->DepoisDeMudar();
    }
    StStatus->clearMessage();
    // A file the validator would reject: its findings after the success message.
    if (errosVerificacao_ > 0) Protegido([this] { MostraVerificacao(this, arquivoExportado_); });
    emit ExportacaoTerminada();
}

void TFrmPrincipalSintegra::AguardaExportacao() {
    if (!linhaExportacao_) return;
    Estado.CancelaExportacao = true;
    if (progresso_) progresso_->Encerra();
    linhaExportacao_->wait();
    delete linhaExportacao_;
    linhaExportacao_ = nullptr;
    delete progresso_;
    progresso_ = nullptr;
}

void TFrmPrincipalSintegra::VerificarArquivoSintegra1Click() {
    const std::string arquivo = EscolheArquivoSintegra(this, pastaPrograma_);
    if (!arquivo.empty()) MostraVerificacao(this, arquivo);
}

void TFrmPrincipalSintegra::InformarReduoZECF1Click() {
    if (dm_) InformarReducaoZ(this, *dm_);
}
