// The window that shows the check of a Sintegra file: the findings in a
// sortable table, the summary for the accountant beside it, and a button that
// saves the report as CSV.
#pragma once

#include "Verificacao.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

// The findings of one check, as rows of a table.
class TModeloAchados : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Coluna { ColNivel, ColLinha, ColRegistro, ColCampo, ColPosicoes, ColMensagem, QtdColunas };
    // The role by which the columns sort: numbers for the line and positions.
    static constexpr int PapelOrdem = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;
    void Define(std::vector<verificacao::Achado> achados);
    const verificacao::Achado& Achado(int linha) const { return achados_.at(static_cast<std::size_t>(linha)); }

    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel) const override;

private:
    std::vector<verificacao::Achado> achados_;
};

class TFrmVerificacaoSintegra : public QDialog {
    Q_OBJECT
public:
    // The person's answers go through these, so a test can give them.
    struct Interacao {
        // The file to save the report in; empty when the person gives up.
        std::function<QString(QWidget* pai, const QString& sugestao)> ArquivoParaSalvar;
        // A notice in a message box.
        std::function<void(QWidget* pai, const QString& texto)> Informa;
    };
    static Interacao InteracaoPadrao();

    explicit TFrmVerificacaoSintegra(QWidget* pai = nullptr, Interacao interacao = InteracaoPadrao());

    // Checks the file and shows what it found. False when the file cannot be read.
    bool Verifica(const QString& caminho);

    // At most this many findings are kept for the table; the counts stay whole.
    static constexpr std::size_t LimiteAchados = 100000;

    QTableView* GrdAchados = nullptr;
    QPlainTextEdit* MemResumo = nullptr;
    QLabel* LblArquivo = nullptr;
    QLabel* LblDetalhe = nullptr;  // the chosen finding's whole message
    QPushButton* BtnSalvarCSV = nullptr;
    QPushButton* BtnFechar = nullptr;

    TModeloAchados* ModeloAchados() const { return modelo_; }
    QSortFilterProxyModel* Ordenacao() const { return ordenacao_; }
    const verificacao::Relatorio& RelatorioAtual() const { return relatorio_; }

public slots:
    void BtnSalvarCSVClick();

private:
    Interacao interacao_;
    TModeloAchados* modelo_ = nullptr;
    QSortFilterProxyModel* ordenacao_ = nullptr;
    verificacao::Relatorio relatorio_;
    QString caminho_;
};
