#pragma once

#include "platform/Moeda.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QFile;

namespace talvero::sim {

struct AbastecimentoSimulado {
    std::int64_t id = 0; // 1, 2, 3... in the order they finished
    QString codigoBico;
    int produto = 0;
    Moeda litros;
    Moeda preco; // as sent: 0 when the price field goes out as "0000"
    Moeda total;
    Moeda encerrante;        // as sent (two decimals); 0 in the 34 layout
    Moeda encerranteInicial; // the counter before it, cut the same way; 0 in the 34 layout
    QString cartao;          // empty when no card was presented
    int duracaoS = 0;
    QDateTime relogio;    // the concentrator's clock when it finished (seconds 0)
    QString resposta;     // the answer handed over when nothing goes wrong
    bool roteiro = false; // replayed raw answer: fields only when its layout could be read
    bool manual = false;  // pumped with the automation off: counted, never handed over
};

enum class EventoLivro { Criado, Entregue, Confirmado, ConfirmacaoPerdida, Manual };

struct RegistroLivro {
    EventoLivro evento = EventoLivro::Criado;
    std::int64_t id = 0; // the fueling (0: an acknowledgement with nothing waiting)
    std::int64_t ms = 0; // monotonic clock of the simulator
    QDateTime momento;   // the station's clock
    QString resposta;    // handed over: the text actually sent (faults included)
    bool integra = true; // handed over exactly as `AbastecimentoSimulado::resposta`
};

enum class FormatoLivro { Csv, JsonLinhas };

QString nomeEvento(EventoLivro e);

// What the concentrator created, handed over and had acknowledged, so a test can
// prove that the database holds exactly what the concentrator gave. Kept in
// memory and, when asked, written line by line (flushed at once) to a file.
class LivroAbastecimentos {
public:
    LivroAbastecimentos();
    ~LivroAbastecimentos();

    // Creates (truncates) the file; raises talvero::Erro when it cannot.
    void gravaEm(const QString& caminho, FormatoLivro formato);

    void criado(const AbastecimentoSimulado& a, std::int64_t ms, const QDateTime& momento);
    // A fueling that moved the nozzle's counter and is never queued.
    void manual(const AbastecimentoSimulado& a, std::int64_t ms, const QDateTime& momento);
    void entregue(std::int64_t id, std::int64_t ms, const QDateTime& momento,
                  const QString& enviada);
    void confirmado(std::int64_t id, std::int64_t ms, const QDateTime& momento);
    void confirmacaoPerdida(std::int64_t id, std::int64_t ms, const QDateTime& momento);

    const std::vector<RegistroLivro>& eventos() const { return eventos_; }
    const std::vector<AbastecimentoSimulado>& abastecimentos() const { return abastecimentos_; }
    const AbastecimentoSimulado& abastecimento(std::int64_t id) const;
    int entregas(std::int64_t id) const;
    bool confirmado(std::int64_t id) const;
    std::vector<AbastecimentoSimulado> confirmados() const;

    // Called after every event (the program prints them).
    std::function<void(const RegistroLivro&, const AbastecimentoSimulado*)> aoRegistrar;

private:
    void registra(const RegistroLivro& r);
    void escreveLinha(const RegistroLivro& r, const AbastecimentoSimulado* a);

    std::vector<RegistroLivro> eventos_;
    std::vector<AbastecimentoSimulado> abastecimentos_;
    std::vector<int> entregas_;
    std::vector<bool> confirmados_;
    std::unique_ptr<QFile> arquivo_;
    FormatoLivro formato_ = FormatoLivro::Csv;
};

} // namespace talvero::sim
