// The check window driven on Qt's offscreen platform: its table, its sorting,
// its summary and the saving of the report, the person's answers given by the test.
#include "FrmVerificacaoSintegra.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class TestesFrmVerificacaoSintegra : public QObject {
    Q_OBJECT

    QTemporaryDir pasta;
    QString arquivo;
    QString escolhido;          // what the person answers when asked for a file
    QStringList avisos;         // the notices shown
    QStringList sugestoes;      // the file names suggested to the person

    TFrmVerificacaoSintegra::Interacao Respostas() {
        return {[this](QWidget*, const QString& sugestao) {
                    sugestoes << sugestao;
                    return escolhido;
                },
                [this](QWidget*, const QString& texto) { avisos << texto; }};
    }

    static int LinhaDaFila(const TFrmVerificacaoSintegra& f, int fila) {
        return f.Ordenacao()->index(fila, TModeloAchados::ColLinha).data().toInt();
    }

    void ClicaNoTitulo(TFrmVerificacaoSintegra& f, int coluna) {
        QHeaderView* titulo = f.GrdAchados->horizontalHeader();
        const QPoint ponto(titulo->sectionViewportPosition(coluna) + titulo->sectionSize(coluna) / 2,
                           titulo->height() / 2);
        QTest::mouseClick(titulo->viewport(), Qt::LeftButton, {}, ponto);
    }

private slots:
    void initTestCase() {
        QVERIFY(pasta.isValid());
        // Three lines of an unknown type, the second ending in LF alone, and no record 90.
        const QByteArray linha = "ZZ" + QByteArray(124, 'X');
        arquivo = pasta.filePath("SINTEGRA.TXT");
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(linha + "\r\n" + linha + "\n" + linha + "\r\n");
    }

    void init() {
        escolhido.clear();
        avisos.clear();
        sugestoes.clear();
    }

    void MostraAchadosEResumo() {
        TFrmVerificacaoSintegra f(nullptr, Respostas());
        QVERIFY(f.Verifica(arquivo));
        f.show();
        QCOMPARE(f.GrdAchados->model()->rowCount(), 5);
        QVERIFY(f.LblArquivo->text().contains("5 ERRO, 0 AVISO"));
        QVERIFY(f.MemResumo->toPlainText().contains("Linhas: 3"));
        QVERIFY(f.BtnSalvarCSV->isEnabled());
        QCOMPARE(f.Ordenacao()->index(0, TModeloAchados::ColNivel).data().toString(), QString("ERRO"));
        QCOMPARE(f.Ordenacao()->index(0, TModeloAchados::ColPosicoes).data().toString(), QString("1-3"));
        // The chosen finding's whole message, which the column cuts, below the table.
        QCOMPARE(f.LblDetalhe->text(), f.Ordenacao()->index(0, TModeloAchados::ColMensagem).data().toString());
        f.GrdAchados->selectRow(2);
        QCOMPARE(f.LblDetalhe->text(), f.Ordenacao()->index(2, TModeloAchados::ColMensagem).data().toString());
        QVERIFY(!f.LblDetalhe->text().isEmpty());
    }

    void OrdenaPelaColunaClicada() {
        TFrmVerificacaoSintegra f(nullptr, Respostas());
        f.Verifica(arquivo);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(LinhaDaFila(f, 0), 1);
        QCOMPARE(LinhaDaFila(f, 4), 3);
        ClicaNoTitulo(f, TModeloAchados::ColLinha);  // the table starts by line, ascending: now descending
        QCOMPARE(LinhaDaFila(f, 0), 3);
        QCOMPARE(LinhaDaFila(f, 4), 1);
        ClicaNoTitulo(f, TModeloAchados::ColMensagem);
        const QString primeira = f.Ordenacao()->index(0, TModeloAchados::ColMensagem).data().toString();
        QVERIFY2(primeira.startsWith("A linha termina"), qPrintable(primeira));
    }

    void SalvaRelatorioCSV() {
        TFrmVerificacaoSintegra f(nullptr, Respostas());
        f.Verifica(arquivo);
        f.show();
        escolhido = pasta.filePath("relatorio.csv");
        QTest::mouseClick(f.BtnSalvarCSV, Qt::LeftButton);
        QCOMPARE(sugestoes, QStringList{pasta.filePath("SINTEGRA_verificacao.csv")});
        QFile csv(escolhido);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString texto = QString::fromUtf8(csv.readAll());
        QVERIFY(texto.startsWith(QString::fromUtf8("\uFEFFNível;Linha;Registro;Campo;Início;Fim;Mensagem\r\n")));
        QVERIFY(texto.contains("\r\nERRO;2;;Fim de linha;0;0;\"A linha termina só com LF;"));
        QVERIFY(texto.contains("\r\nLinhas;;3;"));
        QCOMPARE(avisos.size(), 1);
        QVERIFY(avisos[0].startsWith(QString::fromUtf8("Relatório gravado em")));
    }

    void DesistirDeSalvarNaoGravaNada() {
        TFrmVerificacaoSintegra f(nullptr, Respostas());
        f.Verifica(arquivo);
        QTest::mouseClick(f.BtnSalvarCSV, Qt::LeftButton);
        QCOMPARE(sugestoes.size(), 1);
        QVERIFY(avisos.isEmpty());
        QVERIFY(!QFile::exists(pasta.filePath("SINTEGRA_verificacao.csv")));
    }

    void PastaQueNaoExisteAvisa() {
        TFrmVerificacaoSintegra f(nullptr, Respostas());
        f.Verifica(arquivo);
        escolhido = pasta.filePath("nao/existe/relatorio.csv");
        QTest::mouseClick(f.BtnSalvarCSV, Qt::LeftButton);
        QCOMPARE(avisos.size(), 1);
        QVERIFY(avisos[0].startsWith(QString::fromUtf8("Não foi possível gravar o relatório")));
    }

    void ArquivoQueNaoExiste() {
        TFrmVerificacaoSintegra f(nullptr, Respostas());
        QVERIFY(!f.Verifica(pasta.filePath("NAO_EXISTE.TXT")));
        QVERIFY(f.LblArquivo->text().startsWith(QString::fromUtf8("Não foi possível abrir")));
        QCOMPARE(f.GrdAchados->model()->rowCount(), 0);
        QVERIFY(!f.BtnSalvarCSV->isEnabled());
    }
};

QTEST_MAIN(TestesFrmVerificacaoSintegra)
#include "TestesFrmVerificacaoSintegra.moc"
