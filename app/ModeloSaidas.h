// The preview grid's view of the period's documents: a table model that reads
// the row set CDSSaidas in place (no copy of its rows), so that a large month
// opens and scrolls at once.
#pragma once

#include "ConjuntoDados.h"

#include <QAbstractTableModel>
#include <vector>

class TModeloSaidas : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TModeloSaidas(QObject* pai = nullptr);

    // The row set shown (may be closed); call around every opening or closing.
    void DefineConjunto(TConjuntoDados* conjunto);
    void AntesDeMudar() { beginResetModel(); }
    void DepoisDeMudar();

    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel = Qt::DisplayRole) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel = Qt::DisplayRole) const override;

private:
    enum class Forma { Texto, Valor, Data };
    struct Coluna {
        const char* campo;
        const char* titulo;
        Forma forma;
    };
    static const std::vector<Coluna> Colunas;

    void Posiciona(int linha) const;

    TConjuntoDados* conjunto_ = nullptr;
    std::vector<TCampo> campos_;  // one per column, while the row set is open
};
