#include "FrmVerificacaoSintegra.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString Posicoes(const verificacao::Achado& a) {
    if (a.Inicio == 0) return {};
    if (a.Inicio == a.Fim) return QString::number(a.Inicio);
    return QString::number(a.Inicio) + "-" + QString::number(a.Fim);
}

}  // namespace

void TModeloAchados::Define(std::vector<verificacao::Achado> achados) {
    beginResetModel();
    achados_ = std::move(achados);
    endResetModel();
}

int TModeloAchados::rowCount(const QModelIndex& pai) const {
    return pai.isValid() ? 0 : static_cast<int>(achados_.size());
}

int TModeloAchados::columnCount(const QModelIndex& pai) const { return pai.isValid() ? 0 : QtdColunas; }

QVariant TModeloAchados::data(const QModelIndex& indice, int papel) const {
    if (!indice.isValid()) return {};
    const auto& a = achados_[static_cast<std::size_t>(indice.row())];
    if (papel == PapelOrdem) {
        switch (indice.column()) {
            case ColNivel: return a.NivelAchado == verificacao::Nivel::Erro ? 0 : 1;
            case ColLinha: return QVariant::fromValue<qulonglong>(a.Linha);
            case ColPosicoes: return a.Inicio;
            default: break;
        }
        papel = Qt::DisplayRole;
    }
    if (papel == Qt::ToolTipRole && indice.column() == ColMensagem) return Q(a.Mensagem);
    if (papel == Qt::ForegroundRole && indice.column() == ColNivel)
        return a.NivelAchado == verificacao::Nivel::Erro ? QColor(Qt::darkRed) : QColor(Qt::darkYellow);
    if (papel != Qt::DisplayRole) return {};
    switch (indice.column()) {
        case ColNivel: return QString::fromLatin1(verificacao::TextoNivel(a.NivelAchado));
        case ColLinha: return a.Linha == 0 ? QString() : QString::number(a.Linha);
        case ColRegistro: return Q(a.Registro);
        case ColCampo: return Q(a.Campo);
        case ColPosicoes: return Posicoes(a);
        case ColMensagem: return Q(a.Mensagem);
        default: return {};
    }
}

QVariant TModeloAchados::headerData(int secao, Qt::Orientation orientacao, int papel) const {
    if (orientacao != Qt::Horizontal || papel != Qt::DisplayRole) return {};
    static const char* const titulos[] = {"Nível", "Linha", "Registro", "Campo", "Posições", "Mensagem"};
    return secao >= 0 && secao < QtdColunas ? QString::fromUtf8(titulos[secao]) : QVariant();
}

TFrmVerificacaoSintegra::Interacao TFrmVerificacaoSintegra::InteracaoPadrao() {
    return {
        [](QWidget* pai, const QString& sugestao) {
            return QFileDialog::getSaveFileName(pai, QString::fromUtf8("Salvar relatório da verificação"), sugestao,
                                                QString::fromUtf8("Planilha CSV (*.csv)"));
        },
        [](QWidget* pai, const QString& texto) {
            QMessageBox::information(pai, QString::fromUtf8("PRAXO Sintegra"), texto);
        },
    };
}

