#include "requests/PastaPedidos.h"

#include "platform/Erro.h"
#include "platform/LeitorIni.h"
#include "support/Entradas.h"
#include "support/RotinasGerais.h"

#include <QSet>
#include <algorithm>
#include <utility>

namespace talvero {

namespace {

const QString kSecao = QStringLiteral("PEDIDO AUTOMACAO");

bool comParametro(const QString& comando) {
    return comando == QLatin1String("AUTOMACAO INCLUI CARTAO") ||
           comando == QLatin1String("AUTOMACAO EXCLUI CARTAO") ||
           comando == QLatin1String("AUTOMACAO PESQUISA CARTAO");
}

// Its values, and whether all it needs is there: "Comando" and "Origem", and
// "Parametro" for the card commands that take one.
PastaPedidos::Pedido valores(const QByteArray& conteudo) {
    const auto le = [&](const char* chave) {
        return LeIniSePresente(conteudo, kSecao, QLatin1String(chave));
    };
    const auto comando = le("Comando"), origem = le("Origem"), parametro = le("Parametro");
    PastaPedidos::Pedido p;
    p.comando = comando.value_or(QString());
    p.origem = origem.value_or(QString());
    p.parametro = parametro.value_or(QString());
    p.completo = comando && origem && (!comParametro(*comando) || parametro);
    return p;
}

} // namespace

QString PastaPedidos::caminho(const QString& nome) const {
    return d_.pasta.endsWith(QLatin1Char('\\')) ? d_.pasta + nome
                                                : d_.pasta + QLatin1Char('\\') + nome;
}

std::vector<PastaPedidos::Pedido> PastaPedidos::prontos() {
    mudou_ = false;
    const auto entradas = lista();
    if (!entradas) return {}; // what was judged holds until the folder can be listed again
    QSet<QString> nomes;
    for (const EntradaPasta& e : *entradas)
        nomes.insert(e.nome);
    std::erase_if(vistos_, [&](const auto& v) { return !nomes.contains(v.first); });
    Orcamento orcamento;
    for (const EntradaPasta& e : *entradas)
        olha(e, orcamento);
    aguardaSegundaOlhada();
    recusados_ = 0;
    std::vector<Pedido> prontos;
    for (const EntradaPasta& e : *entradas) { // in the listing's order: by name, whatever the case
        const auto it = vistos_.find(e.nome);
        if (it == vistos_.end()) continue;
        recusados_ += it->second.recusado ? 1 : 0;
        if (pronto(e.nome, it->second)) prontos.push_back(it->second.pedido);
    }
    // Leftovers taken as they stand hold no complete request back.
    std::stable_partition(prontos.begin(), prontos.end(),
                          [](const Pedido& p) { return p.completo; });
    return prontos;
}

// A listing that fails is told when it starts failing, not at every tick.
std::optional<QList<EntradaPasta>> PastaPedidos::lista() {
    QList<EntradaPasta> entradas;
    try {
        entradas = d_.arquivos.entradas(d_.pasta, d_.padrao, kMaximoEntradas);
        listagemFalhou_ = false;
    } catch (const Erro& e) {
        if (!std::exchange(listagemFalhou_, true))
            registra(QStringLiteral(" - ERRO TimerArquivo_Timer: ") + e.descricao() +
                     QStringLiteral(" - Err: ") + QString::number(e.numero()));
        return std::nullopt;
    }
    const bool cheia = entradas.size() >= kMaximoEntradas;
    if (cheia && !std::exchange(cheia_, true))
        registra(QStringLiteral(" - TimerArquivo_Timer: a pasta de pedidos tem mais de %1 "
                                "entradas; só %1 delas são vistas")
                     .arg(kMaximoEntradas));
    if (!cheia) cheia_ = false;
    return entradas;
}

// What was judged of an entry holds while its size and time stay the same.
void PastaPedidos::olha(const EntradaPasta& e, Orcamento& orcamento) {
    const auto [it, novo] = vistos_.try_emplace(e.nome);
    Visto& v = it->second;
    if (novo) v.primeiroMs = agora();
    if (!v.entrada || !v.entrada->mesmoEstado(e)) {
        mudou_ = true;
        v.entrada = e;
        v.desdeMs = agora();
        v.lido = false;
        v.recusado = false;
        v.lerDepoisMs = 0;
        // The name composes the paths read and deleted: it must stay one name in the folder.
        if (!entradas::NomeArquivoValido(e.nome))
            return recusa(e.nome, v, QStringLiteral("nome que não serve para arquivo"));
        if (e.tipo != EntradaPasta::Tipo::Arquivo)
            return recusa(
                e.nome, v,
                QStringLiteral("não é um arquivo comum (ligação, FIFO, dispositivo ou pasta)"));
        if (e.tamanho > kLimiteBytes)
            return recusa(e.nome, v, QStringLiteral("maior que %1 bytes").arg(kLimiteBytes));
    }
    if (v.recusado && v.lerDepoisMs > 0 && agora() >= v.lerDepoisMs) v.recusado = false;
    if (!v.recusado && !v.lido && !orcamento.esgotado()) le(e.nome, v, orcamento);
}

void PastaPedidos::recusa(const QString& nome, Visto& v, const QString& motivo) {
    v.recusado = true;
    if (!std::exchange(v.recusaAvisada, true))
        registra(QStringLiteral(" - TimerArquivo_Timer: arquivo recusado na pasta de pedidos: ") +
                 caminho(nome) + QStringLiteral(" (") + motivo + QStringLiteral(")"));
}

// What was swapped in under the name since the listing is refused like the rest;
// a file that cannot be read now (its rights, say) is refused too, and tried
// again a little later. The values are kept, never the file: memory stays small.
void PastaPedidos::le(const QString& nome, Visto& v, Orcamento& orcamento) {
    ++orcamento.leituras;
    QByteArray conteudo;
    try {
        conteudo = d_.arquivos.leRegular(caminho(nome), kLimiteBytes);
    } catch (const Erro& e) {
        if (e.numero() != erros::ModoDeArquivo && e.numero() != erros::Estouro)
            v.lerDepoisMs = agora() + kNovaTentativaMs;
        return recusa(nome, v, e.descricao());
    }
    orcamento.bytes += conteudo.size();
    v.pedido = valores(conteudo);
    v.pedido.nome = nome;
    v.lido = true;
    v.desdeMs = agora(); // the second look must come after what was read
}

// A complete request read just now gets its second look in this same tick,
// after a moment; everything else waits for the next tick.
void PastaPedidos::aguardaSegundaOlhada() {
    std::vector<QString> novos;
    std::int64_t maisNovo = 0;
    for (const auto& [nome, v] : vistos_) {
        if (!v.lido || !v.pedido.completo || agora() - v.desdeMs >= kEstavelMs) continue;
        novos.push_back(nome);
        maisNovo = std::max(maisNovo, v.desdeMs);
    }
    if (novos.empty()) return;
    AguardaMilissegundos(d_.relogio, d_.agendador, maisNovo + kEstavelMs - agora());
    for (const QString& nome : novos) {
        const auto it = vistos_.find(nome);
        if (it == vistos_.end()) continue; // taken meanwhile by whatever ran during the wait
        Visto& v = it->second;
        const auto agoraEsta = d_.arquivos.entrada(caminho(nome));
        if (agoraEsta && v.entrada && agoraEsta->mesmoEstado(*v.entrada)) continue;
        v.entrada.reset(); // judged again from the start at the next look
        v.lido = false;
        mudou_ = true;
    }
}

bool PastaPedidos::pronto(const QString& nome, Visto& v) {
    if (v.recusado || !v.lido || agora() < v.apagarDepoisMs) return false;
    if (v.pedido.completo) return agora() - v.desdeMs >= kEstavelMs;
    if (agora() - v.primeiroMs < kIncompletoMs) return false;
    if (!std::exchange(v.incompletoAvisado, true))
        registra(
            QStringLiteral(" - TimerArquivo_Timer: pedido incompleto há %1 s, atendido como está: ")
                .arg(kIncompletoMs / 1000) +
            caminho(nome));
    return true;
}

bool PastaPedidos::naoApagado(const QString& nome) {
    const auto it = vistos_.find(nome);
    if (it == vistos_.end()) return false;
    it->second.apagarDepoisMs = agora() + kNovaTentativaMs;
    return !std::exchange(it->second.falhaAoApagar, true);
}

} // namespace talvero
