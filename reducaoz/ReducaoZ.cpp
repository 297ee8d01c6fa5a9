#include "ReducaoZ.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The name of an error's kind, as the failed-transaction message shows it.
std::string ClasseDoErro(const std::exception& erro) {
    const char* nome = typeid(erro).name();
    int estado = 0;
    std::unique_ptr<char, void (*)(void*)> legivel(abi::__cxa_demangle(nome, nullptr, nullptr, &estado), std::free);
    std::string r = estado == 0 && legivel ? legivel.get() : nome;
    if (const auto p = r.rfind("::"); p != std::string::npos) r = r.substr(p + 2);
    return r;
}

QLineEdit* EdicaoNumerica(QWidget* pai, const char* nome) {
    auto* e = new QLineEdit(pai);
    e->setObjectName(nome);
    e->setAlignment(Qt::AlignRight);
    return e;
}

}  // namespace

// ---------------------------------------------------------------- grid model

TModeloConjunto::TModeloConjunto(TConjuntoDados& conjunto, std::vector<Coluna> colunas, QObject* pai)
    : QAbstractTableModel(pai), conjunto_(conjunto), colunas_(std::move(colunas)) {}

int TModeloConjunto::rowCount(const QModelIndex& pai) const {
    return pai.isValid() || !conjunto_.Ativo() ? 0 : conjunto_.QuantidadeRegistros();
}

int TModeloConjunto::columnCount(const QModelIndex& pai) const {
    return pai.isValid() ? 0 : static_cast<int>(colunas_.size());
}

QVariant TModeloConjunto::data(const QModelIndex& indice, int papel) const {
    if (!indice.isValid() || !conjunto_.Ativo()) return {};
    const auto& coluna = colunas_[static_cast<std::size_t>(indice.column())];
    const auto campo = conjunto_.Campo(S(coluna.campo));
    const auto tipo = conjunto_.Campos()[static_cast<std::size_t>(campo.Indice())].tipo;
    if (papel == Qt::TextAlignmentRole)
        return tipo == TipoCampo::Texto || tipo == TipoCampo::Data ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                                    : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (papel != Qt::DisplayRole) return {};
    // Reading a row moves the row set's cursor: put it back where it was.
    const int atual = conjunto_.NumeroRegistro();
    if (!conjunto_.IrPara(indice.row() + 1)) return {};
    QString texto;
    if (!campo.Nulo()) {
        if (tipo == TipoCampo::Decimal) texto = TFrmReducaoZ::FormataValor(campo.Real());
        else if (tipo == TipoCampo::Data) texto = Q(TextoData(campo.DataValor()));
        else texto = Q(campo.Texto());
    }
    conjunto_.IrPara(atual);
    return texto;
}

QVariant TModeloConjunto::headerData(int secao, Qt::Orientation orientacao, int papel) const {
    if (orientacao != Qt::Horizontal || papel != Qt::DisplayRole) return {};
    return colunas_[static_cast<std::size_t>(secao)].titulo;
}

void TModeloConjunto::Recarrega() {
    beginResetModel();
    endResetModel();
}

// ---------------------------------------------------------------- window

