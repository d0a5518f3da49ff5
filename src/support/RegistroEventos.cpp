#include "support/RegistroEventos.h"

#include "platform/Erro.h"
#include "support/Entradas.h"
#include "support/Instalacao.h"

#include <QRegularExpression>
#include <cstdio>
#include <exception>

namespace talvero {

namespace {

void escreveNaSaidaErro(const QString& linha) {
    std::fputs((linha + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

RegistroEventos::RegistroEventos(const Relogio& relogio, SistemaArquivos& arquivos,
                                 Operador& operador)
    : relogio_(relogio), arquivos_(arquivos), operador_(operador), saidaErro_(escreveNaSaidaErro) {}

void RegistroEventos::defineSaidaErro(std::function<void(const QString&)> saida) {
    saidaErro_ = saida ? std::move(saida) : escreveNaSaidaErro;
}

QString RegistroEventos::HoraDoDia(const QTime& hora) {
    return hora.toString(QStringLiteral("HH:mm:ss"));
}

QString RegistroEventos::DataPadrao(const QDate& data) {
    return data.toString(QStringLiteral("dd/MM/yyyy"));
}

QString RegistroEventos::NomeArquivo(const QDateTime& momento) {
    return instalacao::kPastaPrograma + QStringLiteral("AUTOMACAO_") +
           momento.toString(QStringLiteral("dd_MM_yyyy_HH")) + QStringLiteral(".LOG");
}

void RegistroEventos::defineRetencao(int dias) {
    diasRetencao_ = dias;
    horaLimpa_ = -1;
}

// Only names of the log's exact form go, judged by the date they carry: a file
// copied in or touched keeps its age, and nothing else in the folder is touched.
void RegistroEventos::removeAntigos(const QDateTime& agora) {
    static const QRegularExpression kNome(
        QStringLiteral("^AUTOMACAO_(\\d\\d)_(\\d\\d)_(\\d{4})_([01]\\d|2[0-3])\\.LOG$"));
    const QDate limite = agora.date().addDays(-diasRetencao_);
    int removidos = 0;
    QString falha;
    try {
        for (const EntradaPasta& e : arquivos_.entradas(
                 instalacao::kPastaPrograma, QStringLiteral("AUTOMACAO_*.LOG"), 100'000)) {
            const QRegularExpressionMatch m = kNome.match(e.nome);
            if (e.tipo != EntradaPasta::Tipo::Arquivo || !m.hasMatch()) continue;
            const QDate data(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
            if (!data.isValid() || data >= limite) continue;
            try {
                arquivos_.apaga(instalacao::kPastaPrograma + e.nome, false);
                ++removidos;
            } catch (const Erro& erro) {
                if (falha.isEmpty()) falha = e.nome + QStringLiteral(": ") + erro.descricao();
            }
        }
    } catch (const Erro& erro) {
        falha = erro.descricao();
    }
    if (removidos == 0 && falha.isEmpty()) return;
    registra(
        QStringLiteral(
            " - Logs antigos removidos: %1 arquivo(s) de antes de %2 ([OUTRAS] Dias de Log=%3)")
            .arg(removidos)
            .arg(DataPadrao(limite))
            .arg(diasRetencao_) +
        (falha.isEmpty() ? QString() : QStringLiteral("; não removido: ") + falha));
}

// Whatever a line carries from outside, it stays one line of text.
void RegistroEventos::CriaLogCupom(const QString& texto) {
    const QString linha = entradas::SemControle(texto);
    const QDateTime agora = relogio_.agora();
    const qint64 hora = agora.date().toJulianDay() * 24 + agora.time().hour();
    if (diasRetencao_ > 0 && hora != horaLimpa_) {
        horaLimpa_ = hora;
        removeAntigos(agora);
    }
    QString descricao;
    try {
        arquivos_.acrescentaLinha(NomeArquivo(agora), linha);
        emFalha_ = false;
        return;
    } catch (const Erro& e) {
        descricao = e.descricao();
    } catch (const std::exception& e) {
        descricao = QString::fromLocal8Bit(e.what());
    } catch (...) {
        descricao = QStringLiteral("Erro desconhecido");
    }
    saidaErro_(linha);
    const bool primeiraDaSequencia = !emFalha_;
    emFalha_ = true;
    // While the boxes are open other handlers keep logging; they must not open more.
    if (primeiraDaSequencia && !avisando_) avisaFalha(descricao, linha);
}

void RegistroEventos::avisaFalha(const QString& descricao, const QString& linha) {
    avisando_ = true;
    try {
        operador_.mensagem(descricao, QString(), Icone::Nenhum);
        operador_.mensagem(QStringLiteral("Erro ao criar LOG ECF: ") + linha,
                           QStringLiteral("Erro: CriaLogCupom"), Icone::Informacao);
    } catch (...) {
        // The caller goes on regardless; the line is already on standard error.
    }
    avisando_ = false;
}

void RegistroEventos::registra(const QString& mensagem) {
    CriaLogCupom(HoraDoDia(relogio_.agora().time()) + mensagem);
}

void RegistroEventos::registraDoOperador(const QString& mensagem) {
    if (avisando_) return;
    registra(QStringLiteral(" - ") + mensagem);
}

} // namespace talvero
