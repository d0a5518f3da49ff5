#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace talvero {

// Exit codes of talvero-pedido: the other station programs branch on them.
namespace saidas_pedido {
constexpr int Ok = 0; // Retorno=OK, or a command without answer taken by the agent
constexpr int OutroRetorno =
    1; // any other Retorno, or a card command that did not do what was asked
constexpr int SemResposta = 2; // nothing came in time
constexpr int Falha = 3;       // bad input or a local failure: no request was left behind
} // namespace saidas_pedido

struct OpcoesPedido {
    QString raiz;   // station root (empty on Windows: paths as they are)
    QString origem; // empty: this computer's name
    QString pasta = QStringLiteral("Automacao");
    int esperaSegundos = 0; // 0: the command's own default
    QString comando;
    QStringList parametros;
};

// One request to the agent through its folder C:\<pasta>\ and the answer in this
// computer's share \\<origem>\<pasta>\. Independent of the agent's own classes so
// that any station program can be built on it.
class ClientePedido {
public:
    // Checks the options; throws Erro with a Portuguese description.
    explicit ClientePedido(OpcoesPedido opcoes);

    // Sends the request and waits for its outcome; returns one of saidas_pedido.
    // Throws Erro for a local failure before anything is left in the agent's folder.
    int executa(QTextStream& saida, QTextStream& erro);

    // Commands the agent acts on without answering (unless it is paused).
    static bool semResposta(const QString& comando);
    static int esperaPadrao(const QString& comando);

    // Request file contents, Windows-1252 with CR LF; each parameter closed by "|@|".
    static QByteArray conteudo(const QString& comando, const QString& origem,
                               const QStringList& parametros);

private:
    struct Resposta {
        QString retorno;
        QString parametro;
    };

    QString enviaPedido(const QByteArray& bytes);
    bool escreveSemSobrescrever(const QString& id, const QByteArray& bytes);
    bool leResposta(const QString& id, Resposta& resposta) const;
    int aguardaResposta(const QString& id, QTextStream& saida, QTextStream& erro);
    int aguardaRecolhimento(const QString& id, QTextStream& saida, QTextStream& erro);
    int semRespostaNoPrazo(const QString& id, QTextStream& erro);
    int informa(const QString& id, const Resposta& resposta, QTextStream& saida,
                QTextStream& erro) const;
    // What a card command's result says; false when it did not do what was asked.
    bool explicaCartao(const QString& resultado, QTextStream& saida) const;

    QString pedido(const QString& id) const;
    QString temporario(const QString& id) const;
    QString retorno(const QString& id, const QString& extensao = QStringLiteral(".AUT")) const;

    OpcoesPedido opcoes_;
    QString pastaAgente_;
    QString pastaRetorno_;
};

} // namespace talvero