TFrmReducaoZ::TFrmReducaoZ(TConexaoSQL& conexao, QWidget* pai)
    : QDialog(pai), Conexao(conexao), Dados(conexao) {
    setObjectName("FrmReducaoZ");
    setWindowTitle(QString::fromUtf8("Informar Redução Z - ECF"));
    setModal(true);

    // Period.
    GrpBxPeriodo = new QGroupBox(QString::fromUtf8("Período de Trabalho"), this);
    CbxMes = new QComboBox(GrpBxPeriodo);
    CbxMes->setObjectName("CbxMes");
    for (const char* mes : {"Janeiro", "Fevereiro", "Março", "Abril", "Maio", "Junho", "Julho", "Agosto",
                            "Setembro", "Outrubro", "Novembro", "Dezembro"})
        CbxMes->addItem(QString::fromUtf8(mes));
    EdtAno = new QSpinBox(GrpBxPeriodo);
    EdtAno->setObjectName("EdtAno");
    EdtAno->setRange(1900, 2099);
    RxDBLkCbEMPRESA = new QComboBox(GrpBxPeriodo);
    RxDBLkCbEMPRESA->setObjectName("RxDBLkCbEMPRESA");
    RxDBLkCbEMPRESA->setMaxVisibleItems(8);
    BitBtn5 = new QPushButton("Confirmar", GrpBxPeriodo);
    BitBtn5->setObjectName("BitBtn5");
    BitBtn5->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    auto* periodo = new QGridLayout(GrpBxPeriodo);
    periodo->addWidget(new QLabel(QString::fromUtf8("Mês "), GrpBxPeriodo), 0, 0);
    periodo->addWidget(new QLabel("Ano", GrpBxPeriodo), 0, 1);
    periodo->addWidget(new QLabel("Empresa", GrpBxPeriodo), 0, 2);
    periodo->addWidget(CbxMes, 1, 0);
    periodo->addWidget(EdtAno, 1, 1);
    periodo->addWidget(RxDBLkCbEMPRESA, 1, 2);
    periodo->addWidget(BitBtn5, 1, 3);
    periodo->setColumnStretch(2, 1);

    // Printer.
    GrpBxMaquina = new QGroupBox("Equipamento Emissor", this);
    GrpBxMaquina->setObjectName("GrpBxMaquina");
    DbLkpCbBxSerie = new QComboBox(GrpBxMaquina);
    DbLkpCbBxSerie->setObjectName("DbLkpCbBxSerie");
    DbLkpCbBxSerie->setMinimumContentsLength(20);
    BtBtnConfirmaMaquina = new QPushButton(GrpBxMaquina);
    BtBtnConfirmaMaquina->setObjectName("BtBtnConfirmaMaquina");
    BtBtnConfirmaMaquina->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    BtBtnConfirmaMaquina->setToolTip(QString::fromUtf8("Confirmar o equipamento"));
    auto* maquina = new QHBoxLayout(GrpBxMaquina);
    maquina->addWidget(new QLabel(QString::fromUtf8("Nr. Série"), GrpBxMaquina));
    maquina->addWidget(DbLkpCbBxSerie, 1);
    maquina->addWidget(BtBtnConfirmaMaquina);
    GrpBxMaquina->setEnabled(false);

    // Pages: a stack has no tabs, so only the window switches them.
    PgCntrlPrincipal = new QStackedWidget(this);
    PgCntrlPrincipal->setObjectName("PgCntrlPrincipal");
    TbShtConsulta = new QWidget;
    TbShtConsulta->setObjectName("TbShtConsulta");
    TbShtConsulta->setWindowTitle("Consulta");
    TbShtDetalhes = new QWidget;
    TbShtDetalhes->setObjectName("TbShtDetalhes");
    TbShtDetalhes->setWindowTitle("Detalhes");
    PgCntrlPrincipal->addWidget(TbShtConsulta);
    PgCntrlPrincipal->addWidget(TbShtDetalhes);
    PgCntrlPrincipal->setEnabled(false);

    // "Consulta": the stored reductions of the printer in the month.
    RxDBGrid1 = new QTableView(TbShtConsulta);
    RxDBGrid1->setObjectName("RxDBGrid1");
    modeloConsulta_ = new TModeloConjunto(
        Dados.CDSConsulta,
        {{"COD60M", QString::fromUtf8("Código")}, {"DATAEMISSAO", "Data"}, {"SERIEECF", QString::fromUtf8("Série")},
         {"NUMEROECF", QString::fromUtf8("Número Máquina")}, {"COOINICIAL", "Cupom Inicial"},
         {"COOFINAL", "Cupom Final"}, {"CONTREDUCAOZ", QString::fromUtf8("Contador Redução")},
         {"CONTREINICIO", QString::fromUtf8("Contador Reinício")}, {"VENDABRUTA", "Venda Bruta"},
         {"GRANDETOTAL", "Grande Total"}},
        this);
    RxDBGrid1->setModel(modeloConsulta_);
    RxDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RxDBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    RxDBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    RxDBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    RxDBGrid1->verticalHeader()->hide();
    (new QVBoxLayout(TbShtConsulta))->addWidget(RxDBGrid1);

    // "Detalhes": the reduction's own values.
    RxDbCbEdtNumeroSerie = new QLineEdit(TbShtDetalhes);
    RxDbCbEdtNumeroSerie->setObjectName("RxDbCbEdtNumeroSerie");
    RxDbCbEdtNumeroSerie->setMaxLength(20);
    RxDbClcNumero = EdicaoNumerica(TbShtDetalhes, "RxDbClcNumero");
    DbdtEdtData = new QLineEdit(TbShtDetalhes);
    DbdtEdtData->setObjectName("DbdtEdtData");
    DbdtEdtData->setInputMask("99/99/9999");
    RxDbClcPrimeiroCupom = EdicaoNumerica(TbShtDetalhes, "RxDbClcPrimeiroCupom");
    RxDbclcEdtUltimoCupom = EdicaoNumerica(TbShtDetalhes, "RxDbclcEdtUltimoCupom");
    RxDbClcEdtContadorReducao = EdicaoNumerica(TbShtDetalhes, "RxDbClcEdtContadorReducao");
    RxDbClcContadorReinicio = EdicaoNumerica(TbShtDetalhes, "RxDbClcContadorReinicio");
    RxDbClcEdtVendaBruta = EdicaoNumerica(TbShtDetalhes, "RxDbClcEdtVendaBruta");
    RxDbClcEdtGrandeTotal = EdicaoNumerica(TbShtDetalhes, "RxDbClcEdtGrandeTotal");
    for (auto* e : {RxDbClcNumero, RxDbClcPrimeiroCupom, RxDbclcEdtUltimoCupom, RxDbClcEdtContadorReducao,
                    RxDbClcContadorReinicio})
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]{0,18}"), e));
    RxClcEdtVendaLiquida = EdicaoNumerica(TbShtDetalhes, "RxClcEdtVendaLiquida");
    RxClcEdtVendaLiquida->setReadOnly(true);
    RxClcEdtVendaLiquida->setText(FormataValor(0));
    SBAtualizaCupons = new QPushButton("Atualiza Cupons", TbShtDetalhes);
    SBAtualizaCupons->setObjectName("SBAtualizaCupons");

    auto* valores = new QGridLayout;
    auto rotulo = [&](const char* texto, QWidget* controle, int linha, int coluna) {
        auto* l = new QLabel(QString::fromUtf8(texto), TbShtDetalhes);
        l->setBuddy(controle);
        valores->addWidget(l, linha, coluna);
        valores->addWidget(controle, linha + 1, coluna);
    };
    rotulo("Número de Série", RxDbCbEdtNumeroSerie, 0, 0);
    rotulo("Número do ECF", RxDbClcNumero, 0, 1);
    rotulo("Data Movimento", DbdtEdtData, 0, 2);
    valores->addWidget(new QLabel("COO Inicial", TbShtDetalhes), 2, 0);
    valores->addWidget(new QLabel("COO Final", TbShtDetalhes), 2, 1);
    rotulo("Primeiro Cupom Fiscal", RxDbClcPrimeiroCupom, 3, 0);
    rotulo("Último Cupom Fiscal", RxDbclcEdtUltimoCupom, 3, 1);
    valores->addWidget(SBAtualizaCupons, 4, 2);
    rotulo("Contador Redução Z", RxDbClcEdtContadorReducao, 5, 0);
    rotulo("Contador de Reínicio", RxDbClcContadorReinicio, 5, 1);
    rotulo("Venda Bruta", RxDbClcEdtVendaBruta, 7, 0);
    rotulo("Grande Total", RxDbClcEdtGrandeTotal, 7, 1);
    rotulo("Venda Líquida", RxClcEdtVendaLiquida, 7, 2);

    // The rate rows.
    GrpBxAliquotas = new QGroupBox(QString::fromUtf8("Situação Tributária / Alíquotas"), TbShtDetalhes);
    DbCbAliquota = new QComboBox(GrpBxAliquotas);
    DbCbAliquota->setObjectName("DbCbAliquota");
    DbCbAliquota->setEditable(true);
    DbCbAliquota->addItems({"1700", "0700", "1200", "1450", "0750", "0000", "CANC", "DESC", "F", "N", "I", "ISS"});
    DbCbAliquota->setCurrentIndex(0);
    DbCbAliquota->setEditText("1700");
    RxClcEdtValor = EdicaoNumerica(GrpBxAliquotas, "RxClcEdtValor");
    BtBtnIncluirAliquota = new QPushButton(GrpBxAliquotas);
    BtBtnIncluirAliquota->setObjectName("BtBtnIncluirAliquota");
    BtBtnIncluirAliquota->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    BtBtnIncluirAliquota->setToolTip(QString::fromUtf8("Incluir a alíquota"));
    RxDBGrid2 = new QTableView(GrpBxAliquotas);
    RxDBGrid2->setObjectName("RxDBGrid2");
    modeloAliquotas_ = new TModeloConjunto(
        Dados.CDSRegA, {{"ALIQUOTA", QString::fromUtf8("Alíquota")}, {"VALOR", "Valor Acumulado"}}, this);
    RxDBGrid2->setModel(modeloAliquotas_);
    RxDBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RxDBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    RxDBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    RxDBGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    RxDBGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    RxDBGrid2->verticalHeader()->hide();
    RxDBGrid2->setMinimumHeight(140);
    SpeedButton1 = new QPushButton(GrpBxAliquotas);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    SpeedButton1->setToolTip(QString::fromUtf8("Excluir a alíquota"));
    SpeedButton2 = new QPushButton(GrpBxAliquotas);
    SpeedButton2->setObjectName("SpeedButton2");
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    SpeedButton2->setToolTip("Ajuda");
    auto* aliquotas = new QGridLayout(GrpBxAliquotas);
    aliquotas->addWidget(new QLabel(QString::fromUtf8("Alíquota"), GrpBxAliquotas), 0, 0);
    aliquotas->addWidget(new QLabel("Valor \nAcumulado", GrpBxAliquotas), 0, 1);
    aliquotas->addWidget(DbCbAliquota, 1, 0);
    aliquotas->addWidget(RxClcEdtValor, 1, 1);
    aliquotas->addWidget(BtBtnIncluirAliquota, 1, 2);
    aliquotas->addWidget(RxDBGrid2, 2, 0, 1, 2);
    auto* botoesAliquota = new QVBoxLayout;
    botoesAliquota->addWidget(SpeedButton1);
    botoesAliquota->addWidget(SpeedButton2);
    botoesAliquota->addStretch();
    aliquotas->addLayout(botoesAliquota, 2, 2);

    BitBtn1 = new QPushButton("Gravar", TbShtDetalhes);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    BitBtn2 = new QPushButton("Cancelar", TbShtDetalhes);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    auto* gravar = new QHBoxLayout;
    gravar->addStretch();
    gravar->addWidget(BitBtn1);
    gravar->addWidget(BitBtn2);
    auto* detalhes = new QVBoxLayout(TbShtDetalhes);
    detalhes->addLayout(valores);
    detalhes->addWidget(GrpBxAliquotas, 1);
    detalhes->addLayout(gravar);

    // Novo, Editar, Excluir.
    GrpBxBotoes = new QGroupBox(this);
    GrpBxBotoes->setObjectName("GrpBxBotoes");
    BitBtn3 = new QPushButton("Novo", GrpBxBotoes);
    BitBtn3->setObjectName("BitBtn3");
    BitBtn6 = new QPushButton("Editar", GrpBxBotoes);
    BitBtn6->setObjectName("BitBtn6");
    BitBtn8 = new QPushButton("Excluir", GrpBxBotoes);
    BitBtn8->setObjectName("BitBtn8");
    auto* botoes = new QHBoxLayout(GrpBxBotoes);
    botoes->addWidget(BitBtn3);
    botoes->addWidget(BitBtn6);
    botoes->addWidget(BitBtn8);
    botoes->addStretch();
    GrpBxBotoes->setEnabled(false);

    auto* janela = new QVBoxLayout(this);
    auto* topo = new QHBoxLayout;
    topo->addWidget(GrpBxPeriodo, 3);
    topo->addWidget(GrpBxMaquina, 2);
    janela->addLayout(topo);
    janela->addWidget(PgCntrlPrincipal, 1);
    janela->addWidget(GrpBxBotoes);
    resize(900, 680);

    // No button is the dialog's default: Enter moves the focus (eventFilter).
    for (auto* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    for (auto* w : findChildren<QWidget*>()) w->installEventFilter(this);

    Dados.CDSRegM.AoNovoRegistro = [this](TConjuntoDados& r) { CDSRegMNewRecord(r); };
    Dados.CDSRegM.AntesDePostar = [this](TConjuntoDados& r) { CDSRegMBeforePost(r); };
    Dados.CDSRegA.AntesDePostar = [this](TConjuntoDados& r) { CDSRegABeforePost(r); };

    auto liga = [this](QPushButton* botao, void (TFrmReducaoZ::*manipulador)()) {
        connect(botao, &QPushButton::clicked, this, [this, manipulador] { Protegido([&] { (this->*manipulador)(); }); });
    };
    liga(BitBtn5, &TFrmReducaoZ::BitBtn5Click);
    liga(BtBtnConfirmaMaquina, &TFrmReducaoZ::BtBtnConfirmaMaquinaClick);
    liga(BitBtn3, &TFrmReducaoZ::BitBtn3Click);
    liga(BitBtn6, &TFrmReducaoZ::BitBtn6Click);
    liga(BitBtn8, &TFrmReducaoZ::BitBtn8Click);
    liga(BitBtn1, &TFrmReducaoZ::BitBtn1Click);
    liga(BitBtn2, &TFrmReducaoZ::BitBtn2Click);
    liga(BtBtnIncluirAliquota, &TFrmReducaoZ::BtBtnIncluirAliquotaClick);
    liga(SpeedButton1, &TFrmReducaoZ::SpeedButton1Click);
    liga(SpeedButton2, &TFrmReducaoZ::SpeedButton2Click);
    liga(SBAtualizaCupons, &TFrmReducaoZ::SBAtualizaCuponsClick);
    // The grids' current row is their row set's current row.
    connect(RxDBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& atual) {
                if (atual.isValid() && Dados.CDSConsulta.Ativo()) Dados.CDSConsulta.IrPara(atual.row() + 1);
            });
    connect(RxDBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& atual) {
                if (atual.isValid() && Dados.CDSRegA.Ativo()) Dados.CDSRegA.IrPara(atual.row() + 1);
            });
    // Amounts are shown in their pattern once typed in.
    for (auto* e : {RxDbClcEdtVendaBruta, RxDbClcEdtGrandeTotal, RxClcEdtValor}) {
        connect(e, &QLineEdit::editingFinished, this, [e] {
            double v;
            if (!e->text().trimmed().isEmpty() && LeValor(e->text(), v)) e->setText(FormataValor(v));
        });
    }
}

