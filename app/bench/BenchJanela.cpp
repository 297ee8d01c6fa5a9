// The main window on a large month (export/bench/mes-grande.sql), on the
// offscreen platform:
//   - Processar: the time until the grid is filled and painted, against the
//     documents' query alone;
//   - Exportar: the longest stall of the window's thread during the run, seen
//     by a timer that should fire every 10 ms, and the run's time against the
//     ExportaSintegra command's on the same month.
//   BenchJanela [BANCO.fdb]
// Builds the database from mes-grande.sql when the file does not exist.
#include "DMNelvora.h"
#include "FrmPrincipalSintegra.h"
#include "Mensagens.h"
#include "VerificaArquivo.h"
#include "Script.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

// Processor time used by the calling thread, in seconds.
double TempoDaLinha() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double Segundos(Relogio::time_point desde) {
    return std::chrono::duration<double>(Relogio::now() - desde).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Praxo - Sintegra"));
    const std::string banco =
        argc > 1 ? argv[1] : (fs::temp_directory_path() / "praxo-bench-mes-grande.fdb").string();
    if (!fs::exists(banco)) {
        std::fprintf(stderr, "Criando %s ...\n", banco.c_str());
        auto c = fb::Conexao::Cria(banco, {"PRAXO", "varelomi", {}});
        ExecutaArquivoScript(c, PRAXO_PASTA_SQL "/esquema.sql");
        ExecutaArquivoScript(c, PRAXO_BENCH_SQL);
    }
    // A program folder of its own: dbxconnections.ini on the large month.
    const fs::path pasta = fs::temp_directory_path() / "praxo-bench-janela";
    fs::create_directories(pasta);
    std::ofstream(pasta / "dbxconnections.ini") << "[EMPRESA]\nDatabase=" << banco << "\n";
    const std::string prefixo = pasta.string() + "/";
    const fs::path bin = fs::path(PRAXO_PROGRAMA_JANELA).parent_path();
    for (const char* nome : {"PRAXOSintegra", "PraxoLib.dll"}) {
        std::error_code e;
        fs::remove(pasta / nome, e);
        fs::create_symlink(bin / nome, pasta / nome);
    }
    DefineRespostaMensagens([](const PedidoMensagem& p) {
        std::fprintf(stderr, "  [%s] %s\n", p.titulo.c_str(), p.texto.c_str());
        return RespostaMensagem::Ok;
    });
    // The generated month's made-up documents fail the check: its dialog is
    // told here, not opened.
    DefineMostraVerificacao([](const std::string& arquivo) {
        std::fprintf(stderr, "  [verificação] %s\n", arquivo.c_str());
    });

    // The command on the same month.
    double comando = 0;
    {
        const auto inicio = Relogio::now();
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QString::fromUtf8(PRAXO_EXPORTA_SINTEGRA),
                {"--empresa", "1", "--mes", "3", "--ano", "2010", "--itens-cupom", "--inventario", "--reg88",
                 "--config", QString::fromStdString(prefixo + "dbxconnections.ini"), "--saida",
                 QString::fromStdString(prefixo + "COMANDO.TXT")});
        p.waitForFinished(-1);
        comando = Segundos(inicio);
        if (p.exitCode() != 0) std::fprintf(stderr, "o comando terminou com %d\n", p.exitCode());
    }

    TFrmPrincipalSintegra janela(prefixo);
    TFDMExporta dm(prefixo);
    janela.DefineModulo(&dm);
    janela.show();
    QApplication::processEvents();
    janela.CbxMes->setCurrentIndex(2);
    janela.EdtAno->setText("2010");
    janela.ChkbxItemCupom->setChecked(true);
    janela.ChkBxInventario->setChecked(true);
    janela.ChkBxReg88->setChecked(true);

    // Processar against the documents' query alone on a connection already
    // open, in turns, three times each; the shortest of each counts (the
    // machine is shared).
    double consulta = 1e9, processar = 1e9;
    int documentos = 0;
    {
        TFDMExporta so(prefixo);
        so.ClientEmpresaLocal.Abre();
        auto& s = so.CDSSaidas;
        for (int vez = 0; vez < 4; ++vez) {  // the first only warms the file cache
            s.Fecha();
            s.Parametro("TIPODOCUMENTO", "%");
            s.Parametro("DATAINICIAL", FazData(2010, 3, 1));
            s.Parametro("DATAFINAL", FazData(2010, 3, 31));
            s.Parametro("EMPRESA", std::int64_t{1});
            s.Parametro("TIPOMOVIMENTO", "%");
            s.Parametro("ATIVO", "%");
            auto inicio = Relogio::now();
            s.Abre();
            if (vez > 0) consulta = std::min(consulta, Segundos(inicio));
            documentos = s.QuantidadeRegistros();
            s.Fecha();
            inicio = Relogio::now();
            QTest::mouseClick(janela.BtnPesquisar, Qt::LeftButton);
            janela.repaint();  // the grid's first page painted
            if (vez > 0) processar = std::min(processar, Segundos(inicio));
        }
    }

    // The window's thread should tick every 10 ms throughout the run.
    QElapsedTimer relogio;
    qint64 ultimo = 0, maiorParada = 0;
    // Stalls over 50 ms: when, how long, the window thread's own processor
    // time in it (work of its own, or waiting for a processor), and the stage.
    struct Parada {
        qint64 quando, quanto;
        double processador;
        QString etapa;
    };
    std::vector<Parada> paradas;
    double processadorAnterior = TempoDaLinha();
    QTimer tique;
    tique.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tique, &QTimer::timeout, [&] {
        const qint64 agora = relogio.elapsed();
        const double processador = TempoDaLinha();
        maiorParada = std::max(maiorParada, agora - ultimo);
        if (agora - ultimo > 50)
            paradas.push_back({ultimo, agora - ultimo, (processador - processadorAnterior) * 1000,
                               janela.LblEtapas->text()});
        ultimo = agora;
        processadorAnterior = processador;
    });
    const auto inicio = Relogio::now();
    relogio.start();
    tique.start(10);
    // The window's own event loop until the run has ended (no polling sleeps).
    QEventLoop laco;
    QObject::connect(&janela, &TFrmPrincipalSintegra::ExportacaoTerminada, &laco, &QEventLoop::quit);
    QTest::mouseClick(janela.BtnExportar, Qt::LeftButton);
    if (janela.ExportacaoViva()) laco.exec();
    const double exportacao = Segundos(inicio);
    tique.stop();

    std::printf("Documentos do mês:                          %d\n", documentos);
    std::printf("Processar até a grade pintada:              %.2f s\n", processar);
    std::printf("só a consulta dos documentos:               %.2f s\n", consulta);
    std::printf("razão Processar / consulta:                 %.2f\n", processar / consulta);
    std::printf("Exportar pela janela:                       %.2f s\n", exportacao);
    std::printf("ExportaSintegra no mesmo mês:               %.2f s\n", comando);
    std::printf("razão janela / comando:                     %.2f\n", exportacao / comando);
    std::printf("maior parada da janela durante a exportação: %lld ms\n", static_cast<long long>(maiorParada));
    for (const auto& p : paradas)
        std::printf("  parada de %lld ms aos %.1f s (%s; processador da janela nela: %.0f ms)\n",
                    static_cast<long long>(p.quanto), p.quando / 1000.0, p.etapa.toUtf8().constData(),
                    p.processador);
    fs::remove_all(pasta);
    return 0;
}
