// The main window: company, period and options, the preview of the period's
// documents, the export with its progress, cancel and close. The window only
// reads its controls, calls the data module and the run, and shows results;
// the database is read below it.
#pragma once

#include "DMNelvora.h"
#include "Exportacao.h"
#include "Sintegra.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStatusBar;
class QTableView;
class QThread;
class QTimer;
class QToolButton;
class QWidget;
class TModeloSaidas;
class TProgressoJanela;

class TFrmPrincipalSintegra : public QMainWindow {
    Q_OBJECT
public:
    // `pastaPrograma`: the program's folder (with its separator), where the
    // version, dbxconnections.ini and the exported file are found; empty: the
    // executable's. `argumentos`: the command line after the program's name.
    explicit TFrmPrincipalSintegra(std::string pastaPrograma = {}, QStringList argumentos = {},
                                   QWidget* pai = nullptr);
    ~TFrmPrincipalSintegra() override;

    // The bindings to the data module take effect from here on.
    void DefineModulo(TFDMExporta* modulo);
    // Waits until a run's thread has ended (the program's last step).
    void AguardaExportacao();
    bool ExportacaoViva() const { return linhaExportacao_ != nullptr; }
    // The program is to end (the version check asked for it): once the event
    // loop returns, after any run's thread has ended.
    void PedeTermino();

    // Handlers.
    void FormShow();
    void FormActivate();
    bool FormCloseQuery();
    void BtnCancelarClick();
    void BtnFecharClick();
    void RdGrpTipoPeriodoClick();
    void RxSpinButton1TopClick();
    void RxSpinButton1BottomClick();
    void BtnPesquisarClick();
    void BtnExportarClick();
    void InformarReduoZECF1Click();
    void VerificarArquivoSintegra1Click();
    void Atualizaresteprograma1Click() {}

    // Members shared with the run.
    EstadoExportacao Estado;  // Exportando, CancelaExportacao, QtdEntradas, QtdSaidas
    bool ModoPafEcf = false;
    std::string ArquivoPafEcf;
    std::unique_ptr<sintegra::tSintegra> GeradorSintegra;
    Data DataInicialPeriodo{}, DataFinalPeriodo{};
    std::string VersaoBuild;

    // Runs on the export thread just before the run starts; tests hold the
    // thread here to look at the window while a run is surely alive.
    std::function<void()> AntesDaExportacao;

    // Controls.
    QLabel* RxLabel1;
    QLabel* Panel1;
    QComboBox* RxDBLkCbEMPRESA;
    QGroupBox* RdGrpTipoPeriodo;
    QRadioButton* RdBtnMensal;
    QRadioButton* RdBtnPeriodo;
    QStackedWidget* PgCntrlTipoPeriodo;
    QWidget* TbShtMes;
    QWidget* TbShtPeriodo;
    QComboBox* CbxMes;
    QLineEdit* EdtAno;
    QToolButton* RxSpinButton1Top;
    QToolButton* RxSpinButton1Bottom;
    QLineEdit* DtEdtDataInicial;
    QLineEdit* DtEdtDataFinal;
    QPushButton* BtnPesquisar;
    QTableView* DBGrdVendas;
    QLabel* LblTotalRegistros;
    QCheckBox* ChkBxPAF_ECF;
    QCheckBox* ChkbxItemCupom;
    QCheckBox* ChkBxInventario;
    QLineEdit* DtEdtInventario;
    QCheckBox* ChkBxNovoContador;
    QCheckBox* ChkBxReg88;
    QGroupBox* RdGpStatus;
    QLabel* LblDescricao;
    QLabel* LblEtapas;
    QProgressBar* PgrStatus;
    QProgressBar* PgrItens;
    QLabel* PnlStatus;
    QPushButton* BtnExportar;
    QPushButton* BtnCancelar;
    QPushButton* BtnFechar;
    QStatusBar* StStatus;
    QAction* Atualizaresteprograma1;
    QAction* InformarReduoZECF1;
    QAction* VerificarArquivoSintegra1;

signals:
    // The run's thread has ended and the window is free again.
    void ExportacaoTerminada();

protected:
    void showEvent(QShowEvent* evento) override;
    bool event(QEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void MontaControles();
    // Runs a handler; an error it lets out goes to the general error handler.
    void Protegido(const std::function<void()>& tratador);
    int AnoInformado() const;
    void MudaAno(int passo);
    // Refuses a request while the run's thread lives, with its status-bar
    // text (or the cancelling text after Cancelar).
    bool RecusaDuranteExportacao(const char* texto);
    bool EmpresaEscolhida(int& codigo);
    // `final`: the run no longer writes its snapshot; wait for it if need be.
    void AplicaProgresso(bool final = false);
    void ProgressoMudou();
    void FimDaExportacao();

    std::string pastaPrograma_;
    QStringList argumentos_;
    TFDMExporta* dm_ = nullptr;
    TModeloSaidas* modeloSaidas_;
    bool mostrado_ = false;
    bool erroVerificacaoMostrado_ = false;
    bool verificando_ = false;
    bool terminando_ = false;
    bool fechamentoConfirmado_ = false;

    // What Processar chose, handed over to the run by Exportar.
    int empresaProcessada_ = 0;
    QString mesProcessado_, anoProcessado_;

    QThread* linhaExportacao_ = nullptr;
    // The check of the run's file, made on the run's thread after a complete
    // run: its count of ERRO (read once the thread has ended).
    std::uint64_t errosVerificacao_ = 0;
    std::string arquivoExportado_;
    TProgressoJanela* progresso_ = nullptr;
    QTimer* temporizadorProgresso_;
    QElapsedTimer ultimaPintura_;
};

class TPlataforma;
// The platform the version check asks for, on this window.
std::unique_ptr<TPlataforma> NovaPlataformaJanela(TFrmPrincipalSintegra& janela);
