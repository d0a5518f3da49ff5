#include "simulator/LivroAbastecimentos.h"

#include "platform/CodecAnsi.h"
#include "platform/Erro.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace talvero::sim {

namespace {

const char* const kColunas[] = {"evento",
                                "id",
                                "ms",
                                "momento",
                                "bico",
                                "produto",
                                "litros",
                                "preco",
                                "total",
                                "encerrante",
                                "encerrante_inicial",
                                "cartao",
                                "relogio",
                                "integra",
                                "resposta"};

QString campoCsv(const QString& v) {
    if (!v.contains(QLatin1Char(',')) && !v.contains(QLatin1Char('"')) &&
        !v.contains(QLatin1Char('\n')) && !v.contains(QLatin1Char('\r')))
        return v;
    return QLatin1Char('"') + QString(v).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// Column values in the order of kColunas; the fueling's fields are repeated on
// every event so that each line stands on its own.
QStringList valores(const RegistroLivro& r, const AbastecimentoSimulado* a) {
    const bool campos = a && (!a->roteiro || !a->codigoBico.isEmpty());
    auto se = [&](const QString& v) { return campos ? v : QString(); };
    return {nomeEvento(r.evento),
            QString::number(r.id),
            QString::number(r.ms),
            r.momento.toString(Qt::ISODateWithMs),
            a ? a->codigoBico : QString(),
            se(a ? QString::number(a->produto) : QString()),
            se(a ? a->litros.textoPonto(3) : QString()),
            se(a ? a->preco.textoPonto(3) : QString()),
            se(a ? a->total.textoPonto(2) : QString()),
            se(a ? a->encerrante.textoPonto(2) : QString()),
            se(a ? a->encerranteInicial.textoPonto(2) : QString()),
            a ? a->cartao : QString(),
            a && a->relogio.isValid() ? a->relogio.toString(QStringLiteral("yyyy-MM-ddTHH:mm"))
                                      : QString(),
            r.integra ? QStringLiteral("1") : QStringLiteral("0"),
            r.resposta};
}

} // namespace

QString nomeEvento(EventoLivro e) {
    switch (e) {
    case EventoLivro::Criado:
        return QStringLiteral("criado");
    case EventoLivro::Entregue:
        return QStringLiteral("entregue");
    case EventoLivro::Confirmado:
        return QStringLiteral("confirmado");
    case EventoLivro::Manual:
        return QStringLiteral("manual");
    case EventoLivro::ConfirmacaoPerdida:
        break;
    }
    return QStringLiteral("confirmacao_perdida");
}

LivroAbastecimentos::LivroAbastecimentos() = default;
LivroAbastecimentos::~LivroAbastecimentos() = default;

void LivroAbastecimentos::gravaEm(const QString& caminho, FormatoLivro formato) {
    auto f = std::make_unique<QFile>(caminho);
    if (!f->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Erro(QStringLiteral("Não foi possível criar o livro de abastecimentos \"%1\": %2")
                       .arg(caminho, f->errorString()),
                   erros::ErroAcessoCaminho);
    arquivo_ = std::move(f);
    formato_ = formato;
    if (formato_ == FormatoLivro::Csv) {
        QStringList cab;
        for (const char* c : kColunas)
            cab << QLatin1String(c);
        arquivo_->write(ansi::codifica(cab.join(QLatin1Char(',')) + QLatin1Char('\n')));
        arquivo_->flush();
    }
}

void LivroAbastecimentos::criado(const AbastecimentoSimulado& a, std::int64_t ms,
                                 const QDateTime& momento) {
    abastecimentos_.push_back(a);
    entregas_.push_back(0);
    confirmados_.push_back(false);
    registra({EventoLivro::Criado, a.id, ms, momento, a.resposta, true});
}

void LivroAbastecimentos::manual(const AbastecimentoSimulado& a, std::int64_t ms,
                                 const QDateTime& momento) {
    abastecimentos_.push_back(a);
    entregas_.push_back(0);
    confirmados_.push_back(false);
    registra({EventoLivro::Manual, a.id, ms, momento, QString(), true});
}

void LivroAbastecimentos::entregue(std::int64_t id, std::int64_t ms, const QDateTime& momento,
                                   const QString& enviada) {
    ++entregas_.at(std::size_t(id - 1));
    registra(
        {EventoLivro::Entregue, id, ms, momento, enviada, enviada == abastecimento(id).resposta});
}

void LivroAbastecimentos::confirmado(std::int64_t id, std::int64_t ms, const QDateTime& momento) {
    if (id > 0) confirmados_.at(std::size_t(id - 1)) = true;
    registra({EventoLivro::Confirmado, id, ms, momento, QString(), true});
}

void LivroAbastecimentos::confirmacaoPerdida(std::int64_t id, std::int64_t ms,
                                             const QDateTime& momento) {
    registra({EventoLivro::ConfirmacaoPerdida, id, ms, momento, QString(), true});
}

const AbastecimentoSimulado& LivroAbastecimentos::abastecimento(std::int64_t id) const {
    return abastecimentos_.at(std::size_t(id - 1));
}

int LivroAbastecimentos::entregas(std::int64_t id) const {
    return entregas_.at(std::size_t(id - 1));
}

bool LivroAbastecimentos::confirmado(std::int64_t id) const {
    return confirmados_.at(std::size_t(id - 1));
}

std::vector<AbastecimentoSimulado> LivroAbastecimentos::confirmados() const {
    std::vector<AbastecimentoSimulado> v;
    for (std::size_t i = 0; i < abastecimentos_.size(); ++i)
        if (confirmados_[i]) v.push_back(abastecimentos_[i]);
    return v;
}

void LivroAbastecimentos::registra(const RegistroLivro& r) {
    eventos_.push_back(r);
    const AbastecimentoSimulado* a = r.id > 0 ? &abastecimento(r.id) : nullptr;
    if (arquivo_) escreveLinha(r, a);
    if (aoRegistrar) aoRegistrar(r, a);
}

void LivroAbastecimentos::escreveLinha(const RegistroLivro& r, const AbastecimentoSimulado* a) {
    const QStringList v = valores(r, a);
    QByteArray linha;
    if (formato_ == FormatoLivro::Csv) {
        QStringList campos;
        for (const QString& s : v)
            campos << campoCsv(s);
        linha = ansi::codifica(campos.join(QLatin1Char(',')));
    } else {
        QJsonObject o;
        for (std::size_t i = 0; i < std::size(kColunas); ++i)
            o.insert(QLatin1String(kColunas[i]), v[qsizetype(i)]);
        o.insert(QStringLiteral("id"), qint64(r.id));
        o.insert(QStringLiteral("ms"), qint64(r.ms));
        o.insert(QStringLiteral("integra"), r.integra);
        linha = QJsonDocument(o).toJson(QJsonDocument::Compact);
    }
    linha.append('\n');
    if (arquivo_->write(linha) != linha.size() || !arquivo_->flush())
        throw Erro(QStringLiteral("Falha ao gravar o livro de abastecimentos \"%1\": %2")
                       .arg(arquivo_->fileName(), arquivo_->errorString()),
                   erros::DiscoCheio);
}

} // namespace talvero::sim
