// The picture of the main window for the README: the window on the demo
// database beside the programs, after the demo month's export and a new
// Processar, drawn by the window itself on the offscreen platform.
//   CapturaJanela ARQUIVO.png
#include "DMNelvora.h"
#include "FrmPrincipalSintegra.h"
#include "Mensagens.h"
#include "VerificaArquivo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Uso: CapturaJanela ARQUIVO.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Praxo - Sintegra"));
    std::vector<std::string> mensagens;
    DefineRespostaMensagens([&](const PedidoMensagem& p) {
        mensagens.push_back(p.texto);
        return RespostaMensagem::Ok;
    });
    DefineMostraVerificacao([&](const std::string& arquivo) { mensagens.push_back("verificação de " + arquivo); });

    TFrmPrincipalSintegra janela;
    TFDMExporta dm;
    janela.DefineModulo(&dm);
    janela.show();
    janela.CbxMes->setCurrentIndex(2);
    janela.EdtAno->setText("2010");
    janela.ChkbxItemCupom->setChecked(true);
    janela.ChkBxInventario->setChecked(true);
    janela.ChkBxReg88->setChecked(true);
    QTest::mouseClick(janela.BtnPesquisar, Qt::LeftButton);
    QTest::mouseClick(janela.BtnExportar, Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return !janela.ExportacaoViva(); }, 600000)) return 1;
    QTest::mouseClick(janela.BtnPesquisar, Qt::LeftButton);
    QApplication::processEvents();
    for (const auto& m : mensagens) std::fprintf(stderr, "%s\n", m.c_str());
    if (!janela.grab().save(QString::fromLocal8Bit(argv[1]), "PNG", 9)) return 1;
    return 0;
}
