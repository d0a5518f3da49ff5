#include "cards/CartoesIdentFid.h"

#include "link/MontaComando.h"
#include "platform/Erro.h"
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

bool seisDigitos(const QString& t) {
    if (t.size() != 6) return false;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
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

// Everything a command does runs with the automation timer off and the link
// reserved; the timer comes back on whatever happens.
template <typename Comando>
QString CartoesIdentFid::executa(const char* rotina, QString& resultado, Comando comando) {
    d_.timerAutomacao.setHabilitado(false);
    EnlaceConcentrador::Reserva reserva(d_.enlace);
    try {
        comando();
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

QString CartoesIdentFid::CorpoGrava(const QString& cartao) {
    return QStringLiteral("(?F27G") + cartao + QString(16, QLatin1Char('0'));
}

QString CartoesIdentFid::CorpoApaga(const QString& cartao, const QString& posicao) {
    return QStringLiteral("(?F27A") + cartao + QStringLiteral("00") + posicao + QString(8, QLatin1Char('0'));
}

int CartoesIdentFid::GravaPelaSerial(const QString& cartao) {
    return trocaSerial(kGrava, CorpoGrava(cartao), kEsperaGravaSerialSegundos, 1);
}

QString CartoesIdentFid::AutoIncluiCartaoIdentFid(const QString& pNumeroCartao) {
    QString resultado;
    return executa("AutoIncluiCartaoIdentFid", resultado, [&] {
        resultado = d_.configuracao.lUsarDllCompany ? gravaBiblioteca(pNumeroCartao) : gravaSerial(pNumeroCartao);
    });
}

QString CartoesIdentFid::gravaBiblioteca(const QString& cartao) {
    trocaBiblioteca(kGrava, CorpoGrava(cartao));
    if (texto().size() != kTamanhoResposta) return kSeparador;
    return posicaoDe(texto()) + kSeparador;
}

// The identifier's answer on the serial line is taken without a length check.
QString CartoesIdentFid::gravaSerial(const QString& cartao) {
    if (GravaPelaSerial(cartao) < 1) return {};
    return posicaoDe(texto()) + kSeparador;
}

QString CartoesIdentFid::AutoExcluiCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro) {
    QString resultado;
    return executa("AutoExcluiCartaoIdentFid", resultado, [&] {
        resultado = d_.configuracao.lUsarDllCompany ? apagaBiblioteca(pNumeroCartao, pPosicaoRegistro)
                                                    : apagaSerial(pNumeroCartao, pPosicaoRegistro);
    });
}

QString CartoesIdentFid::apagaBiblioteca(const QString& cartao, const QString& posicao) {
    trocaBiblioteca(kApaga, CorpoApaga(cartao, posicao));
    const QString& r = texto();
    if (r.size() == kTamanhoResposta && posicaoDe(r) == posicao && segundoCampoDe(r) == posicaoDe(r))
        return posicao + kSeparador;
    return kSeparador;
}

QString CartoesIdentFid::apagaSerial(const QString& cartao, const QString& posicao) {
    if (trocaSerial(kApaga, CorpoApaga(cartao, posicao), kEsperaApagaSerialSegundos, kMinimoApagaSerial) <
        kMinimoApagaSerial)
        return {};
    return (posicaoDe(texto()) == posicao ? QStringLiteral("000000") : posicao) + kSeparador;
}

QString CartoesIdentFid::AutoLerCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro) {
    QString resultado;
    return executa("AutoLerCartaoIdentFid", resultado, [&] {
        resultado = d_.configuracao.lUsarDllCompany ? leBiblioteca(pNumeroCartao, pPosicaoRegistro)
                                                    : leSerial(pNumeroCartao, pPosicaoRegistro);
    });
}

QString CartoesIdentFid::leBiblioteca(const QString& cartao, const QString& posicao) {
    trocaBiblioteca(kLe, QStringLiteral("(?LF") + posicao);
    return resultadoLeitura(cartao);
}

// The serial line gets the same frame and the same judgement as the library,
// with the write's wait.
QString CartoesIdentFid::leSerial(const QString& cartao, const QString& posicao) {
    texto().clear();
    trocaSerial(kLe, QStringLiteral("(?LF") + posicao, kEsperaGravaSerialSegundos, 1);
    return resultadoLeitura(cartao);
}

QString CartoesIdentFid::resultadoLeitura(const QString& cartao) {
    const QString& r = texto();
    if (r.size() != kTamanhoResposta || cartaoDe(r) != cartao) return kSeparador;
    registra(QStringLiteral(" - Leitura de Cartão OK: N.Cartão=") + cartaoDe(r) + QStringLiteral(" - Posicao do Registro=") +
             posicaoDe(r));
    return posicaoDe(r) + kSeparador;
}

void CartoesIdentFid::MostraPosicao(Operador& operador, const QString& cartao, const QString& posicao) {
    operador.mensagem(QStringLiteral("O Registro do cartão: ") + cartao + QStringLiteral(" está na posição=") + posicao,
                      QStringLiteral("Posição de Cartão Identificada!"), Icone::Informacao);
}

// Only an answer that names a position ends the search: a read that failed or
// got nothing says nothing about where the card is.
QString CartoesIdentFid::AutoPesquisaPosicaoCartaoIdentFid(const QString& pNumeroCartao, bool mostraMensagem,
                                                           const std::function<bool(int)>& continua) {
    for (int registro = 0; registro < kRegistrosPesquisados; ++registro) {
        if (d_.encerrando || (continua && !continua(registro))) break;
        const QString posicao = QStringLiteral("%1").arg(registro, 6, 10, QLatin1Char('0'));
        const QString resposta = AutoLerCartaoIdentFid(pNumeroCartao, posicao);
        if (!seisDigitos(SeparaCampo(resposta, 1))) continue;
        if (mostraMensagem) MostraPosicao(d_.operador, pNumeroCartao, SeparaCampo(resposta, 1));
        return resposta;
    }
    return kSeparador;
}

} // namespace talvero