TFrmReducaoZ::~TFrmReducaoZ() {
    for (auto* c : {&Dados.CDSEmpresaLocal, &Dados.CDSConsSeries, &Dados.CDSConsulta, &Dados.CDSRegM,
                    &Dados.CDSRegA})
        c->Fecha();
}

// ---------------------------------------------------------------- helpers

QMessageBox::StandardButton TFrmReducaoZ::Mensagem(QMessageBox::Icon icone, const QString& titulo,
                                                   const QString& texto, QMessageBox::StandardButtons botoes,
                                                   QMessageBox::StandardButton padrao) {
    return mensagens_->Mostra(this, icone, titulo, texto, botoes, padrao);
}

void TFrmReducaoZ::Protegido(const std::function<void()>& manipulador) {
    try {
        manipulador();
    } catch (const std::exception& e) {
        Mensagem(QMessageBox::Critical, "PRAXO - Sintegra", QString::fromUtf8(e.what()));
    }
}

void TFrmReducaoZ::MostraFalhaTransacao(const std::exception& erro) {
    Mensagem(QMessageBox::Critical, "PRAXO - Sintegra",
             QString::fromUtf8("Atenção !!! Não foi possível realizar esta transação.\r\rErro : ") +
                 QString::fromUtf8(erro.what()) + "\rClasse do erro : " + Q(ClasseDoErro(erro)));
}

