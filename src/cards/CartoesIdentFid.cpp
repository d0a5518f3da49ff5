#include "cards/CartoesIdentFid.h"

#include "link/MontaComando.h"
#include "platform/Erro.h"
#include "support/Entradas.h"
#include "support/RotinasGerais.h"

namespace talvero {

namespace {

const QString kSeparador = QStringLiteral("|@|");
constexpr int kTamanhoResposta = 52;
constexpr int kEsperaBibliotecaSegundos = 2;
constexpr int kEsperaGravaSerialSegundos = 1;
constexpr int kEsperaApagaSerialSegundos = 2;
constexpr int kMinimoApagaSerial = 16;

QString posicaoDe(const QString& resposta) { return resposta.mid(3, 6); }
QString segundoCampoDe(const QString& resposta) { return resposta.mid(9, 6); }
QString cartaoDe(const QString& resposta) { return resposta.mid(15, 16); }

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
    return respostaComPosicao(resposta) && posicaoDe(resposta) == posicao && segundoCampoDe(resposta) == posicao;
}

} // namespace

// The log texts of one command, in the order its exchange writes them.
struct TextosCartao {
    QString antes, frame, tamanho, quantidade, resultado;
    bool frameAntesDeEnviar;  // on the serial line the erase logs its frame before it goes out
};

namespace {

TextosCartao textos(const char* antes, const char* frame, const char* apos, const char* resultado,
                    bool frameAntesDeEnviar = false) {
    const QString depois = QStringLiteral(" - Apos comando de ") + QString::fromUtf8(apos);
    return {QStringLiteral(" - Antes do comando de ") + QString::fromUtf8(antes) + QStringLiteral(": - lTimerAutoString->"),
            QStringLiteral(" - ") + QString::fromUtf8(frame) + QStringLiteral(": - lTimerAutoString="),
            depois + QStringLiteral(": - Len(lTimerAutoString)="), depois + QStringLiteral(": - lAutoQuant="),
            QStringLiteral(" - Resultado da possível ") + QString::fromUtf8(resultado) +
                QStringLiteral(": - lTimerAutoString="),
            frameAntesDeEnviar};
}

const TextosCartao kGrava = textos("Gravar Cartao", "Grava Cartao", "Gravar Cartao", "Gravação de Cartão");
const TextosCartao kApaga =
    textos("Excluir Cartao", "Apaga Cartao", "Apagar Cartao", "Exclusão de Cartão", true);
const TextosCartao kLe = textos("Ler Cartao", "Ler Cartao", "Ler Cartao", "da Leitura de Cartão");

} // namespace

ValorRecusado::ValorRecusado(QString campo, QString valor, QString regra)
    : Erro(campo + QStringLiteral(" recusado: ") + entradas::Citado(valor), erros::ArgumentoInvalido),
      campo_(std::move(campo)), valor_(std::move(valor)), regra_(std::move(regra)) {}

void CartoesIdentFid::RegistraRecusa(const char* rotina, const ValorRecusado& r) {
    registra(QStringLiteral(" - ") + QLatin1String(rotina) + QStringLiteral(": ") + r.campo() +
             QStringLiteral(" recusado ") + entradas::Citado(r.valor()) + QStringLiteral(" (") + r.regra() +
             QStringLiteral("); nenhum comando enviado ao IdentFid"));
}

// The body is built first: a refused value costs nothing on the link. Then
// everything runs with the automation timer off and the link reserved; the timer
// comes back on whatever happens.
template <typename Resultado, typename Corpo, typename Comando>
Resultado CartoesIdentFid::executa(const char* rotina, Resultado recusado, Corpo corpo, Comando comando) {
    QString frame;
    try {
        frame = corpo();
    } catch (const ValorRecusado& r) {
        RegistraRecusa(rotina, r);
        return recusado;
    }
    Resultado resultado{};
    d_.timerAutomacao.setHabilitado(false);
    EnlaceConcentrador::Reserva reserva(d_.enlace);
    try {
        resultado = comando(frame);
    } catch (const Erro& e) {
        registra(QStringLiteral(" ERRO ") + QLatin1String(rotina) + QStringLiteral(": ") + e.descricao() +
                 QStringLiteral(" - lPassoDebugarErroAbastAndam:") + d_.lPassoDebugarErroAbastAndam +
                 QStringLiteral(" - Err: ") + QString::number(e.numero()) + QStringLiteral(" lTimerAutoString:") +
                 texto());
    }
    d_.timerAutomacao.setHabilitado(true);
    return resultado;
}

