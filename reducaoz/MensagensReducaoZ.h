// The one seam through which the windows show message boxes: the program
// shows them to the user, a test answers them itself.
#pragma once

#include <QMessageBox>
#include <QString>

class TMensagens {
public:
    virtual ~TMensagens() = default;
    // Texts may break their lines with single carriage returns.
    virtual QMessageBox::StandardButton Mostra(QWidget* pai, QMessageBox::Icon icone, const QString& titulo,
                                               const QString& texto,
                                               QMessageBox::StandardButtons botoes = QMessageBox::Ok,
                                               QMessageBox::StandardButton padrao = QMessageBox::NoButton) = 0;
};

// Modal message boxes shown to the user.
TMensagens& MensagensNaTela();