void TFrmReducaoZ::MostraPagina(QWidget* pagina) { PgCntrlPrincipal->setCurrentWidget(pagina); }

QString TFrmReducaoZ::FormataValor(double valor) {
    const long long centavos = std::llround(std::fabs(valor) * 100.0);
    QString inteiro = QString::number(centavos / 100);
    for (int i = inteiro.size() - 3; i > 0; i -= 3) inteiro.insert(i, QLatin1Char('.'));
    const QString texto = inteiro + QLatin1Char(',') + QString::number(centavos % 100).rightJustified(2, '0');
    return centavos != 0 && valor < 0 ? "-" + texto : texto;
}

bool TFrmReducaoZ::LeValor(const QString& texto, double& valor) {
    QString t = texto.trimmed();
    if (t.contains(QLatin1Char(','))) {
        t.remove(QLatin1Char('.'));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    bool ok = false;
    valor = t.isEmpty() ? 0 : t.toDouble(&ok);
    return t.isEmpty() || ok;
}

bool TFrmReducaoZ::DataVazia(const QString& texto) {
    QString t = texto;
    t.remove(QLatin1Char('/'));
    return t.trimmed().isEmpty();
}

bool TFrmReducaoZ::LeData(Data& data) const {
    return !DataVazia(DbdtEdtData->text()) && LeTextoData(S(DbdtEdtData->text().trimmed()), data);
}

std::optional<std::int64_t> TFrmReducaoZ::EmpresaEscolhida() const {
    if (RxDBLkCbEMPRESA->currentIndex() < 0) return std::nullopt;
    return RxDBLkCbEMPRESA->currentData().toLongLong();
}

void TFrmReducaoZ::MostraRegistro() {
    auto& r = Dados.CDSRegM;
    // Numbers show 0 rather than blank.
    auto inteiro = [&](const char* campo) { return QString::number(r.Campo(campo).Inteiro()); };
    auto valor = [&](const char* campo) { return FormataValor(r.Campo(campo).Real()); };
    RxDbCbEdtNumeroSerie->setText(Q(r.Campo("SERIEECF").Texto()));
    RxDbClcNumero->setText(inteiro("NUMEROECF"));
    DbdtEdtData->setText(r.Campo("DATAEMISSAO").Nulo() ? QString() : Q(TextoData(r.Campo("DATAEMISSAO").DataValor())));
    RxDbClcPrimeiroCupom->setText(inteiro("COOINICIAL"));
    RxDbclcEdtUltimoCupom->setText(inteiro("COOFINAL"));
    RxDbClcEdtContadorReducao->setText(inteiro("CONTREDUCAOZ"));
    RxDbClcContadorReinicio->setText(inteiro("CONTREINICIO"));
    RxDbClcEdtVendaBruta->setText(valor("VENDABRUTA"));
    RxDbClcEdtGrandeTotal->setText(valor("GRANDETOTAL"));
}

void TFrmReducaoZ::GuardaEdicoes() {
    auto& r = Dados.CDSRegM;
    // A number cleared by the user is 0, as the edit shows it.
    auto inteiro = [&](const char* campo, QLineEdit* e) {
        r.DefineValor(campo, std::int64_t{e->text().trimmed().toLongLong()});
    };
    auto valor = [&](const char* campo, QLineEdit* e) {
        double v = 0;
        if (!LeValor(e->text(), v))
            throw std::runtime_error("'" + S(e->text()) + "' não é um valor válido.");
        r.DefineValor(campo, v);
    };
    const QString serie = RxDbCbEdtNumeroSerie->text();
    r.DefineValor("SERIEECF", serie.isEmpty() ? Valor{} : Valor{S(serie)});
    inteiro("NUMEROECF", RxDbClcNumero);
    Data d;
    if (DataVazia(DbdtEdtData->text())) r.DefineValor("DATAEMISSAO", Valor{});
    else if (LeData(d)) r.DefineValor("DATAEMISSAO", d);
    else throw std::runtime_error("'" + S(DbdtEdtData->text()) + "' não é uma data válida.");
    inteiro("COOINICIAL", RxDbClcPrimeiroCupom);
    inteiro("COOFINAL", RxDbclcEdtUltimoCupom);
    inteiro("CONTREDUCAOZ", RxDbClcEdtContadorReducao);
    inteiro("CONTREINICIO", RxDbClcContadorReinicio);
    valor("VENDABRUTA", RxDbClcEdtVendaBruta);
    valor("GRANDETOTAL", RxDbClcEdtGrandeTotal);
}

// ---------------------------------------------------------------- events

void TFrmReducaoZ::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (!mostrada_) {
        mostrada_ = true;
        Protegido([this] { FormShow(); });
    }
}

