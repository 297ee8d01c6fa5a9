// Small rules the stages share.
#pragma once

#include <stdexcept>
#include <string>

// A model code or coupon number that does not read as a number.
class ErroConversaoExportacao : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Apara(const std::string& s);

// Rules the document and item stages share.
// A model-2 note (consumer sales note): summarised in records 61, not in 50 and 54.
bool ModeloDois(const std::string& modeloDoc);
// The series as records 50 and 54 carry it: "M1" and "NB" stand for no series.
std::string SerieDocumento(const std::string& serieDoc);
// Tax situations 040, 041 and 060 carry no ICMS rate in records 50 and 54.
bool SituacaoSemAliquota(const std::string& situacao);
// CFOP 5929/6929: a note for sales already registered on a fiscal printer.
bool CFOPVendaJaEmECF(const std::string& cfop);
// The model code of a document as record 50 takes it: the third party's
// model when there is one (and it is not "NB"), otherwise the document's own.
std::string CodigoModeloDocumento(const std::string& modeloDoc, bool terceiroNulo,
                                  const std::string& modeloTerceiro);

// The number with `decimais` decimals, zero-filled on the left to `largura`;
// a longer text is returned whole. Width 2: 1 gives "01", 55 gives "55".
std::string CompletaZeros(double numero, int largura, int decimais);

// The two-digit document model of records 50 and 54 from a trimmed model
// code: "1A", "1B", "2D" are "01", "D2" is "02", other codes are read as a
// number. Returns false when the code does not read as a number.
bool ModeloDocumento(const std::string& codigo, std::string& modelo);

// Reads a whole number from text (blanks around allowed).
bool LeInteiro(const std::string& texto, long long& valor);

enum class VarianteAliquota { Registro60DI, Registro60R };

// The four-character code of records 60D, 60I and 60R: "I", "N", "F" from the
// tax situation's last two characters, otherwise the rate as four digits.
std::string CodigoAliquotaECF(const std::string& situacao, double aliquota, VarianteAliquota variante);
