#include "ModeloSaidas.h"

#include "FormatoBrasileiro.h"

const std::vector<TModeloSaidas::Coluna> TModeloSaidas::Colunas = {
    {"TIPO", "Tipo", Forma::Texto},
    {"NUMERODOC", "Nota Fiscal", Forma::Texto},
    {"DATAMOVIMENTO", "Emissão", Forma::Data},
    {"CFOP", "CFOP", Forma::Texto},
    {"DATADOCUMENTO", "Saída", Forma::Data},
    {"VALOR", "Valor Total", Forma::Valor},
    {"BASEICMS", "Base ICMS", Forma::Valor},
    {"VALORICMS", "Valor ICMS", Forma::Valor},
    {"ALIQUOTAICMS", "Aliq. ICMS", Forma::Valor},
    {"CNPJ", "CNPJ", Forma::Texto},
    {"ESTADO", "UF", Forma::Texto},
};

TModeloSaidas::TModeloSaidas(QObject* pai) : QAbstractTableModel(pai) {}

void TModeloSaidas::DefineConjunto(TConjuntoDados* conjunto) {
    beginResetModel();
    conjunto_ = conjunto;
    DepoisDeMudar();
}

void TModeloSaidas::DepoisDeMudar() {
    campos_.clear();
    if (conjunto_ && conjunto_->Ativo())
        for (const auto& c : Colunas) campos_.push_back(conjunto_->Campo(c.campo));
    endResetModel();
}

int TModeloSaidas::rowCount(const QModelIndex& pai) const {
    if (pai.isValid() || campos_.empty() || !conjunto_->Ativo()) return 0;
    return conjunto_->QuantidadeRegistros();
}

int TModeloSaidas::columnCount(const QModelIndex& pai) const {
    return pai.isValid() ? 0 : static_cast<int>(Colunas.size());
}

// The row set is read through its cursor, put straight on the grid's row.
void TModeloSaidas::Posiciona(int linha) const { conjunto_->VaiPara(linha + 1); }

QVariant TModeloSaidas::data(const QModelIndex& indice, int papel) const {
    if (!indice.isValid() || campos_.empty() || !conjunto_->Ativo() ||
        indice.row() >= conjunto_->QuantidadeRegistros())
        return {};
    const auto& coluna = Colunas[static_cast<std::size_t>(indice.column())];
    if (papel == Qt::TextAlignmentRole)
        return coluna.forma == Forma::Valor ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                            : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (papel != Qt::DisplayRole) return {};
    Posiciona(indice.row());
    const TCampo& campo = campos_[static_cast<std::size_t>(indice.column())];
    if (campo.Nulo()) return QString();
    switch (coluna.forma) {
        case Forma::Valor: return FormataValor(campo.Real());
        case Forma::Data: return FormataData(campo.DataValor());
        case Forma::Texto: break;
    }
    const auto texto = campo.TextoVista();
    return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size())).trimmed();
}

QVariant TModeloSaidas::headerData(int secao, Qt::Orientation orientacao, int papel) const {
    if (orientacao == Qt::Horizontal && papel == Qt::DisplayRole && secao >= 0 &&
        secao < static_cast<int>(Colunas.size()))
        return QString::fromUtf8(Colunas[static_cast<std::size_t>(secao)].titulo);
    return QAbstractTableModel::headerData(secao, orientacao, papel);
}
