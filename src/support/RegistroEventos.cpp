#include "support/RegistroEventos.h"

#include "platform/Erro.h"
#include "support/Entradas.h"
#include "support/Instalacao.h"

#include <cstdio>
#include <exception>

namespace talvero {

namespace {

void escreveNaSaidaErro(const QString& linha) {
    std::fputs((linha + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

} // namespace

RegistroEventos::RegistroEventos(const Relogio& relogio, SistemaArquivos& arquivos, Operador& operador)
    : relogio_(relogio), arquivos_(arquivos), operador_(operador), saidaErro_(escreveNaSaidaErro) {}

void RegistroEventos::defineSaidaErro(std::function<void(const QString&)> saida) {
    saidaErro_ = saida ? std::move(saida) : escreveNaSaidaErro;
}

QString RegistroEventos::HoraDoDia(const QTime& hora) { return hora.toString(QStringLiteral("HH:mm:ss")); }

QString RegistroEventos::DataPadrao(const QDate& data) { return data.toString(QStringLiteral("dd/MM/yyyy")); }

QString RegistroEventos::NomeArquivo(const QDateTime& momento) {
    return instalacao::kPastaPrograma + QStringLiteral("AUTOMACAO_") +
           momento.toString(QStringLiteral("dd_MM_yyyy_HH")) + QStringLiteral(".LOG");
}

// Whatever a line carries from outside, it stays one line of text.
void RegistroEventos::CriaLogCupom(const QString& texto) {
    const QString linha = entradas::SemControle(texto);
    QString descricao;
    try {
        arquivos_.acrescentaLinha(NomeArquivo(relogio_.agora()), linha);
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
        operador_.mensagem(QStringLiteral("Erro ao criar LOG ECF: ") + linha, QStringLiteral("Erro: CriaLogCupom"),
                           Icone::Informacao);
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