// FormKeyPress: the window sees keys before its controls; Enter moves on as Tab does.
bool TFrmReducaoZ::eventFilter(QObject* objeto, QEvent* evento) {
    const auto* controle = qobject_cast<QWidget*>(objeto);
    // A combo's open list is a window of its own: there Enter picks the item.
    if (evento->type() == QEvent::KeyPress && controle && controle->window() == this) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if ((tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) &&
            !(tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            focusNextChild();
            return true;
        }
    }
    if (evento->type() == QEvent::FocusOut && objeto == DbdtEdtData) {
        const auto motivo = static_cast<QFocusEvent*>(evento)->reason();
        if (motivo != Qt::ActiveWindowFocusReason && motivo != Qt::PopupFocusReason)
            Protegido([this] { DbdtEdtDataExit(); });
    }
    return QDialog::eventFilter(objeto, evento);
}

// ---------------------------------------------------------------- handlers

void TFrmReducaoZ::FormShow() {
    const Data hoje = Hoje();
    AnoAtual = static_cast<unsigned short>(static_cast<int>(hoje.year()));
    EdtAno->setValue(AnoAtual);
    CbxMes->setCurrentIndex(static_cast<int>(static_cast<unsigned>(hoje.month())) - 1);
    // The company list, no company chosen.
    auto& empresas = Dados.CDSEmpresaLocal;
    empresas.Fecha();
    empresas.Abre();
    RxDBLkCbEMPRESA->clear();
    for (empresas.Primeiro(); !empresas.Fim(); empresas.Proximo())
        RxDBLkCbEMPRESA->addItem(Q(empresas.Campo("FANTASIA").Texto()),
                                 QVariant::fromValue<qlonglong>(empresas.Campo("CODEMPRESA").Inteiro()));
    RxDBLkCbEMPRESA->setCurrentIndex(-1);
    MostraPagina(TbShtConsulta);
}