void CartoesIdentFid::trocaBiblioteca(const TextosCartao& t, const QString& corpo) {
    d_.enlace.recebe();
    registra(t.antes + texto() + QStringLiteral("<-"));
    texto() = MontaComando(corpo);
    registra(t.frame + texto());
    d_.enlace.enviaSomente(texto());
    AguardaSegundos(d_.relogio, d_.agendador, kEsperaBibliotecaSegundos);
    d_.enlace.recebe();
    registra(t.tamanho + QString::number(texto().size()));
    registra(t.resultado + texto());
}

// Returns the number of bytes that were waiting; the answer is read only when
// at least `minimo` came. The whole wait is taken: an answer cut short would
// arrive later and wait at the port for the cycle.
int CartoesIdentFid::trocaSerial(const TextosCartao& t, const QString& corpo, int esperaSegundos, int minimo) {
    texto() = MontaComando(corpo);
    d_.enlace.assentaSerial();
    if (t.frameAntesDeEnviar) registra(t.frame + texto());
    d_.enlace.enviaSerial(texto());
    if (!t.frameAntesDeEnviar) registra(t.frame + texto());
    AguardaMilissegundos(d_.relogio, d_.agendador, esperaSegundos * 1000LL);
    ControleSerial& serial = d_.enlace.serial();
    d_.enlace.lAutoQuant = static_cast<std::int16_t>(serial.quantidadeRecebida());
    registra(t.quantidade + QString::number(d_.enlace.lAutoQuant));
    if (d_.enlace.lAutoQuant < minimo) return d_.enlace.lAutoQuant;
    texto() = serial.leEntrada();
    registra(t.resultado + texto());
    return d_.enlace.lAutoQuant;
}

void CartoesIdentFid::ExigeCartao(const QString& cartao) {
    if (!entradas::CartaoValido(cartao))
        throw ValorRecusado(QStringLiteral("cartão"), cartao, QStringLiteral("deve ter 16 letras ou dígitos"));
}

namespace {

void exigePosicao(const QString& posicao) {
    if (!entradas::PosicaoValida(posicao))
        throw ValorRecusado(QStringLiteral("posição"), posicao, QStringLiteral("deve ter 6 dígitos"));
}

} // namespace

QString CartoesIdentFid::CorpoGrava(const QString& cartao) {
    ExigeCartao(cartao);
    return QStringLiteral("(?F27G") + cartao + QString(16, QLatin1Char('0'));
}

QString CartoesIdentFid::CorpoApaga(const QString& cartao, const QString& posicao) {
    ExigeCartao(cartao);
    exigePosicao(posicao);
    return QStringLiteral("(?F27A") + cartao + QStringLiteral("00") + posicao + QString(8, QLatin1Char('0'));
}

QString CartoesIdentFid::CorpoLe(const QString& posicao) {
    exigePosicao(posicao);
    return QStringLiteral("(?LF") + posicao;
}

int CartoesIdentFid::GravaPelaSerial(const QString& cartao) {
    return trocaSerial(kGrava, CorpoGrava(cartao), kEsperaGravaSerialSegundos, 1);
}

QString CartoesIdentFid::AutoIncluiCartaoIdentFid(const QString& pNumeroCartao) {
    return executa(
        "AutoIncluiCartaoIdentFid", kSeparador, [&] { return CorpoGrava(pNumeroCartao); },
        [&](const QString& corpo) {
            return d_.configuracao.lUsarDllCompany ? gravaBiblioteca(corpo, pNumeroCartao) : gravaSerial(corpo, pNumeroCartao);
        });
}

// The identifier tells where it wrote the card; an answer that does not is no write.
QString CartoesIdentFid::gravaBiblioteca(const QString& corpo, const QString& cartao) {
    trocaBiblioteca(kGrava, corpo);
    return gravou(texto(), cartao) ? posicaoDe(texto()) + kSeparador : kSeparador;
}

QString CartoesIdentFid::gravaSerial(const QString& corpo, const QString& cartao) {
    if (trocaSerial(kGrava, corpo, kEsperaGravaSerialSegundos, 1) < 1) return {};
    return gravou(texto(), cartao) ? posicaoDe(texto()) + kSeparador : kSeparador;
}

