#pragma once

#include <QString>
#include <exception>

namespace talvero {

// The one error type of the program: a description and a number, the pair every
// error line of the log reports (" - Err: " + numero). Numbers follow the classic
// run-time error numbers so that support technicians recognise them.
class Erro : public std::exception {
public:
    Erro(QString descricao, int numero);

    const QString& descricao() const { return descricao_; }
    int numero() const { return numero_; }
    const char* what() const noexcept override { return texto_.constData(); }

    // Description and number as every error line of the log ends: "... - Err: 13".
    QString comNumero() const {
        return descricao_ + QStringLiteral(" - Err: ") + QString::number(numero_);
    }

private:
    QString descricao_;
    int numero_;
    QByteArray texto_;
};

namespace erros {
constexpr int BancoDeDados = 3146; // data library call failed
}

// A failure of the database itself (connection, statement, lock, timeout,
// commit, full disk), as opposed to data that cannot be read: what was being
// stored is sound and must wait until the database can take it.
class ErroBanco : public Erro {
public:
    explicit ErroBanco(QString descricao) : Erro(std::move(descricao), erros::BancoDeDados) {}
};

namespace erros {
constexpr int ArgumentoInvalido = 5; // invalid procedure call or argument
constexpr int Estouro = 6;
constexpr int TiposIncompativeis = 13;
constexpr int ArquivoNaoEncontrado = 53;
constexpr int ModoDeArquivo = 54; // not a regular file where one is read
constexpr int ArquivoJaAberto = 55;
constexpr int ErroEntradaSaida = 57;
constexpr int ArquivoJaExiste = 58;
constexpr int DiscoCheio = 61;
constexpr int PermissaoNegada = 70;
constexpr int ErroAcessoCaminho = 75;
constexpr int CaminhoNaoEncontrado = 76;
constexpr int PortaFechada = 8018;   // serial operation on a closed port
constexpr int PortaInvalida = 8002;  // serial port number that does not exist
constexpr int PortaEmUso = 8005;     // serial port already open elsewhere
constexpr int ChaveDuplicada = 3022; // no free key for a record
} // namespace erros

} // namespace talvero