void TFrmReducaoZ::BitBtn5Click() {
    const int ano = EdtAno->value();
    if (ano > AnoAtual) {
        Mensagem(QMessageBox::Information, "PRAXO", QString::fromUtf8("Ano de processamento maior que o atual."));
        EdtAno->setFocus();
        return;
    }
    const auto empresa = EmpresaEscolhida();
    if (!empresa) {
        Mensagem(QMessageBox::Information, "PRAXO", QString::fromUtf8("Escolha a empresa antes de confirmar o período."));
        RxDBLkCbEMPRESA->setFocus();
        return;
    }
    const Data dia1 = FazData(ano, static_cast<unsigned>(CbxMes->currentIndex() + 1), 1);
    DataInicialPeriodo = PrimeiroDiaMes(dia1);
    DataFinalPeriodo = UltimoDiaMes(dia1);
    auto& series = Dados.CDSConsSeries;
    series.Fecha();
    series.Parametro("emp", *empresa);
    series.Parametro("DI", DataInicialPeriodo);
    series.Parametro("DF", DataFinalPeriodo);
    series.Abre();
    DbLkpCbBxSerie->clear();
    for (series.Primeiro(); !series.Fim(); series.Proximo())
        DbLkpCbBxSerie->addItem(Q(series.Campo("NUMSERIEMAQECF").Texto()));
    DbLkpCbBxSerie->setCurrentIndex(-1);
    GrpBxBotoes->setEnabled(true);
    GrpBxMaquina->setEnabled(true);
    DbLkpCbBxSerie->setFocus();
    PgCntrlPrincipal->setEnabled(true);
    MostraPagina(TbShtConsulta);
}

void TFrmReducaoZ::BtBtnConfirmaMaquinaClick() {
    auto& consulta = Dados.CDSConsulta;
    consulta.Fecha();
    modeloConsulta_->Recarrega();
    consulta.Parametro("SERIE", S(DbLkpCbBxSerie->currentText()));
    consulta.Parametro("DI", DataInicialPeriodo);
    consulta.Parametro("DF", DataFinalPeriodo);
    consulta.Abre();
    modeloConsulta_->Recarrega();
    if (!consulta.Vazio()) RxDBGrid1->setCurrentIndex(modeloConsulta_->index(0, 0));
}

void TFrmReducaoZ::BitBtn3Click() {
    auto& m = Dados.CDSRegM;
    m.Fecha();
    m.Parametro("CODIGO", std::int64_t{0});
    m.Abre();
    m.Insere();  // CDSRegMNewRecord
    auto& a = Dados.CDSRegA;
    a.Fecha();
    a.Parametro("CODIGO", std::int64_t{0});
    a.Abre();
    modeloAliquotas_->Recarrega();
    const QString serie = DbLkpCbBxSerie->currentText();
    if (!serie.trimmed().isEmpty()) m.DefineValor("SERIEECF", S(serie));
    MostraRegistro();
    GrpBxBotoes->setEnabled(false);
    MostraPagina(TbShtDetalhes);
    RxClcEdtVendaLiquida->setText(FormataValor(0));
    if (DbdtEdtData->isEnabled() && DbdtEdtData->isVisibleTo(this)) DbdtEdtData->setFocus();
}

