#include "cards/DialogosCartao.h"

#include "link/MontaComando.h"
#include "platform/Erro.h"
#include "support/Entradas.h"
#include "support/RotinasGerais.h"

namespace talvero {

namespace {

const QString kQuebra = QStringLiteral("\r\n");
const QString kTituloCartao = QStringLiteral("Número do Cartão!");
const QString kCancelada = QStringLiteral("Operação Cancelada!");
const QString kCartaoFixo = QStringLiteral("1234567890123456");
const QString kCartaoEnsaio = QString(16, QLatin1Char('e'));
constexpr int kTamanhoCartao = 16;
constexpr int kTamanhoPosicao = 6;

// A card command did what was asked when its result names a record.
bool feito(const QString& resultado) {
    return entradas::PosicaoValida(SeparaCampo(resultado, 1));
}

} // namespace

// Around the exchange only: a box waiting for the operator holds no request back.
template <typename Comando> QString DialogosCartao::semPedidos(Comando comando) {
    struct Volta {
        Temporizador& t;
        bool habilitado;
        ~Volta() { t.setHabilitado(habilitado); }
    } volta{d_.timerArquivo, d_.timerArquivo.habilitado()};
    d_.timerArquivo.setHabilitado(false);
    return comando();
}

// Empty when the operator gave no card of 16 letters or digits (and was told so;
// a value typed, not a cancel, also goes to the log).
QString DialogosCartao::pedeCartao(const char* rotina, const QString& pergunta) {
    const QString cartao = d_.operador.entrada(pergunta, kTituloCartao, {});
    try {
        CartoesIdentFid::ExigeCartao(cartao);
        return cartao;
    } catch (const ValorRecusado& r) {
        if (!cartao.isEmpty()) d_.cartoes.RegistraRecusa(rotina, r);
    }
    critico(cartao.size() != kTamanhoCartao
                ? QStringLiteral("O cartão deve ter 16 caracteres.")
                : QStringLiteral("O cartão deve ter 16 letras ou dígitos."),
            kCancelada);
    return {};
}

// Up to 51 reads of about a second or two: the operator sees where it stands
// and may stop it; a stopped search found nothing (and says so: no result).
std::optional<QString> DialogosCartao::pesquisa(const QString& cartao, bool mostraMensagem) {
    const int total = CartoesIdentFid::kRegistrosPesquisados;
    auto progresso = d_.operador.progresso(QStringLiteral("Pesquisa de Cartão"), total);
    bool cancelada = false;
    const QString resultado = semPedidos([&] {
        return d_.cartoes.AutoPesquisaPosicaoCartaoIdentFid(cartao, false, [&](int registro) {
            if (progresso->cancelado()) return !(cancelada = true);
            progresso->avanca(registro, QStringLiteral("Pesquisando o cartão %1 registro %2 de %3")
                                            .arg(cartao)
                                            .arg(registro + 1)
                                            .arg(total));
            return true;
        });
    });
    progresso.reset();
    if (cancelada) {
        informa(QStringLiteral("O cartão: ") + cartao +
                    QStringLiteral(" não foi encontrado nos registros pesquisados."),
                QStringLiteral("Pesquisa Cancelada!"));
        return std::nullopt;
    }
    if (mostraMensagem && feito(resultado))
        CartoesIdentFid::MostraPosicao(d_.operador, cartao, SeparaCampo(resultado, 1));
    return resultado;
}

void DialogosCartao::mnuIncluiCartao_Click() {
    const QString cartao = pedeCartao(
        "mnuIncluiCartao_Click",
        QStringLiteral(
            "Informe o número do cartão a ser incluído no IdentFid (contendo 16 caracteres)."));
    if (cartao.isEmpty()) return;
    const QString resultado =
        semPedidos([&] { return d_.cartoes.AutoIncluiCartaoIdentFid(cartao); });
    const QString posicao = SeparaCampo(resultado, 1);
    if (feito(resultado))
        informa(QStringLiteral("O cartão: ") + cartao + kQuebra +
                    QStringLiteral(" foi incluído na posição:") + posicao +
                    QStringLiteral(" do IdentFid."),
                QStringLiteral("Inclusão OK no IdentFid!"));
    else
        critico(QStringLiteral("Não foi possível incluir o cartão: ") + cartao +
                    QStringLiteral(" no IdentFid."),
                QStringLiteral("Erro Inclusão IdentFid!"));
}

void DialogosCartao::mnuExcluiCartao_Click() {
    const QString cartao = pedeCartao(
        "mnuExcluiCartao_Click",
        QStringLiteral(
            "Informe o número do cartão a ser excluído no IdentFid (contendo 16 caracteres)."));
    if (cartao.isEmpty()) return;
    const auto achado = pesquisa(cartao, false);
    if (!achado) return; // the operator stopped the search
    // Records that could not be read may hold it: that is no "does not exist".
    if (achado->isEmpty()) return naoExcluiu(cartao);
    const QString posicao = SeparaCampo(*achado, 1);
    if (!feito(*achado)) {
        critico(QStringLiteral("O cartão não existe no IdentFid.") + kQuebra +
                    QStringLiteral("Por este motivo não poderá ser excluído."),
                kCancelada);
        return;
    }
    const QString resultado =
        semPedidos([&] { return d_.cartoes.AutoExcluiCartaoIdentFid(cartao, posicao); });
    if (!feito(resultado)) return naoExcluiu(cartao);
    informa(QStringLiteral("O cartão: ") + cartao + kQuebra +
                QStringLiteral("Estava registrado na posição:") + posicao + kQuebra +
                QStringLiteral(" foi excluído no IdentFid."),
            QStringLiteral("Exclusão OK no IdentFid!"));
}

void DialogosCartao::naoExcluiu(const QString& cartao) {
    critico(QStringLiteral("Não foi possível excluir o cartão: ") + cartao +
                QStringLiteral(" no IdentFid."),
            QStringLiteral("Erro Exclusão IdentFid!"));
}

void DialogosCartao::mnuLerCartao_Click() {
    const QString posicao = d_.operador.entrada(
        QStringLiteral("Informe a posicao do registro do cartao no IdentFid no formato 000000."),
        QStringLiteral("Posição do Registro!"), QStringLiteral("000000"));
    try {
        CartoesIdentFid::CorpoLe(posicao);
    } catch (const ValorRecusado& r) {
        if (!posicao.isEmpty()) d_.cartoes.RegistraRecusa("mnuLerCartao_Click", r);
        // A wrong length ends without a word, as it always has.
        if (posicao.size() == kTamanhoPosicao)
            critico(QStringLiteral("A posição deve ter 6 dígitos."), kCancelada);
        return;
    }
    if (feito(semPedidos([&] { return d_.cartoes.AutoLerCartaoIdentFid(kCartaoFixo, posicao); })))
        informa(QStringLiteral("O cartão: ") + kCartaoFixo +
                    QStringLiteral(" foi lido no IdentFid."),
                QStringLiteral("Leitura OK no IdentFid!"));
    else
        naoLeu(kCartaoFixo);
}

void DialogosCartao::naoLeu(const QString& cartao) {
    critico(QStringLiteral("Não foi possível Ler o cartão: ") + cartao +
                QStringLiteral(" no IdentFid."),
            QStringLiteral("Erro Leitura IdentFid!"));
}

// Not found is told by silence; records that could not be read are an error.
void DialogosCartao::mnuPesquisaPosicaoCartao_Click() {
    const QString cartao = pedeCartao(
        "mnuPesquisaPosicaoCartao_Click",
        QStringLiteral(
            "Informe o número do cartão para saber a posição no IdentFid contendo 16 caracteres."));
    if (cartao.isEmpty()) return;
    const auto achado = pesquisa(cartao, true);
    if (achado && achado->isEmpty()) naoLeu(cartao);
}

// Over the vendor library the trial only stops and restarts the automation.
// The link stays reserved throughout, so no request can use it meanwhile.
void DialogosCartao::cmdLeituraIdentificador_Click() {
    EnlaceConcentrador::Reserva reserva(d_.enlace, EnlaceConcentrador::Reserva::Timer::Desligado);
    if (!porta().fazEnsaioDoIdentificador()) return;
    try {
        ensaio();
    } catch (const Erro& e) {
        registra(QStringLiteral(" ERRO cmdLeituraIdentificador_Click: ") + e.comNumero());
    }
}

// Writes the test card, shows what came back, and erases it if the operator wishes.
void DialogosCartao::ensaio() {
    const RespostaConcentrador r = d_.cartoes.GravaParaEnsaio(kCartaoEnsaio);
    if (r.lida) {
        d_.operador.mensagem(QStringLiteral("Qtd=") + QString::number(r.texto.size()) + kQuebra +
                                 r.texto,
                             {}, Icone::Nenhum);
        if (d_.operador.pergunta(QStringLiteral("Deseja Excluir o cartao"),
                                 QStringLiteral("Exclusao de Cartao")))
            apagaCartaoDeEnsaio(r.texto.mid(3, 6));
    }
    porta().descartaEntrada();
}

// The position comes from the identifier's answer, so it passes the gate like
// any other. The last box tells how many bytes the erase brought back.
void DialogosCartao::apagaCartaoDeEnsaio(const QString& posicao) {
    QString corpo;
    try {
        corpo = CartoesIdentFid::CorpoApaga(kCartaoEnsaio, posicao);
    } catch (const ValorRecusado& r) {
        d_.cartoes.RegistraRecusa("cmdLeituraIdentificador_Click", r);
        return naoExcluiu(kCartaoEnsaio);
    }
    const int bytes = porta().apagaCartaoDeEnsaio(MontaComando(corpo));
    d_.operador.mensagem(QStringLiteral("Qtd=") + QString::number(bytes), {}, Icone::Nenhum);
}

} // namespace talvero
