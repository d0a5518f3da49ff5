#pragma once

#include "link/EnlaceConcentrador.h"
#include "platform/Agendador.h"
#include "platform/Operador.h"
#include "platform/Relogio.h"
#include "support/Configuracao.h"
#include "support/RegistroEventos.h"

#include <QString>
#include <functional>

namespace talvero {

struct TextosCartao;

// The IdentFid identifier's card table, reached through the concentrator link:
// write a card, erase a record, read a record, search a card. Every result is
// made of fields closed by "|@|": "|@|" alone when the identifier did not give
// the expected answer, "" when nothing was read at all.
class CartoesIdentFid {
public:
    struct Dependencias {
        const Relogio& relogio;
        Agendador& agendador;
        RegistroEventos& registro;
        const Configuracao& configuracao;
        EnlaceConcentrador& enlace;
        Temporizador& timerAutomacao;
        Operador& operador;
        const QString& lPassoDebugarErroAbastAndam;
        const bool& encerrando;  // the window is gone: a search reads no further
    };

    explicit CartoesIdentFid(Dependencias dependencias) : d_(dependencias) {}

    QString AutoIncluiCartaoIdentFid(const QString& pNumeroCartao);
    QString AutoExcluiCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro);
    QString AutoLerCartaoIdentFid(const QString& pNumeroCartao, const QString& pPosicaoRegistro);
    // `continua`, when given, is asked before each record is read; false ends the
    // search as if nothing had been found.
    QString AutoPesquisaPosicaoCartaoIdentFid(const QString& pNumeroCartao, bool mostraMensagem,
                                              const std::function<bool(int registro)>& continua = {});

    // The write and erase commands' bodies, before MontaComando closes them.
    static QString CorpoGrava(const QString& cartao);
    static QString CorpoApaga(const QString& cartao, const QString& posicao);
    // The write's exchange on the serial line alone, as the identifier trial needs
    // it: the bytes that came back (read into lTimerAutoString when any). Raises.
    int GravaPelaSerial(const QString& cartao);

    static constexpr int kRegistrosPesquisados = 51;
    static void MostraPosicao(Operador& operador, const QString& cartao, const QString& posicao);

private:
    QString gravaBiblioteca(const QString& cartao);
    QString gravaSerial(const QString& cartao);
    QString apagaBiblioteca(const QString& cartao, const QString& posicao);
    QString apagaSerial(const QString& cartao, const QString& posicao);
    QString leBiblioteca(const QString& cartao, const QString& posicao);
    QString leSerial(const QString& cartao, const QString& posicao);
    QString resultadoLeitura(const QString& cartao);

    void trocaBiblioteca(const TextosCartao& t, const QString& corpo);
    int trocaSerial(const TextosCartao& t, const QString& corpo, int esperaSegundos, int minimo);

    template <typename Comando>
    QString executa(const char* rotina, QString& resultado, Comando comando);

    void registra(const QString& mensagem) { d_.registro.registra(mensagem); }
    QString& texto() { return d_.enlace.lTimerAutoString; }

    Dependencias d_;
};

} // namespace talvero
