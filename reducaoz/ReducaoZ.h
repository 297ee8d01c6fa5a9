// TFrmReducaoZ: the window in which the Z-reductions of each fiscal printer
// (counters, totals, totals per tax rate) are typed in from the printed
// reports, edited and deleted. Its queries and stores go through the data
// layer (TConsultasReducaoZ) on the connection it is handed.
#pragma once

#include "DMNelvora.h"
#include "MensagensReducaoZ.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableView;
class QWidget;

// A grid's view of a row set: the named columns of its rows, read in place.
class TModeloConjunto : public QAbstractTableModel {
public:
    struct Coluna {
        QString campo;
        QString titulo;
    };
    TModeloConjunto(TConjuntoDados& conjunto, std::vector<Coluna> colunas, QObject* pai);
    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel) const override;
    // The row set changed: show it again.
    void Recarrega();

private:
    TConjuntoDados& conjunto_;
    std::vector<Coluna> colunas_;
};

class TFrmReducaoZ : public QDialog {
    Q_OBJECT
public:
    // The main window hands over its connection and shows the window modally.
    explicit TFrmReducaoZ(TConexaoSQL& Conexao, QWidget* pai = nullptr);
    ~TFrmReducaoZ() override;

    // Where message boxes go (the screen unless a test answers them).
    void DefineMensagens(TMensagens* mensagens) { mensagens_ = mensagens; }

    TConexaoSQL& Conexao;
    unsigned short AnoAtual = 0;
    Data DataInicialPeriodo{};
    Data DataFinalPeriodo{};
    TConsultasReducaoZ Dados;

    // Controls, named as the window's design names them.
    QGroupBox* GrpBxPeriodo;
    QComboBox* CbxMes;
    QSpinBox* EdtAno;
    QComboBox* RxDBLkCbEMPRESA;
    QPushButton* BitBtn5;
    QGroupBox* GrpBxMaquina;
    QComboBox* DbLkpCbBxSerie;
    QPushButton* BtBtnConfirmaMaquina;
    QStackedWidget* PgCntrlPrincipal;
    QWidget* TbShtConsulta;
    QWidget* TbShtDetalhes;
    QTableView* RxDBGrid1;
    QLineEdit* RxDbCbEdtNumeroSerie;
    QLineEdit* RxDbClcNumero;
    QLineEdit* DbdtEdtData;
    QLineEdit* RxDbClcPrimeiroCupom;
    QLineEdit* RxDbclcEdtUltimoCupom;
    QLineEdit* RxDbClcEdtContadorReducao;
    QLineEdit* RxDbClcContadorReinicio;
    QLineEdit* RxDbClcEdtVendaBruta;
    QLineEdit* RxDbClcEdtGrandeTotal;
    QLineEdit* RxClcEdtVendaLiquida;
    QPushButton* SBAtualizaCupons;
    QGroupBox* GrpBxAliquotas;
    QComboBox* DbCbAliquota;
    QLineEdit* RxClcEdtValor;
    QPushButton* BtBtnIncluirAliquota;
    QTableView* RxDBGrid2;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QGroupBox* GrpBxBotoes;
    QPushButton* BitBtn3;
    QPushButton* BitBtn6;
    QPushButton* BitBtn8;

    // Marker of SBAtualizaCupons: 1 while a lookup it asked for runs.
    int MarcadorAtualizaCupons = 0;

    // Handlers.
    void FormShow();
    void BitBtn5Click();
    void BtBtnConfirmaMaquinaClick();
    void BitBtn3Click();
    void BitBtn6Click();
    void BitBtn8Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void CDSRegMNewRecord(TConjuntoDados& registro);
    void CDSRegMBeforePost(TConjuntoDados& registro);
    void CDSRegABeforePost(TConjuntoDados& registro);
    std::int64_t NovoCodigo(const std::string& gerador);
    void BtBtnIncluirAliquotaClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void CalculaVendaLiquida();
    void DbdtEdtDataExit();
    void SBAtualizaCuponsClick();

    // Amounts as the window shows them: "#,##0.00" with Brazilian separators.
    static QString FormataValor(double valor);
    // Reads "1.234,56", "1234,56" or "1234.56"; false when it is no number.
    static bool LeValor(const QString& texto, double& valor);

protected:
    void showEvent(QShowEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    QMessageBox::StandardButton Mensagem(QMessageBox::Icon icone, const QString& titulo, const QString& texto,
                                         QMessageBox::StandardButtons botoes = QMessageBox::Ok,
                                         QMessageBox::StandardButton padrao = QMessageBox::NoButton);
    // Runs a handler; an error it raises is shown as the program's general
    // error handler shows it, and the window goes on.
    void Protegido(const std::function<void()>& manipulador);
    void MostraFalhaTransacao(const std::exception& erro);
    void MostraPagina(QWidget* pagina);
    // The data-bound edits: shown from CDSRegM, written back before posting.
    void MostraRegistro();
    void GuardaEdicoes();
    std::optional<std::int64_t> EmpresaEscolhida() const;
    bool LeData(Data& data) const;
    static bool DataVazia(const QString& texto);

    TMensagens* mensagens_ = &MensagensNaTela();
    TModeloConjunto* modeloConsulta_;
    TModeloConjunto* modeloAliquotas_;
    bool mostrada_ = false;
};
