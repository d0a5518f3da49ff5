#include "cards/CartoesIdentFid.h"

#include "link/MontaComando.h"
#include "platform/Erro.h"
#include "support/Entradas.h"

namespace talvero {

namespace {

const QString kSeparador = QStringLiteral("|@|");
constexpr int kTamanhoResposta = 52;

QString posicaoDe(const QString& resposta) {
    return resposta.mid(3, 6);
}
QString segundoCampoDe(const QString& resposta) {
    return resposta.mid(9, 6);
}
QString cartaoDe(const QString& resposta) {
    return resposta.mid(15, 16);
}

// An identifier's answer of its full length that names a record.
bool respostaComPosicao(const QString& resposta) {
    return resposta.size() == kTamanhoResposta && entradas::PosicaoValida(posicaoDe(resposta));
}

// The write names the record that now holds the card: an answer about another
// card (a late one to an earlier command) is no write.
bool gravou(const QString& resposta, const QString& cartao) {
    return respostaComPosicao(resposta) && cartaoDe(resposta) == cartao;
}

// The erase names the record it was given, twice.
bool apagou(const QString& resposta, const QString& posicao) {
    return respostaComPosicao(resposta) && posicaoDe(resposta) == posicao &&
           segundoCampoDe(resposta) == posicao;
}

} // namespace

ValorRecusado::ValorRecusado(QString campo, QString valor, QString regra)
    : Erro(campo + QStringLiteral(" recusado: ") + entradas::Citado(valor),
           erros::ArgumentoInvalido),
      campo_(std::move(campo)), valor_(std::move(valor)), regra_(std::move(regra)) {}

void CartoesIdentFid::RegistraRecusa(const char* rotina, const ValorRecusado& r) {
    registra(QStringLiteral(" - ") + QLatin1String(rotina) + QStringLiteral(": ") + r.campo() +
             QStringLiteral(" recusado ") + entradas::Citado(r.valor()) + QStringLiteral(" (") +
             r.regra() + QStringLiteral("); nenhum comando enviado ao IdentFid"));
}

// The body is built first: a refused value costs nothing on the link. Then
// everything runs with the link reserved and the automation timer off.
template <typename Resultado, typename Corpo, typename Comando>
Resultado CartoesIdentFid::executa(const char* rotina, Resultado recusado, Corpo corpo,
                                   Comando comando) {
    QString quadro;
    try {
        quadro = corpo();
    } catch (const ValorRecusado& r) {
        RegistraRecusa(rotina, r);
        return recusado;
    }
    EnlaceConcentrador::Reserva reserva(d_.enlace, EnlaceConcentrador::Reserva::Timer::Desligado);
    try {
        return comando(quadro);
    } catch (const Erro& e) {
        registra(QStringLiteral(" ERRO ") + QLatin1String(rotina) + QStringLiteral(": ") +
                 e.descricao() + QStringLiteral(" - lPassoDebugarErroAbastAndam:") +
                 d_.lPassoDebugarErroAbastAndam + QStringLiteral(" - Err: ") +
                 QString::number(e.numero()) + QStringLiteral(" lTimerAutoString:") +
                 porta().ultimoTexto());
    }
    return Resultado{};
}

RespostaConcentrador CartoesIdentFid::troca(ComandoCartao comando, const QString& corpo) {
    return porta().trocaCartao(comando, MontaComando(corpo));
}

void CartoesIdentFid::ExigeCartao(const QString& cartao) {
    if (!entradas::CartaoValido(cartao))
        throw ValorRecusado(QStringLiteral("cartão"), cartao,
                            QStringLiteral("deve ter 16 letras ou dígitos"));
}

namespace {

void exigePosicao(const QString& posicao) {
    if (!entradas::PosicaoValida(posicao))
        throw ValorRecusado(QStringLiteral("posição"), posicao,
                            QStringLiteral("deve ter 6 dígitos"));
}

} // namespace

QString CartoesIdentFid::CorpoGrava(const QString& cartao) {
    ExigeCartao(cartao);
    return QStringLiteral("(?F27G") + cartao + QString(16, QLatin1Char('0'));
}

QString CartoesIdentFid::CorpoApaga(const QString& cartao, const QString& posicao) {
    ExigeCartao(cartao);
    exigePosicao(posicao);
    return QStringLiteral("(?F27A") + cartao + QStringLiteral("00") + posicao +
           QString(8, QLatin1Char('0'));
}

QString CartoesIdentFid::CorpoLe(const QString& posicao) {
    exigePosicao(posicao);
    return QStringLiteral("(?LF") + posicao;
}

RespostaConcentrador CartoesIdentFid::GravaParaEnsaio(const QString& cartao) {
    return troca(ComandoCartao::Grava, CorpoGrava(cartao));
}

// The identifier tells where it wrote the card; an answer that does not is no write.
QString CartoesIdentFid::AutoIncluiCartaoIdentFid(const QString& pNumeroCartao) {
    return executa(
        "AutoIncluiCartaoIdentFid", kSeparador, [&] { return CorpoGrava(pNumeroCartao); },
        [&](const QString& corpo) -> QString {
            const RespostaConcentrador r = troca(ComandoCartao::Grava, corpo);
            if (!r.lida) return {};
            return gravou(r.texto, pNumeroCartao) ? posicaoDe(r.texto) + kSeparador : kSeparador;
        });
}

QString CartoesIdentFid::AutoExcluiCartaoIdentFid(const QString& pNumeroCartao,
                                                  const QString& pPosicaoRegistro) {
    return executa(
        "AutoExcluiCartaoIdentFid", kSeparador,
        [&] { return CorpoApaga(pNumeroCartao, pPosicaoRegistro); },
        [&](const QString& corpo) -> QString {
            const RespostaConcentrador r = troca(ComandoCartao::Apaga, corpo);
            if (!r.lida) return {};
            return apagou(r.texto, pPosicaoRegistro)
                       ? porta().posicaoApagada(pPosicaoRegistro) + kSeparador
                       : kSeparador;
        });
}

QString CartoesIdentFid::AutoLerCartaoIdentFid(const QString& pNumeroCartao,
                                               const QString& pPosicaoRegistro) {
    const Leitura l = leRegistro(pNumeroCartao, pPosicaoRegistro);
    return l.registro == Registro::ComOCartao ? l.posicao + kSeparador : kSeparador;
}

// Either link gets the same frame and the same judgement.
CartoesIdentFid::Leitura CartoesIdentFid::leRegistro(const QString& cartao,
                                                     const QString& posicao) {
    return executa(
        "AutoLerCartaoIdentFid", Leitura{},
        [&] {
            ExigeCartao(cartao);
            return CorpoLe(posicao);
        },
        [&](const QString& corpo) {
            return resultadoLeitura(troca(ComandoCartao::Le, corpo).texto, cartao);
        });
}

CartoesIdentFid::Leitura CartoesIdentFid::resultadoLeitura(const QString& r,
                                                           const QString& cartao) {
    if (!respostaComPosicao(r)) return {};
    if (cartaoDe(r) != cartao) return {Registro::ComOutroCartao, {}};
    registra(QStringLiteral(" - Leitura de Cartão OK: N.Cartão=") + cartaoDe(r) +
             QStringLiteral(" - Posicao do Registro=") + posicaoDe(r));
    return {Registro::ComOCartao, posicaoDe(r)};
}

void CartoesIdentFid::MostraPosicao(Operador& operador, const QString& cartao,
                                    const QString& posicao) {
    operador.mensagem(QStringLiteral("O Registro do cartão: ") + cartao +
                          QStringLiteral(" está na posição=") + posicao,
                      QStringLiteral("Posição de Cartão Identificada!"), Icone::Informacao);
}

// Only an answer that names a position ends the search: a read that failed or
// got nothing says nothing about where the card is, and "not found" is told
// only when every record answered.
QString CartoesIdentFid::AutoPesquisaPosicaoCartaoIdentFid(
    const QString& pNumeroCartao, bool mostraMensagem, const std::function<bool(int)>& continua) {
    try {
        ExigeCartao(pNumeroCartao);
    } catch (const ValorRecusado& r) {
        RegistraRecusa("AutoPesquisaPosicaoCartaoIdentFid", r);
        return kSeparador;
    }
    bool todosResponderam = true;
    for (int registro = 0; registro < kRegistrosPesquisados; ++registro) {
        if (d_.encerrando || (continua && !continua(registro))) break;
        const Leitura l =
            leRegistro(pNumeroCartao, QStringLiteral("%1").arg(registro, 6, 10, QLatin1Char('0')));
        if (l.registro == Registro::Ilegivel) todosResponderam = false;
        if (l.registro != Registro::ComOCartao) continue;
        if (mostraMensagem) MostraPosicao(d_.operador, pNumeroCartao, l.posicao);
        return l.posicao + kSeparador;
    }
    return todosResponderam ? kSeparador : QString();
}

} // namespace talvero