QString CartoesIdentFid::AutoExcluiCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro) {
    return executa(
        "AutoExcluiCartaoIdentFid", kSeparador, [&] { return CorpoApaga(pNumeroCartao, pPosicaoRegistro); },
        [&](const QString& corpo) {
            return d_.configuracao.lUsarDllCompany ? apagaBiblioteca(corpo, pPosicaoRegistro)
                                                   : apagaSerial(corpo, pPosicaoRegistro);
        });
}

QString CartoesIdentFid::apagaBiblioteca(const QString& corpo, const QString& posicao) {
    trocaBiblioteca(kApaga, corpo);
    return apagou(texto(), posicao) ? posicao + kSeparador : kSeparador;
}

// The serial line answers an erase done with "000000", as its requesters know it.
QString CartoesIdentFid::apagaSerial(const QString& corpo, const QString& posicao) {
    if (trocaSerial(kApaga, corpo, kEsperaApagaSerialSegundos, kMinimoApagaSerial) < kMinimoApagaSerial) return {};
    return apagou(texto(), posicao) ? QStringLiteral("000000") + kSeparador : kSeparador;
}

QString CartoesIdentFid::AutoLerCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro) {
    const Leitura l = leRegistro(pNumeroCartao, pPosicaoRegistro);
    return l.registro == Registro::ComOCartao ? l.posicao + kSeparador : kSeparador;
}

// The serial line gets the same frame and the same judgement as the library,
// with the write's wait.
CartoesIdentFid::Leitura CartoesIdentFid::leRegistro(const QString& cartao, const QString& posicao) {
    return executa(
        "AutoLerCartaoIdentFid", Leitura{},
        [&] {
            ExigeCartao(cartao);
            return CorpoLe(posicao);
        },
        [&](const QString& corpo) {
            if (d_.configuracao.lUsarDllCompany) {
                trocaBiblioteca(kLe, corpo);
            } else {
                texto().clear();
                trocaSerial(kLe, corpo, kEsperaGravaSerialSegundos, 1);
            }
            return resultadoLeitura(cartao);
        });
}

CartoesIdentFid::Leitura CartoesIdentFid::resultadoLeitura(const QString& cartao) {
    const QString& r = texto();
    if (!respostaComPosicao(r)) return {};
    if (cartaoDe(r) != cartao) return {Registro::ComOutroCartao, {}};
    registra(QStringLiteral(" - Leitura de Cartão OK: N.Cartão=") + cartaoDe(r) + QStringLiteral(" - Posicao do Registro=") +
             posicaoDe(r));
    return {Registro::ComOCartao, posicaoDe(r)};
}

void CartoesIdentFid::MostraPosicao(Operador& operador, const QString& cartao, const QString& posicao) {
    operador.mensagem(QStringLiteral("O Registro do cartão: ") + cartao + QStringLiteral(" está na posição=") + posicao,
                      QStringLiteral("Posição de Cartão Identificada!"), Icone::Informacao);
}

// Only an answer that names a position ends the search: a read that failed or
// got nothing says nothing about where the card is, and "not found" is told
// only when every record answered.
QString CartoesIdentFid::AutoPesquisaPosicaoCartaoIdentFid(const QString& pNumeroCartao, bool mostraMensagem,
                                                           const std::function<bool(int)>& continua) {
    try {
        ExigeCartao(pNumeroCartao);
    } catch (const ValorRecusado& r) {
        RegistraRecusa("AutoPesquisaPosicaoCartaoIdentFid", r);
        return kSeparador;
    }
    bool todosResponderam = true;
    for (int registro = 0; registro < kRegistrosPesquisados; ++registro) {
        if (d_.encerrando || (continua && !continua(registro))) break;
        const Leitura l = leRegistro(pNumeroCartao, QStringLiteral("%1").arg(registro, 6, 10, QLatin1Char('0')));
        if (l.registro == Registro::Ilegivel) todosResponderam = false;
        if (l.registro != Registro::ComOCartao) continue;
        if (mostraMensagem) MostraPosicao(d_.operador, pNumeroCartao, l.posicao);
        return l.posicao + kSeparador;
    }
    return todosResponderam ? kSeparador : QString();
}

} // namespace talvero