void TFrmReducaoZ::CDSRegMNewRecord(TConjuntoDados& r) {
    const auto empresa = EmpresaEscolhida();
    r.DefineValor("CODEMPRESA", empresa ? Valor{*empresa} : Valor{});
    for (const char* campo : {"CONTREDUCAOZ", "CONTREINICIO", "COOINICIAL", "COOFINAL"})
        r.DefineValor(campo, std::int64_t{0});
    r.DefineValor("GRANDETOTAL", 0.0);
    r.DefineValor("VENDABRUTA", 0.0);
}

void TFrmReducaoZ::BitBtn6Click() {
    auto& consulta = Dados.CDSConsulta;
    const std::int64_t codigo =
        consulta.Ativo() && !consulta.Vazio() ? consulta.Campo("COD60M").Inteiro() : std::int64_t{0};
    auto& m = Dados.CDSRegM;
    m.Fecha();
    m.Parametro("CODIGO", codigo);
    m.Abre();
    m.Edita();  // with no reduction, a new row as Novo gives
    auto& a = Dados.CDSRegA;
    a.Fecha();
    a.Parametro("CODIGO", codigo);
    a.Abre();
    modeloAliquotas_->Recarrega();
    MostraRegistro();
    GrpBxBotoes->setEnabled(false);
    MostraPagina(TbShtDetalhes);
    CalculaVendaLiquida();
}

void TFrmReducaoZ::CDSRegMBeforePost(TConjuntoDados& r) {
    if (r.Estado() == EstadoConjunto::Inserindo) r.DefineValor("COD60M", NovoCodigo("COD60M_GEN"));
}

void TFrmReducaoZ::CDSRegABeforePost(TConjuntoDados& r) {
    if (r.Estado() == EstadoConjunto::Inserindo) r.DefineValor("COD60A", NovoCodigo("COD60A_GEN"));
}

std::int64_t TFrmReducaoZ::NovoCodigo(const std::string& gerador) { return Dados.NovoCodigo(gerador); }

void TFrmReducaoZ::BitBtn1Click() {
    const QString titulo = "PRAXO - Sintegra";
    if (DataVazia(DbdtEdtData->text())) {
        Mensagem(QMessageBox::Information, titulo, QString::fromUtf8("Deve ser informado a Data do Movimento."));
        DbdtEdtData->setFocus();
        return;
    }
    if (RxDbCbEdtNumeroSerie->text().trimmed().isEmpty()) {
        Mensagem(QMessageBox::Information, titulo,
                 QString::fromUtf8("Deve ser informado o Número de série do equipamento."));
        RxDbCbEdtNumeroSerie->setFocus();
        return;
    }
    if (RxDbClcNumero->text().trimmed().isEmpty()) {
        Mensagem(QMessageBox::Information, titulo, QString::fromUtf8("Deve ser informado o Número do equipamento."));
        RxDbClcNumero->setFocus();
        return;
    }
    if (RxDbClcPrimeiroCupom->text().trimmed().toLongLong() > RxDbclcEdtUltimoCupom->text().trimmed().toLongLong()) {
        Mensagem(QMessageBox::Information, titulo,
                 QString::fromUtf8("O Número do PRIMEIRO cupom emitido é maior que o número do ÚLTIMO cupom."));
        RxDbClcPrimeiroCupom->setFocus();
        return;
    }
    Data emissao;
    if (!LeData(emissao)) {
        Mensagem(QMessageBox::Information, titulo,
                 QString::fromUtf8("A Data do Movimento ") + DbdtEdtData->text() +
                     QString::fromUtf8(" não é uma data válida."));
        DbdtEdtData->setFocus();
        return;
    }
    // On every Gravar, for a new or a stored reduction: a printer's day
    // stored twice would be exported twice.
    if (Dados.ReducaoRepetida(RxDbClcNumero->text().trimmed().toLongLong(), S(RxDbCbEdtNumeroSerie->text()),
                              emissao)) {
        Mensagem(QMessageBox::Information, "PRAXO Sintegra",
                 QString::fromUtf8("Já existe movimento desta máquina para esta data."));
        RxDbClcNumero->setFocus();
        return;
    }

    auto& m = Dados.CDSRegM;
    auto& a = Dados.CDSRegA;
    // The edits go into the master row, which is posted (a new row takes its key here).
    if (m.Estado() == EstadoConjunto::Navegando) m.Edita();
    GuardaEdicoes();
    m.Posta();
    const std::int64_t codigo = m.Campo("COD60M").Inteiro();
    RxDBGrid2->setUpdatesEnabled(false);
    for (a.Primeiro(); !a.Fim(); a.Proximo()) {
        a.Edita();
        a.DefineValor("COD60M", codigo);
        a.Posta();
    }
    RxDBGrid2->setUpdatesEnabled(true);

    try {
        Dados.ArmazenaReducao();
        RxClcEdtVendaLiquida->setText(FormataValor(0));
    } catch (const std::exception& e) {
        // The row sets keep the user's input; the page stays.
        MostraFalhaTransacao(e);
        return;
    }
    m.Fecha();
    a.Fecha();
    modeloAliquotas_->Recarrega();
    BtBtnConfirmaMaquinaClick();
    GrpBxBotoes->setEnabled(true);
    MostraPagina(TbShtConsulta);
}