TFrmVerificacaoSintegra::TFrmVerificacaoSintegra(QWidget* pai, Interacao interacao)
    : QDialog(pai), interacao_(std::move(interacao)) {
    setWindowTitle(QString::fromUtf8("PRAXO Sintegra - Verificação do arquivo"));
    resize(1100, 600);

    LblArquivo = new QLabel(this);
    LblArquivo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblArquivo->setWordWrap(true);

    modelo_ = new TModeloAchados(this);
    ordenacao_ = new QSortFilterProxyModel(this);
    ordenacao_->setSourceModel(modelo_);
    ordenacao_->setSortRole(TModeloAchados::PapelOrdem);

    GrdAchados = new QTableView(this);
    GrdAchados->setModel(ordenacao_);
    GrdAchados->setSortingEnabled(true);
    GrdAchados->sortByColumn(TModeloAchados::ColLinha, Qt::AscendingOrder);
    GrdAchados->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrdAchados->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdAchados->setWordWrap(false);
    GrdAchados->verticalHeader()->hide();
    GrdAchados->horizontalHeader()->setStretchLastSection(true);

    MemResumo = new QPlainTextEdit(this);
    MemResumo->setReadOnly(true);
    MemResumo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemResumo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    // The whole text of the chosen finding, which the table's column cuts.
    LblDetalhe = new QLabel(this);
    LblDetalhe->setWordWrap(true);
    LblDetalhe->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblDetalhe->setMinimumHeight(3 * LblDetalhe->fontMetrics().lineSpacing());
    LblDetalhe->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(GrdAchados->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& atual) {
                LblDetalhe->setText(atual.isValid()
                                        ? atual.siblingAtColumn(TModeloAchados::ColMensagem).data().toString()
                                        : QString());
            });
    auto* achados = new QWidget(this);
    auto* colunaAchados = new QVBoxLayout(achados);
    colunaAchados->setContentsMargins(0, 0, 0, 0);
    colunaAchados->addWidget(GrdAchados, 1);
    colunaAchados->addWidget(LblDetalhe);

    auto* divisor = new QSplitter(Qt::Horizontal, this);
    divisor->addWidget(achados);
    divisor->addWidget(MemResumo);
    divisor->setStretchFactor(0, 3);
    divisor->setStretchFactor(1, 2);

    BtnSalvarCSV = new QPushButton(QString::fromUtf8("Salvar relatório CSV..."), this);
    BtnSalvarCSV->setEnabled(false);
    BtnFechar = new QPushButton(QString::fromUtf8("Fechar"), this);
    connect(BtnSalvarCSV, &QPushButton::clicked, this, &TFrmVerificacaoSintegra::BtnSalvarCSVClick);
    connect(BtnFechar, &QPushButton::clicked, this, &QDialog::accept);

    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(BtnSalvarCSV);
    botoes->addWidget(BtnFechar);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblArquivo);
    layout->addWidget(divisor, 1);
    layout->addLayout(botoes);
}

bool TFrmVerificacaoSintegra::Verifica(const QString& caminho) {
    caminho_ = caminho;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    relatorio_ = verificacao::VerificaArquivo(caminho.toStdString(), LimiteAchados);
    QApplication::restoreOverrideCursor();
    modelo_->Define(relatorio_.Achados);
    GrdAchados->resizeColumnsToContents();
    if (!relatorio_.Lido) {
        LblArquivo->setText(Q(relatorio_.FalhaLeitura));
        MemResumo->clear();
        BtnSalvarCSV->setEnabled(false);
        return false;
    }
    const auto& c = relatorio_.Contagens;
    QString texto = QString::fromUtf8("Arquivo: %1\n%2 ERRO, %3 AVISO")
                        .arg(QFileInfo(caminho).absoluteFilePath())
                        .arg(c.Erros)
                        .arg(c.Avisos);
    if (c.Erros == 0 && c.Avisos == 0) texto += QString::fromUtf8(": nada a corrigir.");
    else if (c.Erros > 0) texto += QString::fromUtf8(": o validador do Sintegra rejeitaria o arquivo.");
    if (c.Erros + c.Avisos > relatorio_.Achados.size())
        texto += QString::fromUtf8(" (a tabela mostra os primeiros %1)").arg(relatorio_.Achados.size());
    LblArquivo->setText(texto);
    MemResumo->setPlainText(Q(verificacao::TextoResumo(relatorio_.ResumoArquivo)));
    BtnSalvarCSV->setEnabled(true);
    LblDetalhe->clear();
    if (ordenacao_->rowCount() > 0) GrdAchados->selectRow(0);  // its whole message below the table
    return true;
}

void TFrmVerificacaoSintegra::BtnSalvarCSVClick() {
    const QFileInfo origem(caminho_);
    const QString sugestao = origem.absolutePath() + "/" + origem.completeBaseName() + "_verificacao.csv";
    const QString destino = interacao_.ArquivoParaSalvar(this, sugestao);
    if (destino.isEmpty()) return;
    std::string conteudo = "\xEF\xBB\xBF" + verificacao::CabecalhoCSV() + "\r\n";  // the mark lets spreadsheets read UTF-8
    for (const auto& a : relatorio_.Achados) conteudo += verificacao::LinhaCSV(a) + "\r\n";
    conteudo += "\r\n";
    for (char ch : verificacao::ResumoCSV(relatorio_.ResumoArquivo)) {
        if (ch == '\n') conteudo += '\r';
        conteudo += ch;
    }
    QFile arquivo(destino);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        arquivo.write(conteudo.data(), static_cast<qint64>(conteudo.size())) != static_cast<qint64>(conteudo.size())) {
        interacao_.Informa(this, QString::fromUtf8("Não foi possível gravar o relatório em %1: %2. Escolha outra pasta.")
                                     .arg(destino, arquivo.errorString()));
        return;
    }
    arquivo.close();
    interacao_.Informa(this, QString::fromUtf8("Relatório gravado em %1.").arg(destino));
}
