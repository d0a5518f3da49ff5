#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

namespace talvero::medicao {

class EstacaoMedida;

// What one request got, timed from its file appearing in the agent's folder to its
// answer file appearing in the requester's share.
struct Atendimento {
    bool respondido = false;
    double ms = 0;
    QString retorno, parametro;
};

// Another station program asking the agent through the request folder: each request
// written aside and renamed into place with the bytes talvero-pedido writes, its
// answer looked for every millisecond and taken away once read.
class Requisitante {
public:
    // A request on its way.
    struct Pedido {
        QString pedido, resposta;
        QElapsedTimer desde;
    };

    explicit Requisitante(const EstacaoMedida& estacao);

    // Raises std::runtime_error when the request cannot be written.
    Atendimento pede(const QString& comando, const QStringList& parametros = {},
                     int limiteMs = 10'000);

    Pedido envia(const QString& comando, const QStringList& parametros);
    // True when the answer is there: `a` then holds it and the file is gone.
    static bool chegou(const Pedido& p, Atendimento& a);
    // No answer in time: the request is taken back, so that it is not answered later.
    static Atendimento desiste(const Pedido& p);

private:
    QString novoId();

    QString pastaPedidos_, pastaRespostas_;
    int sequencia_ = 0;
};

} // namespace talvero::medicao
