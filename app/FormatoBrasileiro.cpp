#include "FormatoBrasileiro.h"

#include <QLocale>

QString FormataValor(double valor) {
    static const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    return brasil.toString(valor, 'f', 2);
}

QString FormataData(Data data) {
    return QString::asprintf("%02u/%02u/%04d", static_cast<unsigned>(data.day()),
                             static_cast<unsigned>(data.month()), static_cast<int>(data.year()));
}

std::optional<Data> LeData(const QString& texto) {
    const QStringList partes = texto.trimmed().split('/');
    if (partes.size() != 3 || partes[2].trimmed().size() != 4) return std::nullopt;
    bool okDia, okMes, okAno;
    const int dia = partes[0].trimmed().toInt(&okDia);
    const int mes = partes[1].trimmed().toInt(&okMes);
    const int ano = partes[2].trimmed().toInt(&okAno);
    if (!okDia || !okMes || !okAno || dia < 1 || mes < 1) return std::nullopt;
    const Data d = FazData(ano, static_cast<unsigned>(mes), static_cast<unsigned>(dia));
    if (!d.ok()) return std::nullopt;
    return d;
}