void TFrmReducaoZ::BitBtn2Click() {
    Dados.CDSRegM.Fecha();
    Dados.CDSRegA.Fecha();
    modeloAliquotas_->Recarrega();
    GrpBxBotoes->setEnabled(true);
    MostraPagina(TbShtConsulta);
}

void TFrmReducaoZ::BitBtn8Click() {
    if (Mensagem(QMessageBox::Question, "PRAXO - Sintegra", QString::fromUtf8("Confirma exclusão do Registro Mestre ?"),
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    auto& consulta = Dados.CDSConsulta;
    const std::int64_t codigo =
        consulta.Ativo() && !consulta.Vazio() ? consulta.Campo("COD60M").Inteiro() : std::int64_t{0};
    Dados.PreparaExclusao(codigo);  // nothing to delete: the general error handler's message
    modeloAliquotas_->Recarrega();
    try {
        Dados.ArmazenaReducao();
    } catch (const std::exception& e) {
        MostraFalhaTransacao(e);
        return;
    }
    Dados.CDSRegM.Fecha();
    Dados.CDSRegA.Fecha();
    modeloAliquotas_->Recarrega();
    // The removed reduction leaves the list at once.
    BtBtnConfirmaMaquinaClick();
}

void TFrmReducaoZ::BtBtnIncluirAliquotaClick() {
    double valor = 0;
    const bool numero = LeValor(RxClcEdtValor->text(), valor);
    if (DbCbAliquota->currentText().trimmed().isEmpty() || !numero || valor == 0) {
        Mensagem(QMessageBox::Information, "PRAXO - Sintegra",
                 QString::fromUtf8("Deve ser informado uma alíquota e o Valor."));
        DbCbAliquota->setFocus();
        return;
    }
    auto& a = Dados.CDSRegA;
    a.Insere();
    a.DefineValor("COD60A", std::int64_t{0});
    a.DefineValor("COD60M", std::int64_t{0});
    a.DefineValor("ALIQUOTA", S(DbCbAliquota->currentText()));  // the row set keeps four characters
    a.DefineValor("VALOR", valor);
    a.Posta();  // CDSRegABeforePost
    modeloAliquotas_->Recarrega();
    RxClcEdtValor->clear();
    CalculaVendaLiquida();
    DbCbAliquota->setFocus();
}

void TFrmReducaoZ::SpeedButton1Click() {
    Dados.CDSRegA.Exclui();
    modeloAliquotas_->Recarrega();
    CalculaVendaLiquida();
    DbCbAliquota->setFocus();
}

void TFrmReducaoZ::SpeedButton2Click() {
    Mensagem(QMessageBox::Information, "PRAXO Sintegra",
             QString::fromUtf8("O campo alíquota deve ser informado da seguinte forma :\r\r"
                               "Para uma alíquota de 17,00% informar 1700 (sem vírgulas ou pontos)\r"
                               "Para uma alíquota de 7,50% informar 0750 (sem vírgulas ou pontos)\r"
                               "Para os cancelamentos de Cupons informar CANC \r"
                               "Para os descontos concedidos em Cupons informar DESC"));
}

void TFrmReducaoZ::CalculaVendaLiquida() {
    double liquida = 0;
    auto& a = Dados.CDSRegA;
    if (a.Ativo()) {
        RxDBGrid2->setUpdatesEnabled(false);
        for (a.Primeiro(); !a.Fim(); a.Proximo()) {
            const QString aliquota = Q(a.Campo("ALIQUOTA").Texto()).trimmed();
            const double valor = a.Campo("VALOR").Real();
            liquida += aliquota == "CANC" || aliquota == "DESC" ? -valor : valor;
        }
        RxDBGrid2->setUpdatesEnabled(true);
    }
    RxClcEdtVendaLiquida->setText(FormataValor(liquida));
}

// The coupon-range lookup on leaving the date: for a new reduction, or when
// "Atualiza Cupons" asks for it.
void TFrmReducaoZ::DbdtEdtDataExit() {
    const bool inserindo = Dados.CDSRegM.Ativo() && Dados.CDSRegM.Estado() == EstadoConjunto::Inserindo;
    if (!inserindo && MarcadorAtualizaCupons != 1) return;
    Data dia;
    if (!LeData(dia)) return;
    const auto faixa = Dados.CuponsDoDia(S(RxDbCbEdtNumeroSerie->text()), dia);
    if (faixa.primeiro > 0) RxDbClcPrimeiroCupom->setText(QString::number(faixa.primeiro));
    if (faixa.ultimo > 0) RxDbclcEdtUltimoCupom->setText(QString::number(faixa.ultimo));
}

void TFrmReducaoZ::SBAtualizaCuponsClick() {
    MarcadorAtualizaCupons = 1;
    try {
        DbdtEdtDataExit();
    } catch (...) {
        MarcadorAtualizaCupons = 0;
        throw;
    }
    MarcadorAtualizaCupons = 0;
}
