#include "store/SituacaoAgente.h"

#include "platform/Moeda.h"
#include "support/Entradas.h"

#include <QRegularExpression>

#include <optional>

namespace talvero::situacao {
namespace {

// The agent writes at least every 30 s; three missed writes mean it is gone.
constexpr qint64 kBatimentoMaximoS = 90;

QString duracao(qint64 s) {
    s = qAbs(s);
    if (s < 60) return QStringLiteral("%1 s").arg(s);
    if (s < 3600) return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
    if (s < 86400) return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
    return QStringLiteral("%1 d %2 h").arg(s / 86400).arg(s % 86400 / 3600);
}

QString hora(const QDateTime& t) {
    return t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QDateTime deIso(const QString& texto) {
    return QDateTime::fromString(texto, Qt::ISODate);
}

// Litres as the agent's other texts write them; "?" for what is not a number.
QString litros(const QString& ponto) {
    static const QRegularExpression forma(QStringLiteral("^-?\\d{1,12}(\\.\\d{1,4})?$"));
    if (!forma.match(ponto).hasMatch()) return QStringLiteral("?");
    return Moeda::deTexto(ponto).texto();
}

std::optional<QString> valorDe(const Chaves& chaves, const QString& chave) {
    for (auto it = chaves.crbegin(); it != chaves.crend(); ++it)
        if (it->first == chave) return it->second;
    return std::nullopt;
}

// The values the judgement needs; the first that is missing or unreadable makes
// the file unreadable as a whole, since a guess could report a dead agent as OK.
class Campos {
public:
    explicit Campos(const Chaves& chaves) : chaves_(chaves) {}

    QDateTime hora(const char* chave, bool podeSerVazio = false) {
        const QString v = texto(chave);
        const QDateTime t = deIso(v);
        if (!t.isValid() && !(podeSerVazio && v.isEmpty())) recusa(chave, v);
        return t;
    }
    // An agent older than a key does not write it: `padrao` stands in for it then.
    qint64 numero(const char* chave, std::optional<qint64> padrao = std::nullopt) {
        if (padrao && !valorDe(chaves_, QLatin1String(chave))) return *padrao;
        const QString v = texto(chave);
        bool ok = false;
        const qint64 n = v.toLongLong(&ok);
        if (!ok || n < 0) recusa(chave, v);
        return n;
    }
    QString palavra(const char* chave, const QStringList& aceitas) {
        const QString v = texto(chave);
        if (!aceitas.contains(v)) recusa(chave, v);
        return v;
    }
    const QString& falha() const { return falha_; }

private:
    QString texto(const char* chave) {
        const auto v = valorDe(chaves_, QLatin1String(chave));
        if (!v && falha_.isEmpty())
            falha_ = QStringLiteral("arquivo de situação sem a chave %1").arg(QLatin1String(chave));
        return v.value_or(QString());
    }
    void recusa(const char* chave, const QString& valor) {
        if (falha_.isEmpty())
            falha_ = QStringLiteral("arquivo de situação com valor inválido em %1: \"%2\"")
                         .arg(QLatin1String(chave), valor);
    }

    const Chaves& chaves_;
    QString falha_;
};

class Motivos {
public:
    void critico(const QString& m) { critico_ << m; }
    void aviso(const QString& m) { aviso_ << m; }
    Juizo juizo() const {
        const Estado e = !critico_.isEmpty() ? Estado::Critico
                         : !aviso_.isEmpty() ? Estado::Aviso
                                             : Estado::Ok;
        return {e, critico_ + aviso_};
    }

private:
    QStringList critico_, aviso_;
};

constexpr qint64 kWalSemLimiteAviso = qint64(1) << 30;

// The central server never holds up a fueling, but a slot it stopped reading fills the
// station's disk up to the cap, and past the cap the central server has lost the slot.
void julgaCentral(Motivos& m, const Chaves& chaves) {
    const auto retido = valorDe(chaves, QStringLiteral("central_wal_retido"));
    if (!retido) return;
    if (*retido == QLatin1String("perdido")) {
        m.aviso(QStringLiteral("o slot de replicação da central passou do limite e foi descartado: "
                               "os abastecimentos seguem gravados aqui, mas a central precisa de "
                               "uma nova assinatura (central remover e central assinar)"));
        return;
    }
    const qint64 bytes = retido->toLongLong();
    const qint64 limite =
        valorDe(chaves, QStringLiteral("central_wal_limite")).value_or(QString()).toLongLong();
    const qint64 aviso = limite > 0 ? limite / 2 : kWalSemLimiteAviso;
    if (bytes > aviso)
        m.aviso(
            QStringLiteral("o slot de replicação da central retém %1 MB de WAL%2: a central "
                           "não está recebendo desta estação (talvero-dados central situacao "
                           "na central; desativada de vez, remova a assinatura lá e descarte "
                           "o slot aqui)")
                .arg(bytes >> 20)
                .arg(limite > 0 ? QStringLiteral(" (limite %1 MB)").arg(limite >> 20) : QString()));
}

// While the link answers, the file is rewritten only every 30 s unless something
// changes, so an older `ultima_resposta` then is no silence.
void julgaEnlace(Motivos& m, const QString& enlace, const QDateTime& inicio,
                 const QDateTime& ultima, const QDateTime& agora, int criticoSegundos) {
    if (enlace == QLatin1String("respondendo")) return;
    const qint64 silencio = (ultima.isValid() ? ultima : inicio).secsTo(agora);
    if (silencio <= criticoSegundos) return;
    const QString estado = enlace == QLatin1String("perdido")
                               ? QStringLiteral("enlace com o concentrador perdido: ")
                               : QString();
    m.critico(
        estado +
        (ultima.isValid()
             ? QStringLiteral("o concentrador não responde há %1 (última resposta em %2)")
                   .arg(duracao(silencio), hora(ultima))
             : QStringLiteral("o concentrador não respondeu nenhuma vez desde o início, há %1")
                   .arg(duracao(silencio))));
}

// How one key is shown: its name in words and its value put into words.
struct Rotulo {
    const char* chave;
    const char* nome;
    QString (*forma)(const QString& valor, const QDateTime& agora);
};

QString comoEsta(const QString& v, const QDateTime&) {
    return v;
}

QString horaComIdade(const QString& v, const QDateTime& agora) {
    const QDateTime t = deIso(v);
    if (!t.isValid()) return v.isEmpty() ? QStringLiteral("nenhuma") : v;
    const qint64 idade = t.secsTo(agora);
    return QStringLiteral("%1 (%2 %3)")
        .arg(hora(t), idade < 0 ? QStringLiteral("daqui a") : QStringLiteral("há"), duracao(idade));
}

QString traduz(const QString& v,
               std::initializer_list<std::pair<const char*, const char*>> palavras) {
    for (const auto& [de, para] : palavras)
        if (v == QLatin1String(de)) return QString::fromUtf8(para);
    return v;
}

const Rotulo kRotulos[] = {
    {"versao", "Versão", comoEsta},
    {"pid", "Processo", comoEsta},
    {"inicio", "Em funcionamento desde", horaComIdade},
    {"batimento", "Último sinal de vida", horaComIdade},
    {"raiz", "Raiz", comoEsta},
    {"transporte", "Transporte", comoEsta},
    {"esperas", "Esperas pela resposta",
     [](const QString& v, const QDateTime&) {
         return traduz(v, {{"adaptativas", "terminam quando a resposta chega inteira"},
                           {"fixas", "fixas, o tempo todo (Espera Fixa=SIM)"}});
     }},
    {"descarga_rapida", "Descarga rápida",
     [](const QString& v, const QDateTime&) {
         return traduz(v, {{"sim", "sim"}, {"nao", "não"}});
     }},
    {"banco", "Banco de dados", comoEsta},
    {"banco_estado", "Conexão com o banco",
     [](const QString& v, const QDateTime&) {
         return traduz(v, {{"conectado", "conectada"}, {"perdido", "perdida"}});
     }},
    {"enlace", "Concentrador",
     [](const QString& v, const QDateTime&) {
         return traduz(v, {{"aguardando", "aguardando a primeira resposta"},
                           {"respondendo", "respondendo"},
                           {"sem_resposta", "sem resposta"},
                           {"perdido", "enlace perdido"}});
     }},
    {"ultima_resposta", "Última resposta", horaComIdade},
    {"pausada", "Automação pausada",
     [](const QString& v, const QDateTime&) {
         return traduz(v, {{"sim", "sim"}, {"nao", "não"}});
     }},
    {"abastecimentos_hoje", "Abastecimentos hoje", comoEsta},
    {"ultimo_abastecimento", "Último abastecimento",
     [](const QString& v, const QDateTime& agora) {
         return v.isEmpty() ? QStringLiteral("nenhum") : horaComIdade(v, agora);
     }},
    {"quarentena", "Respostas em quarentena", comoEsta},
    {"lacunas_encerrante_hoje", "Lacunas de encerrante hoje", comoEsta},
    {"litros_lacunas_hoje", "Litros nas lacunas de hoje", comoEsta},
    {"recusados_na_pasta", "Entradas recusadas na pasta de pedidos", comoEsta},
    {"central_wal_retido", "WAL retido para a central (bytes)", comoEsta},
    {"central_wal_limite", "Limite do WAL retido (bytes; -1: sem limite)", comoEsta},
    {"resumo", "Resumo", comoEsta},
};

const Rotulo* rotuloDe(const QString& chave) {
    for (const Rotulo& r : kRotulos)
        if (chave == QLatin1String(r.chave)) return &r;
    return nullptr;
}

} // namespace

Chaves le(const QByteArray& utf8) {
    QString texto = QString::fromUtf8(utf8);
    if (texto.startsWith(QChar(0xFEFF))) texto.remove(0, 1);
    Chaves chaves;
    for (QStringView linha : QStringView(texto).split(u'\n')) {
        if (linha.endsWith(u'\r')) linha.chop(1);
        const qsizetype igual = linha.indexOf(u'=');
        if (igual > 0)
            chaves.append({linha.left(igual).toString(), linha.mid(igual + 1).toString()});
    }
    return chaves;
}

Juizo julga(const Chaves& chaves, const QDateTime& agora, int criticoSegundos,
            const std::function<std::optional<bool>(qint64)>& processoExiste) {
    Campos c(chaves);
    const QDateTime batimento = c.hora("batimento");
    const QDateTime inicio = c.hora("inicio");
    const QDateTime ultima = c.hora("ultima_resposta", true);
    const QString enlace =
        c.palavra("enlace", {"aguardando", "respondendo", "sem_resposta", "perdido"});
    const bool pausada = c.palavra("pausada", {"sim", "nao"}) == QLatin1String("sim");
    const bool semBanco =
        c.palavra("banco_estado", {"conectado", "perdido"}) == QLatin1String("perdido");
    const qint64 quarentena = c.numero("quarentena");
    const qint64 recusados = c.numero("recusados_na_pasta");
    const qint64 lacunas = c.numero("lacunas_encerrante_hoje", 0);
    if (!c.falha().isEmpty()) return {Estado::Desconhecido, {c.falha()}};

    // Nothing else in the file is news once the agent has stopped writing it.
    // A heartbeat far ahead means the clock was set back: it would hide a dead agent.
    const qint64 idade = batimento.secsTo(agora);
    if (idade > kBatimentoMaximoS)
        return {Estado::Critico,
                {QStringLiteral("o AutoTalvero não está rodando: último sinal de vida há %1 (%2)")
                     .arg(duracao(idade), hora(batimento))}};
    const qint64 pid = c.numero("pid");
    if (!c.falha().isEmpty()) return {Estado::Desconhecido, {c.falha()}};
    if (processoExiste && processoExiste(pid) == false)
        return {
            Estado::Critico,
            {QStringLiteral("o AutoTalvero não está rodando: o processo %1 terminou (último sinal "
                            "de vida há %2)")
                 .arg(pid)
                 .arg(duracao(idade))}};
    if (idade < -kBatimentoMaximoS)
        return {Estado::Critico,
                {QStringLiteral("último sinal de vida %1 à frente do relógio (%2): o relógio do "
                                "computador voltou?")
                     .arg(duracao(idade), hora(batimento))}};

    Motivos m;
    if (semBanco)
        m.critico(QStringLiteral("banco de dados perdido: nada é gravado nem confirmado"));
    if (pausada)
        m.aviso(QStringLiteral("automação pausada"));
    else
        julgaEnlace(m, enlace, inicio, ultima, agora, criticoSegundos);
    if (quarentena > 0)
        m.aviso(QStringLiteral(
                    "%1 resposta(s) do concentrador em quarentena (talvero-dados rejeitados)")
                    .arg(quarentena));
    if (lacunas > 0)
        m.aviso(
            QStringLiteral("%1 lacuna(s) de encerrante hoje, %2 L (talvero-dados encerrantes)")
                .arg(lacunas)
                .arg(litros(
                    valorDe(chaves, QStringLiteral("litros_lacunas_hoje")).value_or(QString()))));
    if (recusados > 0)
        m.aviso(QStringLiteral("%1 entrada(s) recusada(s) na pasta de pedidos").arg(recusados));
    julgaCentral(m, chaves);
    return m.juizo();
}

QString nomeDoEstado(Estado estado) {
    switch (estado) {
    case Estado::Ok:
        return QStringLiteral("OK");
    case Estado::Aviso:
        return QStringLiteral("AVISO");
    case Estado::Critico:
        return QStringLiteral("CRITICO");
    case Estado::Desconhecido:
        break;
    }
    return QStringLiteral("DESCONHECIDO");
}

QStringList relatorio(const Chaves& chaves, const Juizo& juizo, const QDateTime& agora) {
    const QString resumo = valorDe(chaves, QStringLiteral("resumo")).value_or(QString());
    const QString motivo = !juizo.motivos.isEmpty() ? juizo.motivos.join(QStringLiteral("; "))
                           : !resumo.isEmpty()      ? resumo
                                                    : QStringLiteral("AutoTalvero funcionando");
    QStringList linhas{
        QStringLiteral("AUTOTALVERO %1 - %2").arg(nomeDoEstado(juizo.estado), motivo)};
    for (const Rotulo& r : kRotulos)
        if (const auto v = valorDe(chaves, QLatin1String(r.chave)))
            linhas << QStringLiteral("%1: %2").arg(QString::fromUtf8(r.nome), r.forma(*v, agora));
    // Keys a newer agent writes still show, as they stand.
    for (const auto& [chave, valor] : chaves)
        if (!rotuloDe(chave)) linhas << chave + QStringLiteral(": ") + valor;
    // The file is written by whoever can write the folder: what it holds reaches a
    // terminal or a monitoring system only as plain text on its one line.
    for (QString& linha : linhas)
        linha = entradas::SemControle(linha);
    return linhas;
}

} // namespace talvero::situacao
